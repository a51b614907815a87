// The restore tool's window, which `dostrojnik-restore` without arguments starts in its place:
// a program of its own, so that the commands for scripts never load Qt.

#include "ui/qt/placement.h"
#include "chrome/skin.h"
#include "core/error.h"
#include "core/machine/machine.h"
#include "core/platform/clock.h"
#include "tools/restore/restore_window.h"

#include <QApplication>
#include <QCursor>
#include <QFont>
#include <QScreen>

#include <optional>

int main(int argc, char** argv)
{
    return core::runMain("dostrojnik-restore", [&] {
        QApplication application(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Przywracanie systemu"));
        QApplication::setFont(
            QFont(QString::fromLatin1(chrome::skin::fontSubstitute), chrome::skin::fontPointSize + 1));
        restoretool::MessageBoxDialogs dialogs;
        const core::HostClock clock;
        std::optional<core::restore::PointStore> store;
        try {
            const core::Machine machine(core::Machine::locateRoot(core::hostEnvironment()), core::hostUserName());
            machine.ensureExists();
            store.emplace(machine.root(), clock);
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
    });
}
