#include "sections/chrome_parts.h"
#include "sections/definitions.h"

using namespace chrome;

namespace sections {

namespace {

WindowDefinition makeSystem()
{
    WindowDefinition w = sectionWindow("TForm2", "System", 460, 449, "System", "SYSTEM");
    addCorners(w, "Image2", "Image3");
    addLink(w, "Label21");
    addHeading(w, "Label10", 52, "OPIS DZIAŁU");
    addPanelText(w, "Label11", 69, 172,
                 "Dział System stworzony jest po to, aby możliwe było skonfigurowanie i odczytywanie "
                 "zaawansowanych elementów systemowych bez szukania dodatkowych programów systemu Windows.");
    addSeparator(w, "Label12", 243);
    addComments(w,
                {.heading = "Label13", .onSwitch = "Label14", .onArrow = "Label15",
                 .offSwitch = "Label16", .offArrow = "Label17", .label = "Label22", .labelText = "KOMENTARZE",
                 .onTimer = "Timer3", .offTimer = "Timer4"},
                {.y = 262});
    addSeparator(w, "Label18", 330);
    addHeading(w, "Label19", 350, "REKLAMA");
    addPanelText(w, "Label20", 367, 78, kAdvert, false);
    addDragTimer(w, "Timer5");
    w.hints = {{"Image2", "Minimalizuj"}, {"Image3", "Zamknij"}};
    return w;
}

} // namespace

const WindowDefinition& systemDefinition()
{
    static const WindowDefinition definition = makeSystem();
    return definition;
}

} // namespace sections
