#pragma once

#include "chrome/section_behaviour.h"

#include "core/io/drive_files.h"

#include <optional>

// The Removal section window: clean-up buttons, and the wallpaper tool that previews and
// deletes the files of the wallpaper folder.
class TForm6 : public chrome::SectionBehaviour {
public:
    TForm6(ui::Window& window, const chrome::WindowDefinition& definition, const chrome::SectionServices& services);

private:
    void FormCreate();
    void FileListBox1Click();
    void Button1Click();
    void Timer1Timer();
    // The list read anew from its folder, nothing selected; a folder that cannot be read shows
    // as empty.
    void fill();
    // The selected file on drive C:; none when no line is selected.
    std::optional<core::DrivePath> selectedFile() const;

    chrome::SectionServices m_services;
    ui::FileList* FileListBox1;
    ui::PicturePreview* Image6;
    ui::CheckBox* CheckBox1;
    ui::Label* Label5;
    // The list's folder: at creation the program's current folder on the machine (the process's
    // current folder when it lies on drive C:, else the user's profile there).
    core::DrivePath m_directory;
    bool m_filled = false;
};
