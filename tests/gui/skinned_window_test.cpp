// Dragging, minimising all windows together, and errors in handlers.

#include "tests/gui/support/gui_fixture.h"

#include "ui/qt/application.h"
#include "app/definitions.h"
#include "chrome/context.h"

#include "core/error.h"
#include "ui/qt/skinned_window.h"
#include "ui/qt/spin_edit.h"

#include <QApplication>
#include <QHelpEvent>
#include <QListWidget>
#include <QMessageBox>
#include <QStyle>
#include <QTimer>
#include <QToolTip>

#include <sys/stat.h>
#include <unistd.h>

using namespace gui_testing;

namespace {

class SkinnedWindowTest : public GuiFixture {};

TEST_F(SkinnedWindowTest, DraggingPutsTheTopLeftCornerUnderTheCursor)
{
    chrome::SectionWindow& crash = openSection("TForm64");
    chrome::DesignTimer* drag = crash.timer("Timer3");

    pressOn(crash, "Image1");
    EXPECT_TRUE(drag->isEnabled());
    m_cursor.at = {123, 77};
    runTimers();
    EXPECT_EQ(crash.pos(), QPoint(123, 77));
    m_cursor.at = {300, 210};
    runTimers();
    EXPECT_EQ(crash.pos(), QPoint(300, 210));
    releaseOn(crash, "Image1");
    EXPECT_FALSE(drag->isEnabled());
    m_cursor.at = {5, 5};
    runTimers();
    EXPECT_EQ(crash.pos(), QPoint(300, 210));

    // The link label is a drag surface too; other labels are not.
    pressOn(crash, "Label21");
    EXPECT_TRUE(drag->isEnabled());
    releaseOn(crash, "Label21");
    pressOn(crash, "Label11");
    EXPECT_FALSE(drag->isEnabled());
}

TEST_F(SkinnedWindowTest, AHiddenWindowBuildsItsWidgetsWhenFirstShownWithWhatItsPartsWereGiven)
{
    start();
    chrome::SectionWindow& system = section("TForm2");
    // Timers run from the start; the other widgets wait.
    EXPECT_TRUE(system.findChildren<QWidget*>(Qt::FindDirectChildrenOnly).isEmpty());
    EXPECT_FALSE(system.findChildren<chrome::DesignTimer*>(Qt::FindDirectChildrenOnly).isEmpty());

    ui::Window& parts = system.parts();
    auto* list = parts.find<ui::ListBox>("ListBox1");
    auto* spin = parts.find<ui::SpinEdit>("CSpinEdit1");
    ui::Label* label = parts.label("Label4");
    ui::Picture* close = parts.picture("Image3");
    int changes = 0;
    spin->onChange = [&changes] { ++changes; };
    list->setLines({"a", "b"});
    list->setSelection(1);
    spin->setValue(20); // beyond the range: its end
    spin->setValue(9);
    label->setText("Inaczej");
    label->hide();
    label->setHint("Podpowiedź");
    label->setHintShown(true);
    close->setMarked(true);
    auto expectParts = [&] {
        EXPECT_EQ(list->lines(), (std::vector<std::string>{"a", "b"}));
        EXPECT_EQ(list->selection(), 1);
        EXPECT_EQ(spin->value(), 9);
        EXPECT_EQ(label->text(), "Inaczej");
        EXPECT_FALSE(label->isVisible());
        EXPECT_EQ(label->hint(), "Podpowiedź");
        EXPECT_TRUE(label->hintShown());
    };
    expectParts();
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(system.findChildren<QWidget*>(Qt::FindDirectChildrenOnly).isEmpty());

    system.show();
    expectParts();
    EXPECT_EQ(changes, 1);
    auto& listWidget = widget<QListWidget>(system, "ListBox1");
    EXPECT_EQ(listWidget.count(), 2);
    EXPECT_TRUE(listWidget.item(1)->isSelected());
    EXPECT_EQ(widget<ui::qt::SpinBox>(system, "CSpinEdit1").value(), 9);
    chrome::SkinLabel* labelWidget = system.label("Label4");
    EXPECT_EQ(labelWidget->text(), QStringLiteral("Inaczej"));
    EXPECT_TRUE(labelWidget->isHidden());
    EXPECT_EQ(labelWidget->toolTip(), QStringLiteral("Podpowiedź"));
    EXPECT_TRUE(chrome::hintShown(*labelWidget));
    EXPECT_EQ(chrome::marked(*system.picture("Image3")), true);
    // The parts now speak to the widgets.
    spin->setValue(3);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(widget<ui::qt::SpinBox>(system, "CSpinEdit1").value(), 3);
}

TEST_F(SkinnedWindowTest, MainWindowIsDraggedByItsTitleAndSeparators)
{
    start();
    for (const char* surface : {"Image1", "Label1", "Label9", "Label10", "Label15", "Label16"}) {
        pressOn(mainWindow(), surface);
        EXPECT_TRUE(mainWindow().timer("Timer1")->isEnabled()) << surface;
        releaseOn(mainWindow(), surface);
        EXPECT_FALSE(mainWindow().timer("Timer1")->isEnabled()) << surface;
    }
}

TEST_F(SkinnedWindowTest, MinimiseTargetMinimisesAllWindowsAndTheyComeBackTogether)
{
    start();
    click(mainWindow(), "Image13");
    chrome::SectionWindow& system = openSection("TForm2");
    QWidget* about = windows().byClass("TForm8");
    click(system, "Image2");
    EXPECT_TRUE(mainWindow().isMinimized());
    EXPECT_TRUE(system.isMinimized());
    EXPECT_TRUE(about->isMinimized());
    EXPECT_FALSE(section("TForm64").isVisible());

    mainWindow().showNormal();
    EXPECT_FALSE(system.isMinimized());
    EXPECT_FALSE(about->isMinimized());
    EXPECT_TRUE(system.isVisible());
}

TEST_F(SkinnedWindowTest, CloseTargetHidesWithoutEndingTheProgram)
{
    chrome::SectionWindow& folders = openSection("TForm18");
    bool ended = false;
    QObject::connect(&mainWindow(), &chrome::SectionWindow::closed, [&] { ended = true; });
    click(folders, "Image27");
    EXPECT_FALSE(folders.isVisible());
    EXPECT_TRUE(mainWindow().isVisible());
    EXPECT_FALSE(ended);
}

TEST_F(SkinnedWindowTest, AControlShowsItsHintOnlyWhileItsHintIsOn)
{
    chrome::SectionWindow& crash = openSection("TForm64");
    QWidget* close = crash.picture("Image18");
    auto askForHint = [&] {
        QHelpEvent event(QEvent::ToolTip, QPoint(5, 5), close->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(close, &event);
    };
    askForHint();
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Zamknij"));

    click(crash, "Label9"); // comments off
    runTimers();
    askForHint();
    EXPECT_FALSE(QToolTip::isVisible());

    // Application-wide: white, shown 1 ms after the cursor rests.
    EXPECT_EQ(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 1);
    EXPECT_EQ(QToolTip::palette().color(QPalette::ToolTipBase), QColor(255, 255, 255));
}

TEST(ColourKeyMask, HoldsEveryPixelButTheKeyColourToTheLastColumn)
{
    // Widths around a byte of the mask; the key colour and near shades on other pixels.
    const QRgb shades[] = {qRgb(255, 0, 255), qRgb(10, 20, 30), qRgb(200, 40, 230), qRgb(255, 255, 255)};
    for (const int width : {1, 7, 8, 9, 17}) {
        QImage image(width, 2, QImage::Format_RGB32);
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < width; ++x)
                image.setPixel(x, y, shades[(x * 3 + y) % 4]);
        }
        const QImage mask = chrome::colourKeyMask(image).toImage();
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < width; ++x)
                EXPECT_EQ(mask.pixel(x, y) == qRgb(255, 255, 255), chrome::isColourKey(image.pixel(x, y)))
                    << width << " " << x << "," << y;
        }
    }
}

