// The real brindle-cli on real temporary folders.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "CliProcess.h"
#include "TempFolder.h"
#include "cli/CommandLine.h"
#include "platform/FileSystem.h"
#include "platform/NameCodec.h"

namespace brindle::testing {
namespace {

using Strings = std::vector<std::string>;

std::string Status(int total, int changed, int input, int output, int exceptions) {
    std::ostringstream text;
    text << "Total files: " << total << " | Changed files: " << changed
         << " | Average Input length: " << input << " | Average Output length: " << output
         << " | Exceptions: " << exceptions;
    return text.str();
}

// "{D}" stands for the temporary folder, with its final '/'.
std::string Expand(std::string text, const TempFolder& temp) {
    const std::string folder = temp.path().string() + "/";
    for (auto at = text.find("{D}"); at != std::string::npos; at = text.find("{D}", at)) {
        text.replace(at, 3, folder);
        at += folder.size();
    }
    return text;
}

Strings Expand(const Strings& texts, const TempFolder& temp) {
    Strings expanded;
    for (const auto& text : texts)
        expanded.push_back(Expand(text, temp));
    return expanded;
}

void MakeReadOnly(const TempFolder& temp, const std::string& relative) {
    ASSERT_EQ(chmod((temp.path() / relative).c_str(), 0444), 0);
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
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
};

TEST(CliProgramTest, Batches) {
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
         1},
        {"a dropped path that does not exist is a failed rename",
         {"w/"},
         {},
         {"--case", "lower", "{D}w/GONE.TXT"},
         {"GONE.TXT  (Unknown Error Aquired)  0  {D}w/"},
         Status(1, 1, 8, 8, 1),
         {"w/"},
         1},
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
        const CliResult result = RunCliProcess(Expand(c.args, temp));
        EXPECT_EQ(result.status, c.exitStatus);
        EXPECT_EQ(result.err, "");
        Strings lines = Lines(result.out);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), c.status);
        lines.pop_back();
        Strings expectedRows = Expand(c.rows, temp);
        std::sort(lines.begin(), lines.end());
        std::sort(expectedRows.begin(), expectedRows.end());
        EXPECT_EQ(lines, expectedRows);
        EXPECT_EQ(temp.listing(), c.listing);
    }
}

// Rows come in the order the batch meets the items; the running number follows it.
TEST(CliProgramTest, OrderOfAFolder) {
    TempFolder temp;
    const Strings made = {"x10.jpg", "x9.jpg", "X1.jpg", "a.jpg", "\xC3\xA9.jpg"};
    for (const auto& file : made)
        temp.createFile("w/" + file);
    Strings listed;  // the filesystem's own order
    for (const FolderEntry& entry : ListFolder(temp.folder("w")))
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
        const CliResult result = RunCliProcess(args);
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

TEST(CliProgramTest, OutputFormats) {
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
         {"Input File\tOutput File (Exceptions)\t#\tFolder (New Folder)",
          "t\\tb\\\\c\\nd\xff\x1b.txt\tT\\tB\\\\C\\nD\xff\x1b.TXT\t0\t{D}w/"}},
        {"quiet", {"--quiet"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        temp.createFile("w/" + name);
        Strings args = c.formatArgs;
        args.insert(args.end(), {"--case", "upper", "--folder", temp.path().string() + "/w"});
        const CliResult result = RunCliProcess(args);
        EXPECT_EQ(result.status, 0);
        Strings expected = Expand(c.lines, temp);
        expected.push_back(Status(1, 1, 13, 13, 0));
        EXPECT_EQ(Lines(result.out), expected);
        EXPECT_EQ(temp.listing(), (Strings{"w/", "w/" + upper}));
    }
}

// --preview prints the plan and renames and logs nothing; it exits 1 when it shows a
// conflict.
TEST(CliProgramTest, PreviewPrintsThePlan) {
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
         {"Path\tNew Path\tState", "{D}w/A.TXT\t{D}w/N.TXT\trename",
          "{D}w/b.TXT\t{D}w/N.TXT\tconflict: an earlier item takes the same new name "
          "({D}w/A.TXT)",
          "{D}w/c.txt\t{D}w/N.txt\trename",
          "Items: 3 | To rename: 2 | Unchanged: 0 | Conflicts: 1 (same new name: 1)"},
         1},
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
            args.push_back(Expand(arg, temp));
        const CliResult result = RunCliProcess(args);
        EXPECT_EQ(result.status, c.exitStatus) << result.err;
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(Lines(result.out), Expand(c.lines, temp));
        EXPECT_EQ(temp.listing(), (Strings{"w/", "w/A.TXT", "w/b.TXT", "w/c.txt"}));
    }
}

