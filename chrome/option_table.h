#pragma once

// A section's options as rows of data. Each row adds the option's caption picture, its click
// targets (hand cursor) directly under it, the frame of its box on the background picture,
// and what a click on each target does; the window wires every target to the one executor.

#include "chrome/definition.h"

#include <string>
#include <vector>

namespace chrome {

// An option's box: its caption picture, and under it the row its targets sit in.
struct OptionBox {
    std::string name; // the caption picture
    Rect place;
    std::string caption;
    int targetHeight = 30; // the height of the targets under the caption
};

// One click target of an option.
struct Choice {
    std::string target;
    std::string caption;
    PictureLook look = PictureLook::TargetChoice;
    Action action;
    Rect place{}; // all zero: side by side with the other such targets, directly under the caption
};

Choice enable(std::string target, Action action, Rect place = {});  // "Włącz", drawn as an enabling choice
Choice disable(std::string target, Action action, Rect place = {}); // "Wyłącz", drawn as a disabling choice
Choice choice(std::string target, std::string caption, Action action, Rect place = {},
              PictureLook look = PictureLook::TargetChoice);

// An option whose caption picture is not clickable, with its targets in screen order.
void addOption(WindowDefinition& window, const OptionBox& box, std::vector<Choice> choices);

// The commonest option: "Włącz" left and "Wyłącz" right, each writing one value of one key.
struct Switch {
    std::string on;  // the "Włącz" target
    std::string off; // the "Wyłącz" target
    std::string value;
    Data onData;
    Data offData;
};
void addSwitch(WindowDefinition& window, const RegistryKey& key, const OptionBox& box, const Switch& row);

// What a switch's "Włącz" and "Wyłącz" write into its value.
struct SwitchData {
    Data on;
    Data off;
};
// A value that 1 switches on.
inline const SwitchData onOffSwitch{Dword{1}, Dword{0}};
// A policy named No...: 1 switches the thing off, so "Włącz" writes 0.
inline const SwitchData policySwitch{Dword{0}, Dword{1}};
inline const SwitchData yesNoSwitch{Text{"YES"}, Text{"NO"}};

// One switch of a row of switches that write into one key.
struct SwitchRow {
    OptionBox box;
    std::string on;
    std::string off;
    std::string value;
    SwitchData data;
};
// The switches in creation order, all on `key`.
void addSwitches(WindowDefinition& window, const RegistryKey& key, const std::vector<SwitchRow>& rows);

// A one-shot action: the caption picture itself is the target.
void addAction(WindowDefinition& window, const OptionBox& box, Action action);

// What is wrong with a definition that the window would otherwise pass over silently: option
// rows whose target is not a clickable picture, or that do nothing; hints and chrome roles that
// name no component of the right kind; names used twice; watchers that are no running timers.
// Empty when all is well.
std::vector<std::string> definitionProblems(const WindowDefinition& window);
// The same for a window with a menu (the main window), and besides: menu targets that are no
// clickable picture of it, are used twice or also as an option or chrome target, or open none of
// `windows`.
std::vector<std::string> definitionProblems(const WindowDefinition& window, const std::vector<MenuEntry>& menu,
                                            const std::vector<const WindowDefinition*>& windows);

} // namespace chrome
