#pragma once

#include "chrome/definition.h"

#include <string>
#include <vector>

namespace app {

const chrome::WindowDefinition& mainDefinition();  // TForm1
const chrome::WindowDefinition& aboutDefinition(); // TForm8

// Every skinned window of the program, in creation order.
std::vector<const chrome::WindowDefinition*> skinnedDefinitions();

// The main window's section menu: which target opens which window.
struct MenuEntry {
    std::string target;
    std::string windowClass;
};
const std::vector<MenuEntry>& sectionMenu();

inline constexpr const char* kApplicationTitle = "Kwintor Dostrojnik 2004";
inline constexpr const char* kVersion = "2.0";

} // namespace app
