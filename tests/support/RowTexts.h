#pragma once

// A row a batch or an Undo hands its host, kept as the texts it shows: the input with a
// dropped folder's path before it, the output with its suffix, the count where it is
// shown, the folder, and the reason after them with the path it is about. Header only:
// for the tests that link the batch core.

#include <string>

#include "batch/RowData.h"

namespace brindle::testing {

// A row's texts, in the order of kRowTitles.
enum RowColumn : int { kColumnInput = 0, kColumnOutput = 1, kColumnSymbols = 2, kColumnFolder = 3 };

struct Row {
    RowMark mark = RowMark::Note;
    std::u16string input;
    std::u16string output;
    std::u16string count;
    std::u16string folder;
    std::u16string reason;
    std::u16string reasonPath;

    const std::u16string& text(int column) const {
        switch (column) {
            case kColumnInput:
                return input;
            case kColumnOutput:
                return output;
            case kColumnSymbols:
                return count;
            default:
                return folder;
        }
    }
    bool operator==(const Row&) const = default;
};

inline Row TextsOf(const RowData& data) {
    Row row;
    row.mark = data.mark;
    row.input = std::u16string(data.inputFolder) + std::u16string(data.input);
    row.output = std::u16string(data.output) + std::u16string(SuffixText(data.suffix));
    if (data.countShown) {
        for (const char c : std::to_string(data.count))
            row.count.push_back(static_cast<char16_t>(c));
    }
    row.folder = data.folder;
    row.reason = data.reason;
    row.reasonPath = data.reasonPath;
    return row;
}

}  // namespace brindle::testing
