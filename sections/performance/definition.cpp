#include "chrome/option_table.h"
#include "sections/chrome_parts.h"
#include "sections/definitions.h"

using namespace chrome;

namespace sections {

namespace {

WindowDefinition makePerformance()
{
    WindowDefinition w = sectionWindow("TForm5", "Wydajność", 460, 305, "Wydajność", "WYDAJNOŚĆ");
    addCorners(w, "Image5", "Image19");
    addLink(w, "Label6");
    addSidePanel(
        w, {.description =
                {.heading = "Label5",
                 .y = 52,
                 .name = "Label4",
                 .height = 130,
                 .text = "Dział Wydajność zaprojektowany jest tak, aby możliwe było jak najłatwiejsze skonfigurowanie "
                         "wydajności podzespołów komputera bez potrzeby modyfikacji rejestru."},
            .separator = {"Label7", 205},
            .comments = CommentsParts{.heading = "Label1",
                                      .onSwitch = "Label8",
                                      .onArrow = "Label2",
                                      .offSwitch = "Label9",
                                      .offArrow = "Label3",
                                      .label = "Label10",
                                      .labelText = "KOMENTARZ",
                                      .onTimer = "Timer2",
                                      .offTimer = "Timer3"},
            .commentsPlace = {.y = 224}});
    addDragTimer(w, "Timer1");

    // One-shot buttons: two rows of two, then one across.
    addAction(w, {"Image2", {122, 28, 164, 36}, "Szybciej otwieraj składniki systemowe"},
              writeValue({.root = core::RootKey::CurrentUser, .path = "Control Panel\\Desktop", .create = false},
                         "MenuShowDelay", Text{"1"}));
    addAction(w, {"Image3", {290, 28, 164, 36}, "Defragmentuj elementy startowe"},
              commandLines({"start defrag c: -b"}));
    addAction(w, {"Image7", {122, 68, 164, 36}, "Przyspiesz działanie sieci lokalnej (LAN)"},
              onKey({.root = core::RootKey::LocalMachine,
                     .path = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RemoteComputer\\NameSpace",
                     .create = false},
                    {deleteKey("{2227A280-3AEA-1069-A2DE-08002B30309D}"),
                     deleteKey("{D6277990-4C6A-11CF-8D87-00AA0060F5BF}")}));
    addAction(w, {"Image6", {290, 68, 164, 36}, "Kolejkuj zadania systemu Windows"},
              commandLines({"rundll32.exe advapi32.dll ,ProcessIdleTasks"}));
    addAction(w, {"Image9", {122, 108, 332, 26}, "Usuń zawartość jądra systemu z pliku wymiany"},
              onKey({.root = core::RootKey::LocalMachine,
                     .path = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management",
                     .create = false},
                    {writeValue("DisablePagingExecutive", Dword{1}), writeValue("LargeSystemCache", Dword{1})}));

    // The library cache's switch writes the key's default value, as text.
    addSwitch(w,
              {.root = core::RootKey::LocalMachine,
               .path = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AlwaysUnloadDLL",
               .create = true},
              {.name = "Image10",
               .place = {122, 140, 332, 22},
               .caption = "Automatyczne czyszczenie pamięci RAM",
               .targetHeight = 22},
              {.on = "Image11", .off = "Image12", .value = "", .onData = Text{"1"}, .offData = Text{"0"}});

    const RegistryKey prefetch{.root = core::RootKey::LocalMachine,
                               .path = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management\\"
                                       "PrefetchParameters",
                               .create = true};
    addOption(
        w, {.name = "Image8", .place = {122, 192, 164, 22}, .caption = "Włączanie systemu", .targetHeight = 24},
        {choice("Image13", "Szybkie", writeValue(prefetch, "EnablePrefetcher", Dword{0}), {122, 214, 62, 24}),
         choice("Image14", "W miarę szybkie", writeValue(prefetch, "EnablePrefetcher", Dword{2}), {184, 214, 102, 24}),
         choice("Image15", "W miarę szybkie i wydajne", writeValue(prefetch, "EnablePrefetcher", Dword{3}),
                {122, 238, 164, 24})});

    const RegistryKey control{
        .root = core::RootKey::LocalMachine, .path = "SYSTEM\\CurrentControlSet\\Control", .create = true};
    addOption(w, {.name = "Image4", .place = {290, 192, 164, 22}, .caption = "Wyłączanie systemu", .targetHeight = 24},
              {choice("Image16", "Szybkie", writeValue(control, "WaitToKillServiceTimeOut", Text{"100"})),
               choice("Image17", "Normalne", writeValue(control, "WaitToKillServiceTimeOut", Text{"5000"})),
               choice("Image18", "Wolne", writeValue(control, "WaitToKillServiceTimeOut", Text{"15000"}),
                      {290, 238, 164, 24})});

    // Comments mode switches these on in this order; the choices under the captions get none.
    w.hints = {{"Image19", "Zamknij"},
               {"Image5", "Minimalizuj"},
               {"Image2", "Zwiększa szybkość otwierania się\nelementów systemu operacyjnego."},
               {"Image3", "Defragmentuje sektory startowe, dzięki\nczemu system ładuje się szybciej."},
               {"Image7", "Przyspiesza otwieranie sieci lokalnej poprzez usunięcie wyszukiwania\n"
                          "drukarek podczas zczytywania nazw komputerów."},
               {"Image6", "Kolejkuje akcje systemowe, dzięki czemu system Windows\nzwiększa priorytet zadań na akcje "
                          "użytkownika."},
               {"Image9", "Usuwa zawartość jądra\nsystemu z pliku wymiany."},
               {"Image10", "Włącza usługę, która ma za zadanie czyszczenie\nnieistniejących wpisów z pamięci Ram."},
               {"Image8", "Ustala czas, w jakim elementy startowe\nmają załadować system operacyjny Windows."},
               {"Image4", "Ustala czas, w jakim system\nWindows ma wyłączyć komputer."}};
    return w;
}

} // namespace

const WindowDefinition& performanceDefinition()
{
    static const WindowDefinition definition = makePerformance();
    return definition;
}

} // namespace sections
