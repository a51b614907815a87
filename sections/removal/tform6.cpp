#include "sections/removal/tform6.h"

#include "chrome/folder_listing.h"

#include "core/error.h"

#include <filesystem>
#include <system_error>

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
    if (const core::Machine* machine = m_services.machine) {
        // A current folder that has been removed meanwhile has no name: the profile stands in.
        std::error_code unnamed;
        const std::filesystem::path here = std::filesystem::current_path(unnamed);
        const core::Drive drive(m_services.systemCalls, machine->driveC());
        m_directory = core::currentFolder(drive, machine->driveC(), here, machine->profileFolder());
    }
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
    if (!m_services.machine)
        return;
    // A link in the wallpaper folder's place is no folder: the list keeps its default folder.
    core::DrivePath wallpapers;
    core::DrivePath real;
    int error = 0;
    if (core::parseWindowsPath(kWallpaperFolder, {}, wallpapers) == core::PathProblem::None &&
        core::Drive(m_services.systemCalls, m_services.machine->driveC()).openFolder(wallpapers, error, &real)) {
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
        if (m_services.machine)
            names = chrome::folderFiles(core::Drive(m_services.systemCalls, m_services.machine->driveC()), m_directory);
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
    if (file && m_services.machine)
        Image6->showFile(core::Drive(m_services.systemCalls, m_services.machine->driveC()), *file);
    else
        Image6->clear();
    Label5->setText(file ? core::windowsName(*file) : std::string());
}

void TForm6::Button1Click()
{
    // No question and no message; a file that cannot be deleted simply stays listed.
    if (const auto file = selectedFile(); file && m_services.machine)
        core::Drive(m_services.systemCalls, m_services.machine->driveC()).removeFile(*file);
    fill();
}

void TForm6::Timer1Timer()
{
    Image6->setStretch(CheckBox1->isChecked());
}
