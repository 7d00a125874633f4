#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "batch/RowData.h"

namespace brindle {

// Images of the Output Log's three-image strip.
enum RowImage : int { kImageCheck = 0, kImageExclamation = 1, kImageCross = 2 };

// The image of a row of a batch or an Undo: the exclamation mark for a note, the cross for
// an error.
int ImageOf(RowMark mark);

// Column indexes of the Output Log, in the order of kRowTitles.
enum OutputColumn : int {
    kColumnInput = 0,    // "Input File"
    kColumnOutput = 1,   // "Output File (Exceptions)"
    kColumnSymbols = 2,  // "#", the symbol count
    kColumnFolder = 3,   // "Folder (New Folder)"
    kColumnReason = 4    // "Reason", after the design's columns
};

// A row's texts as the list shows them.
struct OutputRow {
    int image = kImageExclamation;
    std::u16string input;   // "Input File"
    std::u16string output;  // "Output File (Exceptions)"
    std::u16string count;   // "#"
    std::u16string folder;  // "Folder (New Folder)"
    std::u16string reason;  // "Reason": RowData::reason

    const std::u16string& text(int column) const;
    bool operator==(const OutputRow&) const = default;
};

// Negative, zero or positive, as the rows compare on `column`, times `direction`
// (1 ascending, -1 descending). Column "#" pads both texts on the left with '-' to the
// longer length; letters A-Z equal a-z; other characters compare by code; a prefix
// comes first.
int CompareRows(const OutputRow& a, const OutputRow& b, int column, int direction);

// The rows of the Output Log, in list order, kept compactly: the texts in blocks, each
// folder once, the count as a number; a row's texts are made when they are read. Rows are
// only appended at the end or removed all at once; a sort reorders the store itself,
// stably.
class OutputRowStore {
public:
    OutputRowStore();
    ~OutputRowStore();
    OutputRowStore(OutputRowStore&&) noexcept;
    OutputRowStore& operator=(OutputRowStore&&) noexcept;

    void Append(const RowData& row);
    void Clear();
    std::size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    OutputRow at(std::size_t index) const;
    std::u16string text(std::size_t index, int column) const;
    int image(std::size_t index) const { return rows_.at(index).image; }
    // The row's reason; empty for most rows.
    std::u16string reason(std::size_t index) const;
    std::vector<OutputRow> rows() const;
    void Sort(int column, int direction);

private:
    // A row's texts lie in blocks: the input name, the output, and the folders by index.
    struct Stored {
        std::uint32_t inputBlock = 0;
        std::uint32_t inputPosition = 0;
        std::uint32_t inputLength = 0;
        std::uint32_t outputBlock = 0;
        std::uint32_t outputPosition = 0;
        std::uint32_t outputLength = 0;
        std::uint32_t inputFolder = 0;  // 0: none; else index + 1
        std::uint32_t folder = 0;
        std::int32_t count = 0;
        std::uint8_t image = 0;
        RowSuffix suffix = RowSuffix::None;
        bool countShown = true;
    };
    struct Texts;
    std::u16string_view View(std::uint32_t block, std::uint32_t position,
                             std::uint32_t length) const;
    void Keep(std::u16string_view text, std::uint32_t& block, std::uint32_t& position,
              std::uint32_t& length);
    std::uint32_t FolderIndex(std::u16string_view folder);

    std::vector<Stored> rows_;
    std::unique_ptr<Texts> texts_;
    // The few rows that carry a reason: the row and its reason.
    std::vector<std::pair<std::size_t, std::u16string>> reasons_;
};

}  // namespace brindle
