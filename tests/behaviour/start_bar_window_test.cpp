// The Start bar window: its sixteen options write into the Explorer's "Advanced" key of the
// current user only when it exists, its hints, and the settings section it closes into.

#include "tests/behaviour/support/behaviour_fixture.h"

#include "sections/definitions.h"
#include "sections/plain_windows.h"

using namespace behaviour_testing;
using core::RootKey;

namespace {

constexpr char kAdvanced[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";

const std::vector<RowWrite> kTable =
    switchRows(RootKey::CurrentUser, kAdvanced,
               {{"Image10", "Image14", "CascadeControlPanel", text(u"YES"), text(u"NO")},
                {"Image15", "Image16", "CascadeMyDocuments", text(u"YES"), text(u"NO")},
                {"Image19", "Image26", "CascadeMyPictures", text(u"YES"), text(u"NO")},
                {"Image27", "Image4", "CascadeNetworkConnections", text(u"YES"), text(u"NO")},
                {"Image29", "Image30", "CascadePrinters", text(u"YES"), text(u"NO")},
                {"Image39", "Image37", "ClearRecentDocsOnExit", text(u"YES"), text(u"NO")},
                {"Image20", "Image24", "NoFavoritesMenu", dword(0), dword(1)},
                {"Image40", "Image41", "NoRecentDocsMenu", dword(0), dword(1)},
                {"Image21", "Image42", "NoRun", dword(0), dword(1)},
                {"Image44", "Image45", "NoSMMyDocs", dword(0), dword(1)},
                {"Image33", "Image31", "NoSMMyPictures", dword(0), dword(1)},
                {"Image36", "Image34", "StartMenuAdminTools", text(u"YES"), text(u"NO")},
                {"Image23", "Image46", "NoStartMenuMFUprogramsList", dword(0), dword(1)},
                {"Image47", "Image48", "NoStartMenuPinnedList", dword(0), dword(1)},
                {"Image49", "Image50", "NoStartMenuMorePrograms", dword(0), dword(1)},
                {"Image51", "Image52", "NoStartMenuMyMusic", dword(0), dword(1)}});

const Hints kHints = {
    {"Image9", "Włącza lub wyłącza rozwijanie\nmenu Panel sterowania."},
    {"Image2", "Włącza lub wyłącza rozwijanie\nmenu Moje dokumenty."},
    {"Image18", "Włącza lub wyłącza rozwijanie\nmenu Mojhe obrazy."},
    {"Image28", "Włącza lub wyłącza rozwijanie\nmenu Połączenia sieciowe."},
    {"Image5", "Włącza lub wyłącza rozwijanie\nmenu Drukarki i faksy."},
    {"Image38", "Włącza lub wyłącza automatyczne\nczyszczenie historii skrótów."},
    {"Image6", "Włącza lub wyłącza menu Ulubione."},
    {"Image25", "Włącza lub wyłącza menu Dokumenty."},
    {"Image11", "Włącza lub wyłącza menu Uruchom."},
    {"Image43", "Włącza lub wyłącza menu Moje dokumenty."},
    {"Image32", "Włącza lub wyłącza menu Moje obrazy."},
    {"Image35", "Włącza lub wyłącza menu Narzędzia administracyjne."},
    {"Image22", "Włącza lub wyłącza listę\nostatnio używanych programów."},
    {"Image7", "Włącza lub wyłącza miejsce w menu Internet i Poczta."},
    {"Image8", "Włącza lub wyłącza menu Wszystkie programy."},
    {"Image13", "Włącza lub wyłącza menu Moja muzyka."},
    {"Image3", "Minimalizuj"},
    {"Image17", "Zamknij"},
};

class StartBarWindowTest : public BehaviourFixture {
protected:
    void SetUp() override { open<TForm26>(sections::startBarDefinition()); }
};

TEST_F(StartBarWindowTest, EveryTargetWritesItsValueOnlyIntoAnExistingKey)
{
    expectHints(sections::startBarDefinition(), kHints);

    expectRowsNeedTheirKeys(kTable);
    seed(RootKey::CurrentUser, kAdvanced, {{"Hidden", dword(2)}});
    expectRowsWrite(kTable);
    EXPECT_EQ(keyValues(RootKey::CurrentUser, kAdvanced)->at("Hidden"), dword(2));

    // The settings section is spelt with a capital S, unlike the caption.
    click("Image17");
    EXPECT_NE(settingsText().find("[Pasek Start]\r\n"), std::string::npos) << settingsText();
    EXPECT_EQ(settingsText().find("[Pasek start]"), std::string::npos);
}

} // namespace
