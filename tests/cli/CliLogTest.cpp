// brindle-cli's log on real temporary folders: records that cannot be written, a closed
// output and a full disk during a batch, and Undo with its question.
#include <gtest/gtest.h>
#include <linux/magic.h>
#include <sys/statfs.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CliProcess.h"
#include "FileLock.h"
#include "Placeholders.h"
#include "TempFolder.h"

namespace brindle::testing {
namespace {

// "{D}" stands for the temporary folder, with its final '/'.
Placeholder D(const TempFolder& temp) {
    return {"{D}", temp.path().string() + "/"};
}

TEST(CliLogTest, RecordThatCannotBeWrittenKeepsTheItem) {
    TempFolder temp;
    temp.createFiles({"w/A.TXT", "log/"});
    // A folder where the log should be: no record, so no rename either.
    const CliResult result = RunCli(CliRun({"--write-log", "--log", temp.path() / "log",
                                            "--case=lower", "--quiet", temp.path() / "w/A.TXT"}));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, Status(1, 1, 5, 5, 1) + "\n");
    EXPECT_TRUE(temp.exists("w/A.TXT"));
}

TEST(CliLogTest, AClosedOutputDoesNotCutTheBatchShort) {
    TempFolder temp;
    constexpr int kFiles = 3000;  // rows enough to fill the pipe several times
    for (int i = 0; i < kFiles; ++i)
        temp.createFile("w/FILE_" + std::to_string(i) + ".TXT");
    const std::string log = (temp.path() / "b.log").string();
    const CliResult result =
        RunCli(CliRun({"--write-log", "--log", log, "--case=lower", "--folder", temp.path() / "w"})
                   .withOutputClosed());
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "");
    const Strings listing = temp.listing();
    EXPECT_EQ(std::count_if(listing.begin(), listing.end(),
                            [](const auto& p) { return p.find("w/file_") == 0; }),
              kFiles);
    // Every rename has its record: Undo brings every name back.
    EXPECT_EQ(RunCli(CliRun({"--undo", "--quiet", "--delete-log", "--log", log})).status, 0);
    EXPECT_EQ(temp.listing().size(), static_cast<std::size_t>(kFiles + 1));
    EXPECT_TRUE(temp.exists("w/FILE_0.TXT"));
}

// Records that cannot be written fail their items, and the reason is told once at the end.
TEST(CliLogTest, ALogThatCannotBeWrittenIsToldOnce) {
    TempFolder temp;
    temp.createFiles({"w/A.TXT", "w/B.TXT"});
    const std::string log = (temp.path() / "nowhere/b.log").string();
    const CliResult result = RunCli(CliRun(
        {"--write-log", "--log", log, "--case=lower", "--quiet", "--folder", temp.path() / "w"}));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "brindle-cli: " + log + " was not found.\n");
    EXPECT_EQ(result.out, Status(2, 2, 5, 5, 2) + "\n");
    EXPECT_TRUE(temp.exists("w/A.TXT") && temp.exists("w/B.TXT"));
}

TEST(CliLogTest, DiskFullStopsTheBatchAndTheLogStillUndoesIt) {
    TempFolder temp;
    constexpr int kFiles = 600;  // more than two groups of records
    for (int i = 0; i < kFiles; ++i)
        temp.createFile("w/FILE_" + std::to_string(100 + i) + ".TXT");
    const std::string log = (temp.path() / "b.log").string();
    // A file-size limit makes the log's writes fail as a full disk does: the first group's
    // records fit, the second's do not.
    const CliResult batch = RunCli(CliRun({"--write-log", "--log", log, "--case=lower", "--quiet",
                                           "--folder", temp.path() / "w"})
                                       .limitFileSize(100000));
    EXPECT_EQ(batch.status, 2);
    EXPECT_EQ(batch.err, "brindle-cli: Disk full while accessing " + log + ".\n");
    const Strings afterBatch = temp.listing();
    const auto renamed = std::count_if(afterBatch.begin(), afterBatch.end(), [](const auto& p) {
        return p.find("file_") != std::string::npos;
    });
    EXPECT_EQ(renamed, 256);

    const CliResult undo = RunCli(CliRun({"--undo", "--quiet", "--delete-log", "--log", log}));
    EXPECT_EQ(undo.status, 0);
    for (const auto& path : temp.listing())
        EXPECT_EQ(path.find("file_"), std::string::npos) << path;
}

