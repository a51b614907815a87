// The main window on Qt: the information bar's texts fit their fields, the refresh runs on the
// event loop, the first-run panel's look and its name entry, and clicks reaching the behaviour.

#include "tests/gui/support/gui_fixture.h"

#include "app/tform1.h"
#include "ui/qt/application.h"
#include "ui/qt/qt_parts.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace gui_testing;

namespace {

constexpr std::int64_t MB = 1048576;

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
};

TEST_F(MainWindowTest, TheBarsLongestTextsFitTheirFields)
{
    start();
    m_clock.at = {2004, 12, 28, 23, 58, 58, 0};
    m_screen.at = {10240, 10240};
    for (const core::DriveSpace space : {core::DriveSpace{9999999 * MB, 9999999 * MB}, core::DriveSpace{-1, -1}}) {
        m_driveSpace.space = space;
        windows().get<TForm1>().Timer37Timer();
        for (const char* name : {"Label5", "Label6", "Label7", "Label14"}) {
            chrome::SkinLabel* field = mainWindow().label(QString::fromLatin1(name));
            EXPECT_LE(field->fontMetrics().horizontalAdvance(field->text()), field->width())
                << name << ": " << field->text().toStdString();
        }
    }
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

    // The confirming click reaches the behaviour, which reads the entry.
    button("Button3").click();
    EXPECT_EQ(text("Label21"), QStringLiteral("a b"));
    EXPECT_TRUE(button("Button3").isHidden());
    EXPECT_TRUE(m_errors.messages.empty());
}

// Run once more with QT_SCALE_FACTOR=2: the offscreen screen has 800 x 800 pixels either way.
TEST(HostScreen, CountsTheScreensOwnPixels)
{
    QWidget window;
    window.show();
    EXPECT_EQ(app::HostScreen().size(ui::qt::QtWindow(window)), (ui::Size{800, 800}));
}

} // namespace
