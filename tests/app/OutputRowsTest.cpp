#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/OutputRows.h"

namespace brindle {
namespace {

OutputRow Row(std::u16string input, std::u16string count = u"") {
    OutputRow row;
    row.input = std::move(input);
    row.count = std::move(count);
    return row;
}

// A row as a batch hands it over; the views must outlive the Append.
RowData Data(std::u16string_view input, std::optional<std::int32_t> count = std::nullopt) {
    RowData row;
    row.input = input;
    row.countShown = count.has_value();
    row.count = count.value_or(0);
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
    for (const std::optional<std::int32_t> count :
         {std::optional(12), std::optional<std::int32_t>(), std::optional(100), std::optional(5)})
        store.Append(Data(u"x", count));
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
        store.Append(Data(name));
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
    // The reason's own column sorts as the others: rows without one first.
    store.Sort(kColumnReason, 1);
    EXPECT_EQ(Column(store, kColumnReason),
              (std::vector<std::u16string>{u"", u"", u"why a", u"why d"}));
    EXPECT_EQ(Column(store, kColumnInput)[3], u"d");
}

// The texts the list shows are made from what the batch handed over.
TEST(OutputRowStoreTest, TextsOfARow) {
    struct Case {
        const char* name;
        RowData row;
        OutputRow texts;
    };
    // RowData: mark, input folder, input, output, suffix, count shown, count, folder, reason,
    // the reason's path (for a line of its own: no text of the list's).
    const Case cases[] = {
        {"item/Renamed",
         {RowMark::Note, u"", u"A.TXT", u"a.txt", RowSuffix::None, true, 5, u"/w/", u""},
         {kImageExclamation, u"A.TXT", u"a.txt", u"5", u"/w/", u""}},
        {"item/DroppedFolderShowsItsPath",
         {RowMark::Note, u"/w/", u"D", u"d", RowSuffix::None, true, 0, u"/w/", u""},
         {kImageExclamation, u"/w/D", u"d", u"0", u"/w/", u""}},
        {"item/ReadOnly",
         {RowMark::Note, u"", u"R", u"r", RowSuffix::ReadOnly, true, -3, u"", u""},
         {kImageExclamation, u"R", u"r(Read Only)", u"-3", u"", u""}},
        {"undo/ErrorWithItsReason",
         {RowMark::Error, u"", u"b", u"a", RowSuffix::ErrorOpening, false, 0, u"/w/", u"why",
          u"/w/b"},
         {kImageCross, u"b", u"aError opening file", u"", u"/w/", u"why"}},
        {"item/FailedWithItsReason",
         {RowMark::Note, u"", u"A", u"(Unknown Error Aquired)", RowSuffix::None, true, 0, u"/w/",
          u"Permission denied", u"/w/A"},
         {kImageExclamation, u"A", u"(Unknown Error Aquired)", u"0", u"/w/", u"Permission denied"}},
    };
    OutputRowStore store;
    for (const Case& c : cases)
        store.Append(c.row);
    ASSERT_EQ(store.size(), std::size(cases));
    for (std::size_t i = 0; i < store.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        EXPECT_EQ(store.at(i), cases[i].texts);
        EXPECT_EQ(store.image(i), cases[i].texts.image);
        EXPECT_EQ(store.text(i, kColumnReason), cases[i].texts.reason);
    }
}

}  // namespace
}  // namespace brindle
