// Faults of the log, through the real brindle-cli: a log that cannot be written, opened,
// or deleted, a full disk, and a log edited by hand into every malformed shape. Each
// shows its own message or row, and no file is lost or overwritten.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "CliProcess.h"
#include "FileLock.h"
#include "FileTree.h"
#include "LogLines.h"
#include "Placeholders.h"
#include "PrivateTmpfs.h"
#include "TempFolder.h"

namespace brindle::testing {
namespace {

const std::string kTsvHeader =
    "Input File\tOutput File (Exceptions)\t#\tFolder (New Folder)\tReason";

// A --tsv row of the design's four columns, and the reason after them (empty for most).
std::string WithReason(const std::string& row, const std::string& reason = "") {
    return row + "\t" + reason;
}

// "{W}" stands for the items' folder, with its final '/'; "{L}" for the log's path; "{T}"
// for the temporary folder, without its final '/'.
std::string Expand(const std::string& text, const std::string& w, const std::string& log,
                   const std::string& t) {
    return Filled(text, {{"{W}", w}, {"{L}", log}, {"{T}", t}});
}

// ---- A log edited by hand ------------------------------------------------------------

struct HandEditedCase {
    const char* name;
    std::string log;  // "{W}" the items' folder
    Strings rows;     // Undo's rows, in their order (newest record first)
    int exitStatus;
    Strings after;  // the tree afterwards, "path=contents"
};

// Every item holds its own first path, so a wrong move or an overwrite shows. "cwd/" is
// the working directory of the Undo, to show that nothing is taken from there.
const Strings kItems = {"w/new.txt", "w/other.txt", "w/sub/", "cwd/new.txt"};
const Strings kUntouched = {
    "cwd/",  "cwd/new.txt=cwd/new.txt", "w/", "w/new.txt=w/new.txt", "w/other.txt=w/other.txt",
    "w/sub/"};

Strings With(Strings listing, const Strings& without, const Strings& with) {
    for (const auto& gone : without)
        std::erase(listing, gone);
    listing.insert(listing.end(), with.begin(), with.end());
    std::sort(listing.begin(), listing.end());
    return listing;
}

const std::string kGood = kHeader + Pair("{W}", "{W}") + Record("a.txt", "new.txt");
const Strings kGoodUndone = With(kUntouched, {"w/new.txt=w/new.txt"}, {"w/a.txt=w/new.txt"});
const std::string kGoodRow = "new.txt\ta.txt\t\t{W}";

TEST(LogFaults, HandEditedLogs) {
    const std::string huge(1 << 20, 'x');
    const std::string longName(70000, 'n');
    const std::vector<HandEditedCase> cases = {
        {"log/Empty", "", {}, 0, kUntouched},
        {"log/HeaderOnly", kHeader, {}, 0, kUntouched},
        // A file whose first line is not the log's is no log: never read, written or cut.
        {"log/NoHeader", Pair("{W}", "{W}") + Record("a.txt", "new.txt"), {}, 2, kUntouched},
        {"log/SameRecordTwice",
         kGood + Record("a.txt", "new.txt"),
         {kGoodRow, "new.txt\ta.txtError opening file\t\t{W}"},
         1,
         kGoodUndone},
        {"torn/LastLineWithoutLineEnd",
         kHeader + Pair("{W}", "{W}") + Line("Old File=a.txt") + "New File=new.txt",
         {},
         0,
         kUntouched},
        {"torn/AfterOldFile",
         kHeader + Pair("{W}", "{W}") + Line("Old File=a.txt"),
         {},
         0,
         kUntouched},
        {"torn/AfterADirectory",
         kGood + Line("Old Directory={W}sub/") + "New Direct",
         {kGoodRow},
         0,
         kGoodUndone},
        {"lines/OnlyRecordLinesNoDirectory",
         kHeader + Record("a.txt", "new.txt"),
         {},
         0,
         kUntouched},
        // A chain the file breaks before its own "New File=" has no name of its own: it is
        // reported, and nothing is moved on the names of the record before it.
        {"lines/MissingNewDirectory",
         kGood + Line("Old Directory={W}sub/") + Record("b.txt", "other.txt"),
         {"new.txt\ta.txtError opening file\t\t{W}sub/", kGoodRow},
         1,
         kGoodUndone},
        {"lines/MissingOldFileInAChain",
         kGood + Pair("{W}sub/", "{W}") + Line("New File=other.txt") + Line(kSeparator),
         {"new.txt\ta.txtError opening file\t\t{W}sub/", kGoodRow},
         1,
         kGoodUndone},
        {"lines/MissingNewFile",
         kGood + Line("Old File=b.txt") + Line(kSeparator),
         {"new.txt\tb.txtError opening file\t\t{W}", kGoodRow},
         1,
         kGoodUndone},
        {"lines/MissingNewFileAtTheStart",
         kHeader + Pair("{W}", "{W}") + Line("Old File=b.txt") + Line(kSeparator),
         {"\tb.txtError opening file\t\t{W}"},
         1,
         kUntouched},
        {"values/EmptyOldFile",
         kHeader + Pair("{W}", "{W}") + Record("", "new.txt"),
         {"new.txt\tError opening file\t\t{W}"},
         1,
         kUntouched},
        {"values/EmptyNewFile",
         kHeader + Pair("{W}", "{W}") + Record("new.txt", ""),
         {"\tnew.txtError opening file\t\t{W}"},
         1,
         kUntouched},
        // Brindle logs absolute folders with their final '/'; anything else would reach
        // into the working directory or glue a name onto a folder's.
        {"values/EmptyOldDirectory",
         kHeader + Pair("", "{W}") + Record("a.txt", "new.txt"),
         {"new.txt\ta.txtError opening file\t\t"},
         1,
         kUntouched},
        {"values/EmptyNewDirectory",
         kHeader + Pair("{W}", "") + Record("a.txt", "new.txt"),
         {"new.txt\ta.txtError opening file\t\t{W}"},
         1,
         kUntouched},
        {"values/RelativeDirectory",
         kHeader + Pair("w/", "cwd/") + Record("a.txt", "new.txt"),
         {"new.txt\ta.txtError opening file\t\tw/"},
         1,
         kUntouched},
        {"values/DirectoryWithoutItsSlash",
         kHeader + Pair("{T}/w/sub", "{W}") + Record("a.txt", "new.txt"),
         {"new.txt\ta.txtError opening file\t\t{T}/w/sub"},
         1,
         kUntouched},
        {"values/NameWithASlash",
         kHeader + Pair("{W}", "{W}") + Record("../a.txt", "new.txt"),
         {"new.txt\t../a.txtError opening file\t\t{W}"},
         1,
         kUntouched},
        {"values/NameDotDot",
         kHeader + Pair("{W}sub/", "{W}") + Record("..", "new.txt"),
         {"new.txt\t..Error opening file\t\t{W}sub/"},
         1,
         kUntouched},
        {"values/NameWithNul",
         kHeader + Pair("{W}", "{W}") + Record(std::string("a\0b", 3), "new.txt"),
         {"new.txt\ta" + std::string(1, '\0') + "bError opening file\t\t{W}"},
         1,
         kUntouched},
        {"values/KeyInsideTheValue",
         kHeader + Pair("{W}", "{W}") + Record("New File=a.txt", "new.txt"),
         {"new.txt\tNew File=a.txt\t\t{W}"},
         0,
         With(kUntouched, {"w/new.txt=w/new.txt"}, {"w/New File=a.txt=w/new.txt"})},
        {"huge/NameTooLong",
         kHeader + Pair("{W}", "{W}") + Record("a.txt", longName),
         {longName + "\ta.txtError opening file\t\t{W}"},
         1,
         kUntouched},
        {"huge/LineBeforeARecord",
         kHeader + Line(huge) + Pair("{W}", "{W}") + Record("a.txt", "new.txt"),
         {kGoodRow},
         0,
         kGoodUndone},
        {"huge/LastLineTorn", kGood + huge, {kGoodRow}, 0, kGoodUndone},
        {"garbage/BinaryBytes",
         std::string("\0\xff\xfe\r\r\x1a\n\x80Old File\n=\n", 16),
         {},
         2,
         kUntouched},
        {"garbage/CarriageReturnsOnly",
         "Version=3.7\rOld Directory={W}\rNew Directory={W}\rOld File=a.txt\rNew "
         "File=new.txt\r",
         {},
         2,
         kUntouched},
        {"keys/WrongLetterCase",
         kHeader + Line("old directory={W}") + Line("new directory={W}") + Line("old file=a.txt") +
             Line("new file=new.txt"),
         {},
         0,
         kUntouched},
        {"keys/LeadingSpace",
         kHeader + Line(" Old Directory={W}") + Line(" New Directory={W}") +
             Line(" Old File=a.txt") + Line(" New File=new.txt"),
         {},
         0,
         kUntouched},
        {"keys/SpaceBeforeEquals",
         kHeader + Line("Old Directory ={W}") + Line("New Directory ={W}") +
             Record("a.txt", "new.txt"),
         {},
         0,
         kUntouched},
    };
    for (const HandEditedCase& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempFolder temp;
        for (const auto& item : kItems)
            temp.createFile(item, item.back() == '/' ? "" : item);
        const std::string t = temp.path().string();
        const std::string w = t + "/w/";
        const std::string log = t + "/edited.log";
        WriteFile(log, Expand(c.log, w, log, t));

        const CliResult undo =
            RunCli(CliRun({"--undo", "--tsv", "--keep-log", "--log", log}).in(t + "/cwd"));
        EXPECT_EQ(undo.signal, 0);
        EXPECT_EQ(undo.status, c.exitStatus);
        if (c.exitStatus == 2)
            EXPECT_EQ(undo.err, "brindle-cli: Brindle does not use the log " + log +
                                    ": it is not a Brindle log (its first line is not "
                                    "\"Version=3.7\"), and Brindle never writes, cuts or "
                                    "deletes it. Give another path.\n");
        else
            EXPECT_EQ(undo.err, "");
        Strings lines = Lines(undo.out);
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines.front(), kTsvHeader);
        EXPECT_TRUE(lines.back().starts_with("Total files: "));
        Strings expected;
        for (const auto& row : c.rows)
            expected.push_back(WithReason(Expand(row, w, log, t)));
        EXPECT_EQ(Strings(lines.begin() + 1, lines.end() - 1), expected);
        Tree tree = ReadTree(t);
        if (c.exitStatus == 2) {
            EXPECT_EQ(tree["edited.log"], "file:" + Expand(c.log, w, log, t));
        }
        tree.erase("edited.log");
        EXPECT_EQ(Listing(tree), c.after);
    }
}

// ---- Logs that cannot be opened, written or deleted ------------------------------------

enum class Setup {
    None,
    LogIsAFolder,
    LogIsAFifo,
    LogLocked,
    LogUnreadable,      // mode 000, Undo as an ordinary user
    LogReadOnly,        // mode 444, the batch as an ordinary user
    LogFolderReadOnly,  // the log's folder mode 555, run as an ordinary user
    LogIsDevFull,
};

struct OpenFaultCase {
    const char* name;
    Setup setup;
    bool undo;  // Undo of a good log, else a batch that writes the log
    Strings rows;
    std::string err;
    int exitStatus;
    bool itemsRenamed;  // after the run, the items carry their new names
};

TEST(LogFaults, LogsThatCannotBeOpenedWrittenOrDeleted) {
    // Both items fail, each with the reason its record could not be written.
    const auto failedFor = [](const std::string& reason) {
        return Strings{WithReason("A.TXT\t(Unknown Error Aquired)\t0\t{W}", reason),
                       WithReason("B.TXT\t(Unknown Error Aquired)\t0\t{W}", reason)};
    };
    const std::string unwritten = "its record could not be written to the log: ";
    const Strings refusedRows = failedFor("the log was refused");
    const std::string openError = "brindle-cli: Error opening file: {L}\n";
    const std::string waiting =
        "brindle-cli: waiting for the log {L}, which another Brindle is using (up to 10 seconds)\n";
    const std::string notAFile =
        "brindle-cli: Brindle does not use the log {L}: it is no regular "
        "file.\n";
    const std::vector<OpenFaultCase> cases = {
        // The batch ends by saying once why its records could not be written.
        {"batch/LogIsAFolder", Setup::LogIsAFolder, false, failedFor(unwritten + "Is a directory"),
         "brindle-cli: An unknown error occurred while accessing {L}.\n", 1, false},
        // What is no regular file is refused as no log, with exit status 2.
        {"batch/LogIsAFifo", Setup::LogIsAFifo, false, refusedRows, notAFile, 2, false},
        {"batch/LogIsDevFull", Setup::LogIsDevFull, false, refusedRows, notAFile, 2, false},
        // Held for all of the wait: then it fails as it would at once.
        {"batch/LogLockedByAnother", Setup::LogLocked, false,
         failedFor("its record could not be written: another Brindle is using the log"),
         waiting + "brindle-cli: A locking violation occurred while accessing {L}.\n", 1, false},
        {"batch/LogReadOnly", Setup::LogReadOnly, false, failedFor(unwritten + "Permission denied"),
         "brindle-cli: Access to {L} was denied.\n", 1, false},
        {"batch/LogFolderNotWritable", Setup::LogFolderReadOnly, false,
         failedFor(unwritten + "Permission denied"), "brindle-cli: Access to {L} was denied.\n", 1,
         false},
        {"undo/LogIsAFolder", Setup::LogIsAFolder, true, {}, openError, 2, true},
        {"undo/LogIsAFifo", Setup::LogIsAFifo, true, {}, notAFile, 2, true},
        {"undo/LogLockedByAnother", Setup::LogLocked, true, {}, waiting + openError, 2, true},
        {"undo/LogUnreadable", Setup::LogUnreadable, true, {}, openError, 2, true},
        // Everything is moved back first; only the deletion fails.
        {"undo/LogFolderNotWritable",
         Setup::LogFolderReadOnly,
         true,
         {"a.txt\tA.TXT\t\t{W}", "b.txt\tB.TXT\t\t{W}"},
         "brindle-cli: Access to {L} was denied.\n",
         2,
         false},
    };
    for (const OpenFaultCase& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempFolder temp;
        const std::string t = temp.path().string();
        const std::string w = t + "/w/";
        std::string log = t + "/logs/b.log";
        temp.createFile("w/A.TXT", "w/A.TXT");
        temp.createFile("w/B.TXT", "w/B.TXT");
        temp.createFiles({"logs/"});
        if (c.undo) {
            // The batch that the Undo undoes, with a log that works.
            const CliResult batch = RunCli(
                CliRun({"--write-log", "--log", log, "--case=lower", w + "A.TXT", w + "B.TXT"}));
            ASSERT_EQ(batch.status, 0) << batch.err;
        }
        const Tree before = ReadTree(t + "/w");
        bool asUser = false;
        std::optional<LockHolder> lock;
        switch (c.setup) {
            case Setup::None:
                break;
            case Setup::LogIsAFolder:
                std::filesystem::remove(log);
                std::filesystem::create_directory(log);
                break;
            case Setup::LogIsAFifo:
                std::filesystem::remove(log);
                ASSERT_EQ(mkfifo(log.c_str(), 0644), 0);
                break;
            case Setup::LogLocked:
                lock.emplace(log);
                ASSERT_TRUE(lock->locked());
                break;
            case Setup::LogUnreadable:
                ASSERT_EQ(chmod(log.c_str(), 0), 0);
                asUser = true;
                break;
            case Setup::LogReadOnly:
                WriteFile(log, "");
                ASSERT_EQ(chmod(log.c_str(), 0444), 0);
                asUser = true;
                break;
            case Setup::LogFolderReadOnly:
                asUser = true;
                break;
            case Setup::LogIsDevFull:
                log = "/dev/full";
                break;
        }
        if (asUser) {
            GiveToOrdinaryUser(t);
            ASSERT_EQ(chmod(t.c_str(), 0755), 0);
        }
        if (c.setup == Setup::LogFolderReadOnly) {
            ASSERT_EQ(chmod((t + "/logs").c_str(), 0555), 0);
        }

        CliRun run = c.undo ? CliRun({"--undo", "--tsv", "--delete-log", "--log", log})
                            : CliRun({"--write-log", "--tsv", "--log", log, "--case=lower",
                                      w + "A.TXT", w + "B.TXT"});
        if (asUser)
            run.asUser();
        const CliResult result = RunCli(run);
        EXPECT_EQ(result.signal, 0);
        EXPECT_EQ(result.status, c.exitStatus);
        EXPECT_EQ(result.err, Expand(c.err, w, log, t));
        Strings lines = Lines(result.out);
        ASSERT_GE(lines.size(), 2u);
        Strings expected;
        for (const auto& row : c.rows) {
            // Each table row holds its reason after a tab where it has one.
            const std::string filled = Expand(row, w, log, t);
            expected.push_back(
                std::count(filled.begin(), filled.end(), '\t') == 3 ? WithReason(filled) : filled);
        }
        Strings rows(lines.begin() + 1, lines.end() - 1);
        std::sort(rows.begin(), rows.end());
        EXPECT_EQ(rows, expected);
        const Tree after = ReadTree(t + "/w");
        if (c.itemsRenamed) {
            EXPECT_EQ(after, before);
            EXPECT_TRUE(after.contains("a.txt"));
        } else {
            EXPECT_EQ(Listing(after), (Strings{"A.TXT=w/A.TXT", "B.TXT=w/B.TXT"}));
        }
    }
}

// Another holder has the log when a batch or an Undo begins: it waits, says so once, and
// goes on as soon as the log is given up (the wait's limit is the batch's own test).
TEST(LogFaults, ALockedLogIsWaitedFor) {
    testing::TempFolder temp;
    const std::string t = temp.path().string();
    const std::string log = t + "/b.log";
    const std::string waiting = "brindle-cli: waiting for the log " + log +
                                ", which another Brindle is using (up to 10 seconds)\n";
    temp.createFile("w/A.TXT", "w/A.TXT");
    temp.createFile("w/B.TXT", "w/B.TXT");
    const auto whileLocked = [&](const CliRun& run) {
        std::optional<LockHolder> other(std::in_place, log);
        EXPECT_TRUE(other->locked());
        const Tree before = ReadTree(t + "/w");
        RunningCli running(run);
        EXPECT_TRUE(running.WaitForError(waiting));
        EXPECT_TRUE(ReadTree(t + "/w") == before);  // nothing moves while it waits
        other.reset();
        return running.Finish();
    };
    const CliResult batch = whileLocked(CliRun(
        {"--write-log", "--quiet", "--log", log, "--case=lower", t + "/w/A.TXT", t + "/w/B.TXT"}));
    EXPECT_EQ(batch.status, 0);
    EXPECT_EQ(batch.err, waiting);
    EXPECT_TRUE(temp.exists("w/a.txt") && temp.exists("w/b.txt"));

    const CliResult undo = whileLocked(CliRun({"--undo", "--tsv", "--delete-log", "--log", log}));
    EXPECT_EQ(undo.status, 0);
    EXPECT_EQ(undo.err, waiting);
    EXPECT_EQ(Listing(ReadTree(t)), (Strings{"w/", "w/A.TXT=w/A.TXT", "w/B.TXT=w/B.TXT"}));
}

// A batch over the folder that holds the log (the program's folder, say) leaves the log
// where Undo looks for it; its own earlier records stay reachable.
TEST(LogFaults, TheLogIsNotRenamedByItsOwnBatch) {
    testing::TempFolder temp;
    const std::string t = temp.path().string();
    const std::string log = t + "/w/Brindle.log";
    temp.createFile("o/X.TXT", "o/X.TXT");
    temp.createFile("w/A.TXT", "w/A.TXT");
    ASSERT_EQ(
        RunCli(CliRun({"--write-log", "--quiet", "--log", log, "--case=lower", t + "/o/X.TXT"}))
            .status,
        0);
    const CliResult batch = RunCli(
        CliRun({"--write-log", "--tsv", "--log", log, "--case=lower", "--folder", t + "/w"}));
    EXPECT_EQ(batch.status, 1);
    Strings rows = Lines(batch.out);
    ASSERT_EQ(rows.size(), 4u);
    rows = Strings(rows.begin() + 1, rows.end() - 1);
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, (Strings{WithReason("A.TXT\ta.txt\t0\t" + t + "/w/"),
                             WithReason("Brindle.log\t(Unknown Error Aquired)\t0\t" + t + "/w/",
                                        "it is the log, which a batch never renames")}));
    // Dropped on its own, too, and reached through a link to its folder.
    EXPECT_EQ(
        RunCli(CliRun({"--no-write-log", "--quiet", "--log", log, "--case=upper", log})).status, 1);
    EXPECT_TRUE(temp.exists("w/Brindle.log"));
    ASSERT_EQ(symlink((t + "/w").c_str(), (t + "/link").c_str()), 0);
    EXPECT_EQ(RunCli(CliRun({"--no-write-log", "--quiet", "--log", log, "--case=upper",
                             t + "/link/Brindle.log"}))
                  .status,
              1);
    EXPECT_TRUE(temp.exists("w/Brindle.log"));
    ASSERT_EQ(unlink((t + "/link").c_str()), 0);

