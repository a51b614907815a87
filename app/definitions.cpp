#include "app/definitions.h"

#include "app/window_table.h"
#include "chrome/author.h"
#include "chrome/pictures.h"

#include <string_view>

using namespace chrome;

namespace app {

namespace {

WindowDefinition makeMain()
{
    WindowDefinition w;
    w.className = "TForm1";
    w.componentName = "Form1";
    w.caption = kApplicationTitle;
    w.width = 574;
    w.height = 243;
    w.panels = {{PanelLook::Side, {6, 42, 152, 166}, {}},
                {PanelLook::Side, {416, 42, 152, 166}, {}},
                {PanelLook::Logo, {166, 46, 242, 116}, {}},
                {PanelLook::Bar, {4, 216, 566, 23}, {}}};
    auto& c = w.components;
    c.push_back(picture("Image1", {0, 0, 574, 243}, PictureLook::Background));
    c.push_back(target("Image2", {0, 0, 26, 23}, PictureLook::Minimise, {}));
    c.push_back(target("Image5", {548, 0, 26, 23}, PictureLook::Close, {}));
    // The section menu: left column with arrows pointing left, right column pointing right.
    c.push_back(target("Image3", {12, 50, 140, 26}, PictureLook::MenuLeft, "System"));
    c.push_back(target("Image4", {12, 81, 140, 26}, PictureLook::MenuLeft, "Wyszukiwanie"));
    c.push_back(target("Image6", {12, 112, 140, 26}, PictureLook::MenuLeft, "Foldery"));
    c.push_back(target("Image7", {12, 143, 140, 26}, PictureLook::MenuLeft, "Pasek start"));
    c.push_back(target("Image8", {12, 174, 140, 26}, PictureLook::MenuLeft, "Ochrona"));
    c.push_back(target("Image9", {422, 50, 140, 26}, PictureLook::MenuRight, "Awaria"));
    c.push_back(target("Image10", {422, 81, 140, 26}, PictureLook::MenuRight, "Wydajność"));
    c.push_back(target("Image11", {422, 112, 140, 26}, PictureLook::MenuRight, "Usuwanie"));
    c.push_back(target("Image12", {422, 143, 140, 26}, PictureLook::MenuRight, "Internet"));
    c.push_back(target("Image13", {422, 174, 140, 26}, PictureLook::MenuRight, "Program"));
    // Title strip.
    c.push_back(label("Label15", {132, 5, 0, 0}, LabelLook::Separator, "| | |"));
    c.push_back(label("Label1", {152, 4, 270, 0}, LabelLook::Bar, "KWINTOR DOSTROJNIK 2004 WERSJA 2.0"));
    c.push_back(label("Label16", {426, 5, 0, 0}, LabelLook::Separator, "| | |"));
    c.push_back(label("Label9", {32, 26, 0, 0}, LabelLook::Link, author::web));
    // One text that stands for both addresses is shown once.
    c.push_back(label("Label10", {352, 26, 0, 0}, LabelLook::Link,
                      std::string_view(author::email) == author::web ? "" : author::email));
    // Centre and bottom bar.
    c.push_back(label("Label8", {184, 170, 205, 0}, LabelLook::Bar, "Zarejestrowano dla: "));
    // The fields are as high as a bar's line, their texts a point smaller.
    c.push_back(label("Label6", {9, 222, 80, 13}, LabelLook::Field, "Ładowanie"));
    c.push_back(
        label("Label5", {93, 222, 255, 13}, LabelLook::Field, "Trwa wczytywanie danych o ilości wolnego miejsca"));
    c.push_back(label("Label7", {352, 222, 152, 13}, LabelLook::Field, "Wczytywanie dokładnej daty "));
    c.push_back(label("Label14", {512, 222, 55, 13}, LabelLook::Field, "XXXX Mhz"));
    // Labels that hold data.
    c.push_back(label("Label2", {0, 0, 0, 0}, LabelLook::Plain, kVersion, false));
    c.push_back(label("Label3", {0, 0, 0, 0}, LabelLook::Plain, {}, false));
    c.push_back(label("Label4", {0, 0, 0, 0}, LabelLook::Plain, {}, false));
    c.push_back(label("Label11", {0, 0, 0, 0}, LabelLook::Plain, {}, false));
    c.push_back(label("Label12", {0, 0, 0, 0}, LabelLook::Plain, {}, false));
    c.push_back(label("Label21", {0, 0, 0, 0}, LabelLook::Plain, {}, false));
    // The first-run panel, hidden until the creation handler finds no user name. Its buttons
    // and name entry lie on top of it.
    Component panel = picture("Image14", {96, 24, 381, 180}, PictureLook::FirstRunPanel, "PIERWSZE URUCHOMIENIE");
    panel.visible = false;
    c.push_back(panel);
    c.push_back(label("Label23", {104, 72, 185, 0}, LabelLook::Silver, "Kopie zapasowe plików systemowych", false));
    c.push_back(label("Label22", {104, 88, 185, 81}, LabelLook::Paragraph,
                      "Po raz pierwszy włączyłeś program Kwintor Dostrojnik. Zaleca się stworzenie punktu "
                      "przywracania systemu, na wypadek gdyby nie odpowiadały Ci ustawienia zastosowane przez program.",
                      false));
    const std::string userName = "Nazwa użytkownika";
    c.push_back(label("Label19", {308, 72, 161, 0}, LabelLook::Silver, userName, false));
    w.toolNames = {{"Memo1", userName}};
    c.push_back(label("Label18", {312, 90, 156, 41}, LabelLook::Paragraph,
                      "Wprowadź nazwę użytkownika, która ma być wyświetlana w menu głównym programu", false));
    c.push_back(label("Label17", {307, 161, 0, 0}, LabelLook::Warning, "UWAGA! Maksymalnie 14 znaków", false));
    c.push_back(label("Label20", {297, 176, 0, 0}, LabelLook::Separator, "| | |", false));
    c.push_back(timer("Timer1", 1, false));
    c.push_back(timer("Timer37", 100, true));
    // The system's buttons, a point smaller, without the hand cursor.
    for (Component button : {chrome::button("Button2", {103, 182, 188, 17}, "Przywracanie systemu", false),
                             chrome::button("Button3", {309, 182, 156, 17}, "Zatwierdź nazwę i zamknij okno", false)}) {
        button.compact = true;
        button.visible = false;
        c.push_back(button);
        if (button.name == "Button2")
            c.push_back(nameEntry("Memo1", {315, 138, 146, 17}, kUserNameLength));
    }
    w.dragTimer = "Timer1";
    w.dragSurfaces = {"Image1", "Label1", "Label9", "Label10", "Label15", "Label16"};
    w.minimiseTarget = "Image2";
    w.closeTarget = "Image5";
    w.hints = {{"Image2", "Minimalizuj"},
               {"Image5", "Zamknij program"},
               {"Label6", "Rozdzielczość ekranu (w pikselach)."},
               {"Label5", "Ilość wolnego miejsca na partycji C:"},
               {"Label7", "Aktualna data i godzina"},
               {"Label14", "Częstotliwość taktowania procesora"},
               {"Label8", "Nazwa użytkownika korzystającego z\nprogramu Kwintor Dostrojnik"}};
    return w;
}

WindowDefinition makeAbout()
{
    WindowDefinition w;
    w.className = "TForm8";
    w.componentName = "Form8";
    w.caption = "O programie...";
    w.width = 460;
    w.height = 180;
    w.title = "PROGRAM";
    w.sidePanelWidth = 112;
    auto& c = w.components;
    c.push_back(picture("Image2", {0, 0, 460, 180}, PictureLook::Background));
    c.push_back(target("Image1", {0, 0, 22, 20}, PictureLook::Minimise, {}));
    c.push_back(target("Image3", {438, 0, 22, 20}, PictureLook::Close, {}));
    c.push_back(label("Label6", {35, 4, 0, 0}, LabelLook::Link, author::link));
    c.push_back(label("Label1", {8, 60, 97, 0}, LabelLook::Heading, "OPIS DZIAŁU"));
    c.push_back(label("Label4", {10, 77, 93, 90}, LabelLook::Description,
                      "W dziale tym znajdują się informacje dotyczące programu Kwintor Dostrojnik 2004."));
    c.push_back(
        label("Label5", {120, 30, 329, 0}, LabelLook::Title, "K W I N T O R    D O S T R O J N I K    2 0 0 4"));
    struct Row {
        const char* caption;
        const char* captionText;
        const char* value;
        const char* valueText;
        const char* separator;
    };
    const Row rows[] = {{"Label7", "Autor:", "Label8", author::name, "Label2"},
                        {"Label11", "Wersja programu:", "Label12", "", "Label3"},
                        {"Label13", "Ostatnia aktualizacja:", "Label14", "15.08.2004", "Label9"},
                        {"Label16", "Zarejestrowano dla:", "Label19", " ", "Label10"},
                        {"Label17", "Strona internetowa programu:", "Label20", author::web, "Label15"},
                        {"Label18", "Adres e-mail do autora:", "Label21", author::email, nullptr}};
    int y = 52;
    for (const Row& row : rows) {
        c.push_back(label(row.caption, {120, y, 0, 0}, LabelLook::Plain, row.captionText));
        const bool address = row.value == std::string_view("Label20") || row.value == std::string_view("Label21");
        c.push_back(label(row.value, {288, y, 0, 0}, address ? LabelLook::Small : LabelLook::Plain, row.valueText));
        if (row.separator)
            c.push_back(label(row.separator, {120, y + 6, 0, 0}, LabelLook::Separator,
                              "_______________________________________________________"));
        y += 20;
    }
    c.push_back(timer("Timer2", 1, false));
    c.push_back(timer("Timer1", 1000, true));
    w.dragTimer = "Timer2";
    w.dragSurfaces = {"Image2", "Label6"};
    w.minimiseTarget = "Image1";
    w.closeTarget = "Image3";
    w.hints = {{"Image1", "Minimalizuj"}, {"Image3", "Zamknij"}};
    return w;
}

} // namespace

const WindowDefinition& mainDefinition()
{
    static const WindowDefinition definition = makeMain();
    return definition;
}

const WindowDefinition& aboutDefinition()
{
    static const WindowDefinition definition = makeAbout();
    return definition;
}

const PromptDefinition& restartPrompt()
{
    static const PromptDefinition prompt{
        "TForm10",
        "Form10",
        "System Windows",
        "Niektóre funkcje programu Kwintor Dostrojnik wymagają ponownego uruchomienia komputera. Czy chcesz to zrobić "
        "teraz?",
        "Nie",
        "Tak"};
    return prompt;
}

std::vector<std::string> firstPictures()
{
    std::vector<std::string> files{"icon.jpg"};
    const WindowDefinition& main = mainDefinition();
    for (const Component& component : main.components) {
        if (component.kind == ComponentKind::Picture)
            files.push_back(pictureFile(main, component));
    }
    return files;
}

const std::vector<std::string>& firstRunPanel()
{
    static const std::vector<std::string> names = {"Image14", "Label23", "Label22", "Button2", "Label19",
                                                   "Label18", "Memo1",   "Label17", "Label20", "Button3"};
    return names;
}

std::vector<const WindowDefinition*> skinnedDefinitions()
{
    std::vector<const WindowDefinition*> definitions;
    for (const auto& row : windowTable<NoClass>()) {
        if (row.definition)
            definitions.push_back(row.definition);
    }
    return definitions;
}

const std::vector<MenuEntry>& sectionMenu()
{
    static const std::vector<MenuEntry> menu = [] {
        std::vector<MenuEntry> entries;
        for (const auto& row : windowTable<NoClass>()) {
            if (row.menuTarget)
                entries.push_back({row.menuTarget, row.definition ? row.definition->className : std::string()});
        }
        return entries;
    }();
    return menu;
}

} // namespace app
