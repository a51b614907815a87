#pragma once

// The refused-program list of the Protection window: ten numbered entries, each a program's
// file name that the shell refuses to start for the current user, kept as the string values
// "1".."10" of the shell's DisallowRun policy under HKEY_CURRENT_USER.

#include "chrome/definition.h"

#include <array>
#include <string>

namespace sections::refused_programs {

// The key the list is written through, and the subkey of it that holds the policy.
inline constexpr const char* kPoliciesKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies";
inline constexpr const char* kPolicySubkey = "Explorer";
// The key the entries are read from and deleted in.
inline constexpr const char* kListKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\DisAllowRun";

struct Entry {
    const char* value;   // the value's name, the entry's number: "1".."10"
    const char* number;  // the label showing the number
    const char* edit;    // the edit box holding the program's name
    const char* box;     // the white box picture behind the edit box
    const char* block;   // "BLOKUJ"
    const char* unblock; // "ODBLOKUJ"
    const char* timer;   // loads the entry from the registry
};

// What the window writes each time the program starts, before any click: the policy switch
// without which the shell ignores the list. Into a key that exists only; never switched off here.
inline const chrome::Action& startupWrite()
{
    static const chrome::Action write = chrome::writeValue(
        {.root = core::RootKey::CurrentUser, .path = std::string(kPoliciesKey) + "\\" + kPolicySubkey, .create = false},
        "DisallowRun", chrome::Dword{1});
    return write;
}

// clang-format off
inline constexpr std::array<Entry, 10> kEntries = {{
    {"1",  "Label1",  "Edit2",  "Image6",  "Image4",  "Image5",  "Zegar1"},
    {"2",  "Label2",  "Edit3",  "Image17", "Image16", "Image7",  "Zegar2"},
    {"3",  "Label3",  "Edit4",  "Image20", "Image19", "Image18", "Zegar3"},
    {"4",  "Label4",  "Edit5",  "Image23", "Image22", "Image21", "Zegar4"},
    {"5",  "Label5",  "Edit6",  "Image26", "Image25", "Image24", "Zegar5"},
    {"6",  "Label8",  "Edit7",  "Image29", "Image28", "Image27", "Zegar6"},
    {"7",  "Label9",  "Edit8",  "Image32", "Image31", "Image30", "Zegar7"},
    {"8",  "Label13", "Edit9",  "Image35", "Image34", "Image33", "Zegar8"},
    {"9",  "Label14", "Edit10", "Image38", "Image37", "Image36", "Zegar9"},
    {"10", "Label15", "Edit11", "Image41", "Image40", "Image39", "Zegar10"},
}};
// clang-format on

// The entries' rows: the first row's top, the distance between rows, and each row's pieces
// from the row's top down (the number label sits at the top).
inline constexpr int kFirstRow = 192;
inline constexpr int kRowStep = 24;
inline constexpr int kTargetDrop = 2;
inline constexpr int kBoxDrop = 3;
inline constexpr int kEditDrop = 5;
inline constexpr int kEditX = 153;
inline constexpr int kEditWidth = 124;
inline constexpr int kEditHeight = 13;

} // namespace sections::refused_programs
