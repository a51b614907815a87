#include "sections/internet/tform7.h"

#include "chrome/folder_listing.h"

#include "core/error.h"
#include "core/registry/tregistry.h"

#include <algorithm>
#include <string>
#include <system_error>

namespace {

constexpr char kPluginFolder[] = "C:\\Program Files\\Internet Explorer\\Plugins";

} // namespace

TForm7::TForm7(ui::Window& window, const chrome::WindowDefinition& definition, const chrome::SectionServices& services)
    : chrome::SectionBehaviour(window, definition, services)
    , m_services(services)
    , Edit1(window.find<ui::EditBox>("Edit1"))
    , Edit2(window.find<ui::EditBox>("Edit2"))
    , FileListBox1(window.find<ui::FileList>("FileListBox1"))
    , Timer1(window.timer("Timer1"))
    , Timer2(window.timer("Timer2"))
    , Timer5(window.timer("Timer5"))
{
    Edit1->onKeyUp = guard([this] { Edit1KeyUp(); });
    Edit2->onKeyUp = guard([this] { Edit2KeyUp(); });
    window.picture("Image13")->onClick = guard([this] { Image13Click(); });
    Timer1->onTick = guard([this] { Timer1Timer(); });
    Timer2->onTick = guard([this] { Timer2Timer(); });
    Timer5->onTick = guard([this] { Timer5Timer(); });
}

void TForm7::Image13Click()
{
    Timer5->start();
}

void TForm7::Timer1Timer()
{
    load(*Timer1, *Edit1, "Software\\Microsoft\\Internet Explorer\\Main", "Start Page");
}

void TForm7::Timer2Timer()
{
    load(*Timer2, *Edit2, "Software\\Microsoft\\Internet Explorer", "Download Directory");
}

void TForm7::load(ui::Timer& loader, ui::EditBox& edit, const char* key, const char* value)
{
    // Once whatever it finds: a value of another type is reported once, not every second.
    loader.stop();
    core::TRegistry registry(m_services.registry);
    registry.SetRootKey(core::RootKey::CurrentUser);
    registry.OpenKey(key, false);
    edit.setText(registry.ReadString(value));
}

void TForm7::Edit1KeyUp()
{
    // An empty start page is stored, then replaced by the blank page; the box stays empty.
    core::TRegIniFile browser(m_services.registry, "Software\\Microsoft\\Internet Explorer");
    const std::string text = Edit1->text();
    browser.WriteString("Main", "Start Page", text);
    if (text.empty())
        browser.WriteString("Main", "Start Page", "about:blank");
}

void TForm7::Edit2KeyUp()
{
    core::TRegIniFile microsoft(m_services.registry, "Software\\Microsoft");
    microsoft.WriteString("Internet Explorer", "Download Directory", Edit2->text());
}

std::vector<std::string> TForm7::refill(const core::DriveFiles& drive, const core::DrivePath& folder)
{
    std::vector<std::string> names;
    try {
        names = chrome::folderFiles(drive, folder);
    } catch (const core::Error&) {
        FileListBox1->setNames({});
        throw;
    }
    FileListBox1->setNames(names);
    return names;
}

void TForm7::Timer5Timer()
{
    // One plug-in file per tick, the first by name. A machine without the plug-in folder has no
    // plug-ins, and a link in its place is no folder: the remover stops without a word.
    if (!m_services.drive) {
        stopRemover();
        return;
    }
    const core::DriveFiles& drive = *m_services.drive;
    core::DrivePath folder;
    core::DrivePath real;
    if (core::parseWindowsPath(kPluginFolder, {}, folder) != core::PathProblem::None ||
        !drive.findFolder(folder, real)) {
        stopRemover();
        return;
    }
    std::vector<std::string> names;
    try {
        names = refill(drive, real);
    } catch (const core::Error&) {
        // A folder that cannot be read is reported once.
        stopRemover();
        throw;
    }
    const auto next = std::find_if(names.begin(), names.end(),
                                   [this](const std::string& name) { return !m_undeletable.contains(name); });
    if (next == names.end()) {
        stopRemover();
        return;
    }
    const std::string name = *next;
    core::DrivePath file = real;
    file.push_back(name);
    const int failure = drive.removeFile(file);
    names = refill(drive, real);
    // A file that went meanwhile is no failure; one still listed is reported and passed over.
    if (failure && std::find(names.begin(), names.end(), name) != names.end()) {
        m_undeletable.insert(name);
        throw core::Error("Cannot delete the file " + core::windowsName(file) + ": " +
                          std::generic_category().message(failure));
    }
}

void TForm7::stopRemover()
{
    Timer5->stop();
    // The next run tries every file again.
    m_undeletable.clear();
}
