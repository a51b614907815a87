#pragma once

#include "chrome/section_window.h"

// The File compatibility window. It keeps no settings, switches comments on when it is
// created, and its short left panel has two pages: the description and the comments switches,
// with small arrows to move between them.
class TForm9 : public chrome::SectionWindow {
    Q_OBJECT
public:
    TForm9(chrome::Context& context, const chrome::WindowDefinition& definition);

    bool descriptionPageShown() const;
    bool commentsPageShown() const;

private:
    void Image11Click();
    void Image12Click();
    void Timer3Timer();
    void showPage(bool description);

    // The paging timer ticks a hundred times a second: its components are looked up once.
    chrome::SkinLabel* Strona11;
    chrome::SkinLabel* Strona12;
    chrome::SkinLabel* Strona21;
    chrome::SkinLabel* Strona22;
    chrome::SkinLabel* Strona23;
    chrome::SkinLabel* Strona24;
    chrome::SkinLabel* Strona25;
    chrome::SkinLabel* Label2;
    chrome::SkinLabel* Label10;
    chrome::SkinLabel* Label11;
    chrome::PictureControl* Image11;
    chrome::PictureControl* Image12;
};
