#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "BatchFixture.h"
#include "batch/Messages.h"
#include "batch/RenameLog.h"
#include "platform/OpenFolder.h"

namespace brindle::testing {
namespace {

class RenameLogTest : public BatchFixture {
protected:
    RenameLogTest() {
        settings().writeLogFile = true;
        settings().conversionMode = 1;
    }
    std::string logPathBytes() const { return N(session.logPath()); }
    void appendToLog(const std::string& bytes) const {
        std::ofstream out(temp.path() / "prog/Brindle.log", std::ios::binary | std::ios::app);
        out << bytes;
    }
};

TEST_F(RenameLogTest, FolderBatchWritesOnePairAndEveryRecord) {
    temp.createFiles({"items/Track01.MP3", "items/a.txt", "items/B.TXT"});
    settings().countSymbols = true;
    const std::vector<std::string> order = listed("items");
    const BatchResult result = session.RunFolderBatch(items());
    EXPECT_EQ(result.outcome, BatchOutcome::Completed);

    std::string expected = kHeader + Pair(itemsBytes(), itemsBytes());
    for (const std::string& name : order) {
        std::string lowered = name;
        for (char& c : lowered)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const std::string length = std::to_string(name.size());
        expected += Line("Old File=" + name) + Line("New File=" + lowered) +
                    Line("File Leght=" + length) + Line(std::string(kLogSeparator));
    }
    EXPECT_EQ(logWithoutMarks(), expected);
    EXPECT_EQ(result.undoEnabled, std::optional<bool>(true));

    // A second batch over the same folder in the same run adds records without a pair.
    temp.createFiles({"items/C.TXT"});
    settings().countSymbols = false;
    session.RunFolderBatch(items());
    EXPECT_NE(logWithoutMarks().find(Record("C.TXT", "c.txt"), expected.size()), std::string::npos);
    EXPECT_EQ(logWithoutMarks().find("Old Directory=", expected.size()), std::string::npos);
}

// The lines a reader of the original format skips: each record's identity before it, the
// outcomes after the records of their group (the last group's when the batch ends), Undo's
// mark after each move.
TEST_F(RenameLogTest, IdentityBeforeEachRecordAndOutcomesAfterIt) {
    temp.createFiles({"items/A", "items/b", "items/C"});
    setReadOnly("items/C");
    settings().skipReadOnly = true;
    const auto inode = [this](const std::string& relative) {
        struct stat info {};
        EXPECT_EQ(stat((temp.path() / relative).c_str(), &info), 0);
        return std::to_string(info.st_ino);
    };
    // Where the filesystem gives them, the stamps of the item and of its folders follow.
    const OpenFolder open = OpenFolder::AtPath(items());
    const auto stamp = [&open](const std::string& name) {
        EntryStatus status;
        ItemStamp read;
        EXPECT_EQ(open.StatWithStamp(name, status, read), 0);
        std::string field;
        AppendStampField(field, &read);
        return field;
    };
    std::string folderStamp;
    AppendStampField(folderStamp, &open.stamp());
    const std::string folder = inode("items");
    const std::string stamps = folderStamp + " " + folderStamp;
    const std::string identityA = "Identity=" + inode("items/A") + " 1 " + folder + " " + folder +
                                  " " + stamp("A") + " " + stamps;
    // The folders' stamps are written in full once for the records in the same folders.
    const std::string sameStamps = folderStamp == "-" ? stamps : "= =";
    const std::string identityC = "Identity=" + inode("items/C") + " 1 " + folder + " " + folder +
                                  " " + stamp("C") + " " + sameStamps;
    if (open.inodesStable()) {
        EXPECT_NE(stamp("A"), "-");  // the filesystem gives them
    }
    session.RunFolderBatch(items());

    // One group: the three records in one write, before any rename.
    // The batch's key first, then the records.
    std::string expected =
        kHeader + batchLine() + Line(identityA) + Pair(itemsBytes(), itemsBytes());
    const std::size_t a = expected.size();
    expected += Record("A", "a");
    // An unchanged item is never renamed: nothing to know of it.
    expected += Line("Identity=- - - -") + Record("b", "b") + Line(identityC);
    const std::size_t c = expected.size();
    expected += Record("C", "c");
    expected += Line("Renamed=" + std::to_string(a)) + Line("Failed=" + std::to_string(c));
    EXPECT_EQ(log(), expected);

    host.answers = {false};
    session.OnUndo();
    EXPECT_EQ(log(), expected + Line("Undone=" + std::to_string(a)));
    EXPECT_TRUE(temp.exists("items/A"));
}

TEST_F(RenameLogTest, DirectoryPairRules) {
    // Two sibling folders' files sent into their common parent; then an unmoved file.
    temp.createFiles({"items/s1/a.exe", "items/s2/b.exe", "items/s2/c.txt"});
    settings().fileTypes = u".exe";
    settings().conversionMode = 0;
    const std::string s1 = N(temp.folder("items/s1"));
    const std::string s2 = N(temp.folder("items/s2"));
    const std::string parent = itemsBytes();
    session.RunDropBatch({temp.folder("items/s1") + u"a.exe", temp.folder("items/s2") + u"b.exe",
                          temp.folder("items/s2") + u"c.txt"});
    EXPECT_EQ(logWithoutMarks(), kHeader + Pair(s1, parent) + Record("a.exe", "a.exe") +
                                     Pair(s2, parent) + Record("b.exe", "b.exe") + Pair(s2, s2) +
                                     Record("c.txt", "c.txt"));
    EXPECT_EQ(temp.listing(), (std::vector<std::string>{"items/", "items/a.exe", "items/b.exe",
                                                        "items/s1/", "items/s2/", "items/s2/c.txt",
                                                        "prog/", "prog/Brindle.log"}));
    // Each goes back where it came from.
    host.answers = {true};
    session.OnUndo();
    EXPECT_EQ(temp.listing(),
              (std::vector<std::string>{"items/", "items/s1/", "items/s1/a.exe", "items/s2/",
                                        "items/s2/b.exe", "items/s2/c.txt", "prog/"}));
}

TEST_F(RenameLogTest, PairAgainWhenTheLogIsNotAsWeLeftIt) {
    temp.createFiles({"items/A", "items/B", "items/C"});
    const std::vector<std::u16string> a = {items() + u"A"}, b = {items() + u"B"},
                                      c = {items() + u"C"};
    session.RunDropBatch(a);
    // Another program appends its own record of another folder.
    const std::string foreign = Pair("/else/", "/else/") + Record("x", "y");
    appendToLog(foreign);
    session.RunDropBatch(b);
    const std::string pair = Pair(itemsBytes(), itemsBytes());
    EXPECT_EQ(logWithoutMarks(),
              kHeader + pair + Record("A", "a") + foreign + pair + Record("B", "b"));

    // Removed between batches: a new file, header first, with its pair.
    std::filesystem::remove(temp.path() / "prog/Brindle.log");
    session.RunDropBatch(c);
    EXPECT_EQ(logWithoutMarks(), kHeader + pair + Record("C", "c"));
}

// Records go to the log a group at a time: one removed during a batch is made again, with
// the header and a directory pair, by the next group's write.
TEST_F(RenameLogTest, LogRemovedDuringABatchIsCreatedAgain) {
    constexpr int kFiles = 300;  // a group and then some
    std::vector<std::string> names;
    for (int i = 1; i <= kFiles; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "F%04d", i);
        names.push_back(name);
        temp.createFile("items/" + names.back());
    }
    host.afterRow = [this](const Row&) {
        if (host.rows.size() == 256)
            std::filesystem::remove(temp.path() / "prog/Brindle.log");
    };
    session.RunFolderBatch(items());
    std::string expected = kHeader + Pair(itemsBytes(), itemsBytes());
    for (int i = 256; i < kFiles; ++i)
        expected += Record(names[static_cast<std::size_t>(i)],
                           "f" + names[static_cast<std::size_t>(i)].substr(1));
    EXPECT_EQ(logWithoutMarks(), expected);
    EXPECT_EQ(session.stats().exceptions, 0);
    EXPECT_TRUE(temp.exists("items/f0001") && temp.exists("items/f0300"));
}

TEST_F(RenameLogTest, TornLastLineOfAnotherWriterStaysApart) {
    temp.createFiles({"items/A"});
    temp.createFile("prog/Brindle.log",
                    kHeader + Pair("/q/", "/q/") + Record("x", "y") + "Old Directory=/q");
    session.RunDropBatch({items() + u"A"});
    const std::vector<LogRecord> records = logRecords();
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.back(), (LogRecord{items(), items(), u"A", u"a"}));
}

