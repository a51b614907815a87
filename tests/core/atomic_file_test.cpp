#include "core/io/atomic_file.h"
#include "tests/support/faulty_system_calls.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace testing_support;

TEST(AtomicFile, AFailureAtAnyStepLeavesTheOldFile)
{
    TemporaryFolder folder;
    const auto file = folder / "data.txt";
    for (const char* call : {"open", "write", "fsync", "close", "rename"}) {
        SCOPED_TRACE(call);
        writeText(file, "old");
        FaultySystemCalls calls;
        calls.failOn(call, EIO);
        EXPECT_TRUE(core::io::replaceFile(calls, file, "new"));
        EXPECT_EQ(readText(file), "old");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
    }
}

TEST(AtomicFile, ReadReportsAMissingFile)
{
    TemporaryFolder folder;
    std::string contents = "x";
    EXPECT_EQ(core::io::readFile(core::posixSystemCalls(), folder / "none", contents),
              std::make_error_code(std::errc::no_such_file_or_directory));
    EXPECT_TRUE(contents.empty());
}

TEST(AtomicFile, ReadRefusesMoreThanTheLargestSize)
{
    TemporaryFolder folder;
    writeText(folder / "ten", "0123456789");
    struct Row {
        std::filesystem::path path;
        std::uint64_t largest;
        std::error_code error;
    };
    const Row rows[] = {
        {folder / "ten", 10, {}},
        {folder / "ten", 9, core::io::tooLarge()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.largest));
        std::string contents = "x";
        EXPECT_EQ(core::io::readFile(core::posixSystemCalls(), row.path, contents, core::io::Links::Follow, nullptr,
                                     row.largest),
                  row.error);
        EXPECT_EQ(contents, row.error ? "" : "0123456789");
    }
}

TEST(AtomicFile, UntouchedPiecesAreCopiedFromTheFileTheyWereReadFrom)
{
    TemporaryFolder folder;
    const auto file = folder / "hive.txt";
    struct Row {
        const char* name;
        int copyError;          // what copyFileRange fails with, or 0
        bool replacedMeanwhile; // another file stands under the name since it was read
        bool copies;
    };
    const Row rows[] = {
        {"copied", 0, false, true},
        {"copy refused across file systems", EXDEV, false, false},
        {"copy unknown to the system", ENOSYS, false, false},
        {"file replaced since it was read", 0, true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string original;
        for (int i = 0; original.size() < 300000; ++i)
            original += "line " + std::to_string(i) + "\n";
        writeText(file, original);
        std::string text;
        struct stat identity {};
        ASSERT_FALSE(core::io::readFile(core::posixSystemCalls(), file, text, core::io::Links::Follow, &identity));
        if (row.replacedMeanwhile)
            writeText(file, std::string(original.size(), 'x'));
        FaultySystemCalls calls;
        if (row.copyError)
            calls.failOn("copyFileRange", row.copyError);
        const std::string_view view(text);
        const std::string_view pieces[] = {view.substr(0, 10), "changed\n", view.substr(100)};
        const core::io::CopySource source{file, identity, text};
        ASSERT_FALSE(core::io::replaceFile(calls, file, pieces, &source));
        EXPECT_EQ(readText(file), original.substr(0, 10) + "changed\n" + original.substr(100));
        EXPECT_EQ(calls.count("copyFileRange") > (row.copyError ? 1 : 0),
                  row.copies && core::io::systemTellsRewrittenFiles());
    }
}
