#include "chrome/definition.h"
#include "chrome/pictures.h"

#include <utility>

namespace chrome {

Component picture(std::string name, Rect place, PictureLook look, std::string caption, bool handCursor)
{
    Component c;
    c.name = std::move(name);
    c.kind = ComponentKind::Picture;
    c.place = place;
    c.picture = look;
    c.text = std::move(caption);
    c.handCursor = handCursor;
    return c;
}

Component target(std::string name, Rect place, PictureLook look, std::string caption)
{
    return picture(std::move(name), place, look, std::move(caption), true);
}

Component label(std::string name, Rect place, LabelLook look, std::string text, bool visible)
{
    Component c;
    c.name = std::move(name);
    c.kind = ComponentKind::Label;
    c.place = place;
    c.label = look;
    c.text = std::move(text);
    c.visible = visible;
    return c;
}

Component timer(std::string name, int interval, bool enabled)
{
    Component c;
    c.name = std::move(name);
    c.kind = ComponentKind::Timer;
    c.interval = interval;
    c.enabled = enabled;
    return c;
}

Component watcher(std::string name, int interval)
{
    Component c = timer(std::move(name), interval, true);
    c.watcher = true;
    return c;
}

namespace {

Component tool(ComponentKind kind, std::string name, Rect place, std::string text = {})
{
    Component c;
    c.name = std::move(name);
    c.kind = kind;
    c.place = place;
    c.text = std::move(text);
    return c;
}

} // namespace

Component button(std::string name, Rect place, std::string caption, bool compact)
{
    Component c = tool(ComponentKind::Button, std::move(name), place, std::move(caption));
    c.handCursor = c.compact = compact;
    return c;
}

Component checkBox(std::string name, Rect place, std::string caption, bool checked)
{
    Component c = tool(ComponentKind::CheckBox, std::move(name), place, std::move(caption));
    c.value = checked ? 1 : 0;
    return c;
}

Component preview(std::string name, Rect place)
{
    return tool(ComponentKind::Preview, std::move(name), place);
}

Component editBox(std::string name, Rect place, std::string text, bool visible)
{
    Component c = tool(ComponentKind::EditBox, std::move(name), place, std::move(text));
    c.visible = visible;
    return c;
}

Component listBox(std::string name, Rect place)
{
    return tool(ComponentKind::ListBox, std::move(name), place);
}

Component spinEdit(std::string name, Rect place, int minimum, int maximum, int value)
{
    Component c = tool(ComponentKind::SpinEdit, std::move(name), place);
    c.minimum = minimum;
    c.maximum = maximum;
    c.value = value;
    return c;
}

Component fileList(std::string name, Rect place, bool visible)
{
    Component c = tool(ComponentKind::FileList, std::move(name), place);
    c.visible = visible;
    return c;
}

Component nameEntry(std::string name, Rect place, int length)
{
    Component c = tool(ComponentKind::NameEntry, std::move(name), place);
    c.maximum = length;
    c.white = true;
    c.visible = false;
    return c;
}

bool isTool(const Component& component)
{
    switch (component.kind) {
    case ComponentKind::Picture:
    case ComponentKind::Label:
    case ComponentKind::Timer: return false;
    case ComponentKind::Button:
    case ComponentKind::EditBox:
    case ComponentKind::ListBox:
    case ComponentKind::SpinEdit:
    case ComponentKind::FileList:
    case ComponentKind::CheckBox:
    case ComponentKind::Preview:
    case ComponentKind::NameEntry: return true;
    }
    return false;
}

std::string accessibleName(const Component& component)
{
    if (!component.accessibleName.empty())
        return component.accessibleName;
    if (component.kind == ComponentKind::Picture && component.picture == PictureLook::Minimise)
        return "Minimalizuj";
    if (component.kind == ComponentKind::Picture && component.picture == PictureLook::Close)
        return "Zamknij";
    return component.text;
}

OptionStep writeValue(std::string name, Data data)
{
    if (const Text* text = data.text())
        return {OptionStepKind::WriteString, std::move(name), 0, text->value};
    // A REG_DWORD's four bytes, whichever way they are read.
    return {OptionStepKind::WriteInteger, std::move(name), static_cast<std::int32_t>(data.dword()->value), {}};
}

OptionStep deleteValue(std::string name)
{
    return {OptionStepKind::DeleteValue, std::move(name), 0, {}};
}

OptionStep deleteKey(std::string path)
{
    return {OptionStepKind::DeleteKey, std::move(path), 0, {}};
}

Action onKey(RegistryKey key, std::vector<OptionStep> steps)
{
    return {std::move(key), std::move(steps), {}};
}

Action writeValue(RegistryKey key, std::string name, Data data)
{
    return onKey(std::move(key), {writeValue(std::move(name), std::move(data))});
}

Action commandLines(std::vector<std::string> commands)
{
    return {{}, {}, std::move(commands)};
}

const Component* WindowDefinition::find(const std::string& name) const
{
    for (const Component& c : components) {
        if (c.name == name)
            return &c;
    }
    return nullptr;
}

std::string pictureFile(const WindowDefinition& window, const Component& component)
{
    const std::string size = std::to_string(component.place.width) + "x" + std::to_string(component.place.height);
    switch (component.picture) {
    case PictureLook::Minimise: return "minimise-" + size + ".jpg";
    case PictureLook::Close: return "close-" + size + ".jpg";
    case PictureLook::TriangleDown: return "down-" + size + ".jpg";
    case PictureLook::TriangleUp: return "up-" + size + ".jpg";
    case PictureLook::WhiteBox: return "box-" + size + ".jpg";
    case PictureLook::TargetOn:
        if (component.text == "Włącz")
            return "on-" + size + ".jpg";
        break;
    case PictureLook::TargetOff:
        if (component.text == "Wyłącz")
            return "off-" + size + ".jpg";
        break;
    default: break;
    }
    return window.className + "-" + component.name + ".jpg";
}

} // namespace chrome
