#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "batch/PipelineHost.h"
#include "cli/CommandLine.h"
#include "cli/OutputWriter.h"

namespace brindle::cli {

// Where the host talks to the person: descriptors and what they are.
struct Terminal {
    int inputFd = 0;
    int errorFd = 2;
    bool inputIsTerminal = false;
    // Show the progress line on errorFd while a long batch runs.
    bool showProgress = false;
    // Write every row at once instead of collecting them (standard output is a terminal).
    bool flushEveryRow = false;
};

// brindle-cli as a host of the batch core: rows go to standard output as they come,
// messages and questions to standard error. The status line is printed once, at the end,
// from the statistics themselves.
class CliHost final : public PipelineHost {
public:
    CliHost(OutputBuffer& out, OutputFormat format, LogAnswer answer, Terminal terminal);

    void AddOutputRow(const RowData& row) override;
    void ShowMessage(const std::u16string& text, const std::u16string& caption,
                     MessageIcon icon) override;
    bool AskYesNo(const std::u16string& text, const std::u16string& caption,
                  MessageIcon icon) override;

    // "Only English" is all or nothing here: without its table a batch renames nothing.
    bool GoesOnWithoutTable() const override { return false; }

    // A line (--tsv's titles) written before the first row, or by WriteHeader() when no
    // row came, so that a batch that renames nothing for want of its table writes
    // nothing to standard output.
    void setHeader(std::string header) { header_ = std::move(header); }
    void WriteHeader();

    // Added after ": " to a bare "Error opening file", which names no file itself.
    void setOpenErrorDetail(std::u16string detail) { openErrorDetail_ = std::move(detail); }
    std::int64_t rowCount() const { return rows_; }
    // Says, once a run, that the batch or Undo waits for the log `logPath`, which another
    // Brindle holds, and for how long at most.
    void TellWaitingForLog(std::u16string_view logPath, std::chrono::seconds limit);
    // Removes the progress line, if one is shown.
    void EndProgress();

private:
    void UpdateProgress();

    OutputBuffer& out_;
    OutputFormat format_;
    LogAnswer answer_;
    Terminal terminal_;
    std::int64_t rows_ = 0;
    std::u16string openErrorDetail_;
    std::string header_;
    bool progressShown_ = false;
    bool toldWaiting_ = false;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastProgress_;
};

// Reads one answer line from `fd`; true for "y" or "yes" (any letter case, white space
// around it ignored). False at once when a stop signal is caught while it waits.
bool ReadYes(int fd);

}  // namespace brindle::cli
