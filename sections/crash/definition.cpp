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
    addSidePanel(
        w,
        {.description =
             {.heading = "Label10",
              .y = 52,
              .name = "Label11",
              .height = 92,
              .text = "Dział Awaria ustawia zdarzenia, które mają wydarzyć się podczas wystąpienia błędów w systemie."},
         .separator = {"Label12", 153},
         .comments = CommentsParts{.heading = "Label1",
                                   .onSwitch = "Label8",
                                   .onArrow = "Label2",
                                   .offSwitch = "Label9",
                                   .offArrow = "Label3",
                                   .label = "Label4",
                                   .labelText = "KOMENTARZE",
                                   .onTimer = "Timer1",
                                   .offTimer = "Timer2"},
         .commentsPlace = {.y = 172, .onArrowDrop = 3, .offArrowDrop = 4}});
    addDragTimer(w, "Timer3");

    // Two columns of two boxes, then one across the window, each "Włącz" left and "Wyłącz" right.
    const RegistryKey key{.root = core::RootKey::LocalMachine,
                          .path = "SYSTEM\\CurrentControlSet\\Control\\CrashControl",
                          .create = true};
    addSwitch(w, key, {"Image7", {122, 28, 162, 44}, "Automatyczne restartowanie"},
              {.on = "Image8", .off = "Image9", .value = "AutoReboot", .onData = Dword{1}, .offData = Dword{0}});
    addSwitch(w, key, {"Image10", {292, 28, 162, 44}, "Wysyłanie alertów administracyjnych"},
              {.on = "Image11", .off = "Image12", .value = "SendAlert", .onData = Dword{1}, .offData = Dword{0}});
    addSwitch(w, key, {"Image2", {122, 109, 162, 44}, "Zapisywanie informacji o debugowaniu"},
              {.on = "Image3", .off = "Image13", .value = "CrashDumpEnabled", .onData = Dword{1}, .offData = Dword{0}});
    addSwitch(w, key, {"Image14", {292, 109, 162, 44}, "Zapisywanie zdarzeń do dziennika alertów"},
              {.on = "Image15", .off = "Image16", .value = "LogEvent", .onData = Dword{1}, .offData = Dword{0}});
    addSwitch(w, key,
              {.name = "Image4",
               .place = {123, 191, 331, 26},
               .caption = "Zastąpienie plików z informacją o debugowaniu",
               .targetHeight = 25},
              {.on = "Image5", .off = "Image17", .value = "Overwrite", .onData = Dword{1}, .offData = Dword{0}});

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
