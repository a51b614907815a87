// Every window as assistive technology and the keyboard reach it: each target and tool of each
// window has a name of its own in the accessible tree, and Tab, Shift+Tab, Space and Enter
// work the Crash window in screen order.

#include "tests/gui/support/gui_fixture.h"

#include "chrome/skin.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>

#include <algorithm>
#include <functional>
#include <map>
#include <set>

using namespace gui_testing;
using core::RootKey;

namespace {

// What a user works: buttons, edit boxes, lists, spin edits, check boxes.
bool isControl(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::Button:
    case QAccessible::EditableText:
    case QAccessible::List:
    case QAccessible::SpinBox:
    case QAccessible::CheckBox:
    case QAccessible::ComboBox: return true;
    default: return false;
    }
}

void collectControls(QAccessibleInterface& parent, std::vector<QAccessibleInterface*>& found)
{
    for (int i = 0; i < parent.childCount(); ++i) {
        QAccessibleInterface* child = parent.child(i);
        if (!child)
            continue;
        if (isControl(child->role()))
            found.push_back(child);
        else
            collectControls(*child, found);
    }
}

// A window's controls by accessible name.
std::map<QString, QAccessibleInterface*> controlsByName(QWidget& window)
{
    std::vector<QAccessibleInterface*> controls;
    collectControls(*QAccessible::queryAccessibleInterface(&window), controls);
    std::map<QString, QAccessibleInterface*> byName;
    for (QAccessibleInterface* control : controls) {
        // A tool the window never shows is nobody's to reach; every target is named.
        auto* widget = qobject_cast<QWidget*>(control->object());
        if (widget && widget->isHidden() && !chrome::isTarget(*widget))
            continue;
        const QString name = control->text(QAccessible::Name);
        EXPECT_FALSE(name.isEmpty()) << window.objectName().toStdString() << ": "
                                     << control->object()->objectName().toStdString() << " has no name";
        EXPECT_TRUE(byName.emplace(name, control).second)
            << window.objectName().toStdString() << ": two controls are named " << name.toStdString();
    }
    return byName;
}

QString u(const char* text)
{
    return QString::fromUtf8(text);
}

class AccessibilityTest : public GuiFixture {
protected:
    std::uint32_t autoReboot()
    {
        const auto values = keyValues(RootKey::LocalMachine, "SYSTEM\\CurrentControlSet\\Control\\CrashControl");
        const auto& data = values->at("AutoReboot").second;
        return data.at(0);
    }

    // The names of the focused control while Tab goes once round the window.
    std::vector<QString> tabCycle(QWidget& window)
    {
        std::vector<QString> names;
        QWidget* first = nullptr;
        for (int i = 0; i < 100; ++i) {
            QTest::keyClick(&window, Qt::Key_Tab);
            QWidget* focused = QApplication::focusWidget();
            if (!focused || focused == first)
                break;
            if (!first)
                first = focused;
            names.push_back(QAccessible::queryAccessibleInterface(focused)->text(QAccessible::Name));
        }
        return names;
    }
};

