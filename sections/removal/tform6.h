#pragma once

#include "chrome/section_window.h"

class QCheckBox;
class QPushButton;

namespace chrome {
class FileListBox;
} // namespace chrome
namespace removal {
class Preview;
} // namespace removal

// The Removal section window: clean-up buttons, and the wallpaper tool that previews and
// deletes the files of the wallpaper folder.
class TForm6 : public chrome::SectionWindow {
    Q_OBJECT
public:
    TForm6(chrome::Context& context, const chrome::WindowDefinition& definition);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void FileListBox1Click();
    void Button1Click();
    void Timer1Timer();

    chrome::FileListBox* FileListBox1;
    QPushButton* Button1;
    removal::Preview* Image6;
    QCheckBox* CheckBox1;
    chrome::SkinLabel* Label5;
};
