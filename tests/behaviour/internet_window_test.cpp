// The Internet window: its option rows on a new machine and with their keys there, its hints and
// settings section, the two edit boxes that store their text at every key release, the loaders
// that run once after start, and the plug-in remover.

#include "tests/behaviour/support/behaviour_fixture.h"

#include "sections/definitions.h"
#include "sections/internet/tform7.h"

#include "tests/support/faulty_system_calls.h"
#include "tests/support/forwarding_registry.h"

#include <algorithm>
#include <cerrno>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

using namespace behaviour_testing;
using core::RootKey;
using testing_support::Value;
namespace fs = std::filesystem;

namespace {

constexpr char kBrowser[] = "Software\\Microsoft\\Internet Explorer";
constexpr char kMain[] = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr char kSettings[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr char kRestrictions[] = "Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions";

constexpr RootKey kUser = RootKey::CurrentUser;

// The connection targets 1 to 10 write their number into MaxConnectionsPer1_0Server, then into
// MaxConnectionsPerServer.
const std::vector<RowWrite> kConnections = [] {
    std::vector<RowWrite> rows;
    for (const char* target :
         {"Image4", "Image5", "Image14", "Image15", "Image16", "Image17", "Image18", "Image19", "Image20", "Image21"})
        rows.push_back({target, kUser, kSettings, "MaxConnectionsPer1_0Server", dword(std::uint32_t(rows.size() + 1))});
    return rows;
}();

const std::vector<RowWrite> kRestrictionTable =
    switchRows(kUser, kRestrictions,
               {{"Image24", "Image25", "NoFavorites", dword(0), dword(1)},
                {"Image9", "Image26", "AlwaysPromptWhenDownload", dword(1), dword(0)},
                {"Image8", "Image27", "NoPrinting", dword(0), dword(1)},
                {"Image29", "Image30", "NoViewSource", dword(0), dword(1)},
                {"Image31", "Image32", "NoBrowserOptions", dword(0), dword(1)},
                {"Image34", "Image35", "NoNavButtons", dword(0), dword(1)}});

const Hints kHints = {
    {"Image28", "Zamknij"},
    {"Image10", "Minimalizuj"},
    {"Image2", "Czyści wpisy rejestru, w których zawarta\njest informacja o ostatnio otwieranych stronach."},
    {"Image13", "Niszczy wszystkie dodatkowe pluginy, które \nzostały zainstalowane przez użytkownika przeglądarki."},
    {"Image22", "Ustanawia, ile można pobierać plików przy\nwłączonej jednej stronie internetowej."},
    {"Image23", "Włącza lub wyłącza dostęp do menu i zakładki \"Ulubione\"."},
    {"Image6", "Włącza lub wyłącza okno wyświetlające się\npodczas pobieraniu plików z internetu."},
    {"Image7", "Konfiguruje dostęp do elementów \"Drukuj\"\ni \"Podgląd wydruku\" z menu Plik."},
    {"Image3",
     "Włącza lub wyłącza dostęp do podglądu kodu \nstrony . Menu \u201cŹródło\u201d znajduje się w menu Widok."},
    {"Image12", "Zmienia domyślną ścieżkę zapisu plików\nz internetu na podaną przez użytkownika."},
    {"Image11", "Włącza lub wyłącza dostęp do menu \"Opcje\ninternetowe\" znajdującego się w menu Narzędzia."},
    {"Image33", "Włącza lub wyłącza dostęp do przcisków \"Wstecz\" oraz\n\"Dalej\". W wypadku wyłączenia przycisków "
                "poprawne\nporuszanie się po stronach będzie niemożliwe."},
    {"Image36", "Zmienia stronę startową na podaną przez użytkownika."},
};

// Every value written, in order.
class RecordingRegistry final : public testing_support::ForwardingRegistry {
public:
    using ForwardingRegistry::ForwardingRegistry;
    core::RegStatus setValue(core::KeyHandle key, std::string_view name, std::uint32_t type,
                             std::span<const std::uint8_t> data) override
    {
        writes.push_back({std::string(name), {type, {data.begin(), data.end()}}});
        return m_inner.setValue(key, name, type, data);
    }
    std::vector<std::pair<std::string, Value>> writes;
};

class InternetWindowTest : public BehaviourFixture {
protected:
    InternetWindowTest()
        : m_before(fs::current_path())
        , m_plugins(m_folder / "machine" / "drive_c" / "Program Files" / "Internet Explorer" / "Plugins")
    {
    }
    // The remover's list makes the plug-in folder the current folder.
    ~InternetWindowTest() override { fs::current_path(m_before); }

    // Created at start: the loaders wait a second.
    void start() { build<TForm7>(sections::internetDefinition()); }
    testing_support::FakeEditBox& edit(const char* name) { return fake().fake<testing_support::FakeEditBox>(name); }
    testing_support::FakeTimer& remover() { return fake().fakeTimer("Timer5"); }
    // The remover's ticks, at most `ticks` of them.
    void removerTicks(int ticks)
    {
        for (int i = 0; i < ticks; ++i)
            remover().tick();
    }

    // A name ending in '/' is a folder.
    void makePlugins(const std::vector<std::string>& files)
    {
        fs::create_directories(m_plugins);
        for (const std::string& file : files) {
            if (file.ends_with('/'))
                fs::create_directory(m_plugins / file);
            else
                std::ofstream(m_plugins / file) << "MZ";
        }
    }
    std::vector<std::string> plugins() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_plugins))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path m_before;
    fs::path m_plugins;
};

