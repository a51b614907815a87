// Options as rows of data: a row makes the caption picture, its targets under it with the hand
// cursor, the frame of its box and the rows the window wires; what is wrong with a definition
// is found, and no window of the program has such a fault.

#include "app/definitions.h"
#include "chrome/option_table.h"
#include "core/machine/baseline.h"
#include "core/machine/machine.h"
#include "core/registry/wine_registry.h"
#include "core/text/unicode.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <type_traits>

using namespace chrome;
using core::RootKey;

namespace {

const RegistryKey kAdvanced{RootKey::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced"};

WindowDefinition emptyWindow()
{
    WindowDefinition w;
    w.className = "TTestForm";
    w.width = 460;
    w.height = 300;
    return w;
}

bool contains(const Rect& outer, const Rect& inner)
{
    return outer.x <= inner.x && outer.y <= inner.y && inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

TEST(OptionTableTest, AnOptionIsItsCaptionWithItsTargetsSideBySideUnderIt)
{
    WindowDefinition w = emptyWindow();
    addSwitch(w, kAdvanced, {"Image9", {122, 28, 163, 44}, "Rozwijaj menu Panel Sterowania"},
              {.on = "Image10",
               .off = "Image14",
               .value = "CascadeControlPanel",
               .onData = Text{"YES"},
               .offData = Text{"NO"}});
    // Three choices, the last one on a line of its own.
    const RegistryKey prefetch{RootKey::LocalMachine, "SYSTEM\\Prefetch", true};
    addOption(w, {.name = "Image8", .place = {122, 120, 160, 26}, .caption = "Włączanie systemu", .targetHeight = 20},
              {choice("Image13", "Szybkie", writeValue(prefetch, "EnablePrefetcher", Dword{0})),
               choice("Image14b", "W miarę szybkie", writeValue(prefetch, "EnablePrefetcher", Dword{2})),
               choice("Image15", "W miarę szybkie i wydajne", writeValue(prefetch, "EnablePrefetcher", Dword{3}),
                      {122, 166, 160, 20})});

    const Component* caption = w.find("Image9");
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->picture, PictureLook::OptionCaption);
    EXPECT_FALSE(caption->handCursor);
    const Component* on = w.find("Image10");
    const Component* off = w.find("Image14");
    ASSERT_TRUE(on && off);
    EXPECT_EQ(on->text, "Włącz");
    EXPECT_EQ(on->picture, PictureLook::TargetOn);
    EXPECT_EQ(off->text, "Wyłącz");
    EXPECT_EQ(off->picture, PictureLook::TargetOff);
    EXPECT_TRUE(on->handCursor && off->handCursor);
    EXPECT_EQ(on->place.x, 122);
    EXPECT_EQ(on->place.y, 72);
    EXPECT_EQ(on->place.height, 30);
    EXPECT_EQ(on->place.x + on->place.width, off->place.x);
    EXPECT_EQ(off->place.x + off->place.width, 285);

    // Targets of their own sizes, as drawn.
    const RegistryKey atapi{RootKey::LocalMachine, "SYSTEM\\CurrentControlSet\\Services\\atapi\\Parameters"};
    addOption(w, {"Image5", {122, 200, 332, 26}, "Obsługiwanie maksymalnej objętości dysku"},
              {enable("Image6", writeValue(atapi, "EnableBigLba", Dword{1}), {122, 226, 164, 25}),
               disable("Image7", writeValue(atapi, "EnableBigLba", Dword{0}), {287, 226, 167, 25})});
    EXPECT_EQ(w.find("Image7")->place.x, 287);
    EXPECT_EQ(w.find("Image7")->place.width, 167);
    EXPECT_EQ(w.find("Image7")->text, "Wyłącz");

    const Component* fast = w.find("Image13");
    const Component* middle = w.find("Image14b");
    const Component* last = w.find("Image15");
    ASSERT_TRUE(fast && middle && last);
    EXPECT_EQ(fast->place.y, 146);
    EXPECT_EQ(fast->place.width + middle->place.width, 160);
    EXPECT_EQ(last->place.y, 166);
    EXPECT_EQ(last->picture, PictureLook::TargetChoice);

    // Each box gets one frame around all its pictures. (The components moved as the last box
    // came in: found again.)
    caption = w.find("Image9");
    on = w.find("Image10");
    off = w.find("Image14");
    ASSERT_EQ(w.panels.size(), 3u);
    EXPECT_TRUE(contains(w.panels[0].place, caption->place) && contains(w.panels[0].place, off->place));
    EXPECT_TRUE(contains(w.panels[1].place, last->place) && !contains(w.panels[1].place, on->place));

    ASSERT_EQ(w.options.size(), 7u);
    EXPECT_EQ(w.options[0].target, "Image10");
    EXPECT_EQ(w.options[0].action.key.path, kAdvanced.path);
    ASSERT_EQ(w.options[1].action.steps.size(), 1u);
    EXPECT_EQ(w.options[1].action.steps[0].kind, OptionStepKind::WriteString);
    EXPECT_EQ(w.options[1].action.steps[0].text, "NO");
    EXPECT_EQ(w.options[4].action.steps[0].kind, OptionStepKind::WriteInteger);
    EXPECT_EQ(w.options[4].action.steps[0].integer, 3);
    EXPECT_TRUE(w.options[4].action.key.create);
    EXPECT_TRUE(definitionProblems(w).empty());
}

// The data a row writes says its type: what a row could mistake does not compile.
static_assert(std::is_constructible_v<Data, Dword> && std::is_constructible_v<Data, Text>);
static_assert(!std::is_constructible_v<Data, int> && !std::is_constructible_v<Data, const char*> &&
              !std::is_constructible_v<Data, std::string> && !std::is_default_constructible_v<Data>);
static_assert(!std::is_constructible_v<Text, int> && !std::is_constructible_v<Text, char> &&
              !std::is_convertible_v<const char*, Text>);
static_assert(!std::is_constructible_v<Dword, const char*>);

TEST(OptionTableTest, AOneShotActionIsItsOwnClickableCaption)
{
    WindowDefinition w = emptyWindow();
    addAction(w, {"Image2", {123, 27, 162, 44}, "Usuń zawartość folderu Temp"},
              commandLines({"rd /s /q %TMP%", "md %TMP%"}));
    const Component* caption = w.find("Image2");
    ASSERT_NE(caption, nullptr);
    EXPECT_TRUE(caption->handCursor);
    EXPECT_EQ(caption->picture, PictureLook::OptionCaption);
    ASSERT_EQ(w.options.size(), 1u);
    EXPECT_EQ(w.options[0].target, "Image2");
    EXPECT_EQ(w.options[0].action.commands.size(), 2u);
    EXPECT_EQ(w.panels.size(), 1u);
    EXPECT_TRUE(definitionProblems(w).empty());
}

TEST(OptionTableTest, FaultsThatAWindowWouldPassOverAreFound)
{
    WindowDefinition w = emptyWindow();
    w.components = {picture("Image1", {0, 0, 460, 300}, PictureLook::Background),
                    picture("Image3", {0, 0, 10, 10}, PictureLook::TargetOn, "Włącz"),
                    label("Label1", {0, 0, 0, 0}, LabelLook::Plain, "x"),
                    label("Label1", {0, 0, 0, 0}, LabelLook::Plain, "y"),
                    timer("Timer1", 1, false),
                    watcher("Timer2", 1)};
    // A watcher slows down while the program is idle: a stopped timer cannot be one.
    w.components.back().enabled = false;
    w.options = {{"Image99", writeValue(kAdvanced, "Hidden", Dword{1})},
                 {"Label1", writeValue(kAdvanced, "Hidden", Dword{0})},
                 {"Image3", {}},
                 {"Image3", onKey({RootKey::CurrentUser, ""}, {writeValue("x", Dword{1})})}};
    w.hints = {{"Image98", "Zamknij"}, {"Label1", "a"}, {"Label1", "b"}};
    w.dragTimer = "Image1";
    w.dragSurfaces = {"Timer1"};
    w.closeTarget = "Image97";
    const std::vector<std::string> expected = {
        "TTestForm: two components are named Label1",
        "TTestForm: watcher Timer2 is no timer running from creation",
        "TTestForm: option target Image99 is no picture",
        "TTestForm: option target Label1 is no picture",
        "TTestForm: option target Image3 does not show the hand cursor",
        "TTestForm: option Image3 does nothing",
        "TTestForm: option target Image3 does not show the hand cursor",
        "TTestForm: option target Image3 has two rows",
        "TTestForm: option Image3 names no key",
        "TTestForm: hinted control Image98 is no component",
        "TTestForm: control Label1 has two hints",
        "TTestForm: drag timer Image1 is not of the right kind",
        "TTestForm: drag surface Timer1 is not of the right kind",
        "TTestForm: close target Image97 is no component",
    };
    EXPECT_EQ(definitionProblems(w), expected);
}

// A menu entry opens a window by its class: a target that is not there, or a class that no
// window has, would leave a menu entry that does nothing or opens nothing.
TEST(OptionTableTest, MenuTargetsThatOpenNoWindowAreFound)
{
    WindowDefinition main = emptyWindow();
    WindowDefinition crash = emptyWindow();
    crash.className = "TForm64";
    main.components = {picture("Image1", {0, 0, 460, 300}, PictureLook::Background),
                       target("Image2", {0, 0, 26, 23}, PictureLook::Minimise, {}),
                       target("Image9", {422, 50, 140, 26}, PictureLook::MenuRight, "Awaria"),
                       picture("Image10", {422, 81, 140, 26}, PictureLook::MenuRight, "Wydajność")};
    main.minimiseTarget = "Image2";
    const std::vector<MenuEntry> menu = {{"Image9", "TForm64"},
                                         {"Image9", "TForm46"},
                                         {"Image10", "TForm64"},
                                         {"Image11", "TForm64"},
                                         {"Image2", "TForm64"}};
    const std::vector<std::string> expected = {
        "TTestForm: menu target Image9 has another use",
        "TTestForm: menu target Image9 names no window",
        "TTestForm: menu target Image10 is no clickable picture",
        "TTestForm: menu target Image11 is no clickable picture",
        "TTestForm: menu target Image2 has another use",
    };
    EXPECT_EQ(definitionProblems(main, menu, {&crash}), expected);
}

TEST(OptionTableTest, EveryWindowOfTheProgramIsWellDefined)
{
    const std::vector<const WindowDefinition*> windows = app::skinnedDefinitions();
    for (const WindowDefinition* window : windows) {
        const std::vector<std::string> problems = window == &app::mainDefinition()
                                                      ? definitionProblems(*window, app::sectionMenu(), windows)
                                                      : definitionProblems(*window);
        EXPECT_TRUE(problems.empty()) << window->className << ": " << problems.size()
                                      << " problems, first: " << (problems.empty() ? "" : problems.front());
    }
}

TEST(OptionTableTest, TheStockKeysAreThoseOfTheBaselineThatRowsWriteIntoWithoutCreatingThem)
{
    testing_support::TemporaryFolder folder;
    const core::Machine machine(folder / "machine", "user");
    machine.ensureExists();
    core::WineRegistry baseline(machine.root(), 1000);
    const auto isStock = [](const RegistryKey& key) {
        return std::any_of(
            std::begin(core::baseline::StockKeys), std::end(core::baseline::StockKeys),
            [&](const auto& stock) { return stock.root == key.root && core::text::equalNoCase(stock.path, key.path); });
    };
    for (const WindowDefinition* window : app::skinnedDefinitions()) {
        for (const OptionRow& row : window->options) {
            const RegistryKey& key = row.action.key;
            const bool writes =
                std::any_of(row.action.steps.begin(), row.action.steps.end(), [](const OptionStep& step) {
                    return step.kind == OptionStepKind::WriteInteger || step.kind == OptionStepKind::WriteString;
                });
            SCOPED_TRACE(window->className + " " + row.target + " " + key.path);
            if (key.create) {
                EXPECT_FALSE(isStock(key));
            } else if (writes) {
                core::KeyHandle handle;
                const bool inBaseline = baseline.openKey(core::rootHandle(key.root), key.path, core::Access::Read,
                                                         handle) == core::RegStatus::Success;
                EXPECT_EQ(isStock(key), inBaseline);
                if (inBaseline)
                    baseline.closeKey(handle);
            }
        }
    }
}

} // namespace
