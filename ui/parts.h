#pragma once

// The window parts the program's windows are made of, as small abstract classes. The windows'
// behaviour (chrome/, sections/) speaks only to these; each front end implements them once, on
// its own toolkit or system: ui/qt/ on Qt Widgets. Every part stands for one native object of
// its front end (a widget, a window handle), which nativeId() gives to the front end's own code;
// behaviour never looks at it.
//
// A part does not own the native object: the front end's window does, and a part lives no
// longer than its window. Events come back through the std::function members, which a part
// calls on the front end's event loop; an empty one is ignored.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace core {
class DriveFiles;
} // namespace core

namespace ui {

// Texts are UTF-8 throughout.

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int width = 0;
    int height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

using NativeId = void*;

// What every part of a window has: a place on its window, visibility, the names assistive
// technology reads, and a hint that pops up while the cursor rests on it and the hint is on.
class Part {
public:
    Part() = default;
    Part(const Part&) = delete;
    Part& operator=(const Part&) = delete;
    virtual ~Part() = default;

    virtual NativeId nativeId() const = 0;

    virtual void setVisible(bool visible) = 0;
    virtual bool isVisible() const = 0;
    void show() { setVisible(true); }
    void hide() { setVisible(false); }

    virtual Rect place() const = 0;
    virtual void setPlace(const Rect& place) = 0;

    virtual void setAccessibleName(const std::string& name) = 0;
    virtual void setAccessibleDescription(const std::string& description) = 0;

    // The hint's text stays while the hint is switched off, and shows again when it is on.
    virtual void setHint(const std::string& text) = 0;
    virtual std::string hint() const = 0;
    virtual void setHintShown(bool shown) = 0;
    virtual bool hintShown() const = 0;
};

// Something the mouse presses and clicks: mouse down and up with any button (dragging), a click
// with the left button let go inside the part, or Space and Enter while it has the keyboard's
// focus frame.
class Clickable : public Part {
public:
    std::function<void()> onMouseDown;
    std::function<void()> onMouseUp;
    std::function<void()> onClick;

    // A click target: the hand cursor, Tab reaches it, and assistive technology reads it as a
    // push button.
    virtual void setTarget(bool target) = 0;
    // A choice that is, or is not, what the machine is set to now: marked, it shows a thin frame
    // in the skin's accent colour. Assistive technology reads a target given either state as a
    // toggle, checked while marked; one never given any stays a push button.
    virtual void setMarked(bool marked) = 0;
};

// A picture of the window's skin, drawn at its top-left corner.
class Picture : public Clickable {
public:
    // The picture's file name in the front end's picture store; an empty one shows nothing.
    virtual void setPicture(const std::string& file) = 0;
};

// A line of text, or a paragraph where the label wraps its words.
class Label : public Clickable {
public:
    // A label designed without a width grows with its text.
    virtual void setText(const std::string& text) = 0;
    virtual std::string text() const = 0;
};

// A push button of the system's look with its caption.
class Button : public Clickable {
public:
    virtual void setText(const std::string& text) = 0;
    virtual std::string text() const = 0;
};

// A one-line edit box that takes texts of any length.
class EditBox : public Part {
public:
    virtual void setText(const std::string& text) = 0;
    virtual std::string text() const = 0;
    // The user changed the text.
    std::function<void()> onChange;
    // A key was let go while the box had the keyboard: once for a held key.
    std::function<void()> onKeyUp;
};

// A list of lines with single selection.
class ListBox : public Part {
public:
    virtual void setLines(const std::vector<std::string>& lines) = 0;
    virtual std::vector<std::string> lines() const = 0;
    // -1: nothing selected.
    virtual int selection() const = 0;
    virtual void setSelection(int line) = 0;
    // The user picked a line, with the mouse or the keyboard.
    std::function<void()> onPick;
};

// A number field with up and down arrows, which keep it within its range.
class SpinEdit : public Part {
public:
    // As it stands: while typing it may lie outside the range.
    virtual int value() const = 0;
    virtual void setValue(int value) = 0;
    std::function<void()> onChange;
};

// The files of one folder, one name per line with a small glyph (executables have their own),
// single selection. The behaviour reads the folder and hands over the names.
class FileList : public Part {
public:
    virtual void setNames(const std::vector<std::string>& names) = 0;
    virtual std::vector<std::string> names() const = 0;
    // -1: nothing selected.
    virtual int selection() const = 0;
    // The user picked a file, with the mouse or the keyboard.
    std::function<void()> onPick;
};

// An on/off box with its caption.
class CheckBox : public Part {
public:
    virtual bool isChecked() const = 0;
    virtual void setChecked(bool checked) = 0;
};

// A picture file shown in a box: stretched over the whole box, or at its natural size from the
// top-left corner, clipped to the box. Switching between the two redraws the picture it holds.
class PicturePreview : public Part {
public:
    // Shows the picture file `file` of drive C:, never read through a link, and decoded by its
    // extension. Throws core::Error when it is no picture of a known kind or cannot be read, and
    // keeps what it showed.
    virtual void showFile(const core::DriveFiles& drive, const std::vector<std::string>& file) = 0;
    virtual void clear() = 0;
    virtual void setStretch(bool stretch) = 0;
};

// A timer of a window's design: while enabled it calls onTick every interval. Enabling an
// enabled timer or setting the interval it has changes nothing; a new interval while enabled
// starts the period anew. A watcher ticks slower while nobody uses the program.
class Timer {
public:
    Timer() = default;
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    virtual ~Timer() = default;

    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;
    void start() { setEnabled(true); }
    void stop() { setEnabled(false); }
    // In milliseconds, as designed or last set.
    virtual int interval() const = 0;
    virtual void setInterval(int milliseconds) = 0;

