// Draws the main window and every section window of the main menu as this front end shows them
// after start-up with a stored user name and an opening from the menu, at the scale of 1, into
// $DOSTROJNIK_FACES_DIR/<class>.bmp: the Windows build compares its own windows with them.

#include "tests/gui/support/gui_fixture.h"

#include "app/definitions.h"

#include <QDir>

using namespace gui_testing;

class WindowFaces : public GuiFixture {};

TEST_F(WindowFaces, Drawn)
{
    const QString folder = qEnvironmentVariable("DOSTROJNIK_FACES_DIR");
    ASSERT_FALSE(folder.isEmpty()) << "DOSTROJNIK_FACES_DIR names no folder";
    ASSERT_TRUE(QDir().mkpath(folder));
    // A stored user name: the main window shows it instead of the first-run panel.
    writeSettings("[Użytkownik]\r\nNazwa=Jan Kowalski\r\n");
    start();
    auto save = [&folder](QWidget& window, const std::string& className) {
        const QImage face = window.grab().toImage().convertToFormat(QImage::Format_RGB888);
        EXPECT_TRUE(face.save(folder + QLatin1Char('/') + QString::fromStdString(className) + QStringLiteral(".bmp")))
            << className;
    };
    save(mainWindow(), app::mainDefinition().className);
    for (const app::MenuEntry& entry : app::sectionMenu()) {
        click(mainWindow(), QString::fromStdString(entry.target));
        runTimers();
        QWidget* window = windows().byClass(entry.windowClass);
        ASSERT_NE(window, nullptr) << entry.windowClass;
        save(*window, entry.windowClass);
        window->hide();
    }
}
