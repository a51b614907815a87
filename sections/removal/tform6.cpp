#include "sections/removal/tform6.h"

#include "chrome/folder_listing.h"

#include "core/error.h"

namespace {

constexpr char kWallpaperFolder[] = "C:\\Windows\\Web\\Wallpaper";

} // namespace

TForm6::TForm6(ui::Window& window, const chrome::WindowDefinition& definition, const chrome::SectionServices& services)
    : chrome::SectionBehaviour(window, definition, services)
    , m_services(services)
    , FileListBox1(window.find<ui::FileList>("FileListBox1"))
    , Image6(window.find<ui::PicturePreview>("Image6"))
    , CheckBox1(window.find<ui::CheckBox>("CheckBox1"))
    , Label5(window.label("Label5"))
{
    if (m_services.drive)
        m_directory = m_services.drive->currentFolder();
    FileListBox1->onPick = guard([this] { FileListBox1Click(); });
    window.find<ui::Button>("Button1")->onClick = guard([this] { Button1Click(); });
    window.timer("Timer1")->onTick = guard([this] { Timer1Timer(); });
    // The list reads its folder when it is first shown.
    window.onFirstShow = [this] {
        if (!m_filled)
            fill();
    };
    guard([this] { FormCreate(); })();
}

void TForm6::FormCreate()
{
    if (!m_services.drive)
        return;
    // A link in the wallpaper folder's place is no folder: the list keeps its default folder.
    core::DrivePath wallpapers;
    core::DrivePath real;
    if (core::parseWindowsPath(kWallpaperFolder, {}, wallpapers) == core::PathProblem::None &&
        m_services.drive->findFolder(wallpapers, real)) {
        m_directory = std::move(real);
        if (m_filled)
            fill();
    }
}

void TForm6::fill()
{
    m_filled = true;
    std::vector<std::string> names;
    try {
        if (m_services.drive)
            names = chrome::folderFiles(*m_services.drive, m_directory);
    } catch (const core::Error&) {
        FileListBox1->setNames({});
        throw;
    }
    FileListBox1->setNames(names);
}

std::optional<core::DrivePath> TForm6::selectedFile() const
{
    const int line = FileListBox1->selection();
    if (line < 0)
        return std::nullopt;
    core::DrivePath file = m_directory;
    file.push_back(FileListBox1->names().at(static_cast<std::size_t>(line)));
    return file;
}

void TForm6::FileListBox1Click()
{
    const auto file = selectedFile();
    if (file && m_services.drive)
        Image6->showFile(*m_services.drive, *file);
    else
        Image6->clear();
    Label5->setText(file ? core::windowsName(*file) : std::string());
}

void TForm6::Button1Click()
{
    // No question and no message; a file that cannot be deleted simply stays listed.
    if (const auto file = selectedFile(); file && m_services.drive)
        m_services.drive->removeFile(*file);
    fill();
}

void TForm6::Timer1Timer()
{
    Image6->setStretch(CheckBox1->isChecked());
}
