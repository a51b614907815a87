#include "sections/chrome_parts.h"
#include "sections/definitions.h"

using namespace chrome;

namespace sections {

namespace {

WindowDefinition makePerformance()
{
    WindowDefinition w = sectionWindow("TForm5", "Wydajność", 460, 305, "Wydajność", "WYDAJNOŚĆ");
    addCorners(w, "Image5", "Image19");
    addLink(w, "Label6");
    addHeading(w, "Label5", 52, "OPIS DZIAŁU");
    addPanelText(w, "Label4", 69, 130,
                 "Dział Wydajność zaprojektowany jest tak, aby możliwe było jak najłatwiejsze skonfigurowanie "
                 "wydajności podzespołów komputera bez potrzeby modyfikacji rejestru.");
    addSeparator(w, "Label7", 205);
    addComments(w,
                {.heading = "Label1", .onSwitch = "Label8", .onArrow = "Label2",
                 .offSwitch = "Label9", .offArrow = "Label3", .label = "Label10", .labelText = "KOMENTARZ",
                 .onTimer = "Timer2", .offTimer = "Timer3"},
                {.y = 224});
    addDragTimer(w, "Timer1");
    w.hints = {{"Image19", "Zamknij"}, {"Image5", "Minimalizuj"}};
    return w;
}

} // namespace

const WindowDefinition& performanceDefinition()
{
    static const WindowDefinition definition = makePerformance();
    return definition;
}

} // namespace sections
