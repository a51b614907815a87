#pragma once

#include "chrome/definition.h"

#include <string>
#include <vector>

namespace app {

const chrome::WindowDefinition& mainDefinition();  // TForm1
const chrome::WindowDefinition& aboutDefinition(); // TForm8

// Every skinned window of the program, in creation order; from the window table
// (app/window_table.h).
std::vector<const chrome::WindowDefinition*> skinnedDefinitions();

// The main window's section menu, which target opens which window; from the window table.
using MenuEntry = chrome::MenuEntry;
const std::vector<MenuEntry>& sectionMenu();

// The first-run panel. Its picture and labels are components of mainDefinition(); its two
// buttons and the name entry, which the main window builds itself, are these.
struct PanelControl {
    std::string name;
    chrome::Rect place;
    std::string text;
};
const std::vector<PanelControl>& firstRunControls();
// The ten components of the panel, shown and hidden together.
const std::vector<std::string>& firstRunPanel();
// The longest user name that the name entry takes, in characters.
inline constexpr int kUserNameLength = 14;

inline constexpr const char* kApplicationTitle = "Kwintor Dostrojnik 2004";
inline constexpr const char* kVersion = "2.0";

} // namespace app
