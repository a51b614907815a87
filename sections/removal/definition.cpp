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
                {"Label2", "Strona32", "Strona34", "Strona33", "Strona35", "Label4", "Tak lub Nie", "Timer2", "Timer3"},
                289, 26);
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
