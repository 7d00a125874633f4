#include "cli/CommandLine.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "FileLock.h"
#include "platform/NameCodec.h"

namespace brindle::cli {
namespace {

using Args = std::vector<std::string>;

struct AcceptedCase {
    const char* name;
    Args args;
    std::function<void(const CliRequest&)> check;
};

TEST(CommandLineTest, AcceptedCommandLines) {
    const std::vector<AcceptedCase> cases = {
        {"value after '='",
         {"--case=upper", "--folder=/d"},
         [](const CliRequest& r) {
             EXPECT_EQ(r.settings.conversionMode, 5);
             EXPECT_EQ(r.folder, "/d");
         }},
        {"value as the next argument",
         {"--case", "lower-letter", "--folder", "/d"},
         [](const CliRequest& r) { EXPECT_EQ(r.settings.conversionMode, 2); }},
        {"last value wins",
         {"--case", "lower", "--folder", "/a", "--case=upper", "--folder=/b"},
         [](const CliRequest& r) {
             EXPECT_EQ(r.settings.conversionMode, 5);
             EXPECT_EQ(r.folder, "/b");
         }},
        {"options and paths in any order",
         {"a", "--case", "reverse", "b", "--subfolders", "c"},
         [](const CliRequest& r) {
             EXPECT_EQ(r.paths, (Args{"a", "b", "c"}));
             EXPECT_EQ(r.settings.conversionMode, 3);
             EXPECT_TRUE(r.settings.scanSubfolders);
         }},
        {"'--' ends the options",
         {"--case", "upper", "--", "--case", "-x", "--"},
         [](const CliRequest& r) {
             EXPECT_EQ(r.paths, (Args{"--case", "-x", "--"}));
         }},
        {"a lone '-' is a path",
         {"-"},
         [](const CliRequest& r) { EXPECT_EQ(r.paths, (Args{"-"})); }},
        {"a value may begin with '-'",
         {"--replace-what", "-x", "--replace-with", "--", "p"},
         [](const CliRequest& r) {
             EXPECT_EQ(r.settings.replaceWhat, u"-x");
             EXPECT_EQ(r.settings.replaceWith, u"--");
             EXPECT_EQ(r.paths, (Args{"p"}));
         }},
        {"empty texts are values",
         {"--pattern=", "--file-types=", "--replace-with=", "p"},
         [](const CliRequest& r) {
             EXPECT_EQ(r.settings.namePattern, u"");
             EXPECT_EQ(r.settings.fileTypes, u"");
         }},
        {"texts keep bytes that are not UTF-8",
         {"--pattern=a\xff/O", "p"},
         [](const CliRequest& r) { EXPECT_EQ(r.settings.namePattern, u"a\xdcff/O"); }},
        {"only english ticks w/o extension",
         {"--only-english", "symbols", "p"},
         [](const CliRequest& r) {
             EXPECT_TRUE(r.settings.onlyEnglish);
             EXPECT_TRUE(r.settings.withoutExtension);
             EXPECT_EQ(r.settings.filterMethod, u"Symbols");
         }},
        {"with-extension before only-english",
         {"--with-extension", "--only-english=custom", "p"},
         [](const CliRequest& r) {
             EXPECT_TRUE(r.settings.onlyEnglish);
             EXPECT_FALSE(r.settings.withoutExtension);
             EXPECT_EQ(r.settings.filterMethod, u"Custom");
         }},
        {"with-extension after without-extension",
         {"--without-extension", "--with-extension", "p"},
         [](const CliRequest& r) { EXPECT_FALSE(r.settings.withoutExtension); }},
        {"every flag",
         {"--duplicate-extension", "--count-symbols", "--subfolders", "--rename-dirs",
          "--skip-read-only", "--dry-run", "--write-log", "--without-extension", "p"},
         [](const CliRequest& r) {
             const RenameSettings& o = r.settings;
             EXPECT_TRUE(o.duplicateExtension && o.countSymbols && o.scanSubfolders &&
                         o.renameDirs && o.skipReadOnly && o.onlyLog && o.writeLogFile &&
                         o.withoutExtension);
             EXPECT_FALSE(o.deleteContents || o.resetCounters || o.showLogWindow || o.onlyEnglish ||
                          o.force63);
         }},
        {"nothing is on by default",
         {"p"},
         [](const CliRequest& r) {
             const RenameSettings& o = r.settings;
             EXPECT_FALSE(o.onlyEnglish || o.force63 || o.withoutExtension || o.onlyLog ||
                          o.countSymbols || o.scanSubfolders || o.skipReadOnly || o.writeLogFile ||
                          o.duplicateExtension || o.renameDirs);
             EXPECT_EQ(o.conversionMode, 0);
             EXPECT_EQ(o.order, NameOrder::Natural);
             EXPECT_EQ(o.startIndex, 0);
             EXPECT_TRUE(o.replaceWhat.empty() && o.replaceWith.empty() && o.namePattern.empty() &&
                         o.fileTypes.empty());
             EXPECT_FALSE(r.folder || r.iniFile || r.logFile);
             EXPECT_EQ(r.format, OutputFormat::Rows);
         }},
        {"order by bytes",
         {"--order", "bytes", "p"},
         [](const CliRequest& r) { EXPECT_EQ(r.settings.order, NameOrder::Bytes); }},
        {"order as listed",
         {"--order=none", "p"},
         [](const CliRequest& r) { EXPECT_EQ(r.settings.order, NameOrder::None); }},
        {"natural order asked for",
         {"--order=none", "--order=natural", "p"},
         [](const CliRequest& r) { EXPECT_EQ(r.settings.order, NameOrder::Natural); }},
        {"force length zero",
         {"--force-length", "0", "p"},
         [](const CliRequest& r) {
             EXPECT_TRUE(r.settings.force63);
             EXPECT_EQ(r.settings.force63Length, 0);
         }},
        {"force length beyond the dialog's spin range",
         {"--force-length=+5000", "p"},
         [](const CliRequest& r) { EXPECT_EQ(r.settings.force63Length, 5000); }},
        {"negative start index",
         {"--start-index=-2147483648", "p"},
         [](const CliRequest& r) { EXPECT_EQ(r.settings.startIndex, INT32_MIN); }},
        {"undo with its options",
         {"--undo", "--log", "x.log", "--tsv", "--delete-log"},
         [](const CliRequest& r) {
             EXPECT_EQ(r.command, Command::Undo);
             EXPECT_EQ(r.logFile, "x.log");
             EXPECT_EQ(r.format, OutputFormat::Tsv);
             EXPECT_EQ(r.logAnswer, LogAnswer::Delete);
         }},
        {"undo of every batch",
         {"--all", "--undo"},
         [](const CliRequest& r) {
             EXPECT_EQ(r.command, Command::Undo);
             EXPECT_TRUE(r.undoAll);
         }},
        {"history of another log",
         {"--history", "--log", "x.log", "--tsv"},
         [](const CliRequest& r) {
             EXPECT_EQ(r.command, Command::History);
             EXPECT_EQ(r.logFile, "x.log");
             EXPECT_EQ(r.format, OutputFormat::Tsv);
         }},
        {"undo asks by default",
         {"--quiet", "--undo"},
         [](const CliRequest& r) {
             EXPECT_FALSE(r.undoAll);
             EXPECT_EQ(r.logAnswer, LogAnswer::Ask);
             EXPECT_EQ(r.format, OutputFormat::Quiet);
         }},
        {"of --tsv and --quiet the last counts",
         {"--quiet", "--tsv", "p"},
         [](const CliRequest& r) { EXPECT_EQ(r.format, OutputFormat::Tsv); }},
        {"help before a bad option",
         {"--help", "--bogus"},
         [](const CliRequest& r) { EXPECT_EQ(r.command, Command::Help); }},
        {"a batch from a preset, the flags over it",
         {"--preset", "photos", "--case", "upper", "p"},
         [](const CliRequest& r) {
             EXPECT_EQ(r.command, Command::Batch);
             EXPECT_EQ(r.preset, "photos");
             EXPECT_EQ(r.settings.conversionMode, 5);
         }},
        {"saving a preset needs no folder",
         {"--save-preset=photos", "--preset", "old", "--case", "lower"},
         [](const CliRequest& r) {
             EXPECT_EQ(r.command, Command::SavePreset);
             EXPECT_EQ(r.savePreset, "photos");
             EXPECT_EQ(r.preset, "old");
             EXPECT_EQ(r.settings.conversionMode, 1);
         }},
        {"listing the presets",
         {"--list-presets"},
         [](const CliRequest& r) { EXPECT_EQ(r.command, Command::ListPresets); }},
        {"version without a batch",
         {"--version"},
         [](const CliRequest& r) { EXPECT_EQ(r.command, Command::Version); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ParseOutcome outcome = ParseCommandLine(c.args);
        ASSERT_TRUE(outcome.request) << outcome.error;
        c.check(*outcome.request);
    }
}

TEST(CommandLineTest, CaseModesAreNumberedAsTheRadioButtons) {
    const std::vector<std::pair<std::string, int>> modes = {
        {"none", 0},           {"lower", 1}, {"lower-letter", 2}, {"reverse", 3},
        {"reverse-letter", 4}, {"upper", 5}, {"upper-letter", 6},
    };
    for (const auto& [name, mode] : modes) {
        const ParseOutcome outcome = ParseCommandLine({"--case", name, "p"});
        ASSERT_TRUE(outcome.request) << name;
        EXPECT_EQ(outcome.request->settings.conversionMode, mode) << name;
    }
}

struct RejectedCase {
    const char* name;
    Args args;
    const char* error;  // a part of the message
};

TEST(CommandLineTest, UsageErrors) {
    const std::vector<RejectedCase> cases = {
        {"unknown long option", {"--bogus", "p"}, "unrecognized option '--bogus'"},
        {"unknown short option", {"-x", "p"}, "unrecognized option '-x'"},
        {"no abbreviations", {"--subf", "p"}, "unrecognized option '--subf'"},
        {"bad option after help is not reached", {"--bogus", "--help"}, "'--bogus'"},
        {"missing value", {"p", "--case"}, "option '--case' requires an argument"},
        {"value for a flag", {"--quiet=1", "p"}, "option '--quiet' doesn't allow an argument"},
        {"unknown case mode", {"--case=title", "p"}, "invalid argument 'title' for '--case'"},
        {"case mode is exact", {"--case=LOWER", "p"}, "invalid argument 'LOWER'"},
        {"unknown order",
         {"--order=name", "p"},
         "invalid argument 'name' for '--order' (natural, bytes, none, modified, created, taken, "
         "size, extension)"},
        {"undo with an order", {"--undo", "--order=none"}, "with '--order'"},
        {"unknown method", {"--only-english=russian", "p"}, "for '--only-english'"},
        {"negative length", {"--force-length=-1", "p"}, "invalid argument '-1'"},
        {"length past 32 bits", {"--force-length=2147483648", "p"}, "'--force-length'"},
        {"number with a space", {"--start-index= 5", "p"}, "'--start-index'"},
        {"number with letters", {"--start-index=5x", "p"}, "'--start-index'"},
        {"index below 32 bits", {"--start-index=-2147483649", "p"}, "'--start-index'"},
        {"empty folder", {"--folder="}, "invalid argument '' for '--folder'"},
        {"empty log", {"--log=", "p"}, "for '--log'"},
        {"folder and paths", {"--folder", "/d", "p"}, "'--folder' cannot be combined with paths"},
        {"neither folder nor path", {"--case", "lower"}, "no '--folder' and no path given"},
        {"nothing at all", {}, "no '--folder' and no path given"},
        {"undo with a batch option", {"--undo", "--case", "lower"}, "'--undo' cannot be combined"},
        {"undo with ini", {"--ini", "x.ini", "--undo"}, "with '--ini'"},
        {"undo with a folder", {"--undo", "--folder", "/d"}, "with '--folder'"},
        {"undo with paths", {"--undo", "p"}, "'--undo' takes no paths"},
        {"undo with a --no- form", {"--undo", "--no-write-log"}, "with '--no-write-log'"},
        {"value for a --no- form", {"--no-dry-run=1", "p"}, "'--no-dry-run' doesn't allow"},
        {"short form with a value", {"-n=1", "p"}, "unrecognized option '-n=1'"},
        {"short forms stand alone", {"-nn", "p"}, "unrecognized option '-nn'"},
        {"no --no- form for a value", {"--no-pattern", "p"}, "unrecognized option '--no-pattern'"},
        {"delete and keep", {"--undo", "--delete-log", "--keep-log"}, "exclude each other"},
        {"delete without undo", {"--delete-log", "p"}, "goes only with '--undo'"},
        {"all without undo", {"--all", "p"}, "'--all' goes only with '--undo'"},
        {"history with undo", {"--history", "--undo"}, "'--history' goes with no other"},
        {"history with a batch option", {"--history", "--case=lower"}, "with '--case'"},
        {"history with paths", {"--history", "p"}, "'--history' takes no paths"},
        {"undo from a preset", {"--undo", "--preset", "x"}, "'--undo' cannot be combined"},
        {"history saving a preset", {"--save-preset", "x", "--history"}, "with '--save-preset'"},
        {"preset without a value", {"p", "--preset"}, "option '--preset' requires an argument"},
        {"saving beside a folder", {"--save-preset", "x", "--folder", "/d"}, "no '--folder'"},
        {"saving beside paths", {"p", "--save-preset", "x"}, "takes no '--folder' and no paths"},
        {"saving beside a preview", {"-n", "--save-preset", "x"}, "with '--preview'"},
        {"listing beside a batch option", {"--list-presets", "--case=lower"}, "with '--case'"},
        {"listing beside a preset", {"--preset", "x", "--list-presets"}, "with '--preset'"},
        {"listing with paths", {"--list-presets", "p"}, "'--list-presets' takes no paths"},
        {"listing beside undo", {"--undo", "--list-presets"}, "goes with no other command"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ParseOutcome outcome = ParseCommandLine(c.args);
        EXPECT_FALSE(outcome.request);
        EXPECT_NE(outcome.error.find(c.error), std::string::npos) << outcome.error;
    }
}

// The switches start as the configuration file sets them, the command line over them; the
// file gives nothing else. Each case: the [config] lines, the command line, and the
// switches on afterwards.
TEST(CommandLineTest, SwitchesStartFromTheConfigurationFile) {
    const std::string everyKey =
        "[config]\nOnly English = 1\nShow Log Window = 1\nForce 63 = 1\n"
        "w/o File Extension = 1\nOnly Log = 1\nCount # of symbols = 1\nDelete Contents = 1\n"
        "Reset Counters = 1\nScan Subfolders = 1\nRead Only = 1\nWrite Log File = 1\n"
        "Dublicate Extension = 1\nRename Dir = 1\nPreview First = 1\nForce Length = 10\n"
        "Case = upper\nName Pattern = x\nMethod = english\n";
    using Flag = bool RenameSettings::*;
    const std::vector<Flag> fromFile = {
        &RenameSettings::force63,        &RenameSettings::withoutExtension,
        &RenameSettings::onlyLog,        &RenameSettings::countSymbols,
        &RenameSettings::scanSubfolders, &RenameSettings::skipReadOnly,
        &RenameSettings::writeLogFile,   &RenameSettings::duplicateExtension,
        &RenameSettings::renameDirs};
    const auto without = [&](std::vector<Flag> flags, Flag off) {
        flags.erase(std::find(flags.begin(), flags.end(), off));
        return flags;
    };
    struct Case {
        const char* name;
        std::string file;
        Args args;
        std::vector<Flag> on;
        int length;
        // Another holder has the file's lock: read all the same, so that runs started
        // together never start each other with every switch off.
        bool locked = false;
    };
    const std::vector<Case> cases = {
        {"every key on", everyKey, {"p"}, fromFile, 64},
        {"no file", "", {"p"}, {}, 64},
        {"a --no- form",
         everyKey,
         {"--no-write-log", "p"},
         without(fromFile, &RenameSettings::writeLogFile),
         64},
        {"no cut",
         everyKey,
         {"--no-force-length", "p"},
         without(fromFile, &RenameSettings::force63),
         64},
        {"a length of its own", everyKey, {"--force-length=8", "p"}, fromFile, 8},
        {"the last form wins",
         "[config]\nOnly Log = 1\n",
         {"--no-dry-run", "--dry-run", "--no-subfolders", "--subfolders", "--no-dry-run", "p"},
         {&RenameSettings::scanSubfolders},
         64},
        {"switched on over the file",
         "[config]\nWrite Log File = 0\n",
         {"--write-log", "p"},
         {&RenameSettings::writeLogFile},
         64},
        {"locked by another holder",
         "[config]\nWrite Log File = 1\n",
         {"p"},
         {&RenameSettings::writeLogFile},
         64,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        char folder[] = "/tmp/brindle-cmdline-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        const std::string ini = std::string(folder) + "/Brindle.ini";
        if (!c.file.empty())
            std::ofstream(ini) << c.file;
        std::optional<testing::LockHolder> other;
        if (c.locked) {
            ASSERT_TRUE(other.emplace(ini).locked());
        }
        const ParseOutcome outcome = ParseCommandLine(c.args, SettingsFromConfig(DecodeName(ini)));
        other.reset();
        std::remove(ini.c_str());
        rmdir(folder);
        ASSERT_TRUE(outcome.request) << outcome.error;
        RenameSettings expected;
        for (const Flag flag : c.on)
            expected.*flag = true;
        expected.force63Length = c.length;
        EXPECT_EQ(outcome.request->settings, expected);
    }
}

TEST(CommandLineTest, PreviewHasAShortForm) {
    const ParseOutcome outcome = ParseCommandLine({"-n", "--case=lower", "p"});
    ASSERT_TRUE(outcome.request);
    EXPECT_EQ(outcome.request->command, Command::Preview);
}

TEST(CommandLineTest, PathsMadeAbsoluteAsText) {
    struct Case {
        const char* path;
        const char* cwd;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"a", "/w", "/w/a"},
        {"./a/../b/", "/w", "/w/b"},
        {"/x//y/", "/w", "/x/y"},
        {"..", "/", "/"},
        {"../../..", "/w/v", "/"},
        {".", "/w/v", "/w/v"},
        {"a/..", "/", "/"},
        {"/", "/w", "/"},
        {"...", "/w", "/w/..."},
        {"12:30 a\\b", "/w", "/w/12:30 a\\b"},
        {"-n.txt", "/w", "/w/-n.txt"},
        {"", "/w", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MakeAbsolute(c.path, c.cwd), c.expected) << c.path;
}

}  // namespace
}  // namespace brindle::cli
