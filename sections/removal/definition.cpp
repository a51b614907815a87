#include "chrome/option_table.h"
#include "sections/chrome_parts.h"
#include "sections/definitions.h"

using namespace chrome;

namespace sections {

namespace {

WindowDefinition makeRemoval()
{
    WindowDefinition w = sectionWindow("TForm6", "Usuwanie", 460, 380, "Usuwanie", "USUWANIE");
    // The white rounded panel of the wallpaper tool.
    w.panels.push_back({PanelLook::White, {119, 122, 336, 250}, {}});
    addCorners(w, "Image11", "Image12");
    addLink(w, "Label6");
    addSidePanel(w, {.description = {.heading = "Strona31",
                                     .y = 52,
                                     .name = "Strona12",
                                     .height = 80,
                                     .text = "Ten dział posiada opcje, która mają na celu usunięcie niepotrzebych "
                                             "elementów systemu operacyjnego"}});
    addPanelText(w, "Strona2", 149, 120,
                 "Windows XP Professional edition. Poprzez wykorzystanie tych funkcji można usunąć nawet do 300 MB "
                 "z dysku dwardego twojego komputera.",
                 false);
    addSeparator(w, "Label10", 270);
    addComments(w,
                {.heading = "Label2",
                 .onSwitch = "Strona32",
                 .onArrow = "Strona34",
                 .offSwitch = "Strona33",
                 .offArrow = "Strona35",
                 .label = "Label4",
                 .labelText = "Tak lub Nie",
                 .onTimer = "Timer2",
                 .offTimer = "Timer3"},
                {.y = 289, .step = 26});
    addDragTimer(w, "Timer4");

    // The clean-up buttons, two rows of two above the wallpaper tool.
    addAction(w, {"Image2", {122, 28, 164, 42}, "Usuń zawartość folderu Temp"},
              commandLines({"rd /s /q %TMP%", "md %TMP%"}));
    addAction(w, {"Image3", {290, 28, 164, 42}, "Usuń skróty używane przez Windows"},
              commandLines({"rd /s /q Recent", "md Recent"}));
    addAction(w, {"Image8", {122, 74, 164, 42}, "Czyść Bufor plików systemu Windows"},
              commandLines({"start %WinDir%\\System32\\dllcache\\sfc.exe /purgecache"}));
    addAction(w, {"Image9", {290, 74, 164, 42}, "Odinstaluj Windows Messengera"},
              commandLines({"start Rundll32 advpack.dll,LaunchINFSection %Windir%\\INF\\msmsgs.inf,BLC.Remove"}));

    // The wallpaper tool; its list, button, preview and check box lie above the other parts.
    const std::string wallpapers = "Usuń wybrane tapety z folderu Web\\Wallpaper";
    w.components.push_back(picture("Image10", {123, 127, 330, 30}, PictureLook::OptionCaption, wallpapers));
    w.toolNames = {{"FileListBox1", wallpapers}};
    w.components.push_back(
        label("Label3", {240, 306, 0, 0}, LabelLook::Separator, "___________________________________"));
    w.components.push_back(
        label("Label7", {240, 328, 0, 0}, LabelLook::Separator, "___________________________________"));
    w.components.push_back(label("Label5", {240, 344, 201, 13}, LabelLook::Plain, {}));
    // Keeps the preview's scaling equal to its check box, which only a click changes.
    w.components.push_back(watcher("Timer1", 1));

    w.hints = {{"Image11", "Minimalizuj"},
               {"Image12", "Zamknij"},
               {"Image2", "Usuwa zbędne pliki z katalogu\ntymczasowego \"Temp\"."},
               {"Image3", "Usuwa skróty wykorzystywane przez menu Start\n(Tylko dla menu w stylu Win XP)."},
               {"Image8", "Usuwa pliki, które zostały skopiowane\npodczas instalacji systemu Windows."},
               {"Image9", "Usuwa znany program firmy Microsoft,\ndo komunikowania się między ludźmi."},
               {"Image10", "Usuwa wybrane tapety z systemu Windows."}};
    w.components.push_back(fileList("FileListBox1", {128, 160, 105, 177}));
    w.components.push_back(button("Button1", {128, 344, 105, 17}, "Usuń", false));
    w.components.push_back(preview("Image6", {240, 160, 209, 153}));
    Component scaling = checkBox("CheckBox1", {240, 322, 121, 17}, "Skalowanie obrazów", true);
    scaling.white = true;
    w.components.push_back(scaling);
    return w;
}

} // namespace

const WindowDefinition& removalDefinition()
{
    static const WindowDefinition definition = makeRemoval();
    return definition;
}

} // namespace sections
