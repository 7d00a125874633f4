#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/NameCodec.h"

namespace brindle::fuzz {

// The readers under test take a path. A memory file reached through /proc keeps every
// input off the disk and needs no clean-up.
class MemoryFile {
public:
    MemoryFile() {
        fd_ = memfd_create("brindle-fuzz", MFD_CLOEXEC);
        if (fd_ < 0)
            std::abort();
        path_ = DecodeName("/proc/self/fd/" + std::to_string(fd_));
    }
    ~MemoryFile() { close(fd_); }

    const std::u16string& Write(const std::uint8_t* data, std::size_t size) {
        if (ftruncate(fd_, 0) != 0)
            std::abort();
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
            if (n <= 0)
                std::abort();
            done += static_cast<std::size_t>(n);
        }
        return path_;
    }

private:
    int fd_ = -1;
    std::u16string path_;
};

// Reads the input as a stream of little pieces: bytes, integers, UTF-16 texts of raw
// code units (so lone surrogates and every other unit occur).
class InputReader {
public:
    InputReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const { return pos_ >= size_; }

    std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }

    std::uint32_t Uint32() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value = (value << 8) | Byte();
        return value;
    }

    // A text of up to `maxUnits` code units, length from the first byte.
    std::u16string Text16(std::size_t maxUnits) {
        const std::size_t units = Byte() % (maxUnits + 1);
        std::u16string text;
        for (std::size_t i = 0; i < units && !empty(); ++i) {
            const std::uint8_t low = Byte();
            const std::uint8_t high = Byte();
            text.push_back(static_cast<char16_t>(low | (high << 8)));
        }
        return text;
    }

    // Up to `maxBytes` bytes, count from the first byte.
    std::string Bytes(std::size_t maxBytes) {
        const std::size_t count = Byte() % (maxBytes + 1);
        std::string bytes;
        for (std::size_t i = 0; i < count && !empty(); ++i)
            bytes.push_back(static_cast<char>(Byte()));
        return bytes;
    }

    // Up to `maxPoints` code points of any plane, three bytes each (a clear top bit keeps
    // to the first plane, where most letters are); surrogate values come out as lone units.
    std::u16string CodePoints16(std::size_t maxPoints) {
        const std::size_t count = Byte() % (maxPoints + 1);
        std::u16string text;
        for (std::size_t i = 0; i < count && !empty(); ++i) {
            const std::uint8_t top = Byte();
            const std::uint32_t low = (std::uint32_t{Byte()} << 8) | Byte();
            const std::uint32_t value =
                (top & 0x80) != 0 ? ((std::uint32_t{top} & 0x7F) << 16 | low) % 0x110000 : low;
            if (value < 0x10000) {
                text.push_back(static_cast<char16_t>(value));
            } else {
                text.push_back(static_cast<char16_t>(0xD800 + ((value - 0x10000) >> 10)));
                text.push_back(static_cast<char16_t>(0xDC00 + ((value - 0x10000) & 0x3FF)));
            }
        }
        return text;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

}  // namespace brindle::fuzz
