// dostrojnik-restore: the restore points of the emulated Windows machine. Without arguments it
// opens its window; with a command (list, create, changes, restore, delete, /?) it serves scripts.

#include "chrome/placement.h"
#include "chrome/skin.h"
#include "core/error.h"
#include "core/machine/machine.h"
#include "core/platform/clock.h"
#include "tools/locale/locale_text.h"
#include "tools/restore/restore_command.h"
#include "tools/restore/restore_window.h"

#include <QApplication>
#include <QCursor>
#include <QFont>

#include <cstdio>
#include <memory>
#include <optional>

namespace {

core::Machine openMachine()
{
    const core::Machine machine(core::Machine::locateRoot(core::hostEnvironment()), core::hostUserName());
    machine.ensureExists();
    return machine;
}

int runCommandLine(const std::vector<std::string>& arguments)
{
    const core::HostClock clock;
    std::unique_ptr<core::restore::PointStore> store;
    // The machine is found (and a new one made) only when a command needs it.
    const restoretool::StoreOpener opener = [&]() -> core::restore::PointStore& {
        if (!store)
            store = std::make_unique<core::restore::PointStore>(openMachine().root(), clock);
        return *store;
    };
    restoretool::Output output;
    const int status = restoretool::runCommand(arguments, opener, output);
    localetext::Encoder encoder;
    const std::string out = encoder.encode(output.out);
    const std::string err = encoder.encode(output.err);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fwrite(err.data(), 1, err.size(), stderr);
    return status;
}

int runWindow(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Przywracanie systemu"));
    QApplication::setFont(QFont(QString::fromLatin1(chrome::skin::fontSubstitute), chrome::skin::fontPointSize + 1));
    restoretool::MessageBoxDialogs dialogs;
    const core::HostClock clock;
    std::optional<core::restore::PointStore> store;
    try {
        store.emplace(openMachine().root(), clock);
    } catch (const core::Error& error) {
        dialogs.error(nullptr, QString::fromUtf8(error.what()));
        return 1;
    }
    restoretool::RestoreWindow window(*store, dialogs);
    // The program that starts the tool was just clicked: its window opens on the screen under
    // the pointer.
    chrome::fitOnScreen(window, QGuiApplication::screenAt(QCursor::pos()));
    window.show();
    return QApplication::exec();
}

} // namespace

int main(int argc, char** argv)
{
    return core::runMain("dostrojnik-restore", [&] {
        if (argc > 1) {
            localetext::initialise(argv[0]);
            return runCommandLine(std::vector<std::string>(argv + 1, argv + argc));
        }
        return runWindow(argc, argv);
    });
}
