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
    addComments(w, {"Label1", "Label8", "Label2", "Label9", "Label3", "Label10", "KOMENTARZ", "Timer2", "Timer3"}, 224);
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
