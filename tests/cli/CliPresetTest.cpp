// Presets through the real brindle-cli: saved from the configuration file and the command
// line, laid under the command line in a batch, listed, refused whole when they cannot be
// used, and never left half written by a save that is killed.
#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <vector>

#include "CliProcess.h"
#include "FileTree.h"
#include "KillAtSyscall.h"
#include "Placeholders.h"
#include "TempFolder.h"

namespace brindle::testing {
namespace {

// An installed copy of the program (no Brindle.ini beside it), whose user's folders lie in
// a temporary home: the shipped configuration in $XDG_CONFIG_HOME/brindle, the presets
// beside it, the log in $XDG_STATE_HOME/brindle, and a folder w to rename.
class CliPresetTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(programFolder_.path() / "usr/bin");
        program_ = (programFolder_.path() / "usr/bin/brindle-cli").string();
        std::filesystem::copy_file(BRINDLE_CLI_PATH, program_);
        home_.createFiles({"cfg/brindle/", "w/Hello World.TXT", "w/b c.txt", "w/sub/d e.txt"});
        std::filesystem::copy_file(std::string(BRINDLE_SOURCE_DIR) + "/resources/Brindle.ini",
                                   home_.path() / "cfg/brindle/Brindle.ini");
    }

    std::string Home() const { return home_.path().string(); }
    std::string Presets() const { return Home() + "/cfg/brindle/presets"; }
    Strings Environment() const {
        return {"HOME=" + Home(), "XDG_CONFIG_HOME=" + Home() + "/cfg",
                "XDG_STATE_HOME=" + Home() + "/state", "XDG_CONFIG_DIRS=" + Home() + "/etc"};
    }
    // "{H}" in the arguments is the home folder.
    CliResult Cli(const Strings& args) const {
        return RunCli(CliRun(Filled(args, {{"{H}", Home()}}))
                          .withBinary(program_)
                          .withEnvironment(Environment()));
    }
    void WritePreset(const std::string& name, const std::string& bytes) const {
        home_.createFile("cfg/brindle/presets/" + name + ".ini", bytes);
    }
    // The new path --preview gives the item w/NAME.
    std::string PreviewedName(const Strings& args, const std::string& name) const {
        Strings all = {"-n"};
        all.insert(all.end(), args.begin(), args.end());
        all.insert(all.end(), {"--folder", Home() + "/w"});
        const CliResult result = Cli(all);
        EXPECT_EQ(result.status, 0) << result.err;
        for (const std::string& line : Lines(result.out)) {
            const std::string from = Home() + "/w/" + name + "  " + Home() + "/w/";
            if (line.starts_with(from))
                return line.substr(from.size(), line.rfind("  ") - from.size());
        }
        return "(not listed)";
    }

    TempFolder programFolder_;
    TempFolder home_;
    std::string program_;
};

struct RefusalCase {
    const char* name;
    Strings args;     // "{H}": the home folder
    std::string err;  // the whole of standard error; "{P}": the presets folder
};

