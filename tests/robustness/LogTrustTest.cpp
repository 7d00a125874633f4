// A log that someone else could have written is never trusted: records planted by
// another user, a link at the log's path, a file that is no log. Two users made for the
// test, the real brindle-cli run as the one whose files are at stake.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "CliProcess.h"
#include "FileTree.h"
#include "LogLines.h"
#include "TempFolder.h"
#include "TestUsers.h"

namespace brindle::testing {
namespace {

namespace fs = std::filesystem;

const std::string kRefused = "brindle-cli: Brindle does not use the log ";

class LogTrust : public ::testing::Test {
protected:
    void SetUp() override {
        std::string whyNot;
        owner_ = MadeUser("brindle-test-owner", whyNot);
        other_ = MadeUser("brindle-test-other", whyNot);
        if (!owner_ || !other_)
            GTEST_SKIP() << whyNot;
        t_ = temp_.path().string();
        ASSERT_EQ(chmod(t_.c_str(), 0755), 0);
        // The owner's private folder with a secret, the other user's folder that anyone
        // may write to, and the owner's home.
        Make("mine/", *owner_, 0700);
        Make("mine/secret.txt", *owner_, 0600, "secret");
        Make("mine/A.TXT", *owner_, 0600, "a");
        Make("theirs/", *other_, 0777);
        Make("home/", *owner_, 0700);
        Make("sticky/", root_, 01777);
    }

    // A file ("text" its bytes) or a folder ("name/") of `who`, with its mode.
    void Make(const std::string& name, const TestUser& who, mode_t mode,
              const std::string& text = "") {
        const std::string path = t_ + "/" + name;
        if (name.back() == '/')
            fs::create_directory(path);
        else
            WriteFile(path, text);
        ASSERT_EQ(chown(path.c_str(), who.uid, who.gid), 0);
        ASSERT_EQ(chmod(path.c_str(), mode), 0);
    }

    // The record another user plants: the owner's secret into the other user's folder.
    std::string Planted() const {
        return kHeader + Pair(t_ + "/theirs/", t_ + "/mine/") + Record("stolen.txt", "secret.txt");
    }

    // brindle-cli run by the owner, with a home of its own and no XDG folders.
    CliResult AsOwner(Strings args, Strings environment = {}) const {
        environment.insert(environment.end(), {"HOME=" + t_ + "/home", "XDG_CONFIG_HOME",
                                               "XDG_STATE_HOME", "XDG_CONFIG_DIRS"});
        return RunCli(CliRun(std::move(args)).as(*owner_).withEnvironment(environment));
    }

    void ExpectNothingMoved() const {
        EXPECT_EQ(ReadFile(t_ + "/mine/secret.txt"), "secret");
        EXPECT_FALSE(fs::exists(t_ + "/theirs/stolen.txt"));
        EXPECT_TRUE(fs::exists(t_ + "/mine/A.TXT"));
    }

