#include "ui/win32/win32_program.h"

#include "app/definitions.h"
#include "app/services.h"
#include "app/tform1.h"
#include "app/tform10.h"
#include "app/tform8.h"
#include "app/window_table.h"
#include "chrome/errors.h"
#include "chrome/pictures.h"
#include "chrome/section_behaviour.h"
#include "chrome/skin.h"
#include "chrome/window_behaviour.h"
#include "core/platform/clock.h"
#include "core/platform/system_calls.h"
#include "core/registry/win32_registry.h"
#include "core/settings/ini_file.h"
#include "core/shell/shell_command.h"
#include "core/platform/win32/win32_platform.h"
#include "core/platform/win32/win32_text.h"
#include "sections/file_compatibility/tform9.h"
#include "sections/internet/tform7.h"
#include "sections/plain_windows.h"
#include "sections/protection/tform4.h"
#include "sections/removal/tform6.h"
#include "sections/system/tform2.h"
#include "ui/win32/win32_parts.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace ui::win32 {

namespace {

using chrome::LabelLook;

COLORREF colour(std::uint32_t rgb)
{
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

LabelStyle styleOf(LabelLook look)
{
    namespace skin = chrome::skin;
    LabelStyle style;
    style.colour = colour(skin::darkText);
    style.pointSize = skin::fontPointSize;
    constexpr UINT wrapped = DT_CENTER | DT_TOP | DT_WORDBREAK | DT_NOPREFIX;
    constexpr UINT centred = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
    switch (look) {
    case LabelLook::Plain: break;
    case LabelLook::Light:
    case LabelLook::Link: style.colour = colour(skin::lightText); break;
    case LabelLook::Switch:
        // A little smaller, so that the switches stay on the left panel.
        style.colour = colour(skin::lightText);
        style.pointSize -= 1;
        break;
    case LabelLook::Heading:
        style = {colour(0xFFFFFF), true, colour(skin::headingGrey), true, style.pointSize, 0, centred};
        break;
    case LabelLook::Description:
    case LabelLook::Note:
        style.colour = colour(skin::lightText);
        style.pointSize -= 1;
        style.format = wrapped;
        break;
    case LabelLook::Arrow:
        style.colour = colour(skin::arrow);
        style.bold = true;
        break;
    case LabelLook::Separator: style.colour = colour(skin::separator); break;
    case LabelLook::Title: style = {colour(0xFFFFFF), true, colour(0x000000), true, style.pointSize, 0, centred}; break;
    case LabelLook::Silver:
        style.filled = true;
        style.background = colour(skin::silver);
        style.format = centred;
        break;
    case LabelLook::Bar:
        style.colour = colour(skin::lightText);
        style.format = centred;
        break;
    case LabelLook::Field:
        style.colour = colour(skin::lightText);
        style.pointSize -= 1;
        style.format = centred;
        break;
    case LabelLook::Warning:
        style.colour = colour(skin::maroon);
        style.pointSize -= 1;
        break;
    case LabelLook::Paragraph: style.format = wrapped; break;
    case LabelLook::Small: style.pointSize -= 1; break;
    case LabelLook::Strong: style.bold = true; break;
    case LabelLook::Number:
        style.pixelSize = 17;
        style.format = DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
        break;
    }
    return style;
}

Rect rectOf(const chrome::Rect& place)
{
    return {place.x, place.y, place.width, place.height};
}

const std::string* hintOf(const chrome::WindowDefinition& definition, const std::string& control)
{
    for (const chrome::Hint& hint : definition.hints) {
        if (hint.control == control)
            return &hint.text;
    }
    return nullptr;
}

// One skinned window: its parts and what it does.
struct SkinnedWindow {
    const chrome::WindowDefinition* definition = nullptr;
    std::unique_ptr<Win32Window> window;
    std::unique_ptr<chrome::WindowBehaviour> behaviour;
    std::unique_ptr<chrome::SectionBehaviour> section;
};

// The system's controls of a window, which its class works with.
void addTool(Win32Window& window, const chrome::Component& component)
{
    const Rect place = rectOf(component.place);
    Part* part = nullptr;
    switch (component.kind) {
    case chrome::ComponentKind::EditBox: {
        Win32EditBox& edit = window.addEditBox(component.name, place);
        edit.setText(component.text);
        part = &edit;
        break;
    }
    case chrome::ComponentKind::NameEntry: {
        Win32EditBox& edit = window.addEditBox(component.name, place);
        SendMessageW(edit.handle(), EM_SETLIMITTEXT, static_cast<WPARAM>(component.maximum), 0);
        part = &edit;
        break;
    }
    case chrome::ComponentKind::ListBox: part = &window.addListBox(component.name, place); break;
    case chrome::ComponentKind::SpinEdit: {
        Win32SpinEdit& spin = window.addSpinEdit(component.name, place, component.minimum, component.maximum);
        spin.setValue(component.value);
        part = &spin;
        break;
    }
    case chrome::ComponentKind::FileList: part = &window.addFileList(component.name, place); break;
    case chrome::ComponentKind::Preview: part = &window.addPreview(component.name, place); break;
    case chrome::ComponentKind::CheckBox:
        part = &window.addCheckBox(component.name, place, component.text, component.value != 0);
        break;
    default: return;
    }
    part->setVisible(component.visible);
}

std::unique_ptr<Win32Window> build(const chrome::WindowDefinition& definition, PictureSource& pictures)
{
    auto window = std::make_unique<Win32Window>(pictures, definition.className, definition.caption,
                                                Size{definition.width, definition.height});
    for (const chrome::Component& component : definition.components) {
        Clickable* part = nullptr;
        switch (component.kind) {
        case chrome::ComponentKind::Picture: {
            Win32Picture& picture = window->addPicture(component.name, rectOf(component.place));
            picture.setPicture(chrome::pictureFile(definition, component));
            picture.setAccessibleName(chrome::accessibleName(component));
            part = &picture;
            break;
        }
        case chrome::ComponentKind::Label: {
            Win32Label& label = window->addLabel(component.name, rectOf(component.place), styleOf(component.label));
            label.setText(component.text);
            if (!component.accessibleName.empty())
                label.setAccessibleName(component.accessibleName);
            part = &label;
            break;
        }
        case chrome::ComponentKind::Timer: {
            Win32Timer& timer = window->addTimer(component.name, component.interval);
            timer.setEnabled(component.enabled);
            continue;
        }
        case chrome::ComponentKind::Button: {
            Win32Button& button =
                window->addButton(component.name, rectOf(component.place), component.text, component.compact);
            button.setTarget(component.handCursor);
            button.setVisible(component.visible);
            continue;
        }
        default: addTool(*window, component); continue;
        }
        part->setTarget(component.handCursor);
        const std::string* hint = hintOf(definition, component.name);
        if (!hint && !component.describedBy.empty())
            hint = hintOf(definition, component.describedBy);
        if (hint)
            part->setAccessibleDescription(*hint);
        part->setVisible(component.visible);
    }
    for (const chrome::ToolName& tool : definition.toolNames) {
        if (Part* control = window->part(tool.control))
            control->setAccessibleName(tool.name);
    }
    if (const auto& comments = definition.comments) {
        for (const std::string& name : {comments->onSwitch, comments->offSwitch})
            window->label(name)->setTarget(true);
    }
    return window;
}

// What the window table keeps of a class: how to make a section window's behaviour; null for
// the main and About windows, whose behaviour is the shared one here.
using SectionFactory = std::unique_ptr<chrome::SectionBehaviour> (*)(ui::Window&, const chrome::WindowDefinition&,
                                                                     const chrome::SectionServices&);

// The section classes this build hosts; the table names the others only (incomplete types).
template <class Window>
constexpr bool kIsSection = false;
template <>
constexpr bool kIsSection<TForm2> = true;
template <>
constexpr bool kIsSection<TForm4> = true;
template <>
constexpr bool kIsSection<TForm5> = true;
template <>
constexpr bool kIsSection<TForm6> = true;
template <>
constexpr bool kIsSection<TForm7> = true;
template <>
constexpr bool kIsSection<TForm9> = true;
template <>
constexpr bool kIsSection<TForm13> = true;
template <>
constexpr bool kIsSection<TForm18> = true;
template <>
constexpr bool kIsSection<TForm26> = true;
template <>
constexpr bool kIsSection<TForm64> = true;

struct SectionClasses {
    using Kept = SectionFactory;
    template <class Window>
    static Kept of()
    {
        if constexpr (kIsSection<Window>)
            return [](ui::Window& window, const chrome::WindowDefinition& definition,
                      const chrome::SectionServices& services) -> std::unique_ptr<chrome::SectionBehaviour> {
                return std::make_unique<Window>(window, definition, services);
            };
        else
            return nullptr;
    }
};

// Drags the window by its background and title strip: Windows moves it as by a caption.
void wireDrag(Win32Window& window, const chrome::WindowDefinition& definition)
{
    for (const std::string& name : definition.dragSurfaces) {
        auto* surface = dynamic_cast<Clickable*>(window.part(name));
        if (!surface)
            continue;
        surface->onMouseDown = [handle = window.handle()] {
            if (!(GetKeyState(VK_LBUTTON) & 0x8000))
                return;
            ReleaseCapture();
            SendMessageW(handle, WM_NCLBUTTONDOWN, HTCAPTION, 0);
        };
    }
}

// The monitor that holds a window, from the window manager.
class MonitorScreen final : public chrome::ScreenSource {
public:
    Size size(const ui::Window& window) const override
    {
        MONITORINFO info{};
        info.cbSize = sizeof(info);
        GetMonitorInfoW(MonitorFromWindow(static_cast<HWND>(window.nativeId()), MONITOR_DEFAULTTOPRIMARY), &info);
        return {info.rcMonitor.right - info.rcMonitor.left, info.rcMonitor.bottom - info.rcMonitor.top};
    }
};

// One of the restart prompt's answers: its button is the message box's.
class AnswerButton final : public Button {
public:
    NativeId nativeId() const override { return nullptr; }
    void setVisible(bool) override {}
    bool isVisible() const override { return false; }
    Rect place() const override { return {}; }
    void setPlace(const Rect&) override {}
    void setAccessibleName(const std::string&) override {}
    void setAccessibleDescription(const std::string&) override {}
    void setHint(const std::string&) override {}
    std::string hint() const override { return {}; }
    void setHintShown(bool) override {}
    bool hintShown() const override { return false; }
    void setTarget(bool) override {}
    void setMarked(bool) override {}
    void setText(const std::string& text) override { m_text = text; }
    std::string text() const override { return m_text; }

private:
    std::string m_text;
};

// The restart prompt as the system's question box over the main window: Yes and No, No the
// default; the answer clicks the matching button ("Button2" Tak, "Button1" Nie).
class PromptWindow final : public ui::Window {
public:
    PromptWindow(const app::PromptDefinition& definition, std::function<HWND()> owner)
        : m_definition(definition)
        , m_owner(std::move(owner))
    {
        m_no.setText(definition.no);
        m_yes.setText(definition.yes);
    }

    NativeId nativeId() const override { return nullptr; }
    void setVisible(bool visible) override { m_visible = visible; }
    bool isVisible() const override { return m_visible; }
    void bringForward() override { showModal(); }
    void minimise() override {}
    void close() override { m_visible = false; }
    void showModal() override
    {
        if (m_visible)
            return;
        m_visible = true;
        const int answer =
            MessageBoxW(m_owner(), core::win32::wide(m_definition.question).c_str(),
                        core::win32::wide(m_definition.caption).c_str(), MB_YESNO | MB_DEFBUTTON2 | MB_TASKMODAL);
        AnswerButton& chosen = answer == IDYES ? m_yes : m_no;
        if (chosen.onClick)
            chosen.onClick();
        // The answer could not close the program: back to it.
        m_visible = false;
    }
    Point position() const override { return {}; }
    void move(Point) override {}
    void setOpacity(std::uint8_t) override {}
    Picture* picture(const std::string&) override { return nullptr; }
    Label* label(const std::string&) override { return nullptr; }
    Timer* timer(const std::string&) override { return nullptr; }
    Part* part(const std::string& name) override
    {
        if (name == "Button1")
            return &m_no;
        return name == "Button2" ? &m_yes : nullptr;
    }

private:
    const app::PromptDefinition& m_definition;
    std::function<HWND()> m_owner;
    AnswerButton m_no;
    AnswerButton m_yes;
    bool m_visible = false;
};

class ErrorBox final : public ui::ErrorReporter {
public:
    void report(const std::string& message) override
    {
        showErrorBox(app::kApplicationTitle, chrome::errorBoxText(message));
    }
};

} // namespace

int runProgram(HINSTANCE instance, const std::filesystem::path& executable, ResourcePictures& pictures)
{
    registerClasses(instance);
    core::Win32Registry registry;
    ErrorBox errors;
    const std::filesystem::path settingsPath = core::settingsPathFor(executable);
    core::SystemCalls& calls = core::posixSystemCalls();
    auto shell = [](const std::string& commandLine) { core::shellCommand(commandLine); };

    core::Win32DesktopWindows desktop;
    core::Win32ProcessControl processes;
    const core::Win32DriveFiles driveC;
    Win32MessageBoxes messageBoxes(app::kApplicationTitle);

    std::vector<SkinnedWindow> windows;
    std::vector<SectionFactory> factories;
    for (const auto& row : app::windowTable<SectionClasses>()) {
        if (!row.definition)
            continue;
        windows.push_back({row.definition, build(*row.definition, pictures), nullptr, nullptr});
        factories.push_back(row.windowClass);
    }
    // The windows minimised together: when one comes back, the others follow.
    std::vector<Win32Window*> minimised;
    auto minimiseAll = [&windows, &minimised] {
        minimised.clear();
        for (SkinnedWindow& skinned : windows) {
            if (skinned.window->isVisible()) {
                minimised.push_back(skinned.window.get());
                skinned.window->minimise();
            }
        }
    };
    for (SkinnedWindow& skinned : windows) {
        skinned.window->onRestored = [&minimised, restored = skinned.window.get()] {
            for (Win32Window* other : std::exchange(minimised, {})) {
                if (other != restored && IsIconic(other->handle()))
                    ShowWindow(other->handle(), SW_RESTORE);
            }
        };
    }
    std::map<std::string, SkinnedWindow*, std::less<>> byClass;
    const chrome::SectionServices services{registry,
                                           settingsPath,
                                           calls,
                                           errors,
                                           messageBoxes,
                                           desktop,
                                           processes,
                                           &driveC,
                                           [&byClass](std::string_view className) {
                                               // A plain show: these windows keep no settings to read.
                                               if (auto found = byClass.find(className); found != byClass.end())
                                                   found->second->window->bringForward();
                                           }};
    for (std::size_t i = 0; i < windows.size(); ++i) {
        SkinnedWindow& skinned = windows[i];
        const chrome::WindowDefinition& definition = *skinned.definition;
        byClass[definition.className] = &skinned;
        wireDrag(*skinned.window, definition);
        skinned.behaviour = std::make_unique<chrome::WindowBehaviour>(
            *skinned.window, definition, chrome::WindowBehaviour::Services{registry, shell, errors, minimiseAll});
        if (definition.comments) {
            skinned.section = factories[i]
                                  ? factories[i](*skinned.window, definition, services)
                                  : std::make_unique<chrome::SectionBehaviour>(*skinned.window, definition, services);
            skinned.section->assignHints();
        }
    }

    Win32Window& main = *windows.front().window;
    PromptWindow prompt(app::restartPrompt(), [&main] { return main.handle(); });
    core::HostClock clock;
    core::Win32DriveSpace driveSpace;
    MonitorScreen screen;
    const app::Services appServices{registry,
                                    settingsPath,
                                    calls,
                                    shell,
                                    errors,
                                    clock,
                                    driveSpace,
                                    screen,
                                    [&byClass, &prompt](std::string_view className) -> ui::Window* {
                                        if (className == app::restartPrompt().className)
                                            return &prompt;
                                        const auto found = byClass.find(className);
                                        return found == byClass.end() ? nullptr : found->second->window.get();
                                    },
                                    [&byClass](std::string_view className) {
                                        const auto found = byClass.find(className);
                                        if (found == byClass.end())
                                            return;
                                        // The About window is shown as it is: no settings.
                                        if (found->second->section)
                                            found->second->section->openingSequence();
                                        else
                                            found->second->window->bringForward();
                                    }};
    // The main window's and the About window's own behaviour; the restart prompt's.
    std::vector<std::unique_ptr<chrome::ClassBehaviour>> classes;
    classes.push_back(std::make_unique<TForm1>(main, *windows.front().definition, appServices));
    if (const auto about = byClass.find(app::aboutDefinition().className); about != byClass.end())
        classes.push_back(std::make_unique<TForm8>(*about->second->window, appServices));
    classes.push_back(std::make_unique<TForm10>(prompt, appServices));
    main.onClosed = [] { PostQuitMessage(0); };
    main.bringForward();

    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        HWND top = GetAncestor(msg.hwnd, GA_ROOT);
        if (top && IsDialogMessageW(top, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

} // namespace ui::win32
