#pragma once

// What a skinned window is made of, as plain data: its components with their places, texts and
// looks, and the roles the shared behaviour gives them. The windows are built from these tables,
// and the picture generator draws every picture from the same tables without building a window.

#include "core/registry/registry_api.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace chrome {

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;  // labels: 0 sizes the label to its text
    int height = 0; // labels: 0 takes the text's height
};

// Pictures and labels are the skin's; the tools (Button to SpinEdit) are the system's controls,
// which every front end makes in the system's look.
enum class ComponentKind {
    Picture,
    Label,
    Timer,
    Button,
    EditBox,
    ListBox,
    SpinEdit,
    FileList,
    CheckBox,
    Preview,
    NameEntry,
};

// How the picture generator draws a picture.
enum class PictureLook {
    Background,    // the whole face of the window, fuchsia around its shape
    Minimise,      // minimise symbol
    Close,         // close symbol
    MenuLeft,      // main menu entry: circled arrow pointing left, then the caption
    MenuRight,     // main menu entry: the caption, then an arrow pointing right
    OptionCaption, // an option's caption box
    TargetOn,      // "Włącz" and other enabling choices: green
    TargetOff,     // "Wyłącz" and other disabling choices: red
    TargetChoice,  // a neutral choice (a number, a style name)
    TriangleDown,  // paging arrow
    TriangleUp,
    WhiteBox,      // a white rounded box behind an edit box
    FirstRunPanel, // the main window's first-run panel: framed, a title strip, two halves, a name field
};

// How a label looks.
enum class LabelLook {
    Plain,       // dark text on the light panels
    Light,       // light text on the dark panels
    Heading,     // white on grey, centred, bold: "OPIS DZIAŁU", "OPCJE DZIAŁU", "REKLAMA"
    Description, // the section's description under "OPIS DZIAŁU": light, centred, word-wrapped
    Note,        // light, centred, word-wrapped
    Link,        // the author's web and e-mail address in the title strip
    Switch,      // "Włącz komentarze" / "Wyłącz komentarze"
    Arrow,       // "-->" beside a switch
    Separator,   // a line of underscores in grey
    Title,       // white on black, centred (the About window's product title)
    Silver,      // dark text on a silver ground
    Bar,         // the main window's bottom bar fields: centred
    Field,       // a field of the bar whose texts are long for it: as Bar, a point smaller
    Warning,     // maroon
    Small,       // dark text, a point smaller: long addresses in narrow places
    Paragraph,   // dark text, centred, word-wrapped
    Strong,      // dark text, bold
    Number,      // dark text, large, right-aligned: the numbers of a list's entries
};

struct Component {
    std::string name;
    ComponentKind kind = ComponentKind::Label;
    Rect place;
    std::string text; // label text; the caption drawn on a picture; a button's caption, an edit box's text
    PictureLook picture = PictureLook::Background;
    LabelLook label = LabelLook::Plain;
    bool visible = true;
    bool handCursor = false;
    int interval = 0; // timers, in milliseconds as designed
    bool enabled = false;
    // Timers: always running, it only keeps controls in step with state that changes through
    // the user's input (a click, a check box, a spin edit), so it ticks slowly while nobody uses
    // the program and comes back to its interval at the next input: the File compatibility
    // window's paging timer, the Removal window's preview timer and the System window's `Timer2`
    // (the refresh switch).
    bool watcher = false;
    // What assistive technology calls the component where its text alone does not say it: a
    // target under a caption ("Automatyczne restartowanie: Włącz"), an entry of a list. Empty:
    // see accessibleName().
    std::string accessibleName;
    // The caption picture above a target, whose hint describes the target when it has none.
    std::string describedBy;
    // Spin edits: the range the arrows keep, and the value at start; name entries: the longest
    // text in characters (maximum).
    int minimum = 0;
    int maximum = 0;
    int value = 0;
    // Edit boxes: black text on white, as on the white box pictures behind them; check boxes: on
    // a white ground.
    bool white = false;
    // Buttons: in the system's face colour and a point smaller, to fit a small button.
    bool compact = false;
};

Component picture(std::string name, Rect place, PictureLook look, std::string caption = {}, bool handCursor = false);
Component target(std::string name, Rect place, PictureLook look, std::string caption);
Component label(std::string name, Rect place, LabelLook look, std::string text, bool visible = true);
Component timer(std::string name, int interval, bool enabled);
// A timer running from creation that keeps things in step (see Component::watcher).
Component watcher(std::string name, int interval);
// The name assistive technology reads for a component: its own accessible name, else
// "Minimalizuj" and "Zamknij" for the corner targets, else its caption or text.
std::string accessibleName(const Component& component);
Component button(std::string name, Rect place, std::string caption, bool compact = true);
Component editBox(std::string name, Rect place, std::string text = {}, bool visible = true);
Component listBox(std::string name, Rect place);
Component spinEdit(std::string name, Rect place, int minimum, int maximum, int value);
Component fileList(std::string name, Rect place, bool visible = true);
Component checkBox(std::string name, Rect place, std::string caption, bool checked);
Component preview(std::string name, Rect place);
// One line of at most `length` characters, black on white without a frame, hidden at first:
// Enter adds no line, and line breaks that come in with a pasted text become blanks.
Component nameEntry(std::string name, Rect place, int length);
bool isTool(const Component& component);

