// The Internet window: its option rows on a new machine and with their keys there, its hints and
// settings section, the two edit boxes that store their text at every key release, the loaders
// of one second after start, and the plug-in remover.

#include "tests/gui/support/gui_fixture.h"

#include "core/registry/tregistry.h"
#include "core/registry/value_data.h"
#include "tests/support/faulty_system_calls.h"
#include "tests/support/forwarding_registry.h"

#include <QLineEdit>

#include <algorithm>
#include <cerrno>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

using namespace gui_testing;
using core::RootKey;
namespace fs = std::filesystem;

namespace {

constexpr char kBrowser[] = "Software\\Microsoft\\Internet Explorer";
constexpr char kMain[] = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr char kSettings[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr char kRestrictions[] = "Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions";

constexpr RootKey kUser = RootKey::CurrentUser;

// Each connection target writes its number into MaxConnectionsPer1_0Server, then into
// MaxConnectionsPerServer.
const std::vector<RowWrite> kConnections = {
    {"Image4", kUser, kSettings, "MaxConnectionsPer1_0Server", dword(1)},
    {"Image5", kUser, kSettings, "MaxConnectionsPer1_0Server", dword(2)},
    {"Image14", kUser, kSettings, "MaxConnectionsPer1_0Server", dword(3)},
    {"Image15", kUser, kSettings, "MaxConnectionsPer1_0Server", dword(4)},
    {"Image16", kUser, kSettings, "MaxConnectionsPer1_0Server", dword(5)},
    {"Image17", kUser, kSettings, "MaxConnectionsPer1_0Server", dword(6)},
    {"Image18", kUser, kSettings, "MaxConnectionsPer1_0Server", dword(7)},
    {"Image19", kUser, kSettings, "MaxConnectionsPer1_0Server", dword(8)},
    {"Image20", kUser, kSettings, "MaxConnectionsPer1_0Server", dword(9)},
    {"Image21", kUser, kSettings, "MaxConnectionsPer1_0Server", dword(10)},
};

const std::vector<RowWrite> kRestrictionTable = {
    {"Image24", kUser, kRestrictions, "NoFavorites", dword(0)},
    {"Image25", kUser, kRestrictions, "NoFavorites", dword(1)},
    {"Image9", kUser, kRestrictions, "AlwaysPromptWhenDownload", dword(1)},
    {"Image26", kUser, kRestrictions, "AlwaysPromptWhenDownload", dword(0)},
    {"Image8", kUser, kRestrictions, "NoPrinting", dword(0)},
    {"Image27", kUser, kRestrictions, "NoPrinting", dword(1)},
    {"Image29", kUser, kRestrictions, "NoViewSource", dword(0)},
    {"Image30", kUser, kRestrictions, "NoViewSource", dword(1)},
    {"Image31", kUser, kRestrictions, "NoBrowserOptions", dword(0)},
    {"Image32", kUser, kRestrictions, "NoBrowserOptions", dword(1)},
    {"Image34", kUser, kRestrictions, "NoNavButtons", dword(0)},
    {"Image35", kUser, kRestrictions, "NoNavButtons", dword(1)},
};

const std::vector<std::pair<const char*, const char*>> kHints = {
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

class InternetSectionTest : public GuiFixture {
protected:
    InternetSectionTest()
        : m_before(fs::current_path())
        , m_plugins(m_folder / "machine" / "drive_c" / "Program Files" / "Internet Explorer" / "Plugins")
    {
    }
    // The remover's list makes the plug-in folder the current folder.
    ~InternetSectionTest() override { fs::current_path(m_before); }

    chrome::SectionWindow& openInternet()
    {
        click(mainWindow(), QStringLiteral("Image12"));
        runTimers();
        return section("TForm7");
    }
    QLineEdit& edit(const char* name) { return widget<QLineEdit>(section("TForm7"), QString::fromLatin1(name)); }

    void writeRegistry(const char* path, const char* name, const std::string& value)
    {
        core::TRegistry registry(m_registry);
        ASSERT_TRUE(registry.OpenKey(path, true));
        registry.WriteString(name, value);
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

TEST_F(InternetSectionTest, EveryTargetChangesTheRegistryAsItsRowSays)
{
    start();
    chrome::SectionWindow& internet = openInternet();
    EXPECT_EQ(internet.windowTitle(), QStringLiteral("Internet"));
    EXPECT_EQ(internet.size(), QSize(460, 419));
    expectHints(internet, kHints);

    // A new machine: no key is created, each click's first write fails and reaches the error box.
    expectRowsNeedTheirKeys(internet, kConnections);
    expectRowsNeedTheirKeys(internet, kRestrictionTable);
    // Without typed addresses the history button says nothing.
    click(internet, QStringLiteral("Image2"));
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
        click(internet, QString::fromLatin1(row.target));
        EXPECT_EQ(keyValues(kUser, kSettings),
                  (Values{{"EnableHttp1_1", dword(1)}, {row.value, row.data}, {"MaxConnectionsPerServer", row.data}}))
            << row.target;
        EXPECT_TRUE(component(internet, QString::fromLatin1(row.target))->toolTip().isEmpty()) << row.target;
    }
    expectRowsWrite(internet, kRestrictionTable);
    click(internet, QStringLiteral("Image2"));
    EXPECT_EQ(keyValues(kUser, std::string(kBrowser) + "\\TypedURLs"), std::nullopt);
    EXPECT_EQ(keyValues(kUser, kBrowser), (Values{{"Download Directory", text(u"C:\\Pobrane")}}));
    EXPECT_TRUE(m_errors.messages.empty());
    EXPECT_TRUE(m_commands.empty());

    click(internet, QStringLiteral("Image28"));
    EXPECT_NE(settingsText().find("[Internet]\r\n"), std::string::npos) << settingsText();
}

TEST_F(InternetSectionTest, TheEditBoxesStoreTheirTextAtEveryKeyRelease)
{
    RecordingRegistry recording(m_registry);
    m_registryApi = &recording;
    start();
    openInternet();
    runTimers(1000); // the loaders have filled the boxes (empty on a new machine)

    // Each key released, whatever it is, writes the box's whole text; an emptied start page is
    // stored empty and then as the blank page, and the box stays empty.
    struct Step {
        const char* edit;
        Qt::Key key;
        const char16_t* shown;
        std::vector<std::pair<std::string, Value>> writes;
    };
    const std::vector<Step> steps = {
        {"Edit1", Qt::Key_W, u"w", {{"Start Page", text(u"w")}}},
        {"Edit1", Qt::Key_P, u"wp", {{"Start Page", text(u"wp")}}},
        {"Edit1", Qt::Key_Left, u"wp", {{"Start Page", text(u"wp")}}},
        {"Edit1", Qt::Key_Delete, u"w", {{"Start Page", text(u"w")}}},
        {"Edit1", Qt::Key_Backspace, u"", {{"Start Page", text(u"")}, {"Start Page", text(u"about:blank")}}},
        {"Edit1", Qt::Key_Shift, u"", {{"Start Page", text(u"")}, {"Start Page", text(u"about:blank")}}},
        {"Edit2", Qt::Key_D, u"d", {{"Download Directory", text(u"d")}}},
        {"Edit2", Qt::Key_Backspace, u"", {{"Download Directory", text(u"")}}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::Message() << step.edit << ", key " << int(step.key));
        recording.writes.clear();
        QTest::keyClick(&edit(step.edit), step.key);
        EXPECT_EQ(edit(step.edit).text(), QString::fromUtf16(step.shown));
        EXPECT_EQ(recording.writes, step.writes);
    }
    EXPECT_EQ(keyValues(RootKey::CurrentUser, kMain), (Values{{"Start Page", text(u"about:blank")}}));
    EXPECT_EQ(keyValues(RootKey::CurrentUser, kBrowser), (Values{{"Download Directory", text(u"")}}));
    EXPECT_TRUE(m_errors.messages.empty());
}

TEST_F(InternetSectionTest, TheLoadersShowTheValuesOfOneSecondAfterStart)
{
    writeRegistry(kMain, "Start Page", "http://kwintor.pl/");
    {
        core::TRegistry registry(m_registry);
        ASSERT_TRUE(registry.OpenKey(kBrowser, true));
        registry.WriteInteger("Download Directory", 7);
    }
    start();
    runTimers(990);
    EXPECT_EQ(edit("Edit1").text(), QString());
    runTimers(10);
    EXPECT_EQ(edit("Edit1").text(), QStringLiteral("http://kwintor.pl/"));
    // A value of another type leaves its box empty and is reported once, not every second.
    EXPECT_EQ(edit("Edit2").text(), QString());
    writeRegistry(kMain, "Start Page", "about:blank");
    writeRegistry(kBrowser, "Download Directory", "C:\\Pobrane");
    runTimers(5000);
    openInternet();
    EXPECT_EQ(edit("Edit1").text(), QStringLiteral("http://kwintor.pl/"));
    EXPECT_EQ(edit("Edit2").text(), QString());
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

class PluginRemoverTest : public InternetSectionTest, public ::testing::WithParamInterface<RemoverCase> {};

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
    chrome::SectionWindow& internet = openInternet();
    click(internet, QStringLiteral("Image13"));
    runTimers(10);
    if (c.files && !c.linkToHost) {
        EXPECT_EQ(plugins(), c.afterFirstTick);
    }
    // A click while it runs changes nothing.
    click(internet, QStringLiteral("Image13"));
    runTimers(200);
    EXPECT_FALSE(internet.timer(QStringLiteral("Timer5"))->isEnabled());
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
TEST_F(InternetSectionTest, ReadOnlyPluginFolder)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root ignores file permissions";
    makePlugins({"a.dll", "b.dll"});
    ASSERT_EQ(chmod(m_plugins.c_str(), 0555), 0);
    start();
    chrome::SectionWindow& internet = openInternet();
    click(internet, QStringLiteral("Image13"));
    runTimers(200);
    chmod(m_plugins.c_str(), 0755);
    EXPECT_FALSE(internet.timer(QStringLiteral("Timer5"))->isEnabled());
    EXPECT_EQ(plugins(), (std::vector<std::string>{"a.dll", "b.dll"}));
    const std::string folder = "Cannot delete the file C:\\Program Files\\Internet Explorer\\Plugins\\";
    EXPECT_EQ(m_errors.messages,
              (std::vector<std::string>{folder + "a.dll: Permission denied", folder + "b.dll: Permission denied"}));
}

} // namespace
