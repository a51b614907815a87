#include "sections/file_compatibility/tform9.h"

TForm9::TForm9(chrome::Context& context, const chrome::WindowDefinition& definition)
    : chrome::SectionWindow(context, definition)
    , Strona11(label("Strona11"))
    , Strona12(label("Strona12"))
    , Strona21(label("Strona21"))
    , Strona22(label("Strona22"))
    , Strona23(label("Strona23"))
    , Strona24(label("Strona24"))
    , Strona25(label("Strona25"))
    , Label2(label("Label2"))
    , Label10(label("Label10"))
    , Label11(label("Label11"))
    , Image11(picture("Image11"))
    , Image12(picture("Image12"))
{
    connect(Image11, &chrome::PictureControl::clicked, this, [this] { handle([this] { Image11Click(); }); });
    connect(Image12, &chrome::PictureControl::clicked, this, [this] { handle([this] { Image12Click(); }); });
    connect(timer("Timer3"), &chrome::DesignTimer::timeout, this, [this] { handle([this] { Timer3Timer(); }); });
    // The arrows beside the comments switches show only on the switches' page.
    behaviour().arrowsShown = [this] { return commentsPageShown(); };
    // FormCreate: comments are on as soon as the window exists.
    commentsOnTimer()->start();
}

bool TForm9::descriptionPageShown() const
{
    return !Strona11->isHidden();
}

bool TForm9::commentsPageShown() const
{
    return !Strona21->isHidden();
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
        if (Label2->text() == QLatin1String("Tak"))
            Strona24->show();
        else if (Label2->text() == QLatin1String("Nie"))
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
