// The main window's creation handler, its information refresh and the first-run panel.

#include "tests/gui/support/gui_fixture.h"

#include "ui/qt/application.h"
#include "app/tform8.h"
#include "tests/support/faulty_system_calls.h"
#include "tests/support/hiding_registry.h"
#include "ui/qt/qt_parts.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>

#include <cerrno>

using namespace gui_testing;

namespace {

constexpr std::int64_t MB = 1048576;

const char* const kPanel[] = {"Image14", "Label23", "Label22", "Button2", "Label19",
                              "Label18", "Memo1",   "Label17", "Label20", "Button3"};

// Types a text key by key, Polish letters too.
void type(QWidget& widget, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&widget, &release);
    }
}

class MainWindowTest : public GuiFixture {
protected:
    QString text(const char* name) { return mainWindow().label(QString::fromLatin1(name))->text(); }
    QPlainTextEdit& memo() { return *mainWindow().findChild<QPlainTextEdit*>(QStringLiteral("Memo1")); }
    QPushButton& button(const char* name) { return *mainWindow().findChild<QPushButton*>(QString::fromLatin1(name)); }

    // How many of the panel's ten components are shown.
    int panelShown()
    {
        int shown = 0;
        for (const char* name : kPanel) {
            QWidget* widget = component(mainWindow(), QString::fromLatin1(name));
            EXPECT_NE(widget, nullptr) << name;
            if (widget && !widget->isHidden())
                ++shown;
        }
        return shown;
    }

    // The program ends and starts again on the same machine and settings file.
    void restart()
    {
        m_windows.reset();
        start();
    }
};

TEST_F(MainWindowTest, AFirstStartShowsTheNameAndDateAndTheFirstRunPanel)
{
    start();
    EXPECT_TRUE(m_errors.messages.empty());
    EXPECT_EQ(text("Label21"), QString());
    EXPECT_EQ(text("Label8"), QStringLiteral("Zarejestrowano dla: "));
    // The system's short date and long time formats.
    EXPECT_EQ(text("Label3"), QStringLiteral("2004-08-15"));
    EXPECT_EQ(text("Label4"), QStringLiteral("12:34:56"));
    EXPECT_EQ(text("Label7"), QStringLiteral("2004-08-15 12:34:56"));
    EXPECT_EQ(text("Label14"), QStringLiteral("2400 Mhz"));
    // The information bar keeps its design texts until the first refresh.
    EXPECT_EQ(text("Label6"), QStringLiteral("Ładowanie"));
    EXPECT_EQ(text("Label5"), QStringLiteral("Trwa wczytywanie danych o ilości wolnego miejsca"));
    EXPECT_EQ(panelShown(), 10);
    EXPECT_FALSE(settingsExist());
}

TEST_F(MainWindowTest, AStoredNameIsShownAndHidesThePanel)
{
    writeSettings("[Użytkownik]\r\nNazwa=Zażółć Gęś\r\n");
    start();
    EXPECT_EQ(text("Label21"), QStringLiteral("Zażółć Gęś"));
    EXPECT_EQ(text("Label8"), QStringLiteral("Zarejestrowano dla: Zażółć Gęś"));
    EXPECT_EQ(panelShown(), 0);
    EXPECT_TRUE(m_errors.messages.empty());
}

TEST_F(MainWindowTest, TheTimeIsLeftOutAtExactlyMidnight)
{
    m_clock.at = {2004, 12, 31, 0, 0, 0, 0};
    start();
    EXPECT_EQ(text("Label3"), QStringLiteral("2004-12-31"));
    EXPECT_EQ(text("Label4"), QStringLiteral("00:00:00"));
    EXPECT_EQ(text("Label7"), QStringLiteral("2004-12-31"));
}

TEST_F(MainWindowTest, EachRefreshShowsDateFreeSpaceAndResolution)
{
    start();
    mainWindow().Timer37Timer();
    EXPECT_EQ(text("Label7"), QStringLiteral("Dziś jest : 2004-08-15 12:34:56"));
    // 1234 MB of 10000 MB: 12.34 percent, truncated.
    EXPECT_EQ(text("Label5"), QStringLiteral("12 procent wolnego miejsca na partycji C: (1234 MB)"));
    EXPECT_EQ(text("Label11"), QStringLiteral("768"));
    EXPECT_EQ(text("Label12"), QStringLiteral("1024"));
    EXPECT_EQ(text("Label6"), QStringLiteral("1024 x 768 px"));

    m_clock.at = {2004, 8, 16, 0, 0, 0, 0};
    m_driveSpace.space = {1999 * MB + MB - 1, 2000 * MB};
    m_screen.at = {1280, 1024};
    mainWindow().Timer37Timer();
    EXPECT_EQ(text("Label7"), QStringLiteral("Dziś jest : 2004-08-16"));
    EXPECT_EQ(text("Label5"), QStringLiteral("99 procent wolnego miejsca na partycji C: (1999 MB)"));
    EXPECT_EQ(text("Label11"), QStringLiteral("1024"));
    EXPECT_EQ(text("Label12"), QStringLiteral("1280"));
    EXPECT_EQ(text("Label6"), QStringLiteral("1280 x 1024 px"));
    // The start's date and time stay as they were.
    EXPECT_EQ(text("Label3"), QStringLiteral("2004-08-15"));
    EXPECT_EQ(text("Label4"), QStringLiteral("12:34:56"));
}

