// The File compatibility window: comments on from creation, two pages, no settings, and its
// options: three command lines and a policy value.

#include "tests/behaviour/support/behaviour_fixture.h"

#include "sections/definitions.h"
#include "sections/file_compatibility/tform9.h"

using namespace behaviour_testing;

namespace {

constexpr char kKey[] = "SOFTWARE\\Policies\\Microsoft\\Windows NT\\Windows File Protection";

// In the order comments mode switches them on.
const Hints kHints = {
    {"Image4", "Minimalizuj"},
    {"Image10", "Zamknij"},
    {"Image5", "Włącza opcję natychmiastowego sprawdzania poprawności plików systemowych.\n"
               "          WYMAGANA PŁYTA INSTALACYJNA WINDOWS XP PROFESSIONAL"},
    {"Image2", "Konfiguruje, czy pasek podczas\nsprawdzania plików, ma być widoczny."},
    {"Image3", "Konfiguruje, czy system Windows ma automatycznie sprawdzać\n"
               "poprawność plików systemowych przy starcie komputera."},
};

class FileCompatibilityWindowTest : public BehaviourFixture {
protected:
    // Created with the program, never opened from the main menu.
    void SetUp() override { m_pages = &build<TForm9>(sections::fileCompatibilityDefinition()); }
    // The timers' ticks due after a click: the comments timers, then the paging watcher.
    void settle()
    {
        fake().tickAll();
        fake().tickAll();
    }
    // Which of these parts show, in this order.
    std::vector<bool> shown(std::initializer_list<const char*> names)
    {
        std::vector<bool> visible;
        for (const char* name : names)
            visible.push_back(fake().part(name)->isVisible());
        return visible;
    }

    TForm9* m_pages = nullptr;
};

TEST_F(FileCompatibilityWindowTest, CommentsAreOnFromCreationWithTheDescriptionPage)
{
    settle();
    EXPECT_EQ(fake().fakeLabel("Label2").text(), "Tak");
    EXPECT_TRUE(m_pages->descriptionPageShown());
    EXPECT_FALSE(m_pages->commentsPageShown());
    EXPECT_EQ(shown({"Image11", "Label10", "Image12", "Label11", "Strona24"}),
              (std::vector<bool>{true, true, false, false, false}));
    EXPECT_TRUE(fake().fakeTimer("Timer3").isEnabled());
    expectHints(sections::fileCompatibilityDefinition(), kHints);
}

TEST_F(FileCompatibilityWindowTest, EveryTargetActsAsItsRowSays)
{
    // A new machine has no such key: it is not created, and the write is refused.
    click("Image6");
    EXPECT_EQ(m_errors.messages, std::vector<std::string>{"Failed to set data for 'SfcShowProgress'"});
    EXPECT_EQ(keyValues(core::RootKey::LocalMachine, kKey), std::nullopt);
    seed(core::RootKey::LocalMachine, kKey);
    struct Row {
        const char* target;
        std::vector<std::string> commands;
        Values after;
    };
    const Row rows[] = {
        {"Image5", {"start sfc /scannow"}, {}},
        {"Image6", {}, {{"SfcShowProgress", dword(1)}}},
        {"Image7", {}, {{"SfcShowProgress", dword(0)}}},
        {"Image8", {"start sfc /scanboot"}, {{"SfcShowProgress", dword(0)}}},
        {"Image9", {"start sfc /revert"}, {{"SfcShowProgress", dword(0)}}},
    };
    for (const Row& row : rows) {
        m_commands.clear();
        click(row.target);
        EXPECT_EQ(m_commands, row.commands) << row.target;
        EXPECT_EQ(keyValues(core::RootKey::LocalMachine, kKey), row.after) << row.target;
    }
    EXPECT_EQ(m_errors.messages.size(), 1u);
}

TEST_F(FileCompatibilityWindowTest, PagingShowsTheArrowOfTheCommentsState)
{
    settle();
    click("Image11");
    settle();
    EXPECT_TRUE(m_pages->commentsPageShown());
    EXPECT_FALSE(m_pages->descriptionPageShown());
    EXPECT_EQ(shown({"Strona24", "Strona25", "Image12", "Label11", "Image11", "Label10"}),
              (std::vector<bool>{true, false, true, true, false, false}));

    // Comments off while the comments page is visible: the other arrow at once.
    click("Strona23");
    settle();
    EXPECT_EQ(fake().fakeLabel("Label2").text(), "Nie");
    EXPECT_EQ(shown({"Strona24", "Strona25"}), (std::vector<bool>{false, true}));
    EXPECT_FALSE(fake().part("Image4")->hintShown());

    click("Image12");
    settle();
    EXPECT_TRUE(m_pages->descriptionPageShown());
    EXPECT_EQ(shown({"Strona25", "Image11", "Image12"}), (std::vector<bool>{false, true, false}));
    click("Image11");
    settle();
    EXPECT_EQ(shown({"Strona24", "Strona25"}), (std::vector<bool>{false, true}));
}

TEST_F(FileCompatibilityWindowTest, ClosingWritesNoSettings)
{
    fake().setVisible(true);
    click("Image10");
    EXPECT_FALSE(fake().isVisible());
    EXPECT_FALSE(std::filesystem::exists(m_settingsPath));
    EXPECT_TRUE(m_errors.messages.empty());
}

} // namespace
