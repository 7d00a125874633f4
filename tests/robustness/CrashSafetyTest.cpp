// brindle-cli killed with SIGKILL at random moments of its batches and of its Undo: Undo
// must still bring every file back under its own name, in its own folder, with its own
// contents.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <thread>

#include "CliProcess.h"
#include "FileTree.h"
#include "ForeignFilesystem.h"
#include "TempFolder.h"

namespace brindle::testing {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::duration_cast;
using std::chrono::nanoseconds;

constexpr int kFilesInA = 650;
constexpr int kFilesInSub = 250;
constexpr int kFilesInB = 700;
constexpr int kRequiredKills = 200;
constexpr int kWantedKills = 210;  // a margin over the requirement
constexpr int kMaxRuns = 400;
// Stops the loop on a machine far slower than expected; the count then decides.
constexpr auto kBudget = std::chrono::seconds(400);
constexpr std::uint32_t kSeed = 20261208;

// Two dropped folders and a subfolder: the log needs directory pairs between them, and
// the dropped folders themselves are renamed last, after all they hold.
class CrashSafety : public ::testing::Test {
protected:
    // The tree below `root` (on the temporary folder's filesystem by default), with
    // `scale` times as few files as the full test.
    void MakeTree(const std::string& root, int scale = 1) {
        tree_ = root;
        log_ = (temp_.path() / "Brindle.log").string();
        int number = 0;
        auto make = [&](const std::string& folder, int count) {
            std::filesystem::create_directories(tree_ + "/" + folder);
            for (int i = 0; i < count / scale; ++i) {
                char name[32];
                std::snprintf(name, sizeof name, "FILE_%04d.TXT", ++number);
                const std::string relative = folder + "/" + name;
                // Each file holds its own first path: an overwrite would show.
                WriteFile(tree_ + "/" + relative, relative);
            }
        };
        make("A_DIR", kFilesInA);
        make("A_DIR/SUB", kFilesInSub);
        make("B_DIR", kFilesInB);
        files_ = number;
        original_ = ReadTree(tree_);
        ASSERT_EQ(original_.size(), static_cast<std::size_t>(files_ + 3));
    }

