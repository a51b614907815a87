// The Protection window: the policy switch written at every start, the refused-program list
// (loading, blocking, unblocking, the question about a missing key), its two registry rows and
// the way to the File compatibility window.

#include "tests/gui/support/gui_fixture.h"

#include "sections/protection/tform4.h"

#include "core/registry/tregistry.h"
#include "core/registry/value_data.h"
#include "core/text/unicode.h"
#include "tests/support/forwarding_registry.h"

#include <QLineEdit>

#include <map>
#include <optional>

using namespace gui_testing;
using core::RootKey;

namespace {

constexpr char kList[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\DisAllowRun";
constexpr char kQuestion[] = "The specified key does not exist, create it?";

// Entry k's edit box, "BLOKUJ" and "ODBLOKUJ", k = 1..10.
struct EntryParts {
    const char* edit;
    const char* block;
    const char* unblock;
};
const EntryParts kEntries[] = {
    {"Edit2", "Image4", "Image5"},    {"Edit3", "Image16", "Image7"},  {"Edit4", "Image19", "Image18"},
    {"Edit5", "Image22", "Image21"},  {"Edit6", "Image25", "Image24"}, {"Edit7", "Image28", "Image27"},
    {"Edit8", "Image31", "Image30"},  {"Edit9", "Image34", "Image33"}, {"Edit10", "Image37", "Image36"},
    {"Edit11", "Image40", "Image39"},
};

// Value name -> text; a value of another type shows as its type number.
using Texts = std::map<std::string, std::string>;

// Refuses to open the policy subkey by its own name, as a key that was created but cannot be
// opened again.
class RefusingPolicySubkey final : public testing_support::ForwardingRegistry {
public:
    using ForwardingRegistry::ForwardingRegistry;
    core::RegStatus openKey(core::KeyHandle parent, std::string_view path, core::Access access,
                            core::KeyHandle& opened) override
    {
        if (path == "Explorer")
            return core::RegStatus::NotFound;
        return m_inner.openKey(parent, path, access, opened);
    }
};

class ProtectionSectionTest : public GuiFixture {
protected:
    // The window, opened from the main menu once its entries have loaded.
    chrome::SectionWindow& protection()
    {
        auto& window = section("TForm4");
        if (!window.isVisible()) {
            click(mainWindow(), QStringLiteral("Image8"));
            loaded();
        }
        return window;
    }
    // The entries load 100 ms after start, and again 100 ms after an unblock.
    void loaded() { runTimers(100); }
    QLineEdit& edit(int k) { return widget<QLineEdit>(section("TForm4"), QString::fromLatin1(kEntries[k - 1].edit)); }
    void block(int k, const std::string& text)
    {
        auto& window = protection();
        edit(k).setText(QString::fromStdString(text));
        click(window, QString::fromLatin1(kEntries[k - 1].block));
    }
    void unblock(int k) { click(protection(), QString::fromLatin1(kEntries[k - 1].unblock)); }
    std::vector<std::string> entryTexts()
    {
        std::vector<std::string> texts;
        for (int k = 1; k <= 10; ++k)
            texts.push_back(edit(k).text().toStdString());
        return texts;
    }

    // The values of a key of HKEY_CURRENT_USER; none when the key is missing.
    std::optional<Texts> values(const std::string& path)
    {
        const auto values = keyValues(RootKey::CurrentUser, path);
        if (!values)
            return std::nullopt;
        Texts found;
        for (const auto& [name, value] : *values)
            found[name] = value.first == core::RegSz ? core::text::toUtf8(core::dataString(value.second))
                                                     : std::to_string(value.first);
        return found;
    }
    // The names of the subkeys of the policy key, as the registry keeps them.
    std::vector<std::string> policySubkeys()
    {
        std::vector<std::string> names;
        core::KeyHandle key;
        if (m_registry.openKey(core::rootHandle(RootKey::CurrentUser), kPolicyKey, core::Access::Read, key) !=
            core::RegStatus::Success)
            return names;
        std::string name;
        for (std::uint32_t i = 0; m_registry.enumKey(key, i, name) == core::RegStatus::Success; ++i)
            names.push_back(name);
        m_registry.closeKey(key);
        return names;
    }
    void removePolicyKey()
    {
        core::TRegistry registry(m_registry);
        ASSERT_TRUE(registry.DeleteKey(kPolicyKey));
    }
};

TEST_F(ProtectionSectionTest, EveryEntryBlocksAndUnblocksItsOwnValue)
{
    start();
    loaded();
    EXPECT_EQ(entryTexts(), std::vector<std::string>(10));
    EXPECT_EQ(values(kList), std::nullopt) << "loading creates nothing";

    Texts expected;
    for (int k = 1; k <= 10; ++k) {
        block(k, "Program" + std::to_string(k) + ".exe");
        expected[std::to_string(k)] = "Program" + std::to_string(k) + ".exe";
        EXPECT_EQ(values(kList), expected) << k;
    }
    // Entry 1 created the subkey, under its own spelling.
    EXPECT_EQ(policySubkeys(), std::vector<std::string>{"DisallowRun"});

    for (int k = 1; k <= 10; ++k) {
        unblock(k);
        expected.erase(std::to_string(k));
        EXPECT_EQ(values(kList), expected) << k;
        // The entry is reloaded about 100 ms later, the others stay as they are.
        EXPECT_FALSE(edit(k).text().isEmpty()) << k;
        loaded();
        EXPECT_TRUE(edit(k).text().isEmpty()) << k;
        if (k < 10) {
            EXPECT_FALSE(edit(k + 1).text().isEmpty()) << k;
        }
    }
    EXPECT_TRUE(m_errors.messages.empty());
    EXPECT_TRUE(m_messageBoxes.messages.empty());
}

TEST_F(ProtectionSectionTest, TextIsStoredExactlyAsTypedAndOverwrites)
{
    start();
    const std::string longName = std::string(40000, 'x') + ".exe";
    struct Step {
        int entry;
        std::string text;
        Texts expected;
        std::vector<std::string> messages;
    };
    const std::vector<Step> steps = {
        {3, "Setup.exe", {{"3", "Setup.exe"}}, {}},
        {3, "Notatnik", {{"3", "Notatnik"}}, {}},
        {1, "  zażółć gęślą jaźń.EXE ", {{"1", "  zażółć gęślą jaźń.EXE "}, {"3", "Notatnik"}}, {}},
        {10, longName, {{"1", "  zażółć gęślą jaźń.EXE "}, {"3", "Notatnik"}, {"10", longName}}, {}},
        {5, "", {{"1", "  zażółć gęślą jaźń.EXE "}, {"3", "Notatnik"}, {"10", longName}}, {"Wpisz nazwę programu"}},
    };
    for (const Step& step : steps) {
        m_messageBoxes.messages.clear();
        block(step.entry, step.text);
        EXPECT_EQ(values(kList), step.expected) << step.entry;
        EXPECT_EQ(m_messageBoxes.messages, step.messages) << step.entry;
        // Nothing is read back: the box keeps what was typed.
        EXPECT_EQ(edit(step.entry).text().toStdString(), step.text);
    }
    // Entry 3 created the subkey, under the other entries' spelling.
    EXPECT_EQ(policySubkeys(), std::vector<std::string>{"DisAllowRun"});

    // A new start loads what was stored, the long name whole.
    m_windows.reset();
    start();
    loaded();
    EXPECT_EQ(entryTexts(),
              (std::vector<std::string>{"  zażółć gęślą jaźń.EXE ", "", "Notatnik", "", "", "", "", "", "", longName}));
    // Unblocking an empty entry reports nothing.
    unblock(7);
    loaded();
    EXPECT_EQ(values(kList)->size(), 3u);
    EXPECT_TRUE(m_errors.messages.empty());
}

// A value of the list that is no text is reported once in the error box, and its entry stays
// empty; the other entries load.
TEST_F(ProtectionSectionTest, AValueThatIsNoTextIsReportedOnceAndLeavesItsEntryEmpty)
{
    {
        core::TRegistry registry(m_registry);
        ASSERT_TRUE(registry.OpenKey(kList, true));
        registry.WriteString("1", "a.exe");
        registry.WriteInteger("7", 5);
        registry.WriteString("4", "b.exe");
        registry.WriteString("11", "c.exe");
    }
    start();
    runTimers(90);
    EXPECT_EQ(entryTexts(), std::vector<std::string>(10)) << "entries load 100 ms after start";
    runTimers(10);
    runTimers(300); // a timer that kept running would report again meanwhile
    EXPECT_EQ(entryTexts(), (std::vector<std::string>{"a.exe", "", "", "b.exe", "", "", "", "", "", ""}));
    EXPECT_EQ(m_errors.messages, std::vector<std::string>{"Invalid data type for '7'"});

    // Unblocking removes the value whatever its type; the entry then loads as empty.
    edit(7).setText(QStringLiteral("typed"));
    unblock(7);
    loaded();
    EXPECT_TRUE(edit(7).text().isEmpty());
    EXPECT_EQ(values(kList), (Texts{{"1", "a.exe"}, {"4", "b.exe"}, {"11", "c.exe"}}));
    EXPECT_EQ(m_errors.messages.size(), 1u);
}

TEST_F(ProtectionSectionTest, EveryStartSwitchesThePolicyOnWhereItsKeyExists)
{
    {
        core::TRegistry registry(m_registry);
        ASSERT_TRUE(registry.OpenKey(kPolicyKey, false));
        registry.WriteInteger("DisallowRun", 0);
        registry.WriteString("NoRun", "0");
    }
    for (int run = 0; run < 2; ++run) {
        start();
        EXPECT_EQ(values(kPolicyKey), (Texts{{"DisallowRun", "4"}, {"NoRun", "0"}}));
        core::TRegistry registry(m_registry);
        ASSERT_TRUE(registry.OpenKey(kPolicyKey, false));
        EXPECT_EQ(registry.ReadInteger("DisallowRun"), 1);
        registry.WriteInteger("DisallowRun", 0);
        m_windows.reset();
    }
    EXPECT_TRUE(m_errors.messages.empty());

    // Without the key the start reports the refused write, creates nothing, and goes on.
    removePolicyKey();
    start();
    EXPECT_EQ(m_errors.messages, std::vector<std::string>{"Failed to set data for 'DisallowRun'"});
    EXPECT_EQ(values(kPolicyKey), std::nullopt);
    EXPECT_EQ(windows().windows().size(), 13u);
}

TEST_F(ProtectionSectionTest, AMissingPolicyKeyIsCreatedOnlyWhenTheUserSaysYes)
{
    removePolicyKey();
    start();
    m_errors.messages.clear();
    struct Case {
        bool answer;
        std::optional<Texts> expected;
    };
    for (const Case& c : {Case{false, std::nullopt}, Case{true, Texts{{"2", "x.exe"}}}}) {
        m_messageBoxes.questions.clear();
        m_messageBoxes.answers = {c.answer};
        block(2, "x.exe");
        EXPECT_EQ(m_messageBoxes.questions, (std::vector<ScriptedMessageBoxes::Question>{{"", kQuestion}}));
        EXPECT_EQ(values(kList), c.expected);
        EXPECT_EQ(values(kPolicyKey).has_value(), c.answer);
    }
    // Now the key is there: no more questions.
    m_messageBoxes.questions.clear();
    block(1, "y.exe");
    EXPECT_TRUE(m_messageBoxes.questions.empty());
    EXPECT_EQ(values(kList), (Texts{{"1", "y.exe"}, {"2", "x.exe"}}));
    EXPECT_EQ(policySubkeys(), std::vector<std::string>{"DisAllowRun"});
    EXPECT_TRUE(m_errors.messages.empty());
    EXPECT_TRUE(m_messageBoxes.messages.empty());
}

TEST_F(ProtectionSectionTest, ACreatedKeyThatDoesNotOpenIsReportedAndNothingIsWritten)
{
    RefusingPolicySubkey refusing(m_registry);
    m_registryApi = &refusing;
    start();
    m_messageBoxes.answers = {true};
    block(4, "z.exe");
    EXPECT_EQ(m_messageBoxes.messages, std::vector<std::string>{"Error in Opening Created Key"});
    EXPECT_EQ(values(kList), std::nullopt);
    EXPECT_TRUE(m_errors.messages.empty());
}

TEST_F(ProtectionSectionTest, RegistryRowsWriteIntoKeysThatExistOnly)
{
    constexpr char kAdvanced[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
    constexpr char kSystem[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
    constexpr RootKey kMachine = RootKey::LocalMachine;
    const std::vector<RowWrite> rows = {{"Image3", kMachine, kAdvanced, "EncryptionContextMenu", dword(1)},
                                        {"Image8", kMachine, kAdvanced, "EncryptionContextMenu", dword(0)},
                                        {"Image10", kMachine, kSystem, "dontdisplaylastusername", dword(1)},
                                        {"Image11", kMachine, kSystem, "dontdisplaylastusername", dword(0)}};
    // The targets have sizes of their own.
    const std::vector<std::pair<const char*, QRect>> places = {{"Image3", {121, 71, 78, 30}},
                                                               {"Image8", {200, 71, 83, 30}},
                                                               {"Image10", {291, 71, 81, 30}},
                                                               {"Image11", {373, 71, 81, 30}}};
    start();
    for (const auto& [target, place] : places)
        EXPECT_EQ(protection().picture(QString::fromLatin1(target))->geometry(), place) << target;
    expectRowsNeedTheirKeys(protection(), rows);
    seed(kMachine, kAdvanced, {{"Hidden", dword(1)}});
    seed(kMachine, kSystem);
    expectRowsWrite(protection(), rows);
}

TEST_F(ProtectionSectionTest, TheFileCompatibilityWindowIsShownAsItIs)
{
    start();
    chrome::SectionWindow& fileCompatibility = section("TForm9");
    runTimers();
    click(fileCompatibility, QStringLiteral("Strona23")); // comments off
    runTimers();
    ASSERT_EQ(fileCompatibility.commentsLabel()->text(), QStringLiteral("Nie"));
    click(protection(), QStringLiteral("Image12"));
    EXPECT_TRUE(fileCompatibility.isVisible());
    EXPECT_FALSE(fileCompatibility.commentsOnTimer()->isEnabled());
    runTimers();
    EXPECT_EQ(fileCompatibility.commentsLabel()->text(), QStringLiteral("Nie"));
    EXPECT_EQ(protection().picture(QStringLiteral("Image12"))->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(ProtectionSectionTest, CommentsSwitchTheSixHintsCornerTargetsFirst)
{
    start();
    const std::vector<std::pair<const char*, const char*>> hints = {
        {"Image14", "Minimalizuj"},
        {"Image15", "Zamknij"},
        {"Image2",
         "Konfiguruje, czy menu \"Szyfruj\" i\n\"Odszyfruj\" ma być wyświetlane.\nUsługa tylko dla partycji NTFS"},
        {"Image9", "Konfiguruje , czy system Windows ma zamazywać\ninformacje o użytkowniku, który włączył komputer."},
        {"Image12", "Włącza okno związane z\npoprawnością plików w Windows."},
        {"Image13", "Blokuje programy wybrane przez użytkownika.\nWystarczy wpisać nazwę programu, np. \"Setup.exe\"."},
    };
    expectHints(protection(), hints);
}

} // namespace
