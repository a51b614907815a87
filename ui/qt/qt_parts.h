#pragma once

#include "ui/parts.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

class QObject;
class QWidget;

namespace chrome {
struct WindowDefinition;
} // namespace chrome

namespace ui::qt {

// The parts of a window made of Qt widgets: each wraps the widget of its name among the
// window's direct children (a PictureControl, a SkinLabel, a DesignTimer or any tool), made
// the first time it is asked for and kept as long as this object.
//
// A window built from a definition may build its widgets later than its parts (a hidden window
// when it is first shown): until then the parts of the definition's components keep what is set
// on them and answer from it, and hand it to their widgets when widgetsBuilt() comes. Whatever
// a part cannot answer without its widget (its place, its native object) has the widgets built.
// Timers are no widgets: they are there from the start.
class QtWindow final : public Window {
public:
    // Wraps the widgets the window holds.
    explicit QtWindow(QWidget& window);
    // The parts of `definition`'s window, whose widgets `buildWidgets` builds (and then calls
    // widgetsBuilt()).
    QtWindow(QWidget& window, const chrome::WindowDefinition& definition, std::function<void()> buildWidgets);
    ~QtWindow() override;

    // The window has built its widgets: every part made so far takes its widget.
    void widgetsBuilt();

    NativeId nativeId() const override;
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

private:
    QWidget& m_window;
    const chrome::WindowDefinition* m_definition = nullptr;
    std::function<void()> m_buildWidgets;
    bool m_widgetsBuilt = true;
    // Tells onShow when the window is shown.
    std::unique_ptr<QObject> m_showWatcher;
    std::map<std::string, std::unique_ptr<Part>> m_parts;
    std::map<std::string, std::unique_ptr<Timer>> m_timers;
};

} // namespace ui::qt
