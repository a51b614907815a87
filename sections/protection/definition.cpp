#include "sections/chrome_parts.h"
#include "sections/definitions.h"

using namespace chrome;

namespace sections {

namespace {

WindowDefinition makeProtection()
{
    WindowDefinition w = sectionWindow("TForm4", "Ochrona", 460, 468, "Ochrona", "OCHRONA");
    // The framed panel of the refused-program list, below the options.
    w.panels.push_back({PanelLook::Light, {119, 188, 336, 272}, {}});
    addCorners(w, "Image14", "Image15");
    addLink(w, "Label6");
    addHeading(w, "Strona11", 52, "OPIS DZIAŁU");
    addPanelText(w, "Strona12", 71, 130,
                 "W dziale tym znajdują się ogólne opcje związane z zabezpieczaniem systemu operacyjnego "
                 "przed niepoważnionymi osobami oraz niechcianymi programami.");
    addSeparator(w, "Label7", 203);
    addComments(w,
                {.heading = "Strona21", .onSwitch = "Strona22", .onArrow = "Strona24",
                 .offSwitch = "Strona23", .offArrow = "Strona25", .label = "Label20", .labelText = "KOMENTARZE",
                 .onTimer = "Timer2", .offTimer = "Timer3"},
                {.y = 222});
    addSeparator(w, "Label10", 290);
    addHeading(w, "Label11", 310, "REKLAMA");
    addPanelText(w, "Label12", 327, 100,
                 "Pobierz najnowszą wersję programu ze strony internetowej autora.", false);
    addDragTimer(w, "Timer1");
    w.hints = {{"Image14", "Minimalizuj"}, {"Image15", "Zamknij"}};
    return w;
}

} // namespace

const WindowDefinition& protectionDefinition()
{
    static const WindowDefinition definition = makeProtection();
    return definition;
}

} // namespace sections
