// Undo where it once misplaced files: records of renames that failed, Undo run a second
// time, Undo's question racing a batch on the same log, folders swapped for links, and
// logs moved by their own batch. The real brindle-cli on real folders; races are placed
// by holding brindle-cli at one system call while the test acts, never with sleeps.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "CliProcess.h"
#include "FileTree.h"
#include "PrivateTmpfs.h"
#include "TempFolder.h"

namespace brindle::testing {
namespace {

using namespace std::chrono_literals;

class UndoFaults : public ::testing::Test {
protected:
    void SetUp() override {
        t_ = temp_.path().string();
        log_ = t_ + "/undo.log";
        temp_.createFiles({"w/"});
    }

    std::string W(const std::string& name = {}) const { return t_ + "/w/" + name; }
    Strings Logged(Strings args) const {
        Strings all = {"--write-log", "--quiet", "--log", log_};
        all.insert(all.end(), args.begin(), args.end());
        return all;
    }
    CliResult Batch(Strings args) const { return RunCli(CliRun(Logged(std::move(args)))); }
    CliResult Undo(const std::string& answer) const {
        return RunCli(CliRun({"--undo", "--quiet", "--log", log_, answer}));
    }
    // Every batch of the log, as one Undo.
    CliResult UndoAll(const std::string& answer) const {
        return RunCli(CliRun({"--undo", "--all", "--quiet", "--log", log_, answer}));
    }
    Tree Files() const { return ReadTree(W()); }

