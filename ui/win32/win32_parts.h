#pragma once

// The window parts on Windows' own API: every part is a child window (HWND) of a layered
// top-level window whose colour-key pixels are cut out of its shape.

#include "ui/parts.h"

#include <windows.h>

struct IPicture;

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace ui::win32 {

class Win32Window;

// Where a window's pictures come from: a bitmap per file name of the picture store, owned by
// the source; null when there is none.
class PictureSource {
public:
    virtual ~PictureSource() = default;
    virtual HBITMAP bitmap(const std::string& file) = 0;
};

// How a label draws its text.
struct LabelStyle {
    COLORREF colour = RGB(0, 0, 0);
    bool filled = false; // fills its place with `background`, else the window shows through
    COLORREF background = RGB(255, 255, 255);
    bool bold = false;
    int pointSize = 8;
    int pixelSize = 0;                            // instead of the point size, when set
    UINT format = DT_LEFT | DT_TOP | DT_NOPREFIX; // DrawTextW's format
};

// What every part has: its window handle, its place, its names and its hint.
class Win32Part {
public:
    Win32Part(Win32Window& window, HWND handle);
    virtual ~Win32Part();
    Win32Part(const Win32Part&) = delete;
    Win32Part& operator=(const Win32Part&) = delete;

    HWND handle() const { return m_handle; }
    Win32Window& window() const { return m_window; }
    // The messages of a part of our own class, and the notifications of a control.
    virtual LRESULT message(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual void notify(WORD /*code*/) {}
    // Draws an item of an owner-drawn control; false when the part draws none.
    virtual bool drawItem(const DRAWITEMSTRUCT& /*item*/) { return false; }
    // The messages of a system control (EDIT, BUTTON) before the control's own procedure; true
    // when handled, with `result`.
    virtual bool controlMessage(UINT /*msg*/, WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT& /*result*/)
    {
        return false;
    }

    void setVisiblePart(bool visible);
    Rect placeOf() const;
    void setPlaceOf(const Rect& place);
    virtual void setName(const std::string& name);
    void setDescription(const std::string& description) { m_description = description; }
    const std::string& description() const { return m_description; }
    void setHintText(const std::string& text);
    void setHintOn(bool shown);
    const std::string& hintText() const { return m_hint; }
    bool hintOn() const { return m_hintShown; }

protected:
    // Routes the messages of a system control through controlMessage.
    void subclass();

    Win32Window& m_window;
    HWND m_handle = nullptr;
    // An edit box's name, which its window text cannot carry.
    std::wstring m_accessibleName;
    std::string m_description;
    std::string m_hint;
    bool m_hintShown = false;
    bool m_toolAdded = false;
};

// A part of the interface `Kind` on the Win32 part `Base`.
template <class Kind, class Base = Win32Part>
class PartOf : public Kind, public Base {
public:
    using Base::Base;
    NativeId nativeId() const override { return this->handle(); }
    void setVisible(bool visible) override { this->setVisiblePart(visible); }
    bool isVisible() const override { return IsWindowVisible(this->handle()) != FALSE; }
    Rect place() const override { return this->placeOf(); }
    void setPlace(const Rect& place) override { this->setPlaceOf(place); }
    void setAccessibleName(const std::string& name) override { this->setName(name); }
    void setAccessibleDescription(const std::string& text) override { this->setDescription(text); }
    void setHint(const std::string& text) override { this->setHintText(text); }
    std::string hint() const override { return this->hintText(); }
    void setHintShown(bool shown) override { this->setHintOn(shown); }
    bool hintShown() const override { return this->hintOn(); }
};

// Mouse and keyboard of a picture or a label.
class ClickBehaviour : public Win32Part {
public:
    ClickBehaviour(Win32Window& window, HWND handle) : Win32Part(window, handle) {}
    LRESULT message(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    virtual ui::Clickable& clickable() = 0;
    void setTargetPart(bool target);
    void setMarkedPart(bool marked);
    // The focus frame, and the accent frame of a marked choice.
    void drawFrames(HDC dc) const;
    // What assistive technology reads: a push button, or a check box once given a state.
    void tellFacts() const;
    bool m_target = false;
    bool m_marked = false;
    bool m_hasState = false; // given a mark at least once: a toggle

    bool m_pressed = false;
};

class Win32Picture final : public PartOf<ui::Picture, ClickBehaviour> {
public:
    Win32Picture(Win32Window& window, const std::string& name, const Rect& place);
    void setTarget(bool target) override { this->setTargetPart(target); }
    void setMarked(bool marked) override { this->setMarkedPart(marked); }
    void setPicture(const std::string& file) override;
    HBITMAP bitmap() const { return m_bitmap; }
    LRESULT message(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    ui::Clickable& clickable() override { return *this; }

private:
    HBITMAP m_bitmap = nullptr;
};

class Win32Label final : public PartOf<ui::Label, ClickBehaviour> {
public:
    // A place without width sizes the label to its text; without height, to the text's height.
    Win32Label(Win32Window& window, const Rect& place, const LabelStyle& style);
    void setTarget(bool target) override { this->setTargetPart(target); }
    void setMarked(bool marked) override { this->setMarkedPart(marked); }
    void setText(const std::string& text) override;
    std::string text() const override { return m_text; }
    void setName(const std::string& name) override;
    LRESULT message(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Its ground, where it fills one, and its text, into `rect` of `dc`.
    void draw(HDC dc, RECT rect) const;

protected:
    ui::Clickable& clickable() override { return *this; }

private:
    void fit();

    LabelStyle m_style;
    HFONT m_font;
    std::string m_text;
    bool m_autoWidth = false;
    bool m_autoHeight = false;
    bool m_named = false;
};

class Win32EditBox final : public PartOf<ui::EditBox> {
public:
    Win32EditBox(Win32Window& window, const Rect& place);
    void setText(const std::string& text) override;
    std::string text() const override;
    void notify(WORD code) override;
    bool controlMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool m_setting = false;
};

class Win32ListBox final : public PartOf<ui::ListBox> {
public:
    Win32ListBox(Win32Window& window, const Rect& place);
    void setLines(const std::vector<std::string>& lines) override;
    std::vector<std::string> lines() const override { return m_lines; }
    int selection() const override;
    void setSelection(int line) override;
    void notify(WORD code) override;

private:
    std::vector<std::string> m_lines;
};

class Win32SpinEdit final : public PartOf<ui::SpinEdit> {
public:
    Win32SpinEdit(Win32Window& window, const Rect& place, int minimum, int maximum);
    int value() const override;
    void setValue(int value) override;
    void notify(WORD code) override;

private:
    HWND m_arrows = nullptr;
    bool m_setting = false;
};

class Win32FileList final : public PartOf<ui::FileList> {
public:
    Win32FileList(Win32Window& window, const Rect& place);
    void setNames(const std::vector<std::string>& names) override;
    std::vector<std::string> names() const override { return m_names; }
    int selection() const override;
    void notify(WORD code) override;
    // A line: the glyph of a file, or of a program, then the name.
    bool drawItem(const DRAWITEMSTRUCT& item) override;

private:
    std::vector<std::string> m_names;
};

// The wallpaper preview: a picture file of drive C: decoded by Windows' own decoders
// (OleLoadPicture: BMP, ICO, WMF, EMF, JPEG), drawn at its size from the top left corner or
// stretched over the whole preview.
class Win32Preview final : public PartOf<ui::PicturePreview> {
public:
    Win32Preview(Win32Window& window, const Rect& place);
    ~Win32Preview() override;
    void showFile(const core::DriveFiles& drive, const std::vector<std::string>& file) override;
    void clear() override;
    void setStretch(bool stretch) override;
    bool showsPicture() const { return m_picture != nullptr; }
    LRESULT message(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    IPicture* m_picture = nullptr;
    bool m_stretch = false;
};

class Win32Button final : public PartOf<ui::Button> {
public:
    Win32Button(Win32Window& window, const Rect& place, const std::string& caption, bool compact);
    void setTarget(bool target) override { m_target = target; }
    void setMarked(bool) override {}
    void setText(const std::string& text) override;
    std::string text() const override;
    void notify(WORD code) override;
    bool controlMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool m_target = false;
};

class Win32CheckBox final : public PartOf<ui::CheckBox> {
public:
    Win32CheckBox(Win32Window& window, const Rect& place, const std::string& caption, bool checked);
    bool isChecked() const override;
    void setChecked(bool checked) override;
};

// A SetTimer timer of the window's handle.
class Win32Timer final : public ui::Timer {
public:
    Win32Timer(HWND window, UINT_PTR id, int interval);
    ~Win32Timer() override;
    void setEnabled(bool enabled) override;
    bool isEnabled() const override { return m_enabled; }
    int interval() const override { return m_interval; }
    void setInterval(int milliseconds) override;

private:
    HWND m_window;
    UINT_PTR m_id;
    int m_interval;
    bool m_enabled = false;
};

// A layered borderless top-level window; its parts are added by whoever builds it.
class Win32Window final : public ui::Window {
public:
    Win32Window(PictureSource& pictures, const std::string& className, const std::string& caption, Size size);
    ~Win32Window() override;

    HWND handle() const { return m_handle; }
    PictureSource& pictures() const { return m_pictures; }
    HWND tooltip();
    // The design's font in the style's size and weight, owned by the window.
    HFONT font(const LabelStyle& style);

    Win32Picture& addPicture(const std::string& name, const Rect& place);
    Win32Label& addLabel(const std::string& name, const Rect& place, const LabelStyle& style);
    Win32EditBox& addEditBox(const std::string& name, const Rect& place);
    Win32ListBox& addListBox(const std::string& name, const Rect& place);
    Win32SpinEdit& addSpinEdit(const std::string& name, const Rect& place, int minimum, int maximum);
    Win32FileList& addFileList(const std::string& name, const Rect& place);
    Win32Preview& addPreview(const std::string& name, const Rect& place);
    Win32Button& addButton(const std::string& name, const Rect& place, const std::string& caption, bool compact);
    Win32CheckBox& addCheckBox(const std::string& name, const Rect& place, const std::string& caption, bool checked);
    Win32Timer& addTimer(const std::string& name, int interval);

    NativeId nativeId() const override { return m_handle; }
    void setVisible(bool visible) override;
    bool isVisible() const override;
    void bringForward() override;
    void minimise() override;
    void close() override;
    void showModal() override;
    Point position() const override;
    void move(Point topLeft) override;
    void setOpacity(std::uint8_t alpha) override;
    Picture* picture(const std::string& name) override;
    Label* label(const std::string& name) override;
    Timer* timer(const std::string& name) override;
    Part* part(const std::string& name) override;

    // The window came back from the taskbar.
    std::function<void()> onRestored;
    // The window closed (hid) after onClose let it.
    std::function<void()> onClosed;

    // Paints what lies under `child` (the window's pictures before it, in creation order) into
    // its device context.
    void paintUnder(const Win32Part& child, HDC dc) const;
    // Has the later parts that overlap `part` paint again, as they show it.
    void invalidateOver(const Win32Part& part) const;

    static LRESULT CALLBACK procedure(HWND handle, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    LRESULT message(UINT msg, WPARAM wParam, LPARAM lParam);
    void placeAtFirstShow();
    // Tells onFirstShow at the first show, and onShow.
    void tellShown();
    template <class Kind>
    Kind& keep(const std::string& name, std::unique_ptr<Kind> part);

    PictureSource& m_pictures;
    std::wstring m_fontFace;
    std::map<std::pair<int, int>, HFONT> m_fonts; // by height and weight
    HWND m_handle = nullptr;
    HWND m_tooltip = nullptr;
    std::uint8_t m_alpha = 255;
    bool m_placed = false;
    bool m_shownOnce = false;
    bool m_minimised = false;
    std::vector<std::unique_ptr<Win32Part>> m_parts;
    std::map<std::string, ui::Part*> m_byName;
    std::map<std::string, std::unique_ptr<Win32Timer>> m_timers;
    std::map<UINT_PTR, Win32Timer*> m_timerIds;
};

// MessageBoxW with the application's title as caption.
class Win32MessageBoxes final : public ui::MessageBoxes {
public:
    explicit Win32MessageBoxes(std::string title) : m_title(std::move(title)) {}
    void message(const std::string& text) override;
    bool askYesNo(const std::string& title, const std::string& text) override;

private:
    std::string m_title;
};

// The error box: the application's title as caption and the stop icon.
void showErrorBox(const std::string& title, const std::string& text);

// Registers the window classes and the common controls; once per program before any window.
void registerClasses(HINSTANCE instance);

} // namespace ui::win32
