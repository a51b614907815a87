#pragma once

#include "chrome/section_behaviour.h"
#include "chrome/skinned_window.h"

#include <memory>

class QCloseEvent;

namespace chrome {

// A section window on Qt: its widgets, with the behaviour of SectionBehaviour.
class SectionWindow : public SkinnedWindow {
    Q_OBJECT
public:
    SectionWindow(Context& context, const WindowDefinition& definition);
    ~SectionWindow() override;

    // See SectionBehaviour::openingSequence().
    void openingSequence() { m_behaviour->openingSequence(); }

    bool alphaBlend() const override { return m_behaviour->alphaBlend(); }
    std::uint8_t alphaValue() const override { return m_behaviour->alphaValue(); }

    SkinLabel* commentsLabel() const;
    DesignTimer* commentsOnTimer() const;
    DesignTimer* commentsOffTimer() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    SectionBehaviour& behaviour() const { return *m_behaviour; }

    const CommentsRoles& roles() const { return *definition().comments; }

private:
    std::unique_ptr<SectionBehaviour> m_behaviour;
};

} // namespace chrome
