#include "engine/NaturalOrder.h"

#include <gtest/gtest.h>
#include <unicode/uchar.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "engine/TextOps.h"
#include "platform/NameCodec.h"

namespace brindle {
namespace {

struct CompareRow {
    const char* name;
    std::u16string first;  // sorts strictly before `second`
    std::u16string second;
};

const CompareRow kBefore[] = {
    {"digits/ByValue", u"file2.txt", u"file10.txt"},
    {"digits/AtTheStart", u"9 lives", u"10 lives"},
    {"digits/Longer", u"a99", u"a100"},
    {"digits/PastSixtyFourBits", u"x18446744073709551615", u"x18446744073709551616"},
    {"digits/FarPastSixtyFourBits", u"x99999999999999999999999999999",
     u"x100000000000000000000000000000"},
    {"digits/SameLengthDigitByDigit", u"v123456789012345678901234567890",
     u"v123456789012345678901234567891"},
    {"zeros/FewerFirst", u"a1", u"a01"},
    {"zeros/ValueBeforeZeros", u"a009", u"a10"},
    {"zeros/ZeroItself", u"a0", u"a00"},
    {"zeros/NothingButZerosBeforeOne", u"a000", u"a1"},
    {"zeros/DecideWhereTheyStand", u"a1c", u"a01b"},
    {"case/FoldedFirst", u"apple", u"Banana"},
    {"case/FoldedSecond", u"Banana", u"cherry"},
    {"case/LaterRunsBeforeBytes", u"b2", u"B10"},
    {"case/MixedWithNumbers", u"IMG_2.jpg", u"img_10.JPG"},
    {"runs/DigitBeforeText", u"1abc", u"abc"},
    {"runs/DigitBeforeTextInside", u"x1.txt", u"x.txt"},
    {"runs/ShorterTextRunFirst", u"a1", u"a_"},
    {"runs/PrefixFirst", u"a", u"a1"},
    {"runs/PrefixFirstAgain", u"a1", u"a1b"},
    {"runs/EmptyFirst", u"", u"0"},
    {"fold/CyrillicIgnoresCase", u"арбуз", u"Банан"},
    {"fold/GreekIgnoresCase", u"αλφα", u"ΒΗΤΑ"},
    {"fold/DiacriticsAreOtherLetters", u"z", u"é"},
    {"codePoints/NotCodeUnits", u"\uFFFD", u"\U00010400"},
    {"codePoints/EscapesAboveAscii", u"z", u"\xDC80"},
    {"digits/OnlyAsciiDigitsAreNumbers", u"2", u"\u0663"},
    {"digits/FullwidthIsText", u"10", u"\uFF12"},
};

// Equal folds: the bytes decide.
const CompareRow kTies[] = {
    {"ties/BytesDecide", u"A.txt", u"a.txt"},
    {"ties/BytesDecideNonAscii", u"Éclair", u"éclair"},
    {"ties/SharpS", u"ß", u"\u1E9E"},
    {"ties/FinalSigma", u"Σ", u"ς"},
};

int Sign(int value) {
    return (value > 0) - (value < 0);
}

TEST(NaturalOrderTest, ComparesNames) {
    for (const auto& row : kBefore) {
        SCOPED_TRACE(row.name);
        EXPECT_LT(CompareNatural(row.first, row.second), 0);
        EXPECT_GT(CompareNatural(row.second, row.first), 0);
        EXPECT_LT(NaturalSortKey(row.first), NaturalSortKey(row.second)) << "key";
    }
    for (const auto& row : kTies) {
        SCOPED_TRACE(row.name);
        EXPECT_LT(CompareNatural(row.first, row.second), 0);
        EXPECT_GT(CompareNatural(row.second, row.first), 0);
        EXPECT_EQ(NaturalSortKey(row.first), NaturalSortKey(row.second)) << "key";
    }
}

TEST(NaturalOrderTest, EqualOnlyForTheSameBytes) {
    const std::u16string names[] = {u"", u"a", u"A", u"a1", u"a01", u"ß", u"\xDCFF"};
    for (const auto& a : names) {
        for (const auto& b : names)
            EXPECT_EQ(CompareNatural(a, b) == 0, a == b);
    }
}

// The rule written out plainly, run by run, to check the key-based comparison against.
struct Run {
    bool digits;
    std::u16string text;
};

std::vector<Run> Runs(std::u16string_view name) {
    std::vector<Run> runs;
    for (char16_t c : name) {
        const bool digit = c >= u'0' && c <= u'9';
        if (runs.empty() || runs.back().digits != digit)
            runs.push_back({digit, {}});
        runs.back().text += c;
    }
    return runs;
}

std::u32string Folded(std::u16string_view text) {
    std::u32string folded;
    for (std::size_t i = 0; i < text.size();) {
        const CodePoint c = CodePointAt(text, i);
        folded += static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c.value), 0));
        i += c.units;
    }
    return folded;
}

int CompareRuns(const Run& a, const Run& b) {
    if (a.digits != b.digits)
        return a.digits ? -1 : 1;
    if (!a.digits)
        return Sign(Folded(a.text).compare(Folded(b.text)));
    const auto value = [](const std::u16string& digits) {
        return digits.substr(std::min(digits.find_first_not_of(u'0'), digits.size()));
    };
    const std::u16string x = value(a.text), y = value(b.text);
    if (x.size() != y.size())
        return x.size() < y.size() ? -1 : 1;
    if (x != y)
        return x < y ? -1 : 1;
    return Sign(static_cast<int>(a.text.size()) - static_cast<int>(b.text.size()));
}

