// The name filter: globs against whole names with simple case folding, regular
// expressions searched anywhere, include and exclude together, and the mistakes with the
// characters they are at.
#include "engine/NameFilter.h"

#include <gtest/gtest.h>

#include <string>

namespace brindle {
namespace {

std::string Narrow(std::u16string_view text) {
    std::string out;
    for (const char16_t c : text)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

NameFilter Parsed(std::u16string_view include, std::u16string_view exclude) {
    auto result = NameFilter::Parse(include, exclude);
    if (const auto* error = std::get_if<FilterError>(&result))
        ADD_FAILURE() << Narrow(include) << " / " << Narrow(exclude) << ": "
                      << Narrow(error->reason);
    return std::get<NameFilter>(std::move(result));
}

TEST(NameFilterTest, Takes) {
    struct Row {
        std::u16string include, exclude, name;
        bool taken;
    };
    const Row rows[] = {
        {u"", u"", u"anything", true},
        {u"*.jpg", u"", u"a.JPG", true},
        {u"*.jpg", u"", u"a.jpeg", false},
        {u"*.jpg", u"", u"a.jpg.txt", false},
        {u"*.jpg;*.jpeg", u"", u"a.jpeg", true},
        {u";;*.jpg;", u"", u"a.jpg", true},
        {u"*", u"", u".hidden", true},
        {u"*", u"", u"", true},
        {u"a*b*c", u"", u"aXbYbZc", true},
        {u"a*b*c", u"", u"aXbYcZ", false},
        {u"?.txt", u"", u"\U0001F600.txt", true},
        {u"??.txt", u"", u"\U0001F600.txt", false},
        {u"[abc]1", u"", u"B1", true},
        {u"[a-c]1", u"", u"d1", false},
        {u"[A-Z]1", u"", u"q1", true},
        {u"[!a-c]1", u"", u"d1", true},
        {u"[^a-c]1", u"", u"a1", false},
        {u"[]x]", u"", u"]", true},
        {u"[a-]", u"", u"-", true},
        {u"\\*.txt", u"", u"*.txt", true},
        {u"\\*.txt", u"", u"a.txt", false},
        {u"a\\;b", u"", u"a;b", true},
        {u"\\", u"", u"\\", true},
        {u"\u00C9t\u00E9", u"", u"\u00E9T\u00C9", true},
        {u"stra\u00DFe", u"", u"strasse", false},
        {u"\u03A3", u"", u"\u03C2", true},  // final sigma folds with capital sigma
        {u" a", u"", u"a", false},
        {u" a", u"", u" A", true},
        {u"*.jpg", u"thumb*", u"thumb1.jpg", false},
        {u"*.jpg", u"thumb*", u"photo.jpg", true},
        {u"", u"*.tmp;*~", u"notes~", false},
        {u"", u"*.tmp;*~", u"notes", true},
        {u"re:\\d{4}", u"", u"IMG 2024 x.png", true},
        {u"re:^\\d{4}", u"", u"IMG 2024 x.png", false},
        {u"re:JPE?G$", u"", u"a.jpeg", true},
        {u"re:\u00E9", u"", u"\u00C9.txt", true},
        {u"re:^.$", u"", u"\U0001F600", true},
        {u"re:a\\;b", u"", u"xa;b", true},
        {u"*.png", u"re:^draft", u"Draft 1.png", false},
        {u"re:(a+)+$", u"", u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa!", false},
    };
    for (const Row& row : rows) {
        const NameFilter filter = Parsed(row.include, row.exclude);
        EXPECT_EQ(filter.Takes(row.name), row.taken)
            << Narrow(row.include) << " / " << Narrow(row.exclude) << " on " << Narrow(row.name);
        // Matching again reuses what the first match left: the same answer.
        EXPECT_EQ(filter.Takes(row.name), row.taken);
    }
    EXPECT_TRUE(Parsed(u";;", u"").TakesAll());
    EXPECT_FALSE(Parsed(u"", u"a").TakesAll());
}

TEST(NameFilterTest, Mistakes) {
    struct Row {
        std::u16string include, exclude;
        FilterError error;
    };
    const Row rows[] = {
        {u"*.jpg;[ab", u"", {7, u"'[' is not closed by ']'", false}},
        {u"[]", u"", {1, u"'[' is not closed by ']'", false}},
        {u"\U0001F600[", u"", {2, u"'[' is not closed by ']'", false}},
        {u"", u"a;[z-a]", {4, u"the range runs backwards", true}},
        {u"x;re:", u"", {3, u"the regular expression is empty", false}},
        {u"\U0001F600;re:(a", u"", {8, u"missing closing parenthesis", false}},
        {u"[", u"[", {1, u"'[' is not closed by ']'", false}},
    };
    for (const Row& row : rows) {
        const auto result = NameFilter::Parse(row.include, row.exclude);
        const auto* error = std::get_if<FilterError>(&result);
        ASSERT_NE(error, nullptr) << Narrow(row.include) << " / " << Narrow(row.exclude);
        EXPECT_EQ(*error, row.error) << Narrow(row.include) << " / " << Narrow(row.exclude) << ": "
                                     << error->character << " " << Narrow(error->reason);
    }
}

}  // namespace
}  // namespace brindle
