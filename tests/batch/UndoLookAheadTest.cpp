// What Undo's look-ahead hands out: what is at a record's new name as the disk shows it,
// never a look that a change Undo made since could have spoilt.
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "LogLines.h"
#include "TempFolder.h"
#include "batch/RenameLog.h"
#include "batch/UndoLookAhead.h"
#include "platform/NameCodec.h"
#include "platform/OpenFolder.h"

namespace brindle::testing {
namespace {

constexpr int kRecords = 40;

class UndoLookAheadTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < kRecords; ++i)
            temp.createFile("w/new" + std::to_string(i), "x");
        folder = OpenFolder::AtPath(temp.folder("w"));
        if (!folder.inodesStable())
            GTEST_SKIP() << "the temporary folder's filesystem gives no stamps";
        // Records of renames whose items carry stamps, all marked renamed.
        std::string bytes = kHeader;
        const std::string w = EncodeName(temp.folder("w"));
        for (int i = 0; i < kRecords; ++i) {
            const std::string name = "new" + std::to_string(i);
            EntryStatus status;
            ItemStamp stamp;
            ASSERT_EQ(folder.StatWithStamp(name, status, stamp), 0);
            std::string identity = "Identity=" + std::to_string(status.identity.inode) + " 1 - - ";
            AppendStampField(identity, &stamp);
            identity += " - -";
            bytes += Line(identity) + Pair(w, w);
            const std::size_t offset = bytes.size();
            bytes += Record("old" + std::to_string(i), name);
            bytes += Line("Renamed=" + std::to_string(offset));
        }
        log = UndoLog::FromBytes(bytes);
        ASSERT_EQ(log.size(), static_cast<std::size_t>(kRecords));
    }

    // Takes the look of record `index` once the thread has made it; false only when it
    // never comes (the limit keeps a hung thread from stopping the test for ever).
    bool TakeWhenReady(UndoLookAhead& ahead, std::size_t index, const std::u16string& name,
                       EntryStatus& status, ItemStamp& stamp) {
        int error = -1;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (std::chrono::steady_clock::now() < end) {
            if (ahead.Take(index, folder, name, error, status, stamp))
                return error == 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }

    TempFolder temp;
    OpenFolder folder;
    UndoLog log;
};

TEST_F(UndoLookAheadTest, HandsOutWhatTheDiskShows) {
    UndoLookAhead ahead(log, 1);
    ahead.Reached(kRecords - 1);
    EntryStatus status;
    ItemStamp stamp;
    // The thread goes on ahead of Undo; the oldest record is the last it looks at.
    ASSERT_TRUE(TakeWhenReady(ahead, 0, u"new0", status, stamp));
    std::size_t taken = 0;
    for (std::size_t index = kRecords; index-- > 0;) {
        ahead.Reached(index);
        const std::u16string name = u"new" + DecodeName(std::to_string(index));
        int error = -1;
        if (!ahead.Take(index, folder, name, error, status, stamp))
            continue;
        ++taken;
        ASSERT_EQ(error, 0);
        EntryStatus now;
        ItemStamp nowStamp;
        ASSERT_EQ(folder.StatWithStamp(EncodeName(name), now, nowStamp), 0);
        EXPECT_EQ(status.identity, now.identity);
        EXPECT_EQ(stamp, nowStamp);
        // Asked for another name or record, it has nothing.
        EXPECT_FALSE(ahead.Take(index, folder, u"other", error, status, stamp));
        EXPECT_FALSE(ahead.Take(index + 1, folder, name, error, status, stamp));
    }
    // Only the records where Undo stood when the thread began were left to Undo.
    EXPECT_GE(taken, kRecords - UndoLookAhead::kLead - 1);
}

TEST_F(UndoLookAheadTest, AChangeUndoMadeSpoilsTheLooksBeforeIt) {
    UndoLookAhead ahead(log, 1);
    ahead.Reached(kRecords - 1);
    EntryStatus status;
    ItemStamp stamp;
    // Every look the thread makes is made before any change below.
    ASSERT_TRUE(TakeWhenReady(ahead, 0, u"new0", status, stamp));
    const std::size_t last = 2;
    ahead.Reached(last);
    const std::u16string name = u"new" + DecodeName(std::to_string(last));
    ASSERT_TRUE(TakeWhenReady(ahead, last, name, status, stamp));
    // Another name changed: the look still holds; a name that shares its place among the
    // changes kept, its own name, or every name: it does not. Names are kept by the lowest
    // bits of their keys, at least 10 of them and at most 16.
    const std::size_t next = last - 1;
    const std::u16string nextName = u"new" + DecodeName(std::to_string(next));
    const std::uint64_t key = NameKey(folder, name);
    const std::uint64_t nextKey = NameKey(folder, nextName);
    if ((key & 0x3FF) == (nextKey & 0x3FF))
        GTEST_SKIP() << "the two records' names share a place this time";
    const auto other = [&](bool sharing) {
        for (int i = 0;; ++i) {
            const std::uint64_t each = NameKey(folder, u"other" + DecodeName(std::to_string(i)));
            if (sharing ? (each & 0xFFFF) == (key & 0xFFFF)
                        : (each & 0x3FF) != (key & 0x3FF) && (each & 0x3FF) != (nextKey & 0x3FF))
                return each;
        }
    };
    int error = 0;
    const std::uint64_t apart = other(false);
    const std::uint64_t sharing = other(true);
    ahead.Touched(apart);
    EXPECT_TRUE(ahead.Take(last, folder, name, error, status, stamp));
    ahead.Touched(sharing);
    EXPECT_FALSE(ahead.Take(last, folder, name, error, status, stamp));

    ahead.Reached(next);
    ASSERT_TRUE(TakeWhenReady(ahead, next, nextName, status, stamp));
    ahead.Touched(nextKey);
    EXPECT_FALSE(ahead.Take(next, folder, nextName, error, status, stamp));

    const std::size_t third = next - 1;
    const std::u16string thirdName = u"new" + DecodeName(std::to_string(third));
    ahead.Reached(third);
    // Its look began before the changes, none of which touched its place: taken, until
    // every name counts as changed.
    const std::uint64_t thirdKey = NameKey(folder, thirdName);
    bool apartFromAll = true;
    for (const std::uint64_t touched : {apart, sharing, nextKey})
        apartFromAll = apartFromAll && (thirdKey & 0x3FF) != (touched & 0x3FF);
    if (apartFromAll) {
        EXPECT_TRUE(ahead.Take(third, folder, thirdName, error, status, stamp));
    }
    ahead.TouchedEverything();
    EXPECT_FALSE(ahead.Take(third, folder, thirdName, error, status, stamp));
}

TEST_F(UndoLookAheadTest, ASmallLogIsNotLookedAheadAt) {
    UndoLookAhead ahead(log, kRecords + 1);
    ahead.Reached(0);
    int error = 0;
    EntryStatus status;
    ItemStamp stamp;
    EXPECT_FALSE(ahead.Take(0, folder, u"new0", error, status, stamp));
}

}  // namespace
}  // namespace brindle::testing
