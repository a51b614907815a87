#pragma once

#include "ui/parts.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// A front end of plain objects for the behaviour tests: no toolkit, no display, no waiting.
// Parts keep what the behaviour set; the test clicks them and ticks the timers itself.
namespace testing_support {

template <class Base>
class FakePart : public Base {
public:
    ui::NativeId nativeId() const override { return const_cast<FakePart*>(this); }
    void setVisible(bool visible) override { m_visible = visible; }
    bool isVisible() const override { return m_visible; }
    ui::Rect place() const override { return m_place; }
    void setPlace(const ui::Rect& place) override { m_place = place; }
    void setAccessibleName(const std::string& name) override { accessibleName = name; }
    void setAccessibleDescription(const std::string& text) override { accessibleDescription = text; }
    void setHint(const std::string& text) override { m_hint = text; }
    std::string hint() const override { return m_hint; }
    void setHintShown(bool shown) override { m_hintShown = shown; }
    bool hintShown() const override { return m_hintShown; }

    std::string accessibleName;
    std::string accessibleDescription;

private:
    bool m_visible = true;
    ui::Rect m_place;
    std::string m_hint;
    bool m_hintShown = false;
};

template <class Base>
class FakeClickable : public FakePart<Base> {
public:
    void setTarget(bool target) override { isTarget = target; }
    void setMarked(bool isMarked) override { marked = isMarked; }
    // A left click: down, up, click.
    void click()
    {
        for (auto* handler : {&this->onMouseDown, &this->onMouseUp, &this->onClick}) {
            if (*handler)
                (*handler)();
        }
    }
    bool isTarget = false;
    // Never given: a plain target.
    std::optional<bool> marked;
};

class FakePicture final : public FakeClickable<ui::Picture> {
public:
    void setPicture(const std::string& file) override { picture = file; }
    std::string picture;
};

// A label or a push button.
template <class Base>
class FakeCaptioned final : public FakeClickable<Base> {
public:
    void setText(const std::string& text) override { m_text = text; }
    std::string text() const override { return m_text; }

private:
    std::string m_text;
};
using FakeLabel = FakeCaptioned<ui::Label>;
using FakeButton = FakeCaptioned<ui::Button>;

class FakeEditBox final : public FakePart<ui::EditBox> {
public:
    void setText(const std::string& text) override { m_text = text; }
    std::string text() const override { return m_text; }

private:
    std::string m_text;
};

class FakeListBox final : public FakePart<ui::ListBox> {
public:
    void setLines(const std::vector<std::string>& lines) override
    {
        m_lines = lines;
        m_selection = -1;
    }
    std::vector<std::string> lines() const override { return m_lines; }
    int selection() const override { return m_selection; }
    void setSelection(int line) override { m_selection = line; }

private:
    std::vector<std::string> m_lines;
    int m_selection = -1;
};

// Holds what is typed, in or out of range, as the field does while it has the keyboard.
class FakeSpinEdit final : public FakePart<ui::SpinEdit> {
public:
    int value() const override { return m_value; }
    void setValue(int value) override { m_value = value; }
    int m_value = 0;
};

class FakeFileList final : public FakePart<ui::FileList> {
public:
    void setNames(const std::vector<std::string>& names) override
    {
        m_names = names;
        selected = -1;
    }
    std::vector<std::string> names() const override { return m_names; }
    int selection() const override { return selected; }
    int selected = -1;

private:
    std::vector<std::string> m_names;
};

class FakeCheckBox final : public FakePart<ui::CheckBox> {
public:
    bool isChecked() const override { return checked; }
    void setChecked(bool on) override { checked = on; }
    bool checked = false;
};

// Shows the file's path instead of its picture.
class FakePreview final : public FakePart<ui::PicturePreview> {
public:
    void showFile(const core::DriveFiles&, const std::vector<std::string>& path) override { file = path; }
    void clear() override { file.clear(); }
    void setStretch(bool on) override { stretch = on; }
    std::vector<std::string> file;
    bool stretch = false;
};

class FakeTimer final : public ui::Timer {
public:
    void setEnabled(bool enabled) override { m_enabled = enabled; }
    bool isEnabled() const override { return m_enabled; }
    int interval() const override { return m_interval; }
    void setInterval(int milliseconds) override { m_interval = milliseconds; }
    // One period passed: an enabled timer ticks.
    void tick()
    {
        if (m_enabled && onTick)
            onTick();
    }

private:
    bool m_enabled = false;
    int m_interval = 1000;
};

class FakeWindow final : public ui::Window {
public:
    ui::NativeId nativeId() const override { return const_cast<FakeWindow*>(this); }
    void setVisible(bool visible) override
    {
        const bool shown = visible && !m_visible;
        m_visible = visible;
        if (shown)
            tellShown();
    }
    bool isVisible() const override { return m_visible; }
    void bringForward() override
    {
        m_visible = true;
        ++broughtForward;
        tellShown();
    }
    void minimise() override { ++minimised; }
    void showModal() override
    {
        modal = true;
        bringForward();
    }
    void close() override
    {
        if (!onClose || onClose())
            m_visible = false;
    }
    ui::Point position() const override { return m_position; }
    void move(ui::Point topLeft) override { m_position = topLeft; }
    void setOpacity(std::uint8_t alpha) override { opacity = alpha; }