// Each group of records is made durable before any of its renames, and each is twice the
// one before: a few thousand items take a handful of fdatasync calls, not one per 256.
TEST(CliLogTest, GroupsOfRecordsGrowAndEachIsDurableBeforeItsRenames) {
    REQUIRE_STRACE();
    TempFolder temp;
    struct statfs where {};
    ASSERT_EQ(statfs(temp.path().c_str(), &where), 0);
    if (where.f_type == TMPFS_MAGIC)
        GTEST_SKIP() << "the temporary folder is on tmpfs, where the log is never synced";
    constexpr int kFiles = 5000;
    for (int i = 0; i < kFiles; ++i)
        temp.createFile("w/FILE_" + std::to_string(10000 + i) + ".TXT");
    const std::string trace = (temp.path() / "strace.out").string();
    CliRun run({"--write-log", "--log", temp.path() / "b.log", "--case=lower", "--quiet",
                "--folder", temp.path() / "w"});
    run.tracer = {"strace", "-f", "-qq", "-o", trace, "-e", "trace=fdatasync,renameat2"};
    const CliResult batch = RunCli(run);
    ASSERT_EQ(batch.status, 0) << batch.err;
    // The renames that follow each fdatasync; none may come before the first.
    std::vector<int> renamesAfterSync;
    for (const std::string& line : Lines(temp.readFile("strace.out"))) {
        if (line.find("fdatasync(") != std::string::npos) {
            renamesAfterSync.push_back(0);
        } else if (line.find("renameat2(") != std::string::npos) {
            ASSERT_FALSE(renamesAfterSync.empty()) << "a rename before any record was durable";
            ++renamesAfterSync.back();
        }
    }
    EXPECT_EQ(renamesAfterSync, (std::vector<int>{256, 512, 1024, 2048, kFiles - 3840}));
}

struct UndoAnswerCase {
    const char* name;
    Strings answerArgs;
    bool terminal;
    std::string typed;
    bool logDeleted;
    std::string question;  // standard error
};

TEST(CliLogTest, UndoPutsNamesBackAndTreatsTheLogAsAnswered) {
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
        const CliResult batch = RunCli(CliRun(
            {"--write-log", "--log", log, "--case", "lower", "--folder", temp.path() / "w"}));
        ASSERT_EQ(batch.status, 0);
        ASSERT_EQ(temp.listing(), (Strings{"b.log", "w/", "w/one.txt", "w/two.txt"}));

        Strings args{"--undo", "--log", log};
        args.insert(args.end(), c.answerArgs.begin(), c.answerArgs.end());
        const CliResult undo = RunCli(CliRun(args).typed(c.typed, c.terminal));
        EXPECT_EQ(undo.status, 0);
        EXPECT_EQ(undo.err, c.question);
        Strings rows = Lines(undo.out);
        ASSERT_EQ(rows.size(), 3u);
        EXPECT_EQ(rows.back(), Status(2, 0, 7, 7, 0));
        rows.pop_back();
        std::sort(rows.begin(), rows.end());
        EXPECT_EQ(rows, Filled(Strings{"one.txt  ONE.TXT    {D}w/", "two.txt  Two.txt    {D}w/"},
                               {D(temp)}));
        Strings listing{"w/", "w/ONE.TXT", "w/Two.txt"};
        if (!c.logDeleted)
            listing.insert(listing.begin(), "b.log");
        EXPECT_EQ(temp.listing(), listing);
    }
}

