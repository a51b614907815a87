// The programs' command lines as a Linux user meets them: --help and --version answered without
// a display, a machine or a settings file, mistakes with status 2, and the tools' messages in
// the locale's language from the catalogues beside them.

#include "tests/support/temporary_folder.h"
#include "tests/tools/tool_process.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using testing_support::TemporaryFolder;

TEST(CommandLine, HelpVersionAndMistakesFollowTheLocaleAndTouchNothing)
{
    // A copy of the programs with the build's catalogues beside them, so that a settings file
    // written beside the program would show here.
    TemporaryFolder folder;
    fs::create_directories(folder / "bin");
    fs::create_directories(folder / "share");
    fs::create_directory_symlink(tool_testing::toolPath("dostrojnik").parent_path() / ".." / "share" / "locale",
                                 folder / "share" / "locale");
    for (const char* program : {"dostrojnik", "dostrojnik-reg", "dostrojnik-cmd", "dostrojnik-restore"})
        fs::copy_file(tool_testing::toolPath(program), folder / "bin" / program);

    struct Row {
        std::vector<std::string> command;
        const char* lang;
        int status;
        std::string expected; // how the output begins (the error output for a mistake)
    };
    const Row rows[] = {
        {{"dostrojnik", "--help"}, "C", 0, "Usage: dostrojnik [OPTION]...\n"},
        {{"dostrojnik", "-h"}, "pl_PL.UTF-8", 0, "Użycie: dostrojnik [OPCJA]...\n"},
        {{"dostrojnik", "--version"}, "C", 0, "dostrojnik " DOSTROJNIK_VERSION "\n"},
        {{"dostrojnik", "-platform", "offscreen", "-V"}, "pl_PL.UTF-8", 0, "dostrojnik " DOSTROJNIK_VERSION "\n"},
        {{"dostrojnik", "--bogus"}, "C", 2,
         "dostrojnik: unrecognized option '--bogus'\nTry 'dostrojnik --help' for more information.\n"},
        {{"dostrojnik", "plik"}, "pl_PL.UTF-8", 2, "dostrojnik: zbędny argument 'plik'\n"},
        {{"dostrojnik-reg", "--help"}, "C", 0, "Usage:\n  REG [operation] [parameters]\n"},
        {{"dostrojnik-reg", "/?"}, "pl_PL.UTF-8", 0, "Użycie:\n  REG [operacja] [parametry]\n"},
        {{"dostrojnik-reg", "query", "--help"}, "pl_PL.UTF-8", 0, "REG QUERY <klucz>"},
        {{"dostrojnik-reg"}, "pl_PL.UTF-8", 1,
         "reg: Nieprawidłowa składnia. Wpisz \"dostrojnik-reg /?\", aby uzyskać pomoc.\n"},
        {{"dostrojnik-cmd", "--help"}, "C", 0, "Starts the command interpreter of the emulated Windows machine.\n"},
        {{"dostrojnik-cmd", "/?"}, "pl_PL.UTF-8", 0, "Uruchamia interpreter poleceń emulowanej maszyny Windows.\n"},
        {{"dostrojnik-restore", "--help"}, "C", 0, "System Restore: the restore points of the machine's registry.\n"},
        {{"dostrojnik-restore", "/?"}, "pl_PL.UTF-8", 0, "Przywracanie systemu: punkty przywracania rejestru maszyny.\n"},
        {{"dostrojnik-restore", "undo"}, "C", 1, "Error: Unknown command \"undo\"."},
    };
    for (const Row& row : rows) {
        std::vector<std::string> command = row.command;
        command.front() = (folder / "bin" / command.front()).string();
        SCOPED_TRACE(row.command.back() + " under LANG=" + row.lang);
        const auto result = tool_testing::runProcess(command, {{"LANG", row.lang},
                                                               {"LC_ALL", std::nullopt},
                                                               {"LC_MESSAGES", std::nullopt},
                                                               {"LC_CTYPE", std::nullopt},
                                                               {"LANGUAGE", std::nullopt},
                                                               {"DISPLAY", std::nullopt},
                                                               {"WAYLAND_DISPLAY", std::nullopt},
                                                               {"QT_QPA_PLATFORM", std::nullopt},
                                                               {"WINEPREFIX", (folder / "machine").string()},
                                                               {"XDG_CONFIG_HOME", (folder / "config").string()}});
        EXPECT_EQ(result.status, row.status) << result.err;
        const std::string& said = row.status == 0 || row.command.front() != "dostrojnik" ? result.out : result.err;
        const std::string& shown = row.status == 1 && row.command.front() == "dostrojnik-restore" ? result.err : said;
        EXPECT_TRUE(shown.starts_with(row.expected)) << shown;
        EXPECT_FALSE(fs::exists(folder / "machine"));
        EXPECT_FALSE(fs::exists(folder / "config"));
        EXPECT_FALSE(fs::exists(folder / "bin" / "dostrojnik.ini"));
    }
}

} // namespace