TEST_F(RenameLogTest, NamesAreWrittenWholeWithTheNameCodec) {
    // Cyrillic (lowered too), and bytes that are not UTF-8 at all (kept as they are).
    temp.createFiles({"items/\xD0\x9F\xD1\x80\xD0\xB8.TXT", "items/\xFF\xFE.TXT"});
    session.RunFolderBatch(items());
    const std::string text = log();
    EXPECT_NE(text.find(Record("\xD0\x9F\xD1\x80\xD0\xB8.TXT", "\xD0\xBF\xD1\x80\xD0\xB8.txt")),
              std::string::npos);
    EXPECT_NE(text.find(Record("\xFF\xFE.TXT", "\xFF\xFE.txt")), std::string::npos);
    EXPECT_EQ(temp.listing(),
              (std::vector<std::string>{"items/", "items/\xD0\xBF\xD1\x80\xD0\xB8.txt",
                                        "items/\xFF\xFE.txt", "prog/", "prog/Brindle.log"}));
}

TEST_F(RenameLogTest, LineBreaksInNamesAreNeitherRenamedNorLogged) {
    temp.createFiles({"items/Bad\nOld File=x", "items/Fine"});
    session.RunFolderBatch(items());
    EXPECT_EQ(logWithoutMarks(),
              kHeader + Pair(itemsBytes(), itemsBytes()) + Record("Fine", "fine"));
    EXPECT_TRUE(temp.exists("items/Bad\nOld File=x"));
    EXPECT_EQ(session.stats().exceptions, 1);
    bool sawFailure = false;
    for (const Row& row : host.rows) {
        if (row.input == u"Bad\nOld File=x") {
            EXPECT_EQ(row.output, kTextRenameFailed);
            sawFailure = true;
        }
    }
    EXPECT_TRUE(sawFailure);

    // Without the log there is nothing to protect: the name is renamed.
    settings().writeLogFile = false;
    session.RunFolderBatch(items());
    EXPECT_TRUE(temp.exists("items/bad\nold file=x"));

    // Nor is an item in a folder whose path holds one.
    temp.createFiles({"items/Line\nBreak/Inner"});
    settings().writeLogFile = true;
    settings().scanSubfolders = true;
    session.RunFolderBatch(items());
    EXPECT_TRUE(temp.exists("items/Line\nBreak/Inner"));
    EXPECT_EQ(log().find("Inner"), std::string::npos);
}