TEST(CliLogTest, UndoWithErrorsAsksTheWarningFormAndExitsOne) {
    TempFolder temp;
    temp.createFiles({"w/A.TXT", "w/B.TXT"});
    const std::string log = (temp.path() / "b.log").string();
    ASSERT_EQ(
        RunCli(CliRun({"--write-log", "--log", log, "--case=lower", "--folder", temp.path() / "w"}))
            .status,
        0);
    std::filesystem::remove(temp.path() / "w/b.txt");

    const CliResult undo = RunCli(CliRun({"--undo", "--log", log, "--tsv"}).typed("n\n", true));
    EXPECT_EQ(undo.status, 1);
    EXPECT_EQ(undo.err,
              "brindle-cli: There was an error(s)! Are you sure that you want to delete Log "
              "file? [y/N] ");
    Strings lines = Lines(undo.out);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines.front(),
              "Input File\tOutput File (Exceptions)\t#\tFolder (New Folder)\tReason");
    EXPECT_EQ(lines.back(), Status(2, 0, 5, 5, 1));
    Strings rows(lines.begin() + 1, lines.end() - 1);
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, Filled(Strings{"a.txt\tA.TXT\t\t{D}w/\t",
                                   "b.txt\tB.TXTError opening file\t\t{D}w/\t"},
                           {D(temp)}));
    EXPECT_EQ(temp.listing(), (Strings{"b.log", "w/", "w/A.TXT"}));
}

TEST(CliLogTest, UndoReadsALogInTheSharedFormat) {
    TempFolder temp;
    temp.createFiles({"w/new name.txt"});
    const std::string folder = temp.path().string() + "/w/";
    // As the desktop program leaves it: CR LF line ends, one directory pair.
    temp.createFile("Brindle.log", "Version=3.7\r\nOld Directory=" + folder +
                                       "\r\nNew Directory=" + folder +
                                       "\r\nOld File=Old Name.TXT\r\nNew File=new name.txt\r\n" +
                                       std::string(43, '-') + "\r\n");
    const CliResult undo =
        RunCli(CliRun({"--undo", "--quiet", "--delete-log", "--log", temp.path() / "Brindle.log"}));
    EXPECT_EQ(undo.status, 0);
    EXPECT_EQ(undo.out, Status(1, 0, 12, 12, 0) + "\n");
    EXPECT_EQ(temp.listing(), (Strings{"w/", "w/Old Name.TXT"}));
}

// Two batches over one folder: --undo takes back the newest, keeps the log without a
// question while the older is left, then the older; --history lists them as they stand;
// with nothing left, --undo says so and what it passed over, and exits 0.
TEST(CliLogTest, UndoTakesBackOneBatchAtATime) {
    TempFolder temp;
    temp.createFiles({"w/A.TXT", "w/b.txt"});
    const std::string log = (temp.path() / "b.log").string();
    const Strings batch = {"--write-log", "--log", log, "--quiet", "--folder", temp.path() / "w"};
    Strings lower = batch;
    lower.push_back("--case=lower");
    Strings upper = batch;
    upper.push_back("--case=upper");
    ASSERT_EQ(RunCli(CliRun(lower)).status, 0);
    ASSERT_EQ(RunCli(CliRun(upper)).status, 0);
    ASSERT_EQ(temp.listing(), (Strings{"b.log", "w/", "w/A.TXT", "w/B.TXT"}));
    const std::string folder = temp.path().string() + "/w/";
    const auto history = [&] {
        const CliResult listed = RunCli(CliRun({"--history", "--log", log}));
        EXPECT_EQ(listed.status, 0);
        EXPECT_EQ(listed.err, "");
        Strings states;
        for (const std::string& line : Lines(listed.out)) {
            // "YYYY-MM-DD HH:MM:SS  FOLDER  STATE"
            EXPECT_EQ(line.substr(19, 2 + folder.size() + 2), "  " + folder + "  ") << line;
            states.push_back(line.substr(19 + 2 + folder.size() + 2));
        }
        return states;
    };
    EXPECT_EQ(history(), (Strings{"2 renamed", "1 renamed"}));

    struct Step {
        const char* name;
        Strings extra;
        Strings listing;
        std::string err;
        Strings states;
    };
    const std::vector<Step> steps = {
        {"the newest",
         {},
         {"b.log", "w/", "w/a.txt", "w/b.txt"},
         "",
         {"2 renamed, all undone", "1 renamed"}},
        {"the older",
         {"--keep-log"},
         {"b.log", "w/", "w/A.TXT", "w/b.txt"},
         "brindle-cli: passed over: 2 already undone\n",
         {"2 renamed, all undone", "1 renamed, all undone"}},
        {"nothing left",
         {"--keep-log"},
         {"b.log", "w/", "w/A.TXT", "w/b.txt"},
         "brindle-cli: nothing left to undo; passed over: 3 already undone\n",
         {"2 renamed, all undone", "1 renamed, all undone"}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        Strings args{"--undo", "--quiet", "--log", log};
        args.insert(args.end(), step.extra.begin(), step.extra.end());
        const CliResult undo = RunCli(CliRun(args));
        EXPECT_EQ(undo.status, 0);
        EXPECT_EQ(undo.err, step.err);
        EXPECT_EQ(temp.listing(), step.listing);
        EXPECT_EQ(history(), step.states);
    }
}

TEST(CliLogTest, HistoryOfALogWithoutBatchesAndAsTsv) {
    TempFolder temp;
    temp.createFiles({"w/new.txt"});
    const std::string folder = temp.path().string() + "/w/";
    temp.createFile("old.log", "Version=3.7\r\nOld Directory=" + folder + "\r\nNew Directory=" +
                                   folder + "\r\nOld File=Old.TXT\r\nNew File=new.txt\r\n" +
                                   std::string(43, '-') + "\r\n");
    temp.createFile("empty.log", "Version=3.7\r\n");
    const CliResult tsv = RunCli(CliRun({"--history", "--tsv", "--log", temp.path() / "old.log"}));
    EXPECT_EQ(tsv.status, 0);
    EXPECT_EQ(tsv.out,
              "When\tFirst folder\tRenamed\tUndone\tNever renamed\tKey\n"
              "before batches were dated\t" +
                  folder + "\t1\t0\t0\t\n");
    const CliResult empty = RunCli(CliRun({"--history", "--log", temp.path() / "empty.log"}));
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "The log holds no batch.\n");
    const CliResult missing = RunCli(CliRun({"--history", "--log", temp.path() / "none.log"}));
    EXPECT_EQ(missing.status, 2);
}

