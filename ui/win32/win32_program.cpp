#include "ui/win32/win32_program.h"

#include "app/definitions.h"
#include "app/window_table.h"
#include "chrome/errors.h"
#include "chrome/pictures.h"
#include "chrome/section_behaviour.h"
#include "chrome/skin.h"
#include "chrome/window_behaviour.h"
#include "core/platform/system_calls.h"
#include "core/registry/win32_registry.h"
#include "core/settings/ini_file.h"
#include "core/shell/shell_command.h"
#include "ui/win32/win32_parts.h"

#include <map>
#include <memory>
#include <string>
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
        }
        part->setTarget(component.handCursor);
        const std::string* hint = hintOf(definition, component.name);
        if (!hint && !component.describedBy.empty())
            hint = hintOf(definition, component.describedBy);
        if (hint)
            part->setAccessibleDescription(*hint);
        part->setVisible(component.visible);
    }
    if (const auto& comments = definition.comments) {
        for (const std::string& name : {comments->onSwitch, comments->offSwitch})
            window->label(name)->setTarget(true);
    }
    return window;
}

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

    std::vector<SkinnedWindow> windows;
    for (const auto& row : app::windowTable<app::NoClass>()) {
        if (row.definition)
            windows.push_back({row.definition, build(*row.definition, pictures), nullptr, nullptr});
    }
    auto minimiseAll = [&windows] {
        for (SkinnedWindow& skinned : windows)
            skinned.window->minimise();
    };
    std::map<std::string, SkinnedWindow*> byClass;
    for (SkinnedWindow& skinned : windows) {
        const chrome::WindowDefinition& definition = *skinned.definition;
        byClass[definition.className] = &skinned;
        wireDrag(*skinned.window, definition);
        skinned.behaviour = std::make_unique<chrome::WindowBehaviour>(
            *skinned.window, definition, chrome::WindowBehaviour::Services{registry, shell, errors, minimiseAll});
        if (definition.comments) {
            skinned.section =
                std::make_unique<chrome::SectionBehaviour>(*skinned.window, definition, settingsPath, calls, errors);
            skinned.section->assignHints();
        }
    }

    Win32Window& main = *windows.front().window;
    for (const app::MenuEntry& entry : app::sectionMenu()) {
        Picture* target = main.picture(entry.target);
        const auto opened = byClass.find(entry.windowClass);
        if (!target || opened == byClass.end())
            continue;
        SkinnedWindow& section = *opened->second;
        target->onClick = [&section, &errors] {
            chrome::guarded(errors, [&section] {
                if (section.section)
                    section.section->openingSequence();
                else
                    section.window->bringForward();
            });
        };
    }
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