    // Waits until the batch started as `pid` has written its first records (the log is
    // there and not empty), or has ended, or 15 seconds have passed. True for the first.
    bool WaitForRecords(pid_t pid) const {
        const auto end = Clock::now() + std::chrono::seconds(15);
        while (Clock::now() < end) {
            struct stat info {};
            if (stat(log_.c_str(), &info) == 0 && info.st_size > 0)
                return true;
            siginfo_t ended{};
            if (waitid(P_PID, static_cast<id_t>(pid), &ended, WEXITED | WNOHANG | WNOWAIT) == 0 &&
                ended.si_pid == pid)
                return false;
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        return false;
    }

    CliRun Batch() const {
        Strings args = {"--write-log", "--log", log_, "--case", "lower"};
        if (!caseOnly_) {
            args.push_back("--pattern");
            args.push_back("/O-/5");
        }
        for (const char* more : {"--subfolders", "--quiet"})
            args.push_back(more);
        if (renameDirs_)
            args.push_back("--rename-dirs");
        args.push_back(tree_ + "/A_DIR");
        args.push_back(tree_ + "/B_DIR");
        return CliRun(args);
    }
    CliRun Undo() const { return CliRun({"--undo", "--log", log_, "--delete-log", "--quiet"}); }

    // Files now under a new name (the counter makes every new name differ).
    int RenamedFiles() const {
        int renamed = 0;
        for (const auto& [path, what] : ReadTree(tree_, false)) {
            if (path.find("file_") != std::string::npos)
                ++renamed;
        }
        return renamed;
    }

    // Kills batches and Undos at random moments until `wantedKills` batches were cut.
    // At least 1 / `midwayShare` of the kills must cut a batch midway.
    void KillAtRandom(int wantedKills, int requiredKills, int midwayShare = 2);

    testing::TempFolder temp_;
    std::string tree_;
    std::string log_;
    Tree original_;
    int files_ = 0;
    bool caseOnly_ = false;  // only letter case changes: on exFAT every rename takes steps
    bool renameDirs_ = true;
};

TEST_F(CrashSafety, UndoBringsEveryFileBackAfterKillsAtRandomMoments) {
    MakeTree((temp_.path() / "tree").string());
    KillAtRandom(kWantedKills, kRequiredKills);
}

// Where every rename takes more than one step: changes of letter case through a temporary
// name, and claims of the target, on exFAT and FAT; hard links made and old names
// removed, and claims of folders, on NTFS.
TEST_F(CrashSafety, KillsBetweenTheStepsOfRenamesOnForeignFilesystems) {
    for (const auto kind : {ForeignFilesystem::Kind::ExFat, ForeignFilesystem::Kind::Fat,
                            ForeignFilesystem::Kind::Ntfs}) {
        const std::string folder =
            (temp_.path() / ("fs" + std::to_string(static_cast<int>(kind)))).string();
        std::filesystem::create_directories(folder);
        ForeignFilesystem fs(kind, folder);
        SCOPED_TRACE(fs.name());
        if (!fs.mountedOrSkipped())
            continue;
        caseOnly_ = kind != ForeignFilesystem::Kind::Ntfs;
        // fusefat loses what a folder holds when the folder is renamed (by any program).
        renameDirs_ = kind != ForeignFilesystem::Kind::Fat;
        // ntfs-3g renames the whole tree in a moment next to its start, whose length
        // varies more than that: twice the files there give kills a window to land in.
        MakeTree(fs.root() + "/tree", caseOnly_ ? 16 : 8);
        // Small batches: the program's start takes a larger share of their time.
        KillAtRandom(40, 30, 4);
    }
}

// A kill inside a group: the group's records are all in the log, some of its renames
// done, none of its outcomes marked. Undo puts back exactly the renamed files, by what
// the disk shows.
TEST_F(CrashSafety, AKillInsideAGroupOfRecords) {
    if (!StraceWorks())
        GTEST_SKIP() << "strace is missing or cannot trace here; install Debian's strace";
    MakeTree((temp_.path() / "tree").string(), 2);  // 800 files: groups of 256 and more
    for (const int when : {1, 100, 256, 257, 400, 700}) {
        SCOPED_TRACE("killed at rename " + std::to_string(when));
        const CliResult cut = RunCli(Batch().underStrace(
            {"trace=renameat2", "inject=renameat2:signal=KILL:when=" + std::to_string(when)}));
        EXPECT_EQ(cut.signal, SIGKILL);
        EXPECT_EQ(RenamedFiles(), when - 1);
        // Records of the group whose renames never came are error rows.
        const CliResult undo = RunCli(Undo());
        EXPECT_TRUE(undo.status == 0 || undo.status == 1) << undo.err;
        const Tree now = ReadTree(tree_);
        ASSERT_TRUE(now == original_) << Differences(original_, now);
    }
}

// Groups grow to thousands of records: a kill deep inside a large one leaves a thousand
// records without outcomes, whose renames never came, and Undo settles them all by what
// the disk shows.
TEST_F(CrashSafety, AKillInsideALargeGroupOfRecords) {
    if (!StraceWorks())
        GTEST_SKIP() << "strace is missing or cannot trace here; install Debian's strace";
    // Groups of 256, 512, 1024, 2048, then the last 2160 files.
    constexpr int kMany = 6000;
    constexpr int kKilledAt = 5000;
    tree_ = (temp_.path() / "flat").string();
    log_ = (temp_.path() / "Brindle.log").string();
    std::filesystem::create_directories(tree_);
    for (int i = 1; i <= kMany; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "FILE_%05d.TXT", i);
        WriteFile(tree_ + "/" + name, name);
    }
    original_ = ReadTree(tree_);
    const CliResult cut = RunCli(
        CliRun({"--write-log", "--log", log_, "--case", "lower", "--quiet", "--folder", tree_})
            .underStrace({"trace=renameat2",
                          "inject=renameat2:signal=KILL:when=" + std::to_string(kKilledAt)}));
    EXPECT_EQ(cut.signal, SIGKILL);
    EXPECT_EQ(RenamedFiles(), kKilledAt - 1);
    const CliResult undo = RunCli(Undo());
    EXPECT_EQ(undo.status, 1) << undo.err;  // the records whose renames never came
    EXPECT_EQ(undo.err, "");
    const Tree now = ReadTree(tree_);
    ASSERT_TRUE(now == original_) << Differences(original_, now);
}

void CrashSafety::KillAtRandom(int wantedKills, int requiredKills, int midwayShare) {
    const int kFiles = files_;

    // One uncut batch and one uncut Undo scale the delays. The batch's first records reach
    // the log just before its first rename: how long it works from then on.
    Clock::time_point start = Clock::now();
    const pid_t uncut = StartCli(Batch());
    ASSERT_TRUE(WaitForRecords(uncut));
    const Clock::time_point recorded = Clock::now();
    const int uncutStatus = WaitFor(uncut);
    const nanoseconds batchTime = Clock::now() - start;
    // How long a batch works once its first records are written: the machine's load
    // changes, so the delays follow it. A batch that ended before its kill worked for less
    // than that delay; a kill near the end of the range may have come early.
    nanoseconds work = Clock::now() - recorded;
    ASSERT_TRUE(WIFEXITED(uncutStatus) && WEXITSTATUS(uncutStatus) == 0) << uncutStatus;
    ASSERT_EQ(RenamedFiles(), kFiles);
    start = Clock::now();
    const CliResult undo = RunCli(Undo());
    const nanoseconds undoTime = Clock::now() - start;
    ASSERT_EQ(undo.status, 0) << undo.err;
    ASSERT_EQ(ReadTree(tree_), original_);

    std::mt19937 random(kSeed);
    auto uniform = [&random](nanoseconds upTo) {
        std::uniform_int_distribution<std::int64_t> pick(0, upTo.count());
        return nanoseconds(pick(random));
    };
    const Clock::time_point loopStart = Clock::now();
    int runs = 0;
    int batchKills = 0;
    int undoKills = 0;
    int cutMidway = 0;  // kills that left some files renamed and some not
    while (batchKills < wantedKills && runs < kMaxRuns && Clock::now() - loopStart < kBudget) {
        SCOPED_TRACE("run " + std::to_string(runs));
        // Most kills come while the batch works, timed from its first records; some come
        // at its start, before it has written anything.
        const bool drawn = runs % 10 >= 2;
        const nanoseconds delay = runs % 10 == 0 ? nanoseconds(0)
                                  : drawn        ? uniform(work + work / 10)
                                                 : uniform(std::chrono::milliseconds(2));
        ++runs;
        const pid_t batchPid = StartCli(Batch());
        if (drawn)
            WaitForRecords(batchPid);
        const bool killed = KillAfter(batchPid, delay);
        if (killed) {
            ++batchKills;
            if (drawn && delay > work - work / 10)
                work += work / 10;
        } else if (drawn) {
            work = std::max(delay, nanoseconds(std::chrono::milliseconds(1)));
        }
        const int renamed = RenamedFiles();
        if (renamed > 0 && renamed < kFiles)
            ++cutMidway;
        // Everything renamed: the rest of the run (closing the log, the end of the
        // process) came after the renames, and is no window to aim for.
        if (drawn && killed && renamed == kFiles)
            work = std::max(delay, nanoseconds(std::chrono::milliseconds(1)));

        // Every third Undo is killed too, and then run again to its end.
        // Undo has as much to do as the batch did before its kill.
        const nanoseconds undoShare = undoTime * renamed / kFiles;
        if (runs % 3 == 0 && KillAfter(StartCli(Undo()), uniform(undoShare + undoShare / 10)))
            ++undoKills;
        const bool logThere = access(log_.c_str(), F_OK) == 0;
        const CliResult finalUndo = RunCli(Undo());
        ASSERT_EQ(finalUndo.signal, 0);
        if (logThere) {
            // Error rows (records whose rename the kill cut off) are no failure here.
            ASSERT_TRUE(finalUndo.status == 0 || finalUndo.status == 1)
                << finalUndo.status << " " << finalUndo.err;
            ASSERT_EQ(finalUndo.err, "");
        } else {
            ASSERT_EQ(finalUndo.status, 2);
            ASSERT_EQ(finalUndo.err, "brindle-cli: Error opening file: " + log_ + "\n");
        }
        ASSERT_NE(access(log_.c_str(), F_OK), 0) << "the log outlived --delete-log";

        const Tree now = ReadTree(tree_);
        ASSERT_TRUE(now == original_) << "after a kill " << delay.count() << " ns in:\n"
                                      << Differences(original_, now);
    }
    const auto seconds = duration_cast<std::chrono::milliseconds>(Clock::now() - loopStart);
    std::printf(
        "[ crash    ] %d files, seed %u: %d runs, %d batch kills (%d midway), %d Undo kills, "
        "%.1f s; uncut batch %.0f ms, Undo %.0f ms\n",
        kFiles, kSeed, runs, batchKills, cutMidway, undoKills,
        static_cast<double>(seconds.count()) / 1000.0, static_cast<double>(batchTime.count()) / 1e6,
        static_cast<double>(undoTime.count()) / 1e6);
    RecordProperty("batch_kills", batchKills);
    RecordProperty("undo_kills", undoKills);
    EXPECT_GE(batchKills, requiredKills) << "the budget ran out after " << runs << " runs";
    // Most kills must land inside the work, or the test proves little.
    EXPECT_GE(cutMidway, batchKills / midwayShare);
}

}  // namespace
}  // namespace brindle::testing
