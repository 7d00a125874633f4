// Items that change under a running batch (vanish, are renamed by someone else, become
// unreadable), targets that exist, folders that cannot be listed, and link cycles. No
// item is lost or overwritten; each failure shows in its own row.
#include <gtest/gtest.h>
#include <sys/file.h>

#include <filesystem>

#include "CliProcess.h"
#include "FileTree.h"
#include "Placeholders.h"
#include "RowTexts.h"
#include "TempFolder.h"
#include "batch/RenameSession.h"
#include "platform/NameCodec.h"

namespace brindle::testing {
namespace {

namespace fs = std::filesystem;

std::string Joined(const Strings& lines) {
    std::string text;
    for (const auto& line : lines)
        text += line + "\n";
    return text;
}

// ---- Faults between two items, the batch core in-process ---------------------------------

// Hosts the batch as brindle-cli does, and runs a fault between the first item and the
// next one.
class FaultingHost : public PipelineHost {
public:
    void AddOutputRow(const RowData& data) override {
        const Row row = TextsOf(data);
        rows.push_back(EncodeName(row.input) + " | " + EncodeName(row.output));
        if (rows.size() == 1 && afterFirstItem)
            afterFirstItem();
    }
    void ShowMessage(const std::u16string& text, const std::u16string&, MessageIcon) override {
        rows.push_back("message " + EncodeName(text));
    }
    bool AskYesNo(const std::u16string&, const std::u16string&, MessageIcon) override {
        return true;
    }

