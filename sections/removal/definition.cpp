#include "sections/chrome_parts.h"
#include "sections/definitions.h"

using namespace chrome;

namespace sections {

namespace {

WindowDefinition makeRemoval()
{
    WindowDefinition w = sectionWindow("TForm6", "Usuwanie", 460, 380, "Usuwanie", "USUWANIE");
    // The white rounded panel of the wallpaper tool.
    w.panels.push_back({PanelLook::White, {119, 122, 336, 250}, {}});
    addCorners(w, "Image11", "Image12");
    addLink(w, "Label6");
    addHeading(w, "Strona31", 52, "OPIS DZIAŁU");
    addPanelText(w, "Strona12", 69, 80,
                 "Ten dział posiada opcje, która mają na celu usunięcie niepotrzebych elementów systemu operacyjnego");
    addPanelText(w, "Strona2", 149, 120,
                 "Windows XP Professional edition. Poprzez wykorzystanie tych funkcji można usunąć nawet do 300 MB "
                 "z dysku dwardego twojego komputera.",
                 false);
    addSeparator(w, "Label10", 270);
    addComments(w,
                {.heading = "Label2", .onSwitch = "Strona32", .onArrow = "Strona34",
                 .offSwitch = "Strona33", .offArrow = "Strona35", .label = "Label4", .labelText = "Tak lub Nie",
                 .onTimer = "Timer2", .offTimer = "Timer3"},
                {.y = 289, .step = 26});
    addDragTimer(w, "Timer4");
    w.hints = {{"Image11", "Minimalizuj"}, {"Image12", "Zamknij"}};
    return w;
}

} // namespace

const WindowDefinition& removalDefinition()
{
    static const WindowDefinition definition = makeRemoval();
    return definition;
}

} // namespace sections
