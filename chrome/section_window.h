#pragma once

#include "chrome/skinned_window.h"

class QCloseEvent;

namespace chrome {

// A section window: a skinned window with comments mode, opened by the main menu with the
// appearance stored in its section of the settings file, and storing it again when it closes.
class SectionWindow : public SkinnedWindow {
    Q_OBJECT
public:
    SectionWindow(Context& context, const WindowDefinition& definition);

    // The main menu's opening sequence: read the window's settings, apply transparency, put the
    // comments state into the comments label, start the matching comments timer, show the
    // window without modality (an open window is brought forward).
    void openingSequence();

    SkinLabel* commentsLabel() const;
    DesignTimer* commentsOnTimer() const;
    DesignTimer* commentsOffTimer() const;

protected:
    // The close handler: writes the window's three settings, in this order: transparency flag,
    // alpha value, comments. A refused write abandons the close.
    void closeEvent(QCloseEvent* event) override;
    // The comments timers' work; each timer stops itself.
    virtual void commentsOn();
    virtual void commentsOff();
    void setHintsShown(bool shown);
    void assignHints();

    const CommentsRoles& roles() const { return *definition().comments; }
};

} // namespace chrome
