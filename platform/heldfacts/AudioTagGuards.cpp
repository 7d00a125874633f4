#include "platform/heldfacts/AudioTagGuards.h"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

#include <taglib/id3v2frame.h>
#include <taglib/id3v2synchdata.h>

namespace brindle {

namespace {

// The library keeps the frame header's type to itself and its factories; its name is
// taken from the signature of the function that the guard overrides.
template <typename Function>
struct ArgumentOf;
template <typename Class, typename Argument>
struct ArgumentOf<bool (Class::*)(Argument) const> {
    using type = Argument;
};
struct FactoryProbe : TagLib::ID3v2::FrameFactory {
    using Update = decltype(&FactoryProbe::updateFrame);
};
using FrameHeader = ArgumentOf<FactoryProbe::Update>::type;

class GuardedFrameFactory final : public TagLib::ID3v2::FrameFactory {
protected:
    bool updateFrame(FrameHeader header) const override {
        if (!FrameFactory::updateFrame(header))
            return false;
        const unsigned int version = header->version();
        if (header->compression()) {
            // Marked encrypted as well, a frame's data is taken as it is, never inflated.
            TagLib::ByteVector bytes("XZLB");
            bytes.append(version >= 4 ? TagLib::ID3v2::SynchData::fromUInt(header->frameSize())
                                      : TagLib::ByteVector::fromUInt(header->frameSize()));
            bytes.append('\0');
            bytes.append(version >= 4 ? '\x04' : '\x40');
            header->setData(bytes, version);
            return true;
        }
        const TagLib::ByteVector id = header->frameID();
        if (id == "CHAP")
            header->setFrameID("XCHP");
        else if (id == "CTOC")
            header->setFrameID("XTOC");
        return true;
    }
};

bool ReadExactly(int fd, std::uint64_t offset, unsigned char* buffer, std::size_t length) {
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n =
            pread(fd, buffer + done, length - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

constexpr std::array<std::uint32_t, 256> kOggCrcTable = [] {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t crc = i << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x80000000U) != 0 ? (crc << 1) ^ 0x04C11DB7U : crc << 1;
        table[i] = crc;
    }
    return table;
}();

}  // namespace

TagLib::ID3v2::FrameFactory* GuardedId3v2Frames() {
    static GuardedFrameFactory factory;
    return &factory;
}

bool OggHeaderPagesIntact(int fd, std::uint64_t size) {
    constexpr std::size_t kHeader = 27;
    std::vector<unsigned char> page;
    std::uint64_t offset = 0;
    int packetsEnded = 0;
    while (packetsEnded < 2) {
        unsigned char header[kHeader + 255];
        if (offset + kHeader > size || !ReadExactly(fd, offset, header, kHeader) ||
            std::memcmp(header, "OggS", 4) != 0)
            return false;
        const std::size_t segments = header[26];
        if (offset + kHeader + segments > size ||
            !ReadExactly(fd, offset + kHeader, header + kHeader, segments))
            return false;
        std::size_t payload = 0;
        for (std::size_t i = 0; i < segments; ++i) {
            payload += header[kHeader + i];
            if (header[kHeader + i] < 255)
                ++packetsEnded;
        }
        const std::size_t length = kHeader + segments + payload;
        if (offset + length > size)
            return false;
        page.resize(length);
        if (!ReadExactly(fd, offset, page.data(), length))
            return false;
        const std::uint32_t stored =
            page[22] | (page[23] << 8) | (page[24] << 16) | (std::uint32_t{page[25]} << 24);
        page[22] = page[23] = page[24] = page[25] = 0;
        std::uint32_t crc = 0;
        for (unsigned char byte : page)
            crc = (crc << 8) ^ kOggCrcTable[((crc >> 24) ^ byte) & 0xFF];
        if (crc != stored)
            return false;
        offset += length;
    }
    return true;
}

std::vector<Id3Chunk> HideId3Chunks(int fd, std::uint64_t size, PreadAudioStream& stream) {
    std::vector<Id3Chunk> chunks;
    unsigned char head[12];
    if (size < sizeof head || !ReadExactly(fd, 0, head, sizeof head))
        return chunks;
    const bool riff = std::memcmp(head, "RIFF", 4) == 0;
    if (!riff && std::memcmp(head, "FORM", 4) != 0)
        return chunks;
    // A file of nothing but empty chunks would otherwise keep the walk going for long.
    constexpr int kMaxChunks = 4096;
    std::uint64_t offset = sizeof head;
    for (int n = 0; n < kMaxChunks && offset + 8 <= size; ++n) {
        unsigned char chunk[8];
        if (!ReadExactly(fd, offset, chunk, sizeof chunk))
            break;
        const std::uint64_t length =
            riff ? chunk[4] | (chunk[5] << 8) | (chunk[6] << 16) | (std::uint64_t{chunk[7]} << 24)
                 : (std::uint64_t{chunk[4]} << 24) | (chunk[5] << 16) | (chunk[6] << 8) | chunk[7];
        if (std::memcmp(chunk, "ID3 ", 4) == 0 || std::memcmp(chunk, "id3 ", 4) == 0) {
            chunks.push_back({offset + 8, length});
            stream.Mask(offset, {'J', 'U', 'N', 'K'});
        }
        offset += 8 + length + (length & 1);
    }
    return chunks;
}

}  // namespace brindle