    TempFolder temp_;
    std::string t_;
    std::optional<TestUser> owner_;
    std::optional<TestUser> other_;
    const TestUser root_{"root", 0, 0};
};

// A portable copy in a folder anyone may write to keeps no log there: the planted one is
// not read, not even when named.
TEST_F(LogTrust, RecordsPlantedBesideASharedPortableCopyAreNeverUndone) {
    for (const mode_t mode : {mode_t{0777}, mode_t{01777}}) {
        SCOPED_TRACE(mode == 0777 ? "shared/0777" : "sticky/1777");
        const std::string prog = t_ + "/prog" + std::to_string(mode);
        fs::create_directory(prog);
        ASSERT_EQ(chmod(prog.c_str(), mode), 0);
        fs::copy_file(BRINDLE_CLI_PATH, prog + "/brindle-cli");
        WriteFile(prog + "/Brindle.ini", "[config]\n");
        WriteFile(prog + "/Brindle.log", Planted());
        ASSERT_EQ(chown((prog + "/Brindle.log").c_str(), other_->uid, other_->gid), 0);

        CliRun undo({"--undo", "--delete-log"});
        undo.withBinary(prog + "/brindle-cli")
            .as(*owner_)
            .withEnvironment({"HOME=" + t_ + "/home", "XDG_STATE_HOME"});
        const CliResult beside = RunCli(undo);
        EXPECT_EQ(beside.status, 2);
        if (mode == 0777) {
            // Not beside the program: in the owner's own state folder, where there is none.
            EXPECT_EQ(beside.err, "brindle-cli: Error opening file: " + t_ +
                                      "/home/.local/state/brindle/Brindle.log\n");
        } else {
            EXPECT_EQ(beside.err, kRefused + prog + "/Brindle.log: it belongs to another user (" +
                                      std::to_string(other_->uid) +
                                      "), who could change what Undo moves. Use a log in a "
                                      "folder of your own.\n");
        }
        ExpectNothingMoved();

        undo.args = {"--undo", "--delete-log", "--log", prog + "/Brindle.log"};
        const CliResult named = RunCli(undo);
        EXPECT_EQ(named.status, 2);
        EXPECT_TRUE(named.err.starts_with(kRefused + prog + "/Brindle.log: ")) << named.err;
        ExpectNothingMoved();
        EXPECT_EQ(ReadFile(prog + "/Brindle.log"), Planted());
    }
}

// In a sticky folder (/tmp) a log of another user's is refused; the owner's own log
// directly there is its alone (0600) and works.
TEST_F(LogTrust, InAStickyFolderOnlyTheUsersOwnLogIsUsed) {
    const std::string planted = t_ + "/sticky/Brindle.log";
    Make("sticky/Brindle.log", *other_, 0644, Planted());
    const CliResult undo = AsOwner({"--undo", "--delete-log", "--log", planted});
    EXPECT_EQ(undo.status, 2);
    EXPECT_TRUE(undo.err.starts_with(kRefused + planted + ": it belongs to another user"))
        << undo.err;
    ExpectNothingMoved();
    EXPECT_EQ(ReadFile(planted), Planted());

    const std::string own = t_ + "/sticky/own.log";
    const CliResult batch =
        AsOwner({"--write-log", "--quiet", "--log", own, "--case", "lower", t_ + "/mine/A.TXT"});
    EXPECT_EQ(batch.status, 0) << batch.err;
    struct stat info {};
    ASSERT_EQ(stat(own.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_EQ(info.st_uid, owner_->uid);
    EXPECT_TRUE(fs::exists(t_ + "/mine/a.txt"));
    EXPECT_EQ(AsOwner({"--undo", "--quiet", "--delete-log", "--log", own}).status, 0);
    EXPECT_TRUE(fs::exists(t_ + "/mine/A.TXT"));
}

// An installed copy keeps its log in $XDG_STATE_HOME/brindle/: made by another user
// first, that folder is refused for batches and Undo alike, and nothing is renamed.
TEST_F(LogTrust, AStateFolderMadeByAnotherUserIsRefused) {
    Make("sticky/brindle/", *other_, 0755);
    Make("sticky/brindle/Brindle.log", *other_, 0644, Planted());
    const Strings state = {"XDG_STATE_HOME=" + t_ + "/sticky"};
    const std::string refused = kRefused + t_ + "/sticky/brindle/Brindle.log: the folder " + t_ +
                                "/sticky/brindle belongs to another user (" +
                                std::to_string(other_->uid) +
                                "), who could change what Undo moves. Use a log in a folder of "
                                "your own.\n";
    // The copy for other users has no Brindle.ini beside it: an installed Brindle.
    auto run = [&](Strings args) {
        return RunCli(
            CliRun(std::move(args))
                .as(*owner_)
                .withEnvironment({"HOME=" + t_ + "/home", "XDG_STATE_HOME=" + t_ + "/sticky"}));
    };
    const CliResult undo = run({"--undo", "--delete-log"});
    EXPECT_EQ(undo.status, 2);
    EXPECT_EQ(undo.err, refused);
    const CliResult batch = run({"--write-log", "--case", "lower", t_ + "/mine/A.TXT"});
    EXPECT_EQ(batch.status, 2);
    EXPECT_EQ(batch.err, refused);
    EXPECT_EQ(batch.out.substr(0, batch.out.find('\n')),
              "A.TXT  (Unknown Error Aquired)  0  " + t_ + "/mine/");
    ExpectNothingMoved();
    EXPECT_EQ(ReadFile(t_ + "/sticky/brindle/Brindle.log"), Planted());
}

// A link at the log's path is never followed, and a file that is no log is never
// written, cut or deleted; the file behind either keeps its bytes to the last one.
TEST_F(LogTrust, LinksAndFilesThatAreNoLogAreLeftAlone) {
    const std::string notes = "first line\nlast line without its line end";
    Make("mine/notes.txt", *owner_, 0600, notes);
    fs::create_symlink(t_ + "/mine/notes.txt", t_ + "/mine/Brindle.log");
    ASSERT_EQ(lchown((t_ + "/mine/Brindle.log").c_str(), owner_->uid, owner_->gid), 0);
    const struct {
        const char* name;
        std::string log;
        std::string why;
    } cases[] = {
        {"link", t_ + "/mine/Brindle.log",
         "it is a symbolic link, which Brindle never follows. Give the log's own path."},
        {"notALog", t_ + "/mine/notes.txt",
         "it is not a Brindle log (its first line is not \"Version=3.7\"), and Brindle never "
         "writes, cuts or deletes it. Give another path."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const Strings& args : {Strings{"--write-log", "--quiet", "--log", c.log, "--case",
                                            "lower", t_ + "/mine/A.TXT"},
                                    Strings{"--undo", "--quiet", "--delete-log", "--log", c.log}}) {
            const CliResult result = AsOwner(args);
            EXPECT_EQ(result.status, 2);
            EXPECT_EQ(result.err, kRefused + c.log + ": " + c.why + "\n");
            EXPECT_EQ(ReadFile(t_ + "/mine/notes.txt"), notes);
            EXPECT_TRUE(fs::is_symlink(t_ + "/mine/Brindle.log"));
            ExpectNothingMoved();
        }
    }
}

// A log an earlier version wrote (no "Identity=" lines, readable by all) in a folder
// that passes is still undone exactly, and is the user's alone from then on.
TEST_F(LogTrust, AnEarlierVersionsLogIsStillUndone) {
    Make("mine/a.txt", *owner_, 0600, "renamed earlier");
    fs::remove(t_ + "/mine/A.TXT");
    const std::string log = t_ + "/mine/old.log";
    Make("mine/old.log", *owner_, 0644,
         kHeader + Pair(t_ + "/mine/", t_ + "/mine/") + Record("A.TXT", "a.txt"));
    const CliResult undo = AsOwner({"--undo", "--keep-log", "--log", log});
    EXPECT_EQ(undo.status, 0) << undo.err;
    EXPECT_EQ(ReadFile(t_ + "/mine/A.TXT"), "renamed earlier");
    EXPECT_FALSE(fs::exists(t_ + "/mine/a.txt"));
    struct stat info {};
    ASSERT_EQ(stat(log.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

}  // namespace
}  // namespace brindle::testing
