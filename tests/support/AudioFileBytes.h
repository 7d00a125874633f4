#pragma once

// Small audio files byte by byte, for tests and seeds that read their tags back: MP3 with
// ID3v2 tags of each version, FLAC with its comment block, Ogg Vorbis and Opus on pages
// with correct checksums, and M4A with its item list. Each holds only what the tag reader
// needs (a few silent MPEG frames, a stream header), no sound.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace brindle::testing {

// Key and value, in the container's own key names ("TPE1", "ARTIST", "\xA9" "ART").
using TagFields = std::vector<std::pair<std::string, std::string>>;

inline std::string BigEndian(std::uint64_t value, int bytes) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    return out;
}

inline std::string LittleEndian(std::uint64_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    return out;
}

// 28 bits in four bytes of seven.
inline std::string SyncSafe(std::uint32_t value) {
    std::string out;
    for (int shift = 21; shift >= 0; shift -= 7)
        out.push_back(static_cast<char>((value >> shift) & 0x7F));
    return out;
}

// Three MPEG-1 layer III frames, 128 kbit/s at 44.1 kHz, all zeros after their headers.
inline std::string SilentMpegFrames() {
    std::string frame("\xFF\xFB\x90\x00", 4);
    frame.resize(417, '\0');
    return frame + frame + frame;
}

// A text frame's body: the encoding byte, then the text (already in that encoding).
inline std::string TextFrameBody(char encoding, const std::string& text) {
    return std::string(1, encoding) + text;
}

// UTF-16 with a byte order mark, from UTF-8 of the first plane.
inline std::string Utf16WithBom(const std::string& utf8) {
    std::string out("\xFF\xFE", 2);
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        std::uint32_t point = c;
        int extra = 0;
        if (c >= 0xE0) {
            point = c & 0x0F;
            extra = 2;
        } else if (c >= 0xC0) {
            point = c & 0x1F;
            extra = 1;
        }
        for (int k = 1; k <= extra; ++k)
            point = (point << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += 1 + extra;
        out += LittleEndian(point, 2);
    }
    return out;
}

// An ID3v2 tag of `version` (2, 3 or 4) with text frames whose bodies are given whole.
inline std::string Id3v2Tag(int version, const TagFields& frames) {
    std::string body;
    for (const auto& [id, data] : frames) {
        if (version == 2) {
            body += id + BigEndian(data.size(), 3) + data;
        } else {
            body += id + (version == 4 ? SyncSafe(static_cast<std::uint32_t>(data.size()))
                                       : BigEndian(data.size(), 4));
            body += std::string(2, '\0') + data;
        }
    }
    return "ID3" + std::string(1, static_cast<char>(version)) + std::string(2, '\0') +
           SyncSafe(static_cast<std::uint32_t>(body.size())) + body;
}

inline std::string FlacBlock(int type, bool last, const std::string& data) {
    return std::string(1, static_cast<char>(type | (last ? 0x80 : 0))) + BigEndian(data.size(), 3) +
           data;
}

inline std::string FlacStreamInfo() {
    std::string info = BigEndian(4096, 2) + BigEndian(4096, 2) + BigEndian(0, 3) + BigEndian(0, 3);
    // 44100 Hz (20 bits), 2 channels (3 bits: 1), 16 bits (5 bits: 15), no sample count.
    const std::uint64_t packed =
        (std::uint64_t{44100} << 44) | (std::uint64_t{1} << 41) | (std::uint64_t{15} << 36);
    info += BigEndian(packed, 8);
    info += std::string(16, '\0');
    return info;
}

// A Vorbis comment: vendor, count, each "KEY=value", all lengths little-endian.
inline std::string VorbisComment(const TagFields& fields) {
    const std::string vendor = "brindle test";
    std::string out = LittleEndian(vendor.size(), 4) + vendor + LittleEndian(fields.size(), 4);
    for (const auto& [key, value] : fields) {
        const std::string entry = key + "=" + value;
        out += LittleEndian(entry.size(), 4) + entry;
    }
    return out;
}

inline std::string Flac(const TagFields& fields) {
    return "fLaC" + FlacBlock(0, false, FlacStreamInfo()) +
           FlacBlock(4, true, VorbisComment(fields));
}

inline std::uint32_t OggChecksum(const std::string& page) {
    std::uint32_t crc = 0;
    for (char byte : page) {
        crc ^= std::uint32_t{static_cast<unsigned char>(byte)} << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x80000000U) != 0 ? (crc << 1) ^ 0x04C11DB7U : crc << 1;
    }
    return crc;
}

// One page holding whole packets, its checksum computed.
inline std::string OggPage(const std::vector<std::string>& packets, std::uint32_t sequence,
                           std::uint8_t flags, std::uint64_t granule = 0) {
    std::string lacing;
    std::string payload;
    for (const std::string& packet : packets) {
        lacing.append(packet.size() / 255, '\xFF');
        lacing.push_back(static_cast<char>(packet.size() % 255));
        payload += packet;
    }
    std::string page = "OggS" + std::string(1, '\0') + std::string(1, static_cast<char>(flags)) +
                       LittleEndian(granule, 8) + LittleEndian(0x4272696E, 4) +
                       LittleEndian(sequence, 4) + std::string(4, '\0') +
                       std::string(1, static_cast<char>(lacing.size())) + lacing + payload;
    page.replace(22, 4, LittleEndian(OggChecksum(page), 4));
    return page;
}

