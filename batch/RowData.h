#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/BatchStats.h"

namespace brindle {

// How a row stands: the row of an item of a batch, or of a record of an Undo, is a note,
// renamed or not (its output tells); a folder that could not be read and a record that
// Undo could not put back are errors.
enum class RowMark : std::uint8_t { Note, Error };

// What the "Output File (Exceptions)" column adds after the name it shows.
enum class RowSuffix : std::uint8_t { None, ReadOnly, ErrorOpening };
// "(Read Only)", "Error opening file", or nothing.
std::u16string_view SuffixText(RowSuffix suffix);

// The titles of a row's texts, as the Output Log's columns and brindle-cli's --tsv header
// give them: the design's four, then the reason of a failure.
inline constexpr const char* kRowTitles[5] = {"Input File", "Output File (Exceptions)", "#",
                                              "Folder (New Folder)", "Reason"};

// One row as a batch or an Undo hands it to its host: views of its texts, valid during
// the call only, and the count as a number, so that a host that shows no rows (or shows
// them later) builds no texts for them. Its texts: "Input File" is inputFolder and
// input, "Output File (Exceptions)" the output and the suffix's text, "#" the count
// where it is shown, "Folder (New Folder)" the folder.
struct RowData {
    RowMark mark = RowMark::Note;
    std::u16string_view inputFolder;  // a dropped folder's "Input File" starts with this
    std::u16string_view input;
    std::u16string_view output;
    RowSuffix suffix = RowSuffix::None;
    bool countShown = true;  // Undo's rows leave "#" empty
    std::int32_t count = 0;
    std::u16string_view folder;
    // Why the item failed: the system's words ("Permission denied") or the rule that
    // refused it ("the new name exists (a.txt)"); empty when it did not fail. Shown after
    // the design's texts, never inside them.
    std::u16string_view reason;
    // The path the reason is about (the item, or a folder), for a line that stands alone
    // (brindle-cli's standard error): "PATH: REASON". Empty where the cause is told once
    // for the whole operation (a log that could not be written), which such a line would
    // only repeat.
    std::u16string_view reasonPath = {};
};

// "PATH: REASON" for the row's reason, or the reason alone where it names no path.
std::u16string ReasonLine(const RowData& row);

// "Total files: %i | Changed files: %i | Average Input length: %i | Average Output
// length: %i | Exceptions: %i"
std::u16string FormatStatus(const BatchStats& stats);
// The same text into `out`, reusing its capacity: the status is formatted per item.
void FormatStatus(const BatchStats& stats, std::u16string& out);

}  // namespace brindle
