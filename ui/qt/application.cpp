#include "ui/qt/application.h"

#include "app/definitions.h"
#include "ui/qt/window_set.h"
#include "ui/qt/picture_store.h"
#include "ui/qt/placement.h"
#include "chrome/settings_keys.h"
#include "chrome/skin.h"

#include "core/error.h"
#include "core/machine/machine.h"
#include "core/machine/machine_drive_files.h"
#include "core/machine/stock_keys.h"
#include "core/platform/xcb_desktop_windows.h"
#include "core/registry/live_prefix_registry.h"
#include "core/registry/wine_registry.h"
#include "core/restore/restore_points.h"
#include "core/settings/ini_file.h"
#include "core/settings/settings_location.h"
#include "core/shell/shell_command.h"

#include <QApplication>
#include <QCursor>
#include <QFont>
#include <QIcon>
#include <QMessageBox>
#include <QScreen>
#include <QStringList>
#include <QWidget>

#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <filesystem>
#include <thread>

namespace app {

void ErrorBox::report(const std::string& message)
{
    QMessageBox box(QMessageBox::Critical, QString::fromUtf8(kApplicationTitle),
                    QString::fromStdString(chrome::errorBoxText(message)), QMessageBox::Ok);
    chrome::fitTitle(box);
    chrome::placeWhenShown(box, m_main);
    box.exec();
}

void HostMessageBoxes::message(const std::string& text)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kApplicationTitle), QString::fromStdString(text),
                    QMessageBox::Ok);
    chrome::fitTitle(box);
    chrome::placeWhenShown(box, m_main);
    box.exec();
}

bool HostMessageBoxes::askYesNo(const std::string& title, const std::string& text)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), QString::fromStdString(text),
                    QMessageBox::Yes | QMessageBox::No);
    chrome::fitTitle(box);
    chrome::placeWhenShown(box, m_main);
    return box.exec() == QMessageBox::Yes;
}

std::unique_ptr<core::DesktopWindows> hostDesktop()
{
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (auto desktop = core::connectXcbDesktop(nullptr))
            return desktop;
    }
    return std::make_unique<core::NoDesktopWindows>();
}

ui::Point HostCursor::position() const
{
    const QPoint at = QCursor::pos();
    return {at.x(), at.y()};
}

ui::Size HostScreen::size(const ui::Window& window) const
{
    // The screen's own pixels, whatever scale factor Qt draws with.
    const QScreen* screen = static_cast<const QWidget*>(window.nativeId())->screen();
    if (!screen)
        return {};
    const QSize pixels = (QSizeF(screen->geometry().size()) * screen->devicePixelRatio()).toSize();
    return {pixels.width(), pixels.height()};
}

void installFonts()
{
    QStringList substitutes;
    for (const char* face : chrome::skin::fontSubstitutes)
        substitutes.append(QString::fromLatin1(face));
    QFont::insertSubstitutions(QString::fromLatin1(chrome::skin::fontFamily), substitutes);
    QApplication::setFont(QFont(QString::fromLatin1(chrome::skin::fontFamily), chrome::skin::fontPointSize));
}

namespace {

// Reading the system's font configuration takes about as long as the rest of the start-up
// before the first window; it runs on a thread of its own until the first font is needed.
class FontSetUp {
public:
    FontSetUp() : m_reader([] { FcInit(); }) {}
    FontSetUp(const FontSetUp&) = delete;
    FontSetUp& operator=(const FontSetUp&) = delete;
    ~FontSetUp() { waitForReader(); }

    // Before anything draws text.
    void ready()
    {
        if (m_installed)
            return;
        waitForReader();
        installFonts();
        m_installed = true;
    }

private:
    void waitForReader()
    {
        if (m_reader.joinable())
            m_reader.join();
    }

    std::thread m_reader;
    bool m_installed = false;
};

} // namespace

int run(int argc, char** argv)
{
    FontSetUp fonts;
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
    ErrorBox errors;
    HostMessageBoxes messageBoxes;
    try {
        initPictures();
        chrome::PictureStore pictures;

        const std::filesystem::path executable = QCoreApplication::applicationFilePath().toStdString();
        const core::Machine machine(core::Machine::locateRoot(core::hostEnvironment()), core::hostUserName());
        machine.ensureExists();
        // The command lines run in the machine's session; this process keeps its own environment.
        const core::Environment session = machine.sessionProcessEnvironment(executable.parent_path() / "dostrojnik-cmd",
                                                                            core::thisProcessEnvironment());
        const auto shell = [&session](const std::string& commandLine) { core::shellCommand(commandLine, session); };
        core::WineRegistry files(machine.root(), core::hostCpuMhz());
        // While a Wine program runs in the machine, Wine's own registry through our helper.
        core::LivePrefixRegistry registry(
            files, machine.root(),
            std::make_unique<core::WineHelperTransport>(
                machine.root(),
                core::registryHelperFor(executable, DOSTROJNIK_BIN_TO_HELPER, core::hostEnvironment())));
        const auto settingsPath =
            core::settingsLocation(executable, DOSTROJNIK_INSTALLED_MARKER, core::hostEnvironment());
        core::makeSettingsFolder(settingsPath);

        QApplication::setWindowIcon(QIcon(pictures.pixmap(QStringLiteral("icon.jpg"))));
        HostCursor cursor;
        const core::HostClock clock;
        // A way back from the options: the registry as it was before this run changed it.
        core::restore::PointStore points(machine.root(), clock);
        files.setBeforeFirstChange([&points] {
            try {
                points.createAutomaticLocked(std::string("Przed zmianami programu ") + kApplicationTitle);
            } catch (const core::Error& error) {
                std::fprintf(stderr, "%s\n", error.what());
            }
        });
        // A Wine prefix lacks some keys that every stock system has where the options write.
        core::makeMissingStockKeys(registry, machine.root());
        const core::StatvfsDriveSpace driveSpace(machine.driveC());
        HostScreen screen;
        const std::unique_ptr<core::DesktopWindows> desktop = hostDesktop();
        core::PosixProcessControl processes;
        chrome::Context context{registry,
                                settingsPath,
                                core::posixSystemCalls(),
                                shell,
                                errors,
                                messageBoxes,
                                cursor,
                                clock,
                                driveSpace,
                                screen,
                                pictures,
                                *desktop,
                                processes,
                                {}};
        context.machine = &machine;
        const core::MachineDriveFiles driveFiles(core::posixSystemCalls(), machine);
        context.drive = &driveFiles;
        context.showOptionState =
            core::TIniFile(settingsPath).ReadInteger("Okno", chrome::keys::showOptionState, 0) != 0;
        fonts.ready();
        WindowSet windows(context);
        errors.setMainWindow(&windows.main());
        messageBoxes.setMainWindow(&windows.main());
        QApplication::setQuitOnLastWindowClosed(false);
        QObject::connect(&windows.main(), &chrome::SectionWindow::closed, &application, &QApplication::quit,
                         Qt::QueuedConnection);
        windows.main().show();
        QApplication::exec();
    } catch (const core::Error& error) {
        fonts.ready();
        errors.report(error.what());
    } catch (...) {
        fonts.ready();
        errors.report({});
    }
    return 0;
}

} // namespace app