TEST_F(InternetWindowTest, EveryTargetChangesTheRegistryAsItsRowSays)
{
    open<TForm7>(sections::internetDefinition());
    expectHints(sections::internetDefinition(), kHints);

    // A new machine: no key is created, each click's first write fails and reaches the error box.
    expectRowsNeedTheirKeys(kConnections);
    expectRowsNeedTheirKeys(kRestrictionTable);
    // Without typed addresses the history button says nothing.
    click("Image2");
    EXPECT_TRUE(m_errors.messages.empty());
    EXPECT_EQ(keyValues(kUser, kBrowser), std::nullopt);

    // With the keys there.
    seed(kUser, kSettings, {{"MaxConnectionsPerServer", dword(2)}, {"EnableHttp1_1", dword(1)}});
    seed(kUser, kRestrictions);
    seed(kUser, std::string(kBrowser) + "\\TypedURLs\\Inner");
    seed(kUser, std::string(kBrowser) + "\\TypedURLs",
         {{"url1", text(u"http://a.pl/")}, {"url2", text(u"http://b.pl/")}});
    seed(kUser, kBrowser, {{"Download Directory", text(u"C:\\Pobrane")}});
    for (const RowWrite& row : kConnections) {
        click(row.target);
        EXPECT_EQ(keyValues(kUser, kSettings),
                  (Values{{"EnableHttp1_1", dword(1)}, {row.value, row.data}, {"MaxConnectionsPerServer", row.data}}))
            << row.target;
        EXPECT_TRUE(fake().part(row.target)->hint().empty()) << row.target;
    }
    expectRowsWrite(kRestrictionTable);
    click("Image2");
    EXPECT_EQ(keyValues(kUser, std::string(kBrowser) + "\\TypedURLs"), std::nullopt);
    EXPECT_EQ(keyValues(kUser, kBrowser), (Values{{"Download Directory", text(u"C:\\Pobrane")}}));
    EXPECT_TRUE(m_errors.messages.empty());
    EXPECT_TRUE(m_commands.empty());

    click("Image28");
    EXPECT_NE(settingsText().find("[Internet]\r\n"), std::string::npos) << settingsText();
}

TEST_F(InternetWindowTest, TheEditBoxesStoreTheirTextAtEveryKeyRelease)
{
    RecordingRegistry recording(m_machineRegistry);
    m_registryApi = &recording;
    start();
    fake().tickAll(); // the loaders have filled the boxes (empty on a new machine)

    // Each key released, whatever it is, writes the box's whole text; an emptied start page is
    // stored empty and then as the blank page, and the box stays empty.
    struct Step {
        const char* edit;
        std::string typed;
        std::vector<std::pair<std::string, Value>> writes;
    };
    const std::vector<Step> steps = {
        {"Edit1", "w", {{"Start Page", text(u"w")}}},
        {"Edit1", "wp", {{"Start Page", text(u"wp")}}},
        {"Edit1", "wp", {{"Start Page", text(u"wp")}}},
        {"Edit1", "", {{"Start Page", text(u"")}, {"Start Page", text(u"about:blank")}}},
        {"Edit1", "", {{"Start Page", text(u"")}, {"Start Page", text(u"about:blank")}}},
        {"Edit2", "d", {{"Download Directory", text(u"d")}}},
        {"Edit2", "", {{"Download Directory", text(u"")}}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::Message() << step.edit << " \"" << step.typed << '"');
        recording.writes.clear();
        edit(step.edit).setText(step.typed);
        edit(step.edit).onKeyUp();
        EXPECT_EQ(edit(step.edit).text(), step.typed);
        EXPECT_EQ(recording.writes, step.writes);
    }
    EXPECT_EQ(keyValues(kUser, kMain), (Values{{"Start Page", text(u"about:blank")}}));
    EXPECT_EQ(keyValues(kUser, kBrowser), (Values{{"Download Directory", text(u"")}}));
    EXPECT_TRUE(m_errors.messages.empty());
}