// Each refusal: exit status 2, its message, nothing on standard output, and the files
// (the folder to rename, the presets, the log's folder) as they were.
TEST_F(CliPresetTest, RefusalsChangeNothing) {
    WritePreset("good", "[config]\nCase = lower\n");
    WritePreset("nul", std::string("[config]\nCase = lower\n\0\n", 23));
    WritePreset("nosection", "Case = lower\n");
    std::filesystem::create_directories(Presets() + "/folder.ini");
    WritePreset("pattern", "[config]\nName Pattern = \"a{modified:\"\n");
    WritePreset("regex", "[config]\nRegular Expression = 1\nReplace What = \"(x\"\n");
    WritePreset("include", "[config]\nInclude = \"re:(x\"\n");
    const std::string damaged = "brindle-cli: The preset \"{N}\" ({P}/{N}.ini) ";
    const std::string patternMistake =
        "brindle-cli: The name pattern has a mistake at character 2: the '{' here has no '}' "
        "to close it.\n";
    const std::vector<RefusalCase> cases = {
        {"name/Slash",
         {"--preset", "a/b", "-n", "--folder", "{H}/w"},
         "brindle-cli: A preset's name cannot hold '/': \"a/b\"\n"},
        {"name/LeadingDot",
         {"--preset", ".good", "--folder", "{H}/w"},
         "brindle-cli: A preset's name cannot begin with '.': \".good\"\n"},
        {"name/Empty", {"--preset=", "--folder", "{H}/w"}, "brindle-cli: A preset needs a name\n"},
        {"unknown",
         {"--preset", "missing", "--folder", "{H}/w"},
         "brindle-cli: There is no preset \"missing\" in {P}\n"},
        {"damaged/NulByte",
         {"--preset", "nul", "--folder", "{H}/w"},
         Filled(damaged, {{"{N}", "nul"}}) + "is damaged: it holds a NUL byte\n"},
        {"damaged/NoSection",
         {"--preset", "nosection", "-n", "--folder", "{H}/w"},
         Filled(damaged, {{"{N}", "nosection"}}) + "is damaged: it has no [config] section\n"},
        {"unreadable",
         {"--preset", "folder", "--folder", "{H}/w"},
         Filled(damaged, {{"{N}", "folder"}}) + "cannot be read: Is a directory\n"},
        {"mistake/PatternOfThePreset",
         {"--preset", "pattern", "--folder", "{H}/w"},
         patternMistake},
        {"mistake/RegexOfThePreset",
         {"--preset", "regex", "-n", "--folder", "{H}/w"},
         "brindle-cli: The regular expression \"(x\xE2\x96\xB8\" has a mistake at "
         "\xE2\x96\xB8: missing closing parenthesis.\n"},
        {"mistake/FilterOfThePreset",
         {"--preset", "include", "--dry-run", "--folder", "{H}/w"},
         "brindle-cli: The include filter has a mistake at character 6: missing closing "
         "parenthesis.\n"},
        {"save/Slash",
         {"--save-preset", "a/b", "--case", "upper"},
         "brindle-cli: A preset's name cannot hold '/': \"a/b\"\n"},
        {"save/LeadingDot",
         {"--save-preset", ".x"},
         "brindle-cli: A preset's name cannot begin with '.': \".x\"\n"},
        {"save/Empty", {"--save-preset="}, "brindle-cli: A preset needs a name\n"},
        {"save/OverADamagedOne",
         {"--save-preset", "good", "--preset", "nul"},
         Filled(damaged, {{"{N}", "nul"}}) + "is damaged: it holds a NUL byte\n"},
        {"save/WithAMistake",
         {"--save-preset", "good", "--pattern", "a{modified:"},
         patternMistake},
    };
    const Tree before = ReadTree(Home());
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        const CliResult result = Cli(c.args);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err, Filled(c.err, {{"{P}", Presets()}}));
        EXPECT_EQ(result.out, "");
        const Tree after = ReadTree(Home());
        EXPECT_TRUE(before == after) << Differences(before, after);
    }
}

