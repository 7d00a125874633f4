#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "batch/OutputRows.h"

namespace brindle {
namespace {

OutputRow Row(std::u16string input, std::u16string count = u"") {
    OutputRow row;
    row.input = std::move(input);
    row.count = std::move(count);
    return row;
}

int Sign(int value) {
    return (value > 0) - (value < 0);
}

struct CompareCase {
    const char* name;
    int column;
    std::u16string a;
    std::u16string b;
    int direction;
    int expected;  // sign
};

TEST(CompareRowsTest, Table) {
    const std::vector<CompareCase> cases = {
        {"letters/CaseFolded", kColumnInput, u"A.txt", u"a.txt", 1, 0},
        {"letters/Order", kColumnInput, u"a.txt", u"B.txt", 1, -1},
        {"letters/PrefixFirst", kColumnInput, u"ab", u"abc", 1, -1},
        {"letters/FoldedToLower", kColumnInput, u"_x", u"Ax", 1, -1},
        {"letters/OnlyAsciiFolded", kColumnInput, u"\u042F", u"\u044F", 1, -1},
        {"letters/EqualEmpty", kColumnInput, u"", u"", 1, 0},
        {"count/ByValue", kColumnSymbols, u"5", u"12", 1, -1},
        {"count/EmptyFirst", kColumnSymbols, u"", u"5", 1, -1},
        {"count/SameLengthByText", kColumnSymbols, u"100", u"99", 1, 1},
        {"count/NegativeBeforeLonger", kColumnSymbols, u"-5", u"12", 1, -1},
        {"count/NoPaddingElsewhere", kColumnInput, u"5", u"12", 1, 1},
        {"direction/Descending", kColumnInput, u"a", u"b", -1, 1},
        {"direction/DescendingCount", kColumnSymbols, u"5", u"12", -1, 1},
    };
    for (const CompareCase& c : cases) {
        SCOPED_TRACE(c.name);
        OutputRow a = Row(c.a, c.a);
        OutputRow b = Row(c.b, c.b);
        EXPECT_EQ(Sign(CompareRows(a, b, c.column, c.direction)), c.expected);
        EXPECT_EQ(Sign(CompareRows(b, a, c.column, c.direction)), -c.expected);
    }
}

std::vector<std::u16string> Column(const OutputRowStore& store, int column) {
    std::vector<std::u16string> texts;
    for (const OutputRow& row : store.rows())
        texts.push_back(row.text(column));
    return texts;
}

TEST(OutputRowStoreTest, SortsCountsByValueBothWays) {
    OutputRowStore store;
    for (const char16_t* count : {u"12", u"", u"100", u"5"})
        store.Append(Row(u"x", count));
    store.Sort(kColumnSymbols, 1);
    EXPECT_EQ(Column(store, kColumnSymbols),
              (std::vector<std::u16string>{u"", u"5", u"12", u"100"}));
    store.Sort(kColumnSymbols, -1);
    EXPECT_EQ(Column(store, kColumnSymbols),
              (std::vector<std::u16string>{u"100", u"12", u"5", u""}));
}

TEST(OutputRowStoreTest, SortIsStableForEqualRows) {
    OutputRowStore store;
    for (const char16_t* name : {u"b.txt", u"A.txt", u"a.txt", u"B.txt"})
        store.Append(Row(name));
    store.Sort(kColumnInput, 1);
    EXPECT_EQ(Column(store, kColumnInput),
              (std::vector<std::u16string>{u"A.txt", u"a.txt", u"b.txt", u"B.txt"}));
    store.Sort(kColumnInput, -1);
    EXPECT_EQ(Column(store, kColumnInput),
              (std::vector<std::u16string>{u"b.txt", u"B.txt", u"A.txt", u"a.txt"}));
}

TEST(OutputRowStoreTest, ReasonsStayWithTheirRowsThroughSorts) {
    OutputRowStore store;
    for (const char16_t* name : {u"c", u"a", u"d", u"b"}) {
        RowData row;
        row.input = name;
        const std::u16string reason =
            name == std::u16string_view(u"a") || name == std::u16string_view(u"d")
                ? std::u16string(u"why ") + name
                : std::u16string();
        row.reason = reason;
        store.Append(row);
    }
    for (const int direction : {1, -1}) {
        store.Sort(kColumnInput, direction);
        for (std::size_t i = 0; i < store.size(); ++i) {
            const OutputRow row = store.at(i);
            const bool has = row.input == u"a" || row.input == u"d";
            EXPECT_EQ(store.reason(i), has ? u"why " + row.input : u"");
            EXPECT_EQ(row.reason, store.reason(i));
        }
    }
}

TEST(FormatStatusTest, FiveFiguresInOrderSigned) {
    BatchStats stats;
    stats.totalFiles = INT_MIN;
    stats.changedFiles = 2;
    stats.maxInputLength = 3;
    stats.maxOutputLength = 4;
    stats.exceptions = 5;
    stats.nextRow = 99;
    EXPECT_EQ(FormatStatus(stats),
              u"Total files: -2147483648 | Changed files: 2 | Average Input length: 3 | "
              u"Average Output length: 4 | Exceptions: 5");
}

}  // namespace
}  // namespace brindle
