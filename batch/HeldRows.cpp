#include "batch/HeldRows.h"

#include <string_view>

namespace brindle {

void HeldRows::Add(const RowData& row) {
    const std::u16string_view texts[kTexts] = {row.inputFolder, row.input,  row.output,
                                               row.folder,      row.reason, row.reasonPath};
    Held& held = rows_.emplace_back();
    held.begin = texts_.size();
    for (std::size_t i = 0; i < kTexts; ++i) {
        held.sizes[i] = static_cast<std::uint32_t>(texts[i].size());
        texts_ += texts[i];
    }
    held.count = row.count;
    held.mark = row.mark;
    held.suffix = row.suffix;
    held.countShown = row.countShown;
}

RowData HeldRows::operator[](std::size_t index) const {
    const Held& held = rows_[index];
    std::u16string_view views[kTexts];
    std::size_t at = held.begin;
    for (std::size_t i = 0; i < kTexts; ++i) {
        views[i] = std::u16string_view(texts_).substr(at, held.sizes[i]);
        at += held.sizes[i];
    }
    return RowData{.mark = held.mark,
                   .inputFolder = views[0],
                   .input = views[1],
                   .output = views[2],
                   .suffix = held.suffix,
                   .countShown = held.countShown,
                   .count = held.count,
                   .folder = views[3],
                   .reason = views[4],
                   .reasonPath = views[5]};
}

void HeldRows::clear() {
    rows_.clear();
    texts_.clear();
}

}  // namespace brindle
