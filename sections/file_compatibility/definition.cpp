#include "chrome/option_table.h"
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
    addSidePanel(w,
                 {.description = {.heading = "Strona11",
                                  .y = 58,
                                  .name = "Strona12",
                                  .height = 60,
                                  .text = "Tutaj znajdują się opcje związane z poprawnością plików systemu Windows."}});
    // Comments page in the same place, hidden at start.
    addComments(w,
                {.heading = "Strona21",
                 .onSwitch = "Strona22",
                 .onArrow = "Strona24",
                 .offSwitch = "Strona23",
                 .offArrow = "Strona25",
                 .label = "Label2",
                 .labelText = "Label2",
                 .onTimer = "Timer1",
                 .offTimer = "Timer2"},
                {.y = 58, .step = 26, .visible = false});
    addSeparator(w, "Label7", 134);
    // The paging arrows are read out by the words of the labels beside them.
    w.components.push_back(target("Image11", {59, 153, 15, 8}, PictureLook::TriangleDown, {}));
    w.components.back().accessibleName = "Dół";
    w.components.push_back(label("Label10", {77, 150, 0, 0}, LabelLook::Light, "<- Dół"));
    w.components.push_back(target("Image12", {44, 153, 15, 8}, PictureLook::TriangleUp, {}));
    w.components.back().visible = false;
    w.components.back().accessibleName = "Góra";
    w.components.push_back(label("Label11", {5, 150, 0, 0}, LabelLook::Light, "Góra ->", false));
    // Keeps the paging controls and arrows in step with the page and the comments state, which
    // change only through clicks: a watcher.
    w.components.push_back(watcher("Timer3", 1));
    addDragTimer(w, "Timer4");

    addAction(
        w, {"Image5", {121, 28, 333, 40}, "Wykonaj natychmiastowe sprawdzenie poprawności plików systemu Windows XP"},
        commandLines({"start sfc /scannow"}));
    const RegistryKey protection{.root = core::RootKey::LocalMachine,
                                 .path = "SOFTWARE\\Policies\\Microsoft\\Windows NT\\Windows File Protection",
                                 .create = false};
    addSwitch(w, protection, {"Image2", {121, 76, 162, 44}, "Pasek postępu sprawdzania plików"},
              {.on = "Image6", .off = "Image7", .value = "SfcShowProgress", .onData = Dword{1}, .offData = Dword{0}});
    addOption(w, {"Image3", {291, 76, 163, 44}, "Sprawdzanie plików przy starcie komputera"},
              {enable("Image8", commandLines({"start sfc /scanboot"})),
               disable("Image9", commandLines({"start sfc /revert"}))});

    w.hints = {{"Image4", "Minimalizuj"},
               {"Image10", "Zamknij"},
               {"Image5", "Włącza opcję natychmiastowego sprawdzania poprawności plików systemowych.\n"
                          "          WYMAGANA PŁYTA INSTALACYJNA WINDOWS XP PROFESSIONAL"},
               {"Image2", "Konfiguruje, czy pasek podczas\nsprawdzania plików, ma być widoczny."},
               {"Image3", "Konfiguruje, czy system Windows ma automatycznie sprawdzać\n"
                          "poprawność plików systemowych przy starcie komputera."}};
    return w;
}

} // namespace

const WindowDefinition& fileCompatibilityDefinition()
{
    static const WindowDefinition definition = makeFileCompatibility();
    return definition;
}

} // namespace sections
