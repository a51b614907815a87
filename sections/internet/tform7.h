#pragma once

#include "chrome/section_behaviour.h"

#include "core/io/drive_files.h"

#include <set>
#include <string>
#include <vector>

// The Internet section window: the browser's options as rows, the plug-in remover, and the start
// page and download folder in two edit boxes that store what is typed at every key release.
class TForm7 : public chrome::SectionBehaviour {
public:
    TForm7(ui::Window& window, const chrome::WindowDefinition& definition, const chrome::SectionServices& services);

private:
    void Image13Click();
    void Timer1Timer();
    void Timer2Timer();
    void Timer5Timer();
    void Edit1KeyUp();
    void Edit2KeyUp();
    // A loader's one tick: the string `value` of HKCU `key` into `edit`, empty when missing.
    void load(ui::Timer& loader, ui::EditBox& edit, const char* key, const char* value);
    // The remover's list read anew from the plug-in folder; a folder that cannot be read leaves
    // it empty.
    std::vector<std::string> refill(const core::DriveFiles& drive, const core::DrivePath& folder);
    void stopRemover();

    chrome::SectionServices m_services;
    ui::EditBox* Edit1;
    ui::EditBox* Edit2;
    // The remover's working list of the plug-in folder; never shown.
    ui::FileList* FileListBox1;
    ui::Timer* Timer1;
    ui::Timer* Timer2;
    ui::Timer* Timer5;
    // The plug-ins this run of the remover could not delete: each is reported once, then passed
    // over, so that the remover finishes the others and stops.
    std::set<std::string> m_undeletable;
};
