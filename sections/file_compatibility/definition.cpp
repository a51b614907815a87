#include "sections/chrome_parts.h"
#include "sections/definitions.h"

using namespace chrome;

namespace sections {

namespace {

WindowDefinition makeFileCompatibility()
{
    // No settings section: the window keeps no settings.
    WindowDefinition w = sectionWindow("TForm9", "Zgodność plików", 460, 165, {}, "ZGODNOŚĆ\nPLIKÓW");
    addCorners(w, "Image4", "Image10");
    addLink(w, "Label6");
    // Description page, shown at start.
    addHeading(w, "Strona11", 58, "OPIS DZIAŁU");
    addPanelText(w, "Strona12", 75, 60,
                 "Tutaj znajdują się opcje związane z poprawnością plików systemu Windows.");
    // Comments page in the same place, hidden at start.
    addComments(w,
                {.heading = "Strona21", .onSwitch = "Strona22", .onArrow = "Strona24",
                 .offSwitch = "Strona23", .offArrow = "Strona25", .label = "Label2", .labelText = "Label2",
                 .onTimer = "Timer1", .offTimer = "Timer2"},
                {.y = 58, .step = 26, .visible = false});
    addSeparator(w, "Label7", 134);
    w.components.push_back(target("Image11", {59, 153, 15, 8}, PictureLook::TriangleDown, {}));
    w.components.push_back(label("Label10", {77, 150, 0, 0}, LabelLook::Light, "<- Dół"));
    w.components.push_back(target("Image12", {44, 153, 15, 8}, PictureLook::TriangleUp, {}));
    w.components.back().visible = false;
    w.components.push_back(label("Label11", {5, 150, 0, 0}, LabelLook::Light, "Góra ->", false));
    // Keeps the paging controls and arrows in step with the page and the comments state, which
    // change only through clicks: a watcher.
    w.components.push_back(watcher("Timer3", 1));
    addDragTimer(w, "Timer4");
    w.hints = {{"Image4", "Minimalizuj"}, {"Image10", "Zamknij"}};
    return w;
}

} // namespace

const WindowDefinition& fileCompatibilityDefinition()
{
    static const WindowDefinition definition = makeFileCompatibility();
    return definition;
}

} // namespace sections