struct FailureCase {
    const char* name;
    Strings args;
    std::string message;  // the whole of standard error
    bool statusLine;      // the operation ran and reported its figures
};

TEST(CliProgramTest, WholeRunFailures) {
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
        {"log that cannot be opened for Undo",
         {"--undo", "--log", "{D}none.log", "--delete-log"},
         "brindle-cli: Error opening file: {D}none.log\n",
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        temp.createFile("w/A.TXT");
        const CliResult result = RunCliProcess(Expand(c.args, temp));
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err, Expand(c.message, temp));
        EXPECT_EQ(result.out, c.statusLine ? Status(0, 0, 0, 0, 0) + "\n" : "");
        EXPECT_EQ(temp.listing(), (Strings{"w/", "w/A.TXT"}));
    }
}

TEST(CliProgramTest, RecordThatCannotBeWrittenKeepsTheItem) {
    TempFolder temp;
    temp.createFiles({"w/A.TXT", "log/"});
    // A folder where the log should be: no record, so no rename either.
    const CliResult result = RunCliProcess({"--write-log", "--log", temp.path() / "log",
                                            "--case=lower", "--quiet", temp.path() / "w/A.TXT"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, Status(1, 1, 5, 5, 1) + "\n");
    EXPECT_TRUE(temp.exists("w/A.TXT"));
}

struct UndoAnswerCase {
    const char* name;
    Strings answerArgs;
    bool terminal;
    std::string typed;
    bool logDeleted;
    std::string question;  // standard error
};

TEST(CliProgramTest, UndoPutsNamesBackAndTreatsTheLogAsAnswered) {
    const std::string question = "brindle-cli: Do you want to delete Log file? [y/N] ";
    const std::vector<UndoAnswerCase> cases = {
        {"--delete-log", {"--delete-log"}, false, "", true, ""},
        {"--keep-log", {"--keep-log"}, true, "y\n", false, ""},
        {"nobody to ask", {}, false, "y\n", false, ""},
        {"answered y", {}, true, "y\n", true, question},
        {"answered YES", {}, true, " YES \n", true, question},
        {"answered n", {}, true, "n\n", false, question},
        {"answered yess", {}, true, "yess\n", false, question},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        temp.createFiles({"w/ONE.TXT", "w/Two.txt"});
        const std::string log = (temp.path() / "b.log").string();
        const CliResult batch = RunCliProcess(
            {"--write-log", "--log", log, "--case", "lower", "--folder", temp.path() / "w"});
        ASSERT_EQ(batch.status, 0);
        ASSERT_EQ(temp.listing(), (Strings{"b.log", "w/", "w/one.txt", "w/two.txt"}));

        Strings args{"--undo", "--log", log};
        args.insert(args.end(), c.answerArgs.begin(), c.answerArgs.end());
        const CliResult undo = RunCliProcess(args, CliRunOptions().typed(c.typed, c.terminal));
        EXPECT_EQ(undo.status, 0);
        EXPECT_EQ(undo.err, c.question);
        Strings rows = Lines(undo.out);
        ASSERT_EQ(rows.size(), 3u);
        EXPECT_EQ(rows.back(), Status(2, 0, 7, 7, 0));
        rows.pop_back();
        std::sort(rows.begin(), rows.end());
        EXPECT_EQ(rows,
                  Expand(Strings{"one.txt  ONE.TXT    {D}w/", "two.txt  Two.txt    {D}w/"}, temp));
        Strings listing{"w/", "w/ONE.TXT", "w/Two.txt"};
        if (!c.logDeleted)
            listing.insert(listing.begin(), "b.log");
        EXPECT_EQ(temp.listing(), listing);
    }
}

TEST(CliProgramTest, UndoWithErrorsAsksTheWarningFormAndExitsOne) {
    TempFolder temp;
    temp.createFiles({"w/A.TXT", "w/B.TXT"});
    const std::string log = (temp.path() / "b.log").string();
    ASSERT_EQ(
        RunCliProcess({"--write-log", "--log", log, "--case=lower", "--folder", temp.path() / "w"})
            .status,
        0);
    std::filesystem::remove(temp.path() / "w/b.txt");

    const CliResult undo =
        RunCliProcess({"--undo", "--log", log, "--tsv"}, CliRunOptions().typed("n\n", true));
    EXPECT_EQ(undo.status, 1);
    EXPECT_EQ(undo.err,
              "brindle-cli: There was an error(s)! Are you sure that you want to delete Log "
              "file? [y/N] ");
    Strings lines = Lines(undo.out);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines.front(), "Input File\tOutput File (Exceptions)\t#\tFolder (New Folder)");
    EXPECT_EQ(lines.back(), Status(2, 0, 5, 5, 1));
    Strings rows(lines.begin() + 1, lines.end() - 1);
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(
        rows,
        Expand(Strings{"a.txt\tA.TXT\t\t{D}w/", "b.txt\tB.TXTError opening file\t\t{D}w/"}, temp));
    EXPECT_EQ(temp.listing(), (Strings{"b.log", "w/", "w/A.TXT"}));
}

