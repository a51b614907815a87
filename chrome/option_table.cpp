#include "chrome/option_table.h"

#include <algorithm>
#include <initializer_list>
#include <map>
#include <utility>

namespace chrome {

namespace {

// The gap between an option box's pictures and the frame drawn around them.
constexpr int kFrameMargin = 2;

bool isEmpty(const Rect& place)
{
    return place.x == 0 && place.y == 0 && place.width == 0 && place.height == 0;
}

Rect unite(const Rect& a, const Rect& b)
{
    const int left = std::min(a.x, b.x);
    const int top = std::min(a.y, b.y);
    const int right = std::max(a.x + a.width, b.x + b.width);
    const int bottom = std::max(a.y + a.height, b.y + b.height);
    return {left, top, right - left, bottom - top};
}

Rect frameAround(const WindowDefinition& window, const Rect& area)
{
    const int left = std::max(0, area.x - kFrameMargin);
    const int top = std::max(0, area.y - kFrameMargin);
    const int right = std::min(window.width, area.x + area.width + kFrameMargin);
    const int bottom = std::min(window.height, area.y + area.height + kFrameMargin);
    return {left, top, right - left, bottom - top};
}

} // namespace

Choice enable(std::string target, Action action, Rect place)
{
    return {std::move(target), "Włącz", PictureLook::TargetOn, std::move(action), place};
}

Choice disable(std::string target, Action action, Rect place)
{
    return {std::move(target), "Wyłącz", PictureLook::TargetOff, std::move(action), place};
}

Choice choice(std::string target, std::string caption, Action action, Rect place, PictureLook look)
{
    return {std::move(target), std::move(caption), look, std::move(action), place};
}

void addOption(WindowDefinition& window, const OptionBox& box, std::vector<Choice> choices)
{
    window.components.push_back(picture(box.name, box.place, PictureLook::OptionCaption, box.caption));
    Rect area = box.place;
    const auto inRow = static_cast<int>(
        std::count_if(choices.begin(), choices.end(), [](const Choice& c) { return isEmpty(c.place); }));
    int column = 0;
    for (Choice& c : choices) {
        Rect place = c.place;
        if (isEmpty(place)) {
            // The row under the caption is shared out evenly, left to right.
            const int left = box.place.x + box.place.width * column / inRow;
            const int right = box.place.x + box.place.width * (column + 1) / inRow;
            place = {left, box.place.y + box.place.height, right - left, box.targetHeight};
            ++column;
        }
        Component picked = target(c.target, place, c.look, c.caption);
        picked.accessibleName = box.caption + ": " + c.caption;
        picked.describedBy = box.name;
        window.components.push_back(std::move(picked));
        window.options.push_back({std::move(c.target), std::move(c.action)});
        area = unite(area, place);
    }
    window.panels.push_back({PanelLook::Light, frameAround(window, area), {}});
}

void addSwitch(WindowDefinition& window, const RegistryKey& key, const OptionBox& box, const Switch& row)
{
    addOption(window, box,
              {enable(row.on, writeValue(key, row.value, row.onData)),
               disable(row.off, writeValue(key, row.value, row.offData))});
}

void addSwitches(WindowDefinition& window, const RegistryKey& key, const std::vector<SwitchRow>& rows)
{
    for (const SwitchRow& row : rows)
        addSwitch(window, key, row.box, {row.on, row.off, row.value, row.data.on, row.data.off});
}

void addAction(WindowDefinition& window, const OptionBox& box, Action action)
{
    window.components.push_back(target(box.name, box.place, PictureLook::OptionCaption, box.caption));
    window.options.push_back({box.name, std::move(action)});
    window.panels.push_back({PanelLook::Light, frameAround(window, box.place), {}});
}

std::vector<std::string> definitionProblems(const WindowDefinition& window)
{
    std::vector<std::string> problems;
    auto problem = [&](const std::string& text) { problems.push_back(window.className + ": " + text); };

    std::map<std::string, int> names;
    for (const Component& c : window.components) {
        if (++names[c.name] == 2)
            problem("two components are named " + c.name);
        if (c.watcher && (c.kind != ComponentKind::Timer || !c.enabled))
            problem("watcher " + c.name + " is no timer running from creation");
    }
    auto expect = [&](const std::string& name, std::initializer_list<ComponentKind> kinds, const std::string& role) {
        const Component* c = window.find(name);
        if (!c)
            problem(role + " " + name + " is no component");
        else if (std::find(kinds.begin(), kinds.end(), c->kind) == kinds.end())
            problem(role + " " + name + " is not of the right kind");
    };

    std::map<std::string, int> targets;
    for (const OptionRow& row : window.options) {
        const Component* c = window.find(row.target);
        if (!c || c->kind != ComponentKind::Picture)
            problem("option target " + row.target + " is no picture");
        else if (!c->handCursor)
            problem("option target " + row.target + " does not show the hand cursor");
        if (++targets[row.target] == 2)
            problem("option target " + row.target + " has two rows");
        const Action& action = row.action;
        if (action.steps.empty() && action.commands.empty())
            problem("option " + row.target + " does nothing");
        if (!action.steps.empty() && !action.commands.empty())
            problem("option " + row.target + " both runs commands and works on the registry");
        if (!action.steps.empty() && action.key.path.empty())
            problem("option " + row.target + " names no key");
    }

    std::map<std::string, int> hinted;
    for (const Hint& hint : window.hints) {
        expect(hint.control, {ComponentKind::Picture, ComponentKind::Label}, "hinted control");
        if (++hinted[hint.control] == 2)
            problem("control " + hint.control + " has two hints");
    }

    auto role = [&](const std::string& name, ComponentKind kind, const std::string& what) {
        if (!name.empty())
            expect(name, {kind}, what);
    };
    role(window.dragTimer, ComponentKind::Timer, "drag timer");
    for (const std::string& surface : window.dragSurfaces)
        expect(surface, {ComponentKind::Picture, ComponentKind::Label}, "drag surface");
    role(window.minimiseTarget, ComponentKind::Picture, "minimise target");
    role(window.closeTarget, ComponentKind::Picture, "close target");
    if (const auto& comments = window.comments) {
        for (const std::string* name :
             {&comments->onSwitch, &comments->offSwitch, &comments->onArrow, &comments->offArrow, &comments->label})
            expect(*name, {ComponentKind::Label}, "comments label");
        expect(comments->onTimer, {ComponentKind::Timer}, "comments timer");
        expect(comments->offTimer, {ComponentKind::Timer}, "comments timer");
    }
    return problems;
}

std::vector<std::string> definitionProblems(const WindowDefinition& window, const std::vector<MenuEntry>& menu,
                                            const std::vector<const WindowDefinition*>& windows)
{
    std::vector<std::string> problems = definitionProblems(window);
    auto problem = [&](const std::string& text) { problems.push_back(window.className + ": " + text); };

    std::map<std::string, int> targets;
    for (const OptionRow& row : window.options)
        ++targets[row.target];
    for (const std::string& role : {window.minimiseTarget, window.closeTarget}) {
        if (!role.empty())
            ++targets[role];
    }
    for (const MenuEntry& entry : menu) {
        const Component* c = window.find(entry.target);
        if (!c || c->kind != ComponentKind::Picture || !c->handCursor)
            problem("menu target " + entry.target + " is no clickable picture");
        if (++targets[entry.target] == 2)
            problem("menu target " + entry.target + " has another use");
        const bool opens = std::any_of(windows.begin(), windows.end(), [&](const WindowDefinition* other) {
            return other->className == entry.windowClass;
        });
        if (!opens)
            problem("menu target " + entry.target + " names no window");
    }
    return problems;
}

} // namespace chrome
