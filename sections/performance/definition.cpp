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
    addHeading(w, "Label5", 52, "OPIS DZIAŁU");
    addPanelText(w, "Label4", 69, 130,
                 "Dział Wydajność zaprojektowany jest tak, aby możliwe było jak najłatwiejsze skonfigurowanie "
                 "wydajności podzespołów komputera bez potrzeby modyfikacji rejestru.");
    addSeparator(w, "Label7", 205);
    addComments(w, {"Label1", "Label8", "Label2", "Label9", "Label3", "Label10", "KOMENTARZ", "Timer2", "Timer3"}, 224);
    addDragTimer(w, "Timer1");

    // One-shot buttons: two rows of two, then one across.
    addAction(w, {"Image2", {122, 28, 164, 36}, "Szybciej otwieraj składniki systemowe"},
              writeValue({core::RootKey::CurrentUser, "Control Panel\\Desktop", false}, "MenuShowDelay", "1"));
    addAction(w, {"Image3", {290, 28, 164, 36}, "Defragmentuj elementy startowe"},
              commandLines({"start defrag c: -b"}));
    addAction(w, {"Image7", {122, 68, 164, 36}, "Przyspiesz działanie sieci lokalnej (LAN)"},
              onKey({core::RootKey::LocalMachine,
                     "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RemoteComputer\\NameSpace", false},
                    {deleteKey("{2227A280-3AEA-1069-A2DE-08002B30309D}"),
                     deleteKey("{D6277990-4C6A-11CF-8D87-00AA0060F5BF}")}));
    addAction(w, {"Image6", {290, 68, 164, 36}, "Kolejkuj zadania systemu Windows"},
              commandLines({"rundll32.exe advapi32.dll ,ProcessIdleTasks"}));
    addAction(w, {"Image9", {122, 108, 332, 26}, "Usuń zawartość jądra systemu z pliku wymiany"},
              onKey({core::RootKey::LocalMachine,
                     "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management", false},
                    {writeValue("DisablePagingExecutive", 1), writeValue("LargeSystemCache", 1)}));

    // The library cache's switch writes the key's default value, as text.
    addSwitch(w, {"Image10", {122, 140, 332, 22}, "Automatyczne czyszczenie pamięci RAM", 22}, "Image11", "Image12",
              {core::RootKey::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AlwaysUnloadDLL",
               true},
              "", "1", "0");

    const RegistryKey prefetch{core::RootKey::LocalMachine,
                               "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management\\"
                               "PrefetchParameters",
                               true};
    addOption(w, {"Image8", {122, 192, 164, 22}, "Włączanie systemu", 24},
              {choice("Image13", "Szybkie", writeValue(prefetch, "EnablePrefetcher", 0)),
               choice("Image14", "W miarę szybkie", writeValue(prefetch, "EnablePrefetcher", 2)),
               choice("Image15", "W miarę szybkie i wydajne", writeValue(prefetch, "EnablePrefetcher", 3),
                      {122, 238, 164, 24})});

    const RegistryKey control{core::RootKey::LocalMachine, "SYSTEM\\CurrentControlSet\\Control", true};
    addOption(w, {"Image4", {290, 192, 164, 22}, "Wyłączanie systemu", 24},
              {choice("Image16", "Szybkie", writeValue(control, "WaitToKillServiceTimeOut", "100")),
               choice("Image17", "Normalne", writeValue(control, "WaitToKillServiceTimeOut", "5000")),
               choice("Image18", "Wolne", writeValue(control, "WaitToKillServiceTimeOut", "15000"),
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
