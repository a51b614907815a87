#include "core/registry/live_prefix_registry.h"

#include "tests/support/fake_environment.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

using namespace testing_support;
namespace fs = std::filesystem;

TEST(RegistryHelper, BesideTheProgramElseWhereItIsInstalledElseNamedByTheEnvironment)
{
    struct Case {
        const char* what;
        const char* file; // made below the temporary folder; none when empty
        const char* named;
        const char* expected; // below the temporary folder, or as named
    };
    const Case cases[] = {
        {"beside", "usr/bin/dostrojnik-registry.exe", "/named.exe", "usr/bin/dostrojnik-registry.exe"},
        {"installed", "usr/libexec/kwintor-dostrojnik/dostrojnik-registry.exe", "/named.exe",
         "usr/libexec/kwintor-dostrojnik/dostrojnik-registry.exe"},
        {"a folder of that name is no helper", "usr/libexec/kwintor-dostrojnik/dostrojnik-registry.exe/x", "/named.exe",
         "/named.exe"},
        {"named", "", "/named.exe", "/named.exe"},
        {"none", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TemporaryFolder folder;
        fs::create_directories(folder / "usr/bin");
        if (*c.file) {
            fs::create_directories((folder / c.file).parent_path());
            writeText(folder / c.file, "MZ");
        }
        const fs::path found =
            core::registryHelperFor(folder / "usr/bin/dostrojnik-reg", "../libexec/kwintor-dostrojnik",
                                    environmentOf({{"DOSTROJNIK_REGISTRY_HELPER", c.named}}));
        const std::string expected = c.expected;
        EXPECT_EQ(found, expected.empty() || expected[0] == '/' ? fs::path(expected) : folder / expected);
    }
}