int ReferenceCompare(std::u16string_view a, std::u16string_view b) {
    const std::vector<Run> x = Runs(a), y = Runs(b);
    for (std::size_t i = 0; i < x.size() && i < y.size(); ++i) {
        if (const int order = CompareRuns(x[i], y[i]))
            return order;
    }
    if (x.size() != y.size())
        return x.size() < y.size() ? -1 : 1;
    return Sign(EncodeName(a).compare(EncodeName(b)));
}

std::vector<std::u16string> RandomNames(std::size_t count, unsigned seed) {
    // Few characters, so that names share prefixes and runs tie often.
    const std::u16string pieces[] = {
        u"0",      u"1",          u"00",         u"9",      u"a",      u"A", u"b", u".",
        u"_",      u"é",          u"É",          u"ß",      u"ẞ",      u"σ", u"ς", u"Σ",
        u"\xDCFF", u"\U00010400", u"\U00010428", u"\uFFFD", u"\u0663", u" "};
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> length(0, 6);
    std::uniform_int_distribution<std::size_t> piece(0, std::size(pieces) - 1);
    std::vector<std::u16string> names;
    for (std::size_t i = 0; i < count; ++i) {
        std::u16string name;
        for (int n = length(random); n > 0; --n)
            name += pieces[piece(random)];
        names.push_back(std::move(name));
    }
    return names;
}

TEST(NaturalOrderTest, AgreesWithTheRuleRunByRun) {
    const std::vector<std::u16string> names = RandomNames(3000, 7);
    int disagreements = 0;
    for (std::size_t i = 0; i + 1 < names.size(); ++i) {
        for (std::size_t j = i + 1; j < names.size() && j < i + 40; ++j) {
            if (Sign(CompareNatural(names[i], names[j])) != ReferenceCompare(names[i], names[j]) &&
                ++disagreements < 10) {
                ADD_FAILURE() << EncodeName(names[i]) << " | " << EncodeName(names[j]);
            }
        }
    }
    EXPECT_EQ(disagreements, 0);
}

TEST(NaturalOrderTest, SortingGivesATotalOrder) {
    const std::vector<std::u16string> names = RandomNames(2000, 11);
    const std::vector<std::u16string_view> views(names.begin(), names.end());
    const std::vector<std::size_t> order = NameOrderIndices(views, NameOrder::Natural);
    ASSERT_EQ(order.size(), names.size());
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        const int sign = ReferenceCompare(names[order[i]], names[order[i + 1]]);
        EXPECT_LE(sign, 0);
        if (sign == 0) {
            EXPECT_LT(order[i], order[i + 1]) << "equal names keep their given order";
        }
    }
}

TEST(NaturalOrderTest, TheThreeOrders) {
    const std::vector<std::u16string> names = {u"x10", u"b", u"X9", u"\xDCFF", u"é", u"a", u"B"};
    const std::vector<std::u16string_view> views(names.begin(), names.end());
    const auto named = [&](NameOrder order) {
        std::vector<std::u16string> result;
        for (std::size_t i : NameOrderIndices(views, order))
            result.push_back(names[i]);
        return result;
    };
    EXPECT_EQ(named(NameOrder::Natural),
              (std::vector<std::u16string>{u"a", u"B", u"b", u"X9", u"x10", u"é", u"\xDCFF"}));
    // By the bytes on disk: the escape is the single byte 0xFF, after 'é' (0xC3 0xA9).
    EXPECT_EQ(named(NameOrder::Bytes),
              (std::vector<std::u16string>{u"B", u"X9", u"a", u"b", u"x10", u"é", u"\xDCFF"}));
    EXPECT_EQ(named(NameOrder::None), names);
}

// Names whose keys are longest for their length: one code unit to a run, U+FFFF taking
// four key bytes. Under the address sanitizer a key written past its room shows.
TEST(NaturalOrderTest, LongestKeysFitTheirRoom) {
    std::u16string alternating, longDigits(300, u'7');
    for (int i = 0; i < 200; ++i)
        alternating += i % 2 == 0 ? u'\uFFFF' : u'1';
    longDigits = u"\uFFFF" + std::u16string(300, u'0') + longDigits;
    const std::vector<std::u16string> names = {alternating, longDigits, u"\uFFFF",
                                               u"\xDFFF"
                                               u"1"};
    for (const std::u16string& name : names)
        EXPECT_LE(NaturalSortKey(name).size(), 6 * name.size() + 18);
    const std::vector<std::u16string_view> views(names.begin(), names.end());
    const std::vector<std::size_t> order = NameOrderIndices(views, NameOrder::Natural);
    EXPECT_EQ(order, (std::vector<std::size_t>{3, 2, 0, 1}));
}

TEST(NaturalOrderTest, FolderEntriesKeepTheirKind) {
    FolderListing entries;
    entries.Add(u"file10", false, 0);
    entries.Add(u"Dir2", true, 0);
    entries.Add(u"file9", false, 0);
    OrderFolderEntries(entries, NameOrder::Natural);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, u"Dir2");
    EXPECT_TRUE(entries[0].isFolder);
    EXPECT_EQ(entries[1].name, u"file9");
    EXPECT_FALSE(entries[1].isFolder);
    EXPECT_EQ(entries[2].name, u"file10");
}

}  // namespace
}  // namespace brindle
