#pragma once

#include <cstdint>
#include <string>

namespace brindle {

// What the last batch or Undo did, counted as it went, for the one line that sums it up
// under the main dialog's buttons.
struct OperationTally {
    enum class Kind : std::uint8_t { None, Batch, Undo };
    Kind kind = Kind::None;
    // A batch's items (a folder that could not be read is none), or Undo's records of a
    // change.
    std::uint64_t items = 0;
    std::uint64_t done = 0;       // renamed (or moved), or put back
    std::uint64_t failed = 0;     // failures, each with its row's reason
    std::uint64_t readOnly = 0;   // left alone as read-only ("Read Only")
    std::uint64_t unchanged = 0;  // whose new name is the old one
    bool onlyLog = false;         // "Only Log": nothing was to be renamed
    bool stopped = false;         // ended before its last item (asked to, or the disk full)
    bool logUnusable = false;     // Undo could not open the log, or refused it
};

// The line: "Renamed 310 of 312; 2 failed", with what else there was ("; 3 read-only",
// "; 5 unchanged", "; stopped"); "Only Log: 312 items listed, nothing renamed"; "Undo: put
// back 310 of 312; 2 failed". Empty before the first batch or Undo.
std::u16string ResultText(const OperationTally& tally);

}  // namespace brindle
