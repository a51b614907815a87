#include "sections/file_compatibility/tform9.h"

#include "sections/definitions.h"

TForm9::TForm9(chrome::Context& context)
    : chrome::SectionWindow(context, sections::fileCompatibilityDefinition())
{
    connect(picture("Image11"), &chrome::PictureControl::clicked, this, [this] { handle([this] { Image11Click(); }); });
    connect(picture("Image12"), &chrome::PictureControl::clicked, this, [this] { handle([this] { Image12Click(); }); });
    connect(timer("Timer3"), &QTimer::timeout, this, [this] { handle([this] { Timer3Timer(); }); });
    // FormCreate: comments are on as soon as the window exists.
    commentsOnTimer()->start();
}

bool TForm9::descriptionPageShown() const
{
    return !label("Strona11")->isHidden();
}

bool TForm9::commentsPageShown() const
{
    return !label("Strona21")->isHidden();
}

void TForm9::showPage(bool description)
{
    label("Strona11")->setVisible(description);
    label("Strona12")->setVisible(description);
    label("Strona21")->setVisible(!description);
    label("Strona22")->setVisible(!description);
    label("Strona23")->setVisible(!description);
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
        label("Strona21")->hide();
        label("Strona24")->hide();
        label("Strona25")->hide();
    }
    if (commentsPageShown()) {
        if (commentsLabel()->text() == QLatin1String("Tak"))
            label("Strona24")->show();
        else if (commentsLabel()->text() == QLatin1String("Nie"))
            label("Strona25")->show();
        picture("Image12")->show();
        label("Label11")->show();
        picture("Image11")->hide();
        label("Label10")->hide();
    }
    if (descriptionPageShown()) {
        picture("Image12")->hide();
        label("Label11")->hide();
        picture("Image11")->show();
        label("Label10")->show();
    }
}

void TForm9::commentsOn()
{
    setHintsShown(true);
    assignHints();
    if (commentsPageShown())
        label("Strona24")->show();
    commentsLabel()->setText(QStringLiteral("Tak"));
    label("Strona25")->hide();
    commentsOnTimer()->stop();
}

void TForm9::commentsOff()
{
    setHintsShown(false);
    if (commentsPageShown())
        label("Strona25")->show();
    commentsLabel()->setText(QStringLiteral("Nie"));
    label("Strona24")->hide();
    commentsOffTimer()->stop();
}
