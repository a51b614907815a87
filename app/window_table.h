#pragma once

#include "app/definitions.h"
#include "sections/definitions.h"

#include <cstddef>
#include <vector>

// The window classes. Each is declared where its code is: app/, sections/<section>/tformN.h, or
// sections/plain_windows.h for a section window with no behaviour of its own.
class TForm1;
class TForm2;
class TForm4;
class TForm5;
class TForm6;
class TForm7;
class TForm8;
class TForm9;
class TForm10;
class TForm13;
class TForm18;
class TForm26;
class TForm64;

namespace app {

// One window of the program: the main menu's picture that opens it (none: null), its
// definition (none for the restart prompt, which is not skinned) and what the table's reader
// keeps of its class.
template <class Kept>
struct WindowRow {
    const char* menuTarget;
    const chrome::WindowDefinition* definition;
    Kept windowClass;
};

// Every window of the program in creation order, the main window first: the one list of the
// program's windows. `Classes::of<TFormN>()` gives what a reader keeps of the class: the window
// set keeps the function that builds the window (window_set.cpp), while the definitions alone
// keep nothing (NoClass), so that the picture generator reads this table without any window.
template <class Classes>
std::vector<WindowRow<typename Classes::Kept>> windowTable()
{
    constexpr const char* kNoMenu = nullptr;
    using namespace sections;
    // clang-format off
    return {
        {kNoMenu,   &mainDefinition(),              Classes::template of<TForm1>()},
        {"Image3",  &systemDefinition(),            Classes::template of<TForm2>()},
        {"Image8",  &protectionDefinition(),        Classes::template of<TForm4>()},
        {"Image10", &performanceDefinition(),       Classes::template of<TForm5>()},
        {"Image11", &removalDefinition(),           Classes::template of<TForm6>()},
        {"Image12", &internetDefinition(),          Classes::template of<TForm7>()},
        {"Image13", &aboutDefinition(),             Classes::template of<TForm8>()},
        {kNoMenu,   &fileCompatibilityDefinition(), Classes::template of<TForm9>()},
        {"Image4",  &searchDefinition(),            Classes::template of<TForm13>()},
        {"Image6",  &foldersDefinition(),           Classes::template of<TForm18>()},
        {"Image7",  &startBarDefinition(),          Classes::template of<TForm26>()},
        {"Image9",  &crashDefinition(),             Classes::template of<TForm64>()},
        {kNoMenu,   nullptr,                        Classes::template of<TForm10>()},
    };
    // clang-format on
}

// Reads the table for its definitions only.
struct NoClass {
    using Kept = std::nullptr_t;
    template <class Window>
    static constexpr Kept of()
    {
        return nullptr;
    }
};

} // namespace app
