// The File compatibility window: comments on from creation, two pages, no settings, and its
// options: three command lines and a policy value.

#include "tests/gui/support/gui_fixture.h"

#include "ui/qt/controls.h"
#include "sections/file_compatibility/tform9.h"

#include "core/registry/tregistry.h"

#include <optional>

using namespace gui_testing;

namespace {

class FileCompatibilityTest : public GuiFixture {
protected:
    chrome::SectionWindow& window() { return section("TForm9"); }
    TForm9& pages() { return windows().get<TForm9>(); }
    bool shown(const char* name) { return !component(window(), QString::fromLatin1(name))->isHidden(); }
};

TEST_F(FileCompatibilityTest, CommentsAreOnFromCreationWithTheDescriptionPage)
{
    start();
    runTimers();
    EXPECT_EQ(window().commentsLabel()->text(), QStringLiteral("Tak"));
    EXPECT_TRUE(chrome::hintShown(*window().picture("Image10")));
    EXPECT_TRUE(pages().descriptionPageShown());
    EXPECT_FALSE(pages().commentsPageShown());
    EXPECT_TRUE(shown("Image11"));
    EXPECT_TRUE(shown("Label10"));
    EXPECT_FALSE(shown("Image12"));
    EXPECT_FALSE(shown("Label11"));
    EXPECT_FALSE(shown("Strona24"));
    EXPECT_TRUE(window().timer("Timer3")->isEnabled());
    // The hints, in the order comments mode switches them.
    const std::vector<std::pair<const char*, const char*>> hints = {
        {"Image4", "Minimalizuj"},
        {"Image10", "Zamknij"},
        {"Image5", "Włącza opcję natychmiastowego sprawdzania poprawności plików systemowych.\n"
                   "          WYMAGANA PŁYTA INSTALACYJNA WINDOWS XP PROFESSIONAL"},
        {"Image2", "Konfiguruje, czy pasek podczas\nsprawdzania plików, ma być widoczny."},
        {"Image3", "Konfiguruje, czy system Windows ma automatycznie sprawdzać\n"
                   "poprawność plików systemowych przy starcie komputera."},
    };
    ASSERT_EQ(window().definition().hints.size(), hints.size());
    for (std::size_t i = 0; i < hints.size(); ++i) {
        EXPECT_EQ(window().definition().hints[i].control, hints[i].first);
        EXPECT_EQ(window().picture(QString::fromLatin1(hints[i].first))->toolTip(), QString::fromUtf8(hints[i].second));
    }
}

TEST_F(FileCompatibilityTest, EveryTargetActsAsItsRowSays)
{
    const char* const key = "SOFTWARE\\Policies\\Microsoft\\Windows NT\\Windows File Protection";
    auto progress = [&]() -> std::optional<std::int32_t> {
        core::TRegistry registry(m_registry);
        registry.SetRootKey(core::RootKey::LocalMachine);
        if (!registry.OpenKey(key, false) || !registry.ValueExists("SfcShowProgress"))
            return std::nullopt;
        return registry.ReadInteger("SfcShowProgress");
    };
    start();
    // A new machine has no such key: it is not created, and the write is refused.
    click(window(), QStringLiteral("Image6"));
    EXPECT_EQ(m_errors.messages, std::vector<std::string>{"Failed to set data for 'SfcShowProgress'"});
    {
        core::TRegistry registry(m_registry);
        registry.SetRootKey(core::RootKey::LocalMachine);
        EXPECT_FALSE(registry.OpenKey(key, false));
        registry.CreateKey(key);
    }
    struct Row {
        const char* target;
        std::vector<std::string> commands;
        std::optional<std::int32_t> progressAfter;
    };
    const Row rows[] = {
        {"Image5", {"start sfc /scannow"}, std::nullopt},
        {"Image6", {}, 1},
        {"Image7", {}, 0},
        {"Image8", {"start sfc /scanboot"}, 0},
        {"Image9", {"start sfc /revert"}, 0},
    };
    for (const Row& row : rows) {
        m_commands.clear();
        click(window(), QString::fromLatin1(row.target));
        EXPECT_EQ(m_commands, row.commands) << row.target;
        EXPECT_EQ(progress(), row.progressAfter) << row.target;
    }
    EXPECT_EQ(m_errors.messages.size(), 1u);
}

TEST_F(FileCompatibilityTest, PagingShowsTheArrowOfTheCommentsState)
{
    start();
    runTimers();
    click(window(), "Image11");
    runTimers();
    EXPECT_TRUE(pages().commentsPageShown());
    EXPECT_FALSE(pages().descriptionPageShown());
    EXPECT_TRUE(shown("Strona24"));
    EXPECT_FALSE(shown("Strona25"));
    EXPECT_TRUE(shown("Image12"));
    EXPECT_FALSE(shown("Image11"));

    // Comments off while the comments page is visible: the other arrow at once.
    click(window(), "Strona23");
    runTimers();
    EXPECT_EQ(window().commentsLabel()->text(), QStringLiteral("Nie"));
    EXPECT_TRUE(shown("Strona25"));
    EXPECT_FALSE(shown("Strona24"));
    EXPECT_FALSE(chrome::hintShown(*window().picture("Image4")));

    click(window(), "Image12");
    runTimers();
    EXPECT_TRUE(pages().descriptionPageShown());
    EXPECT_FALSE(shown("Strona25"));
    click(window(), "Image11");
    runTimers();
    EXPECT_TRUE(shown("Strona25"));
    EXPECT_FALSE(shown("Strona24"));
}

// The paging timer ticks slowly while nobody uses the program (here: once an hour); the click
// that ends the spell brings it back, so the page it shows is in step at once.
TEST_F(FileCompatibilityTest, PagingIsInStepAfterAClickThatEndsALongIdleSpell)
{
    m_idlePace.slowPeriod = std::chrono::hours(1);
    start();
    runTimers();
    idleFor(std::chrono::minutes(10));
    chrome::DesignTimer* paging = window().timer("Timer3");
    ASSERT_EQ(paging->period(), 3600000);
    EXPECT_TRUE(paging->isEnabled());
    EXPECT_EQ(paging->interval(), 1);

    click(window(), "Image11");
    runTimers();
    EXPECT_TRUE(pages().commentsPageShown());
    EXPECT_TRUE(shown("Strona24"));
    EXPECT_TRUE(shown("Image12"));
    EXPECT_TRUE(shown("Label11"));
    EXPECT_FALSE(shown("Image11"));
    EXPECT_FALSE(shown("Label10"));

    // Another spell, then the way back.
    idleFor(std::chrono::minutes(10));
    click(window(), "Image12");
    runTimers();
    EXPECT_TRUE(pages().descriptionPageShown());
    EXPECT_FALSE(shown("Strona24"));
    EXPECT_TRUE(shown("Image11"));
    EXPECT_FALSE(shown("Image12"));
}

TEST_F(FileCompatibilityTest, ClosingWritesNoSettings)
{
    start();
    window().show();
    click(window(), "Image10");
    EXPECT_FALSE(window().isVisible());
    EXPECT_FALSE(settingsExist());
    EXPECT_TRUE(m_errors.messages.empty());
}

} // namespace
