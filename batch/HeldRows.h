#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "batch/RowData.h"

namespace brindle {

// Rows kept beyond the call that brought them (to hand them to another thread, say), in
// the order they came: their texts share one buffer, so that a row costs no allocation of
// its own, and clear() keeps the memory for the next rows.
class HeldRows {
public:
    void Add(const RowData& row);
    std::size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    // Views of the row's texts, valid until the next Add or clear.
    RowData operator[](std::size_t index) const;
    void clear();
    void swap(HeldRows& other) noexcept {
        rows_.swap(other.rows_);
        texts_.swap(other.texts_);
    }

private:
    static constexpr std::size_t kTexts = 6;
    struct Held {
        std::size_t begin = 0;  // where its first text lies in texts_
        std::uint32_t sizes[kTexts] = {};
        std::int32_t count = 0;
        RowMark mark = RowMark::Note;
        RowSuffix suffix = RowSuffix::None;
        bool countShown = true;
    };
    std::vector<Held> rows_;
    std::u16string texts_;
};

}  // namespace brindle
