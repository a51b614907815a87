// The Crash window on a Wine prefix that a Wine program holds (WINEPREFIX, set up by
// live_prefix_test.sh): each target clicked as a user clicks it writes through our registry
// helper (DOSTROJNIK_REGISTRY_HELPER), and Wine's own `reg query` shows the value at once.

#include "tests/gui/support/gui_fixture.h"

#include "core/registry/live_prefix_registry.h"
#include "core/registry/tregistry.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

using namespace gui_testing;

namespace {

constexpr char kKey[] = "SYSTEM\\CurrentControlSet\\Control\\CrashControl";

struct Click {
    const char* target;
    const char* value;
    const char* shown; // as `wine reg query` prints the value afterwards
};
// Every target once; each click changes what Wine shows, and all values end at 0.
const Click kClicks[] = {
    {"Image8", "AutoReboot", "0x1"}, {"Image9", "AutoReboot", "0x0"},       {"Image11", "SendAlert", "0x1"},
    {"Image12", "SendAlert", "0x0"}, {"Image3", "CrashDumpEnabled", "0x1"}, {"Image13", "CrashDumpEnabled", "0x0"},
    {"Image15", "LogEvent", "0x1"},  {"Image16", "LogEvent", "0x0"},        {"Image5", "Overwrite", "0x1"},
    {"Image17", "Overwrite", "0x0"},
};

std::string variable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The Crash key's DWORD values as `wine reg query` prints them in the prefix, by name.
std::map<std::string, std::string> shownByWine()
{
    std::map<std::string, std::string> shown;
    FILE* query = popen("wine reg query 'HKLM\\SYSTEM\\CurrentControlSet\\Control\\CrashControl' 2>/dev/null", "r");
    if (!query)
        return shown;
    char line[512];
    while (std::fgets(line, sizeof line, query)) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        const auto type = text.find("    REG_DWORD    ");
        if (text.rfind("    ", 0) == 0 && type != std::string::npos)
            shown[text.substr(4, type - 4)] = text.substr(type + 17);
    }
    pclose(query);
    return shown;
}

class LivePrefixClicks : public GuiFixture {
protected:
    // The windows go before the registry they write.
    ~LivePrefixClicks() override { m_windows.reset(); }

    std::unique_ptr<core::WineRegistry> m_files;
    std::unique_ptr<core::LivePrefixRegistry> m_live;
};

TEST_F(LivePrefixClicks, EveryCrashTargetShowsInWineAtOnce)
{
    const std::filesystem::path prefix = variable("WINEPREFIX");
    const std::filesystem::path helper = variable("DOSTROJNIK_REGISTRY_HELPER");
    ASSERT_FALSE(prefix.empty() || helper.empty()) << "WINEPREFIX and DOSTROJNIK_REGISTRY_HELPER name the prefix "
                                                      "and the helper";
    m_files = std::make_unique<core::WineRegistry>(prefix, 2400);
    m_live = std::make_unique<core::LivePrefixRegistry>(*m_files, prefix,
                                                        std::make_unique<core::WineHelperTransport>(prefix, helper));
    std::map<std::string, std::string> expected;
    {
        core::TRegistry registry(*m_live);
        registry.SetRootKey(core::RootKey::LocalMachine);
        ASSERT_TRUE(registry.OpenKey(kKey, true));
        for (const Click& click : kClicks) {
            registry.WriteInteger(click.value, 7);
            expected[click.value] = "0x7";
        }
        registry.SetRootKey(core::RootKey::CurrentUser);
        registry.CreateKey(kPolicyKey);
    }
    ASSERT_EQ(shownByWine(), expected) << "Wine's server does not hold the prefix, or the helper did not write";
    m_registryApi = m_live.get();
    start();
    click(mainWindow(), "Image9");
    runTimers();
    chrome::SectionWindow& crash = section("TForm64");
    for (const Click& row : kClicks) {
        SCOPED_TRACE(row.target);
        click(crash, row.target);
        expected[row.value] = row.shown;
        EXPECT_EQ(shownByWine(), expected);
    }
    EXPECT_TRUE(m_errors.messages.empty()) << m_errors.messages.front();
}

} // namespace
