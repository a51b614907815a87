#include "chrome/option_table.h"
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
    addSidePanel(
        w,
        {.description =
             {.heading = "Strona11",
              .y = 52,
              .name = "Strona12",
              .height = 196,
              .text = "Dział Pasek Start konfiguruje opcje dotyczące paska start w stylu klasycznym oraz Windows XP. "
                      "UWAGA! Przed użyciem jakichkolwiek opcji, należy przeczytać informację znajdującą się w "
                      "prawym-dolnym rogu tego okna."},
         .separator = {"Label7", 266},
         .comments = CommentsParts{.heading = "Strona21",
                                   .onSwitch = "Strona22",
                                   .onArrow = "Strona24",
                                   .offSwitch = "Strona23",
                                   .offArrow = "Strona25",
                                   .label = "Label1",
                                   .labelText = "KOMENTARZE",
                                   .onTimer = "Timer1",
                                   .offTimer = "Timer2"},
         .commentsPlace = {.y = 285},
         .advertSeparator = {"Label3", 348},
         .advert = {.heading = "Label11",
                    .y = 368,
                    .name = "Label12",
                    .height = 100,
                    .text = "Właśnie używasz nowej wersji 2.0, jak ją oceniasz w stosunku do wersji ? "
                            "Napisz o tym na stronie internetowej autora."}});
    w.components.push_back(label("Label4", {468, 420, 156, 0}, LabelLook::Silver, "PASEK START KLASYCZNY"));
    w.components.push_back(label("Label5", {468, 435, 156, 0}, LabelLook::Plain, "Opcje w panelu lewym"));
    w.components.push_back(label("Label9", {468, 441, 0, 0}, LabelLook::Separator, "_________________________"));
    w.components.push_back(label("Label6", {468, 458, 156, 0}, LabelLook::Silver, "PASEK START WIN XP PRO"));
    w.components.push_back(label("Label8", {468, 473, 156, 0}, LabelLook::Plain, "Opcje w obu panelach"));
    addDragTimer(w, "Timer3");

    // Every option opens the same key without creating it and writes regardless.
    const RegistryKey advanced{.root = core::RootKey::CurrentUser,
                               .path = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced",
                               .create = false};
    // clang-format off
    addSwitches(w, advanced, {
        {{"Image9", {120, 48, 162, 44}, "Rozwijaj menu Panel Sterowania"}, "Image10", "Image14", "CascadeControlPanel", yesNoSwitch},
        {{"Image2", {291, 48, 162, 44}, "Rozwijaj menu Moje dokumenty"}, "Image15", "Image16", "CascadeMyDocuments", yesNoSwitch},
        {{"Image18", {120, 126, 162, 44}, "Rozwijaj menu Moje obrazy"}, "Image19", "Image26", "CascadeMyPictures", yesNoSwitch},
        {{"Image28", {291, 126, 162, 44}, "Rozwijaj menu Połączenia sieciowe"}, "Image27", "Image4",
         "CascadeNetworkConnections", yesNoSwitch},
        {{"Image5", {120, 206, 162, 44}, "Rozwijaj menu Drukarki i faksy"}, "Image29", "Image30", "CascadePrinters", yesNoSwitch},
        {{"Image38", {291, 206, 162, 44}, "Czyść historię otwieranych plików"}, "Image39", "Image37",
         "ClearRecentDocsOnExit", yesNoSwitch},
        {{"Image6", {120, 286, 162, 31}, "Menu Ulubione"}, "Image20", "Image24", "NoFavoritesMenu", policySwitch},
        {{"Image25", {291, 286, 162, 31}, "Menu Dokumenty"}, "Image40", "Image41", "NoRecentDocsMenu", policySwitch},
        {{"Image11", {120, 347, 162, 31}, "Menu Uruchom"}, "Image21", "Image42", "NoRun", policySwitch},
        {{"Image43", {291, 347, 162, 31}, "Menu Moje dokumenty"}, "Image44", "Image45", "NoSMMyDocs", policySwitch},
        {{"Image32", {120, 408, 162, 31}, "Menu Moje obrazy"}, "Image33", "Image31", "NoSMMyPictures", policySwitch},
        {{"Image35", {291, 408, 162, 31}, "Menu Narzędzia administracyjne"}, "Image36", "Image34",
         "StartMenuAdminTools", yesNoSwitch},
        {{"Image22", {466, 49, 162, 44}, "Pokazywanie ostatnio używanych programów"}, "Image23", "Image46",
         "NoStartMenuMFUprogramsList", policySwitch},
        {{"Image7", {466, 150, 162, 44}, "Menu do Internetu i Poczty"}, "Image47", "Image48", "NoStartMenuPinnedList",
         policySwitch},
        {{"Image8", {466, 233, 162, 44}, "Menu Wszystkie Programy"}, "Image49", "Image50", "NoStartMenuMorePrograms",
         policySwitch},
        {{"Image13", {466, 316, 162, 44}, "Menu Moja muzyka"}, "Image51", "Image52", "NoStartMenuMyMusic", policySwitch},
    });
    // clang-format on

    w.hints = {{"Image9", "Włącza lub wyłącza rozwijanie\nmenu Panel sterowania."},
               {"Image2", "Włącza lub wyłącza rozwijanie\nmenu Moje dokumenty."},
               {"Image18", "Włącza lub wyłącza rozwijanie\nmenu Mojhe obrazy."},
               {"Image28", "Włącza lub wyłącza rozwijanie\nmenu Połączenia sieciowe."},
               {"Image5", "Włącza lub wyłącza rozwijanie\nmenu Drukarki i faksy."},
               {"Image38", "Włącza lub wyłącza automatyczne\nczyszczenie historii skrótów."},
               {"Image6", "Włącza lub wyłącza menu Ulubione."},
               {"Image25", "Włącza lub wyłącza menu Dokumenty."},
               {"Image11", "Włącza lub wyłącza menu Uruchom."},
               {"Image43", "Włącza lub wyłącza menu Moje dokumenty."},
               {"Image32", "Włącza lub wyłącza menu Moje obrazy."},
               {"Image35", "Włącza lub wyłącza menu Narzędzia administracyjne."},
               {"Image22", "Włącza lub wyłącza listę\nostatnio używanych programów."},
               {"Image7", "Włącza lub wyłącza miejsce w menu Internet i Poczta."},
               {"Image8", "Włącza lub wyłącza menu Wszystkie programy."},
               {"Image13", "Włącza lub wyłącza menu Moja muzyka."},
               {"Image3", "Minimalizuj"},
               {"Image17", "Zamknij"}};
    return w;
}

} // namespace

const WindowDefinition& startBarDefinition()
{
    static const WindowDefinition definition = makeStartBar();
    return definition;
}

} // namespace sections