// A preset saved from the command line gives the batch those flags gave, and it holds the
// configuration file's rows that brindle-cli has no flag for.
TEST_F(CliPresetTest, ASavedPresetGivesTheSameBatchAsItsFlags) {
    const Strings flags = {
        "--case",    "upper",     "--regex", "--replace-what", "^(\\w+) (\\w+)", "--replace-with",
        "$2_$1",     "--pattern", "/O-/2",   "--subfolders",   "--order",        "bytes",
        "--exclude", "b*"};
    Strings preview = {"-n"};
    preview.insert(preview.end(), flags.begin(), flags.end());
    preview.insert(preview.end(), {"--folder", "{H}/w"});
    const CliResult byFlags = Cli(preview);
    ASSERT_EQ(byFlags.status, 0) << byFlags.err;

    Strings save = {"--save-preset", "mine"};
    save.insert(save.end(), flags.begin(), flags.end());
    const Tree before = ReadTree(Home() + "/w");
    const CliResult saved = Cli(save);
    EXPECT_EQ(saved.status, 0) << saved.err;
    EXPECT_EQ(saved.err, "");
    EXPECT_EQ(saved.out, "Saved the preset \"mine\" as " + Presets() + "/mine.ini\n");
    EXPECT_TRUE(ReadTree(Home() + "/w") == before);
    // The shipped configuration's "Preview First" (the dialog's alone) went along.
    EXPECT_NE(ReadFile(Presets() + "/mine.ini").find("\nPreview First = 1\n"), std::string::npos);

    const CliResult byPreset = Cli({"-n", "--preset", "mine", "--folder", "{H}/w"});
    EXPECT_EQ(byPreset.status, 0) << byPreset.err;
    EXPECT_EQ(byPreset.out, byFlags.out);

    const CliResult batch = Cli({"--preset", "mine", "--quiet", "--folder", "{H}/w"});
    EXPECT_EQ(batch.status, 0) << batch.err;
    EXPECT_EQ(home_.listing(),
              (Strings{"cfg/", "cfg/brindle/", "cfg/brindle/Brindle.ini", "cfg/brindle/presets/",
                       "cfg/brindle/presets/mine.ini", "state/", "state/brindle/",
                       "state/brindle/Brindle.log", "w/", "w/WORLD_HELLO-00.TXT", "w/b c.txt",
                       "w/sub/", "w/sub/E_D-01.TXT"}));
}

struct OverCase {
    const char* name;
    Strings args;
    std::string newName;  // of "Hello World.TXT"
};

// The command line's flags win over the preset's options, the --no- forms too; what the
// command line does not give comes from the preset.
TEST_F(CliPresetTest, FlagsOverAPresetWin) {
    const CliResult saved = Cli(
        {"--save-preset", "low", "--case", "lower", "--pattern", "p-/O", "--without-extension"});
    ASSERT_EQ(saved.status, 0) << saved.err;
    const std::vector<OverCase> cases = {
        {"the preset alone", {"--preset", "low"}, "p-hello world.TXT"},
        {"another case", {"--preset", "low", "--case", "upper"}, "p-HELLO WORLD.TXT"},
        {"flags before the preset", {"--case", "upper", "--preset", "low"}, "p-HELLO WORLD.TXT"},
        {"another pattern", {"--preset", "low", "--pattern", "/O"}, "hello world.TXT"},
        {"a switch turned off", {"--preset", "low", "--no-without-extension"}, "p-hello world.txt"},
        {"without the preset", {"--case", "upper"}, "HELLO WORLD.TXT"},
    };
    for (const OverCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PreviewedName(c.args, "Hello World.TXT"), c.newName);
    }
}

TEST_F(CliPresetTest, ListsThePresetsInNaturalOrder) {
    // No presets folder yet: nothing, and no complaint.
    const CliResult none = Cli({"--list-presets"});
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.err, "");

    for (const char* name : {"a10", "b", "a2", "A1"})
        WritePreset(name, "[config]\n");
    // Not presets: a hidden file (as a save's temporary one), another extension, a folder.
    home_.createFiles({"cfg/brindle/presets/.a3.ini", "cfg/brindle/presets/a4.txt",
                       "cfg/brindle/presets/a5.ini/"});
    const CliResult listed = Cli({"--list-presets"});
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out, "A1\na2\na10\nb\n");
}

struct LaidOverCase {
    const char* name;
    std::string config;  // the configuration file; empty: there is none
    std::string preset;
    std::string newName;  // of "Hello World.TXT"; "-" not listed
    std::string subName;  // of sub/d e.txt; "-": not in the batch
};

