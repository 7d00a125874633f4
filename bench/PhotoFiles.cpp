#include "bench/PhotoFiles.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <initializer_list>
#include <vector>

namespace brindle::bench {
namespace {

// 2024-01-01 00:00:00 UTC, and the seconds between two photos' dates: a prime, so that
// 10,000 dates spread over some 900 days with every time of day among them.
constexpr std::int64_t kEpoch = 1704067200;
constexpr std::int64_t kStep = 7919;

void Put16(std::string& out, unsigned value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

void PutBig16(std::string& out, unsigned value) {
    out += static_cast<char>((value >> 8) & 0xFF);
    out += static_cast<char>(value & 0xFF);
}

// One entry of a TIFF directory: its tag, field type, count and value bytes.
struct Entry {
    unsigned tag;
    unsigned type;
    std::uint32_t count;
    std::string value;
};

enum : unsigned { kAscii = 2, kShort = 3, kLong = 4, kRational = 5, kUndefined = 7 };

Entry Text(unsigned tag, const std::string& text) {
    std::string value = text;
    value += '\0';
    return {tag, kAscii, static_cast<std::uint32_t>(value.size()), value};
}

Entry Short(unsigned tag, unsigned number) {
    std::string value;
    Put16(value, number);
    return {tag, kShort, 1, value};
}

Entry Rational(unsigned tag, std::uint32_t numerator, std::uint32_t denominator) {
    std::string value;
    Put32(value, numerator);
    Put32(value, denominator);
    return {tag, kRational, 1, value};
}

Entry Long(unsigned tag, std::uint32_t number) {
    std::string value;
    Put32(value, number);
    return {tag, kLong, 1, value};
}

Entry Bytes(unsigned tag, std::string value) {
    const auto count = static_cast<std::uint32_t>(value.size());
    return {tag, kUndefined, count, std::move(value)};
}

// A little-endian directory at offset `at`, entries in ascending tag order; a value longer
// than 4 bytes follows the directory at an even offset, the others sit in their entry.
std::string Directory(const std::vector<Entry>& entries, std::uint32_t at) {
    std::string head;
    std::string data;
    const auto dataAt = static_cast<std::uint32_t>(at + 2 + 12 * entries.size() + 4);
    Put16(head, static_cast<unsigned>(entries.size()));
    for (const Entry& entry : entries) {
        Put16(head, entry.tag);
        Put16(head, entry.type);
        Put32(head, entry.count);
        if (entry.value.size() <= 4) {
            head += entry.value;
            head.append(4 - entry.value.size(), '\0');
        } else {
            Put32(head, static_cast<std::uint32_t>(dataAt + data.size()));
            data += entry.value;
            if (entry.value.size() % 2 != 0)
                data += '\0';
        }
    }
    Put32(head, 0);
    return head + data;
}

std::string Segment(unsigned marker, const std::string& body) {
    std::string out;
    out += '\xFF';
    out += static_cast<char>(marker);
    PutBig16(out, static_cast<unsigned>(body.size() + 2));
    return out + body;
}

std::string Taken(int number, const char* format) {
    const std::time_t when = static_cast<std::time_t>(kEpoch + number * kStep);
    std::tm fields{};
    gmtime_r(&when, &fields);
    char text[32];
    std::strftime(text, sizeof text, format, &fields);
    return text;
}

std::string ExifSegment(int number) {
    const std::vector<Entry> exif = {
        Bytes(0x9000, "0232"),                              // ExifVersion
        Text(0x9003, Taken(number, "%Y:%m:%d %H:%M:%S")),   // DateTimeOriginal
        Bytes(0x9101, std::string("\x01\x02\x03\x00", 4)),  // ComponentsConfiguration
        Bytes(0xA000, "0100"),                              // FlashpixVersion
        Short(0xA001, 1),                                   // ColorSpace: sRGB
        Short(0xA002, 8),                                   // the pixels' width
        Short(0xA003, 8),                                   // and height
    };
    const auto ifd0 = [number](std::uint32_t exifAt) {
        return Directory(
            {Text(0x010F, "BenchCam"), Text(0x0110, "BC-" + std::to_string(100 + number % 3)),
             Rational(0x011A, 72, 1), Rational(0x011B, 72, 1),
             Short(0x0128, 2),  // ResolutionUnit: inches
             Short(0x0213, 1),  // YCbCrPositioning: centred
             Long(0x8769, exifAt)},
            8);
    };
    const auto exifAt = static_cast<std::uint32_t>(8 + ifd0(0).size());
    std::string tiff("II*\0", 4);
    Put32(tiff, 8);
    tiff += ifd0(exifAt) + Directory(exif, exifAt);
    return Segment(0xE1, std::string("Exif\0\0", 6) + tiff);
}

// A baseline JPEG of 8x8 grey pixels: one quantisation table (all 1), one component, a DC
// and an AC Huffman table of one code each ("0": DC difference 0, and end of block), and
// one block coded as those two codes, "00", padded with ones: 0x3F. Every pixel is 128.
std::string Image() {
    std::string sof("\x08", 1);
    PutBig16(sof, 8);
    PutBig16(sof, 8);
    sof += std::string("\x01\x01\x11\x00", 4);
    std::string dht;
    for (const char tableClass : {'\x00', '\x10'}) {
        dht += tableClass;
        dht += '\x01';         // one code of length 1
        dht.append(15, '\0');  // none longer
        dht += '\0';           // its symbol: 0
    }
    return Segment(0xDB, std::string(1, '\0') + std::string(64, '\x01')) + Segment(0xC0, sof) +
           Segment(0xC4, dht) + Segment(0xDA, std::string("\x01\x01\x00\x00\x3F\x00", 6)) +
           std::string("\x3F\xFF\xD9", 3);
}

}  // namespace

std::string PhotoName(int number) {
    char name[32];
    std::snprintf(name, sizeof name, "IMG_%04d.JPG", number);
    return name;
}

std::string PhotoStamp(int number) {
    return Taken(number, "%Y%m%d_%H%M%S");
}

std::string PhotoBytes(int number) {
    static const std::string image = Image();
    return std::string("\xFF\xD8", 2) + ExifSegment(number) + image;
}

bool MakePhotos(const std::filesystem::path& folder, int count) {
    std::filesystem::create_directories(folder);
    for (int number = 1; number <= count; ++number) {
        std::ofstream file(folder / PhotoName(number), std::ios::binary | std::ios::trunc);
        file << PhotoBytes(number);
        if (!file.flush())
            return false;
    }
    return true;
}

}  // namespace brindle::bench