    Strings rows;
    std::function<void()> afterFirstItem;
};

struct BetweenItemsCase {
    const char* name;
    // Run in the batch's process (as the ordinary user when the tests run as root),
    // with the temporary folder's path.
    std::function<void(const std::string&)> before;
    std::function<void(const std::string&)> afterFirstItem;
    Strings batchRows;
    Strings afterBatch;
    Strings undoRows;
    Strings afterUndo;
};

// A batch over the dropped paths w/A.TXT, w/B.TXT and w/SUB (scanned), lower case, with
// the log; then Undo. The child reports rows and trees; the parent compares.
std::string RunBetweenItems(const std::string& t, const BetweenItemsCase& c) {
    FaultingHost host;
    RenameSession session(host);
    RenameSettings& options = session.settings();
    options.conversionMode = 1;
    options.writeLogFile = true;
    options.scanSubfolders = true;
    session.setLogFile(DecodeName(t + "/log/Brindle.log"));
    if (c.before)
        c.before(t);
    host.afterFirstItem = [&] { c.afterFirstItem(t); };
    session.RunDropBatch(
        {DecodeName(t + "/w/A.TXT"), DecodeName(t + "/w/B.TXT"), DecodeName(t + "/w/SUB")});
    std::string report = Joined(host.rows) + "--\n";
    report += Joined(Listing(ReadTree(t + "/w"))) + "--\n";
    host.rows.clear();
    host.afterFirstItem = nullptr;
    session.OnUndo();
    report += Joined(host.rows) + "--\n";
    return report;
}

// A lock another holder keeps in the batch's process.
int heldLock = -1;

const Strings kAllRenamed = {"A.TXT | a.txt", "B.TXT | b.txt", "C.TXT | c.txt"};
const Strings kOriginal = {"A.TXT=A", "B.TXT=B", "SUB/", "SUB/C.TXT=C"};
const std::string kFailed = "(Unknown Error Aquired)";
// Undo passes the records of renames that failed over: no row of theirs follows.

TEST(ItemFaults, FaultsBetweenTwoItemsOfABatch) {
    const std::vector<BetweenItemsCase> cases = {
        {"vanish/NextItemDeleted",
         nullptr,
         [](const std::string& t) { fs::remove(t + "/w/B.TXT"); },
         {"A.TXT | a.txt", "B.TXT | " + kFailed, "C.TXT | c.txt"},
         {"SUB/", "SUB/c.txt=C", "a.txt=A"},
         {"c.txt | C.TXT", "a.txt | A.TXT"},
         {"A.TXT=A", "SUB/", "SUB/C.TXT=C"}},
        // The items of a group are planned (their folders listed) and recorded before the
        // first of them is renamed: what happens to a later one meanwhile is met at its
        // rename.
        {"vanish/FolderRemovedAfterItsListing",
         nullptr,
         [](const std::string& t) { fs::remove_all(t + "/w/SUB"); },
         {"A.TXT | a.txt", "B.TXT | b.txt", "C.TXT | " + kFailed},
         {"a.txt=A", "b.txt=B"},
         {"b.txt | B.TXT", "a.txt | A.TXT"},
         {"A.TXT=A", "B.TXT=B"}},
        {"renamed/NextItemRenamedByAnother",
         nullptr,
         [](const std::string& t) { fs::rename(t + "/w/B.TXT", t + "/w/OTHER.TXT"); },
         {"A.TXT | a.txt", "B.TXT | " + kFailed, "C.TXT | c.txt"},
         {"OTHER.TXT=B", "SUB/", "SUB/c.txt=C", "a.txt=A"},
         {"c.txt | C.TXT", "a.txt | A.TXT"},
         {"A.TXT=A", "OTHER.TXT=B", "SUB/", "SUB/C.TXT=C"}},
        {"renamed/TargetTakenByAnother",
         nullptr,
         [](const std::string& t) { WriteFile(t + "/w/b.txt", "theirs"); },
         {"A.TXT | a.txt", "B.TXT | " + kFailed, "C.TXT | c.txt"},
         {"B.TXT=B", "SUB/", "SUB/c.txt=C", "a.txt=A", "b.txt=theirs"},
         // Their b.txt cannot go back to B.TXT either: that name is taken.
         {"c.txt | C.TXT", "a.txt | A.TXT"},
         {"A.TXT=A", "B.TXT=B", "SUB/", "SUB/C.TXT=C", "b.txt=theirs"}},
        // Swapped for a folder after its record: the rename takes what has the name, and
        // Undo, finding another item than the one recorded there, leaves it.
        {"renamed/NextItemSwappedForAFolder",
         nullptr,
         [](const std::string& t) {
             // Kept alive elsewhere, so that the folder cannot get the file's number.
             fs::create_hard_link(t + "/w/B.TXT", t + "/kept");
             fs::remove(t + "/w/B.TXT");
             fs::create_directory(t + "/w/B.TXT");
         },
         kAllRenamed,
         {"SUB/", "SUB/c.txt=C", "a.txt=A", "b.txt/"},
         // Renamed, then replaced: not put back, an error.
         {"c.txt | C.TXT", "b.txt | B.TXTError opening file", "a.txt | A.TXT"},
         {"A.TXT=A", "SUB/", "SUB/C.TXT=C", "b.txt/"}},
        {"unreadable/FolderAfterItsListing",
         nullptr,
         [](const std::string& t) { chmod((t + "/w/SUB").c_str(), 0); },
         {"A.TXT | a.txt", "B.TXT | b.txt", "C.TXT | " + kFailed},
         {"SUB/", "SUB/? unreadable", "a.txt=A", "b.txt=B"},
         {"b.txt | B.TXT", "a.txt | A.TXT"},
         kOriginal},
        {"unreadable/NextItem",
         nullptr,
         [](const std::string& t) { chmod((t + "/w/B.TXT").c_str(), 0); },
         kAllRenamed,
         {"SUB/", "SUB/c.txt=C", "a.txt=A", "b.txt file?"},
         {"c.txt | C.TXT", "b.txt | B.TXT", "a.txt | A.TXT"},
         kOriginal},
        {"unwritable/FolderOfTheNextItems",
         nullptr,
         [](const std::string& t) { chmod((t + "/w/SUB").c_str(), 0555); },
         {"A.TXT | a.txt", "B.TXT | b.txt", "C.TXT | " + kFailed},
         {"SUB/", "SUB/C.TXT=C", "a.txt=A", "b.txt=B"},
         {"b.txt | B.TXT", "a.txt | A.TXT"},
         kOriginal},
        // The batch holds the log from its first record to its end: another holder
        // cannot take it in between.
        {"lock/AnotherTriesToTakeIt",
         nullptr,
         [](const std::string& t) {
             const int fd = open((t + "/log/Brindle.log").c_str(), O_RDWR | O_CLOEXEC);
             if (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0)
                 WriteFile(t + "/w/LOCK TAKEN", "");
             if (fd >= 0)
                 close(fd);
         },
         kAllRenamed,
         {"SUB/", "SUB/c.txt=C", "a.txt=A", "b.txt=B"},
         {"c.txt | C.TXT", "b.txt | B.TXT", "a.txt | A.TXT"},
         kOriginal},
        // Held by another when the batch starts, given back after the first item: the
        // records of the group could not be written, so none of its items is renamed.
        {"lock/ReleasedAfterTheFirstItem",
         [](const std::string& t) {
             heldLock = open((t + "/log/Brindle.log").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
             flock(heldLock, LOCK_EX | LOCK_NB);
         },
         [](const std::string&) { close(heldLock); },
         // Told once, at the batch's end.
         {"A.TXT | " + kFailed, "B.TXT | " + kFailed, "C.TXT | " + kFailed,
          "message A locking violation occurred while accessing {T}/log/Brindle.log."},
         {"A.TXT=A", "B.TXT=B", "SUB/", "SUB/C.TXT=C"},
         {},
         kOriginal},
    };
    for (const BetweenItemsCase& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempFolder temp;
        const std::string t = temp.path().string();
        temp.createFile("w/A.TXT", "A");
        temp.createFile("w/B.TXT", "B");
        temp.createFile("w/SUB/C.TXT", "C");
        temp.createFiles({"log/"});
        GiveToOrdinaryUser(t);
        ASSERT_EQ(chmod(t.c_str(), 0755), 0);

        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (RunningAsRoot() && !BecomeOrdinaryUser())
                _exit(2);
            try {
                WriteFile(t + "/report", RunBetweenItems(t, c));
            } catch (const std::exception&) {
                _exit(3);
            }
            _exit(0);
        }
        const int status = WaitFor(child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        std::string expected = Joined(c.batchRows) + "--\n" + Joined(c.afterBatch) + "--\n" +
                               Joined(c.undoRows) + "--\n";
        EXPECT_EQ(ReadFile(t + "/report"), Filled(expected, {{"{T}", t}}));
        // Read here, where nothing is unreadable.
        EXPECT_EQ(Listing(ReadTree(t + "/w")), c.afterUndo);
    }
}

// ---- Through brindle-cli ------------------------------------------------------------------

struct CliCase {
    const char* name;
    std::function<void(const std::string&)> make;  // builds the tree below the folder
    Strings batchArgs;                             // "{T}" the temporary folder
    bool asUser;            // the batch runs as the ordinary user (permissions count as root)
    Strings rows;           // the batch's rows, sorted, "{T}" for the folder
    int exitStatus;         // the batch's
    Strings after;          // the tree after the batch
    Strings undoRows = {};  // sorted; empty: no Undo is run
    Strings afterUndo = {};
    Strings errors = {};  // the batch's standard error, line by line, "{T}" for the folder
};

void RunCliCases(const std::vector<CliCase>& cases) {
    for (const CliCase& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempFolder temp;
        const std::string t = temp.path().string();
        c.make(t);
        const std::string log = t + "/../" + fs::path(t).filename().string() + ".log";
        Strings args = {"--write-log", "--log", log};
        for (const auto& arg : c.batchArgs)
            args.push_back(Filled(arg, {{"{T}", t}}));
        CliRun run(args);
        if (c.asUser) {
            GiveToOrdinaryUser(t);
            chmod(t.c_str(), 0755);
            run.asUser();
        }
        const CliResult batch = RunCli(run);
        EXPECT_EQ(batch.signal, 0);
        EXPECT_EQ(batch.status, c.exitStatus);
        Strings errors;
        for (const auto& line : c.errors)
            errors.push_back(Filled(line, {{"{T}", t}}));
        EXPECT_EQ(Lines(batch.err), errors);
        Strings rows = Lines(batch.out);
        ASSERT_FALSE(rows.empty());
        rows.pop_back();  // the status line
        std::sort(rows.begin(), rows.end());
        Strings expected;
        for (const auto& row : c.rows)
            expected.push_back(Filled(row, {{"{T}", t}}));
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(rows, expected);
        EXPECT_EQ(Listing(ReadTree(t)), c.after);
        if (!c.undoRows.empty()) {
            // By the user who wrote the log: nobody else's log is trusted.
            CliRun undoRun({"--undo", "--delete-log", "--log", log});
            if (c.asUser)
                undoRun.asUser();
            const CliResult undo = RunCli(undoRun);
            EXPECT_EQ(undo.signal, 0);
            Strings undoRows = Lines(undo.out);
            ASSERT_FALSE(undoRows.empty());
            undoRows.pop_back();
            std::sort(undoRows.begin(), undoRows.end());
            Strings expectedUndo;
            for (const auto& row : c.undoRows)
                expectedUndo.push_back(Filled(row, {{"{T}", t}}));
            std::sort(expectedUndo.begin(), expectedUndo.end());
            EXPECT_EQ(undoRows, expectedUndo);
            EXPECT_EQ(Listing(ReadTree(t)), c.afterUndo);
        }
        fs::remove(log);
    }
}

void Make(const std::string& t, const Strings& paths) {
    for (const auto& path : paths) {
        if (path.back() == '/')
            fs::create_directories(t + "/" + path);
        else {
            fs::create_directories(fs::path(t + "/" + path).parent_path());
            WriteFile(t + "/" + path, path);
        }
    }
}

TEST(ItemFaults, TargetsThatExistAreNeverOverwritten) {
    const std::string failed = "(Unknown Error Aquired)";
    const std::vector<CliCase> cases = {
        {"target/FolderOntoAnEmptyFolder",
         [](const std::string& t) {
             Make(t, {"SUB/X", "sub/"});
         },
         {"--rename-dirs", "--case=lower", "{T}/SUB"},
         false,
         {"{T}/SUB  " + failed + "  0  {T}/"},
         1,
         {"SUB/", "SUB/X=SUB/X", "sub/"},
         {},
         {},
         {"brindle-cli: {T}/SUB: the new name exists (sub)"}},
        {"target/FolderOntoAFile",
         [](const std::string& t) {
             Make(t, {"SUB/", "sub"});
         },
         {"--rename-dirs", "--case=lower", "{T}/SUB"},
         false,
         {"{T}/SUB  " + failed + "  0  {T}/"},
         1,
         {"SUB/", "sub=sub"},
         {},
         {},
         {"brindle-cli: {T}/SUB: the new name exists (sub)"}},
        {"target/FileOntoAFolder",
         [](const std::string& t) {
             Make(t, {"A.TXT", "a.txt/"});
         },
         {"--case=lower", "{T}/A.TXT"},
         false,
         {"A.TXT  " + failed + "  0  {T}/"},
         1,
         {"A.TXT=A.TXT", "a.txt/"},
         {},
         {},
         {"brindle-cli: {T}/A.TXT: the new name exists (a.txt)"}},
        {"target/FileMovedUpOntoAFile",
         [](const std::string& t) {
             Make(t, {"s/A.TXT", "a.txt"});
         },
         {"--case=lower", "--file-types=.txt", "{T}/s/A.TXT"},
         false,
         {"A.TXT  " + failed + "  0  {T}/"},
         1,
         {"a.txt=a.txt", "s/", "s/A.TXT=s/A.TXT"},
         {},
         {},
         {"brindle-cli: {T}/s/A.TXT: the new name exists (a.txt)"}},
    };
    RunCliCases(cases);

    // Undo onto a name that someone took after the batch: reported, nothing replaced.
    struct UndoCase {
        const char* name;
        Strings files;
        Strings args;
        std::string takenName;  // made after the batch; "x/" a folder
        std::string row;
        Strings after;
    };
    const std::vector<UndoCase> undoCases = {
        {"undo/FileOntoATakenName",
         {"A.TXT"},
         {"--case=lower", "{T}/A.TXT"},
         "A.TXT",
         "a.txt  A.TXTError opening file    {T}/",
         {"A.TXT=theirs", "a.txt=A.TXT"}},
        {"undo/FolderOntoAnEmptyFolder",
         {"SUB/X"},
         {"--rename-dirs", "--case=lower", "{T}/SUB"},
         "SUB/",
         "sub  SUBError opening file    {T}/",
         {"SUB/", "sub/", "sub/X=SUB/X"}},
    };
    for (const UndoCase& c : undoCases) {
        SCOPED_TRACE(c.name);
        testing::TempFolder temp;
        const std::string t = temp.path().string();
        Make(t, c.files);
        const std::string log = t + ".log";
        Strings args = {"--write-log", "--quiet", "--log", log};
        for (const auto& arg : c.args)
            args.push_back(Filled(arg, {{"{T}", t}}));
        ASSERT_EQ(RunCli(CliRun(args)).status, 0);
        if (c.takenName.back() == '/')
            fs::create_directory(t + "/" + c.takenName);
        else
            WriteFile(t + "/" + c.takenName, "theirs");
        const CliResult undo = RunCli(CliRun({"--undo", "--delete-log", "--log", log}));
        EXPECT_EQ(undo.status, 1);
        EXPECT_EQ(Lines(undo.out).front(), Filled(c.row, {{"{T}", t}}));
        EXPECT_EQ(Listing(ReadTree(t)), c.after);
        fs::remove(log);
    }
}

// A folder that cannot be read is a failure of its own: an error row, a line on standard
// error, and exit status 1; the rest of the batch goes on.
TEST(ItemFaults, FoldersThatCannotBeListedAndLinkCycles) {
    const std::vector<CliCase> cases = {
        {"unlistable/ChosenFolder",
         [](const std::string& t) {
             Make(t, {"w/A.TXT"});
             chmod((t + "/w").c_str(), 0);
         },
         {"--case=lower", "--subfolders", "--folder", "{T}/w"},
         true,
         {"{T}/w  (Unknown Error Aquired)    {T}/"},
         1,
         {"w/", "w/A.TXT=w/A.TXT"},
         {},
         {},
         {"brindle-cli: {T}/w: cannot read folder: Permission denied"}},
        {"unlistable/Subfolders",
         [](const std::string& t) {
             Make(t, {"w/A.TXT", "w/shut/B.TXT", "w/through/C.TXT"});
             chmod((t + "/w/shut").c_str(), 0);
             chmod((t + "/w/through").c_str(), 0311);  // may be passed, not listed
         },
         {"--case=lower", "--subfolders", "--folder", "{T}/w"},
         true,
         {"A.TXT  a.txt  0  {T}/w/", "{T}/w/shut  (Unknown Error Aquired)    {T}/w/",
          "{T}/w/through  (Unknown Error Aquired)    {T}/w/"},
         1,
         {"w/", "w/a.txt=w/A.TXT", "w/shut/", "w/shut/B.TXT=w/shut/B.TXT", "w/through/",
          "w/through/C.TXT=w/through/C.TXT"},
         {"a.txt  A.TXT    {T}/w/"},
         {"w/", "w/A.TXT=w/A.TXT", "w/shut/", "w/shut/B.TXT=w/shut/B.TXT", "w/through/",
          "w/through/C.TXT=w/through/C.TXT"},
         {"brindle-cli: {T}/w/shut: cannot read folder: Permission denied",
          "brindle-cli: {T}/w/through: cannot read folder: Permission denied"}},
        // Links are never descended into: each is renamed once, as a file, and the
        // batch ends.
        {"links/CyclesUnderScanSubfolders",
         [](const std::string& t) {
             Make(t, {"w/f.txt", "w/sub/g.txt"});
             fs::create_directory_symlink(".", t + "/w/loop");
             fs::create_directory_symlink("..", t + "/w/sub/back");
             fs::create_symlink("b", t + "/w/a");
             fs::create_symlink("a", t + "/w/b");
         },
         {"--case=upper", "--subfolders", "--folder", "{T}/w"},
         false,
         {"a  A  0  {T}/w/", "b  B  0  {T}/w/", "back  BACK  0  {T}/w/sub/",
          "f.txt  F.TXT  0  {T}/w/", "g.txt  G.TXT  0  {T}/w/sub/", "loop  LOOP  0  {T}/w/"},
         0,
         {"w/", "w/A -> b", "w/B -> a", "w/F.TXT=w/f.txt", "w/LOOP -> .", "w/sub/",
          "w/sub/BACK -> ..", "w/sub/G.TXT=w/sub/g.txt"},
         {"A  a    {T}/w/", "B  b    {T}/w/", "BACK  back    {T}/w/sub/", "F.TXT  f.txt    {T}/w/",
          "G.TXT  g.txt    {T}/w/sub/", "LOOP  loop    {T}/w/"},
         {"w/", "w/a -> b", "w/b -> a", "w/f.txt=w/f.txt", "w/loop -> .", "w/sub/",
          "w/sub/back -> ..", "w/sub/g.txt=w/sub/g.txt"}},
        {"links/DroppedLinkToAFolderIsAFile",
         [](const std::string& t) {
             Make(t, {"w/sub/g.txt"});
             fs::create_directory_symlink("sub", t + "/w/link");
         },
         {"--case=upper", "--subfolders", "--rename-dirs", "{T}/w/link"},
         false,
         {"link  LINK  0  {T}/w/"},
         0,
         {"w/", "w/LINK -> sub", "w/sub/", "w/sub/g.txt=w/sub/g.txt"}},
    };
    RunCliCases(cases);
}

// The disk fails while a folder is read: at its first read nothing is listed, at its
// second a part. Either way the folder's error row and exit status 1, every listed item
// renamed, the rest untouched and never counted; the Preview flags the same.
TEST(ItemFaults, ListingsThatFailMidwayAreFailures) {
    REQUIRE_STRACE();
    constexpr int kFiles = 3000;  // several reads of the folder
    for (const int failingRead : {1, 2}) {
        SCOPED_TRACE("getdents64 fails at read " + std::to_string(failingRead));
        testing::TempFolder temp;
        const std::string t = temp.path().string();
        fs::create_directory(t + "/w");
        for (int i = 0; i < kFiles; ++i)
            WriteFile(t + "/w/FILE_" + std::to_string(i) + ".TXT", "x");
        const std::string log = t + "/Brindle.log";
        const std::string fault = "inject=getdents64:error=EIO:when=" + std::to_string(failingRead);
        const std::string row = t + "/w  (Unknown Error Aquired)    " + t + "/";
        const std::string error =
            "brindle-cli: " + t + "/w: cannot read folder: Input/output error\n";

        const CliResult preview = RunCli(
            CliRun({"--preview", "--case=lower", "--folder", t + "/w"}).underStrace({fault}));
        EXPECT_EQ(preview.status, 1);
        EXPECT_NE(preview.out.find(t + "/w/  " + t +
                                   "/w/  conflict: cannot read folder: "
                                   "Input/output error\n"),
                  std::string::npos);

        const CliResult batch =
            RunCli(CliRun({"--write-log", "--log", log, "--case=lower", "--folder", t + "/w"})
                       .underStrace({fault}));
        EXPECT_EQ(batch.status, 1);
        EXPECT_EQ(batch.err, error);
        Strings rows = Lines(batch.out);
        ASSERT_GE(rows.size(), 2u);
        const std::string status = rows.back();
        rows.pop_back();
        EXPECT_EQ(rows.front(), row);  // the folder is met before what was read of it
        const int renamed = static_cast<int>(rows.size()) - 1;
        if (failingRead == 1)
            EXPECT_EQ(renamed, 0);
        else
            EXPECT_TRUE(renamed > 0 && renamed < kFiles) << renamed;
        const int length = renamed == 0 ? 0 : 13;
        EXPECT_EQ(status, Status(renamed, renamed, length, length, 1));
        int lower = 0;
        for (const auto& [path, contents] : ReadTree(t + "/w"))
            lower += path.starts_with("file_") ? 1 : 0;
        EXPECT_EQ(lower, renamed);
        if (renamed == 0)
            continue;  // nothing was logged

        const CliResult undo = RunCli(CliRun({"--undo", "--delete-log", "--quiet", "--log", log}));
        EXPECT_EQ(undo.status, 0) << undo.err;
        for (const auto& [path, contents] : ReadTree(t + "/w"))
            ASSERT_TRUE(path.starts_with("FILE_")) << path;
    }
}

}  // namespace
}  // namespace brindle::testing
