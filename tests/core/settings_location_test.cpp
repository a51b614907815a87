#include "core/settings/settings_location.h"

#include "tests/support/fake_environment.h"
#include "tests/support/faulty_system_calls.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <map>

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

const char* const Marker = "../share/applications/kwintor-dostrojnik.desktop";

TEST(SettingsLocation, BesideTheProgramUnlessInstalledOrUnwritable)
{
    struct Case {
        const char* what;
        bool installed;
        bool folderWritable;
        std::map<std::string, std::string> environment;
        const char* expected; // relative to the temporary folder; "beside" for the Windows place
    };
    const Case cases[] = {
        {"a copy in a folder of its own", false, true, {{"XDG_CONFIG_HOME", "/c"}, {"HOME", "/h"}}, "beside"},
        {"installed", true, true, {{"XDG_CONFIG_HOME", "/c"}, {"HOME", "/h"}}, "/c/kwintor-dostrojnik/dostrojnik.ini"},
        {"a folder it may not write", false, false, {{"XDG_CONFIG_HOME", "/c"}}, "/c/kwintor-dostrojnik/dostrojnik.ini"},
        {"no XDG_CONFIG_HOME", true, true, {{"HOME", "/h"}}, "/h/.config/kwintor-dostrojnik/dostrojnik.ini"},
        {"empty XDG_CONFIG_HOME", true, true, {{"XDG_CONFIG_HOME", ""}, {"HOME", "/h"}},
         "/h/.config/kwintor-dostrojnik/dostrojnik.ini"},
        {"relative XDG_CONFIG_HOME", true, true, {{"XDG_CONFIG_HOME", "c"}, {"HOME", "/h"}},
         "/h/.config/kwintor-dostrojnik/dostrojnik.ini"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TemporaryFolder folder;
        fs::create_directories(folder / "usr/bin");
        const fs::path executable = folder / "usr/bin/dostrojnik";
        if (c.installed) {
            fs::create_directories(folder / "usr/share/applications");
            writeText(folder / "usr/share/applications/kwintor-dostrojnik.desktop", "");
        }
        FaultySystemCalls calls;
        if (!c.folderWritable)
            calls.failOn("access", EACCES);

        const fs::path found = core::settingsLocation(executable, Marker, environmentOf(c.environment), calls);
        EXPECT_EQ(found, std::string(c.expected) == "beside" ? folder / "usr/bin/dostrojnik.ini" : fs::path(c.expected));
    }
}

TEST(SettingsLocation, MakesTheMissingFoldersPrivate)
{
    TemporaryFolder folder;
    const fs::path file = folder / "config/kwintor-dostrojnik/dostrojnik.ini";
    core::makeSettingsFolder(file);
    for (const fs::path& made : {folder / "config", folder / "config/kwintor-dostrojnik"}) {
        struct stat info {};
        ASSERT_EQ(stat(made.c_str(), &info), 0) << made;
        EXPECT_EQ(info.st_mode & 0777, 0700u) << made;
    }
    EXPECT_FALSE(fs::exists(file));
}

} // namespace
