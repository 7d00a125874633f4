#include "cli/CliHost.h"

#include <cctype>

#include "batch/Messages.h"
#include "cli/Interruption.h"
#include "platform/Descriptors.h"
#include "platform/NameCodec.h"

namespace brindle::cli {

namespace {

// A batch this long before the first sign of life deserves a progress line.
constexpr auto kProgressDelay = std::chrono::seconds(1);
constexpr auto kProgressInterval = std::chrono::milliseconds(200);

}  // namespace

CliHost::CliHost(OutputBuffer& out, OutputFormat format, LogAnswer answer, Terminal terminal)
    : out_(out),
      format_(format),
      answer_(answer),
      terminal_(terminal),
      start_(std::chrono::steady_clock::now()),
      lastProgress_(start_) {}

void CliHost::WriteHeader() {
    if (header_.empty())
        return;
    out_.text() += header_;
    header_.clear();
    out_.Commit(terminal_.flushEveryRow);
}

void CliHost::AddOutputRow(const RowData& row) {
    if (!header_.empty())
        WriteHeader();
    ++rows_;
    if (format_ != OutputFormat::Quiet) {
        AppendRow(out_.text(), row, format_);
        out_.Commit(terminal_.flushEveryRow);
    }
    if (!row.reason.empty() && !row.reasonPath.empty()) {
        // Why it failed goes to standard error, after the row it belongs to.
        EndProgress();
        out_.Flush();
        WriteAll(terminal_.errorFd, MessageLine(ReasonLine(row)));
    }
    // Reading the clock for every row would cost more than the row itself.
    if (terminal_.showProgress && (rows_ & 255) == 0)
        UpdateProgress();
}

void CliHost::ShowMessage(const std::u16string& text, const std::u16string&, MessageIcon) {
    EndProgress();
    out_.Flush();  // so that the message follows the rows it belongs after
    if (text == kTextErrorOpeningFile && !openErrorDetail_.empty()) {
        WriteAll(terminal_.errorFd, MessageLine(text + u": " + openErrorDetail_));
    } else {
        WriteAll(terminal_.errorFd, MessageLine(text));
    }
}

bool CliHost::AskYesNo(const std::u16string& text, const std::u16string& caption, MessageIcon) {
    if (answer_ == LogAnswer::Delete)
        return true;
    if (answer_ == LogAnswer::Keep)
        return false;
    // Nobody to ask: keeping the log is the answer that loses nothing.
    if (!terminal_.inputIsTerminal)
        return false;
    EndProgress();
    out_.Flush();
    std::u16string question;
    if (!caption.empty() && caption != kApplicationName)
        question = caption + u" ";
    question += text;
    std::string prompt = MessageLine(question);
    prompt.pop_back();  // the answer goes on the same line
    prompt += " [y/N] ";
    WriteAll(terminal_.errorFd, prompt);
    return ReadYes(terminal_.inputFd);
}

void CliHost::TellWaitingForLog(std::u16string_view logPath, std::chrono::seconds limit) {
    if (toldWaiting_)
        return;
    toldWaiting_ = true;
    EndProgress();
    out_.Flush();
    std::u16string text = u"waiting for the log ";
    text += logPath;
    text += u", which another Brindle is using (up to ";
    for (const char c : std::to_string(limit.count()))
        text += static_cast<char16_t>(c);
    text += u" seconds)";
    WriteAll(terminal_.errorFd, MessageLine(text));
}

void CliHost::UpdateProgress() {
    const auto now = std::chrono::steady_clock::now();
    if (now - start_ < kProgressDelay || now - lastProgress_ < kProgressInterval)
        return;
    lastProgress_ = now;
    progressShown_ = true;
    WriteAll(terminal_.errorFd, "\rbrindle-cli: Working... " + std::to_string(rows_) + " items");
}

void CliHost::EndProgress() {
    if (!progressShown_)
        return;
    progressShown_ = false;
    WriteAll(terminal_.errorFd, "\r\x1b[K");
}

bool ReadYes(int fd) {
    std::string line;
    char c = 0;
    for (;;) {
        // Interrupted: no answer, so the log is kept, which loses nothing.
        if (WaitForInputOrStop(fd) == 0)
            return false;
        const ssize_t got = ::read(fd, &c, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0 || c == '\n')
            break;
        line += c;
    }
    auto isSpace = [](char ch) { return std::isspace(static_cast<unsigned char>(ch)) != 0; };
    std::size_t begin = 0;
    std::size_t end = line.size();
    while (begin < end && isSpace(line[begin]))
        ++begin;
    while (end > begin && isSpace(line[end - 1]))
        --end;
    std::string answer;
    for (std::size_t i = begin; i < end; ++i)
        answer += static_cast<char>(std::tolower(static_cast<unsigned char>(line[i])));
    return answer == "y" || answer == "yes";
}

}  // namespace brindle::cli
