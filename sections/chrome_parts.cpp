#include "sections/chrome_parts.h"

#include "chrome/author.h"

using namespace chrome;

namespace sections {

namespace {
constexpr int kSidePanelWidth = 118;
}

WindowDefinition sectionWindow(std::string className, std::string caption, int width, int height,
                               std::string settingsSection, std::string title)
{
    WindowDefinition window;
    window.componentName = className.substr(1);
    window.className = std::move(className);
    window.caption = std::move(caption);
    window.width = width;
    window.height = height;
    window.settingsSection = std::move(settingsSection);
    window.title = std::move(title);
    window.sidePanelWidth = kSidePanelWidth;
    window.components.push_back(picture("Image1", {0, 0, width, height}, PictureLook::Background));
    window.dragSurfaces.push_back("Image1");
    return window;
}

void addCorners(WindowDefinition& window, const std::string& minimise, const std::string& close, int closeWidth)
{
    window.components.push_back(target(minimise, {0, 0, 22, 20}, PictureLook::Minimise, {}));
    window.components.push_back(target(close, {window.width - closeWidth, 0, closeWidth, 20}, PictureLook::Close, {}));
    window.minimiseTarget = minimise;
    window.closeTarget = close;
}

void addLink(WindowDefinition& window, const std::string& name)
{
    window.components.push_back(label(name, {35, 4, 0, 0}, LabelLook::Link, author::link));
    window.dragSurfaces.push_back(name);
}

void addHeading(WindowDefinition& window, const std::string& name, int y, const std::string& text, bool visible)
{
    window.components.push_back(label(name, {8, y, 97, 0}, LabelLook::Heading, text, visible));
}

void addPanelText(WindowDefinition& window, const std::string& name, int y, int height, const std::string& text,
                  bool description, bool visible)
{
    window.components.push_back(
        label(name, {10, y, 93, height}, description ? LabelLook::Description : LabelLook::Note, text, visible));
}

void addSeparator(WindowDefinition& window, const std::string& name, int y)
{
    window.components.push_back(label(name, {0, y, 0, 0}, LabelLook::Separator, "___________________"));
}

void addComments(WindowDefinition& window, const CommentsParts& parts, const CommentsPlace& place)
{
    const int onY = place.y + 17;
    const int offY = onY + place.step;
    addHeading(window, parts.heading, place.y, "OPCJE DZIAŁU", place.visible);
    window.components.push_back(
        label(parts.onSwitch, {35, onY, 0, 0}, LabelLook::Switch, "Włącz komentarze", place.visible));
    window.components.push_back(
        label(parts.onArrow, {16, onY + place.onArrowDrop, 0, 0}, LabelLook::Arrow, "-->", false));
    window.components.push_back(
        label(parts.offSwitch, {35, offY, 0, 0}, LabelLook::Switch, "Wyłącz komentarze", place.visible));
    window.components.push_back(
        label(parts.offArrow, {16, offY + place.offArrowDrop, 0, 0}, LabelLook::Arrow, "-->", false));
    window.components.push_back(label(parts.label, {8, place.y, 0, 0}, LabelLook::Plain, parts.labelText, false));
    window.components.push_back(timer(parts.onTimer, 1, false));
    window.components.push_back(timer(parts.offTimer, 1, false));
    window.comments = CommentsRoles{parts.onSwitch, parts.offSwitch, parts.onArrow, parts.offArrow,
                                    parts.label,    parts.onTimer,   parts.offTimer};
}

void addSidePanel(WindowDefinition& window, const SidePanel& panel)
{
    const PanelText& description = panel.description;
    addHeading(window, description.heading, description.y, "OPIS DZIAŁU");
    addPanelText(window, description.name, description.y + description.drop, description.height, description.text);
    if (!panel.separator.name.empty())
        addSeparator(window, panel.separator.name, panel.separator.y);
    if (panel.comments)
        addComments(window, *panel.comments, panel.commentsPlace);
    if (!panel.advertSeparator.name.empty())
        addSeparator(window, panel.advertSeparator.name, panel.advertSeparator.y);
    const PanelText& advert = panel.advert;
    if (!advert.heading.empty())
        addHeading(window, advert.heading, advert.y, "REKLAMA");
    if (!advert.name.empty())
        addPanelText(window, advert.name, advert.y + advert.drop, advert.height, advert.text, false);
}

void addDragTimer(WindowDefinition& window, const std::string& name)
{
    window.components.push_back(timer(name, 1, false));
    window.dragTimer = name;
}

} // namespace sections
