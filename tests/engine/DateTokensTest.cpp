// The date tokens on real files whose times the test sets, in the zones the test sets.
#include "engine/DateTokens.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "engine/NameStages.h"
#include "engine/PatternCreator.h"
#include "platform/ItemTimes.h"
#include "platform/OpenFolder.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestTokens.h"

namespace brindle {
namespace {

// TZ as a test sets it, put back after.
class ZoneFixture : public ::testing::Test {
protected:
    ZoneFixture() {
        if (const char* zone = std::getenv("TZ"))
            saved_ = zone;
    }
    ~ZoneFixture() override {
        if (saved_)
            setenv("TZ", saved_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    static void SetZone(const char* zone) {
        setenv("TZ", zone, 1);
        tzset();
    }

    // The item's new name from `pattern`, with what it noted of groups without a value.
    static std::u16string Built(std::u16string_view pattern, const ItemFacts& item,
                                std::u16string_view name) {
        ParsedPattern parsed = ParseNamePattern(pattern);
        EXPECT_EQ(parsed.error, std::nullopt);
        const PatternStage stage(std::move(parsed.pattern), ExtensionPlace::InName);
        std::u16string result(name);
        NameCounters counters;
        stage.Apply(result, item, counters);
        return result;
    }

    void SetModified(const testing::TempFolder& folder, const std::string& name,
                     std::int64_t seconds, long nanoseconds) const {
        const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(seconds), nanoseconds}};
        ASSERT_EQ(utimensat(AT_FDCWD, (folder.path() / name).c_str(), times, AT_SYMLINK_NOFOLLOW),
                  0);
    }

private:
    std::optional<std::string> saved_;
};

using DateTokensTest = ZoneFixture;

// 2024-03-05 14:07:09.25 UTC.
constexpr std::int64_t kMoment = 1709647629;

TEST_F(DateTokensTest, ModifiedTimeInTheLocalZone) {
    testing::TempFolder folder;
    folder.createFile("a.txt");
    folder.createFile("b.txt");
    SetModified(folder, "a.txt", kMoment, 250000000);
    SetModified(folder, "b.txt", kMoment, 0);
    const OpenFolder open = OpenFolder::AtPath(folder.folder());
    struct Row {
        const char* name;
        const char* zone;
        std::u16string pattern;
        std::u16string file;
        std::u16string expected;
    };
    const Row rows[] = {
        {"utc/Default", "UTC", u"{modified}", u"a.txt", u"2024-03-05 14.07.09.txt"},
        {"utc/Fraction", "UTC", u"{modified:%H%M%S.%f %z}", u"a.txt", u"140709.25 +0000.txt"},
        {"utc/OnTheSecond", "UTC", u"{modified:%S.%f}", u"b.txt", u"09.0.txt"},
        {"kolkata/Shifted", "Asia/Kolkata", u"{modified:%Y%m%d_%H%M%S%z}", u"a.txt",
         u"20240305_193709+0530.txt"},
        {"newYork/Behind", "America/New_York", u"{modified:%d %H:%M %z %a}", u"a.txt",
         u"05 09:07 -0500 Tue.txt"},
        {"fallback/ModifiedAfterNone", "UTC", u"{test.none|modified}", u"a.txt",
         u"2024-03-05 14.07.09.txt"},
        {"argument/KeptAroundIt", "UTC", u"/O {modified:%y}", u"a.txt", u"a 24.txt"},
    };
    testing::RegisterTestTokens();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetZone(row.zone);
        // Through the folder's descriptor, as a batch reaches it, and by its path.
        EXPECT_EQ(Built(row.pattern, ItemFacts(folder.folder(), row.file, open.fd()), row.file),
                  row.expected);
        EXPECT_EQ(Built(row.pattern, ItemFacts(folder.folder(), row.file), row.file), row.expected);
    }
}

TEST_F(DateTokensTest, CreatedWhereTheFilesystemRecordsIt) {
    SetZone("UTC");
    testing::TempFolder folder;
    folder.createFile("a.txt");
    SetModified(folder, "a.txt", kMoment, 0);
    ItemTimes times;
    ASSERT_EQ(ReadItemTimes(-1, (folder.path() / "a.txt").string(), times), 0);
    const std::u16string directory = folder.folder();
    const ItemFacts item(directory, u"a.txt");
    const std::u16string created = Built(u"{created:%Y%m%d%H%M%S%f}", item, u"a.txt");
    if (times.hasBirth) {
        // Made now, whatever the modification time says.
        EXPECT_GE(times.birth.seconds, std::time(nullptr) - 3600);
        EXPECT_NE(created.substr(0, 4), u"2024");
        EXPECT_EQ(item.noValue(), u"");
    } else {
        EXPECT_EQ(created, u".txt");
        EXPECT_EQ(item.noValue(), u"{created}");
    }
}

TEST_F(DateTokensTest, GroupsWithoutAValueAreNotedOnTheItem) {
    testing::RegisterTestTokens();
    SetZone("UTC");
    testing::TempFolder folder;
    const std::u16string directory = folder.folder();
    struct Row {
        const char* name;
        std::u16string pattern;
        std::u16string expected;
        std::u16string noValue;
    };
    const Row rows[] = {
        // The item does not exist: it has no times at all.
        {"missing/Modified", u"[{modified}]", u"[].txt", u"{modified}"},
        {"missing/Chain", u"{created|modified:%Y}x", u"x.txt", u"{created|modified}"},
        {"missing/EachOnce", u"{modified}{test.none}{modified:%Y}", u".txt",
         u"{modified}, {test.none}"},
        {"present/Now", u"{now:%Y}", u"2024.txt", u""},
        {"present/FallbackToNow", u"{modified|now:%Y}", u"2024.txt", u""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const ItemFacts item(directory, u"gone.txt", -1, WallTime{kMoment, 5});
        EXPECT_EQ(Built(row.pattern, item, u"x.txt"), row.expected);
        EXPECT_EQ(item.noValue(), row.noValue);
    }
}

TEST_F(DateTokensTest, NowIsTheBatchStartForEveryItem) {
    SetZone("Asia/Kolkata");
    const WallTime start{kMoment, 120000000};
    const ItemFacts first(u"/", u"a", -1, start);
    const ItemFacts second(u"/", u"b", -1, start);
    EXPECT_EQ(Built(u"{now:%Y-%m-%d %H.%M.%S.%f}", first, u""), u"2024-03-05 19.37.09.12");
    EXPECT_EQ(Built(u"{now:%Y-%m-%d %H.%M.%S.%f}", second, u""), u"2024-03-05 19.37.09.12");
}

TEST_F(DateTokensTest, TokenValuesAreCleaned) {
    testing::RegisterTestTokens();
    // A '/' in a token's value becomes '-', and its ends are trimmed.
    EXPECT_EQ(Built(u"[{test.echo: a/b }]", ItemFacts(u"/", u"x"), u""), u"[a-b]");
    SetZone("UTC");
    testing::TempFolder folder;
    folder.createFile("a");
    SetModified(folder, "a", kMoment, 0);
    EXPECT_EQ(Built(u"{modified:%Y/%m/%d}", ItemFacts(folder.folder(), u"a"), u""), u"2024-03-05");
}

}  // namespace
}  // namespace brindle
