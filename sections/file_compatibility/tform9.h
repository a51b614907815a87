#pragma once

#include "chrome/section_behaviour.h"

// The File compatibility window. It keeps no settings, switches comments on when it is
// created, and its short left panel has two pages: the description and the comments switches,
// with small arrows to move between them.
class TForm9 : public chrome::SectionBehaviour {
public:
    TForm9(ui::Window& window, const chrome::WindowDefinition& definition, const chrome::SectionServices& services);

    bool descriptionPageShown() const;
    bool commentsPageShown() const;

private:
    void Image11Click();
    void Image12Click();
    void Timer3Timer();
    void showPage(bool description);

    // The paging timer ticks a hundred times a second: its components are looked up once.
    ui::Label* Strona11;
    ui::Label* Strona12;
    ui::Label* Strona21;
    ui::Label* Strona22;
    ui::Label* Strona23;
    ui::Label* Strona24;
    ui::Label* Strona25;
    ui::Label* Label2;
    ui::Label* Label10;
    ui::Label* Label11;
    ui::Picture* Image11;
    ui::Picture* Image12;
};
