#include "sections/chrome_parts.h"
#include "sections/definitions.h"

using namespace chrome;

namespace sections {

namespace {

WindowDefinition makeInternet()
{
    WindowDefinition w = sectionWindow("TForm7", "Internet", 460, 419, "Internet", "INTERNET");
    addCorners(w, "Image10", "Image28", 21);
    addLink(w, "Label2");
    addHeading(w, "Label5", 52, "OPIS DZIAŁU");
    addPanelText(w, "Label4", 69, 150,
                 "Dział Internet stworzony jest po to, aby możliwe było jak najłatwiejsze i bezproblemowe "
                 "skonfigurowanie zasobów przeglądarki Internet Explorer, bez potrzeby modyfikacji zasad systemowch.");
    addSeparator(w, "Label7", 222);
    addComments(w,
                {.heading = "Label6", .onSwitch = "Label8", .onArrow = "Label1",
                 .offSwitch = "Label9", .offArrow = "Label3", .label = "Label13", .labelText = "KOMENTARZ",
                 .onTimer = "Timer3", .offTimer = "Timer4"},
                {.y = 241});
    addSeparator(w, "Label10", 309);
    addHeading(w, "Label11", 329, "REKLAMA");
    w.components.push_back(label("Label12", {3, 346, 112, 66}, LabelLook::Note,
                                 "Broń się przed atakami - Pobieraj najnowsze łatki z windowsupdate.com"));
    addDragTimer(w, "Timer6");
    w.hints = {{"Image28", "Zamknij"}, {"Image10", "Minimalizuj"}};
    return w;
}

} // namespace

const WindowDefinition& internetDefinition()
{
    static const WindowDefinition definition = makeInternet();
    return definition;
}

} // namespace sections
