#pragma once

#include "chrome/section_window.h"

// The File compatibility window. It keeps no settings, switches comments on when it is
// created, and its short left panel has two pages: the description and the comments switches,
// with small arrows to move between them.
class TForm9 : public chrome::SectionWindow {
    Q_OBJECT
public:
    explicit TForm9(chrome::Context& context);

    bool descriptionPageShown() const;
    bool commentsPageShown() const;

protected:
    void commentsOn() override;
    void commentsOff() override;

private:
    void Image11Click();
    void Image12Click();
    void Timer3Timer();
    void showPage(bool description);
};
