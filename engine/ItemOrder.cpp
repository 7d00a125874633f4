#include "engine/ItemOrder.h"

#include <algorithm>

#include "engine/NaturalOrder.h"

namespace brindle {

namespace {

// The date taken as digits, most significant first: natural order then orders the dates.
constexpr std::u16string_view kTakenKey = u"{taken:%Y%m%d%H%M%S}";

OrderValue Number(std::int64_t high, std::int64_t low = 0) {
    OrderValue value;
    value.kind = OrderValue::Kind::Number;
    value.high = high;
    value.low = low;
    return value;
}

OrderValue Text(std::u16string_view text) {
    OrderValue value;
    value.kind = OrderValue::Kind::Text;
    value.text = NaturalSortKey(text);
    return value;
}

OrderValue Time(bool has, const WallTime& time) {
    return has ? Number(time.seconds, time.nanoseconds) : OrderValue{};
}

int Compare(const OrderValue& a, const OrderValue& b) {
    if (a.kind == OrderValue::Kind::Number) {
        if (a.high != b.high)
            return a.high < b.high ? -1 : 1;
        if (a.low != b.low)
            return a.low < b.low ? -1 : 1;
        return 0;
    }
    const int byText = a.text.compare(b.text);
    return byText < 0 ? -1 : (byText > 0 ? 1 : 0);
}

std::optional<PatternError> ExpressionError(std::u16string_view text) {
    if (text.size() < 2 || text.front() != u'{' || text.back() != u'}')
        return PatternError{1, u"an order by tokens is written in braces, such as {taken}"};
    ParsedPattern parsed = ParseNamePattern(text);
    if (parsed.error)
        return std::move(parsed.error);
    if (parsed.pattern.HasCounter())
        return PatternError{1, u"a counter numbers the items in the order: it cannot order them"};
    if (!parsed.pattern.OnlyTokensAndText())
        return PatternError{1,
                            u"an order by tokens holds tokens and text, no escapes, and "
                            u"names a token"};
    return std::nullopt;
}

}  // namespace

std::optional<std::u16string> OrderExpressionMistake(std::u16string_view text) {
    if (auto error = ExpressionError(text))
        return OrderMistakeText(*error);
    return std::nullopt;
}

std::u16string OrderMistakeText(const PatternError& error) {
    return MistakeAtText(u"The order", error.character, error.reason);
}

std::variant<ItemOrder, PatternError> ItemOrder::Make(const RenameSettings& settings) {
    ItemOrder made;
    made.order_ = settings.order;
    made.reverse_ = settings.reverseOrder;
    std::u16string_view expression;
    if (made.order_ == NameOrder::Taken) {
        expression = kTakenKey;
    } else if (made.order_ == NameOrder::Expression) {
        expression = settings.orderExpression;
        if (auto error = ExpressionError(expression))
            return std::move(*error);
    }
    if (!expression.empty())
        made.expression_ = std::move(ParseNamePattern(expression).pattern);
    return made;
}

bool ItemOrder::keyed() const {
    return order_ != NameOrder::Natural && order_ != NameOrder::Bytes && order_ != NameOrder::None;
}

HeldFactsNeeds ItemOrder::needs() const {
    return expression_ ? expression_->Needs() : HeldFactsNeeds{};
}

bool ItemOrder::readsTimes() const {
    return order_ == NameOrder::Modified || order_ == NameOrder::Created ||
           order_ == NameOrder::Size;
}

OrderValue ItemOrder::ValueOf(const ItemFacts& item, bool isFolder) const {
    switch (order_) {
        case NameOrder::Natural:
        case NameOrder::Bytes:
        case NameOrder::None:
            return {};
        case NameOrder::Modified:
            return Time(item.times().hasModified, item.times().modified);
        case NameOrder::Created:
            return Time(item.times().hasBirth, item.times().birth);
        case NameOrder::Size:
            if (isFolder || !item.times().hasSize)
                return {};
            return Number(static_cast<std::int64_t>(item.times().size));
        case NameOrder::Extension: {
            const std::u16string_view name = item.nameOnDisk();
            const std::size_t dot = name.rfind(u'.');
            // A leading dot makes a hidden name, not an extension.
            if (isFolder || dot == std::u16string_view::npos || dot == 0 || dot + 1 == name.size())
                return {};
            return Text(name.substr(dot + 1));
        }
        case NameOrder::Taken:
            if (isFolder)
                return {};
            [[fallthrough]];
        case NameOrder::Expression: {
            std::u16string out;
            NameCounters counters;
            expression_->Build(u"", u"", item, counters, out);
            if (!item.noValue().empty())
                return {};
            return Text(out);
        }
    }
    return {};
}

std::vector<std::size_t> ItemOrder::Indices(const std::vector<std::u16string_view>& names,
                                            const std::vector<OrderValue>& values) const {
    if (!keyed()) {
        std::vector<std::size_t> indices = NameOrderIndices(names, order_);
        if (reverse_)
            std::reverse(indices.begin(), indices.end());
        return indices;
    }
    // From natural order, so that a stable sort leaves equal keys in it.
    std::vector<std::size_t> indices = NameOrderIndices(names, NameOrder::Natural);
    std::stable_sort(indices.begin(), indices.end(), [&](std::size_t x, std::size_t y) {
        const OrderValue& a = values[x];
        const OrderValue& b = values[y];
        if (!a.has() || !b.has())
            return a.has() && !b.has();
        const int c = Compare(a, b);
        return reverse_ ? c > 0 : c < 0;
    });
    return indices;
}

}  // namespace brindle