inline std::string OggVorbis(const TagFields& fields) {
    std::string identification = "\x01vorbis" + LittleEndian(0, 4) + std::string(1, '\x02') +
                                 LittleEndian(44100, 4) + LittleEndian(0, 4) +
                                 LittleEndian(128000, 4) + LittleEndian(0, 4) + "\xB8\x01";
    const std::string comment = "\x03vorbis" + VorbisComment(fields) + "\x01";
    const std::string setup = "\x05vorbis" + std::string(8, '\0');
    return OggPage({identification}, 0, 0x02) + OggPage({comment, setup}, 1, 0x00) +
           OggPage({std::string(4, '\0')}, 2, 0x04, 1024);
}

inline std::string OggOpus(const TagFields& fields) {
    const std::string head = "OpusHead" + std::string(1, '\x01') + std::string(1, '\x02') +
                             LittleEndian(312, 2) + LittleEndian(48000, 4) + LittleEndian(0, 2) +
                             std::string(1, '\0');
    const std::string tags = "OpusTags" + VorbisComment(fields);
    return OggPage({head}, 0, 0x02) + OggPage({tags}, 1, 0x00) +
           OggPage({std::string(3, '\0')}, 2, 0x04, 960);
}

inline std::string Mp4Atom(const std::string& name, const std::string& payload) {
    return BigEndian(8 + payload.size(), 4) + name + payload;
}

// An M4A file: its type, and a movie box holding the item list. A value of a pair item
// ("trkn", "disk") is "number/total".
inline std::string M4a(const TagFields& items) {
    std::string list;
    for (const auto& [name, value] : items) {
        std::string data;
        if (name == "trkn" || name == "disk") {
            const auto slash = value.find('/');
            const int number = std::stoi(value.substr(0, slash));
            const int total = slash == std::string::npos ? 0 : std::stoi(value.substr(slash + 1));
            data = Mp4Atom("data", BigEndian(0, 4) + BigEndian(0, 4) + BigEndian(0, 2) +
                                       BigEndian(number, 2) + BigEndian(total, 2) +
                                       (name == "trkn" ? BigEndian(0, 2) : std::string()));
        } else {
            data = Mp4Atom("data", BigEndian(1, 4) + BigEndian(0, 4) + value);
        }
        list += Mp4Atom(name, data);
    }
    const std::string handler =
        Mp4Atom("hdlr", BigEndian(0, 4) + BigEndian(0, 4) + "mdir" + "appl" + std::string(9, '\0'));
    const std::string meta = Mp4Atom("meta", BigEndian(0, 4) + handler + Mp4Atom("ilst", list));
    const std::string header =
        Mp4Atom("mvhd", BigEndian(0, 4) + BigEndian(0, 4) + BigEndian(0, 4) + BigEndian(1000, 4) +
                            BigEndian(0, 4) + std::string(80, '\0'));
    return Mp4Atom("ftyp", std::string("M4A ") + BigEndian(0, 4) + "M4A mp42isom") +
           Mp4Atom("moov", header + Mp4Atom("udta", meta));
}

// A WAV file holding `id3Tag` in an "id3 " chunk, with a format chunk and a few silent
// samples; an AIFF file holding it in an "ID3 " chunk.
inline std::string Wav(const std::string& id3Tag) {
    const std::string format = LittleEndian(1, 2) + LittleEndian(2, 2) + LittleEndian(44100, 4) +
                               LittleEndian(176400, 4) + LittleEndian(4, 2) + LittleEndian(16, 2);
    std::string body = "WAVE";
    body += "fmt " + LittleEndian(format.size(), 4) + format;
    body += "data" + LittleEndian(4, 4) + std::string(4, '\0');
    body += "id3 " + LittleEndian(id3Tag.size(), 4) + id3Tag;
    if (id3Tag.size() % 2 != 0)
        body += '\0';
    return "RIFF" + LittleEndian(body.size(), 4) + body;
}

inline std::string Aiff(const std::string& id3Tag) {
    // 2 channels, no frames, 16 bits, 44100 Hz as an 80-bit extended number.
    const std::string common = BigEndian(2, 2) + BigEndian(0, 4) + BigEndian(16, 2) +
                               std::string("\x40\x0E\xAC\x44", 4) + std::string(6, '\0');
    std::string body = "AIFF";
    body += "COMM" + BigEndian(common.size(), 4) + common;
    body += "ID3 " + BigEndian(id3Tag.size(), 4) + id3Tag;
    if (id3Tag.size() % 2 != 0)
        body += '\0';
    return "FORM" + BigEndian(body.size(), 4) + body;
}

// Data in a zlib stream of one stored block, as a compressed ID3v2 frame may hold it.
inline std::string ZlibStored(const std::string& data) {
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (char c : data) {
        a = (a + static_cast<unsigned char>(c)) % 65521;
        b = (b + a) % 65521;
    }
    return std::string("\x78\x01\x01", 3) + LittleEndian(data.size(), 2) +
           LittleEndian(~data.size() & 0xFFFF, 2) + data + BigEndian((b << 16) | a, 4);
}

}  // namespace brindle::testing
