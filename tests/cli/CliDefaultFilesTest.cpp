// Where brindle-cli finds its configuration and its log: beside a portable copy, or in
// the user's folders for an installed one.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "CliProcess.h"
#include "Placeholders.h"
#include "TempFolder.h"

namespace brindle::testing {
namespace {

TEST(CliDefaultFilesTest, DefaultFilesLieBesideTheProgram) {
    TempFolder temp;
    temp.createFiles({"bin/", "w/box.txt"});
    const auto program = temp.path() / "bin/brindle-cli";
    std::filesystem::copy_file(BRINDLE_CLI_PATH, program);
    temp.createFile("bin/Brindle.ini", "[custom]\no|0\nt|T\n\n");

    const CliResult result = RunCli(CliRun({"--only-english", "custom", "--write-log", "--quiet",
                                            "--folder", temp.path() / "w"})
                                        .withBinary(program.string())
                                        .in("/"));
    EXPECT_EQ(result.status, 0) << result.err;
    // The extension is set aside, as ticking "Only English" does.
    EXPECT_EQ(temp.listing(), (Strings{"bin/", "bin/Brindle.ini", "bin/Brindle.log",
                                       "bin/brindle-cli", "w/", "w/b0x.txt"}));

    const CliResult withExtension = RunCli(CliRun({"--with-extension", "--only-english", "custom",
                                                   "--quiet", temp.path() / "w/b0x.txt"})
                                               .withBinary(program.string()));
    EXPECT_EQ(withExtension.status, 0);
    EXPECT_TRUE(temp.exists("w/b0x.TxT"));
}

// The shipped table's "English": Russian, accented Latin letters and separate accents made
// plain, on real files (the extension set aside, as "Only English" does).
TEST(CliDefaultFilesTest, TheShippedEnglishTableMakesNamesPlain) {
    TempFolder temp;
    temp.createFiles(
        {"w/\xC3\x9Cn\xC3\xAF\x63\xC3\xB8\x64\xC3\xA9 Stra\xC3\x9F\x65 "
         "\xC3\x86sir.txt",
         "w/Cafe\xCC\x81.txt", "w/\xD0\x9C\xD0\xBE\xD0\xB9.txt"});
    std::filesystem::copy_file(std::string(BRINDLE_SOURCE_DIR) + "/resources/Brindle.ini",
                               temp.path() / "Brindle.ini");
    const CliResult result =
        RunCli(CliRun({"--only-english", "english", "--quiet", "--ini", temp.path() / "Brindle.ini",
                       "--log", temp.path() / "Brindle.log", "--folder", temp.path() / "w"}));
    EXPECT_EQ(result.status, 0) << result.err;
    for (const char* renamed : {"w/Cafe.txt", "w/Moi.txt", "w/Unicode Strasse AEsir.txt"})
        EXPECT_TRUE(temp.exists(renamed)) << renamed;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path() / "w"), {}), 3);
}

