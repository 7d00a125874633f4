#include "platform/heldfacts/PreadAudioStream.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <utility>

namespace brindle {

PreadAudioStream::PreadAudioStream(int fd, std::uint64_t size, std::string name)
    : fd_(fd),
      size_(static_cast<long>(std::min<std::uint64_t>(
          size, static_cast<std::uint64_t>(std::numeric_limits<long>::max())))),
      name_(std::move(name)) {}

TagLib::FileName PreadAudioStream::name() const {
    return name_.c_str();
}

TagLib::ByteVector PreadAudioStream::readBlock(unsigned long length) {
    if (position_ >= size_ || length == 0)
        return {};
    const unsigned long wanted =
        std::min({length, static_cast<unsigned long>(size_ - position_), kMaxBlock});
    TagLib::ByteVector block(static_cast<unsigned int>(wanted), '\0');
    unsigned long done = 0;
    while (done < wanted) {
        const ssize_t n = pread(fd_, block.data() + done, wanted - done,
                                static_cast<off_t>(position_) + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            if (readError_ == 0)
                readError_ = errno;
            break;
        }
        // The file shrank since its size was taken: what is there is all there is.
        if (n == 0)
            break;
        done += static_cast<unsigned long>(n);
    }
    block.resize(static_cast<unsigned int>(done));
    const auto start = static_cast<std::uint64_t>(position_);
    for (const auto& [offset, id] : masks_) {
        for (std::uint64_t k = 0; k < id.size(); ++k) {
            if (offset + k >= start && offset + k < start + done)
                block[static_cast<unsigned int>(offset + k - start)] = id[k];
        }
    }
    position_ += static_cast<long>(done);
    return block;
}

void PreadAudioStream::Mask(std::uint64_t offset, const std::array<char, 4>& id) {
    masks_.emplace_back(offset, id);
}

// Never written: the reader only reads, and a write asked for by mistake does nothing.
void PreadAudioStream::writeBlock(const TagLib::ByteVector&) {}

void PreadAudioStream::insert(const TagLib::ByteVector&, unsigned long, unsigned long) {}

void PreadAudioStream::removeBlock(unsigned long, unsigned long) {}

bool PreadAudioStream::readOnly() const {
    return true;
}

bool PreadAudioStream::isOpen() const {
    return fd_ >= 0;
}

void PreadAudioStream::seek(long offset, Position p) {
    long base = 0;
    if (p == Current)
        base = position_;
    else if (p == End)
        base = size_;
    // As a seek before the start fails on a file, the position then stays where it was;
    // past the end is allowed and reads nothing.
    if (offset < 0 ? base < std::numeric_limits<long>::min() - offset
                   : base > std::numeric_limits<long>::max() - offset)
        return;
    const long target = base + offset;
    if (target >= 0)
        position_ = target;
}

void PreadAudioStream::clear() {}

long PreadAudioStream::tell() const {
    return position_;
}

long PreadAudioStream::length() {
    return size_;
}

void PreadAudioStream::truncate(long) {}

}  // namespace brindle
