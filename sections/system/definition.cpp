#include "chrome/option_table.h"
#include "sections/chrome_parts.h"
#include "sections/definitions.h"

using namespace chrome;

namespace sections {

namespace {

// The lower half: the list of top-level windows under "Aktualne procesy", its buttons and the
// switch of its automatic refresh.
void addWindowList(WindowDefinition& w)
{
    w.components.push_back(picture("Image17", {121, 274, 333, 26}, PictureLook::OptionCaption, "Aktualne procesy"));
    w.panels.push_back({PanelLook::Light, {119, 272, 337, 165}, {}});
    w.components.push_back(label("Label8", {127, 307, 194, 0}, LabelLook::Heading, "AKCJE DLA LISTY PROCESÓW"));
    w.components.push_back(label("Label6", {327, 307, 122, 0}, LabelLook::Heading, "ODŚWIEŻANIE LISTY"));
    Component on = label("Label4", {352, 320, 0, 0}, LabelLook::Plain, "Włącz");
    Component off = label("Label5", {352, 333, 0, 0}, LabelLook::Plain, "Wyłącz");
    on.handCursor = off.handCursor = true;
    on.accessibleName = "ODŚWIEŻANIE LISTY: Włącz";
    off.accessibleName = "ODŚWIEŻANIE LISTY: Wyłącz";
    w.toolNames = {{"ListBox1", "Aktualne procesy"}, {"CSpinEdit1", "ODŚWIEŻANIE LISTY"}};
    w.components.push_back(on);
    w.components.push_back(off);
    // Which of the two markers shows is the state of the automatic refresh; to assistive
    // technology the two labels are switches and the markers decoration. Both are hidden in
    // the design; the creation handler shows "off" at once, so the window never exists without it.
    w.components.push_back(label("Label7", {336, 318, 0, 0}, LabelLook::Plain, "-->", false));
    w.components.push_back(label("Label9", {336, 332, 0, 0}, LabelLook::Plain, "-->"));
    w.components.push_back(label("Label1", {136, 349, 0, 0}, LabelLook::Plain, "PID"));
    w.components.push_back(label("Label2", {248, 349, 0, 0}, LabelLook::Plain, "Etykieta"));
    w.components.push_back(label("Label3", {381, 349, 0, 0}, LabelLook::Plain, "Klasa"));
    w.components.push_back(timer("Timer1", 100, true));
    // Applies the switch and the period to Timer1; only a click or the spin edit changes them.
    w.components.push_back(watcher("Timer2", 1));
    w.toggles = {{"Label4", "Label7"}, {"Label5", "Label9"}};
}

// The window list's own tools, above the window's other parts.
void addWindowListTools(WindowDefinition& w)
{
    w.components.push_back(button("Button1", {132, 325, 59, 17}, "Odśwież"));
    w.components.push_back(button("Button2", {196, 325, 59, 17}, "Czyść listę"));
    w.components.push_back(button("Button3", {259, 325, 59, 17}, "Zakończ"));
    w.components.push_back(spinEdit("CSpinEdit1", {408, 323, 33, 22}, 1, 9, 5));
    w.components.push_back(listBox("ListBox1", {136, 362, 305, 71}));
}

WindowDefinition makeSystem()
{
    WindowDefinition w = sectionWindow("TForm2", "System", 460, 449, "System", "SYSTEM");
    addCorners(w, "Image2", "Image3");
    addLink(w, "Label21");
    addSidePanel(
        w, {.description =
                {.heading = "Label10",
                 .y = 52,
                 .name = "Label11",
                 .height = 172,
                 .text = "Dział System stworzony jest po to, aby możliwe było skonfigurowanie i odczytywanie "
                         "zaawansowanych elementów systemowych bez szukania dodatkowych programów systemu Windows."},
            .separator = {"Label12", 243},
            .comments = CommentsParts{.heading = "Label13",
                                      .onSwitch = "Label14",
                                      .onArrow = "Label15",
                                      .offSwitch = "Label16",
                                      .offArrow = "Label17",
                                      .label = "Label22",
                                      .labelText = "KOMENTARZE",
                                      .onTimer = "Timer3",
                                      .offTimer = "Timer4"},
            .commentsPlace = {.y = 262},
            .advertSeparator = {"Label18", 330},
            .advert = {.heading = "Label19", .y = 350, .name = "Label20", .height = 78, .text = kAdvert}});
    addDragTimer(w, "Timer5");

    addAction(
        w,
        {"Image4", {122, 25, 331, 44}, "Pokaż wszystkie dodatkowe opcje w \"Dodaj\\Usuń składniki systemu Windows\""},
        commandLines({"copy sysoc.inf C:\\Windows\\inf\\"}));
    // Opened without creating: a machine without the driver's parameters gets none.
    const RegistryKey atapi{.root = core::RootKey::LocalMachine,
                            .path = "SYSTEM\\CurrentControlSet\\Services\\atapi\\Parameters",
                            .create = false};
    addOption(w, {"Image5", {122, 82, 332, 26}, "Obsługiwanie maksymalnej objętości dysku"},
              {enable("Image6", writeValue(atapi, "EnableBigLba", Dword{1}), {122, 108, 164, 25}),
               disable("Image7", writeValue(atapi, "EnableBigLba", Dword{0}), {287, 108, 167, 25})});
    // Two boxes side by side, their targets narrower than the caption.
    addOption(w, {"Image8", {122, 138, 162, 44}, "Konto (Profil) Administratora"},
              {enable("Image9", commandLines({"start net user Administrator /active:yes"}), {122, 182, 79, 30}),
               disable("Image10", commandLines({"start net user Administrator /active:no"}), {202, 182, 82, 30})});
    addOption(w, {"Image11", {291, 138, 162, 44}, "Systemowa kompresja plików"},
              {enable("Image12", commandLines({"start regsvr32 zipfldr.dll"}), {291, 182, 79, 30}),
               disable("Image13", commandLines({"start regsvr32 /u zipfldr.dll"}), {370, 182, 83, 30})});
    const RegistryKey desktop{.root = core::RootKey::CurrentUser, .path = "Control Panel\\Desktop", .create = false};
    addOption(w, {"Image14", {121, 218, 332, 25}, "Wersja Windows na pulpicie użytkownika"},
              {enable("Image15", writeValue(desktop, "PaintDesktopVersion", Dword{1}), {121, 243, 163, 25}),
               disable("Image16", writeValue(desktop, "PaintDesktopVersion", Dword{0}), {285, 243, 168, 25})});
    addWindowList(w);

    w.hints = {
        {"Image4", "Pokazuje wszystkie niewidoczne do tąd elementy\nw \"DodajUsuń skłaniki Windows\"."},
        {"Image5", "Włącza lub wyłącza obsługę maksymalnej objętości\ndysku twardego przez ekspolatora Windows."},
        {"Image8",
         "Konfiguruje, czy konto Administratora ma być\nuaktywnione, czy może wyłączone (dla bezpieczeństwa)"},
        {"Image11", "Konfiguruje, czy system operacyjny ma\nobsługiwać kompresowane pliki."},
        {"Image14",
         "Włącza lub wyłącza ukazywanie etykiety wersja Windows,\nktóra znajduje się w prawym-dolnym rogu ekranu."},
        {"Image17", "Wyświetla aktualne procesy włączone na tym komputerze."},
        {"Image2", "Minimalizuj"},
        {"Image3", "Zamknij"}};
    addWindowListTools(w);
    return w;
}

} // namespace

const WindowDefinition& systemDefinition()
{
    static const WindowDefinition definition = makeSystem();
    return definition;
}

} // namespace sections
