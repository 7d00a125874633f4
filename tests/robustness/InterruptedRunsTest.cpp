// brindle-cli ended by SIGINT, SIGTERM and SIGHUP: strace delivers the signal exactly at
// the system call a case names (a rename inside a group of records or a group's first,
// the log's lock before any rename, the folder's listing, a move of Undo, Undo's
// question). Each time the program writes the outcomes of what it did and the statistics
// so far, then ends by that same signal; Undo puts back exactly what was renamed.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "CliProcess.h"
#include "FileTree.h"
#include "TempFolder.h"

namespace brindle::testing {
namespace {

// Records go to the log in groups of 256, 512, 1024 ... items: 800 files make groups of
// 256, 512 and 32.
constexpr int kFiles = 800;
struct Signal {
    int number;
    const char* name;
};
constexpr Signal kSignals[] = {{SIGINT, "SIGINT"}, {SIGTERM, "SIGTERM"}, {SIGHUP, "SIGHUP"}};

class Interrupted : public ::testing::Test {
protected:
    void SetUp() override {
        tree_ = (temp_.path() / "w").string();
        log_ = (temp_.path() / "b.log").string();
        std::filesystem::create_directories(tree_);
        for (int i = 1; i <= kFiles; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "FILE_%04d.TXT", i);
            WriteFile(tree_ + "/" + name, name);
        }
        original_ = ReadTree(tree_);
    }

    CliRun Batch() const {
        return CliRun(
            {"--write-log", "--log", log_, "--case", "lower", "--quiet", "--folder", tree_});
    }
    CliRun Undo(const char* answer = "--delete-log") const {
        return CliRun({"--undo", "--quiet", "--log", log_, answer});
    }
    static CliRun SignalAt(CliRun run, const std::string& call, const Signal& signal, int when) {
        return run.underStrace({"trace=" + call, "inject=" + call + ":signal=" + signal.name +
                                                     ":when=" + std::to_string(when)});
    }
    int RenamedFiles() const {
        int renamed = 0;
        for (const auto& [path, what] : ReadTree(tree_, false))
            renamed += path.starts_with("file_") ? 1 : 0;
        return renamed;
    }
    // How many lines of the log begin with `key`.
    int LogLines(const std::string& key) const {
        int count = 0;
        for (const std::string& line : Lines(ReadFile(log_)))
            count += line.starts_with(key) ? 1 : 0;
        return count;
    }
    // The status line of `files` files, every name 13 characters long.
    static std::string StatusOf(int files, int changed) {
        const int length = files == 0 ? 0 : 13;
        return Status(files, changed, length, length, 0) + "\n";
    }

