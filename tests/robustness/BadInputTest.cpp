// Bad input to the real brindle-cli: malformed command lines that only a whole process
// meets, and configuration files in every malformed shape. Each gets a clear message or
// the silent default, never a crash, and nothing is renamed that should not be.
#include <gtest/gtest.h>
#include <sys/file.h>

#include <filesystem>

#include "CliProcess.h"
#include "FileTree.h"
#include "Placeholders.h"
#include "TempFolder.h"

namespace brindle::testing {
namespace {

namespace fs = std::filesystem;

enum class Extra { None, Fifo, LoopLinks, DanglingLink };

struct ArgsCase {
    const char* name;
    Strings args;  // "{T}" the temporary folder, which holds w/A.TXT
    Extra extra;
    int exitStatus;
    std::string err;     // the whole of standard error
    std::string status;  // the status line, or empty when none is expected
};

TEST(BadInput, CommandLines) {
    const std::string longComponent(300, 'C');
    const std::vector<ArgsCase> cases = {
        {"option/NotUtf8",
         {"--c\xffse=lower", "{T}/w"},
         Extra::None,
         2,
         "brindle-cli: unrecognized option '--c\xffse' (see 'brindle-cli --help')\n",
         ""},
        {"option/ThreeDashes",
         {"---case=lower", "{T}/w"},
         Extra::None,
         2,
         "brindle-cli: unrecognized option '---case' (see 'brindle-cli --help')\n",
         ""},
        {"option/NoName",
         {"--=lower", "{T}/w"},
         Extra::None,
         2,
         "brindle-cli: unrecognized option '--' (see 'brindle-cli --help')\n",
         ""},
        {"option/ValueWithAControlCharacter",
         {"--case=lo\x1b[2Jwer", "{T}/w"},
         Extra::None,
         2,
         "brindle-cli: invalid argument 'lo\\x1b[2Jwer' for '--case' (none, lower, "
         "lower-letter, reverse, reverse-letter, upper, upper-letter) (see 'brindle-cli "
         "--help')\n",
         ""},
        {"folder/IsAFifo",
         {"--case=lower", "--folder", "{T}/fifo"},
         Extra::Fifo,
         2,
         "brindle-cli: {T}/fifo is not a folder.\n",
         ""},
        {"folder/LinkLoop",
         {"--case=lower", "--folder", "{T}/a"},
         Extra::LoopLinks,
         2,
         "brindle-cli: {T}/a contains an invalid path.\n",
         ""},
        {"folder/DanglingLink",
         {"--case=lower", "--folder", "{T}/dangling"},
         Extra::DanglingLink,
         2,
         "brindle-cli: {T}/dangling was not found.\n",
         ""},
        {"folder/NameTooLong",
         {"--case=lower", "--folder", "{T}/" + longComponent},
         Extra::None,
         2,
         "brindle-cli: {T}/" + longComponent + " contains an invalid path.\n",
         ""},
        {"path/NameTooLong",
         {"--case=lower", "--quiet", "{T}/w/" + longComponent},
         Extra::None,
         1,
         "brindle-cli: {T}/w/" + longComponent + ": the new name cannot be a name\n",
         Status(1, 1, 300, 300, 1)},
        {"path/ThroughAFile",
         {"--case=lower", "--quiet", "{T}/w/A.TXT/B.TXT"},
         Extra::None,
         1,
         "brindle-cli: {T}/w/A.TXT/B.TXT: Not a directory\n",
         Status(1, 1, 5, 5, 1)},
        // The longest argument the system passes.
        {"pattern/HundredKilobytes",
         {"--quiet", "--pattern=" + std::string(100000, 'x'), "{T}/w/A.TXT"},
         Extra::None,
         1,
         "brindle-cli: {T}/w/A.TXT: the new name cannot be a name\n",
         Status(1, 1, 5, 100004, 1)},
        {"pattern/EveryDigitWidth",
         {"--quiet", "--pattern=/9/0/1/C/D/O\\A\\N", "--start-index=2147483647", "{T}/w/A.TXT"},
         Extra::None,
         0,
         "",
         Status(1, 1, 5, 41, 0)},
    };
    for (const ArgsCase& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempFolder temp;
        const std::string t = temp.path().string();
        temp.createFile("w/A.TXT", "A");
        switch (c.extra) {
            case Extra::None:
                break;
            case Extra::Fifo:
                ASSERT_EQ(mkfifo((t + "/fifo").c_str(), 0644), 0);
                break;
            case Extra::LoopLinks:
                fs::create_symlink("b", t + "/a");
                fs::create_symlink("a", t + "/b");
                break;
            case Extra::DanglingLink:
                fs::create_symlink("nothing", t + "/dangling");
                break;
        }
        const Tree before = ReadTree(t + "/w");
        // The build's brindle-cli finds the shipped configuration, which turns the log on.
        Strings args = {"--no-write-log"};
        for (const auto& arg : c.args)
            args.push_back(Filled(arg, {{"{T}", t}}));
        const CliResult result = RunCli(CliRun(args));
        EXPECT_EQ(result.signal, 0);
        EXPECT_EQ(result.status, c.exitStatus);
        EXPECT_EQ(result.err, Filled(c.err, {{"{T}", t}}));
        EXPECT_EQ(result.out, c.status.empty() ? "" : c.status + "\n");
        if (c.exitStatus != 0) {
            EXPECT_EQ(ReadTree(t + "/w"), before);
        }
    }
}

TEST(BadInput, ManyPathsAndAFullOutput) {
    testing::TempFolder temp;
    const std::string t = temp.path().string();
    temp.createFile("w/A.TXT", "A");
    // More paths than a shell would pass, none of them there: each a failed row.
    Strings args = {"--no-write-log", "--case=lower", "--quiet"};
    for (int i = 0; i < 20000; ++i)
        args.push_back(t + "/w/GONE" + std::to_string(i));
    const CliResult many = RunCli(CliRun(args));
    EXPECT_EQ(many.status, 1);
    EXPECT_EQ(many.out, Status(20000, 20000, 9, 9, 20000) + "\n");

    // Standard output that cannot take the rows: said, and the batch still completes.
    const CliResult full =
        RunCli(CliRun({"--no-write-log", "--case=lower", t + "/w/A.TXT"}).writingTo("/dev/full"));
    EXPECT_EQ(full.status, 2);
    EXPECT_EQ(full.err, "brindle-cli: write error: No space left on device\n");
    EXPECT_EQ(ReadTree(t + "/w"), (Tree{{"a.txt", "file:A"}}));
}

// ---- Configuration files ------------------------------------------------------------------

enum class IniSetup { Contents, Folder, Fifo, Locked, Unreadable, DevZero };

struct IniCase {
    const char* name;
    IniSetup setup;
    std::string contents;
    Strings options;      // besides --only-english custom
    std::string newName;  // of w/Abc.txt; empty: kept
    int exitStatus;
    bool openError;  // "Error opening file" for the file, before any item
};

TEST(BadInput, ConfigurationFiles) {
    const std::string huge(1 << 20, 'z');
    std::string many = "[custom]\n";
    for (int i = 0; i < 20000; ++i)
        many += "q" + std::to_string(i) + "|q\n";
    many += "A|Z\n";
    const Strings withExt = {"--with-extension"};
    const std::vector<IniCase> cases = {
        {"shape/Empty", IniSetup::Contents, "", {}, "", 0, false},
        {"shape/HeaderOnly", IniSetup::Contents, "[custom]", {}, "", 0, false},
        {"shape/LastLineWithoutLineEnd",
         IniSetup::Contents,
         "[custom]\nA|Z",
         {},
         "Zbc.txt",
         0,
         false},
        {"shape/CrLfLineEnds", IniSetup::Contents, "[custom]\r\nA|Z\r\n", {}, "Zbc.txt", 0, false},
        {"shape/CarriageReturnsOnly", IniSetup::Contents, "[custom]\rA|Z\r", {}, "", 0, false},
        {"shape/ByteOrderMark",
         IniSetup::Contents,
         "\xEF\xBB\xBF[custom]\nA|Z\n",
         {},
         "",
         0,
         false},
        {"shape/CtrlZBeforeTheTable", IniSetup::Contents, "[custom]\x1a\nA|Z\n", {}, "", 0, false},
        {"shape/BinaryGarbage",
         IniSetup::Contents,
         std::string("\0\xff\x80|\n[custom\n", 12),
         {},
         "",
         0,
         false},
        {"shape/HeaderInUpperCase", IniSetup::Contents, "[CUSTOM]\nA|Z\n", {}, "", 0, false},
        {"shape/TwentyThousandMappings", IniSetup::Contents, many, {}, "Zbc.txt", 0, false},
        // A line that is not UTF-8 reads byte by byte.
        {"shape/InvalidUtf8Mapping",
         IniSetup::Contents,
         "[custom]\nA|\xff\xfe\n",
         {},
         "\xC3\xBF\xC3\xBE"
         "bc.txt",
         0,
         false},
        // Mappings that make a name no name: the rename fails, nothing moves.
        {"name/HugeLine", IniSetup::Contents, "[custom]\nA|" + huge + "\n", {}, "", 1, false},
        {"name/Slash", IniSetup::Contents, "[custom]\nb|/\n", {}, "", 1, false},
        {"name/DotDotSlash", IniSetup::Contents, "[custom]\nAbc|../x\n", {}, "", 1, false},
        {"name/Nul", IniSetup::Contents, std::string("[custom]\nb|\0\n", 13), {}, "", 1, false},
        {"name/Empty", IniSetup::Contents, "[custom]\nAbc.txt|\n", withExt, "", 1, false},
        {"name/DotDot", IniSetup::Contents, "[custom]\nAbc.txt|..\n", withExt, "", 1, false},
        {"open/IsAFolder", IniSetup::Folder, "", {}, "", 2, true},
        {"open/IsAFifo", IniSetup::Fifo, "", {}, "", 2, true},
        {"open/LockedByAnother", IniSetup::Locked, "[custom]\nA|Z\n", {}, "", 2, true},
        {"open/Unreadable", IniSetup::Unreadable, "[custom]\nA|Z\n", {}, "", 2, true},
        {"open/ADeviceThatNeverEnds", IniSetup::DevZero, "", {}, "", 2, true},
    };
    for (const IniCase& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempFolder temp;
        const std::string t = temp.path().string();
        temp.createFile("w/Abc.txt", "x");
        std::string ini = t + "/Brindle.ini";
        std::optional<int> lock;
        bool asUser = false;
        switch (c.setup) {
            case IniSetup::Contents:
                WriteFile(ini, c.contents);
                break;
            case IniSetup::Folder:
                fs::create_directory(ini);
                break;
            case IniSetup::Fifo:
                ASSERT_EQ(mkfifo(ini.c_str(), 0644), 0);
                break;
            case IniSetup::Locked:
                WriteFile(ini, c.contents);
                lock = open(ini.c_str(), O_RDONLY | O_CLOEXEC);
                ASSERT_EQ(flock(*lock, LOCK_EX | LOCK_NB), 0);
                break;
            case IniSetup::Unreadable:
                WriteFile(ini, c.contents);
                ASSERT_EQ(chmod(ini.c_str(), 0), 0);
                GiveToOrdinaryUser(t);
                ASSERT_EQ(chmod(t.c_str(), 0755), 0);
                asUser = true;
                break;
            case IniSetup::DevZero:
                ini = "/dev/zero";
                break;
        }
        Strings args = {"--quiet", "--only-english", "custom", "--ini", ini};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back(t + "/w/Abc.txt");
        CliRun run(args);
        if (asUser)
            run.asUser();
        const CliResult result = RunCli(run);
        if (lock)
            close(*lock);
        EXPECT_EQ(result.signal, 0);
        EXPECT_EQ(result.status, c.exitStatus);
        if (c.openError) {
            EXPECT_EQ(result.err, "brindle-cli: Error opening file: " + ini + "\n");
            EXPECT_EQ(result.out, "");
        } else {
            // A table that leaves no name: the rename fails, and says why.
            EXPECT_EQ(result.err, c.exitStatus == 1 ? "brindle-cli: " + t +
                                                          "/w/Abc.txt: the new name cannot be a "
                                                          "name\n"
                                                    : "");
            EXPECT_TRUE(result.out.starts_with("Total files: 1 | Changed files: ")) << result.out;
        }
        const std::string name = c.newName.empty() ? "Abc.txt" : c.newName;
        EXPECT_EQ(ReadTree(t + "/w"), (Tree{{name, "file:x"}}));
    }
}

}  // namespace
}  // namespace brindle::testing