    ui::Picture* picture(const std::string& name) override { return lookup(m_pictures, name); }
    ui::Label* label(const std::string& name) override { return lookup(m_labels, name); }
    ui::Timer* timer(const std::string& name) override { return lookup(m_timers, name); }
    ui::Part* part(const std::string& name) override;

    FakePicture& addPicture(const std::string& name) { return add(m_pictures, name); }
    FakeLabel& addLabel(const std::string& name) { return add(m_labels, name); }
    FakeTimer& addTimer(const std::string& name) { return add(m_timers, name); }
    // A tool of any fake kind.
    template <class Kind = FakePart<ui::Part>>
    Kind& addPart(const std::string& name)
    {
        auto part = std::make_unique<Kind>();
        Kind& made = *part;
        m_parts[name] = std::move(part);
        return made;
    }

    FakePicture& fakePicture(const std::string& name) { return *lookup(m_pictures, name); }
    FakeLabel& fakeLabel(const std::string& name) { return *lookup(m_labels, name); }
    FakeTimer& fakeTimer(const std::string& name) { return *lookup(m_timers, name); }
    template <class Kind>
    Kind& fake(const std::string& name)
    {
        return dynamic_cast<Kind&>(*part(name));
    }
    // Ticks every enabled timer once, in name order.
    void tickAll();

    std::uint8_t opacity = 255;
    int broughtForward = 0;
    int minimised = 0;
    bool modal = false;

private:
    void tellShown()
    {
        if (onFirstShow)
            std::exchange(onFirstShow, nullptr)();
        if (onShow)
            onShow();
    }
    template <class Kind>
    static Kind* lookup(std::map<std::string, std::unique_ptr<Kind>>& parts, const std::string& name)
    {
        const auto found = parts.find(name);
        return found == parts.end() ? nullptr : found->second.get();
    }
    template <class Kind>
    static Kind& add(std::map<std::string, std::unique_ptr<Kind>>& parts, const std::string& name)
    {
        return *(parts[name] = std::make_unique<Kind>());
    }

    bool m_visible = false;
    ui::Point m_position;
    std::map<std::string, std::unique_ptr<FakePicture>> m_pictures;
    std::map<std::string, std::unique_ptr<FakeLabel>> m_labels;
    std::map<std::string, std::unique_ptr<FakeTimer>> m_timers;
    std::map<std::string, std::unique_ptr<ui::Part>> m_parts;
};

// Message boxes that record what they show and answer questions from a list the test fills.
class ScriptedMessageBoxes : public ui::MessageBoxes {
public:
    struct Question {
        std::string title;
        std::string text;
        friend bool operator==(const Question&, const Question&) = default;
    };
    void message(const std::string& text) override { messages.push_back(text); }
    bool askYesNo(const std::string& title, const std::string& text) override;

    std::vector<std::string> messages;
    std::vector<Question> questions;
    std::vector<bool> answers; // the next answers, first one first
};

} // namespace testing_support