TEST_F(MainWindowTest, TheBarsLongestTextsFitTheirFields)
{
    start();
    m_clock.at = {2004, 12, 28, 23, 58, 58, 0};
    m_driveSpace.space = {9999999 * MB, 9999999 * MB};
    m_screen.at = {10240, 10240};
    mainWindow().Timer37Timer();
    for (const char* name : {"Label5", "Label6", "Label7", "Label14"}) {
        chrome::SkinLabel* field = mainWindow().label(QString::fromLatin1(name));
        EXPECT_LE(field->fontMetrics().horizontalAdvance(field->text()), field->width())
            << name << ": " << field->text().toStdString();
    }
}

TEST_F(MainWindowTest, ADriveThatCannotBeAskedOrHasNoSize)
{
    start();
    const QString unknown = QStringLiteral("Nie można odczytać ilości wolnego miejsca na partycji C:");
    m_driveSpace.space = {-1, -1};
    mainWindow().Timer37Timer();
    EXPECT_EQ(text("Label5"), unknown);
    m_driveSpace.space = {0, 0};
    mainWindow().Timer37Timer();
    EXPECT_EQ(text("Label5"), unknown);
    chrome::SkinLabel* field = mainWindow().label(QStringLiteral("Label5"));
    EXPECT_LE(field->fontMetrics().horizontalAdvance(field->text()), field->width());
    EXPECT_TRUE(m_errors.messages.empty());
}

TEST_F(MainWindowTest, TheRefreshRunsEveryTenthOfASecondOnItsOwn)
{
    start();
    chrome::DesignTimer* refresh = mainWindow().timer(QStringLiteral("Timer37"));
    EXPECT_EQ(refresh->interval(), 100);
    EXPECT_TRUE(refresh->isEnabled());
    runTimers(100);
    ASSERT_EQ(text("Label6"), QStringLiteral("1024 x 768 px"));
    const int queries = m_driveSpace.queries;
    m_screen.at = {800, 600};
    runTimers(100);
    EXPECT_EQ(text("Label6"), QStringLiteral("800 x 600 px"));
    EXPECT_GT(m_driveSpace.queries, queries);
}

struct MissingProcessorCase {
    const char* name;
    bool hideKey;
};

class MissingProcessorTest : public MainWindowTest, public ::testing::WithParamInterface<MissingProcessorCase> {};

