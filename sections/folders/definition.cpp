#include "chrome/option_table.h"
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
    addSidePanel(
        w, {.description =
                {.heading = "Label10",
                 .y = 52,
                 .name = "Label11",
                 .height = 130,
                 .text = "W dziale Foldery znajdują się opcje dotyczące eksploratora systemu Windows XP Professional "
                         "(Ustawienia folderów oraz plików)."},
            .comments = CommentsParts{.heading = "Label1",
                                      .onSwitch = "Label16",
                                      .onArrow = "Label15",
                                      .offSwitch = "Label14",
                                      .offArrow = "Label17",
                                      .label = "Label2",
                                      .labelText = "KOMENTARZE",
                                      .onTimer = "Timer1",
                                      .offTimer = "Timer2"},
            .commentsPlace = {.y = 203, .step = 28}});
    addDragTimer(w, "Timer3");

    // Video preview: both targets open the key creating it; "Wyłącz" then deletes it from the root,
    // so that its parents stay.
    const RegistryKey preview{.root = core::RootKey::ClassesRoot,
                              .path = ".mpg\\ShellEx\\{BB2E617C-0920-11d1-9A0B-00C04FC2D6C2}",
                              .create = true};
    addOption(
        w, {"Image2", {122, 28, 162, 44}, "Podgląd plików wideo (Filmów)"},
        {enable("Image9", writeValue(preview, "{c5a40261-cd64-4ccf-84cb-c394da41d590}", Dword{1})),
         disable("Image10", onKey(preview, {deleteKey("\\.mpg\\ShellEx\\{BB2E617C-0920-11d1-9A0B-00C04FC2D6C2}")}))});

    // The Explorer's own options open their key without creating it and write regardless.
    const RegistryKey advanced{.root = core::RootKey::CurrentUser,
                               .path = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced",
                               .create = false};
    addSwitch(w, advanced, {"Image11", {292, 28, 163, 44}, "Popularne zadania dla folderów"},
              {.on = "Image12", .off = "Image13", .value = "WebView", .onData = Dword{1}, .offData = Dword{0}});
    addOption(w, {"Image14", {122, 109, 162, 44}, "Pliki i foldery ukryte"},
              {choice("Image15", "Pokaż", writeValue(advanced, "Hidden", Dword{1})),
               choice("Image16", "Nie pokazuj", writeValue(advanced, "Hidden", Dword{0}))});
    addOption(w, {"Image17", {292, 109, 163, 44}, "Pliki i foldery systemowe"},
              {choice("Image18", "Pokaż", writeValue(advanced, "ShowSuperHidden", Dword{1})),
               choice("Image19", "Nie pokazuj", writeValue(advanced, "ShowSuperHidden", Dword{0}))});
    addSwitch(w, advanced, {"Image20", {122, 190, 162, 44}, "Szczegółowa informacja o plikach"},
              {.on = "Image21", .off = "Image22", .value = "ShowInfoTip", .onData = Dword{1}, .offData = Dword{0}});
    addOption(w, {"Image23", {292, 190, 163, 44}, "Zaznaczenie plików i folderów"},
              {choice("Image24", "Białe", writeValue(advanced, "ListviewAlphaSelect", Dword{0})),
               choice("Image25", "Niebieskie", writeValue(advanced, "ListviewAlphaSelect", Dword{1}))});

    w.hints = {
        {"Image2",
         "Włącza lub wyłącza podgląd plików wideo, znajdujący się\npo lewej stronie ekranu (Zakładka szczegóły)."},
        {"Image11", "Włącza lub wyłącza popularne zadania dla plików i folderów\n(Lewa strona ekranu)."},
        {"Image14", "Pokazuje lub ukrywa pliki i foldery ukryte."},
        {"Image17", "Pokazuje lub ukrywa pliki i foldery systemowe."},
        {"Image20", "Włącza lub wyłącza szczegółową informację o pliku\n(Dłuższe przytrzymanie kursora na pliku)."},
        {"Image23", "Włącza przezroczyste (Białe) lub\nniebieskie zaznaczanie plików."},
        {"Image26", "Minimalizuj"},
        {"Image27", "Zamknij"}};
    return w;
}

} // namespace

const WindowDefinition& foldersDefinition()
{
    static const WindowDefinition definition = makeFolders();
    return definition;
}

} // namespace sections
