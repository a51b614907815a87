#include "sections/internet/tform7.h"

#include "ui/qt/file_list_box.h"

#include "ui/qt/controls.h"
#include "core/error.h"
#include "core/registry/tregistry.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

namespace {

constexpr char kPluginFolder[] = "C:\\Program Files\\Internet Explorer\\Plugins";

} // namespace

TForm7::TForm7(chrome::Context& context, const chrome::WindowDefinition& definition)
    : chrome::SectionWindow(context, definition)
    , Edit1(chrome::makeEdit(this, QStringLiteral("Edit1"), {134, 391, 136, 15}))
    , Edit2(chrome::makeEdit(this, QStringLiteral("Edit2"), {305, 391, 136, 15}))
    , FileListBox1(new chrome::FileListBox(this, context.systemCalls, context.machine))
    , Timer1(timer(QStringLiteral("Timer1")))
    , Timer2(timer(QStringLiteral("Timer2")))
    , Timer5(timer(QStringLiteral("Timer5")))
{
    FileListBox1->setObjectName(QStringLiteral("FileListBox1"));
    FileListBox1->setGeometry(24, 32, 73, 57);
    FileListBox1->hide();
    Edit1->installEventFilter(this);
    Edit2->installEventFilter(this);
    connect(picture(QStringLiteral("Image13")), &chrome::PictureControl::clicked, this,
            [this] { handle([this] { Image13Click(); }); });
    connect(Timer1, &chrome::DesignTimer::timeout, this, [this] { handle([this] { Timer1Timer(); }); });
    connect(Timer2, &chrome::DesignTimer::timeout, this, [this] { handle([this] { Timer2Timer(); }); });
    connect(Timer5, &chrome::DesignTimer::timeout, this, [this] { handle([this] { Timer5Timer(); }); });
}

bool TForm7::eventFilter(QObject* watched, QEvent* event)
{
    // A held key repeats its presses but is released once.
    if (event->type() == QEvent::KeyRelease && !static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
        if (watched == Edit1)
            handle([this] { Edit1KeyUp(); });
        else if (watched == Edit2)
            handle([this] { Edit2KeyUp(); });
    }
    return chrome::SectionWindow::eventFilter(watched, event);
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

void TForm7::load(chrome::DesignTimer& loader, QLineEdit& edit, const char* key, const char* value)
{
    // Once whatever it finds: a value of another type is reported once, not every second.
    loader.stop();
    core::TRegistry registry(context().registry);
    registry.SetRootKey(core::RootKey::CurrentUser);
    registry.OpenKey(key, false);
    edit.setText(QString::fromStdString(registry.ReadString(value)));
}

void TForm7::Edit1KeyUp()
{
    // An empty start page is stored, then replaced by the blank page; the box stays empty.
    core::TRegIniFile browser(context().registry, "Software\\Microsoft\\Internet Explorer");
    const std::string text = Edit1->text().toStdString();
    browser.WriteString("Main", "Start Page", text);
    if (text.empty())
        browser.WriteString("Main", "Start Page", "about:blank");
}

void TForm7::Edit2KeyUp()
{
    core::TRegIniFile microsoft(context().registry, "Software\\Microsoft");
    microsoft.WriteString("Internet Explorer", "Download Directory", Edit2->text().toStdString());
}

void TForm7::Timer5Timer()
{
    // One plug-in file per tick, the first by name. A machine without the plug-in folder has no
    // plug-ins, and a link in its place is no folder: the remover stops without a word.
    if (!context().machine) {
        stopRemover();
        return;
    }
    const core::Drive drive(context().systemCalls, context().machine->driveC());
    core::DrivePath folder;
    core::DrivePath real;
    int error = 0;
    if (core::parseWindowsPath(kPluginFolder, {}, folder) != core::PathProblem::None ||
        !drive.openFolder(folder, error, &real)) {
        stopRemover();
        return;
    }
    try {
        // Pointing a filled list at its folder reads it again.
        FileListBox1->setDirectory(real);
        if (!FileListBox1->filled())
            FileListBox1->fill();
    } catch (const core::Error&) {
        // A folder that cannot be read is reported once.
        stopRemover();
        throw;
    }
    const QStringList names = FileListBox1->names();
    const auto next =
        std::find_if(names.begin(), names.end(), [this](const QString& name) { return !m_undeletable.contains(name); });
    if (next == names.end()) {
        stopRemover();
        return;
    }
    core::DrivePath file = real;
    file.push_back(next->toStdString());
    const int failure = drive.removeFile(file);
    FileListBox1->fill();
    // A file that went meanwhile is no failure; one still listed is reported and passed over.
    if (failure && FileListBox1->names().contains(*next)) {
        m_undeletable.insert(*next);
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
