// Starts dostrojnik.exe, opens its section windows from the main menu and clicks every target
// that writes the registry with the real mouse messages, then reads the registry back.

#include "app/definitions.h"
#include "chrome/definition.h"
#include "core/platform/win32/win32_text.h"
#include "core/registry/tregistry.h"
#include "core/registry/win32_registry.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <variant>

using core::win32::wide;

namespace {

using Expected = std::optional<std::variant<std::int32_t, std::string>>;

bool waitFor(const std::function<bool()>& condition)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        // The program sends messages to the windows of this thread too (the System window asks
        // every top-level window for its caption): they are answered while waiting.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg{};
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
    return true;
}

HWND topWindow(const chrome::WindowDefinition& definition)
{
    return FindWindowW(L"DostrojnikWindow", wide(definition.caption).c_str());
}

// The child window that stands at the component's place.
HWND childAt(HWND top, const chrome::Component& component)
{
    struct Search {
        HWND top;
        RECT place;
        HWND found = nullptr;
    } search{top,
             {component.place.x, component.place.y, component.place.x + component.place.width,
              component.place.y + component.place.height}};
    EnumChildWindows(
        top,
        [](HWND child, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            RECT rect{};
            GetWindowRect(child, &rect);
            MapWindowPoints(HWND_DESKTOP, s.top, reinterpret_cast<POINT*>(&rect), 2);
            if (EqualRect(&rect, &s.place))
                s.found = child;
            return s.found == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The captions of the visible top-level windows, for a failure's message.
std::string windowTitles()
{
    std::string titles;
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            if (IsWindowVisible(window)) {
                wchar_t text[256] = {};
                GetWindowTextW(window, text, 256);
                *reinterpret_cast<std::string*>(data) += core::win32::utf8(text) + " | ";
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&titles));
    return titles;
}

void click(HWND target)
{
    const LPARAM middle = MAKELPARAM(2, 2);
    PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, middle);
    PostMessageW(target, WM_LBUTTONUP, 0, middle);
}

void clickComponent(HWND top, const chrome::WindowDefinition& definition, const std::string& name)
{
    const chrome::Component* component = definition.find(name);
    ASSERT_NE(component, nullptr) << name;
    HWND target = childAt(top, *component);
    ASSERT_NE(target, nullptr) << definition.className << " " << name;
    click(target);
}

class Program {
public:
    Program()
    {
        std::wstring command = L"\"" + wide(DOSTROJNIK_EXE) + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        m_started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                   &m_process) != FALSE;
    }
    ~Program()
    {
        if (!m_started)
            return;
        TerminateProcess(m_process.hProcess, 0);
        WaitForSingleObject(m_process.hProcess, 5000);
        CloseHandle(m_process.hThread);
        CloseHandle(m_process.hProcess);
    }
    bool started() const { return m_started; }
    bool running() const { return WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT; }

private:
    PROCESS_INFORMATION m_process{};
    bool m_started = false;
};

Expected readBack(core::RegistryApi& api, const chrome::RegistryKey& key, const std::string& name, bool integer)
{
    core::TRegistry registry(api);
    registry.SetRootKey(key.root);
    if (!registry.OpenKey(key.path, false) || !registry.ValueExists(name))
        return std::nullopt;
    if (integer)
        return registry.ReadInteger(name);
    return registry.ReadString(name);
}

} // namespace

TEST(DostrojnikExe, EveryTargetWritesWhatItsRowSays)
{
    core::Win32Registry api;
    // The keys that rows open without creating them, as a machine in use has them; Windows has
    // the shell's policy key from the start, and the Protection window writes there when it is made.
    {
        core::TRegistry registry(api);
        registry.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer", true);
    }
    for (const chrome::WindowDefinition* definition : app::skinnedDefinitions()) {
        for (const chrome::OptionRow& row : definition->options) {
            if (row.action.steps.empty())
                continue;
            core::TRegistry registry(api);
            registry.SetRootKey(row.action.key.root);
            registry.OpenKey(row.action.key.path, true);
        }
    }

    Program program;
    ASSERT_TRUE(program.started());
    const chrome::WindowDefinition& mainWindow = app::mainDefinition();
    ASSERT_TRUE(waitFor([&] { return IsWindowVisible(topWindow(mainWindow)) != FALSE; }))
        << "no main window; running: " << program.running() << "; windows: " << windowTitles();
    const HWND menu = topWindow(mainWindow);
    std::map<std::string, std::string> menuTargets;
    for (const app::MenuEntry& entry : app::sectionMenu())
        menuTargets[entry.windowClass] = entry.target;

    int checked = 0;
    for (const chrome::WindowDefinition* definition : app::skinnedDefinitions()) {
        SCOPED_TRACE(definition->className);
        HWND top = topWindow(*definition);
        ASSERT_NE(top, nullptr) << "window not built";
        if (auto entry = menuTargets.find(definition->className); entry != menuTargets.end()) {
            clickComponent(menu, mainWindow, entry->second);
            EXPECT_TRUE(waitFor([&] { return IsWindowVisible(top) != FALSE; })) << "the menu did not open it";
        }
        for (const chrome::OptionRow& row : definition->options) {
            const chrome::Action& action = row.action;
            if (action.steps.empty())
                continue;
            SCOPED_TRACE(row.target);
            // What the row leaves, value by value: the last step on a name wins.
            std::map<std::string, std::pair<Expected, bool>> expected;
            for (const chrome::OptionStep& step : action.steps) {
                switch (step.kind) {
                case chrome::OptionStepKind::WriteInteger: expected[step.name] = {step.integer, true}; break;
                case chrome::OptionStepKind::WriteString: expected[step.name] = {step.text, false}; break;
                case chrome::OptionStepKind::DeleteValue: expected[step.name] = {std::nullopt, true}; break;
                case chrome::OptionStepKind::DeleteKey: break;
                }
            }
            // The value before the click must differ, or the click would prove nothing.
            for (const auto& [name, value] : expected) {
                core::TRegistry registry(api);
                registry.SetRootKey(action.key.root);
                registry.OpenKey(action.key.path, true);
                if (value.first)
                    registry.DeleteValue(name);
                else
                    registry.WriteString(name, "?");
            }
            clickComponent(top, *definition, row.target);
            for (const auto& [name, value] : expected) {
                const bool integer = value.second;
                const Expected want = value.first;
                EXPECT_TRUE(waitFor([&] { return readBack(api, action.key, name, integer) == want; }))
                    << action.key.path << " " << name;
            }
            ++checked;
        }
    }
    EXPECT_GT(checked, 20);
    EXPECT_TRUE(program.running());
}
