#include "sections/chrome_parts.h"
#include "sections/definitions.h"

using namespace chrome;

namespace sections {

namespace {

WindowDefinition makeStartBar()
{
    WindowDefinition w = sectionWindow("TForm26", "Pasek start", 634, 492, "Pasek Start", "PASEK START");
    w.panels.push_back({PanelLook::Heading, {120, 26, 333, 18}, "PANEL LEWY"});
    w.panels.push_back({PanelLook::Heading, {466, 26, 162, 18}, "PANEL PRAWY"});
    w.panels.push_back({PanelLook::Light, {462, 400, 168, 88}, "INFORMACJA"});
    addCorners(w, "Image3", "Image17");
    addLink(w, "Label2");
    addHeading(w, "Strona11", 52, "OPIS DZIAŁU");
    addPanelText(w, "Strona12", 69, 196,
                 "Dział Pasek Start konfiguruje opcje dotyczące paska start w stylu klasycznym oraz Windows XP. "
                 "UWAGA! Przed użyciem jakichkolwiek opcji, należy przeczytać informację znajdującą się w "
                 "prawym-dolnym rogu tego okna.",
                 false);
    addSeparator(w, "Label7", 266);
    addComments(w,
                {.heading = "Strona21", .onSwitch = "Strona22", .onArrow = "Strona24",
                 .offSwitch = "Strona23", .offArrow = "Strona25", .label = "Label1", .labelText = "KOMENTARZE",
                 .onTimer = "Timer1", .offTimer = "Timer2"},
                {.y = 285});
    addSeparator(w, "Label3", 348);
    addHeading(w, "Label11", 368, "REKLAMA");
    addPanelText(w, "Label12", 385, 100,
                 "Właśnie używasz nowej wersji 2.0, jak ją oceniasz w stosunku do wersji ? "
                 "Napisz o tym na stronie internetowej autora.",
                 false);
    w.components.push_back(label("Label4", {468, 420, 156, 0}, LabelLook::Silver, "PASEK START KLASYCZNY"));
    w.components.push_back(label("Label5", {468, 435, 156, 0}, LabelLook::Plain, "Opcje w panelu lewym"));
    w.components.push_back(label("Label9", {468, 441, 0, 0}, LabelLook::Separator, "_________________________"));
    w.components.push_back(label("Label6", {468, 458, 156, 0}, LabelLook::Silver, "PASEK START WIN XP PRO"));
    w.components.push_back(label("Label8", {468, 473, 156, 0}, LabelLook::Plain, "Opcje w obu panelach"));
    addDragTimer(w, "Timer3");
    w.hints = {{"Image3", "Minimalizuj"}, {"Image17", "Zamknij"}};
    return w;
}

} // namespace

const WindowDefinition& startBarDefinition()
{
    static const WindowDefinition definition = makeStartBar();
    return definition;
}

} // namespace sections
