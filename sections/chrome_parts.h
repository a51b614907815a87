#pragma once

#include "chrome/definition.h"

#include <optional>
#include <string>

// The parts that every section window's definition has, under the window's own names.
namespace sections {

// The window with its background `Image1` (a drag surface) and its dark left panel.
chrome::WindowDefinition sectionWindow(std::string className, std::string caption, int width, int height,
                                       std::string settingsSection, std::string title);

// Minimise target at the top-left corner, close target at the top-right corner.
void addCorners(chrome::WindowDefinition& window, const std::string& minimise, const std::string& close,
                int closeWidth = 22);

// The link label in the title strip; a drag surface.
void addLink(chrome::WindowDefinition& window, const std::string& name);

// A heading on the left panel ("OPIS DZIAŁU", "OPCJE DZIAŁU", "REKLAMA").
void addHeading(chrome::WindowDefinition& window, const std::string& name, int y, const std::string& text,
                bool visible = true);
// A text of the left panel, centred and word-wrapped.
void addPanelText(chrome::WindowDefinition& window, const std::string& name, int y, int height, const std::string& text,
                  bool description = true, bool visible = true);
void addSeparator(chrome::WindowDefinition& window, const std::string& name, int y);

// The two comments switches with their arrows under the heading "OPCJE DZIAŁU", the hidden
// comments label (at the heading's place) and the comments timers, under the window's names.
struct CommentsParts {
    std::string heading;
    std::string onSwitch, onArrow, offSwitch, offArrow;
    std::string label, labelText;
    std::string onTimer, offTimer;
};
// Where they lie on the left panel: the heading at `y`, the first switch 17 pixels below it,
// the second `step` pixels below the first, each arrow left of its switch and the given number
// of pixels lower.
struct CommentsPlace {
    int y = 0;
    int step = 31;
    int onArrowDrop = 2;
    int offArrowDrop = 2;
    bool visible = true; // false: the heading and switches are hidden at start (a second page)
};
void addComments(chrome::WindowDefinition& window, const CommentsParts& parts, const CommentsPlace& place);

// A text of the left panel under its heading: the heading at `y`, the text `drop` pixels lower.
struct PanelText {
    std::string heading{};
    int y = 0;
    std::string name{};
    int height = 0;
    std::string text{};
    int drop = 17;
};
// A separator line of the left panel.
struct PanelLine {
    std::string name{};
    int y = 0;
};
// The left panel, top to bottom: the description under "OPIS DZIAŁU", a separator, the
// comments switches, another separator, and the advert under "REKLAMA". A part without a name,
// and comments not given, are left out; a window adds what else its panel holds itself.
struct SidePanel {
    PanelText description{};
    PanelLine separator{};
    std::optional<CommentsParts> comments{};
    CommentsPlace commentsPlace{};
    PanelLine advertSeparator{};
    PanelText advert{};
};
void addSidePanel(chrome::WindowDefinition& window, const SidePanel& panel);

void addDragTimer(chrome::WindowDefinition& window, const std::string& name);

// The advertising text of the left panel.
inline constexpr const char* kAdvert =
    "Nowsza wersja programu może już czekać na Ciebie na stronie internetowej autora.";

} // namespace sections