// A log that another Brindle holds is waited for as long as the host asks, its wait said
// each time it begins: given up meanwhile, the batch or Undo goes on; held past the wait,
// the items fail as they do without one.
TEST_F(RenameLogTest, ALockedLogIsWaitedForAsAsked) {
    temp.createFiles({"items/A", "items/B"});
    const std::string logBytes = (temp.path() / "prog/Brindle.log").string();
    std::optional<LockHolder> other(std::in_place, logBytes);
    ASSERT_TRUE(other->locked());
    int waits = 0;
    bool giveUp = false;
    session.setLogLockWait(std::chrono::milliseconds(50), [&] {
        ++waits;
        if (giveUp)
            other.reset();
    });
    {
        SCOPED_TRACE("held past the wait");
        EXPECT_EQ(session.RunFolderBatch(items()).outcome, BatchOutcome::Completed);
        EXPECT_EQ(waits, 1);
        EXPECT_EQ(session.stats().exceptions, 2);
        EXPECT_EQ(host.column(kColumnOutput),
                  (std::vector<std::u16string>{kTextRenameFailed, kTextRenameFailed}));
        EXPECT_EQ(log(), "");
    }
    giveUp = true;
    {
        SCOPED_TRACE("given up while the batch waits");
        EXPECT_EQ(session.RunFolderBatch(items()).outcome, BatchOutcome::Completed);
        EXPECT_EQ(waits, 2);
        EXPECT_EQ(session.stats().exceptions, 2);
        EXPECT_EQ(temp.listing(), (std::vector<std::string>{"items/", "items/a", "items/b", "prog/",
                                                            "prog/Brindle.log"}));
        EXPECT_NE(logWithoutMarks().find(Record("A", "a")), std::string::npos);
    }
    {
        SCOPED_TRACE("given up while Undo waits");
        other.emplace(logBytes);
        ASSERT_TRUE(other->locked());
        host.answers.push_back(false);  // the log is kept
        EXPECT_EQ(session.OnUndo(), UndoOutcome::Completed);
        EXPECT_EQ(waits, 3);
        EXPECT_TRUE(temp.exists("items/A") && temp.exists("items/B"));
    }
}

