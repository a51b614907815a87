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

// The files of the pictures shown first: the program's icon and the main window's pictures.
std::vector<std::string> firstPictures();

// The ten components of the main window's first-run panel, shown and hidden together.
const std::vector<std::string>& firstRunPanel();
// The longest user name that the name entry takes, in characters.
inline constexpr int kUserNameLength = 14;

// The restart prompt, a small dialog of the system's look: its question, and "Nie" (Button1,
// the default) and "Tak" (Button2).
struct PromptDefinition {
    std::string className;
    std::string componentName;
    std::string caption;
    std::string question;
    std::string no;
    std::string yes;
};
const PromptDefinition& restartPrompt();

inline constexpr const char* kApplicationTitle = "Kwintor Dostrojnik 2004";
inline constexpr const char* kVersion = "2.0";

} // namespace app
