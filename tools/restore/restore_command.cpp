#include "tools/restore/restore_command.h"

#include "core/error.h"
#include "core/text/ascii.h"
#include "core/text/unicode.h"
#include "tools/reg/value_text.h"

#include <charconv>

namespace restoretool {
namespace {

using core::restore::KeyState;
using core::restore::PointKind;

const char* const Help =
    "Przywracanie systemu: punkty przywracania rejestru maszyny.\n"
    "\n"
    "Użycie:\n"
    "  dostrojnik-restore                 otwiera okno programu\n"
    "  dostrojnik-restore list            wypisuje punkty: numer, czas, rodzaj i opis (rozdzielone\n"
    "                                     tabulatorami), od najstarszego\n"
    "  dostrojnik-restore create \"opis\"   tworzy punkt przywracania z tym opisem\n"
    "  dostrojnik-restore changes N       wypisuje zmiany rejestru od punktu N, klucz po kluczu\n"
    "  dostrojnik-restore restore N       przywraca rejestr z punktu N; stan sprzed przywrócenia\n"
    "                                     zostaje zapisany jako nowy punkt\n"
    "  dostrojnik-restore delete N        usuwa punkt N\n"
    "  dostrojnik-restore /?              wypisuje tę pomoc\n"
    "\n"
    "Punkt przywracania zapamiętuje pliki rejestru maszyny (system.reg, user.reg, userdef.reg) w jej\n"
    "folderze drive_c/System Volume Information/_restore. Maszyna to folder WINEPREFIX, a bez niego\n"
    "~/.local/share/kwintor-dostrojnik/machine. Dostrojnik tworzy punkt automatyczny przed pierwszą\n"
    "zmianą rejestru w każdym uruchomieniu; zostaje 20 najnowszych punktów automatycznych.\n"
    "Kod wyjścia: 0 po powodzeniu, 1 po błędzie (z komunikatem).\n";

// Text of a point.ini as it may go to a terminal: control characters (C0, DEL and C1, which
// could move the cursor or retitle the window) become "?".
std::string printable(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F) {
            out += '?';
        } else if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            out += '?';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

class Command {
public:
    Command(const StoreOpener& store, Output& output) : m_store(store), m_output(output) {}

    int run(const std::vector<std::string>& arguments)
    {
        if (arguments.empty() || arguments[0] == "/?" || arguments[0] == "-?") {
            m_output.out += Help;
            return 0;
        }
        const std::string command = core::text::asciiLower(arguments[0]);
        const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
        if (command == "list")
            return expect(rest, 0) ? list() : 1;
        if (command == "create")
            return expect(rest, 1) ? create(rest[0]) : 1;
        int number = 0;
        const bool numbered = command == "changes" || command == "restore" || command == "delete";
        if (!numbered)
            return fail("Nieznane polecenie \"" + arguments[0] + "\". Polecenia: dostrojnik-restore /?");
        if (!expect(rest, 1) || !parseNumber(rest[0], number))
            return 1;
        if (command == "changes")
            return changes(number);
        if (command == "restore")
            return restore(number);
        return remove(number);
    }

private:
    int fail(const std::string& message)
    {
        m_output.err += "Błąd: " + message + "\n";
        return 1;
    }

    bool expect(const std::vector<std::string>& rest, std::size_t count)
    {
        if (rest.size() == count)
            return true;
        fail("Nieprawidłowa liczba argumentów. Składnia: dostrojnik-restore /?");
        return false;
    }

    bool parseNumber(const std::string& text, int& number)
    {
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        if (error == std::errc() && end == text.data() + text.size() && number > 0)
            return true;
        fail("\"" + text + "\" nie jest numerem punktu przywracania.");
        return false;
    }

    int list()
    {
        const auto points = m_store().list();
        if (points.empty())
            m_output.out += "Brak punktów przywracania.\n";
        for (const auto& point : points)
            m_output.out += std::to_string(point.number) + "\t" + printable(point.time) + "\t" +
                            std::string(core::restore::kindName(point.kind)) + "\t" + printable(point.description) +
                            "\n";
        return 0;
    }

    int create(const std::string& description)
    {
        const auto point = m_store().create(PointKind::User, description);
        m_output.out += "Utworzono punkt przywracania " + std::to_string(point.number) + ".\n";
        return 0;
    }

    int changes(int number)
    {
        const auto found = core::restore::changesSince(m_store(), number);
        if (found.empty())
            m_output.out += "Brak zmian od punktu " + std::to_string(number) + ".\n";
        m_output.out += changesText(found);
        return 0;
    }

    int restore(int number)
    {
        const auto before = m_store().restore(number);
        m_output.out += "Przywrócono punkt " + std::to_string(number) + ". Stan sprzed przywrócenia to punkt " +
                        std::to_string(before.number) + ".\n";
        return 0;
    }

    int remove(int number)
    {
        m_store().remove(number);
        m_output.out += "Usunięto punkt przywracania " + std::to_string(number) + ".\n";
        return 0;
    }

    const StoreOpener& m_store;
    Output& m_output;
};

} // namespace

int runCommand(const std::vector<std::string>& arguments, const StoreOpener& store, Output& output)
{
    Command command(store, output);
    try {
        return command.run(arguments);
    } catch (const core::Error& error) {
        output.err += std::string("Błąd: ") + error.what() + "\n";
        return 1;
    }
}

std::string stateText(KeyState state)
{
    switch (state) {
    case KeyState::Added: return "Klucz dodany";
    case KeyState::Removed: return "Klucz usunięty";
    case KeyState::Changed: return "Klucz zmieniony";
    }
    return {};
}

std::string valueText(const core::registry::HiveValue& value)
{
    return regtool::typeName(value.type) + "    " + regtool::dataText(value.type, value.data);
}

std::string changesText(const std::vector<core::restore::KeyChange>& changes)
{
    std::string text;
    for (const auto& change : changes) {
        text += stateText(change.state) + ": " + core::restore::keyName(change) + "\n";
        for (const auto& value : change.values) {
            if (value.before)
                text += "-" + regtool::queryLine(core::text::toUtf8(value.name), value.before->type, value.before->data);
            if (value.after)
                text += "+" + regtool::queryLine(core::text::toUtf8(value.name), value.after->type, value.after->data);
        }
        text += "\n";
    }
    return text;
}

} // namespace restoretool