// Shapes drawn on a window's background picture besides its title strip.
enum class PanelLook {
    Side,    // the dark left panel behind the description and the comments switches
    Light,   // a light framed area
    White,   // a white rounded area
    Logo,    // the product logo
    Bar,     // the four-field information bar
    Heading, // a heading text on the light area
};

struct Panel {
    PanelLook look = PanelLook::Light;
    Rect place;
    std::string text;
};

struct Hint {
    std::string control;
    std::string text;
};

// The name assistive technology reads for a tool the window's class builds itself (an edit box,
// a list, a spin edit, a check box): the caption it stands under.
struct ToolName {
    std::string control;
    std::string name;
};

// A label that switches a state on or off, and the marker beside it that shows while the state
// is the switch's: to assistive technology the switch is a toggle, the marker decoration.
struct Toggle {
    std::string control;
    std::string marker;
};

// The components of comments mode (section windows only).
struct CommentsRoles {
    std::string onSwitch;  // "Włącz komentarze"
    std::string offSwitch; // "Wyłącz komentarze"
    std::string onArrow;   // "-->" beside "Włącz komentarze"
    std::string offArrow;  // "-->" beside "Wyłącz komentarze"
    std::string label;     // hidden label holding "Tak" or "Nie"
    std::string onTimer;
    std::string offTimer;
};

// The key an option works on: its root, its path, and whether opening it creates it (with any
// missing parent) or only opens a key that exists.
struct RegistryKey {
    core::RootKey root = core::RootKey::CurrentUser;
    std::string path;
    bool create = false;
};

// The fixed data of a registry write, its type written out in the row: `Dword{1}` writes a
// REG_DWORD, `Text{"1"}` a REG_SZ. A bare `1` or `"1"` is neither, and neither converts from the
// other's kind, so a row cannot write a string where a number was meant, nor leave its data out.
struct Dword {
    std::uint32_t value = 0;
};

class Text {
public:
    explicit Text(const char* text) : value(text) {}
    explicit Text(std::string text) : value(std::move(text)) {}
    // A number is no text: `Text{1}` does not compile.
    template <class Other>
    explicit Text(Other) = delete;

    std::string value;
};

class Data {
public:
    Data(Dword value) : m_value(value) {}
    Data(Text value) : m_value(std::move(value)) {}

    // The text, or null when the data is a REG_DWORD.
    const Text* text() const { return std::get_if<Text>(&m_value); }
    const Dword* dword() const { return std::get_if<Dword>(&m_value); }

private:
    std::variant<Dword, Text> m_value;
};

// One step of an option click on the key the option opened.
enum class OptionStepKind { WriteInteger, WriteString, DeleteValue, DeleteKey };

struct OptionStep {
    OptionStepKind kind = OptionStepKind::WriteInteger;
    // The value name ("" is the key's default value); for DeleteKey the key's path, from the
    // opened key, or from the root when it starts with '\'.
    std::string name;
    std::int32_t integer = 0;
    std::string text;
};

OptionStep writeValue(std::string name, Data data);
OptionStep deleteValue(std::string name);
OptionStep deleteKey(std::string path);

// What a click does: either registry work on one short-lived registry object (the key opened
// with or without creating it, then the steps in order), or command lines handed to the shell
// command one after the other.
struct Action {
    RegistryKey key;
    std::vector<OptionStep> steps;
    std::vector<std::string> commands;
};

Action onKey(RegistryKey key, std::vector<OptionStep> steps);
Action writeValue(RegistryKey key, std::string name, Data data);
Action commandLines(std::vector<std::string> commands);

// A target of a window that opens another window of the program: the main window's menu.
struct MenuEntry {
    std::string target;
    std::string windowClass;
};

// A click on the picture `target` runs `action`.
struct OptionRow {
    std::string target;
    Action action;
};

struct WindowDefinition {
    std::string className;     // "TForm64"
    std::string componentName; // "Form64"
    std::string caption;       // window title
    int width = 0;
    int height = 0;
    std::string settingsSection; // empty: the window keeps no settings
    std::string title;           // drawn on the background at the top left; '\n' breaks lines
    int sidePanelWidth = 0;      // 0: no dark left panel
    std::vector<Panel> panels;
    std::vector<Component> components; // in creation order; later ones lie on top

    std::string dragTimer;
    std::vector<std::string> dragSurfaces;
    std::string minimiseTarget;
    std::string closeTarget;
    std::optional<CommentsRoles> comments;
    // The controls whose hints comments mode switches, in the order it switches them. On
    // windows without comments mode these hints are on from the start.
    std::vector<Hint> hints;
    std::vector<OptionRow> options;
    std::vector<ToolName> toolNames;
    std::vector<Toggle> toggles;

    const Component* find(const std::string& name) const;
};

} // namespace chrome
