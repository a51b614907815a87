#include "sections/chrome_parts.h"
#include "sections/definitions.h"

using namespace chrome;

namespace sections {

namespace {

WindowDefinition makeSearch()
{
    WindowDefinition w = sectionWindow("TForm13", "Wyszukiwanie", 460, 224, "Wyszukiwanie", "WYSZUKI-\nWANIE");
    addCorners(w, "Image14", "Image15");
    addLink(w, "Label6");
    addHeading(w, "Label10", 62, "OPIS DZIAŁU");
    addPanelText(w, "Label11", 79, 60, "W tym dziale znajdują się opcje dla menu Wyszukaj", false);
    addComments(w,
                {.heading = "Label13", .onSwitch = "Label16", .onArrow = "Label15",
                 .offSwitch = "Label14", .offArrow = "Label17", .label = "Label1", .labelText = "KOMENTARZE",
                 .onTimer = "Timer1", .offTimer = "Timer2"},
                {.y = 142, .step = 28});
    addDragTimer(w, "Timer3");
    w.hints = {{"Image14", "Minimalizuj"}, {"Image15", "Zamknij"}};
    return w;
}

} // namespace

const WindowDefinition& searchDefinition()
{
    static const WindowDefinition definition = makeSearch();
    return definition;
}

} // namespace sections
