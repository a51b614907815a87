#include "chrome/option_table.h"
#include "sections/chrome_parts.h"
#include "sections/definitions.h"

#include <cstdint>
#include <string>
#include <vector>

using namespace chrome;

namespace sections {

namespace {

void addConnectionsPerServer(WindowDefinition& w)
{
    // Both values take the same number, the one for version 1.0 servers first; the key is not
    // created, so on a machine without it the first write fails and the second is not made.
    const RegistryKey settings{.root = core::RootKey::CurrentUser,
                               .path = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
                               .create = false};
    const char* const targets[] = {"Image4",  "Image5",  "Image14", "Image15", "Image16",
                                   "Image17", "Image18", "Image19", "Image20", "Image21"};
    std::vector<Choice> choices;
    std::uint32_t n = 0;
    for (const char* name : targets) {
        ++n;
        choices.push_back(choice(name, std::to_string(n),
                                 onKey(settings, {writeValue("MaxConnectionsPer1_0Server", Dword{n}),
                                                  writeValue("MaxConnectionsPerServer", Dword{n})})));
    }
    addOption(w,
              {.name = "Image22",
               .place = {122, 76, 333, 22},
               .caption = "Ilość ściąganych plików w jednym połączeniu",
               .targetHeight = 24},
              std::move(choices));
}

void addRestrictions(WindowDefinition& w)
{
    // A policy key that a new machine lacks; it is not created, so there each click shows the
    // write's error.
    const RegistryKey restrictions{.root = core::RootKey::CurrentUser,
                                   .path = "Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions",
                                   .create = false};
    // clang-format off
    addSwitches(w, restrictions, {
        {{"Image23", {122, 128, 162, 40}, "Menu Ulubione"}, "Image24", "Image25", "NoFavorites", policySwitch},
        {{"Image6", {292, 128, 163, 40}, "Okno przy pobieraniu (Otwórz, Zapisz...)"}, "Image9", "Image26",
         "AlwaysPromptWhenDownload", onOffSwitch},
        {{"Image7", {122, 202, 162, 40}, "Menu Drukuj i Podgląd wydruku (W menu Plik)"}, "Image8", "Image27",
         "NoPrinting", policySwitch},
        {{"Image3", {292, 202, 163, 40}, "Menu Źródło (W menu Widok)"}, "Image29", "Image30", "NoViewSource",
         policySwitch},
        {{"Image11", {122, 276, 162, 40}, "Menu Opcje Internetowe (W menu Narzędzia)"}, "Image31", "Image32",
         "NoBrowserOptions", policySwitch},
        {{"Image33", {292, 276, 163, 40}, "Przyciski Wstecz oraz Dalej (Na pasku narzędzi)"}, "Image34", "Image35",
         "NoNavButtons", policySwitch},
    });
    // clang-format on
}

// The captions and white frames of the two edit boxes, which are the window's own code.
void addEditFrames(WindowDefinition& w)
{
    w.panels.push_back({PanelLook::Light, {120, 356, 166, 56}, {}});
    w.panels.push_back({PanelLook::Light, {290, 356, 167, 56}, {}});
    w.components.push_back(picture("Image36", {122, 358, 162, 26}, PictureLook::OptionCaption, "Strona startowa"));
    w.components.push_back(picture("Image37", {130, 388, 144, 21}, PictureLook::WhiteBox));
    w.components.push_back(
        picture("Image12", {292, 358, 163, 26}, PictureLook::OptionCaption, "Ścieżka zapisu danych"));
    w.components.push_back(picture("Image38", {301, 388, 144, 21}, PictureLook::WhiteBox));
    w.toolNames = {{"Edit1", "Strona startowa"}, {"Edit2", "Ścieżka zapisu danych"}};
}

WindowDefinition makeInternet()
{
    WindowDefinition w = sectionWindow("TForm7", "Internet", 460, 419, "Internet", "INTERNET");
    addCorners(w, "Image10", "Image28", 21);
    addLink(w, "Label2");
    addSidePanel(
        w,
        {.description =
             {.heading = "Label5",
              .y = 52,
              .name = "Label4",
              .height = 150,
              .text =
                  "Dział Internet stworzony jest po to, aby możliwe było jak najłatwiejsze i bezproblemowe "
                  "skonfigurowanie zasobów przeglądarki Internet Explorer, bez potrzeby modyfikacji zasad systemowch."},
         .separator = {"Label7", 222},
         .comments = CommentsParts{.heading = "Label6",
                                   .onSwitch = "Label8",
                                   .onArrow = "Label1",
                                   .offSwitch = "Label9",
                                   .offArrow = "Label3",
                                   .label = "Label13",
                                   .labelText = "KOMENTARZ",
                                   .onTimer = "Timer3",
                                   .offTimer = "Timer4"},
         .commentsPlace = {.y = 241},
         .advertSeparator = {"Label10", 309},
         .advert = {.heading = "Label11", .y = 329}});
    w.components.push_back(label("Label12", {3, 346, 112, 66}, LabelLook::Note,
                                 "Broń się przed atakami - Pobieraj najnowsze łatki z windowsupdate.com"));
    addDragTimer(w, "Timer6");

    // The typed addresses go with all their values; a machine without them reports nothing.
    addAction(
        w, {"Image2", {122, 28, 162, 40}, "Czyść historię używanych adresów"},
        onKey({.root = core::RootKey::CurrentUser, .path = "SOFTWARE\\Microsoft\\Internet Explorer", .create = false},
              {deleteKey("TypedURLs")}));
    // Starts the plug-in remover; the window's own code.
    w.components.push_back(
        target("Image13", {292, 28, 163, 40}, PictureLook::OptionCaption, "Usuń wszystkie wtyczki do Internetu"));
    w.panels.push_back({PanelLook::Light, {290, 26, 167, 44}, {}});
    addConnectionsPerServer(w);
    addRestrictions(w);
    addEditFrames(w);

    // The loaders fill the edit boxes once, a second after the window is created; the remover
    // deletes one plug-in file per tick while it runs.
    w.components.push_back(timer("Timer1", 1000, true));
    w.components.push_back(timer("Timer2", 1000, true));
    w.components.push_back(timer("Timer5", 1, false));

    w.hints = {
        {"Image28", "Zamknij"},
        {"Image10", "Minimalizuj"},
        {"Image2", "Czyści wpisy rejestru, w których zawarta\njest informacja o ostatnio otwieranych stronach."},
        {"Image13",
         "Niszczy wszystkie dodatkowe pluginy, które \nzostały zainstalowane przez użytkownika przeglądarki."},
        {"Image22", "Ustanawia, ile można pobierać plików przy\nwłączonej jednej stronie internetowej."},
        {"Image23", "Włącza lub wyłącza dostęp do menu i zakładki \"Ulubione\"."},
        {"Image6", "Włącza lub wyłącza okno wyświetlające się\npodczas pobieraniu plików z internetu."},
        {"Image7", "Konfiguruje dostęp do elementów \"Drukuj\"\ni \"Podgląd wydruku\" z menu Plik."},
        {"Image3", "Włącza lub wyłącza dostęp do podglądu kodu \nstrony . Menu “Źródło” znajduje się w menu Widok."},
        {"Image12", "Zmienia domyślną ścieżkę zapisu plików\nz internetu na podaną przez użytkownika."},
        {"Image11", "Włącza lub wyłącza dostęp do menu \"Opcje\ninternetowe\" znajdującego się w menu Narzędzia."},
        {"Image33", "Włącza lub wyłącza dostęp do przcisków \"Wstecz\" oraz\n\"Dalej\". W wypadku wyłączenia "
                    "przycisków poprawne\nporuszanie się po stronach będzie niemożliwe."},
        {"Image36", "Zmienia stronę startową na podaną przez użytkownika."}};
    // The start page and the download folder, and the remover's working list of the plug-in
    // folder, never shown; above the window's other parts.
    w.components.push_back(editBox("Edit1", {134, 391, 136, 15}));
    w.components.push_back(editBox("Edit2", {305, 391, 136, 15}));
    w.components.push_back(fileList("FileListBox1", {24, 32, 73, 57}, false));
    return w;
}

} // namespace

const WindowDefinition& internetDefinition()
{
    static const WindowDefinition definition = makeInternet();
    return definition;
}

} // namespace sections
