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

// A section window on Qt: its widgets, built from its definition, hosting the behaviour of its
// window class (SectionBehaviour alone unless a factory makes another).
class SectionWindow : public SkinnedWindow {
    Q_OBJECT
public:
    SectionWindow(Context& context, const WindowDefinition& definition, const SectionBehaviourFactory& factory = {});
    ~SectionWindow() override;

    // See SectionBehaviour::openingSequence().
    void openingSequence() { m_behaviour->openingSequence(); }

    bool alphaBlend() const override { return m_behaviour->alphaBlend(); }
    std::uint8_t alphaValue() const override { return m_behaviour->alphaValue(); }

    SkinLabel* commentsLabel() const;
    DesignTimer* commentsOnTimer() const;
    DesignTimer* commentsOffTimer() const;

    SectionBehaviour& behaviour() const { return *m_behaviour; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

    const CommentsRoles& roles() const { return *definition().comments; }

private:
    SectionServices m_services;
    std::unique_ptr<SectionBehaviour> m_behaviour;
};

} // namespace chrome
