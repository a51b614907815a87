// The Protection window: the policy switch written at every start, the refused-program list
// (loading, blocking, unblocking, the question about a missing key), its two registry rows, the
// way to the File compatibility window and its hints.

#include "tests/behaviour/support/behaviour_fixture.h"

#include "sections/definitions.h"
#include "sections/protection/tform4.h"

#include "core/registry/tregistry.h"
#include "tests/support/forwarding_registry.h"

#include <optional>

using namespace behaviour_testing;
using core::RootKey;
using sections::refused_programs::kEntries;

namespace {

constexpr char kPolicyKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr char kList[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\DisAllowRun";
constexpr char kQuestion[] = "The specified key does not exist, create it?";

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

class ProtectionWindowTest : public BehaviourFixture {
protected:
    // Every machine has the key that the window writes its policy switch into at start.
    void SetUp() override { seed(RootKey::CurrentUser, kPolicyKey); }
    // The window as the program creates it at start.
    void start() { build<TForm4>(sections::protectionDefinition()); }
    // The entries load once their timers (100 ms) tick, after start and after an unblock.
    void loaded()
    {
        for (const auto& entry : kEntries)
            fake().fakeTimer(entry.timer).tick();
    }
    testing_support::FakeEditBox& edit(int k)
    {
        return fake().fake<testing_support::FakeEditBox>(kEntries[std::size_t(k - 1)].edit);
    }
    void block(int k, const std::string& text)
    {
        edit(k).setText(text);
        click(kEntries[std::size_t(k - 1)].block);
    }
    void unblock(int k) { click(kEntries[std::size_t(k - 1)].unblock); }
    std::vector<std::string> entryTexts()
    {
        std::vector<std::string> texts;
        for (int k = 1; k <= 10; ++k)
            texts.push_back(edit(k).text());
        return texts;
    }
    std::optional<Values> list() { return keyValues(RootKey::CurrentUser, kList); }
    // The names of the subkeys of the policy key, as the registry keeps them.
    std::vector<std::string> policySubkeys()
    {
        std::vector<std::string> names;
        core::KeyHandle key;
        if (m_machineRegistry.openKey(core::rootHandle(RootKey::CurrentUser), kPolicyKey, core::Access::Read, key) !=
            core::RegStatus::Success)
            return names;
        std::string name;
        for (std::uint32_t i = 0; m_machineRegistry.enumKey(key, i, name) == core::RegStatus::Success; ++i)
            names.push_back(name);
        m_machineRegistry.closeKey(key);
        return names;
    }
    void removePolicyKey() { ASSERT_TRUE(core::TRegistry(m_machineRegistry).DeleteKey(kPolicyKey)); }
};

TEST_F(ProtectionWindowTest, EveryEntryBlocksAndUnblocksItsOwnValue)
{
    start();
    loaded();
    EXPECT_EQ(entryTexts(), std::vector<std::string>(10));
    EXPECT_EQ(list(), std::nullopt) << "loading creates nothing";

    Values expected;
    for (int k = 1; k <= 10; ++k) {
        block(k, "Program" + std::to_string(k) + ".exe");
        expected[std::to_string(k)] = text("Program" + std::to_string(k) + ".exe");
        EXPECT_EQ(list(), expected) << k;
    }
    // Entry 1 created the subkey, under its own spelling.
    EXPECT_EQ(policySubkeys(), std::vector<std::string>{"DisallowRun"});

    for (int k = 1; k <= 10; ++k) {
        unblock(k);
        expected.erase(std::to_string(k));
        EXPECT_EQ(list(), expected) << k;
        // The entry is reloaded by its timer, the others stay as they are.
        EXPECT_FALSE(edit(k).text().empty()) << k;
        loaded();
        EXPECT_TRUE(edit(k).text().empty()) << k;
        if (k < 10) {
            EXPECT_FALSE(edit(k + 1).text().empty()) << k;
        }
    }
    EXPECT_TRUE(m_errors.messages.empty());
    EXPECT_TRUE(m_messageBoxes.messages.empty());
}

TEST_F(ProtectionWindowTest, TextIsStoredExactlyAsTypedAndOverwrites)
{
    start();
    const std::string longName = std::string(40000, 'x') + ".exe";
    const std::string polish = "  zażółć gęślą jaźń.EXE ";
    struct Step {
        int entry;
        std::string text;
        Values expected;
        std::vector<std::string> messages;
    };
    const std::vector<Step> steps = {
        {3, "Setup.exe", {{"3", text("Setup.exe")}}, {}},
        {3, "Notatnik", {{"3", text("Notatnik")}}, {}},
        {1, polish, {{"1", text(polish)}, {"3", text("Notatnik")}}, {}},
        {10, longName, {{"1", text(polish)}, {"3", text("Notatnik")}, {"10", text(longName)}}, {}},
        {5, "", {{"1", text(polish)}, {"3", text("Notatnik")}, {"10", text(longName)}}, {"Wpisz nazwę programu"}},
    };
    for (const Step& step : steps) {
        m_messageBoxes.messages.clear();
        block(step.entry, step.text);
        EXPECT_EQ(list(), step.expected) << step.entry;
        EXPECT_EQ(m_messageBoxes.messages, step.messages) << step.entry;
        // Nothing is read back: the box keeps what was typed.
        EXPECT_EQ(edit(step.entry).text(), step.text);
    }
    // Entry 3 created the subkey, under the other entries' spelling.
    EXPECT_EQ(policySubkeys(), std::vector<std::string>{"DisAllowRun"});

    // A new start loads what was stored, the long name whole.
    start();
    loaded();
    EXPECT_EQ(entryTexts(), (std::vector<std::string>{polish, "", "Notatnik", "", "", "", "", "", "", longName}));
    // Unblocking an empty entry reports nothing.
    unblock(7);
    loaded();
    EXPECT_EQ(list()->size(), 3u);
    EXPECT_TRUE(m_errors.messages.empty());
}

// A value of the list that is no text is reported once in the error box, and its entry stays
// empty; the other entries load.
TEST_F(ProtectionWindowTest, AValueThatIsNoTextIsReportedOnceAndLeavesItsEntryEmpty)
{
    seed(RootKey::CurrentUser, kList,
         {{"1", text(u"a.exe")}, {"7", dword(5)}, {"4", text(u"b.exe")}, {"11", text(u"c.exe")}});
    start();
    EXPECT_EQ(entryTexts(), std::vector<std::string>(10)) << "entries load 100 ms after start";
    for (const auto& entry : kEntries)
        EXPECT_EQ(fake().fakeTimer(entry.timer).interval(), 100) << entry.timer;
    loaded();
    loaded(); // a timer that kept running would report again
    EXPECT_EQ(entryTexts(), (std::vector<std::string>{"a.exe", "", "", "b.exe", "", "", "", "", "", ""}));
    EXPECT_EQ(m_errors.messages, std::vector<std::string>{"Invalid data type for '7'"});

    // Unblocking removes the value whatever its type; the entry then loads as empty.
    edit(7).setText("typed");
    unblock(7);
    loaded();
    EXPECT_TRUE(edit(7).text().empty());
    EXPECT_EQ(list(), (Values{{"1", text("a.exe")}, {"4", text("b.exe")}, {"11", text("c.exe")}}));
    EXPECT_EQ(m_errors.messages.size(), 1u);
}

TEST_F(ProtectionWindowTest, EveryStartSwitchesThePolicyOnWhereItsKeyExists)
{
    seed(RootKey::CurrentUser, kPolicyKey, {{"DisallowRun", dword(0)}, {"NoRun", text(u"0")}});
    for (int run = 0; run < 2; ++run) {
        start();
        EXPECT_EQ(keyValues(RootKey::CurrentUser, kPolicyKey),
                  (Values{{"DisallowRun", dword(1)}, {"NoRun", text(u"0")}}));
        seed(RootKey::CurrentUser, kPolicyKey, {{"DisallowRun", dword(0)}});
    }
    EXPECT_TRUE(m_errors.messages.empty());

    // Without the key the start reports the refused write, creates nothing, and goes on.
    removePolicyKey();
    start();
    EXPECT_EQ(m_errors.messages, std::vector<std::string>{"Failed to set data for 'DisallowRun'"});
    EXPECT_EQ(keyValues(RootKey::CurrentUser, kPolicyKey), std::nullopt);
    m_messageBoxes.answers = {false};
    block(1, "a.exe");
    EXPECT_EQ(m_messageBoxes.questions.size(), 1u) << "the window works";
}

TEST_F(ProtectionWindowTest, AMissingPolicyKeyIsCreatedOnlyWhenTheUserSaysYes)
{
    removePolicyKey();
    start();
    m_errors.messages.clear();
    struct Case {
        bool answer;
        std::optional<Values> expected;
    };
    for (const Case& c : {Case{false, std::nullopt}, Case{true, Values{{"2", text("x.exe")}}}}) {
        m_messageBoxes.questions.clear();
        m_messageBoxes.answers = {c.answer};
        block(2, "x.exe");
        EXPECT_EQ(m_messageBoxes.questions, (std::vector<ScriptedMessageBoxes::Question>{{"", kQuestion}}));
        EXPECT_EQ(list(), c.expected);
        EXPECT_EQ(keyValues(RootKey::CurrentUser, kPolicyKey).has_value(), c.answer);
    }
    // Now the key is there: no more questions.
    m_messageBoxes.questions.clear();
    block(1, "y.exe");
    EXPECT_TRUE(m_messageBoxes.questions.empty());
    EXPECT_EQ(list(), (Values{{"1", text("y.exe")}, {"2", text("x.exe")}}));
    EXPECT_EQ(policySubkeys(), std::vector<std::string>{"DisAllowRun"});
    EXPECT_TRUE(m_errors.messages.empty());
    EXPECT_TRUE(m_messageBoxes.messages.empty());
}

TEST_F(ProtectionWindowTest, ACreatedKeyThatDoesNotOpenIsReportedAndNothingIsWritten)
{
    RefusingPolicySubkey refusing(m_machineRegistry);
    m_registryApi = &refusing;
    start();
    m_messageBoxes.answers = {true};
    block(4, "z.exe");
    EXPECT_EQ(m_messageBoxes.messages, std::vector<std::string>{"Error in Opening Created Key"});
    EXPECT_EQ(list(), std::nullopt);
    EXPECT_TRUE(m_errors.messages.empty());
}

TEST_F(ProtectionWindowTest, RegistryRowsWriteIntoKeysThatExistOnlyAndImage12ShowsFileCompatibility)
{
    constexpr char kAdvanced[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
    constexpr char kSystem[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
    constexpr RootKey kMachine = RootKey::LocalMachine;
    const std::vector<RowWrite> rows = {{"Image3", kMachine, kAdvanced, "EncryptionContextMenu", dword(1)},
                                        {"Image8", kMachine, kAdvanced, "EncryptionContextMenu", dword(0)},
                                        {"Image10", kMachine, kSystem, "dontdisplaylastusername", dword(1)},
                                        {"Image11", kMachine, kSystem, "dontdisplaylastusername", dword(0)}};
    // The targets have sizes of their own.
    start();
    expectPlaces({{"Image3", {121, 71, 78, 30}},
                  {"Image8", {200, 71, 83, 30}},
                  {"Image10", {291, 71, 81, 30}},
                  {"Image11", {373, 71, 81, 30}}});
    expectRowsNeedTheirKeys(rows);
    seed(kMachine, kAdvanced, {{"Hidden", dword(1)}});
    seed(kMachine, kSystem);
    expectRowsWrite(rows);

    click("Image12");
    EXPECT_EQ(m_shown, std::vector<std::string>{"TForm9"});
}

TEST_F(ProtectionWindowTest, CommentsSwitchTheSixHintsCornerTargetsFirst)
{
    open<TForm4>(sections::protectionDefinition());
    expectHints(
        sections::protectionDefinition(),
        {
            {"Image14", "Minimalizuj"},
            {"Image15", "Zamknij"},
            {"Image2",
             "Konfiguruje, czy menu \"Szyfruj\" i\n\"Odszyfruj\" ma być wyświetlane.\nUsługa tylko dla partycji "
             "NTFS"},
            {"Image9",
             "Konfiguruje , czy system Windows ma zamazywać\ninformacje o użytkowniku, który włączył komputer."},
            {"Image12", "Włącza okno związane z\npoprawnością plików w Windows."},
            {"Image13",
             "Blokuje programy wybrane przez użytkownika.\nWystarczy wpisać nazwę programu, np. \"Setup.exe\"."},
        });
}

} // namespace
