// Renames and Undo on filesystems that refuse RENAME_NOREPLACE, ignore letter case or
// number every spelling anew (exFAT, FAT and NTFS through FUSE), and kills between the
// steps of the ways round those: nothing replaced, nothing left under a second or a
// temporary name, every file back after Undo.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "CliProcess.h"
#include "FileTree.h"
#include "ForeignFilesystem.h"
#include "TempFolder.h"
#include "platform/NameCodec.h"
#include "platform/OpenFolder.h"

namespace brindle::testing {
namespace {

using Kind = ForeignFilesystem::Kind;

#define MOUNT_OR_SKIP(fs) \
    if (!(fs).mounted())  \
    GTEST_SKIP() << (fs).name() << " cannot be mounted: " << (fs).why()

class ForeignFilesystems : public ::testing::Test {
protected:
    std::string Log() const { return temp_.path().string() + "/undo.log"; }
    Strings Logged(const std::string& mnt, Strings args) const {
        Strings all = {"--write-log", "--quiet", "--log", Log()};
        all.insert(all.end(), args.begin(), args.end());
        (void)mnt;
        return all;
    }
    CliResult Undo() const {
        return RunCli(CliRun({"--undo", "--quiet", "--log", Log(), "--delete-log"}));
    }
    // The names of a folder exactly as its listing spells them.
    static Strings Names(const std::string& folder) {
        Strings names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    testing::TempFolder temp_;
};

// Filesystems that give "FILE.TXT" and "file.txt" two inode numbers for one entry: a
// change of letter case alone is still made, and undone.
TEST_F(ForeignFilesystems, LetterCaseAloneChangesWhereSpellingsHaveNumbersOfTheirOwn) {
    for (const Kind kind : {Kind::ExFat, Kind::Fat}) {
        ForeignFilesystem fs(kind, temp_.path().string() + "/" + std::to_string(int(kind)));
        SCOPED_TRACE(fs.name());
        if (!fs.mountedOrSkipped())
            continue;
        const std::string m = fs.root();
        WriteFile(m + "/FILE.TXT", "f");
        WriteFile(m + "/Mixed Name.Jpg", "m");
        std::filesystem::create_directory(m + "/DIR");
        const Tree before = ReadTree(m);
        const CliResult batch =
            RunCli(CliRun(Logged(m, {"--case", "lower", "--rename-dirs", m + "/FILE.TXT",
                                     m + "/Mixed Name.Jpg", m + "/DIR"})));
        // fusefat loses a renamed folder's contents: its folders are never renamed.
        const bool folderRenamed = kind != Kind::Fat;
        EXPECT_EQ(batch.status, folderRenamed ? 0 : 1) << batch.err;
        EXPECT_EQ(Names(m), (Strings{folderRenamed ? "dir" : "DIR", "file.txt", "mixed name.jpg"}));
        // Undo passes the refused rename's record over: it was never renamed.
        EXPECT_EQ(Undo().status, 0);
        EXPECT_EQ(Names(m), (Strings{"DIR", "FILE.TXT", "Mixed Name.Jpg"}));
        EXPECT_EQ(ReadTree(m), before);
    }
}

// fusefat loses a folder's contents when the folder is renamed: Brindle refuses such a
// rename, says why, and the Preview flags it. Its files are renamed as anywhere else.
TEST_F(ForeignFilesystems, FoldersOnFusefatAreNeverRenamed) {
    ForeignFilesystem fs(Kind::Fat, temp_.path().string() + "/fat");
    MOUNT_OR_SKIP(fs);
    const std::string m = fs.root();
    std::filesystem::create_directory(m + "/ALBUM");
    WriteFile(m + "/ALBUM/TRACK.MP3", "t");
    WriteFile(m + "/NOTE.TXT", "n");
    const Strings dropped = {"--case", "lower", "--rename-dirs", m + "/ALBUM", m + "/NOTE.TXT"};

    Strings preview = {"--preview"};
    preview.insert(preview.end(), dropped.begin(), dropped.end());
    const CliResult planned = RunCli(CliRun(preview));
    EXPECT_EQ(planned.status, 1);
    EXPECT_NE(planned.out.find(m + "/ALBUM  " + m +
                               "/album  conflict: renaming a folder on "
                               "fusefat loses its contents\n"),
              std::string::npos)
        << planned.out;

    const CliResult batch = RunCli(CliRun(Logged(m, dropped)));
    EXPECT_EQ(batch.status, 1);
    EXPECT_EQ(batch.err,
              "brindle-cli: " + m + "/ALBUM: renaming a folder on fusefat loses its contents\n");
    EXPECT_EQ(Names(m), (Strings{"ALBUM", "note.txt"}));
    EXPECT_EQ(ReadFile(m + "/ALBUM/TRACK.MP3"), "t");
    EXPECT_EQ(Undo().status, 0);  // the refused record is passed over, never renamed
    EXPECT_EQ(Names(m), (Strings{"ALBUM", "NOTE.TXT"}));
}

// Where a folder ignores letter case, the preview takes names that differ only in case
// for one name: a new name spelled like another entry in other letters is taken, while a
// change of case alone is no conflict. The folder's rule comes from a probe on FUSE; a
// folder that tells case apart sees no conflict in the same batch.
TEST_F(ForeignFilesystems, PreviewTakesNamesThatDifferOnlyInCaseForOne) {
    for (const Kind kind : {Kind::ExFat, Kind::Fat}) {
        ForeignFilesystem fs(kind, temp_.path().string() + "/" + std::to_string(int(kind)));
        SCOPED_TRACE(fs.name());
        if (!fs.mountedOrSkipped())
            continue;
        const std::string local = temp_.path().string() + "/local" + std::to_string(int(kind));
        for (const std::string& folder : {fs.root(), local}) {
            std::filesystem::create_directories(folder);
            WriteFile(folder + "/Ab.txt", "a");
            WriteFile(folder + "/x.txt", "x");
        }
        for (const auto& [folder, ignores] :
             {std::pair(fs.root(), true), std::pair(local, false)}) {
            const OpenFolder opened = OpenFolder::AtPath(DecodeName(folder));
            EXPECT_EQ(FolderIgnoresCase(opened, opened.List()), ignores) << folder;
        }

        const Strings taken = {
            "--preview", "--tsv",   "--without-extension", "--replace-what", "x", "--replace-with",
            "AB",        "--folder"};
        CliRun onForeign(taken);
        onForeign.args.push_back(fs.root());
        const CliResult foreign = RunCli(onForeign);
        EXPECT_EQ(foreign.status, 1) << foreign.err;
        const std::string m = fs.root();
        EXPECT_EQ(Lines(foreign.out),
                  (Strings{"Path\tNew Path\tState", m + "/Ab.txt\t" + m + "/Ab.txt\tunchanged",
                           m + "/x.txt\t" + m + "/AB.txt\tconflict: the new name exists (" + m +
                               "/Ab.txt)",
                           "Items: 2 | To rename: 0 | Unchanged: 1 | Conflicts: 1 (new name "
                           "exists: 1)"}));
        CliRun onLocal(taken);
        onLocal.args.push_back(local);
        EXPECT_EQ(RunCli(onLocal).status, 0);

        const CliResult caseOnly =
            RunCli(CliRun({"--preview", "--quiet", "--case", "lower", "--folder", m}));
        EXPECT_EQ(caseOnly.status, 0) << caseOnly.out;
        // Nothing was renamed by either.
        EXPECT_EQ(Names(m), (Strings{"Ab.txt", "x.txt"}));
    }
}

// Another program creates the target while the rename is under way: where the filesystem
// refuses RENAME_NOREPLACE, it must find the name taken, never see its file replaced.
TEST_F(ForeignFilesystems, WhatAnotherProgramCreatesMeanwhileIsNeverReplaced) {
    REQUIRE_STRACE();
    struct Case {
        Kind kind;
        bool folder;  // the item is a folder, and the other program makes an empty one
    };
    for (const Case c :
         {Case{Kind::ExFat, false}, Case{Kind::Fat, false}, Case{Kind::Ntfs, true}}) {
        ForeignFilesystem fs(c.kind, temp_.path().string() + "/" + std::to_string(int(c.kind)));
        SCOPED_TRACE(fs.name());
        if (!fs.mountedOrSkipped())
            continue;
        const std::string m = fs.root();
        const std::string item = m + (c.folder ? "/D" : "/A.T");
        const std::string target = m + (c.folder ? "/ED" : "/B.T");
        if (c.folder) {
            std::filesystem::create_directory(m + "/D");
            WriteFile(m + "/D/inside", "mine");
        } else
            WriteFile(item, "mine");
        // Held at the step that takes the target's place: the claim made before it holds
        // the target's name.
        HeldCli batch(CliRun({"--no-write-log", "--quiet", "--pattern", c.folder ? "E" : "B",
                              "--rename-dirs", item})
                          .heldAt("renameat", 1));
        ASSERT_TRUE(batch.WaitUntilHeld(SYS_renameat));
        ASSERT_TRUE(std::filesystem::exists(target));
        // Meanwhile the other program creates the target, exclusively.
        bool created = false;
        if (c.folder) {
            created = mkdir(target.c_str(), 0755) == 0;
        } else {
            const int fd = open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            created = fd >= 0;
            if (created) {
                EXPECT_EQ(write(fd, "theirs", 6), 6);
                close(fd);
            }
        }
        // It finds the name taken: nothing of theirs can be replaced.
        EXPECT_FALSE(created);
        const int status = batch.ReleaseAndWait();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        const Tree after = ReadTree(m);
        if (c.folder) {
            EXPECT_EQ(after.at("ED/inside"), "file:mine") << Differences({}, after);
            EXPECT_FALSE(after.contains("D/inside"));
        } else {
            EXPECT_EQ(ReadFile(target), "mine") << Differences({}, after);
            EXPECT_FALSE(after.contains("A.T"));
        }
    }
}

// A kill between the steps of a rename that takes more than one: Undo finds the file
// under its second or temporary name, and leaves every file as it was.
TEST_F(ForeignFilesystems, KillsBetweenStepsLeaveNothingUndoCannotPutBack) {
    REQUIRE_STRACE();
    struct Case {
        const char* name;
        Kind kind;
        std::string syscall;
        int when;
        bool undoKilled;  // the kill hits Undo's change of letter case, not the batch's
    };
    const Case cases[] = {
        {"link/KilledBeforeTheOldNameGoes", Kind::Ntfs, "unlink,unlinkat", 1, false},
        {"case/KilledBeforeTheStepAside", Kind::ExFat, "renameat", 1, false},
        {"case/KilledBetweenTheTwoSteps", Kind::ExFat, "renameat", 2, false},
        {"case/UndoKilledBetweenItsTwoSteps", Kind::ExFat, "renameat", 2, true},
        {"case/FatKilledBetweenTheTwoSteps", Kind::Fat, "renameat", 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = temp_.path().string() + "/" + c.name;
        std::filesystem::create_directories(folder);
        ForeignFilesystem fs(c.kind, folder);
        if (!fs.mountedOrSkipped(c.name))
            continue;
        const std::string m = fs.root();
        WriteFile(m + "/FILE.TXT", "f");
        WriteFile(m + "/OTHER.TXT", "o");
        const Tree before = ReadTree(m);
        const Strings batch = Logged(m, {"--case", "lower", m + "/FILE.TXT"});
        const Strings rules = {"trace=" + c.syscall, "inject=" + c.syscall + ":signal=KILL:when=" +
                                                         std::to_string(c.when)};
        if (c.undoKilled) {
            ASSERT_EQ(RunCli(CliRun(batch)).status, 0);
            const CliResult cut = RunCli(
                CliRun({"--undo", "--quiet", "--log", Log(), "--delete-log"}).underStrace(rules));
            EXPECT_EQ(cut.signal, SIGKILL);
        } else {
            const CliResult cut = RunCli(CliRun(batch).underStrace(rules));
            EXPECT_EQ(cut.signal, SIGKILL);
        }
        const CliResult undo = Undo();
        EXPECT_TRUE(undo.status == 0 || undo.status == 1) << undo.err;
        EXPECT_EQ(ReadTree(m), before) << Differences(before, ReadTree(m));
        EXPECT_FALSE(std::filesystem::exists(Log()));
    }
}

// A rename onto another name of the item itself (a hard link) goes through a temporary
// name and back; a kill between the steps leaves it under the temporary name, where
// Undo finds it.
TEST_F(ForeignFilesystems, AKillAsideOntoTheItemsOwnLinkIsUndone) {
    REQUIRE_STRACE();
    const std::string w = temp_.path().string() + "/w";
    std::filesystem::create_directories(w);
    WriteFile(w + "/a.t", "a");
    std::filesystem::create_hard_link(w + "/a.t", w + "/b.t");
    const Tree before = ReadTree(w);
    // renameat2 calls: onto the link (refused), aside, onto the link again, back.
    for (const int when : {2, 3, 4}) {
        SCOPED_TRACE("killed at renameat2 " + std::to_string(when));
        const CliResult cut =
            RunCli(CliRun(Logged(w, {"--pattern", "b", w + "/a.t"}))
                       .underStrace({"trace=renameat2",
                                     "inject=renameat2:signal=KILL:when=" + std::to_string(when)}));
        EXPECT_EQ(cut.signal, SIGKILL);
        const CliResult undo = Undo();
        EXPECT_TRUE(undo.status == 0 || undo.status == 1) << undo.err;
        EXPECT_EQ(ReadTree(w), before) << Differences(before, ReadTree(w));
    }
}

}  // namespace
}  // namespace brindle::testing