TEST_P(MissingProcessorTest, ShowsTheErrorAndSkipsTheRestOfTheCreation)
{
    testing_support::HidingRegistry hiding(m_registry);
    if (GetParam().hideKey)
        hiding.hideKey(core::RootKey::LocalMachine, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0");
    else
        hiding.hideValue("~MHz");
    m_registryApi = &hiding;
    start();
    ASSERT_EQ(m_errors.messages, std::vector<std::string>{"Failed to get data for '~MHz'"});
    EXPECT_EQ(text("Label14"), QStringLiteral("XXXX Mhz"));
    // What came before the processor's clock is done; the first-run decision is not.
    EXPECT_EQ(text("Label8"), QStringLiteral("Zarejestrowano dla: "));
    EXPECT_EQ(text("Label3"), QStringLiteral("2004-08-15"));
    EXPECT_EQ(panelShown(), 0);
    // The program goes on.
    EXPECT_TRUE(mainWindow().isVisible());
    mainWindow().Timer37Timer();
    EXPECT_EQ(text("Label6"), QStringLiteral("1024 x 768 px"));
    m_windows.reset();
}

INSTANTIATE_TEST_SUITE_P(KeyOrValue, MissingProcessorTest,
                         ::testing::Values(MissingProcessorCase{"Key", true}, MissingProcessorCase{"Value", false}),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(MainWindowTest, ThePanelHasItsComponentsInTheirPlaces)
{
    start();
    struct Place {
        const char* name;
        QRect geometry; // width or height 0: as the text needs
        const char* text;
    };
    const Place places[] = {
        {"Image14", {96, 24, 381, 180}, nullptr},
        {"Label23", {104, 72, 185, 0}, "Kopie zapasowe plików systemowych"},
        {"Label22",
         {104, 88, 185, 81},
         "Po raz pierwszy włączyłeś program Kwintor Dostrojnik. Zaleca się stworzenie punktu przywracania systemu, "
         "na wypadek gdyby nie odpowiadały Ci ustawienia zastosowane przez program."},
        {"Button2", {103, 182, 188, 17}, "Przywracanie systemu"},
        {"Label19", {308, 72, 161, 0}, "Nazwa użytkownika"},
        {"Label18", {312, 90, 156, 41}, "Wprowadź nazwę użytkownika, która ma być wyświetlana w menu głównym programu"},
        {"Memo1", {315, 138, 146, 17}, ""},
        {"Label17", {307, 161, 0, 0}, "UWAGA! Maksymalnie 14 znaków"},
        {"Label20", {297, 176, 0, 0}, "| | |"},
        {"Button3", {309, 182, 156, 17}, "Zatwierdź nazwę i zamknij okno"},
    };
    for (const Place& place : places) {
        SCOPED_TRACE(place.name);
        QWidget* widget = component(mainWindow(), QString::fromLatin1(place.name));
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->pos(), place.geometry.topLeft());
        if (place.geometry.width() > 0) {
            EXPECT_EQ(widget->width(), place.geometry.width());
        }
        if (place.geometry.height() > 0) {
            EXPECT_EQ(widget->height(), place.geometry.height());
        }
        // Everything lies on the panel.
        EXPECT_TRUE(QRect(96, 24, 381, 180).contains(widget->geometry()));
        if (!place.text)
            continue;
        QString shown;
        if (auto* label = qobject_cast<QLabel*>(widget))
            shown = label->text();
        else if (auto* push = qobject_cast<QPushButton*>(widget))
            shown = push->text();
        else if (auto* edit = qobject_cast<QPlainTextEdit*>(widget))
            shown = edit->toPlainText();
        EXPECT_EQ(shown, QString::fromUtf8(place.text));
    }
    // The picture is drawn and the name entry lies on its white field.
    auto* picture = mainWindow().picture(QStringLiteral("Image14"));
    const QImage image = picture->pixmap().toImage();
    ASSERT_EQ(image.size(), QSize(381, 180));
    for (const QPoint inField : {QPoint(315 - 96, 138 - 24), QPoint(461 - 96 - 1, 155 - 24 - 1)})
        EXPECT_GT(qGray(image.pixel(inField)), 235) << inField.x() << "," << inField.y();
    EXPECT_LT(qGray(image.pixel(201, 100)), 128); // the dark gap between the halves
    EXPECT_FALSE(memo().lineWrapMode() == QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(memo().frameShape(), QFrame::NoFrame);
    EXPECT_EQ(memo().palette().color(QPalette::Base), QColor(Qt::white));
}

TEST_F(MainWindowTest, TheNameEntryTakesFourteenCharactersOnOneLine)
{
    start();
    QPlainTextEdit& entry = memo();
    entry.setFocus();
    type(entry, QStringLiteral("Zażółć gęślą jaźń"));
    EXPECT_EQ(entry.toPlainText(), QStringLiteral("Zażółć gęślą j"));
    QTest::keyClick(&entry, Qt::Key_Return);
    QTest::keyClick(&entry, Qt::Key_Enter);
    EXPECT_EQ(entry.toPlainText(), QStringLiteral("Zażółć gęślą j"));
    EXPECT_EQ(entry.document()->blockCount(), 1);

    // Typing in the middle of a full entry changes nothing.
    QTextCursor cursor = entry.textCursor();
    cursor.setPosition(3);
    entry.setTextCursor(cursor);
    QTest::keyClicks(&entry, QStringLiteral("X"));
    EXPECT_EQ(entry.toPlainText(), QStringLiteral("Zażółć gęślą j"));

    // Pasted lines come in as one line, cut to what fits.
    entry.clear();
    QApplication::clipboard()->setText(QStringLiteral("Jan\r\nKowalski z Krakowa\n"));
    entry.paste();
    EXPECT_EQ(entry.toPlainText(), QStringLiteral("Jan Kowalski z"));
    entry.clear();
    QTest::keyClicks(&entry, QStringLiteral("Ala "));
    QApplication::clipboard()->setText(QStringLiteral("ma kota i psa"));
    entry.paste();
    EXPECT_EQ(entry.toPlainText(), QStringLiteral("Ala ma kota i "));

    // Any other way in is held to the same rule; a character of two halves is not split.
    entry.setPlainText(QStringLiteral("abcdefghijklm\U0001F600z"));
    EXPECT_EQ(entry.toPlainText(), QStringLiteral("abcdefghijklm"));
    entry.clear();
    entry.insertPlainText(QStringLiteral("a\nb"));
    EXPECT_EQ(entry.toPlainText(), QStringLiteral("a b"));
    EXPECT_TRUE(m_errors.messages.empty());
}

TEST_F(MainWindowTest, ConfirmingStoresTheNameAndHidesThePanelForGood)
{
    start();
    memo().setFocus();
    QTest::keyClicks(&memo(), QStringLiteral("Jan Kowalski"));
    button("Button3").click();
    EXPECT_TRUE(m_errors.messages.empty());
    EXPECT_EQ(settingsText(), "[Użytkownik]\r\nNazwa=Jan Kowalski\r\n");
    EXPECT_EQ(text("Label21"), QStringLiteral("Jan Kowalski"));
    EXPECT_EQ(text("Label8"), QStringLiteral("Zarejestrowano dla: Jan Kowalski"));
    EXPECT_EQ(panelShown(), 0);

    restart();
    EXPECT_EQ(text("Label8"), QStringLiteral("Zarejestrowano dla: Jan Kowalski"));
    EXPECT_EQ(panelShown(), 0);
}

TEST_F(MainWindowTest, TheNameIsReadBackAsTheFileKeepsIt)
{
    start();
    QTest::keyClicks(&memo(), QStringLiteral("  Ala  "));
    button("Button3").click();
    // The settings file does not keep blanks around a value.
    EXPECT_EQ(text("Label21"), QStringLiteral("Ala"));
    EXPECT_EQ(text("Label8"), QStringLiteral("Zarejestrowano dla: Ala"));
}

TEST_F(MainWindowTest, AnEmptyConfirmedNameBringsThePanelBackAtTheNextStart)
{
    start();
    button("Button3").click();
    EXPECT_EQ(settingsText(), "[Użytkownik]\r\nNazwa=\r\n");
    EXPECT_EQ(text("Label8"), QStringLiteral("Zarejestrowano dla: "));
    EXPECT_EQ(panelShown(), 0);

    restart();
    EXPECT_EQ(panelShown(), 10);
}

TEST_F(MainWindowTest, ARefusedWriteKeepsThePanelAndTheName)
{
    testing_support::FaultySystemCalls faulty;
    m_calls = &faulty;
    start();
    QTest::keyClicks(&memo(), QStringLiteral("Jan"));
    faulty.failOn("open", EACCES);
    faulty.failOn("rename", EACCES);
    button("Button3").click();
    ASSERT_EQ(m_errors.messages, std::vector<std::string>{"Unable to write to " + m_settingsPath.string()});
    EXPECT_EQ(panelShown(), 10);
    EXPECT_EQ(text("Label21"), QString());
    EXPECT_EQ(text("Label8"), QStringLiteral("Zarejestrowano dla: "));
    EXPECT_EQ(memo().toPlainText(), QStringLiteral("Jan"));

    // Once the file can be written, the same click goes through.
    faulty.clearFaults();
    button("Button3").click();
    EXPECT_EQ(text("Label21"), QStringLiteral("Jan"));
    EXPECT_EQ(panelShown(), 0);
    m_windows.reset();
}

TEST_F(MainWindowTest, TheRestoreButtonStartsTheRestoreToolAndThePanelStays)
{
    start();
    button("Button2").click();
    EXPECT_EQ(m_commands, std::vector<std::string>{"start %WinDir%\\System32\\Restore\\rstrui.exe"});
    EXPECT_EQ(panelShown(), 10);
    EXPECT_FALSE(settingsExist());
}

TEST_F(MainWindowTest, TheAboutWindowShowsANameChangedOnThePanelWithinTwentySeconds)
{
    start();
    auto& about = windows().get<TForm8>();
    // After the name timer's first copy, a second after start.
    runTimers(1000);
    ASSERT_EQ(about.timer(QStringLiteral("Timer1"))->interval(), 20000);
    EXPECT_EQ(about.label(QStringLiteral("Label19"))->text(), QString());
    QTest::keyClicks(&memo(), QStringLiteral("Ala"));
    button("Button3").click();
    runTimers(20000);
    EXPECT_EQ(about.label(QStringLiteral("Label19"))->text(), QStringLiteral("Ala"));
}

// Run once more with QT_SCALE_FACTOR=2: the offscreen screen has 800 x 800 pixels either way.
TEST(HostScreen, CountsTheScreensOwnPixels)
{
    QWidget window;
    window.show();
    EXPECT_EQ(app::HostScreen().size(ui::qt::QtWindow(window)), (ui::Size{800, 800}));
}

} // namespace
