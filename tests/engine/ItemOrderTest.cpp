// The order a batch numbers its items in and the counter that follows it: {n}'s
// arguments with their mistakes, the positions of keyed items (ties, items without a
// value, reversed), the mistakes of an order written in braces, and "Order" read from the
// configuration file.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

#include "engine/ConfigFile.h"
#include "engine/ItemOrder.h"
#include "engine/NameStage.h"
#include "engine/PatternCreator.h"
#include "engine/SelectionCheck.h"
#include "platform/NameCodec.h"
#include "tests/support/TempFolder.h"

namespace brindle {

void PrintTo(const PatternError& error, std::ostream* out) {
    *out << "character " << error.character << ": " << EncodeName(error.reason);
}

namespace {

using testing::TempFolder;

std::string N(std::u16string_view text) {
    return EncodeName(text);
}

// The names {n:argument} gives the items at these places of the batch and their folder.
std::vector<std::u16string> Counted(std::u16string_view pattern,
                                    const std::vector<std::pair<int, int>>& places) {
    ParsedPattern parsed = ParseNamePattern(pattern);
    EXPECT_EQ(parsed.error, std::nullopt) << N(pattern);
    std::vector<std::u16string> names;
    for (const auto& [inBatch, inFolder] : places) {
        ItemFacts item(u"/f/", u"a.txt");
        item.setPosition(inBatch, inFolder);
        NameCounters counters;
        std::u16string out;
        parsed.pattern.Build(u"a", u"", item, counters, out);
        names.push_back(out);
    }
    return names;
}

TEST(ItemOrderTest, CounterArgumentsInAnyOrder) {
    struct Row {
        std::u16string pattern;
        std::vector<std::u16string> names;  // at (1,1), (2,1), (3,2), (4,1)
    };
    const Row rows[] = {
        {u"{n}", {u"1", u"2", u"3", u"4"}},
        {u"{n:3}", {u"001", u"002", u"003", u"004"}},
        {u"{n:start=10,step=5}", {u"10", u"15", u"20", u"25"}},
        {u"{n:step=5,3,start=10}", {u"010", u"015", u"020", u"025"}},
        {u"{n:step=-2,start=3}", {u"3", u"1", u"-1", u"-3"}},
        {u"{n:2,step=-2,start=3}", {u"03", u"01", u"-01", u"-03"}},
        {u"{n:per-folder}", {u"1", u"1", u"2", u"1"}},
        {u"{n:per-folder,start=0,2}", {u"00", u"00", u"01", u"00"}},
        {u"x{n:start=-1}y", {u"x-1y", u"x0y", u"x1y", u"x2y"}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Counted(row.pattern, {{1, 1}, {2, 1}, {3, 2}, {4, 1}}), row.names)
            << N(row.pattern);
}

TEST(ItemOrderTest, CounterMistakesAreMistakesOfThePatternAtTheirArgument) {
    const std::u16string kForm =
        u"\"n\" takes a width, start=INT, step=INT and per-folder, each once and separated "
        u"by ',', such as {n:3,start=10,step=5}";
    struct Row {
        std::u16string pattern;
        std::size_t character;
        std::u16string reason;
    };
    const Row rows[] = {
        {u"{n:step=0}", 4, u"\"n\" counts with a step other than 0"},
        {u"ab{n:3,step=0}", 6, u"\"n\" counts with a step other than 0"},
        {u"{n:3,wide}", 4, kForm},
        {u"{n:3,4}", 4, kForm},
        {u"{n:start=1,start=2}", 4, kForm},
        {u"{n:per-folder,per-folder}", 4, kForm},
        {u"{n:step=}", 4, kForm},
        {u"{n:3,}", 4, kForm},
        {u"{n:21}", 4, u"\"n\" pads to at most 20 digits"},
        {u"{n:}", 4, kForm},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(N(row.pattern));
        EXPECT_EQ(ParseNamePattern(row.pattern).error, (PatternError{row.character, row.reason}));
    }
}

ItemOrder MakeOrder(NameOrder order, bool reverse) {
    RenameSettings settings;
    settings.order = order;
    settings.reverseOrder = reverse;
    return std::get<ItemOrder>(ItemOrder::Make(settings));
}

OrderValue NumberValue(std::int64_t high) {
    OrderValue value;
    value.kind = OrderValue::Kind::Number;
    value.high = high;
    return value;
}

TEST(ItemOrderTest, EqualKeysInNaturalOrderAndItemsWithoutAValueLast) {
    // Listed in neither natural nor key order; -1: no value.
    const std::vector<std::u16string_view> names = {u"f10", u"F2", u"f1", u"e", u"d", u"c", u"b9"};
    const std::vector<std::int64_t> keys = {5, 3, 5, -1, 3, -1, 9};
    std::vector<OrderValue> values;
    for (const std::int64_t key : keys)
        values.push_back(key < 0 ? OrderValue{} : NumberValue(key));
    struct Row {
        NameOrder order;
        bool reverse;
        std::vector<std::u16string_view> expected;
    };
    const Row rows[] = {
        {NameOrder::Size, false, {u"d", u"F2", u"f1", u"f10", u"b9", u"c", u"e"}},
        {NameOrder::Size, true, {u"b9", u"f1", u"f10", u"d", u"F2", u"c", u"e"}},
        {NameOrder::Natural, false, {u"b9", u"c", u"d", u"e", u"f1", u"F2", u"f10"}},
        {NameOrder::Natural, true, {u"f10", u"F2", u"f1", u"e", u"d", u"c", u"b9"}},
        {NameOrder::None, true, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.order) * 2 + row.reverse);
        const ItemOrder order = MakeOrder(row.order, row.reverse);
        std::vector<std::u16string_view> got;
        for (const std::size_t at :
             order.Indices(names, order.keyed() ? values : decltype(values){}))
            got.push_back(names[at]);
        if (row.order == NameOrder::None) {
            // As listed, turned round.
            EXPECT_EQ(got, (std::vector<std::u16string_view>(names.rbegin(), names.rend())));
            continue;
        }
        EXPECT_EQ(got, row.expected);
    }
}

TEST(ItemOrderTest, AnOrderByTokensIsTokensInBracesWithoutACounter) {
    const std::u16string kBraces = u"an order by tokens is written in braces, such as {taken}";
    const std::u16string kCounter =
        u"a counter numbers the items in the order: it cannot order them";
    const std::u16string kOnlyTokens =
        u"an order by tokens holds tokens and text, no escapes, and names a token";
    struct Row {
        std::u16string text;
        std::optional<PatternError> mistake;
    };
    const Row rows[] = {
        {u"{exif.model}{taken}", std::nullopt},
        {u"{tag.track:3} - {tag.title}", std::nullopt},
        {u"{taken|modified:%Y}", std::nullopt},
        {u"taken", PatternError{1, kBraces}},
        {u"{taken", PatternError{1, kBraces}},
        {u"{taken}x", PatternError{1, kBraces}},
        {u"", PatternError{1, kBraces}},
        {u"{n}", PatternError{1, kCounter}},
        {u"{taken}{n:3}", PatternError{1, kCounter}},
        {u"{taken}/1{size}", PatternError{1, kCounter}},
        {u"{/1}", PatternError{1, kCounter}},
        {u"{taken}/O{size}", PatternError{1, kOnlyTokens}},
        {u"{nope}", PatternError{1, kOnlyTokens}},
        {u"{taken}{exif.model:x}", PatternError{20, u"\"exif.model\" takes no argument"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(N(row.text));
        EXPECT_EQ(OrderExpressionMistake(row.text),
                  row.mistake ? std::optional(OrderMistakeText(*row.mistake)) : std::nullopt);
        // A batch with the order is refused with the same words.
        RenameSettings settings;
        settings.order = NameOrder::Expression;
        settings.orderExpression = row.text;
        EXPECT_EQ(SelectionMistake(settings), OrderExpressionMistake(row.text));
    }
    EXPECT_EQ(OrderMistakeText({5, u"why"}), u"The order has a mistake at character 5: why.");
}

TEST(ItemOrderTest, OrderIsReadFromTheConfigurationFile) {
    struct Row {
        const char* line;
        NameOrder order;
        std::u16string expression;
    };
    const Row rows[] = {
        {"Order = {exif.model}{taken}", NameOrder::Expression, u"{exif.model}{taken}"},
        {"Order = \"{tag.track:3} {tag.title}\"", NameOrder::Expression,
         u"{tag.track:3} {tag.title}"},
        {"Order = size", NameOrder::Size, u""},
        {"Order = Taken", NameOrder::Taken, u""},
        // A value that orders nothing falls back to the natural order.
        {"Order = {n}", NameOrder::Natural, u""},
        {"Order = {taken", NameOrder::Natural, u""},
        {"Order = biggest", NameOrder::Natural, u""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        TempFolder folder;
        folder.createFile("Brindle.ini", std::string("[config]\n") + row.line + "\n");
        RenameSettings options;
        LoadConfigOptions(options, folder.folder() + u"Brindle.ini");
        EXPECT_EQ(options.order, row.order);
        EXPECT_EQ(options.orderExpression, row.expression);
        EXPECT_EQ(SelectionMistake(options), std::nullopt);
    }
}

}  // namespace
}  // namespace brindle
