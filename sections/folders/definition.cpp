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
    addComments(w, {"Label1", "Label16", "Label15", "Label14", "Label17", "Label2", "KOMENTARZE", "Timer1", "Timer2"},
                203, 28);
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