// When the record cannot be written, nothing is renamed; the batch goes on, and at its end
// the user is told once why.
TEST_F(RenameLogTest, NoRenameWithoutItsRecord) {
    const auto toldOnceAtTheEnd = [this](std::size_t from, const std::u16string& text) {
        std::vector<Shown> expected{{text, u"", MessageIcon::Stop}};
        EXPECT_EQ(std::vector<Shown>(host.messages.end() - 1, host.messages.end()), expected);
        const std::vector<std::string> calls = host.callsFrom(from);
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "message"), 1);
        const auto message = std::find(calls.begin(), calls.end(), "message");
        EXPECT_EQ(std::find(message, calls.end(), "row"), calls.end());
        // Told as the batch ends, whose end also says whether "Undo" is enabled.
        EXPECT_TRUE(session.undoEnabled().has_value());
    };
    const std::u16string logPath = temp.folder("prog") + u"Brindle.log";
    {
        SCOPED_TRACE("locked/AnotherHolder");
        temp.createFiles({"items/A", "items/B"});
        LockHolder other((temp.path() / "prog/Brindle.log").string());
        ASSERT_TRUE(other.locked());
        EXPECT_EQ(session.RunFolderBatch(items()).outcome, BatchOutcome::Completed);
        EXPECT_EQ(temp.listing(), (std::vector<std::string>{"items/", "items/A", "items/B", "prog/",
                                                            "prog/Brindle.log"}));
        EXPECT_EQ(host.column(kColumnOutput),
                  (std::vector<std::u16string>{kTextRenameFailed, kTextRenameFailed}));
        EXPECT_EQ(session.stats().exceptions, 2);
        EXPECT_EQ(session.stats().changedFiles, 2);
        toldOnceAtTheEnd(0, u"A locking violation occurred while accessing " + logPath + u".");
        EXPECT_EQ(log(), "");
    }
    {
        SCOPED_TRACE("folder/Missing");
        const std::size_t from = host.calls.size();
        session.setLogFile(temp.folder() + u"nowhere/Brindle.log");
        session.RunFolderBatch(items());
        EXPECT_TRUE(temp.exists("items/A"));
        EXPECT_EQ(session.stats().exceptions, 4);
        toldOnceAtTheEnd(from, temp.folder() + u"nowhere/Brindle.log was not found.");
    }
    {
        SCOPED_TRACE("path/IsAFolder");
        const std::size_t from = host.calls.size();
        temp.createFiles({"logdir/"});
        session.setLogFile(temp.folder() + u"logdir");
        session.RunFolderBatch(items());
        EXPECT_TRUE(temp.exists("items/A"));
        EXPECT_EQ(session.stats().exceptions, 6);
        toldOnceAtTheEnd(
            from, u"An unknown error occurred while accessing " + temp.folder() + u"logdir.");
    }
    {
        SCOPED_TRACE("recovered/PairAfterFailures");
        const std::size_t messages = host.messages.size();
        session.setLogFile(u"Brindle.log");
        session.RunFolderBatch(items());
        EXPECT_EQ(temp.listing(),
                  (std::vector<std::string>{"items/", "items/a", "items/b", "logdir/", "prog/",
                                            "prog/Brindle.log"}));
        EXPECT_TRUE(logWithoutMarks().starts_with(kHeader + Pair(itemsBytes(), itemsBytes())));
        // A batch whose records were all written says nothing.
        EXPECT_EQ(host.messages.size(), messages);
    }
}

