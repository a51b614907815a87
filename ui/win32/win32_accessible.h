#pragma once

// How assistive technology (MSAA) sees a click target: the system's own object of its window
// (name from the window text, place, focus), reporting a push button, or a check box for a
// target that has a state, checked while it is marked. An edit box keeps its role and value and
// gets its name.

#include <windows.h>

#include <string>

namespace ui::win32 {

enum class TargetRole { None, PushButton, CheckBox };

// Keeps what the target is in its window, where the answer to WM_GETOBJECT reads it each time a
// client asks; a window that is no target answers as the system's own.
void setTargetFacts(HWND handle, TargetRole role, bool checked);

// Gives a window whose window text is no name (an edit box's is what it holds) the name screen
// readers read; `name` lives as long as the window.
void giveAccessibleName(HWND handle, const std::wstring* name);

// Answers WM_GETOBJECT for a window given its facts; false when the system's own answer does.
bool answerObjectRequest(HWND handle, WPARAM wParam, LPARAM lParam, LRESULT& result);

} // namespace ui::win32