TEST_F(AccessibilityTest, EveryControlOfEveryWindowHasANameOfItsOwn)
{
    start();
    // Examples of each kind of name, by window.
    const std::map<QString, std::vector<const char*>> kExpected = {
        {u("Form1"), {"Awaria", "System", "Minimalizuj", "Zamknij", "Nazwa użytkownika", "Przywracanie systemu"}},
        {u("Form64"),
         {"Automatyczne restartowanie: Włącz", "Automatyczne restartowanie: Wyłącz", "Włącz komentarze",
          "Wyłącz komentarze", "Minimalizuj", "Zamknij"}},
        {u("Form4"),
         {"Wpis 1", "Wpis 1: BLOKUJ", "Wpis 10: ODBLOKUJ",
          "Sprawdzanie poprawności plików systemu operacyjnego Windows XP Professional"}},
        {u("Form6"),
         {"Usuń zawartość folderu Temp", "Usuń wybrane tapety z folderu Web\\Wallpaper", "Skalowanie obrazów"}},
        {u("Form9"), {"Dół", "Góra", "Sprawdzanie plików przy starcie komputera: Wyłącz"}},
        {u("Form2"),
         {"ODŚWIEŻANIE LISTY: Włącz", "ODŚWIEŻANIE LISTY", "Aktualne procesy", "Odśwież",
          "Konto (Profil) Administratora: Wyłącz"}},
        {u("Form7"),
         {"Czyść historię używanych adresów", "Ilość ściąganych plików w jednym połączeniu: 3", "Strona startowa",
          "Ścieżka zapisu danych"}},
    };
    std::size_t checked = 0;
    for (QWidget* window : windows().windows()) {
        auto* skinned = qobject_cast<chrome::SkinnedWindow*>(window);
        if (!skinned)
            continue;
        window->show();
        QAccessibleInterface* windowInterface = QAccessible::queryAccessibleInterface(window);
        EXPECT_EQ(windowInterface->text(QAccessible::Name), QString::fromStdString(skinned->definition().caption));
        const auto controls = controlsByName(*window);
        EXPECT_FALSE(controls.empty()) << window->objectName().toStdString();
        const auto expected = kExpected.find(window->objectName());
        if (expected == kExpected.end())
            continue;
        ++checked;
        for (const char* name : expected->second)
            EXPECT_TRUE(controls.count(u(name))) << window->objectName().toStdString() << ": no control " << name;
    }
    EXPECT_EQ(checked, kExpected.size());

    // A target is a push button that can be pressed, described by its own hint or its caption's.
    const auto crash = controlsByName(section("TForm64"));
    QAccessibleInterface* off = crash.at(u("Automatyczne restartowanie: Wyłącz"));
    EXPECT_EQ(off->role(), QAccessible::Button);
    EXPECT_EQ(off->text(QAccessible::Description),
              u("Konfiguruje, czy system Windows ma\nrestartować komputer podczas awarii krytycznej."));
    EXPECT_EQ(crash.at(u("Zamknij"))->text(QAccessible::Description), u("Zamknij"));
    off->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCoreApplication::processEvents();
    EXPECT_EQ(autoReboot(), 0u);
}

TEST_F(AccessibilityTest, CommentsSwitchesAreTogglesAndNoDecorationOrPlaceholderIsRead)
{
    chrome::SectionWindow& crash = openSection("TForm64");
    // Every text a screen reader meets in the windows: no decoration, no placeholder.
    std::vector<QString> texts;
    std::function<void(QAccessibleInterface&)> collect = [&](QAccessibleInterface& parent) {
        for (int i = 0; i < parent.childCount(); ++i) {
            if (QAccessibleInterface* child = parent.child(i)) {
                texts.push_back(child->text(QAccessible::Name));
                collect(*child);
            }
        }
    };
    for (QWidget* window : windows().windows())
        collect(*QAccessible::queryAccessibleInterface(window));
    for (const QString& decoration : {u("| | |"), u("-->"), u("___________________")})
        EXPECT_EQ(std::count(texts.begin(), texts.end(), decoration), 0) << decoration.toStdString();
    for (const QString& text : texts) {
        for (const char* placeholder : {".example", "example.org", "example.com", "Seed "})
            EXPECT_FALSE(text.contains(u(placeholder))) << text.toStdString();
    }

    const auto controls = controlsByName(crash);
    QAccessibleInterface* on = controls.at(u("Włącz komentarze"));
    QAccessibleInterface* off = controls.at(u("Wyłącz komentarze"));
    struct Step {
        const char* click; // null: as the window opened ("Tak" by default)
        bool onChecked;
    };
    for (const Step& step : {Step{nullptr, true}, Step{"Label9", false}, Step{"Label8", true}}) {
        if (step.click) {
            click(crash, QString::fromLatin1(step.click));
            runTimers();
        }
        SCOPED_TRACE(step.click ? step.click : "opened");
        for (QAccessibleInterface* toggle : {on, off}) {
            EXPECT_EQ(toggle->role(), QAccessible::CheckBox);
            EXPECT_TRUE(toggle->state().checkable);
        }
        EXPECT_EQ(on->state().checked, step.onChecked);
        EXPECT_EQ(off->state().checked, !step.onChecked);
    }
}

