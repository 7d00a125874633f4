#include "batch/LogLineReader.h"

namespace brindle {

LogLineReader::LogLineReader(const ReadBytes& read) : read_(read) {}

bool LogLineReader::Next(LogLine& line) {
    for (;;) {
        const std::size_t end = buffer_.find('\n', scanned_);
        if (end != std::string::npos) {
            std::string_view text(buffer_.data() + start_, end - start_);
            if (!text.empty() && text.back() == '\r')
                text.remove_suffix(1);
            line = {text, base_ + start_};
            start_ = scanned_ = end + 1;
            completeBytes_ = base_ + start_;
            return true;
        }
        scanned_ = buffer_.size();
        if (atEnd_)
            return false;
        // Keep the line begun, drop what was read before it, then read on.
        if (start_ > 0) {
            buffer_.erase(0, start_);
            scanned_ -= start_;
            base_ += start_;
            start_ = 0;
        }
        const long got = read_(chunk_.get(), kChunk);
        if (got > 0)
            buffer_.append(chunk_.get(), static_cast<std::size_t>(got));
        if (got < 0)
            failed_ = true;
        if (got <= 0)
            atEnd_ = true;
    }
}

}  // namespace brindle
