#pragma once

#include "chrome/section_behaviour.h"
#include "ui/qt/skinned_window.h"

#include <functional>
#include <memory>

class QCloseEvent;

namespace chrome {

// Makes a section window's behaviour, of its window class, over the window's parts.
using SectionBehaviourFactory = std::function<std::unique_ptr<SectionBehaviour>(
    ui::Window& window, const WindowDefinition& definition, const SectionServices& services)>;

// Makes the behaviour of a window class that is no section's over the window's parts.
using ClassBehaviourFactory =
    std::function<std::unique_ptr<ClassBehaviour>(ui::Window& window, const WindowDefinition& definition)>;

// A skinned window on Qt: its widgets, built from its definition, hosting the behaviour of its
// window class: for a section window SectionBehaviour alone unless a factory makes another.
class SectionWindow : public SkinnedWindow {
    Q_OBJECT
public:
    SectionWindow(Context& context, const WindowDefinition& definition, const SectionBehaviourFactory& factory = {});
    SectionWindow(Context& context, const WindowDefinition& definition, const ClassBehaviourFactory& factory);
    ~SectionWindow() override;

    // See SectionBehaviour::openingSequence().
    void openingSequence() { m_behaviour->openingSequence(); }

    bool alphaBlend() const override { return m_behaviour ? m_behaviour->alphaBlend() : SkinnedWindow::alphaBlend(); }
    std::uint8_t alphaValue() const override
    {
        return m_behaviour ? m_behaviour->alphaValue() : SkinnedWindow::alphaValue();
    }

    SkinLabel* commentsLabel() const;
    DesignTimer* commentsOnTimer() const;
    DesignTimer* commentsOffTimer() const;

    // A section window's behaviour.
    SectionBehaviour& behaviour() const { return *m_behaviour; }
    // The behaviour of the window's class, a section's or another.
    ClassBehaviour& classBehaviour() const;

signals:
    // The window closed: its close handler let it.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

    const CommentsRoles& roles() const { return *definition().comments; }

private:
    SectionServices m_services;
    std::unique_ptr<SectionBehaviour> m_behaviour;
    std::unique_ptr<ClassBehaviour> m_class;
};

} // namespace chrome