    const CliResult undo =
        RunCli(CliRun({"--undo", "--all", "--quiet", "--delete-log", "--log", log}));
    EXPECT_EQ(undo.status, 0) << undo.err;
    EXPECT_EQ(Listing(ReadTree(t)), (Strings{"o/", "o/X.TXT=o/X.TXT", "w/", "w/A.TXT=w/A.TXT"}));
}

// ---- A full disk ------------------------------------------------------------------------

// What a run inside the small filesystem's child leaves for the parent to check.
std::string DiskFullReport(const std::string& t, const std::string& log, int files,
                           bool fillFirst) {
    std::string report;
    if (fillFirst) {
        // Nothing left, not even for the header line.
        const int fd = open((t + "/small/filler").c_str(), O_WRONLY | O_CREAT, 0644);
        const std::string block(4096, 'f');
        while (write(fd, block.data(), block.size()) > 0) {
        }
        close(fd);
    }
    const CliResult batch = RunCli(
        CliRun({"--write-log", "--quiet", "--log", log, "--case=lower", "--folder", t + "/w"}));
    report += "batch " + std::to_string(batch.status) + " " + batch.err;
    int renamed = 0;
    for (const auto& [path, what] : ReadTree(t + "/w"))
        renamed += path.starts_with("file_") ? 1 : 0;
    const std::string bytes = ReadFile(log);
    int records = 0;
    for (auto at = bytes.find("Old File="); at != std::string::npos;
         at = bytes.find("Old File=", at + 1)) {
        ++records;
    }
    report += "renamed " + std::string(renamed > 0 ? "some" : "none") +
              (renamed < files ? ", not all" : ", all") + "\n";
    report += "records " + std::string(records == renamed ? "match" : "differ") + "\n";
    report +=
        "log ends " +
        std::string(bytes.empty() || bytes.ends_with(kSeparator + "\r\n") ? "whole" : "torn") +
        "\n";
    if (fillFirst)
        std::filesystem::remove(t + "/small/filler");
    const CliResult undo = RunCli(CliRun({"--undo", "--quiet", "--delete-log", "--log", log}));
    report += "undo " + std::to_string(undo.status) + " " + undo.err;
    renamed = 0;
    for (const auto& [path, what] : ReadTree(t + "/w"))
        renamed += path.starts_with("file_") ? 1 : 0;
    report += "renamed after undo " + std::to_string(renamed) + "\n";
    return report;
}

