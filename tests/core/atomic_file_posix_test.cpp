// Atomic files where POSIX differs: permission bits, symbolic links, FIFOs and files whose
// size fstat does not know.
#include "core/io/atomic_file.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace testing_support;

TEST(AtomicFile, ReplacesAndKeepsPermissions)
{
    TemporaryFolder folder;
    const auto file = folder / "data.txt";
    writeText(file, "old");
    std::filesystem::permissions(file, std::filesystem::perms(0600));
    ASSERT_FALSE(core::io::replaceFile(core::posixSystemCalls(), file, "new contents"));
    EXPECT_EQ(readText(file), "new contents");
    EXPECT_EQ(std::filesystem::status(file).permissions(), std::filesystem::perms(0600));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1); // no temporary left
}

TEST(AtomicFile, NeitherAPlantedTemporaryNorAFifoIsUsed)
{
    TemporaryFolder folder;
    const auto file = folder / "data.txt";
    writeText(file, "old");
    writeText(folder / "host.txt", "host");
    std::filesystem::create_symlink(folder / "host.txt", folder / ".data.txt.new");
    ASSERT_FALSE(core::io::replaceFile(core::posixSystemCalls(), file, "new"));
    EXPECT_EQ(readText(file), "new");
    EXPECT_EQ(readText(folder / "host.txt"), "host");

    // Only a regular file is read, and a link only where links are taken.
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    std::string contents;
    EXPECT_EQ(core::io::readFile(core::posixSystemCalls(), folder / "fifo", contents), core::io::notARegularFile());
    EXPECT_EQ(core::io::readFile(core::posixSystemCalls(), folder / ".data.txt.new", contents), std::error_code());
    EXPECT_EQ(core::io::readFile(core::posixSystemCalls(), folder / ".data.txt.new", contents, core::io::Links::Refuse),
              core::io::notARegularFile());
}

TEST(AtomicFile, ReadRefusesAFileThatGrowsPastTheLargestSizeWhileRead)
{
    // fstat tells 0 bytes of this one.
    std::string contents = "x";
    EXPECT_EQ(core::io::readFile(core::posixSystemCalls(), "/proc/self/status", contents, core::io::Links::Follow,
                                 nullptr, 16),
              core::io::tooLarge());
    EXPECT_EQ(contents, "");
}

// Another program may cut a file in place while it is mapped: the cut pages read as zeros, which
// no hive holds, instead of ending the process.
TEST(AtomicFile, AMappedFileCutInPlaceReadsAsZerosWhereItNowEnds)
{
    TemporaryFolder folder;
    const auto file = folder / "system.reg";
    const std::string text(3 * 4096 + 100, 'x');
    writeText(file, text);
    core::io::FileText mapped;
    ASSERT_FALSE(core::io::readFile(core::posixSystemCalls(), file, mapped));
    ASSERT_TRUE(mapped.isMapped());
    std::filesystem::resize_file(file, 4096);
    const std::string_view view = mapped.view();
    EXPECT_EQ(view.substr(0, 4096), text.substr(0, 4096));
    EXPECT_EQ(view.substr(4096), std::string(text.size() - 4096, '\0'));
}