// The batch runs in a child process under a file-size limit; the parent looks at what
// the child left on disk.
// A group whose records cannot be written for a full disk stops the batch before any of
// its renames: the rows and statistics are those of the groups before it.
TEST_F(RenameLogTest, DiskFullStopsTheBatchAndLeavesNoTornRecord) {
    constexpr std::size_t kFiles = 300;
    constexpr std::size_t kGroup = 256;
    std::vector<std::string> names;
    for (std::size_t i = 1; i <= kFiles; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "F%04zu", i);
        names.push_back(name);
        temp.createFile("items/" + names.back());
    }
    std::string firstGroup = kHeader + Pair(itemsBytes(), itemsBytes());
    for (std::size_t i = 0; i < kGroup; ++i)
        firstGroup += Record(names[i], "f" + names[i].substr(1));
    const std::u16string expectedMessage = u"Disk full while accessing " + session.logPath() + u".";

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // After the first group, the next group's write fits only in part.
        host.afterRow = [this](const Row&) {
            if (host.rows.size() != kGroup)
                return;
            const rlim_t limit = static_cast<rlim_t>(log().size()) + 20;
            const rlimit size{limit, limit};
            if (setrlimit(RLIMIT_FSIZE, &size) != 0)
                _exit(10);
        };
        settings().showLogWindow = true;
        const BatchResult result = session.RunFolderBatch(items());
        if (result.outcome != BatchOutcome::DiskFull)
            _exit(11);
        if (!session.stopped())
            _exit(12);
        if (host.messages.size() != 1)
            _exit(13);
        if (!(host.messages[0] == Shown{expectedMessage, u"", MessageIcon::Stop}))
            _exit(14);
        // Stopped before the second group: no row of it, no end steps.
        if (host.rows.size() != kGroup)
            _exit(15);
        if (session.stats().totalFiles != static_cast<std::int32_t>(kGroup))
            _exit(16);
        if (result.undoEnabled)
            _exit(17);
        if (host.titles != std::vector<std::u16string>{kTitleWorking})
            _exit(18);
        if (host.calls.back() != "message")
            _exit(19);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    EXPECT_EQ(logWithoutMarks(), firstGroup);
    EXPECT_TRUE(log().ends_with(std::string(kLogSeparator) + "\r\n"));
    std::vector<std::string> expected = {"items/"};
    for (std::size_t i = 0; i < kFiles; ++i)
        expected.push_back("items/" + (i < kGroup ? "f" + names[i].substr(1) : names[i]));
    expected.push_back("prog/");
    expected.push_back("prog/Brindle.log");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(temp.listing(), expected);
    // Undo finds every renamed file by what the disk shows.
    host.answers = {true};
    session.OnUndo();
    EXPECT_TRUE(temp.exists("items/F0001") && temp.exists("items/F0256"));
}

}  // namespace
}  // namespace brindle::testing