TEST(ErrorBoxText, AppendsAFullStopUnlessThereIsOne)
{
    EXPECT_EQ(chrome::errorBoxText("Failed to set data for 'AutoReboot'"), "Failed to set data for 'AutoReboot'.");
    EXPECT_EQ(chrome::errorBoxText("Unable to write to /x/dostrojnik.ini"), "Unable to write to /x/dostrojnik.ini.");
    EXPECT_EQ(chrome::errorBoxText("Done."), "Done.");
    EXPECT_EQ(chrome::errorBoxText(""), "");
    EXPECT_EQ(chrome::errorBoxText("Stop!"), "Stop!.");
    EXPECT_EQ(chrome::errorBoxText("zażółć"), "zażółć.");
}

TEST(ErrorBox, ShowsTheTextWithItsFullStopUnderTheProgramsTitleWithOk)
{
    QString text, title;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* shown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = shown->text();
            title = shown->windowTitle();
            EXPECT_EQ(shown->icon(), QMessageBox::Critical);
            EXPECT_EQ(shown->standardButtons(), QMessageBox::Ok);
            shown->accept();
        }
    });
    poll.start(10);
    app::ErrorBox().report("Failed to set data for 'AutoReboot'");
    EXPECT_EQ(text, QStringLiteral("Failed to set data for 'AutoReboot'."));
    EXPECT_EQ(title, QStringLiteral("Kwintor Dostrojnik 2004"));
}

