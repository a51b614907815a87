#include "chrome/option_table.h"
#include "sections/chrome_parts.h"
#include "sections/definitions.h"

using namespace chrome;

namespace sections {

namespace {

WindowDefinition makeCrash()
{
    WindowDefinition w = sectionWindow("TForm64", "Awaria", 460, 253, "Awaria", "AWARIA");
    addCorners(w, "Image6", "Image18");
    addLink(w, "Label21");
    addHeading(w, "Label10", 52, "OPIS DZIAŁU");
    addPanelText(w, "Label11", 69, 92,
                 "Dział Awaria ustawia zdarzenia, które mają wydarzyć się podczas wystąpienia błędów w systemie.");
    addSeparator(w, "Label12", 153);
    w.components.push_back(label("Label1", {8, 172, 97, 0}, LabelLook::Heading, "OPCJE DZIAŁU"));
    w.components.push_back(label("Label8", {35, 189, 0, 0}, LabelLook::Switch, "Włącz komentarze"));
    w.components.push_back(label("Label2", {16, 192, 0, 0}, LabelLook::Arrow, "-->", false));
    w.components.push_back(label("Label9", {35, 220, 0, 0}, LabelLook::Switch, "Wyłącz komentarze"));
    w.components.push_back(label("Label3", {16, 224, 0, 0}, LabelLook::Arrow, "-->", false));
    w.components.push_back(label("Label4", {8, 172, 0, 0}, LabelLook::Plain, "KOMENTARZE", false));
    w.components.push_back(timer("Timer1", 1, false));
    w.components.push_back(timer("Timer2", 1, false));
    w.comments = CommentsRoles{"Label8", "Label9", "Label2", "Label3", "Label4", "Timer1", "Timer2"};
    addDragTimer(w, "Timer3");

    const RegistryKey crashControl{core::RootKey::LocalMachine, "SYSTEM\\CurrentControlSet\\Control\\CrashControl",
                                   true};
    addSwitch(w, {"Image7", {122, 28, 162, 44}, "Automatyczne restartowanie"}, "Image8", "Image9", crashControl,
              "AutoReboot", 1, 0);
    addSwitch(w, {"Image10", {292, 28, 162, 44}, "Wysyłanie alertów administracyjnych"}, "Image11", "Image12",
              crashControl, "SendAlert", 1, 0);
    addSwitch(w, {"Image2", {122, 109, 162, 44}, "Zapisywanie informacji o debugowaniu"}, "Image3", "Image13",
              crashControl, "CrashDumpEnabled", 1, 0);
    addSwitch(w, {"Image14", {292, 109, 162, 44}, "Zapisywanie zdarzeń do dziennika alertów"}, "Image15", "Image16",
              crashControl, "LogEvent", 1, 0);
    addSwitch(w, {"Image4", {123, 191, 331, 26}, "Zastąpienie plików z informacją o debugowaniu", 25}, "Image5",
              "Image17", crashControl, "Overwrite", 1, 0);

    w.hints = {{"Image7", "Konfiguruje, czy system Windows ma\nrestartować komputer podczas awarii krytycznej."},
               {"Image10", "Konfiguruje, czy system Windows ma\nwysyłać alerty administracyjne."},
               {"Image2", "Konfiguruje, czy system Windows ma\nzapisywać informację o debugowaniu."},
               {"Image14", "Konfiguruje, czy system Windows ma\nzapisywać zdarzenia do dziennika alertów."},
               {"Image4", "Konfiguruje, czy system Windows ma\nnadpisywać pliki z informacją o debugowaniu."},
               {"Image6", "Minimalizuj"},
               {"Image18", "Zamknij"}};
    return w;
}

} // namespace

const WindowDefinition& crashDefinition()
{
    static const WindowDefinition definition = makeCrash();
    return definition;
}

} // namespace sections
