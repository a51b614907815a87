#pragma once

#include "chrome/context.h"
#include "chrome/window_behaviour.h"
#include "ui/qt/controls.h"
#include "ui/qt/qt_parts.h"
#include "chrome/definition.h"

#include <QBitmap>
#include <QImage>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace chrome {

// The pixels of a background that are not of the colour key (with a tolerance, since JPEG
// blurs it): the window's shape.
QBitmap colourKeyMask(const QImage& background);
bool isColourKey(QRgb pixel);

// A borderless window skinned by pictures, built from its definition: dragged by its
// background and link label, with its own minimise and close targets.
class SkinnedWindow : public QWidget {
    Q_OBJECT
public:
    SkinnedWindow(Context& context, const WindowDefinition& definition);
    ~SkinnedWindow() override;

    const WindowDefinition& definition() const { return m_definition; }
    Context& context() const { return m_context; }

    // Builds the window's widgets, which a window otherwise builds when it is first shown or
    // one of them is asked for. Building them again changes nothing.
    void buildWidgets();

    // Component names are the ASCII names of the definition, so a plain literal will do.
    PictureControl* picture(QAnyStringView name) const;
    SkinLabel* label(QAnyStringView name) const;
    DesignTimer* timer(QAnyStringView name) const;

    virtual bool alphaBlend() const { return m_alphaBlend; }
    virtual std::uint8_t alphaValue() const { return m_alphaValue; }
    // Transparency as the settings file gives it: on or off, and the alpha value 0..255.
    void setAlpha(bool blend, std::uint8_t value);

    void setVisible(bool visible) override;

    // Runs one of this window's handlers under the error guard.
    void handle(const std::function<void()>& handler) const { guarded(m_context.errors, handler); }
    // The window's parts, as its behaviour sees them.
    ui::qt::QtWindow& parts() const { return *m_parts; }

protected:
    void dragStep();

private:
    void closeClicked();
    void build();
    // The window with its widgets built.
    SkinnedWindow& built() const;
    void addPicture(const Component& component);
    void addLabel(const Component& component);
    // The system's controls: buttons, edit boxes, lists, spin edits.
    void addTool(const Component& component);
    // Dragging by the background and the link label.
    void wireDrag();
    // Names, descriptions and targets for the keyboard and assistive technology.
    void describe();
    const std::string* hintOf(const std::string& control) const;
    // At the first show: names the class's own tools and puts everything Tab reaches in screen
    // order.
    void prepareTools();
    void loadPictures();

    Context& m_context;
    const WindowDefinition& m_definition;
    std::unique_ptr<ui::qt::QtWindow> m_parts;
    std::unique_ptr<WindowBehaviour> m_behaviour;
    bool m_alphaBlend = false;
    std::uint8_t m_alphaValue = 255;
    bool m_widgetsBuilt = false;
    bool m_picturesLoaded = false;
    bool m_placed = false;
};

} // namespace chrome
