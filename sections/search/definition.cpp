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
    addComments(w, {"Label13", "Label16", "Label15", "Label14", "Label17", "Label1", "KOMENTARZE", "Timer1", "Timer2"},
                142, 28);
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
