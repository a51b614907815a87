#include "chrome/option_table.h"
#include "sections/chrome_parts.h"
#include "sections/definitions.h"
#include "sections/protection/refused_programs.h"

using namespace chrome;

namespace sections {

namespace {

void addRefusedPrograms(WindowDefinition& w)
{
    using namespace refused_programs;
    // The list's heading, and the framed panel that holds it with the entries and the warning.
    w.panels.push_back({PanelLook::Light, {119, 161, 336, 298}, {}});
    w.components.push_back(
        picture("Image13", {121, 163, 332, 25}, PictureLook::OptionCaption, "Blokowanie wybranych programów"));
    int top = kFirstRow;
    for (const Entry& entry : kEntries) {
        // The numbers end a few pixels before their boxes, however wide the font draws them.
        w.components.push_back(
            label(entry.number, {121, top, 25, 0}, LabelLook::Number, std::string(entry.value) + "."));
        w.components.push_back(picture(entry.box, {149, top + kBoxDrop, 132, 17}, PictureLook::WhiteBox));
        // Read out as "Wpis 3" for the edit box, "Wpis 3: BLOKUJ" for its targets.
        const std::string name = std::string("Wpis ") + entry.value;
        Component block = target(entry.block, {288, top + kTargetDrop, 64, 19}, PictureLook::TargetOff, "BLOKUJ");
        block.accessibleName = name + ": " + block.text;
        w.components.push_back(block);
        Component unblock = target(entry.unblock, {356, top + kTargetDrop, 86, 19}, PictureLook::TargetOn, "ODBLOKUJ");
        unblock.accessibleName = name + ": " + unblock.text;
        w.components.push_back(unblock);
        w.toolNames.push_back({entry.edit, name});
        w.components.push_back(timer(entry.timer, 100, true));
        top += kRowStep;
    }
    w.components.push_back(label("Label16", {121, 424, 0, 0}, LabelLook::Separator, std::string(55, '_')));
    w.components.push_back(label("Label18", {122, 439, 0, 0}, LabelLook::Strong, "UWAGA!"));
    w.components.push_back(
        label("Label17", {171, 439, 0, 0}, LabelLook::Plain, "Do nazwy programu należy dopisać rozszerzenie"));
    w.components.push_back(label("Label19", {416, 439, 0, 0}, LabelLook::Strong, ".exe"));
}

// The edit boxes, above the window's other parts: the hidden one that holds the policy's subkey,
// then one per entry on its white box.
void addEditBoxes(WindowDefinition& w)
{
    using namespace refused_programs;
    w.components.push_back(editBox("Edit1", {24, 0, 49, 21}, kPolicySubkey, false));
    int top = kFirstRow;
    for (const Entry& entry : kEntries) {
        Component edit = editBox(entry.edit, {kEditX, top + kEditDrop, kEditWidth, kEditHeight});
        edit.white = true;
        w.components.push_back(edit);
        top += kRowStep;
    }
}

WindowDefinition makeProtection()
{
    WindowDefinition w = sectionWindow("TForm4", "Ochrona", 460, 468, "Ochrona", "OCHRONA");
    addCorners(w, "Image14", "Image15");
    addLink(w, "Label6");
    addSidePanel(
        w,
        {.description = {.heading = "Strona11",
                         .y = 52,
                         .name = "Strona12",
                         .height = 130,
                         .text =
                             "W dziale tym znajdują się ogólne opcje związane z zabezpieczaniem systemu operacyjnego "
                             "przed niepoważnionymi osobami oraz niechcianymi programami.",
                         .drop = 19},
         .separator = {"Label7", 203},
         .comments = CommentsParts{.heading = "Strona21",
                                   .onSwitch = "Strona22",
                                   .onArrow = "Strona24",
                                   .offSwitch = "Strona23",
                                   .offArrow = "Strona25",
                                   .label = "Label20",
                                   .labelText = "KOMENTARZE",
                                   .onTimer = "Timer2",
                                   .offTimer = "Timer3"},
         .commentsPlace = {.y = 222},
         .advertSeparator = {"Label10", 290},
         .advert = {.heading = "Label11",
                    .y = 310,
                    .name = "Label12",
                    .height = 100,
                    .text = "Pobierz najnowszą wersję programu ze strony internetowej autora."}});
    addDragTimer(w, "Timer1");

    // Both rows write into keys that exist only: a missing key makes the write fail.
    const RegistryKey advanced{.root = core::RootKey::LocalMachine,
                               .path = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced",
                               .create = false};
    // The targets of these two rows have sizes of their own, not an even share of the row.
    addOption(w, {"Image2", {121, 27, 162, 44}, "Menu kontekstowe szyfrowania danych"},
              {enable("Image3", writeValue(advanced, "EncryptionContextMenu", Dword{1}), {121, 71, 78, 30}),
               disable("Image8", writeValue(advanced, "EncryptionContextMenu", Dword{0}), {200, 71, 83, 30})});
    const RegistryKey systemPolicies{.root = core::RootKey::LocalMachine,
                                     .path = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System",
                                     .create = false};
    addOption(w, {"Image9", {291, 27, 163, 44}, "Usuwanie wpisów z informacją o logowaniu"},
              {enable("Image10", writeValue(systemPolicies, "dontdisplaylastusername", Dword{1}), {291, 71, 81, 30}),
               disable("Image11", writeValue(systemPolicies, "dontdisplaylastusername", Dword{0}), {373, 71, 81, 30})});
    // Opens the File compatibility window; the window's own code does that.
    w.components.push_back(target("Image12", {121, 108, 332, 47}, PictureLook::OptionCaption,
                                  "Sprawdzanie poprawności plików systemu operacyjnego Windows XP Professional"));
    w.panels.push_back({PanelLook::Light, {119, 106, 336, 51}, {}});
    addRefusedPrograms(w);

    w.hints = {
        {"Image14", "Minimalizuj"},
        {"Image15", "Zamknij"},
        {"Image2",
         "Konfiguruje, czy menu \"Szyfruj\" i\n\"Odszyfruj\" ma być wyświetlane.\nUsługa tylko dla partycji NTFS"},
        {"Image9", "Konfiguruje , czy system Windows ma zamazywać\ninformacje o użytkowniku, który włączył komputer."},
        {"Image12", "Włącza okno związane z\npoprawnością plików w Windows."},
        {"Image13",
         "Blokuje programy wybrane przez użytkownika.\nWystarczy wpisać nazwę programu, np. \"Setup.exe\"."}};
    addEditBoxes(w);
    return w;
}

} // namespace

const WindowDefinition& protectionDefinition()
{
    static const WindowDefinition definition = makeProtection();
    return definition;
}

} // namespace sections