TEST(CliProgramTest, UndoReadsALogInTheSharedFormat) {
    TempFolder temp;
    temp.createFiles({"w/new name.txt"});
    const std::string folder = temp.path().string() + "/w/";
    // As the desktop program leaves it: CR LF line ends, one directory pair.
    WriteText(temp.path() / "Brindle.log", "Version=3.7\r\nOld Directory=" + folder +
                                               "\r\nNew Directory=" + folder +
                                               "\r\nOld File=Old Name.TXT\r\nNew File=new "
                                               "name.txt\r\n" +
                                               std::string(43, '-') + "\r\n");
    const CliResult undo =
        RunCliProcess({"--undo", "--quiet", "--delete-log", "--log", temp.path() / "Brindle.log"});
    EXPECT_EQ(undo.status, 0);
    EXPECT_EQ(undo.out, Status(1, 0, 12, 12, 0) + "\n");
    EXPECT_EQ(temp.listing(), (Strings{"w/", "w/Old Name.TXT"}));
}

TEST(CliProgramTest, RelativePathsAreMadeAbsoluteBeforeTheBatch) {
    TempFolder temp;
    temp.createFiles({"w/A.TXT", "w/s/B.TXT", "logs/"});
    const CliRunOptions inTemp = CliRunOptions().in(temp.path().string());
    const CliResult folderBatch = RunCliProcess(
        {"--write-log", "--log", "logs/../b.log", "--case=lower", "--folder", "./w/s/../"}, inTemp);
    EXPECT_EQ(folderBatch.status, 0);
    EXPECT_EQ(Lines(folderBatch.out).front(), Expand("A.TXT  a.txt  0  {D}w/", temp));
    const std::string log = temp.readFile("b.log");
    EXPECT_NE(log.find(Expand("Old Directory={D}w/\r\nNew Directory={D}w/\r\n", temp)),
              std::string::npos)
        << log;

    const CliResult dropBatch = RunCliProcess({"--case=lower", "w//s/./B.TXT"}, inTemp);
    EXPECT_EQ(dropBatch.status, 0);
    EXPECT_EQ(Lines(dropBatch.out).front(), Expand("B.TXT  b.txt  0  {D}w/s/", temp));
    EXPECT_EQ(temp.listing(), (Strings{"b.log", "logs/", "w/", "w/a.txt", "w/s/", "w/s/b.txt"}));
}

TEST(CliProgramTest, NamesBeginningWithADashFollowTheEndOfOptions) {
    TempFolder temp;
    temp.createFiles({"-N.TXT"});
    const CliRunOptions inTemp = CliRunOptions().in(temp.path().string());

    const CliResult refused = RunCliProcess({"--case=lower", "-N.TXT"}, inTemp);
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err,
              "brindle-cli: unrecognized option '-N.TXT' (see 'brindle-cli --help')\n");
    EXPECT_TRUE(temp.exists("-N.TXT"));

    const CliResult renamed = RunCliProcess({"--case=lower", "--quiet", "--", "-N.TXT"}, inTemp);
    EXPECT_EQ(renamed.status, 0);
    EXPECT_EQ(temp.listing(), (Strings{"-n.txt"}));
}

TEST(CliProgramTest, AnEmptyPathIsSkippedNotTakenForTheWorkingDirectory) {
    TempFolder temp;
    temp.createFiles({"w/"});
    const CliResult result = RunCliProcess({"--rename-dirs", "--case=upper", ""},
                                           CliRunOptions().in((temp.path() / "w").string()));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, Status(0, 0, 0, 0, 0) + "\n");
    EXPECT_EQ(temp.listing(), (Strings{"w/"}));
}

