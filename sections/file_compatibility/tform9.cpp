#include "sections/file_compatibility/tform9.h"

TForm9::TForm9(ui::Window& window, const chrome::WindowDefinition& definition, const chrome::SectionServices& services)
    : chrome::SectionBehaviour(window, definition, services)
    , Strona11(window.label("Strona11"))
    , Strona12(window.label("Strona12"))
    , Strona21(window.label("Strona21"))
    , Strona22(window.label("Strona22"))
    , Strona23(window.label("Strona23"))
    , Strona24(window.label("Strona24"))
    , Strona25(window.label("Strona25"))
    , Label2(window.label("Label2"))
    , Label10(window.label("Label10"))
    , Label11(window.label("Label11"))
    , Image11(window.picture("Image11"))
    , Image12(window.picture("Image12"))
{
    Image11->onClick = guard([this] { Image11Click(); });
    Image12->onClick = guard([this] { Image12Click(); });
    window.timer("Timer3")->onTick = guard([this] { Timer3Timer(); });
    // The arrows beside the comments switches show only on the switches' page.
    arrowsShown = [this] { return commentsPageShown(); };
    // FormCreate: comments are on as soon as the window exists.
    commentsOnTimer().start();
}

bool TForm9::descriptionPageShown() const
{
    return Strona11->isVisible();
}

bool TForm9::commentsPageShown() const
{
    return Strona21->isVisible();
}

void TForm9::showPage(bool description)
{
    Strona11->setVisible(description);
    Strona12->setVisible(description);
    Strona21->setVisible(!description);
    Strona22->setVisible(!description);
    Strona23->setVisible(!description);
}

void TForm9::Image11Click()
{
    if (descriptionPageShown())
        showPage(false);
}

void TForm9::Image12Click()
{
    showPage(true);
}

void TForm9::Timer3Timer()
{
    // Keeps the paging controls and the comments arrows in step with the page shown.
    if (descriptionPageShown()) {
        Strona21->hide();
        Strona24->hide();
        Strona25->hide();
    }
    if (commentsPageShown()) {
        if (Label2->text() == "Tak")
            Strona24->show();
        else if (Label2->text() == "Nie")
            Strona25->show();
        Image12->show();
        Label11->show();
        Image11->hide();
        Label10->hide();
    }
    if (descriptionPageShown()) {
        Image12->hide();
        Label11->hide();
        Image11->show();
        Label10->show();
    }
}