TEST_F(AccessibilityTest, TheChoiceTheMachineIsSetToIsACheckedToggleInAFrame)
{
    m_showOptionState = true;
    seed(RootKey::LocalMachine, "SYSTEM\\CurrentControlSet\\Control\\CrashControl", {{"AutoReboot", dword(1)}});
    start();
    click(mainWindow(), "Image9");
    chrome::SectionWindow& crash = section("TForm64");
    const auto controls = controlsByName(crash);
    QAccessibleInterface* on = controls.at(u("Automatyczne restartowanie: Włącz"));
    QAccessibleInterface* off = controls.at(u("Automatyczne restartowanie: Wyłącz"));
    auto framed = [&](const char* target) {
        const QImage face = crash.picture(QString::fromLatin1(target))->grab().toImage();
        return (face.pixel(0, 0) & 0xFFFFFF) == chrome::skin::accent;
    };
    for (const bool autoRebootOn : {true, false}) {
        SCOPED_TRACE(autoRebootOn);
        for (QAccessibleInterface* choice : {on, off}) {
            EXPECT_EQ(choice->role(), QAccessible::CheckBox);
            EXPECT_TRUE(choice->state().checkable);
        }
        EXPECT_EQ(on->state().checked, autoRebootOn);
        EXPECT_EQ(off->state().checked, !autoRebootOn);
        EXPECT_EQ(framed("Image8"), autoRebootOn);
        EXPECT_EQ(framed("Image9"), !autoRebootOn);
        click(crash, "Image9");
    }
    EXPECT_TRUE(m_errors.messages.empty());
}

TEST_F(AccessibilityTest, TabGoesRoundTheWindowInScreenOrderAndSpaceOrEnterClicks)
{
    chrome::SectionWindow& crash = openSection("TForm64");
    crash.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&crash));

    const std::vector<const char*> kOrder = {
        "Minimalizuj",
        "Zamknij",
        "Automatyczne restartowanie: Włącz",
        "Automatyczne restartowanie: Wyłącz",
        "Wysyłanie alertów administracyjnych: Włącz",
        "Wysyłanie alertów administracyjnych: Wyłącz",
        "Zapisywanie informacji o debugowaniu: Włącz",
        "Zapisywanie informacji o debugowaniu: Wyłącz",
        "Zapisywanie zdarzeń do dziennika alertów: Włącz",
        "Zapisywanie zdarzeń do dziennika alertów: Wyłącz",
        "Włącz komentarze",
        "Wyłącz komentarze",
        "Zastąpienie plików z informacją o debugowaniu: Włącz",
        "Zastąpienie plików z informacją o debugowaniu: Wyłącz",
    };
    std::vector<QString> expected;
    for (const char* name : kOrder)
        expected.push_back(u(name));
    EXPECT_EQ(tabCycle(crash), expected);

    // To "Wyłącz" of the first option, which shows the focus frame: Space clicks it; Shift+Tab
    // back to "Włącz": Enter clicks it.
    chrome::PictureControl* off = crash.picture("Image9");
    const QRgb frame = qRgb(0xF0, 0xA0, 0x1E);
    EXPECT_NE(off->grab().toImage().pixel(0, 0), frame);
    while (QApplication::focusWidget() != off)
        QTest::keyClick(&crash, Qt::Key_Tab);
    EXPECT_EQ(off->grab().toImage().pixel(0, 0), frame);
    QTest::keyClick(off, Qt::Key_Space);
    EXPECT_EQ(autoReboot(), 0u);
    QTest::keyClick(&crash, Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), crash.picture("Image8"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(autoReboot(), 1u);
    EXPECT_TRUE(m_errors.messages.empty());
}

} // namespace