TEST(CliProgramTest, AClosedOutputDoesNotCutTheBatchShort) {
    TempFolder temp;
    constexpr int kFiles = 3000;  // rows enough to fill the pipe several times
    for (int i = 0; i < kFiles; ++i)
        temp.createFile("w/FILE_" + std::to_string(i) + ".TXT");
    const std::string log = (temp.path() / "b.log").string();
    const CliResult result =
        RunCliProcess({"--write-log", "--log", log, "--case=lower", "--folder", temp.path() / "w"},
                      CliRunOptions().withOutputClosed());
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "");
    const Strings listing = temp.listing();
    EXPECT_EQ(std::count_if(listing.begin(), listing.end(),
                            [](const auto& p) { return p.find("w/file_") == 0; }),
              kFiles);
    // Every rename has its record: Undo brings every name back.
    EXPECT_EQ(RunCliProcess({"--undo", "--quiet", "--delete-log", "--log", log}).status, 0);
    EXPECT_EQ(temp.listing().size(), static_cast<std::size_t>(kFiles + 1));
    EXPECT_TRUE(temp.exists("w/FILE_0.TXT"));
}

TEST(CliProgramTest, DefaultFilesLieBesideTheProgram) {
    TempFolder temp;
    temp.createFiles({"bin/", "w/box.txt"});
    const auto program = temp.path() / "bin/brindle-cli";
    std::filesystem::copy_file(BRINDLE_CLI_PATH, program);
    WriteText(temp.path() / "bin/Brindle.ini", "[custom]\no|0\nt|T\n\n");

    const CliResult result = RunCliProcess(
        {"--only-english", "custom", "--write-log", "--quiet", "--folder", temp.path() / "w"},
        CliRunOptions().withBinary(program.string()).in("/"));
    EXPECT_EQ(result.status, 0) << result.err;
    // The extension is set aside, as ticking "Only English" does.
    EXPECT_EQ(temp.listing(), (Strings{"bin/", "bin/Brindle.ini", "bin/Brindle.log",
                                       "bin/brindle-cli", "w/", "w/b0x.txt"}));

    const CliResult withExtension = RunCliProcess(
        {"--with-extension", "--only-english", "custom", "--quiet", temp.path() / "w/b0x.txt"},
        CliRunOptions().withBinary(program.string()));
    EXPECT_EQ(withExtension.status, 0);
    EXPECT_TRUE(temp.exists("w/b0x.TxT"));
}

