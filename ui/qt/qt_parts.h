#pragma once

#include "ui/parts.h"

#include <map>
#include <memory>
#include <string>

class QObject;
class QWidget;

namespace ui::qt {

// The parts of a window made of Qt widgets: each wraps the widget of its name among the
// window's direct children (a PictureControl, a SkinLabel, a DesignTimer or any tool), made
// the first time it is asked for and kept as long as this object.
class QtWindow final : public Window {
public:
    explicit QtWindow(QWidget& window);
    ~QtWindow() override;

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
    template <class Wrapper, class Widget>
    Wrapper* wrap(std::map<std::string, std::unique_ptr<Wrapper>>& made, const std::string& name);

    QWidget& m_window;
    // Tells onShow when the window is shown.
    std::unique_ptr<QObject> m_showWatcher;
    std::map<std::string, std::unique_ptr<Picture>> m_pictures;
    std::map<std::string, std::unique_ptr<Label>> m_labels;
    std::map<std::string, std::unique_ptr<Timer>> m_timers;
    std::map<std::string, std::unique_ptr<Part>> m_parts;
};

} // namespace ui::qt