TEST_F(SkinnedWindowTest, AnErrorInAHandlerIsReportedAndEveryWindowStaysUsable)
{
    start();
    chrome::SectionWindow& crash = section("TForm64");
    crash.handle([] { throw core::Error("Failed to set data for 'AutoReboot'"); });
    crash.handle([] { throw std::runtime_error("not ours"); });
    ASSERT_EQ(m_errors.messages.size(), 2u);
    EXPECT_EQ(m_errors.messages[0], "Failed to set data for 'AutoReboot'");
    EXPECT_EQ(m_errors.messages[1], "");

    click(mainWindow(), "Image9");
    runTimers();
    EXPECT_TRUE(crash.isVisible());
    click(crash, "Image18");
    EXPECT_FALSE(crash.isVisible());
}

// On a machine whose hives are read-only, each section window's first row that writes a value
// shows the registry's error and the window stays open. Runs as an ordinary user (root may
// write anywhere); ctest starts it so when the build is root's.
TEST_F(SkinnedWindowTest, ReadOnlyMachine)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root ignores file permissions";
    int checked = 0;
    for (const app::MenuEntry& entry : app::sectionMenu()) {
        if (entry.windowClass == "TForm8")
            continue;
        chrome::SectionWindow& window = openSection(entry.windowClass.c_str());
        const auto& options = window.definition().options;
        const auto row = std::find_if(options.begin(), options.end(), [](const chrome::OptionRow& option) {
            const auto& steps = option.action.steps;
            return !steps.empty() && (steps[0].kind == chrome::OptionStepKind::WriteInteger ||
                                      steps[0].kind == chrome::OptionStepKind::WriteString);
        });
        if (row == options.end())
            continue; // the Removal window writes no value
        ++checked;
        const std::string& value = row->action.steps[0].name;
        seed(row->action.key.root, row->action.key.path, {{value, dword(7)}});
        std::map<std::filesystem::path, std::string> hives;
        for (const auto& file : std::filesystem::directory_iterator(m_folder / "machine")) {
            if (file.path().extension() == ".reg" && chmod(file.path().c_str(), 0444) == 0)
                hives[file.path()] = testing_support::readText(file.path());
        }
        m_errors.messages.clear();
        click(window, QString::fromStdString(row->target));
        EXPECT_EQ(m_errors.messages, std::vector<std::string>{"Failed to set data for '" + value + "'"})
            << entry.windowClass;
        for (const auto& [hive, text] : hives) {
            EXPECT_EQ(testing_support::readText(hive), text) << hive;
            ASSERT_EQ(chmod(hive.c_str(), 0644), 0);
        }
        EXPECT_TRUE(window.isVisible()) << entry.windowClass;
    }
    EXPECT_EQ(checked, 8);
}

TEST_F(SkinnedWindowTest, EveryDescriptionUnderItsHeadingIsCentredWrappedAndReadsLeftToRight)
{
    start();
    std::size_t descriptions = 0;
    for (QWidget* window : windows().windows()) {
        auto* skinned = qobject_cast<chrome::SkinnedWindow*>(window);
        if (!skinned)
            continue;
        const auto& components = skinned->definition().components;
        for (std::size_t i = 0; i + 1 < components.size(); ++i) {
            if (components[i].text != "OPIS DZIAŁU")
                continue;
            SCOPED_TRACE(skinned->definition().className);
            EXPECT_EQ(components[i + 1].label, chrome::LabelLook::Description);
            const chrome::SkinLabel* text = skinned->label(QString::fromStdString(components[i + 1].name));
            ASSERT_TRUE(text);
            EXPECT_EQ(text->layoutDirection(), Qt::LeftToRight);
            EXPECT_EQ(text->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
            EXPECT_TRUE(text->wordWrap());
            ++descriptions;
        }
    }
    // The About window and the ten section windows.
    EXPECT_EQ(descriptions, 11u);
}

} // namespace
