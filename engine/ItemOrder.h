#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "engine/NameStage.h"
#include "engine/PatternCreator.h"
#include "engine/RenameSettings.h"
#include "platform/HeldFacts.h"

namespace brindle {

// One item's key in a keyed order: two numbers compared in turn (a size; a time's seconds
// and nanoseconds), or a text compared in natural order, or nothing: the item has no value
// for the key.
struct OrderValue {
    enum class Kind : std::uint8_t { None, Number, Text };
    Kind kind = Kind::None;
    std::int64_t high = 0;
    std::int64_t low = 0;
    // The text's natural sort key (NaturalOrder.h).
    std::string text;

    bool has() const { return kind != Kind::None; }
};

// The order a batch renames its items in, as its options choose it: by name (natural, by
// bytes, or as listed), or by a key each item gives. Made once for a batch.
class ItemOrder {
public:
    // The order of `settings`, or the mistake in its expression.
    static std::variant<ItemOrder, PatternError> Make(const RenameSettings& settings);

    NameOrder order() const { return order_; }
    bool reverse() const { return reverse_; }
    // Whether each item gives a key of its own (its times, size, extension, or what the
    // expression gives): then ValueOf is asked for each.
    bool keyed() const;
    // What the key reads from inside the files; nothing for a key that reads nothing there.
    HeldFactsNeeds needs() const;
    // Whether the key is read from the entry's statx (its times or size).
    bool readsTimes() const;

    // The item's key. A folder has no size, no extension and no date taken.
    OrderValue ValueOf(const ItemFacts& item, bool isFolder) const;

    // The positions of the items in this order, given their names and (for a keyed order)
    // their keys: equal keys in natural name order, items without a value last in natural
    // name order whether or not the order is reversed. Names of equal bytes keep their
    // given order. "None" keeps the given order (turned round when reversed).
    std::vector<std::size_t> Indices(const std::vector<std::u16string_view>& names,
                                     const std::vector<OrderValue>& values) const;

private:
    NameOrder order_ = NameOrder::Natural;
    bool reverse_ = false;
    // The expression, for Taken and Expression.
    std::optional<NamePattern> expression_;
};

// Why `text`, an order written as tokens in braces, cannot order items; nullopt when it
// can. The whole text must be '{' ... '}', name at least one token, and have no counter.
std::optional<std::u16string> OrderExpressionMistake(std::u16string_view text);

// "The order has a mistake at character 5: <reason>."
std::u16string OrderMistakeText(const PatternError& error);

}  // namespace brindle
