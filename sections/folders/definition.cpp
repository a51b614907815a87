#include "sections/chrome_parts.h"
#include "sections/definitions.h"

using namespace chrome;

namespace sections {

namespace {

WindowDefinition makeFolders()
{
    WindowDefinition w = sectionWindow("TForm18", "Foldery", 460, 274, "Foldery", "FOLDERY");
    addCorners(w, "Image26", "Image27");
    addLink(w, "Label6");
    addHeading(w, "Label10", 52, "OPIS DZIAŁU");
    addPanelText(w, "Label11", 69, 130,
                 "W dziale Foldery znajdują się opcje dotyczące eksploratora systemu Windows XP Professional "
                 "(Ustawienia folderów oraz plików).",
                 false);
    addComments(w,
                {.heading = "Label1", .onSwitch = "Label16", .onArrow = "Label15",
                 .offSwitch = "Label14", .offArrow = "Label17", .label = "Label2", .labelText = "KOMENTARZE",
                 .onTimer = "Timer1", .offTimer = "Timer2"},
                {.y = 203, .step = 28});
    addDragTimer(w, "Timer3");
    w.hints = {{"Image26", "Minimalizuj"}, {"Image27", "Zamknij"}};
    return w;
}

} // namespace

const WindowDefinition& foldersDefinition()
{
    static const WindowDefinition definition = makeFolders();
    return definition;
}

} // namespace sections