TEST_F(InternetWindowTest, TheLoadersShowTheValuesOfOneSecondAfterStart)
{
    seed(kUser, kMain, {{"Start Page", text(u"http://kwintor.pl/")}});
    seed(kUser, kBrowser, {{"Download Directory", dword(7)}});
    start();
    EXPECT_EQ(edit("Edit1").text(), "");
    for (const char* loader : {"Timer1", "Timer2"}) {
        EXPECT_EQ(fake().fakeTimer(loader).interval(), 1000) << loader;
        fake().fakeTimer(loader).tick();
    }
    EXPECT_EQ(edit("Edit1").text(), "http://kwintor.pl/");
    // A value of another type leaves its box empty and is reported once, not every second.
    EXPECT_EQ(edit("Edit2").text(), "");
    seed(kUser, kMain, {{"Start Page", text(u"about:blank")}});
    seed(kUser, kBrowser, {{"Download Directory", text(u"C:\\Pobrane")}});
    for (int second = 0; second < 5; ++second)
        fake().tickAll();
    fake().setVisible(true);
    EXPECT_EQ(edit("Edit1").text(), "http://kwintor.pl/");
    EXPECT_EQ(edit("Edit2").text(), "");
    EXPECT_EQ(m_errors.messages, std::vector<std::string>{"Invalid data type for 'Download Directory'"});
}

// The plug-in folder before the click, the unlink call that fails (0: none), the files left
// after the first tick and at the end, and what reached the error box.
struct RemoverCase {
    const char* name;
    std::optional<std::vector<std::string>> files; // none: no plug-in folder
    int refusedUnlink;
    std::vector<std::string> afterFirstTick;
    std::vector<std::string> left;
    std::vector<std::string> errors;
    bool linkToHost = false; // the plug-in folder a link to a host folder holding `files`
};

class PluginRemoverTest : public InternetWindowTest, public ::testing::WithParamInterface<RemoverCase> {};

TEST_P(PluginRemoverTest, DeletesOneFilePerTickAndStopsWhenNothingDeletableIsLeft)
{
    const RemoverCase& c = GetParam();
    const fs::path host = m_folder / "host";
    if (c.files)
        makePlugins(*c.files);
    if (c.linkToHost) {
        fs::rename(m_plugins, host);
        fs::create_directory_symlink(host, m_plugins);
    }
    testing_support::FaultySystemCalls faulty;
    if (c.refusedUnlink) {
        faulty.failOn("unlinkat", EBUSY, c.refusedUnlink);
        m_calls = &faulty;
    }
    start();
    click("Image13");
    removerTicks(1);
    if (c.files && !c.linkToHost) {
        EXPECT_EQ(plugins(), c.afterFirstTick);
    }
    // A click while it runs changes nothing.
    click("Image13");
    removerTicks(20);
    EXPECT_FALSE(remover().isEnabled());
    if (c.linkToHost) {
        EXPECT_TRUE(fs::exists(host / "a.dll"));
        EXPECT_TRUE(fs::exists(host / "b.dll"));
    } else if (c.files) {
        EXPECT_EQ(plugins(), c.left);
    } else {
        EXPECT_FALSE(fs::exists(m_plugins.parent_path()));
    }
    EXPECT_EQ(m_errors.messages, c.errors);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, PluginRemoverTest,
    ::testing::Values(
        // "1" is a plug-in like any other; folders are no plug-ins.
        RemoverCase{"SeveralFiles",
                    std::vector<std::string>{"b.dll", "1", "A.dll", "np32.txt", "Folder/"},
                    0,
                    {"A.dll", "Folder", "b.dll", "np32.txt"},
                    {"Folder"},
                    {}},
        RemoverCase{"EmptyFolder", std::vector<std::string>{}, 0, {}, {}, {}},
        RemoverCase{"MissingFolder", std::nullopt, 0, {}, {}, {}},
        RemoverCase{"OneUndeletableFile",
                    std::vector<std::string>{"a.dll", "b.dll", "c.dll"},
                    2,
                    {"b.dll", "c.dll"},
                    {"b.dll"},
                    {"Cannot delete the file C:\\Program Files\\Internet Explorer\\Plugins\\b.dll: "
                     "Device or resource busy"}},
        RemoverCase{"LinkToAHostFolder", std::vector<std::string>{"a.dll", "b.dll"}, 0, {}, {}, {}, true}),
    [](const ::testing::TestParamInfo<RemoverCase>& test) { return std::string(test.param.name); });

// Runs as an ordinary user (root may delete anywhere); ctest starts it so when the build is root's.
TEST_F(InternetWindowTest, ReadOnlyPluginFolder)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root ignores file permissions";
    makePlugins({"a.dll", "b.dll"});
    ASSERT_EQ(chmod(m_plugins.c_str(), 0555), 0);
    start();
    click("Image13");
    removerTicks(20);
    chmod(m_plugins.c_str(), 0755);
    EXPECT_FALSE(remover().isEnabled());
    EXPECT_EQ(plugins(), (std::vector<std::string>{"a.dll", "b.dll"}));
    const std::string folder = "Cannot delete the file C:\\Program Files\\Internet Explorer\\Plugins\\";
    EXPECT_EQ(m_errors.messages,
              (std::vector<std::string>{folder + "a.dll: Permission denied", folder + "b.dll: Permission denied"}));
}

} // namespace
