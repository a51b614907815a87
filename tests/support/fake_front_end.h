#pragma once

#include "ui/parts.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
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

class FakeLabel final : public FakeClickable<ui::Label> {
public:
    void setText(const std::string& text) override { m_text = text; }
    std::string text() const override { return m_text; }

private:
    std::string m_text;
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
        if (shown && onShow)
            onShow();
    }
    bool isVisible() const override { return m_visible; }
    void bringForward() override
    {
        m_visible = true;
        ++broughtForward;
        if (onShow)
            onShow();
    }
    void minimise() override { ++minimised; }
    void close() override
    {
        if (!onClose || onClose())
            m_visible = false;
    }
    ui::Point position() const override { return m_position; }
    void move(ui::Point topLeft) override { m_position = topLeft; }
    void setOpacity(std::uint8_t alpha) override { opacity = alpha; }

    ui::Picture* picture(const std::string& name) override { return find(m_pictures, name); }
    ui::Label* label(const std::string& name) override { return find(m_labels, name); }
    ui::Timer* timer(const std::string& name) override { return find(m_timers, name); }
    ui::Part* part(const std::string& name) override;

    FakePicture& addPicture(const std::string& name) { return add(m_pictures, name); }
    FakeLabel& addLabel(const std::string& name) { return add(m_labels, name); }
    FakeTimer& addTimer(const std::string& name) { return add(m_timers, name); }
    FakePart<ui::Part>& addPart(const std::string& name) { return add(m_parts, name); }

    FakePicture& fakePicture(const std::string& name) { return *find(m_pictures, name); }
    FakeLabel& fakeLabel(const std::string& name) { return *find(m_labels, name); }
    FakeTimer& fakeTimer(const std::string& name) { return *find(m_timers, name); }
    // Ticks every enabled timer once, in name order.
    void tickAll();

    std::uint8_t opacity = 255;
    int broughtForward = 0;
    int minimised = 0;

private:
    template <class Kind>
    static Kind* find(std::map<std::string, std::unique_ptr<Kind>>& parts, const std::string& name)
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
    std::map<std::string, std::unique_ptr<FakePart<ui::Part>>> m_parts;
};

} // namespace testing_support