// Installed (no Brindle.ini beside the program): the configuration from the user's XDG
// folders or the shipped default found relative to the program, the log in the user's
// state folder, made on first use.
TEST(CliProgramTest, AnInstalledCopyUsesTheUsersFiles) {
    TempFolder temp;
    temp.createFiles({"usr/bin/", "home/", "w/box.txt"});
    const std::string t = temp.path().string();
    const std::string program = t + "/usr/bin/brindle-cli";
    std::filesystem::copy_file(BRINDLE_CLI_PATH, program);
    temp.createFile("usr/share/brindle/Brindle.ini", "[custom]\no|0\n\n");
    const std::vector<std::string> plain = {"HOME=" + t + "/home", "XDG_CONFIG_HOME",
                                            "XDG_STATE_HOME", "XDG_CONFIG_DIRS=" + t + "/etc"};
    const CliRunOptions installed = CliRunOptions().withBinary(program).withEnvironment(plain);

    const CliResult help = RunCliProcess({"--help"}, installed);
    EXPECT_NE(help.out.find("configuration  " + t + "/usr/share/brindle/Brindle.ini\n"),
              std::string::npos);
    const std::string stateLog = t + "/home/.local/state/brindle/Brindle.log";
    EXPECT_NE(help.out.find("log            " + stateLog + "  (not there yet)\n"),
              std::string::npos);

    const CliResult batch = RunCliProcess(
        {"--only-english", "custom", "--write-log", "--quiet", "--folder", t + "/w"}, installed);
    EXPECT_EQ(batch.status, 0) << batch.err;
    EXPECT_TRUE(temp.exists("w/b0x.txt"));
    EXPECT_TRUE(temp.exists("home/.local/state/brindle/Brindle.log"));
    struct stat info {};
    ASSERT_EQ(stat((t + "/home/.local/state/brindle").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_FALSE(temp.exists("usr/bin/Brindle.log"));
    const CliResult undo = RunCliProcess({"--undo", "--quiet", "--delete-log"}, installed);
    EXPECT_EQ(undo.status, 0) << undo.err;
    EXPECT_TRUE(temp.exists("w/box.txt"));
    EXPECT_FALSE(temp.exists("home/.local/state/brindle/Brindle.log"));

    // The user's own configuration and state folders win.
    temp.createFile("cfg/brindle/Brindle.ini", "[custom]\nb|B\n\n");
    const CliRunOptions withVariables = CliRunOptions().withBinary(program).withEnvironment(
        {"HOME=" + t + "/home", "XDG_CONFIG_HOME=" + t + "/cfg", "XDG_STATE_HOME=" + t + "/state",
         "XDG_CONFIG_DIRS=" + t + "/etc"});
    const CliResult own =
        RunCliProcess({"--only-english", "custom", "--write-log", "--quiet", "--folder", t + "/w"},
                      withVariables);
    EXPECT_EQ(own.status, 0) << own.err;
    EXPECT_TRUE(temp.exists("w/Box.txt"));
    EXPECT_TRUE(temp.exists("state/brindle/Brindle.log"));

    // One that is there but cannot be read is still the configuration, and fails as such.
    std::filesystem::remove(temp.path() / "cfg/brindle/Brindle.ini");
    std::filesystem::create_directory(temp.path() / "cfg/brindle/Brindle.ini");
    const CliResult unreadable =
        RunCliProcess({"--only-english", "custom", "--quiet", "--folder", t + "/w"}, withVariables);
    EXPECT_EQ(unreadable.status, 2);
    EXPECT_EQ(unreadable.err,
              "brindle-cli: Error opening file: " + t + "/cfg/brindle/Brindle.ini\n");
    EXPECT_TRUE(temp.exists("w/Box.txt"));
}

// Records that cannot be written fail their items, and the reason is told once at the end.
TEST(CliProgramTest, ALogThatCannotBeWrittenIsToldOnce) {
    TempFolder temp;
    temp.createFiles({"w/A.TXT", "w/B.TXT"});
    const std::string log = (temp.path() / "nowhere/b.log").string();
    const CliResult result = RunCliProcess(
        {"--write-log", "--log", log, "--case=lower", "--quiet", "--folder", temp.path() / "w"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "brindle-cli: " + log + " was not found.\n");
    EXPECT_EQ(result.out, Status(2, 2, 5, 5, 2) + "\n");
    EXPECT_TRUE(temp.exists("w/A.TXT") && temp.exists("w/B.TXT"));
}

TEST(CliProgramTest, DiskFullStopsTheBatchAndTheLogStillUndoesIt) {
    TempFolder temp;
    constexpr int kFiles = 600;  // more than two groups of records
    for (int i = 0; i < kFiles; ++i)
        temp.createFile("w/FILE_" + std::to_string(100 + i) + ".TXT");
    const std::string log = (temp.path() / "b.log").string();
    // A file-size limit makes the log's writes fail as a full disk does: the first group's
    // records fit, the second's do not.
    const CliResult batch = RunCliProcess(
        {"--write-log", "--log", log, "--case=lower", "--quiet", "--folder", temp.path() / "w"},
        CliRunOptions().limitFileSize(48000));
    EXPECT_EQ(batch.status, 2);
    EXPECT_EQ(batch.err, "brindle-cli: Disk full while accessing " + log + ".\n");
    const Strings afterBatch = temp.listing();
    const auto renamed = std::count_if(afterBatch.begin(), afterBatch.end(), [](const auto& p) {
        return p.find("file_") != std::string::npos;
    });
    EXPECT_EQ(renamed, 256);

    const CliResult undo = RunCliProcess({"--undo", "--quiet", "--delete-log", "--log", log});
    EXPECT_EQ(undo.status, 0);
    for (const auto& path : temp.listing())
        EXPECT_EQ(path.find("file_"), std::string::npos) << path;
}

TEST(CliProgramTest, HelpAndVersion) {
    const CliResult help = RunCliProcess({"--case=lower", "--help", "--bogus"});
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

    const CliResult version = RunCliProcess({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "brindle-cli (Brindle) 3.7.0\n");
}

}  // namespace
}  // namespace brindle::testing
