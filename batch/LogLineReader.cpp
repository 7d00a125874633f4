#include "batch/LogLineReader.h"

#include <cstring>

namespace brindle {

LogLineReader::LogLineReader(const ReadBytes& read) : read_(read) {}

bool LogLineReader::Next(LogLine& line) {
    for (;;) {
        char* const data = buffer_.data();
        const void* const found =
            scanned_ < size_ ? std::memchr(data + scanned_, '\n', size_ - scanned_) : nullptr;
        if (found) {
            const std::size_t end =
                static_cast<std::size_t>(static_cast<const char*>(found) - data);
            std::string_view text(data + start_, end - start_);
            if (!text.empty() && text.back() == '\r')
                text.remove_suffix(1);
            line = {text, base_ + start_};
            start_ = scanned_ = end + 1;
            completeBytes_ = base_ + start_;
            return true;
        }
        scanned_ = size_;
        if (atEnd_)
            return false;
        // Keep the line begun, drop what was read before it, then read on after it.
        if (start_ > 0) {
            std::memmove(data, data + start_, size_ - start_);
            size_ -= start_;
            scanned_ -= start_;
            base_ += start_;
            start_ = 0;
        }
        // Grows only for a line longer than a chunk.
        if (buffer_.size() < size_ + kChunk)
            buffer_.resize(size_ + kChunk);
        const long got = read_(buffer_.data() + size_, kChunk);
        if (got > 0)
            size_ += static_cast<std::size_t>(got);
        if (got < 0)
            failed_ = true;
        if (got <= 0)
            atEnd_ = true;
    }
}

}  // namespace brindle
