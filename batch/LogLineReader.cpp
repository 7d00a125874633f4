#include "batch/LogLineReader.h"

#include <cstring>

namespace brindle {

LogLineReader::LogLineReader(const ReadBytes& read) : read_(read) {}

bool LogLineReader::Next(LogLine& line) {
    for (;;) {
        const char* data = buffer_.get();
        if (scanned_ < end_) {
            if (const void* found = std::memchr(data + scanned_, '\n', end_ - scanned_)) {
                const auto end = static_cast<std::size_t>(static_cast<const char*>(found) - data);
                std::string_view text(data + start_, end - start_);
                if (!text.empty() && text.back() == '\r')
                    text.remove_suffix(1);
                line = {text, base_ + start_};
                start_ = scanned_ = end + 1;
                completeBytes_ = base_ + start_;
                return true;
            }
        }
        scanned_ = end_;
        if (atEnd_)
            return false;
        // Keep the line begun, drop what was read before it, then read on; a line longer
        // than the room gets more.
        if (start_ > 0) {
            std::memmove(buffer_.get(), buffer_.get() + start_, end_ - start_);
            end_ -= start_;
            scanned_ -= start_;
            base_ += start_;
            start_ = 0;
        }
        if (capacity_ - end_ < kChunk) {
            const std::size_t capacity = capacity_ == 0 ? kChunk : 2 * capacity_;
            auto grown = std::make_unique_for_overwrite<char[]>(capacity);
            if (end_ > 0)
                std::memcpy(grown.get(), buffer_.get(), end_);
            buffer_ = std::move(grown);
            capacity_ = capacity;
        }
        const long got = read_(buffer_.get() + end_, capacity_ - end_);
        if (got > 0)
            end_ += static_cast<std::size_t>(got);
        if (got < 0)
            failed_ = true;
        if (got <= 0)
            atEnd_ = true;
    }
}

}  // namespace brindle
