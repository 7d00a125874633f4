#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "batch/BatchPlan.h"
#include "batch/RowData.h"
#include "cli/CommandLine.h"

namespace brindle::cli {

// Collects output in memory and hands it to the descriptor in large writes, so that
// printing a row costs a copy and not a system call. After the first failing write
// everything further is dropped and error() keeps the errno.
class OutputBuffer {
public:
    explicit OutputBuffer(int fd, std::size_t capacity = std::size_t{1} << 16);
    ~OutputBuffer();
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;

    // Where the text of the next line goes; call Commit() when it is complete.
    std::string& text() { return buffer_; }
    // Writes out once the buffer holds `capacity` bytes (or at once when asked).
    void Commit(bool flushNow = false);
    bool Flush();
    int error() const { return error_; }

private:
    int fd_;
    std::size_t capacity_;
    std::string buffer_;
    int error_ = 0;
};

// Appends `text` as its bytes on disk, with tab, CR, LF and backslash written as
// \t, \r, \n and \\ so that one row stays one line. With `escapeControls`, every
// other control byte becomes \xHH as well, so that a name cannot steer a terminal.
void AppendEscaped(std::string& out, std::u16string_view text, bool escapeControls);

// One row of the Output Log and its line end: the design's four columns separated by two
// spaces, or for --tsv by tabs with the reason of a failure as a fifth column (empty for
// most rows). Nothing for --quiet.
void AppendRow(std::string& out, const RowData& row, OutputFormat format);

// The header line of --tsv: the column titles, "Reason" last.
void AppendTsvHeader(std::string& out);

// One item of a --preview: its path, its new path and its state (with a conflict's
// reason, then its warnings), separated by two spaces, or by tabs for --tsv. Nothing for
// --quiet.
void AppendPlanRow(std::string& out, const Plan& plan, const PlanItem& item, OutputFormat format);
// The header line of --preview --tsv.
void AppendPlanTsvHeader(std::string& out);
// One item of a --preview as a line of standard error: "brindle-cli: " and its row.
std::string PlanRowMessage(const Plan& plan, const PlanItem& item);

// "brindle-cli: " and the text, on one line.
std::string MessageLine(std::u16string_view text);
std::string MessageLine(std::string_view text);

}  // namespace brindle::cli
