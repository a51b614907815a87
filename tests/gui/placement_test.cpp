// Where windows and message boxes open, on two screens side by side (the offscreen platform with
// tests/gui/two_screens.json).
#include "tests/gui/support/gui_fixture.h"

#include "ui/qt/application.h"
#include "ui/qt/placement.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <functional>

using namespace gui_testing;

namespace {

TEST(CentredPlace, KeepsTheWindowOnTheFreeArea)
{
    struct Row {
        QSize size;
        QRect available;
        QPoint expected;
    };
    const Row rows[] = {
        {{200, 100}, {0, 0, 800, 600}, {300, 250}},
        {{200, 100}, {800, 30, 1024, 738}, {1212, 349}}, // a second screen below a panel
        {{900, 700}, {800, 0, 800, 600}, {800, 0}},      // larger than the area: its corner on it
    };
    for (const Row& row : rows)
        EXPECT_EQ(chrome::centredPlace(row.size, row.available), row.expected);
}

class PlacementTest : public GuiFixture {
protected:
    void SetUp() override
    {
        if (QGuiApplication::screens().size() < 2)
            GTEST_SKIP() << "needs two screens: QT_QPA_PLATFORM=offscreen:configfile=two_screens.json";
    }

    static QScreen* screen(int index) { return QGuiApplication::screens().at(index); }

    // Where the modal box that `open` shows lies on the screens; the box is closed at once.
    static QRect boxGeometry(const std::function<void()>& open)
    {
        QRect geometry;
        QTimer::singleShot(0, [&geometry] {
            if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                geometry = box->frameGeometry();
                box->done(0);
            }
        });
        open();
        return geometry;
    }
};

TEST_F(PlacementTest, MessageBoxesOpenOnTheMainWindowsScreenWhereverThePointerIs)
{
    struct Row {
        const char* box;
        int mainScreen; // -1: no main window yet
        int pointerScreen;
        int expectedScreen;
    };
    const Row rows[] = {
        {"error", 1, 0, 1},
        {"message", 0, 1, 0},
        {"question", 1, 0, 1},
        {"error before the windows", -1, 1, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.box);
        QWidget main;
        main.resize(300, 200);
        app::ErrorBox errors;
        app::HostMessageBoxes boxes;
        if (row.mainScreen >= 0) {
            main.move(chrome::centredPlace(main.size(), screen(row.mainScreen)->geometry()));
            main.show();
            errors.setMainWindow(&main);
            boxes.setMainWindow(&main);
        }
        QCursor::setPos(screen(row.pointerScreen)->geometry().center());
        const QRect box = boxGeometry([&] {
            const std::string kind = row.box;
            if (kind == "message")
                boxes.message("Gotowe.");
            else if (kind == "question")
                boxes.askYesNo("Kwintor Dostrojnik 2004", "Czy na pewno?");
            else
                errors.report("Nie można zapisać pliku.");
        });
        EXPECT_TRUE(screen(row.expectedScreen)->availableGeometry().contains(box)) << box.x() << "," << box.y();
    }
}

TEST_F(PlacementTest, AWindowLargerThanItsScreenShrinksToBeWhollyVisible)
{
    for (const QSize size : {QSize(300, 200), QSize(1000, 700)}) {
        QWidget window;
        window.resize(size);
        chrome::fitOnScreen(window, screen(0));
        window.show();
        EXPECT_TRUE(screen(0)->availableGeometry().contains(window.frameGeometry())) << size.width();
        EXPECT_EQ(window.width(), std::min(size.width(), 800 - 16));
    }
}

TEST_F(PlacementTest, SectionWindowsOpenOnTheMainWindowsScreen)
{
    start();
    mainWindow().move(chrome::centredPlace(mainWindow().size(), screen(1)->geometry()));
    QCursor::setPos(screen(0)->geometry().center());
    const chrome::SectionWindow& crash = openSection("TForm64");
    EXPECT_TRUE(crash.isVisible());
    EXPECT_TRUE(screen(1)->availableGeometry().contains(crash.frameGeometry()));
}

} // namespace
