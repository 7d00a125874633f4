#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "BatchFixture.h"
#include "ChildProcess.h"
#include "FileTree.h"
#include "OrdinaryUser.h"
#include "batch/Messages.h"
#include "batch/UndoHistory.h"
#include "platform/OpenFolder.h"

namespace brindle::testing {
namespace {

const Shown kAskDelete{u"Do you want to delete Log file?", u"Brindle", MessageIcon::Question};
const Shown kAskDeleteAfterErrors{u"Are you sure that you want to delete Log file?",
                                  u"There was an error(s)!", MessageIcon::Warning};

class RenameSessionUndoTest : public BatchFixture {
protected:
    RenameSessionUndoTest() { settings().writeLogFile = true; }
};

TEST_F(RenameSessionUndoTest, PutsEveryItemBack) {
    temp.createFiles({"items/Keep.txt", "items/Move.EXE", "items/Locked.TXT", "items/Taken.TXT",
                      "items/taken.txt", "items/same", "items/Sub/Deep.TXT"});
    setReadOnly("items/Locked.TXT");
    const std::vector<std::string> before = temp.listing();
    settings().conversionMode = 1;
    settings().skipReadOnly = true;
    settings().scanSubfolders = true;
    settings().fileTypes = u".exe";
    session.RunFolderBatch(items());
    ASSERT_TRUE(temp.exists("move.exe"));
    EXPECT_EQ(session.stats().exceptions, 2);  // the read-only file and the taken name

    const std::size_t batchRows = host.rows.size();
    host.answers = {true};
    EXPECT_EQ(session.OnUndo(), UndoOutcome::Completed);
    EXPECT_EQ(temp.listing(), before);
    // The failures of the batch were never renamed: passed over, no errors of Undo.
    EXPECT_EQ(host.questions, std::vector<Shown>{kAskDelete});
    EXPECT_FALSE(logExists());
    EXPECT_EQ(session.undoEnabled(), std::optional<bool>(false));
    // A row for every record it put back, after the batch's rows.
    EXPECT_EQ(host.rows.size(), batchRows + 3);
    EXPECT_EQ(session.lastUndo().neverRenamed, 2u);
    EXPECT_EQ(UndoSummaryText(session.lastUndo()), u"passed over: 2 never renamed");
}

// Enough items in one folder for Undo to learn their inode numbers from a listing; the
// file at one new name was replaced meanwhile and is no item of the log.
TEST_F(RenameSessionUndoTest, ManyItemsOfOneFolderAndOneReplaced) {
    std::vector<std::string> before;
    for (int i = 0; i < 100; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "items/FILE_%03d.TXT", i);
        temp.createFile(name, name);
    }
    before = temp.listing();
    settings().conversionMode = 1;
    session.RunFolderBatch(items());
    settings().conversionMode = 0;
    settings().replaceWhat = u".txt";
    settings().replaceWith = u".TXT";
    session.RunFolderBatch(items());
    ASSERT_TRUE(temp.exists("items/file_050.TXT"));
    // Another file put in its place: made first, so it cannot take the item's inode.
    temp.createFile("other", "another file");
    std::filesystem::rename(temp.path() / "other", temp.path() / "items/file_050.TXT");