// The shipped configuration turns the log on for brindle-cli too; the command line
// overrides it, and a preview keeps no log anyway. Its "Preview First" is the dialog's
// alone: brindle-cli renames as shipped.
TEST(CliDefaultFilesTest, TheShippedConfigurationKeepsTheLog) {
    struct Case {
        const char* name;
        Strings args;
        bool renamed;
        bool logged;
    };
    const std::vector<Case> cases = {
        {"as shipped", {}, true, true},
        {"turned off", {"--no-write-log"}, true, false},
        {"previewed", {"-n"}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        temp.createFiles({"bin/", "w/A.TXT"});
        const auto program = temp.path() / "bin/brindle-cli";
        std::filesystem::copy_file(BRINDLE_CLI_PATH, program);
        std::filesystem::copy_file(std::string(BRINDLE_SOURCE_DIR) + "/resources/Brindle.ini",
                                   temp.path() / "bin/Brindle.ini");
        Strings args = c.args;
        args.insert(args.end(), {"--case", "lower", "--quiet", "--folder", temp.path() / "w"});
        const CliResult batch = RunCli(CliRun(args).withBinary(program.string()));
        EXPECT_EQ(batch.status, 0) << batch.err;
        EXPECT_EQ(temp.exists("w/a.txt"), c.renamed);
        EXPECT_EQ(temp.exists("bin/Brindle.log"), c.logged);
        if (c.logged) {
            const CliResult undo =
                RunCli(CliRun({"--undo", "--quiet", "--delete-log"}).withBinary(program.string()));
            EXPECT_EQ(undo.status, 0) << undo.err;
            EXPECT_TRUE(temp.exists("w/A.TXT"));
        }
    }
}

// Installed (no Brindle.ini beside the program): the configuration from the user's XDG
// folders or the shipped default found relative to the program, the log in the user's
// state folder, made on first use.
TEST(CliDefaultFilesTest, AnInstalledCopyUsesTheUsersFiles) {
    TempFolder temp;
    temp.createFiles({"usr/bin/", "home/", "w/box.txt"});
    const std::string t = temp.path().string();
    const std::string program = t + "/usr/bin/brindle-cli";
    std::filesystem::copy_file(BRINDLE_CLI_PATH, program);
    temp.createFile("usr/share/brindle/Brindle.ini", "[custom]\no|0\n\n");
    const Strings plain = {"HOME=" + t + "/home", "XDG_CONFIG_HOME", "XDG_STATE_HOME",
                           "XDG_CONFIG_DIRS=" + t + "/etc"};
    auto installed = [&](Strings args, const Strings& environment) {
        return RunCli(CliRun(std::move(args)).withBinary(program).withEnvironment(environment));
    };

    const CliResult help = installed({"--help"}, plain);
    EXPECT_NE(help.out.find("configuration  " + t + "/usr/share/brindle/Brindle.ini\n"),
              std::string::npos);
    const std::string stateLog = t + "/home/.local/state/brindle/Brindle.log";
    EXPECT_NE(help.out.find("log            " + stateLog + "  (not there yet)\n"),
              std::string::npos);

    const CliResult batch = installed(
        {"--only-english", "custom", "--write-log", "--quiet", "--folder", t + "/w"}, plain);
    EXPECT_EQ(batch.status, 0) << batch.err;
    EXPECT_TRUE(temp.exists("w/b0x.txt"));
    EXPECT_TRUE(temp.exists("home/.local/state/brindle/Brindle.log"));
    struct stat info {};
    ASSERT_EQ(stat((t + "/home/.local/state/brindle").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_FALSE(temp.exists("usr/bin/Brindle.log"));
    const CliResult undo = installed({"--undo", "--quiet", "--delete-log"}, plain);
    EXPECT_EQ(undo.status, 0) << undo.err;
    EXPECT_TRUE(temp.exists("w/box.txt"));
    EXPECT_FALSE(temp.exists("home/.local/state/brindle/Brindle.log"));

    // The user's own configuration and state folders win.
    temp.createFile("cfg/brindle/Brindle.ini", "[custom]\nb|B\n\n");
    const Strings withVariables = {"HOME=" + t + "/home", "XDG_CONFIG_HOME=" + t + "/cfg",
                                   "XDG_STATE_HOME=" + t + "/state",
                                   "XDG_CONFIG_DIRS=" + t + "/etc"};
    const CliResult own =
        installed({"--only-english", "custom", "--write-log", "--quiet", "--folder", t + "/w"},
                  withVariables);
    EXPECT_EQ(own.status, 0) << own.err;
    EXPECT_TRUE(temp.exists("w/Box.txt"));
    EXPECT_TRUE(temp.exists("state/brindle/Brindle.log"));

    // One that is there but cannot be read is still the configuration, and fails as such.
    std::filesystem::remove(temp.path() / "cfg/brindle/Brindle.ini");
    std::filesystem::create_directory(temp.path() / "cfg/brindle/Brindle.ini");
    const CliResult unreadable =
        installed({"--only-english", "custom", "--quiet", "--folder", t + "/w"}, withVariables);
    EXPECT_EQ(unreadable.status, 2);
    EXPECT_EQ(unreadable.err,
              "brindle-cli: Error opening file: " + t + "/cfg/brindle/Brindle.ini\n");
    EXPECT_TRUE(temp.exists("w/Box.txt"));
}

}  // namespace
}  // namespace brindle::testing