    testing::TempFolder temp_;
    std::string t_;
    std::string log_;
};

// A record is written before its rename; a rename that then fails leaves a record that
// Undo must never replay on whatever file now holds its new name.
TEST_F(UndoFaults, RecordsOfFailedRenamesAreNeverReplayed) {
    {
        // (A path dropped twice is met once: the second item is one that is not there.)
        SCOPED_TRACE("failed/DroppedItemNotThere");
        temp_.createFile("w/A.t", "A");
        temp_.createFile("w/2.t", "two");
        const CliResult batch =
            Batch({"--pattern", "/1", "--start-index", "1", W("A.t"), W("B.t")});
        EXPECT_EQ(batch.status, 1) << batch.err;  // the second item failed
        EXPECT_EQ(Files(), (Tree{{"1.t", "file:A"}, {"2.t", "file:two"}}));
        EXPECT_EQ(Undo("--delete-log").status, 0);  // the failed record is passed over
        EXPECT_EQ(Files(), (Tree{{"A.t", "file:A"}, {"2.t", "file:two"}}));
        std::filesystem::remove_all(W());
        temp_.createFiles({"w/"});
    }
    {
        SCOPED_TRACE("failed/TwoAimAtOneNameAndTheOneLeftIsDeleted");
        temp_.createFile("w/X.t", "x");
        temp_.createFile("w/Y.t", "y");
        EXPECT_EQ(Batch({"--pattern", "N", W("X.t"), W("Y.t")}).status, 1);
        EXPECT_EQ(Files(), (Tree{{"N.t", "file:x"}, {"Y.t", "file:y"}}));
        std::filesystem::remove(W("Y.t"));
        EXPECT_EQ(Undo("--delete-log").status, 0);
        EXPECT_EQ(Files(), (Tree{{"X.t", "file:x"}}));
    }
}

// S -> R, then P -> Q, then R -> P: after Undo every file is back, and a second Undo of
// the same log finds every record undone and moves nothing.
class SecondUndo : public UndoFaults {
protected:
    void SetUp() override {
        UndoFaults::SetUp();
        temp_.createFile("w/S.t", "s");
        temp_.createFile("w/P.t", "p");
        ASSERT_EQ(Batch({"--pattern", "R", W("S.t")}).status, 0);
        ASSERT_EQ(Batch({"--pattern", "Q", W("P.t")}).status, 0);
        ASSERT_EQ(Batch({"--pattern", "P", W("R.t")}).status, 0);
        ASSERT_EQ(Files(), (Tree{{"P.t", "file:s"}, {"Q.t", "file:p"}}));
    }
    const Tree kBack{{"S.t", "file:s"}, {"P.t", "file:p"}};
};

TEST_F(SecondUndo, AfterTheLogWasKeptMovesNothing) {
    EXPECT_EQ(UndoAll("--keep-log").status, 0);
    EXPECT_EQ(Files(), kBack);
    const CliResult again = Undo("--keep-log");
    EXPECT_EQ(again.status, 0);  // all undone already: passed over, no errors
    EXPECT_EQ(again.err, "brindle-cli: nothing left to undo; passed over: 3 already undone\n");
    EXPECT_EQ(Files(), kBack);
    EXPECT_EQ(UndoAll("--delete-log").status, 0);
    EXPECT_EQ(Files(), kBack);
}

TEST_F(SecondUndo, AfterAKillAtAnyMomentMovesOnlyWhatIsLeft) {
    REQUIRE_STRACE();
    // Killed when it deletes the log (every move done), after its first move (the move
    // made, its mark not yet written), and before its second move.
    const std::string kills[] = {"inject=unlink,unlinkat:signal=KILL:when=1",
                                 "inject=write:signal=KILL:when=1",
                                 "inject=renameat2:signal=KILL:when=2"};
    for (const std::string& kill : kills) {
        SCOPED_TRACE(kill);
        const std::string saved = ReadFile(log_);
        const CliResult cut =
            RunCli(CliRun({"--undo", "--all", "--quiet", "--log", log_, "--delete-log"})
                       .underStrace({"trace=" + kill.substr(7, kill.find(':') - 7), kill}));
        EXPECT_EQ(cut.signal, SIGKILL) << cut.status << " " << cut.err;
        const CliResult rerun = UndoAll("--delete-log");
        EXPECT_TRUE(rerun.status == 0 || rerun.status == 1) << rerun.err;
        EXPECT_EQ(Files(), kBack);
        // The next kill starts from the renamed files and the same log again.
        std::filesystem::rename(W("P.t"), W("tmp"));
        std::filesystem::rename(W("S.t"), W("P.t"));
        std::filesystem::rename(W("tmp"), W("Q.t"));
        WriteFile(log_, saved);
    }
}

// Undo keeps the log locked from its first read until it is deleted: a batch that runs
// while Undo asks its question fails its items and renames nothing.
TEST_F(UndoFaults, ABatchDuringUndosQuestionRenamesNothing) {
    temp_.createFile("w/A.t", "a");
    temp_.createFile("w/B.t", "b");
    ASSERT_EQ(Batch({"--case", "upper", W("A.t")}).status, 0);

    // Undo on a terminal of its own, so that it asks.
    const PseudoTerminal terminal;
    const int master = terminal.master();
    const pid_t undo =
        StartCli(CliRun({"--undo", "--quiet", "--log", log_}).onTerminal(terminal.slaveName()));
    std::string seen;
    const bool asked = Eventually([&] {
        pollfd wait{master, POLLIN, 0};
        if (poll(&wait, 1, 0) == 1) {
            char buffer[512];
            const ssize_t got = read(master, buffer, sizeof buffer);
            if (got > 0)
                seen.append(buffer, static_cast<std::size_t>(got));
        }
        return seen.find("[y/N]") != std::string::npos;
    });
    ASSERT_TRUE(asked) << seen;
    EXPECT_EQ(Files(), (Tree{{"A.t", "file:a"}, {"B.t", "file:b"}}));

    const CliResult meanwhile = Batch({"--case", "upper", W("B.t")});
    EXPECT_EQ(meanwhile.status, 1) << meanwhile.err;
    ASSERT_EQ(write(master, "y\n", 2), 2);
    int status = 0;
    ASSERT_EQ(waitpid(undo, &status, 0), undo);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << seen;
    EXPECT_FALSE(std::filesystem::exists(log_));
    EXPECT_EQ(Files(), (Tree{{"A.t", "file:a"}, {"B.t", "file:b"}}));
}

// A batch that opened the log just before Undo deleted it, and locks it just after:
// its record goes to a new log, not to the deleted file.
TEST_F(UndoFaults, AWriterThatLocksADeletedLogStartsOver) {
    REQUIRE_STRACE();
    temp_.createFile("w/A.t", "a");
    HeldCli batch(CliRun(Logged({"--case", "upper", W("A.t")})).heldAt("flock", 1));
    // The batch has made the log and is held at its lock.
    ASSERT_TRUE(batch.WaitUntilHeld(SYS_flock));
    ASSERT_TRUE(std::filesystem::exists(log_));
    EXPECT_EQ(Undo("--delete-log").status, 0);
    EXPECT_FALSE(std::filesystem::exists(log_));
    const int status = batch.ReleaseAndWait();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(Files(), (Tree{{"A.T", "file:a"}}));
    ASSERT_TRUE(std::filesystem::exists(log_)) << "the record went to the deleted log";
    EXPECT_EQ(Undo("--delete-log").status, 0);
    EXPECT_EQ(Files(), (Tree{{"A.t", "file:a"}}));
}

// A subfolder swapped for a link to another folder while a batch works in it: the batch
// goes on in the folder it opened, and nothing of the other folder is touched.
class SwappedFolder : public UndoFaults {
protected:
    // w/sub/ and other/ hold files of the same names and different contents.
    void MakeFolders(bool lowerCase) {
        for (int i = 0; i < 20; ++i) {
            std::string name = "FILE_" + std::to_string(10 + i) + ".TXT";
            if (lowerCase)
                for (char& c : name)
                    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            temp_.createFile("w/sub/" + name, "mine " + name);
            temp_.createFile("other/" + name, "other " + name);
        }
        others_ = ReadTree(Other());
    }
    std::string Other() const { return t_ + "/other"; }
    void Swap() const {
        std::filesystem::rename(W("sub"), W("sub.real"));
        std::filesystem::create_directory_symlink(Other(), W("sub"));
    }
    Tree others_;
};

TEST_F(SwappedFolder, MidBatchTheBatchStaysInTheFolderItOpened) {
    REQUIRE_STRACE();
    MakeFolders(false);
    HeldCli batch(
        CliRun({"--no-write-log", "--quiet", "--case", "lower", "--subfolders", "--folder", W()})
            .heldAt("renameat2", 3));
    // Two files of the subfolder are renamed; the third rename is held.
    const auto twoRenamed = [&] {
        int renamed = 0;
        for (const auto& [path, what] : ReadTree(W("sub"), false))
            renamed += path.starts_with("file_") ? 1 : 0;
        return renamed == 2;
    };
    ASSERT_TRUE(batch.WaitUntilHeld(SYS_renameat2, twoRenamed));
    Swap();
    const int status = batch.ReleaseAndWait();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ReadTree(Other()), others_) << Differences(others_, ReadTree(Other()));
    for (const auto& [path, what] : ReadTree(W("sub.real")))
        EXPECT_TRUE(path.starts_with("file_")) << path << " was left";
}

// Undo of a folder swapped the same way refuses to move anything.
TEST_F(SwappedFolder, AfterTheBatchUndoMovesNothingThroughTheLink) {
    MakeFolders(true);
    ASSERT_EQ(Batch({"--case", "upper", "--subfolders", "--folder", W()}).status, 0);
    // The other folder holds the names the batch gave, too.
    std::filesystem::remove_all(Other());
    for (const auto& [path, what] : ReadTree(W("sub")))
        temp_.createFile("other/" + path, "other " + path);
    others_ = ReadTree(Other());
    const Tree mine = ReadTree(W("sub"));
    Swap();
    EXPECT_EQ(Undo("--delete-log").status, 1);
    EXPECT_EQ(ReadTree(Other()), others_);
    EXPECT_EQ(ReadTree(W("sub.real")), mine);
}

// The batch never renames the log, nor a folder that holds it, whatever path leads to
// them: Undo with the same --log still finds it.
TEST_F(UndoFaults, TheLogIsNeverMovedByItsOwnBatch) {
    {
        SCOPED_TRACE("log/InsideADroppedFolderRenamedWithItsFiles");
        temp_.createFile("w/D/FILE.TXT", "f");
        temp_.createFile("w/D/Brindle.LOG", "");  // an item of the batch itself
        const std::string log = W("D/Brindle.LOG");
        const CliResult batch = RunCli(CliRun({"--write-log", "--quiet", "--log", log, "--case",
                                               "lower", "--subfolders", "--rename-dirs", W("D")}));
        EXPECT_EQ(batch.status, 1) << batch.err;  // the log and its folder stay
        const Tree after = Files();
        EXPECT_TRUE(after.contains("D/file.txt"));
        EXPECT_TRUE(after.contains("D/Brindle.LOG"));
        const CliResult undo = RunCli(CliRun({"--undo", "--quiet", "--log", log, "--delete-log"}));
        EXPECT_EQ(undo.status, 0) << undo.err;
        EXPECT_EQ(Files(), (Tree{{"D/", "folder:"}, {"D/FILE.TXT", "file:f"}}));
        std::filesystem::remove_all(W("D"));
    }
    {
        // A link is never followed: nothing is renamed without a log, and Undo deletes
        // nothing through it.
        SCOPED_TRACE("log/ALinkToAFileOfTheFolder");
        temp_.createFile("w/FILE.TXT", "f");
        temp_.createFile("w/REAL.LOG", "");
        const std::string link = t_ + "/link.log";
        std::filesystem::create_symlink(W("REAL.LOG"), link);
        const Tree before = Files();
        const std::string refused = "brindle-cli: Brindle does not use the log " + link +
                                    ": it is a symbolic link, which Brindle never follows. Give "
                                    "the log's own path.\n";
        const CliResult batch = RunCli(
            CliRun({"--write-log", "--quiet", "--log", link, "--case", "lower", "--folder", W()}));
        EXPECT_EQ(batch.status, 2);
        // The log's target itself is an item of the batch: never renamed, and said so.
        EXPECT_EQ(batch.err, refused + "brindle-cli: " + W("REAL.LOG") +
                                 ": it is the log, which a batch never renames\n");
        const CliResult undo = RunCli(CliRun({"--undo", "--quiet", "--log", link, "--delete-log"}));
        EXPECT_EQ(undo.status, 2);
        EXPECT_EQ(undo.err, refused);
        EXPECT_EQ(Files(), before);
        EXPECT_TRUE(std::filesystem::is_symlink(link));
    }
}

// Waits until the clock that stamps a new file's birth time has moved on, so that a file
// made now is not born in the same tick as one removed just before.
void WaitForTheCoarseClock() {
    timespec start{};
    timespec now{};
    clock_gettime(CLOCK_REALTIME_COARSE, &start);
    do {
        std::this_thread::sleep_for(1ms);
        clock_gettime(CLOCK_REALTIME_COARSE, &now);
    } while (now.tv_sec == start.tv_sec && now.tv_nsec == start.tv_nsec);
}

std::uint64_t InodeOf(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

// A batch renames a file and a folder; both are removed, and new ones of the same names
// take their inode numbers, as ext4 hands a freed number out again at once. Undo must not
// take them for the items it renamed: the birth time and the file handle (with the
// inode's generation) tell them apart. tmpfs never hands a number out twice, so there the
// log is given the new numbers, as if it had.
TEST_F(UndoFaults, NewItemsThatTakeALoggedInodeNumberAreNeverMovedBack) {
    for (const std::string fs : {"ext4", "tmpfs"}) {
        SCOPED_TRACE(fs);
        const std::string mnt = t_ + "/" + fs;
        std::filesystem::create_directory(mnt);
        const std::string report = t_ + "/" + fs + ".report";
        const auto body = [&] {
            std::string text;
            const std::string w = mnt + "/w/";
            const std::string log = mnt + "/b.log";
            std::filesystem::create_directories(w + "album");
            WriteFile(w + "report.txt", "old report");
            WriteFile(w + "album/track.mp3", "old track");
            const CliResult batch =
                RunCli(CliRun({"--write-log", "--quiet", "--log", log, "--case", "upper",
                               "--rename-dirs", w + "report.txt", w + "album"}));
            text += "batch " + std::to_string(batch.status) + "\n";
            const std::uint64_t file = InodeOf(w + "REPORT.TXT");
            const std::uint64_t folder = InodeOf(w + "ALBUM");
            std::filesystem::remove(w + "REPORT.TXT");
            std::filesystem::remove_all(w + "ALBUM");
            WaitForTheCoarseClock();
            // In the order they were made, so that each takes the number its item had.
            std::filesystem::create_directory(w + "ALBUM");
            WriteFile(w + "REPORT.TXT", "new report");
            WriteFile(w + "ALBUM/other.txt", "new");
            const bool reused = InodeOf(w + "REPORT.TXT") == file && InodeOf(w + "ALBUM") == folder;
            if (fs == "tmpfs") {
                std::string lines = ReadFile(log);
                for (const auto& [was, is] : {std::pair(file, InodeOf(w + "REPORT.TXT")),
                                              std::pair(folder, InodeOf(w + "ALBUM"))}) {
                    const std::string key = "Identity=" + std::to_string(was) + " ";
                    lines.replace(lines.find(key), key.size(),
                                  "Identity=" + std::to_string(is) + " ");
                }
                WriteFile(log, lines);
            } else {
                text += reused ? "numbers reused\n" : "numbers not reused\n";
            }
            const CliResult undo =
                RunCli(CliRun({"--undo", "--quiet", "--keep-log", "--log", log}));
            text += "undo " + std::to_string(undo.status) + "\n" + undo.err;
            for (const std::string& line : Listing(ReadTree(mnt + "/w")))
                text += line + "\n";
            WriteFile(report, text);
            return 0;
        };
        const std::optional<int> status = fs == "ext4" ? InPrivateExt4(t_ + "/ext4.img", mnt, body)
                                                       : InPrivateTmpfs(mnt, 1 << 20, body);
        if (!status) {
            std::printf("[ skipped  ] %s cannot be mounted here (needs root%s)\n", fs.c_str(),
                        fs == "ext4" ? ", a loop device and mkfs.ext4" : "");
            continue;
        }
        ASSERT_EQ(*status, 0);
        const std::string w = mnt + "/w/";
        const std::string notTheItem =
            ": not put back: it is not the item the batch renamed (another has taken its name "
            "since)\n";
        EXPECT_EQ(ReadFile(report), "batch 0\n" +
                                        std::string(fs == "ext4" ? "numbers reused\n" : "") +
                                        "undo 1\n" + "brindle-cli: " + w + "ALBUM" + notTheItem +
                                        "brindle-cli: " + w + "REPORT.TXT" + notTheItem +
                                        "ALBUM/\nALBUM/other.txt=new\nREPORT.TXT=new report\n");
    }
}

}  // namespace
}  // namespace brindle::testing
