// brindle-cli killed with SIGKILL at random moments of its batches and of its Undo: Undo
// must still bring every file back under its own name, in its own folder, with its own
// contents. A kill is aimed at a change of names drawn among those the run makes, and
// lands right after that change, however fast the machine is.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>

#include "ChangeWatcher.h"
#include "CliProcess.h"
#include "FileTree.h"
#include "ForeignFilesystem.h"
#include "TempFolder.h"

namespace brindle::testing {
namespace {

constexpr int kFilesInA = 650;
constexpr int kFilesInSub = 250;
constexpr int kFilesInB = 700;
constexpr int kRequiredKills = 200;
constexpr int kWantedKills = 210;  // a margin over the requirement
constexpr int kMaxRuns = 400;
constexpr std::uint32_t kSeed = 20261208;

// Kills `pid` with SIGKILL once `watcher` has seen `changes` changes of names (at once for
// none). True when the kill cut the run short (it had not ended by itself before).
bool KillAfterChanges(pid_t pid, ChangeWatcher& watcher, std::uint64_t changes) {
    if (changes > 0)
        watcher.WaitFor(changes, pid);
    return KillAfter(pid, {});
}

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
        // Smaller trees and fewer kills: these filesystems are slow.
        MakeTree(fs.root() + "/tree", caseOnly_ ? 16 : 8);
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

    // One uncut batch and one uncut Undo count the changes of names each makes: the
    // kills are aimed among them.
    std::uint64_t batchChanges = 0;
    {
        ChangeWatcher watcher(tree_);
        const CliResult uncut = RunCli(Batch());
        ASSERT_EQ(uncut.status, 0) << uncut.err;
        batchChanges = watcher.Seen();
    }
    ASSERT_EQ(RenamedFiles(), kFiles);
    ASSERT_GT(batchChanges, 1u);
    std::uint64_t undoChanges = 0;
    {
        ChangeWatcher watcher(tree_);
        const CliResult undo = RunCli(Undo());
        ASSERT_EQ(undo.status, 0) << undo.err;
        undoChanges = watcher.Seen();
    }
    ASSERT_EQ(ReadTree(tree_), original_);

    std::mt19937 random(kSeed);
    auto uniform = [&random](std::uint64_t from, std::uint64_t to) {
        return std::uniform_int_distribution<std::uint64_t>(from, std::max(from, to))(random);
    };
    int runs = 0;
    int batchKills = 0;
    int undoKills = 0;
    int cutMidway = 0;  // kills that left some files renamed and some not
    while (batchKills < wantedKills && runs < kMaxRuns) {
        SCOPED_TRACE("run " + std::to_string(runs));
        // Most kills come while the batch renames, after a change drawn among all it makes;
        // some come at its start, before it has changed anything.
        const std::uint64_t changes = runs % 10 < 2 ? 0 : uniform(1, batchChanges - 1);
        ++runs;
        bool killed = false;
        {
            ChangeWatcher watcher(tree_);
            killed = KillAfterChanges(StartCli(Batch()), watcher, changes);
        }
        if (killed)
            ++batchKills;
        const int renamed = RenamedFiles();
        if (renamed > 0 && renamed < kFiles)
            ++cutMidway;

        // Every third Undo is killed too, after a change drawn among those it has to make
        // (as many as the batch renamed), and then run again to its end.
        if (runs % 3 == 0) {
            const std::uint64_t share = undoChanges * static_cast<std::uint64_t>(renamed) /
                                        static_cast<std::uint64_t>(kFiles);
            ChangeWatcher watcher(tree_);
            if (KillAfterChanges(StartCli(Undo()), watcher, uniform(0, share)))
                ++undoKills;
        }
        const bool logThere = access(log_.c_str(), F_OK) == 0;
        const CliResult finalUndo = RunCli(Undo());
        ASSERT_EQ(finalUndo.signal, 0);
        if (logThere) {
            // Error rows (records whose rename the kill cut off) are no failure here, nor
            // what a killed Undo put back already (passed over, and said so).
            ASSERT_TRUE(finalUndo.status == 0 || finalUndo.status == 1)
                << finalUndo.status << " " << finalUndo.err;
            // Nothing but what was passed over and the reasons of such rows, each an item of
            // the tree's.
            for (const std::string& line : Lines(finalUndo.err))
                ASSERT_TRUE(line.starts_with("brindle-cli: passed over: ") ||
                            line.starts_with("brindle-cli: nothing left to undo") ||
                            line.starts_with("brindle-cli: " + tree_ + "/"))
                    << line;
        } else {
            ASSERT_EQ(finalUndo.status, 2);
            ASSERT_EQ(finalUndo.err, "brindle-cli: Error opening file: " + log_ + "\n");
        }
        ASSERT_NE(access(log_.c_str(), F_OK), 0) << "the log outlived --delete-log";

        const Tree now = ReadTree(tree_);
        ASSERT_TRUE(now == original_) << "after a kill " << changes << " changes in:\n"
                                      << Differences(original_, now);
    }
    std::printf(
        "[ crash    ] %d files, seed %u: %d runs, %d batch kills (%d midway), %d Undo "
        "kills; an uncut batch makes %llu changes, Undo %llu\n",
        kFiles, kSeed, runs, batchKills, cutMidway, undoKills,
        static_cast<unsigned long long>(batchChanges),
        static_cast<unsigned long long>(undoChanges));
    RecordProperty("batch_kills", batchKills);
    RecordProperty("undo_kills", undoKills);
    EXPECT_GE(batchKills, requiredKills)
        << "only " << batchKills << " kills in " << runs << " runs";
    // Most kills must land inside the work, or the test proves little.
    EXPECT_GE(cutMidway, batchKills / midwayShare);
}

}  // namespace
}  // namespace brindle::testing
