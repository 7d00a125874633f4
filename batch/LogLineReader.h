#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace brindle {

// One line of the log, without its line end (LF, and a CR right before it).
struct LogLine {
    std::string_view text;  // valid until the next line is read
    std::uint64_t offset = 0;
};

// The complete lines of a log, read a chunk at a time, so that a log of any size costs
// no more than its longest line; a last line without LF was torn by a crash and is left
// out.
class LogLineReader {
public:
    // Fills `buffer` with up to `size` further bytes of the log; returns how many, 0 at
    // its end, -1 when it cannot be read.
    using ReadBytes = std::function<long(char* buffer, std::size_t size)>;

    explicit LogLineReader(const ReadBytes& read);

    // The next complete line; false at the end of the log or when a read failed.
    bool Next(LogLine& line);

    bool failed() const { return failed_; }
    // How many bytes of the log end with a complete line read so far.
    std::uint64_t completeBytes() const { return completeBytes_; }

private:
    static constexpr std::size_t kChunk = 1 << 16;

    const ReadBytes& read_;
    // Read into straight after the line begun: each byte is copied once, by the read.
    std::string buffer_;
    std::size_t size_ = 0;     // how much of buffer_ holds the log
    std::size_t start_ = 0;    // where the next line starts
    std::size_t scanned_ = 0;  // no line end before this, from start_ on
    std::uint64_t base_ = 0;   // the log's offset of buffer_[0]
    std::uint64_t completeBytes_ = 0;
    bool atEnd_ = false;
    bool failed_ = false;
};

}  // namespace brindle
