#pragma once

#include <string>
#include <vector>

#include "engine/BatchStats.h"

namespace brindle {

// Images of the Output Log's three-image strip.
enum RowImage : int { kImageCheck = 0, kImageExclamation = 1, kImageCross = 2 };

// Column indexes of the Output Log.
enum OutputColumn : int {
    kColumnInput = 0,
    kColumnOutput = 1,
    kColumnCount = 2,
    kColumnFolder = 3
};

struct OutputRow {
    int image = kImageExclamation;
    std::u16string input;   // "Input File"
    std::u16string output;  // "Output File (Exceptions)"
    std::u16string count;   // "#"
    std::u16string folder;  // "Folder (New Folder)"

    const std::u16string& text(int column) const;
    bool operator==(const OutputRow&) const = default;
};

// Negative, zero or positive, as the rows compare on `column`, times `direction`
// (1 ascending, -1 descending). Column "#" pads both texts on the left with '-' to the
// longer length; letters A-Z equal a-z; other characters compare by code; a prefix
// comes first.
int CompareRows(const OutputRow& a, const OutputRow& b, int column, int direction);

// The rows of the Output Log, in list order. Rows are only appended at the end or
// removed all at once; a sort reorders the store itself, stably.
class OutputRowStore {
public:
    void Append(OutputRow row) { rows_.push_back(std::move(row)); }
    void Clear() { rows_.clear(); }
    std::size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    const OutputRow& at(std::size_t index) const { return rows_.at(index); }
    const std::vector<OutputRow>& rows() const { return rows_; }
    void Sort(int column, int direction);

private:
    std::vector<OutputRow> rows_;
};

// "Total files: %i | Changed files: %i | Average Input length: %i | Average Output
// length: %i | Exceptions: %i"
std::u16string FormatStatus(const BatchStats& stats);
// The same text into `out`, reusing its capacity: the status is formatted per item.
void FormatStatus(const BatchStats& stats, std::u16string& out);

}  // namespace brindle