TEST(LogFaults, FullDiskWhileTheLogIsWritten) {
    constexpr int kFiles = 600;  // more than two groups of records
    struct Case {
        const char* name;
        bool fillFirst;
        std::string report;
    };
    const std::vector<Case> cases = {
        {"disk/FillsUpMidBatch", false,
         "batch 2 brindle-cli: Disk full while accessing {L}.\nrenamed some, not all\n"
         "records match\nlog ends whole\nundo 0 renamed after undo 0\n"},
        {"disk/FullBeforeTheHeader", true,
         "batch 2 brindle-cli: Disk full while accessing {L}.\nrenamed none, not all\n"
         "records match\nlog ends whole\nundo 0 renamed after undo 0\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempFolder temp;
        const std::string t = temp.path().string();
        for (int i = 0; i < kFiles; ++i)
            temp.createFile("w/FILE_" + std::to_string(1000 + i) + ".TXT", "x");
        temp.createFiles({"small/"});
        const std::string log = t + "/small/b.log";
        const std::string reportPath = t + "/report";
        // A filesystem of 24 pages: the first group of records fits, the second not.
        std::optional<int> status = InPrivateTmpfs(t + "/small", 98304, [&] {
            WriteFile(reportPath, DiskFullReport(t, log, kFiles, c.fillFirst));
            return 0;
        });
        if (!status) {
            // No mounts here: a file-size limit makes the same failure (EFBIG).
            if (c.fillFirst) {
                std::printf("[ skipped  ] %s needs a filesystem of its own\n", c.name);
                continue;
            }
            ASSERT_EQ(RunCli(CliRun({"--write-log", "--quiet", "--log", log, "--case=lower",
                                     "--folder", t + "/w"})
                                 .limitFileSize(98304))
                          .status,
                      2);
            ASSERT_EQ(RunCli(CliRun({"--undo", "--quiet", "--delete-log", "--log", log})).status,
                      0);
            EXPECT_EQ(ReadTree(t + "/w").count("FILE_1000.TXT"), 1u);
            continue;
        }
        ASSERT_EQ(*status, 0);
        EXPECT_EQ(ReadFile(reportPath), Expand(c.report, "", log, t));
    }
}

}  // namespace
}  // namespace brindle::testing