// Two logged batches started at once on different folders, one log: the second to meet
// its lock waits for it, says so once, and renames everything once it is given up. Here
// the test holds the lock until both have said that they wait, so that both meet it.
TEST(CliLogTest, TwoLoggedBatchesAtOnceBothRenameEverything) {
    TempFolder temp;
    const Strings folders = {"one", "two"};
    Strings expected;
    for (const std::string& folder : folders) {
        expected.push_back(folder + "/");
        for (const char* name : {"A.TXT", "B.TXT", "C.TXT"}) {
            temp.createFile(folder + "/" + name);
            std::string lower = name;
            std::transform(lower.begin(), lower.end(), lower.begin(),
                           [](char c) { return static_cast<char>(std::tolower(c)); });
            expected.push_back(folder + "/" + lower);
        }
    }
    const std::string log = temp.path() / "b.log";
    const std::string waiting = "brindle-cli: waiting for the log " + log +
                                ", which another Brindle is using (up to 10 seconds)\n";
    std::optional<LockHolder> other(std::in_place, log);
    ASSERT_TRUE(other->locked());
    std::vector<std::unique_ptr<RunningCli>> runs;
    for (const std::string& folder : folders) {
        runs.push_back(
            std::make_unique<RunningCli>(CliRun({"--write-log", "--log", log, "--case=lower",
                                                 "--quiet", "--folder", temp.path() / folder})));
    }
    for (const auto& run : runs)
        ASSERT_TRUE(run->WaitForError(waiting));
    other.reset();
    for (const auto& run : runs) {
        const CliResult result = run->Finish();
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err, waiting);
        EXPECT_EQ(result.out, Status(3, 3, 5, 5, 0) + "\n");
    }
    expected.insert(expected.begin(), "b.log");
    EXPECT_EQ(temp.listing(), expected);

    // One Undo of every batch takes both back.
    const CliResult undo =
        RunCli(CliRun({"--undo", "--all", "--quiet", "--delete-log", "--log", log}));
    EXPECT_EQ(undo.status, 0) << undo.err;
    EXPECT_EQ(temp.listing(), (Strings{"one/", "one/A.TXT", "one/B.TXT", "one/C.TXT", "two/",
                                       "two/A.TXT", "two/B.TXT", "two/C.TXT"}));
}

}  // namespace
}  // namespace brindle::testing
