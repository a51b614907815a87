#pragma once

#include "chrome/definition.h"

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
void addPanelText(chrome::WindowDefinition& window, const std::string& name, int y, int height,
                  const std::string& text, bool description = true, bool visible = true);
void addSeparator(chrome::WindowDefinition& window, const std::string& name, int y);

// The two comments switches with their arrows under a heading at `y`, the hidden comments
// label and the comments timers.
struct CommentsParts {
    std::string heading;
    std::string onSwitch, onArrow, offSwitch, offArrow;
    std::string label, labelText;
    std::string onTimer, offTimer;
};
void addComments(chrome::WindowDefinition& window, const CommentsParts& parts, int y, int step = 31,
                 bool visible = true);

void addDragTimer(chrome::WindowDefinition& window, const std::string& name);

// The advertising text of the left panel.
inline constexpr const char* kAdvert =
    "Nowsza wersja programu może już czekać na Ciebie na stronie internetowej autora.";

} // namespace sections