    TempFolder temp_;
    std::string tree_;
    std::string log_;
    Tree original_;
};

// The log holds exactly the records of the renames that were made, each marked renamed:
// the records of a group that the stop cut short are taken back.
TEST_F(Interrupted, ABatchStopsAtTheNextItemAndUndoPutsBackWhatItRenamed) {
    REQUIRE_STRACE();
    struct Place {
        const char* name;
        const char* call;
        int when;
        int renamed;  // the item a signal comes at is finished
    };
    const Place places[] = {
        {"listing", "getdents64", 1, 0},
        {"records written, no rename yet", "flock", 1, 0},
        {"inside the first group", "renameat2", 100, 100},
        {"last of the first group", "renameat2", 256, 256},
        {"first of the second group", "renameat2", 257, 257},
        {"inside the second group", "renameat2", 600, 600},
    };
    for (const Signal& signal : kSignals) {
        for (const Place& place : places) {
            SCOPED_TRACE(std::string(signal.name) + " at " + place.name);
            const CliResult cut = RunCli(SignalAt(Batch(), place.call, signal, place.when));
            EXPECT_EQ(cut.signal, signal.number) << cut.status << " " << cut.err;
            EXPECT_EQ(cut.err, "");
            EXPECT_EQ(cut.out, StatusOf(place.renamed, place.renamed));
            EXPECT_EQ(RenamedFiles(), place.renamed);
            const bool logThere = std::filesystem::exists(log_);
            if (logThere) {
                EXPECT_EQ(LogLines("Old File="), place.renamed);
                EXPECT_EQ(LogLines("Renamed="), place.renamed);
                EXPECT_EQ(LogLines("Failed="), 0);
            } else {
                EXPECT_EQ(place.renamed, 0);
            }
            const CliResult undo = RunCli(Undo());
            if (logThere) {
                EXPECT_EQ(undo.status, 0) << undo.err;
                EXPECT_EQ(undo.out, StatusOf(place.renamed, 0));
            }
            const Tree now = ReadTree(tree_);
            ASSERT_TRUE(now == original_) << Differences(original_, now);
        }
    }
}

// Undo stops at its next record too, or before its first when the signal comes while it
// reads the log; what it moved back stays marked, and a second Undo finishes the rest.
TEST_F(Interrupted, UndoStopsAtTheNextRecordAndASecondUndoFinishes) {
    REQUIRE_STRACE();
    struct Place {
        const char* name;
        const char* call;
        int when;
        int movedBack;
    };
    const Place places[] = {
        {"reading the log", "flock", 1, 0},
        {"a move", "renameat2", 300, 300},
    };
    for (const Signal& signal : kSignals) {
        for (const Place& place : places) {
            SCOPED_TRACE(std::string(signal.name) + " at " + place.name);
            ASSERT_EQ(RunCli(Batch()).status, 0);
            const CliResult cut = RunCli(SignalAt(Undo(), place.call, signal, place.when));
            EXPECT_EQ(cut.signal, signal.number) << cut.status << " " << cut.err;
            EXPECT_EQ(cut.out, StatusOf(place.movedBack, 0));
            EXPECT_EQ(RenamedFiles(), kFiles - place.movedBack);
            ASSERT_TRUE(std::filesystem::exists(log_)) << "the log went with a stopped Undo";
            EXPECT_EQ(LogLines("Undone="), place.movedBack);
            // The records undone before are passed over now, and no errors.
            const CliResult rest = RunCli(Undo());
            EXPECT_EQ(rest.status, 0) << rest.err;
            EXPECT_EQ(rest.out, Status(kFiles - place.movedBack, 0, 13, 13, 0) + "\n");
            EXPECT_FALSE(std::filesystem::exists(log_));
            const Tree now = ReadTree(tree_);
            ASSERT_TRUE(now == original_) << Differences(original_, now);
        }
    }
}

// Asked on a terminal whether to delete the log, Undo has done its moves: a signal then
// keeps the log and ends the program at once, without waiting for an answer.
TEST_F(Interrupted, ASignalAtUndosQuestionKeepsTheLogAndEnds) {
    for (const Signal& signal : kSignals) {
        SCOPED_TRACE(signal.name);
        ASSERT_EQ(RunCli(Batch()).status, 0);
        const PseudoTerminal terminal;
        const pid_t undo =
            StartCli(CliRun({"--undo", "--quiet", "--log", log_}).onTerminal(terminal.slaveName()));
        std::string seen;
        const auto readTerminal = [&] {
            pollfd wait{terminal.master(), POLLIN, 0};
            char buffer[512];
            ssize_t got = 0;
            while (poll(&wait, 1, 0) == 1 &&
                   (got = read(terminal.master(), buffer, sizeof buffer)) > 0)
                seen.append(buffer, static_cast<std::size_t>(got));
        };
        ASSERT_TRUE(Eventually([&] {
            readTerminal();
            return seen.find("[y/N]") != std::string::npos;
        })) << seen;
        ASSERT_EQ(kill(undo, signal.number), 0);
        int status = 0;
        if (!Eventually([&] { return waitpid(undo, &status, WNOHANG) == undo; })) {
            kill(undo, SIGKILL);
            WaitFor(undo);
            FAIL() << "still waiting for an answer after the signal";
        }
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal.number) << status;
        readTerminal();
        EXPECT_NE(seen.find(Status(kFiles, 0, 13, 13, 0)), std::string::npos) << seen;
        EXPECT_TRUE(std::filesystem::exists(log_));
        EXPECT_EQ(ReadTree(tree_), original_);
        std::filesystem::remove(log_);
    }
}

}  // namespace
}  // namespace brindle::testing
