// brindle-cli on real temporary folders: batches and their rows, the order of a folder,
// the output formats, the preview, runs that fail as a whole, paths, help and version.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "CliProcess.h"
#include "FileTree.h"
#include "Mp3TagBytes.h"
#include "Placeholders.h"
#include "TempFolder.h"
#include "cli/CommandLine.h"
#include "platform/FileSystem.h"
#include "platform/NameCodec.h"
#include "platform/OpenFolder.h"

namespace brindle::testing {
namespace {

// "{D}" stands for the temporary folder, with its final '/'.
Placeholder D(const TempFolder& temp) {
    return {"{D}", temp.path().string() + "/"};
}

// The build's brindle-cli reads the shipped configuration beside it, which turns the log
// on: a batch that means none says so.
Strings Unlogged(Strings args) {
    args.insert(args.begin(), "--no-write-log");
    return args;
}

void MakeReadOnly(const TempFolder& temp, const std::string& relative) {
    ASSERT_EQ(chmod((temp.path() / relative).c_str(), 0444), 0);
}

struct BatchCase {
    const char* name;
    Strings files;     // relative to the temporary folder; "x/" makes a folder
    Strings readOnly;  // files made read-only first
    Strings args;      // "{D}" is the temporary folder
    Strings rows;      // in any order
    std::string status;
    Strings listing;  // afterwards
    int exitStatus;
    Strings errors = {};  // standard error, line by line: the failures' reasons
};

TEST(CliBatchTest, Batches) {
    const std::vector<BatchCase> cases = {
        {"lower case over a folder",
         {"w/FILE_A.TXT", "w/b.txt"},
         {},
         {"--case", "lower", "--folder", "{D}w"},
         {"FILE_A.TXT  file_a.txt  0  {D}w/", "b.txt  b.txt  0  {D}w/"},
         Status(2, 1, 10, 10, 0),
         {"w/", "w/b.txt", "w/file_a.txt"},
         0},
        {"an empty folder still gets its status line",
         {"w/"},
         {},
         {"--case", "lower", "--folder", "{D}w/"},
         {},
         Status(0, 0, 0, 0, 0),
         {"w/"},
         0},
        {"subfolders are scanned with --subfolders",
         {"w/s/B.TXT"},
         {},
         {"--subfolders", "--case=lower", "--folder={D}w"},
         {"B.TXT  b.txt  0  {D}w/s/"},
         Status(1, 1, 5, 5, 0),
         {"w/", "w/s/", "w/s/b.txt"},
         0},
        {"a dry run only lists",
         {"w/A.TXT"},
         {},
         {"--dry-run", "--case=lower", "--folder={D}w"},
         {"A.TXT  a.txt  0  {D}w/"},
         Status(1, 1, 5, 5, 0),
         {"w/", "w/A.TXT"},
         0},
        {"a read-only file is skipped and counted",
         {"w/A.TXT"},
         {"w/A.TXT"},
         {"--skip-read-only", "--case=lower", "--folder={D}w"},
         {"A.TXT  a.txt(Read Only)  0  {D}w/"},
         Status(1, 1, 5, 5, 1),
         {"w/", "w/A.TXT"},
         1},
        {"an existing target is never overwritten",
         {"w/A.txt", "w/b.txt"},
         {},
         {"--replace-what=A", "--replace-with=b", "{D}w/A.txt", "{D}w/b.txt"},
         {"A.txt  (Unknown Error Aquired)  0  {D}w/", "b.txt  b.txt  0  {D}w/"},
         Status(2, 1, 5, 5, 1),
         {"w/", "w/A.txt", "w/b.txt"},
         1,
         {"brindle-cli: {D}w/A.txt: the new name exists (b.txt)"}},
        {"a dropped path that does not exist is a failed rename",
         {"w/"},
         {},
         {"--case", "lower", "{D}w/GONE.TXT"},
         {"GONE.TXT  (Unknown Error Aquired)  0  {D}w/"},
         Status(1, 1, 8, 8, 1),
         {"w/"},
         1,
         {"brindle-cli: {D}w/GONE.TXT: No such file or directory"}},
        {"a dropped folder is renamed after its contents",
         {"w/Sub/X.TXT"},
         {},
         {"--case", "lower", "--subfolders", "--rename-dirs", "{D}w/Sub/"},
         {"X.TXT  x.txt  0  {D}w/Sub/", "{D}w/Sub  sub  0  {D}w/"},
         Status(2, 2, 5, 5, 0),
         {"w/", "w/sub/", "w/sub/x.txt"},
         0},
        {"the file mover sends listed types up",
         {"w/s/Setup.EXE", "w/s/keep.txt"},
         {},
         {"--file-types", ".exe,.bat", "--subfolders", "--folder", "{D}w"},
         {"Setup.EXE  Setup.EXE  0  {D}w/", "keep.txt  keep.txt  0  {D}w/s/"},
         Status(2, 1, 9, 9, 0),
         {"w/", "w/Setup.EXE", "w/s/", "w/s/keep.txt"},
         0},
        {"the length cut keeps the name before a doubled extension",
         {"w/abab.txt.txt", "w/photo.jpeg.jpeg"},
         {},
         {"--force-length=8", "--folder={D}w"},
         {"abab.txt.txt  abab.txt  0  {D}w/", "photo.jpeg.jpeg  pho.jpeg  0  {D}w/"},
         Status(2, 2, 15, 8, 0),
         {"w/", "w/abab.txt", "w/pho.jpeg"},
         0},
        {"only the last extension is set aside",
         {"w/Report.pdf.final.pdf"},
         {},
         {"--without-extension", "--case=upper", "--folder={D}w"},
         {"Report.pdf.final.pdf  REPORT.PDF.FINAL.pdf  0  {D}w/"},
         Status(1, 1, 20, 20, 0),
         {"w/", "w/REPORT.PDF.FINAL.pdf"},
         0},
        {"options reach the pipeline",
         {"w/my song.mp3.mp3"},
         {},
         {"--duplicate-extension", "--count-symbols", "--case=upper-letter", "--pattern=/O-/4",
          "--start-index=-1", "--without-extension", "--folder={D}w"},
         {"my song.mp3.mp3  My Song--001.mp3  7  {D}w/"},
         Status(1, 1, 15, 16, 0),
         {"w/", "w/My Song--001.mp3"},
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        for (const auto& file : c.files)
            temp.createFile(file);
        for (const auto& file : c.readOnly)
            MakeReadOnly(temp, file);
        const CliResult result = RunCli(CliRun(Unlogged(Filled(c.args, {D(temp)}))));
        EXPECT_EQ(result.status, c.exitStatus);
        EXPECT_EQ(Lines(result.err), Filled(c.errors, {D(temp)}));
        Strings lines = Lines(result.out);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), c.status);
        lines.pop_back();
        Strings expectedRows = Filled(c.rows, {D(temp)});
        std::sort(lines.begin(), lines.end());
        std::sort(expectedRows.begin(), expectedRows.end());
        EXPECT_EQ(lines, expectedRows);
        EXPECT_EQ(temp.listing(), c.listing);
    }
}

// The tag escapes apply to an MP3 file by its name on disk, whatever the stages before
// the pattern made of it.
TEST(CliBatchTest, TagEscapesFollowTheFileOnDisk) {
    const std::string tag = WithTrack(Tag("Song", "Art", "Alb", "2001"), 7);
    struct Case {
        const char* name;
        std::string file;
        Strings args;
        std::string renamed;
    };
    const std::vector<Case> cases = {
        {"upper-case extension", "x.MP3", {}, "Art - Song.MP3"},
        {"after a case conversion", "x.mp3", {"--case=upper"}, "Art - Song.MP3"},
        {"extension set aside", "x.mp3", {"--without-extension"}, "Art - Song.mp3"},
        {"no MP3 on disk", "x.txt", {"--replace-what=txt", "--replace-with=mp3"}, "A - T.mp3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        temp.createFile("w/" + c.file, tag);
        Strings args = c.args;
        args.insert(args.end(),
                    {"--quiet", "--pattern=\\A - \\T", "--folder", temp.path().string() + "/w"});
        const CliResult result = RunCli(CliRun(Unlogged(args)));
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(temp.listing(), (Strings{"w/", "w/" + c.renamed}));
    }
}

// Rows come in the order the batch meets the items; the running number follows it.
TEST(CliBatchTest, OrderOfAFolder) {
    TempFolder temp;
    const Strings made = {"x10.jpg", "x9.jpg", "X1.jpg", "a.jpg", "\xC3\xA9.jpg"};
    for (const auto& file : made)
        temp.createFile("w/" + file);
    Strings listed;  // the filesystem's own order
    for (const FolderEntry& entry : OpenFolder::AtPath(temp.folder("w")).List())
        listed.push_back(EncodeName(entry.name));
    const std::vector<std::pair<Strings, Strings>> cases = {
        {{}, {"a.jpg", "X1.jpg", "x9.jpg", "x10.jpg", "\xC3\xA9.jpg"}},
        {{"--order=natural"}, {"a.jpg", "X1.jpg", "x9.jpg", "x10.jpg", "\xC3\xA9.jpg"}},
        {{"--order", "bytes"}, {"X1.jpg", "a.jpg", "x10.jpg", "x9.jpg", "\xC3\xA9.jpg"}},
        {{"--order=none"}, listed},
    };
    for (const auto& [orderArgs, expected] : cases) {
        SCOPED_TRACE(orderArgs.empty() ? "default" : orderArgs.back());
        Strings args = orderArgs;
        args.insert(args.end(), {"--tsv", "--dry-run", "--pattern=/1", "--folder",
                                 temp.path().string() + "/w"});
        const CliResult result = RunCli(CliRun(Unlogged(args)));
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err, "");
        Strings rows = Lines(result.out);
        ASSERT_EQ(rows.size(), expected.size() + 2);  // the header and the status line
        for (std::size_t i = 0; i < expected.size(); ++i) {
            const std::string& row = rows[i + 1];
            EXPECT_EQ(row.substr(0, row.find('\t')), expected[i]);
            EXPECT_NE(row.find("\t" + std::to_string(i) + ".jpg\t"), std::string::npos) << row;
        }
    }
}

TEST(CliBatchTest, OutputFormats) {
    // Tab, backslash, line feed, a byte that is not UTF-8 and an escape character.
    const std::string name = "t\tb\\c\nd\xff\x1b.txt";
    const std::string upper = "T\tB\\C\nD\xff\x1b.TXT";
    struct Case {
        const char* name;
        Strings formatArgs;
        Strings lines;  // before the status line
    };
    const std::vector<Case> cases = {
        {"rows", {}, {"t\\tb\\\\c\\nd\xff\\x1b.txt  T\\tB\\\\C\\nD\xff\\x1b.TXT  0  {D}w/"}},
        {"tsv",
         {"--tsv"},
         {"Input File\tOutput File (Exceptions)\t#\tFolder (New Folder)\tReason",
          "t\\tb\\\\c\\nd\xff\x1b.txt\tT\\tB\\\\C\\nD\xff\x1b.TXT\t0\t{D}w/\t"}},
        {"quiet", {"--quiet"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        temp.createFile("w/" + name);
        Strings args = c.formatArgs;
        args.insert(args.end(), {"--case", "upper", "--folder", temp.path().string() + "/w"});
        const CliResult result = RunCli(CliRun(Unlogged(args)));
        EXPECT_EQ(result.status, 0);
        Strings expected = Filled(c.lines, {D(temp)});
        expected.push_back(Status(1, 1, 13, 13, 0));
        EXPECT_EQ(Lines(result.out), expected);
        EXPECT_EQ(temp.listing(), (Strings{"w/", "w/" + upper}));
    }
}

// A failed rename's reason, in the system's words: on standard error after its row, and
// as the last column of --tsv. As the ordinary user, whom the folder's permissions bind.
TEST(CliBatchTest, AFailureCarriesItsReason) {
    struct Case {
        const char* name;
        Strings formatArgs;
        Strings lines;  // before the status line
        Strings errors;
    };
    const std::string denied = "brindle-cli: {D}w/A.TXT: Permission denied";
    const std::vector<Case> cases = {
        {"rows",
         {},
         {"A.TXT  (Unknown Error Aquired)  0  {D}w/", "b.txt  b.txt  0  {D}w/"},
         {denied}},
        {"tsv",
         {"--tsv"},
         {"Input File\tOutput File (Exceptions)\t#\tFolder (New Folder)\tReason",
          "A.TXT\t(Unknown Error Aquired)\t0\t{D}w/\tPermission denied",
          "b.txt\tb.txt\t0\t{D}w/\t"},
         {denied}},
        {"quiet", {"--quiet"}, {}, {denied}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        temp.createFiles({"w/A.TXT", "w/b.txt"});
        GiveToOrdinaryUser(temp.path().string());
        ASSERT_EQ(chmod(temp.path().c_str(), 0755), 0);
        ASSERT_EQ(chmod((temp.path() / "w").c_str(), 0555), 0);
        Strings args = c.formatArgs;
        args.insert(args.end(), {"--case", "lower", "--folder", temp.path().string() + "/w"});
        const CliResult result = RunCli(CliRun(Unlogged(args)).asUser());
        EXPECT_EQ(result.status, 1);
        Strings expected = Filled(c.lines, {D(temp)});
        expected.push_back(Status(2, 1, 5, 5, 1));
        EXPECT_EQ(Lines(result.out), expected);
        EXPECT_EQ(Lines(result.err), Filled(c.errors, {D(temp)}));
        EXPECT_EQ(temp.listing(), (Strings{"w/", "w/A.TXT", "w/b.txt"}));
    }
}

const std::string kNoCounter =
    "; warning: items of one folder get this name: the name pattern has no counter (/0../9, "
    "/C)";

// --preview prints the plan and renames and logs nothing; it exits 1 when it shows a
// conflict, and not for a warning.
TEST(CliBatchTest, PreviewPrintsThePlan) {
    const std::string kHidden =
        "; warning: the new name is hidden, nothing left of it but the extension";
    struct Case {
        const char* name;
        Strings args;
        Strings lines;  // "{D}" the temporary folder
        int exitStatus;
    };
    const std::vector<Case> cases = {
        {"no conflict",
         {"--case", "lower", "--folder", "{D}w"},
         {"{D}w/A.TXT  {D}w/a.txt  rename", "{D}w/b.TXT  {D}w/b.txt  rename",
          "{D}w/c.txt  {D}w/c.txt  unchanged",
          "Items: 3 | To rename: 2 | Unchanged: 1 | Conflicts: 0"},
         0},
        {"two aim at one name, tsv",
         {"--tsv", "--pattern", "N", "--folder", "{D}w"},
         {"Path\tNew Path\tState", "{D}w/A.TXT\t{D}w/N.TXT\trename" + kNoCounter,
          "{D}w/b.TXT\t{D}w/N.TXT\tconflict: an earlier item takes the same new name "
          "({D}w/A.TXT)" +
              kNoCounter,
          "{D}w/c.txt\t{D}w/N.txt\trename",
          "Items: 3 | To rename: 2 | Unchanged: 0 | Conflicts: 1 (same new name: 1) | "
          "Warnings: 2 (one name, no counter: 2)"},
         1},
        {"a cut to the extension",
         {"--replace-what", "c", "--replace-with=", "--folder", "{D}w"},
         {"{D}w/A.TXT  {D}w/A.TXT  unchanged", "{D}w/b.TXT  {D}w/b.TXT  unchanged",
          "{D}w/c.txt  {D}w/.txt  rename" + kHidden,
          "Items: 3 | To rename: 1 | Unchanged: 2 | Conflicts: 0 | Warnings: 1 (hidden: 1)"},
         0},
        {"a pattern that is only '/'",
         {"--pattern", "/", "{D}w/A.TXT"},
         {"{D}w/A.TXT  {D}w/.TXT  rename" + kHidden,
          "Items: 1 | To rename: 1 | Unchanged: 0 | Conflicts: 0 | Warnings: 1 (hidden: 1)"},
         0},
        {"dropped paths, quiet",
         {"--quiet", "--replace-what", "c.txt", "--replace-with", "A.TXT", "{D}w/c.txt",
          "{D}w/gonec.txt"},
         {"Items: 2 | To rename: 0 | Unchanged: 0 | Conflicts: 2 (new name exists: 1, not "
          "found: 1)"},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        temp.createFiles({"w/A.TXT", "w/b.TXT", "w/c.txt"});
        Strings args = {"--preview", "--write-log", "--log", temp.path().string() + "/log"};
        for (const std::string& arg : c.args)
            args.push_back(Filled(arg, {D(temp)}));
        const CliResult result = RunCli(CliRun(args));
        EXPECT_EQ(result.status, c.exitStatus) << result.err;
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(Lines(result.out), Filled(c.lines, {D(temp)}));
        EXPECT_EQ(temp.listing(), (Strings{"w/", "w/A.TXT", "w/b.TXT", "w/c.txt"}));
    }
}

// A dry run renames nothing, and reports what --preview finds: each conflict on standard
// error, counted as an exception, and exit status 1. "Only Log" in the configuration file
// makes a dry run too; --no-dry-run overrides it.
TEST(CliBatchTest, DryRunReportsConflicts) {
    const std::string onlyLog = "[config]\nOnly Log = 1\n";
    const Strings untouched = {"w/", "w/A.TXT", "w/b.TXT", "w/c.txt"};
    const std::string sameName =
        "brindle-cli: {D}w/b.TXT  {D}w/N.TXT  conflict: an earlier item takes the same new name "
        "({D}w/A.TXT)" +
        kNoCounter + "\n";
    struct Case {
        const char* name;
        std::string ini;  // empty: the build's configuration
        Strings args;
        int exitStatus;
        std::string err;
        std::string status;
        Strings listing;
    };
    const std::vector<Case> cases = {
        {"a conflict",
         "",
         {"--dry-run", "--pattern", "N"},
         1,
         sameName,
         Status(3, 3, 5, 5, 1),
         untouched},
        {"none", "", {"--dry-run", "--case", "lower"}, 0, "", Status(3, 2, 5, 5, 0), untouched},
        {"Only Log in the file",
         onlyLog,
         {"--tsv", "--pattern", "N"},
         1,
         sameName,
         Status(3, 3, 5, 5, 1),
         untouched},
        {"overridden",
         onlyLog,
         {"--no-dry-run", "--case", "lower"},
         0,
         "",
         Status(3, 2, 5, 5, 0),
         {"w/", "w/a.txt", "w/b.txt", "w/c.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        temp.createFiles({"w/A.TXT", "w/b.TXT", "w/c.txt"});
        Strings args = {"--no-write-log", "--folder", temp.path().string() + "/w"};
        if (!c.ini.empty()) {
            temp.createFile("Brindle.ini", c.ini);
            args.insert(args.end(), {"--ini", temp.path().string() + "/Brindle.ini"});
        }
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliResult result = RunCli(CliRun(args));
        EXPECT_EQ(result.status, c.exitStatus);
        EXPECT_EQ(result.err, Filled(c.err, {D(temp)}));
        const Strings lines = Lines(result.out);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), c.status);
        std::filesystem::remove(temp.path() / "Brindle.ini");
        EXPECT_EQ(temp.listing(), c.listing);
    }
}

struct FailureCase {
    const char* name;
    Strings args;
    std::string message;  // the whole of standard error
    bool statusLine;      // the operation ran and reported its figures
};

TEST(CliBatchTest, WholeRunFailures) {
    const std::vector<FailureCase> cases = {
        {"usage error",
         {"--case=title", "--folder={D}w"},
         "brindle-cli: invalid argument 'title' for '--case' (none, lower, lower-letter, "
         "reverse, reverse-letter, upper, upper-letter) (see 'brindle-cli --help')\n",
         false},
        {"usage error after valid options",
         {"--case=lower", "{D}w/A.TXT", "--folder", "{D}w"},
         "brindle-cli: '--folder' cannot be combined with paths (see 'brindle-cli --help')\n",
         false},
        {"missing folder",
         {"--case=lower", "--folder", "{D}none"},
         "brindle-cli: {D}none was not found.\n",
         false},
        {"folder that is a file",
         {"--case=lower", "--folder", "{D}w/A.TXT"},
         "brindle-cli: {D}w/A.TXT is not a folder.\n",
         false},
        {"configuration file that cannot be opened",
         {"--case=lower", "--only-english=english", "--ini", "{D}none.ini", "--folder", "{D}w"},
         "brindle-cli: Error opening file: {D}none.ini\n",
         false},
        {"configuration file that cannot be opened, with a log and columns",
         {"--write-log", "--log", "{D}b.log", "--tsv", "--only-english=english", "--ini",
          "{D}none.ini", "{D}w/A.TXT"},
         "brindle-cli: Error opening file: {D}none.ini\n",
         false},
        {"configuration file that cannot be opened, previewed",
         {"--preview", "--tsv", "--only-english=english", "--ini", "{D}none.ini", "--folder",
          "{D}w"},
         "brindle-cli: Error opening file: {D}none.ini\n",
         false},
        {"log that cannot be opened for Undo",
         {"--undo", "--log", "{D}none.log", "--delete-log"},
         "brindle-cli: Error opening file: {D}none.log\n",
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        temp.createFile("w/A.TXT");
        const CliResult result = RunCli(CliRun(Filled(c.args, {D(temp)})));
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err, Filled(c.message, {D(temp)}));
        EXPECT_EQ(result.out, c.statusLine ? Status(0, 0, 0, 0, 0) + "\n" : "");
        EXPECT_EQ(temp.listing(), (Strings{"w/", "w/A.TXT"}));
    }
}

TEST(CliBatchTest, RelativePathsAreMadeAbsoluteBeforeTheBatch) {
    TempFolder temp;
    temp.createFiles({"w/A.TXT", "w/s/B.TXT", "logs/"});
    const CliResult folderBatch = RunCli(
        CliRun({"--write-log", "--log", "logs/../b.log", "--case=lower", "--folder", "./w/s/../"})
            .in(temp.path().string()));
    EXPECT_EQ(folderBatch.status, 0);
    EXPECT_EQ(Lines(folderBatch.out).front(), Filled("A.TXT  a.txt  0  {D}w/", {D(temp)}));
    const std::string log = temp.readFile("b.log");
    EXPECT_NE(log.find(Filled("Old Directory={D}w/\r\nNew Directory={D}w/\r\n", {D(temp)})),
              std::string::npos)
        << log;

    const CliResult dropBatch =
        RunCli(CliRun({"--no-write-log", "--case=lower", "w//s/./B.TXT"}).in(temp.path().string()));
    EXPECT_EQ(dropBatch.status, 0);
    EXPECT_EQ(Lines(dropBatch.out).front(), Filled("B.TXT  b.txt  0  {D}w/s/", {D(temp)}));
    EXPECT_EQ(temp.listing(), (Strings{"b.log", "logs/", "w/", "w/a.txt", "w/s/", "w/s/b.txt"}));
}

TEST(CliBatchTest, NamesBeginningWithADashFollowTheEndOfOptions) {
    TempFolder temp;
    temp.createFiles({"-N.TXT"});

    const CliResult refused = RunCli(CliRun({"--case=lower", "-N.TXT"}).in(temp.path().string()));
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err,
              "brindle-cli: unrecognized option '-N.TXT' (see 'brindle-cli --help')\n");
    EXPECT_TRUE(temp.exists("-N.TXT"));

    const CliResult renamed =
        RunCli(CliRun({"--no-write-log", "--case=lower", "--quiet", "--", "-N.TXT"})
                   .in(temp.path().string()));
    EXPECT_EQ(renamed.status, 0);
    EXPECT_EQ(temp.listing(), (Strings{"-n.txt"}));
}

TEST(CliBatchTest, AnEmptyPathIsSkippedNotTakenForTheWorkingDirectory) {
    TempFolder temp;
    temp.createFiles({"w/"});
    const CliResult result = RunCli(CliRun({"--no-write-log", "--rename-dirs", "--case=upper", ""})
                                        .in((temp.path() / "w").string()));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, Status(0, 0, 0, 0, 0) + "\n");
    EXPECT_EQ(temp.listing(), (Strings{"w/"}));
}

TEST(CliBatchTest, HelpAndVersion) {
    const CliResult help = RunCli(CliRun({"--case=lower", "--help", "--bogus"}));
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    std::ifstream manFile(std::string(BRINDLE_SOURCE_DIR) + "/cli/brindle-cli.1");
    std::stringstream man;
    man << manFile.rdbuf();
    for (const std::string_view option : cli::KnownOptionNames()) {
        const std::string name(option);
        EXPECT_NE(help.out.find(name), std::string::npos) << name;
        std::string escaped;
        for (const char c : name)
            escaped += c == '-' ? std::string("\\-") : std::string(1, c);
        EXPECT_NE(man.str().find("\\fB" + escaped), std::string::npos) << name;
    }

    const CliResult version = RunCli(CliRun({"--version"}));
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "brindle-cli (Brindle) 3.7.0\n");
}

}  // namespace
}  // namespace brindle::testing