    host.answers = {false};
    EXPECT_EQ(session.OnUndo(UndoScope::All()), UndoOutcome::Completed);
    EXPECT_EQ(host.confirmations.size(), 1u);
    std::vector<std::string> expected;
    for (const std::string& path : before)
        expected.push_back(path == "items/FILE_050.TXT" ? "items/file_050.TXT" : path);
    expected.push_back("prog/Brindle.log");
    std::sort(expected.begin(), expected.end());
    const std::vector<std::string> now = temp.listing();
    std::vector<std::string> differences;
    std::set_symmetric_difference(now.begin(), now.end(), expected.begin(), expected.end(),
                                  std::back_inserter(differences));
    EXPECT_EQ(differences, std::vector<std::string>{});
    EXPECT_EQ(temp.readFile("items/file_050.TXT"), "another file");
    EXPECT_EQ(temp.readFile("items/FILE_051.TXT"), "items/FILE_051.TXT");
}

// Each Undo takes back one batch, the newest first; the log is asked about only once no
// batch is left, and a kept log's next Undo passes every record over without errors.
TEST_F(RenameSessionUndoTest, OneBatchAtATimeNewestFirst) {
    temp.createFiles({"items/a"});
    settings().replaceWhat = u"a";
    settings().replaceWith = u"b";
    session.RunFolderBatch(items());
    settings().replaceWhat = u"b";
    settings().replaceWith = u"c";
    session.RunFolderBatch(items());
    ASSERT_TRUE(temp.exists("items/c"));

    settings().deleteContents = true;
    EXPECT_EQ(session.OnUndo(), UndoOutcome::Completed);
    EXPECT_EQ(temp.listing(),
              (std::vector<std::string>{"items/", "items/b", "prog/", "prog/Brindle.log"}));
    EXPECT_TRUE(host.questions.empty());
    EXPECT_EQ(session.undoEnabled(), std::optional<bool>(true));
    ASSERT_EQ(host.confirmations.size(), 1u);
    EXPECT_TRUE(host.confirmations[0].starts_with(u"Undo the last batch: 1 item renamed in " +
                                                  items() + u", "))
        << N(host.confirmations[0]);
    // Rows in the order the moves happened; Undo's counters started from 0, its rows
    // follow the batches' rows.
    ASSERT_EQ(host.rows.size(), 3u);
    Row second;
    second.mark = RowMark::Note;
    second.input = u"c";
    second.output = u"b";
    second.folder = items();
    EXPECT_EQ(host.rows.at(2), second);

    host.answers = {false};
    EXPECT_EQ(session.OnUndo(), UndoOutcome::Completed);
    EXPECT_EQ(temp.listing(),
              (std::vector<std::string>{"items/", "items/a", "prog/", "prog/Brindle.log"}));
    ASSERT_EQ(host.rows.size(), 4u);
    EXPECT_EQ(host.rows.at(3).input, u"b");
    EXPECT_EQ(host.rows.at(3).output, u"a");
    EXPECT_EQ(host.questions, std::vector<Shown>{kAskDelete});
    EXPECT_EQ(host.statuses.back(),
              u"Total files: 1 | Changed files: 0 | Average Input length: 1 | "
              u"Average Output length: 1 | Exceptions: 0");
    EXPECT_EQ(UndoSummaryText(session.lastUndo()), u"passed over: 1 already undone");
    EXPECT_EQ(session.stats().nextRow, 4);
    EXPECT_TRUE(logExists());

    // Answered No: the next Undo finds nothing left, and says what it passed over.
    host.answers = {false};
    EXPECT_EQ(session.OnUndo(), UndoOutcome::Completed);
    EXPECT_EQ(host.rows.size(), 4u);
    EXPECT_EQ(host.questions, (std::vector<Shown>{kAskDelete, kAskDelete}));
    EXPECT_EQ(host.confirmations.size(), 2u);  // nothing to confirm the last time
    EXPECT_EQ(session.stats().exceptions, 0);
    EXPECT_EQ(UndoSummaryText(session.lastUndo()),
              u"nothing left to undo; passed over: 2 already undone");
}

// Batches with nothing renamed ("Only Log", every rename failed) are passed over by "the
// newest batch"; a batch named by its key is taken back with every newer one.
TEST_F(RenameSessionUndoTest, WhichBatchesAnUndoTakesBack) {
    temp.createFiles({"items/A", "items/B"});
    settings().conversionMode = 1;
    session.RunDropBatch({items() + u"A"});
    session.RunDropBatch({items() + u"B"});
    settings().onlyLog = true;
    temp.createFiles({"items/C"});
    session.RunDropBatch({items() + u"C"});
    settings().onlyLog = false;
    std::vector<LoggedBatch> batches = ListBatches(UndoLog::FromBytes(log()));
    ASSERT_EQ(batches.size(), 3u);
    EXPECT_EQ(BatchStateText(batches[2]), u"nothing renamed");
    EXPECT_EQ(NewestToUndo(batches), &batches[1]);
    for (const LoggedBatch& batch : batches) {
        EXPECT_TRUE(batch.start.has_value());
        EXPECT_EQ(batch.firstFolder, items());
    }

    {
        SCOPED_TRACE("newest");
        EXPECT_EQ(session.OnUndo(), UndoOutcome::Completed);
        EXPECT_TRUE(temp.exists("items/a"));
        EXPECT_TRUE(temp.exists("items/B"));
        EXPECT_TRUE(host.questions.empty());
        EXPECT_EQ(UndoSummaryText(session.lastUndo()), u"passed over: 1 never renamed");
    }
    {
        SCOPED_TRACE("declined");
        host.confirmUndo = false;
        EXPECT_EQ(session.OnUndo(UndoScope::From(batches[0].key)), UndoOutcome::Declined);
        EXPECT_TRUE(temp.exists("items/a"));
        host.confirmUndo = true;
    }
    {
        SCOPED_TRACE("a batch no longer in the log");
        EXPECT_EQ(session.OnUndo(UndoScope::From(u"1999-01-01T00:00:00.000000000Z")),
                  UndoOutcome::NotFound);
        EXPECT_EQ(host.messages.back().text, u"That batch is no longer in the log.");
    }
    {
        SCOPED_TRACE("from the first batch on");
        host.answers = {true};
        EXPECT_EQ(session.OnUndo(UndoScope::From(batches[0].key)), UndoOutcome::Completed);
        EXPECT_TRUE(temp.exists("items/A"));
        EXPECT_EQ(host.questions, std::vector<Shown>{kAskDelete});
        EXPECT_FALSE(logExists());
        EXPECT_EQ(session.lastUndo().alreadyUndone, 1u);
        EXPECT_EQ(session.lastUndo().neverRenamed, 1u);
        EXPECT_EQ(session.lastUndo().putBack, 1u);
    }
}

// A log of an earlier version, without keys: one batch, undone whole as before, its
// records without outcome marks moved where something is at their new names.
TEST_F(RenameSessionUndoTest, AnEarlierVersionsLogIsOneBatch) {
    temp.createFiles({"items/b", "items/d"});
    temp.createFile("prog/Brindle.log", kHeader + Pair(itemsBytes(), itemsBytes()) +
                                            Record("a", "b") + Record("c", "d") + Record("e", "f"));
    const std::vector<LoggedBatch> batches = ListBatches(UndoLog::FromBytes(log()));
    ASSERT_EQ(batches.size(), 1u);
    EXPECT_EQ(batches[0].key, u"");
    EXPECT_FALSE(batches[0].start.has_value());
    EXPECT_EQ(BatchWhenText(batches[0]), u"before batches were dated");
    EXPECT_EQ(batches[0].renamed, 3u);

    host.answers = {false};
    EXPECT_EQ(session.OnUndo(), UndoOutcome::Completed);
    EXPECT_TRUE(temp.exists("items/a"));
    EXPECT_TRUE(temp.exists("items/c"));
    // 'f' never existed: an error row, as before outcomes were marked.
    EXPECT_EQ(host.rows.size(), 3u);
    EXPECT_EQ(session.stats().exceptions, 1);
    EXPECT_EQ(host.questions, std::vector<Shown>{kAskDeleteAfterErrors});
}

TEST_F(RenameSessionUndoTest, DroppedFolderRenamedAfterItsContents) {
    temp.createFiles({"items/Album/Song.MP3", "items/Album/Inner/Cover.JPG"});
    settings().conversionMode = 1;
    settings().scanSubfolders = true;
    settings().renameDirs = true;
    session.RunDropBatch({items() + u"Album"});
    ASSERT_EQ(temp.listing(),
              (std::vector<std::string>{"items/", "items/album/", "items/album/Inner/",
                                        "items/album/Inner/cover.jpg", "items/album/song.mp3",
                                        "prog/", "prog/Brindle.log"}));
    host.answers = {true};
    session.OnUndo();
    EXPECT_EQ(temp.listing(), (std::vector<std::string>{
                                  "items/", "items/Album/", "items/Album/Inner/",
                                  "items/Album/Inner/Cover.JPG", "items/Album/Song.MP3", "prog/"}));
    EXPECT_EQ(host.questions, std::vector<Shown>{kAskDelete});
}

TEST_F(RenameSessionUndoTest, NamesComeBackByteForByte) {
    temp.createFiles(
        {"items/\xD0\x9F\xD1\x80\xD0\xB8.TXT", "items/\xFF\xFE.TXT", "items/a\\b:c.TXT"});
    const std::vector<std::string> before = temp.listing();
    settings().conversionMode = 1;
    session.RunFolderBatch(items());
    host.answers = {true};
    session.OnUndo();
    EXPECT_EQ(temp.listing(), before);
    EXPECT_EQ(session.stats().exceptions, 0);
}

TEST_F(RenameSessionUndoTest, AfterAnOnlyLogRun) {
    temp.createFiles({"items/A", "items/b"});
    settings().conversionMode = 1;
    settings().onlyLog = true;
    const BatchResult batch = session.RunFolderBatch(items());
    host.answers = {false};
    session.OnUndo();
    // 'b' kept its name and 'A' was never renamed: no row, nothing to confirm.
    ASSERT_EQ(host.rows.size(), 2u);
    EXPECT_TRUE(host.confirmations.empty());
    EXPECT_EQ(UndoSummaryText(session.lastUndo()),
              u"nothing left to undo; passed over: 1 never renamed");
    EXPECT_EQ(host.questions, std::vector<Shown>{kAskDelete});
    EXPECT_TRUE(logExists());
    // Enabled by the batch's end, left as it is by Undo, which kept the log.
    EXPECT_EQ(batch.undoEnabled, std::optional<bool>(true));
    EXPECT_EQ(session.undoEnabled(), std::nullopt);
    EXPECT_EQ(session.stats().totalFiles, 2);
    EXPECT_EQ(session.stats().exceptions, 0);
}

TEST_F(RenameSessionUndoTest, LogThatHoldsOnlyItsHeader) {
    temp.createFile("prog/Brindle.log", kHeader);
    host.answers = {false};
    EXPECT_EQ(session.OnUndo(), UndoOutcome::Completed);
    EXPECT_TRUE(host.rows.empty());
    EXPECT_EQ(host.questions, std::vector<Shown>{kAskDelete});
}

TEST_F(RenameSessionUndoTest, LogThatCannotBeOpened) {
    const Shown error{u"Error opening file", u"", MessageIcon::Warning};
    {
        SCOPED_TRACE("missing");
        EXPECT_EQ(session.OnUndo(), UndoOutcome::LogNotOpened);
        EXPECT_EQ(host.messages, std::vector<Shown>{error});
        EXPECT_EQ(session.undoEnabled(), std::optional<bool>(false));
    }
    {
        SCOPED_TRACE("lockedElsewhere");
        temp.createFile("prog/Brindle.log", kHeader + Pair("/x/", "/x/") + Record("a", "b"));
        LockHolder other((temp.path() / "prog/Brindle.log").string());
        ASSERT_TRUE(other.locked());
        EXPECT_EQ(session.OnUndo(), UndoOutcome::LogNotOpened);
        EXPECT_EQ(host.messages, (std::vector<Shown>{error, error}));
        EXPECT_EQ(session.undoEnabled(), std::optional<bool>(false));
        EXPECT_TRUE(host.questions.empty());
        EXPECT_TRUE(host.rows.empty());
    }
}

// The folder a record was renamed in, removed and made anew: whatever its inode number,
// its stamp tells it from the one the batch knew, and nothing is moved in it. The log is
// given the new folder's number, as a filesystem that hands numbers out again would. The
// second record gives the folder's stamp as "=", the first one's.
TEST_F(RenameSessionUndoTest, AFolderMadeAnewIsNotTheOneOfTheRecord) {
    temp.createFiles({"items/A.TXT", "items/B.TXT"});
    if (!OpenFolder::AtPath(items()).inodesStable())
        GTEST_SKIP() << "the temporary folder's filesystem gives no stamps";
    settings().conversionMode = 1;
    session.RunFolderBatch(items());
    ASSERT_TRUE(temp.exists("items/a.txt"));
    const auto inode = [this](const std::string& relative) {
        struct stat info {};
        EXPECT_EQ(stat((temp.path() / relative).c_str(), &info), 0);
        return std::to_string(info.st_ino);
    };
    const std::string was = inode("items");
    std::filesystem::rename(temp.path() / "items", temp.path() / "gone");
    temp.createFile("items/a.txt", "another");
    temp.createFile("items/b.txt", "another");
    std::string text = log();
    EXPECT_NE(text.find(" = =\r\n"), std::string::npos);
    for (std::size_t at = 0; (at = text.find(" " + was, at)) != std::string::npos;)
        text.replace(at, was.size() + 1, " " + inode("items"));
    temp.createFile("prog/Brindle.log", text);

    host.answers = {false};
    host.rows.clear();
    EXPECT_EQ(session.OnUndo(), UndoOutcome::Completed);
    ASSERT_EQ(host.rows.size(), 2u);
    for (const auto& row : host.rows) {
        EXPECT_EQ(row.reason,
                  u"not put back: this folder is not the one the batch renamed in (another has "
                  u"taken its place since)");
        EXPECT_EQ(row.reasonPath, items());
    }
    EXPECT_EQ(temp.readFile("items/a.txt"), "another");
    EXPECT_EQ(temp.readFile("items/b.txt"), "another");
    EXPECT_TRUE(temp.exists("gone/a.txt"));
    EXPECT_TRUE(temp.exists("gone/b.txt"));
}

TEST_F(RenameSessionUndoTest, DeletionThatFails) {
    // A log its user may read and write but not delete: a folder the user may not write
    // to. Permissions do not bind root, so the Undo runs as the ordinary user there.
    temp.createFile("locked/Brindle.log", kHeader);
    GiveToOrdinaryUser(temp.path().string());
    chmod(temp.path().c_str(), 0755);
    chmod((temp.path() / "locked").c_str(), 0555);
    session.setLogFile(U((temp.path() / "locked/Brindle.log").string()));
    host.answers = {true};
    const std::size_t statusesBefore = host.statuses.size();
    const int status = InChild([&] {
        if (RunningAsRoot() && !BecomeOrdinaryUser())
            return 10;
        if (session.OnUndo() != UndoOutcome::DeleteFailed)
            return 11;
        if (host.messages.size() != 1 || host.messages[0].icon != MessageIcon::Stop ||
            host.messages[0].text != u"Access to " + session.logFile() + u" was denied.")
            return 12;
        // The button stays as it was, the status line too.
        if (session.undoEnabled() != std::nullopt || host.statuses.size() != statusesBefore)
            return 13;
        return 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(std::filesystem::exists(temp.path() / "locked/Brindle.log"));
}

// Asked to stop, Undo stops at the next record without asking about the log, which keeps
// the marks of what was put back: the next Undo moves only the rest.
TEST_F(RenameSessionUndoTest, AStopRequestEndsUndoAtTheNextRecord) {
    temp.createFiles({"items/A", "items/B", "items/C", "items/D"});
    const std::vector<std::string> before = temp.listing();
    settings().conversionMode = 1;
    session.RunFolderBatch(items());
    host.rows.clear();
    host.afterRow = [this](const Row&) {
        if (host.rows.size() == 2)
            session.RequestStop();
    };
    EXPECT_EQ(session.OnUndo(), UndoOutcome::Stopped);
    EXPECT_EQ(host.rows.size(), 2u);
    EXPECT_TRUE(host.questions.empty());
    EXPECT_TRUE(logExists());
    EXPECT_EQ(session.undoEnabled(), std::optional<bool>(true));
    EXPECT_FALSE(session.stopRequested());

    host.afterRow = nullptr;
    host.answers = {true};
    EXPECT_EQ(session.OnUndo(), UndoOutcome::Completed);
    EXPECT_EQ(temp.listing(), before);
    // The two put back already are passed over by the second Undo.
    EXPECT_EQ(host.questions, std::vector<Shown>{kAskDelete});
    EXPECT_EQ(host.rows.size(), 4u);
    EXPECT_EQ(session.lastUndo().alreadyUndone, 2u);
}

}  // namespace
}  // namespace brindle::testing
