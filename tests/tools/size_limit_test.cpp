// Hives and registry editor files larger than the tools read: refused before they are read, with
// a message and status 1, in the machine, in a restore point or given to `import`; and a tool
// that runs out of memory says so and ends with status 1. The large files are sparse, so
// nothing here writes more than a few bytes.

#include "tests/support/temporary_folder.h"
#include "tests/tools/tool_process.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using testing_support::TemporaryFolder;

// A new file of `size` bytes in place of whatever `path` was; a point's hive is a second name of
// the machine's, so the name is unlinked rather than the file truncated.
void makeSparse(const fs::path& path, std::uint64_t size)
{
    fs::remove(path);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(fd, 0) << path;
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(size)), 0) << path;
    ::close(fd);
}

TEST(SizeLimit, LargeHivesAndRegFilesAreRefusedWithAMessage)
{
    constexpr std::uint64_t hiveLimit = std::uint64_t{256} << 20;
    constexpr std::uint64_t regFileLimit = std::uint64_t{512} << 20;
    constexpr std::uint64_t huge = std::uint64_t{100} << 30;
    const std::string hiveMessage = "larger than 256 MiB, the most a hive file may hold";
    const std::string pointMessage = "the file is larger than 256 MiB.";
    struct Row {
        std::string file; // under the test's folder
        std::uint64_t size;
        std::vector<std::string> command;
        std::string message;
        int addressSpaceMiB = 0; // the process's limit; 0: none
    };
    const std::vector<Row> rows = {
        {"machine/system.reg", huge, {"dostrojnik-reg", "query", "HKLM\\Software"}, hiveMessage},
        {"machine/user.reg", hiveLimit + 1, {"dostrojnik-reg", "query", "HKCU"}, hiveMessage},
        {"machine/user.reg", huge, {"dostrojnik-reg", "import", "small.reg"}, hiveMessage},
        {"big.reg", huge, {"dostrojnik-reg", "import", "big.reg"}, "the file is larger than 512 MiB"},
        {"big.reg", regFileLimit + 1, {"dostrojnik-reg", "import", "big.reg"}, "the file is larger than 512 MiB"},
        {"machine/drive_c/System Volume Information/_restore/RP1/system.reg",
         huge,
         {"dostrojnik-restore", "changes", "1"},
         pointMessage},
        {"machine/user.reg", huge, {"dostrojnik-restore", "changes", "1"}, pointMessage},
        // A hive within the limit that the memory cannot hold ends the tool with a message, not an abort.
        {"machine/user.reg", 200 << 20, {"dostrojnik-reg", "query", "HKCU"}, "dostrojnik-reg: not enough memory", 150},
        {"machine/user.reg",
         200 << 20,
         {"dostrojnik-restore", "changes", "1"},
         "dostrojnik-restore: not enough memory",
         150},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file + " " + row.command[1]);
        TemporaryFolder folder;
        const std::map<std::string, std::optional<std::string>> environment = {
            {"WINEPREFIX", (folder / "machine").string()}};
        ASSERT_EQ(tool_testing::runProcess({tool_testing::toolPath("dostrojnik-restore").string(), "create", "przed"},
                                           environment)
                      .status,
                  0);
        testing_support::writeText(folder / "small.reg", "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\x]\n\"a\"=\"b\"\n");
        makeSparse(folder / row.file, row.size);

        std::vector<std::string> argv = row.command;
        argv[0] = tool_testing::toolPath(argv[0]).string();
        if (row.addressSpaceMiB > 0)
            argv.insert(
                argv.begin(),
                {"/bin/sh", "-c", "ulimit -v " + std::to_string(row.addressSpaceMiB * 1024) + "; exec \"$0\" \"$@\""});
        const auto result = tool_testing::runProcess(argv, environment, {}, folder.path());
        // reg writes its messages to standard output, as Wine's does; the restore tool to errors.
        const std::string said = result.out + result.err;
        EXPECT_EQ(result.status, 1) << said;
        EXPECT_NE(said.find(row.message), std::string::npos) << said;
    }
}

} // namespace