    std::function<void()> onTick;
};

// A borderless top-level window skinned by a background picture: the background's colour-key
// pixels are cut out of its shape, and it may be partly transparent.
class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window() = default;

    virtual NativeId nativeId() const = 0;

    virtual void setVisible(bool visible) = 0;
    virtual bool isVisible() const = 0;
    // Shows the window without modality; an open window comes forward.
    virtual void bringForward() = 0;
    virtual void minimise() = 0;
    // Asks the window to close: onClose decides.
    virtual void close() = 0;
    // Shows the window in front, keeping the program's other windows from input while it is
    // open; its first control in Tab order has the keyboard.
    virtual void showModal() = 0;

    virtual Point position() const = 0;
    virtual void move(Point topLeft) = 0;
    // 0..255; 255 is opaque.
    virtual void setOpacity(std::uint8_t alpha) = 0;

    // The window's parts by their design names; null when it has none of that kind and name.
    virtual Picture* picture(const std::string& name) = 0;
    virtual Label* label(const std::string& name) = 0;
    virtual Timer* timer(const std::string& name) = 0;
    // Any part by name, the window's tools among them.
    virtual Part* part(const std::string& name) = 0;
    // A part of one kind by name (ui::Button, ui::ListBox, ...); null when it is of another kind.
    template <class Kind>
    Kind* find(const std::string& name)
    {
        return dynamic_cast<Kind*>(part(name));
    }

    // The window is about to close: false keeps it open. None closes it.
    std::function<bool()> onClose;
    // The window was shown, or brought forward while it was open.
    std::function<void()> onShow;
    // The window shows for the first time; called once.
    std::function<void()> onFirstShow;
};

// The message boxes of the tools and the error box.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // The simple message box: the application title as caption, one OK button.
    virtual void message(const std::string& text) = 0;
    // A question with the buttons Yes and No; true when the user chose Yes.
    virtual bool askYesNo(const std::string& title, const std::string& text) = 0;
};

// Shows an error that escaped a handler: the program shows the error box; tests record.
class ErrorReporter {
public:
    virtual ~ErrorReporter() = default;
    virtual void report(const std::string& message) = 0;
};

} // namespace ui