// A preset is laid over the options: keys it lacks (an older Brindle's) keep what the
// configuration file said, keys and values a newer Brindle wrote are passed over, and its
// "Only English" needs a configuration file to be taken.
TEST_F(CliPresetTest, APresetIsLaidOverTheOptions) {
    const std::vector<LaidOverCase> cases = {
        {"keys of a newer version", "[config]\n",
         "[config]\nCase = upper\nHologram Mode = 1\n[hologram]\nx|y\n", "HELLO WORLD.TXT", "-"},
        {"a value not taken keeps the option", "[config]\n",
         "[config]\nCase = shout\nName Pattern = \"x-/O\"\n", "x-Hello World.TXT", "-"},
        {"keys it lacks keep the configuration's", "[config]\nScan Subfolders = 1\n",
         "[config]\nCase = upper\n", "HELLO WORLD.TXT", "D E.TXT"},
        {"its switches over the configuration's", "[config]\nScan Subfolders = 1\n",
         "[config]\nScan Subfolders = 0\nCase = lower\n", "hello world.txt", "-"},
        {"Only English without a configuration file", "",
         "[config]\nOnly English = 1\nMethod = English\nCase = lower\n", "hello world.txt", "-"},
    };
    for (const LaidOverCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(Home() + "/cfg/brindle/Brindle.ini");
        if (!c.config.empty())
            home_.createFile("cfg/brindle/Brindle.ini", c.config);
        WritePreset("p", c.preset);
        const CliResult result = Cli({"-n", "--preset", "p", "--folder", "{H}/w"});
        EXPECT_EQ(result.status, 0) << result.err;
        const std::string folder = Home() + "/w/";
        EXPECT_NE(result.out.find(folder + "Hello World.TXT  " + folder + c.newName + "  "),
                  std::string::npos)
            << result.out;
        if (c.subName == "-") {
            EXPECT_EQ(result.out.find("/sub/d e.txt"), std::string::npos) << result.out;
        } else {
            EXPECT_NE(result.out.find(folder + "sub/d e.txt  " + folder + "sub/" + c.subName),
                      std::string::npos)
                << result.out;
        }
    }
}

// Killed between writing the new preset and renaming it over the old one: the old one is
// still whole, byte for byte, and loads; the temporary file left beside it is no preset.
TEST_F(CliPresetTest, AnInterruptedSaveLeavesTheOldPresetWhole) {
    const CliResult saved = Cli({"--save-preset", "keep", "--case", "lower"});
    ASSERT_EQ(saved.status, 0) << saved.err;
    const std::string oldBytes = ReadFile(Presets() + "/keep.ini");
    ASSERT_NE(oldBytes.find("\nCase = lower\n"), std::string::npos);

    // The rename's source: the temporary file beside keep.ini, named from a '.'.
    const auto isSaveRename = [](const SyscallEntry& call) {
        int source = -1;
        if (call.number == SYS_renameat || call.number == SYS_renameat2)
            source = 1;
#ifdef SYS_rename
        if (call.number == SYS_rename)
            source = 0;
#endif
        if (source < 0)
            return false;
        const std::string path = call.TextArgument(source);
        const std::string name = path.substr(path.rfind('/') + 1);
        return name.starts_with(".keep.ini.");
    };
    const TracedRun run = KillAtSyscall({program_, "--save-preset", "keep", "--case", "upper"},
                                        Environment(), isSaveRename);
    if (!run.traced)
        GTEST_SKIP() << "ptrace is not allowed here";
    ASSERT_TRUE(run.killed) << "the save made no rename of its temporary file";
    EXPECT_TRUE(WIFSIGNALED(run.waitStatus) && WTERMSIG(run.waitStatus) == SIGKILL);

    EXPECT_EQ(ReadFile(Presets() + "/keep.ini"), oldBytes);
    // The new preset was written whole before the rename that never came.
    std::vector<std::string> leftOver;
    for (const auto& entry : std::filesystem::directory_iterator(Presets())) {
        const std::string name = entry.path().filename().string();
        if (name != "keep.ini")
            leftOver.push_back(name);
    }
    ASSERT_EQ(leftOver.size(), 1u);
    EXPECT_TRUE(leftOver[0].starts_with(".keep.ini.")) << leftOver[0];
    EXPECT_NE(ReadFile(Presets() + "/" + leftOver[0]).find("\nCase = upper\n"), std::string::npos);

    EXPECT_EQ(Cli({"--list-presets"}).out, "keep\n");
    EXPECT_EQ(PreviewedName({"--preset", "keep"}, "Hello World.TXT"), "hello world.txt");
}

}  // namespace
}  // namespace brindle::testing
