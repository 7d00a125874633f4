#include "cli/CommandLine.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

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
        {"undo asks by default",
         {"--quiet", "--undo"},
         [](const CliRequest& r) {
             EXPECT_EQ(r.logAnswer, LogAnswer::Ask);
             EXPECT_EQ(r.format, OutputFormat::Quiet);
         }},
        {"of --tsv and --quiet the last counts",
         {"--quiet", "--tsv", "p"},
         [](const CliRequest& r) { EXPECT_EQ(r.format, OutputFormat::Tsv); }},
        {"help before a bad option",
         {"--help", "--bogus"},
         [](const CliRequest& r) { EXPECT_EQ(r.command, Command::Help); }},
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
         "invalid argument 'name' for '--order' (natural, bytes, none)"},
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
        {"delete and keep", {"--undo", "--delete-log", "--keep-log"}, "exclude each other"},
        {"delete without undo", {"--delete-log", "p"}, "goes only with '--undo'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ParseOutcome outcome = ParseCommandLine(c.args);
        EXPECT_FALSE(outcome.request);
        EXPECT_NE(outcome.error.find(c.error), std::string::npos) << outcome.error;
    }
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
