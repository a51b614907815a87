#include "chrome/option_table.h"
#include "sections/chrome_parts.h"
#include "sections/definitions.h"

using namespace chrome;

namespace sections {

namespace {

WindowDefinition makeSearch()
{
    WindowDefinition w = sectionWindow("TForm13", "Wyszukiwanie", 460, 224, "Wyszukiwanie", "WYSZUKI-\nWANIE");
    addCorners(w, "Image14", "Image15");
    addLink(w, "Label6");
    addSidePanel(w, {.description = {.heading = "Label10",
                                     .y = 62,
                                     .name = "Label11",
                                     .height = 60,
                                     .text = "W tym dziale znajdują się opcje dla menu Wyszukaj"},
                     .comments = CommentsParts{.heading = "Label13",
                                               .onSwitch = "Label16",
                                               .onArrow = "Label15",
                                               .offSwitch = "Label14",
                                               .offArrow = "Label17",
                                               .label = "Label1",
                                               .labelText = "KOMENTARZE",
                                               .onTimer = "Timer1",
                                               .offTimer = "Timer2"},
                     .commentsPlace = {.y = 142, .step = 28}});
    addDragTimer(w, "Timer3");

    // Each click opens its key without creating it and writes the one value regardless.
    const RegistryKey explorer{.root = core::RootKey::CurrentUser,
                               .path = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer",
                               .create = false};
    const RegistryKey cabinet{.root = core::RootKey::CurrentUser,
                              .path = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CabinetState",
                              .create = false};
    addOption(w,
              {.name = "Image2",
               .place = {120, 26, 333, 25},
               .caption = "Styl graficzny okna wyszukiwania",
               .targetHeight = 25},
              {choice("Image3", "Windows XP", writeValue(cabinet, "Use Search Asst", Text{"yes"})),
               choice("Image4", "Windows 2000", writeValue(cabinet, "Use Search Asst", Text{"no"}))});
    addSwitch(w, explorer, {"Image5", {121, 82, 162, 44}, "Przeszukuj pliki ukryte"},
              {.on = "Image6", .off = "Image7", .value = "SearchHidden", .onData = Dword{1}, .offData = Dword{0}});
    addSwitch(
        w, explorer, {"Image8", {289, 82, 162, 44}, "Przeszukuj podkatalogi"},
        {.on = "Image9", .off = "Image10", .value = "IncludeSubFolders", .onData = Dword{1}, .offData = Dword{0}});
    addSwitch(
        w, explorer,
        {.name = "Image11",
         .place = {120, 161, 333, 25},
         .caption = "Przeszukuj foldery systemowe",
         .targetHeight = 25},
        {.on = "Image12", .off = "Image13", .value = "SearchSystemDirs", .onData = Dword{1}, .offData = Dword{0}});

    w.hints = {
        {"Image2", "Konfiguruje, w jakim stylu ma\nbyć wyświetlane okno wyszukiwania."},
        {"Image5", "Włącza lub wyłącza przeszukiwanie plików ukrytych.\nNiezbędne zaznaczenie \"Opcje zaawansowane\"."},
        {"Image8", "Włącza lub wyłącza przeszukiwanie podkatalogów.\nNiezbędne zaznaczenie \"Opcje zaawansowane\"."},
        {"Image11",
         "Włącza lub wyłącza przeszukiwanie folderów systemowych.\nNiezbędne zaznaczenie \"Opcje zaawansowane\"."},
        {"Image14", "Minimalizuj"},
        {"Image15", "Zamknij"}};
    return w;
}

} // namespace

const WindowDefinition& searchDefinition()
{
    static const WindowDefinition definition = makeSearch();
    return definition;
}

} // namespace sections
