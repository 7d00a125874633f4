#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <exception>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <taglib/apefile.h>
#include <taglib/apetag.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mpcfile.h>
#include <taglib/mpegfile.h>
#include <taglib/oggfile.h>
#include <taglib/tdebuglistener.h>
#include <taglib/tpropertymap.h>
#include <taglib/trueaudiofile.h>
#include <taglib/wavfile.h>
#include <taglib/wavpackfile.h>
#include <taglib/xiphcomment.h>

#include "platform/AudioTagReader.h"
#include "platform/HeldFacts.h"
#include "platform/NameCodec.h"
#include "platform/PreadAudioStream.h"

namespace brindle {

namespace {

class SilentListener final : public TagLib::DebugListener {
public:
    void printMessage(const TagLib::String&) override {}
};

// ID3v1 slots carry no code page. A slot ends at its first zero byte and keeps its
// spaces, as in the engine's reader, so that both give the same text.
class PlatformId3v1Text final : public TagLib::ID3v1::StringHandler {
public:
    TagLib::String parse(const TagLib::ByteVector& data) const override {
        std::string_view slot(data.data(), data.size());
        const auto zero = slot.find('\0');
        if (zero != std::string_view::npos)
            slot = slot.substr(0, zero);
        const std::string bytes(slot);
        return TagLib::String(bytes,
                              IsValidUtf8(slot) ? TagLib::String::UTF8 : TagLib::String::Latin1);
    }
};

std::once_flag prepared;

// The library's strings hold UTF-16 code units in wide characters.
std::u16string ToUtf16(const TagLib::String& text) {
    std::u16string out;
    out.reserve(text.size());
    for (auto it = text.begin(); it != text.end(); ++it) {
        const auto unit = static_cast<std::uint32_t>(*it);
        if (unit > 0xFFFF) {
            // Not expected from the library; a whole code point is still a code point.
            if (unit > 0x10FFFF) {
                out.push_back(u'\uFFFD');
                continue;
            }
            out.push_back(static_cast<char16_t>(0xD800 + ((unit - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((unit - 0x10000) & 0x3FF)));
            continue;
        }
        out.push_back(static_cast<char16_t>(unit));
    }
    // A lone surrogate from a damaged UTF-16 frame is no character; it must not pass
    // for one of the names' byte escapes either.
    for (std::size_t i = 0; i < out.size(); ++i) {
        const char16_t c = out[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < out.size() && out[i + 1] >= 0xDC00 &&
            out[i + 1] <= 0xDFFF) {
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            out[i] = u'\uFFFD';
        }
    }
    return out;
}

bool IsBlank(std::u16string_view text) {
    for (char16_t c : text) {
        if (c != u' ' && c != u'\t' && c != u'\r' && c != u'\n' && c != u'\0')
            return false;
    }
    return true;
}

// A property's values joined with "; ", the blank ones left out; empty when none is left.
std::u16string Joined(const TagLib::StringList& values) {
    std::u16string joined;
    for (const auto& value : values) {
        std::u16string text = ToUtf16(value);
        if (IsBlank(text))
            continue;
        if (!joined.empty())
            joined += u"; ";
        joined += text;
    }
    return joined;
}

std::u16string_view Trimmed(std::u16string_view text) {
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\t'))
        text.remove_suffix(1);
    return text;
}

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// "3/12" is track 3 of 12.
std::u16string NumberBeforeSlash(std::u16string_view text) {
    return std::u16string(Trimmed(text.substr(0, text.find(u'/'))));
}

// A date that starts with its year ("2021", "2021-05-03"); other texts give no year.
std::u16string YearOf(std::u16string_view text) {
    text = Trimmed(text);
    if (text.size() < 4 || !IsDigit(text[0]) || !IsDigit(text[1]) || !IsDigit(text[2]) ||
        !IsDigit(text[3]))
        return {};
    if (text.size() > 4 && IsDigit(text[4]))
        return {};
    return std::u16string(text.substr(0, 4));
}

struct Field {
    const char* property;
    const char* fact;
    std::u16string (*shape)(std::u16string_view);
};

std::u16string AsIs(std::u16string_view text) {
    return std::u16string(text);
}

constexpr Field kFields[] = {
    {"ARTIST", "tag.artist", AsIs},
    {"ALBUMARTIST", "tag.albumartist", AsIs},
    {"ALBUM", "tag.album", AsIs},
    {"TITLE", "tag.title", AsIs},
    {"TRACKNUMBER", "tag.track", NumberBeforeSlash},
    {"DISCNUMBER", "tag.disc", NumberBeforeSlash},
    {"DATE", "tag.year", YearOf},
    {"GENRE", "tag.genre", AsIs},
    {"COMPOSER", "tag.composer", AsIs},
};

// An ID3v2 tag that says it is longer than the whole file was cut short or lies about
// its size; what the library salvaged from it is not taken.
bool Id3v2Fits(const TagLib::ID3v2::Tag* tag, std::uint64_t size, std::string& damage) {
    if (tag->header()->completeTagSize() <= size)
        return true;
    damage = "its ID3v2 tag runs past the end of the file";
    return false;
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

// The audio tag library takes Ogg pages without their checksums. The pages that carry
// the stream's first two packets (its header and its comments) are checked here, so that
// a damaged comment page gives no value rather than a wrong one.
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

// The tags of a file, the one players prefer first. Files that may carry several kinds
// of tag answer the library's property question from the first kind present only, so
// an MP3 with an empty ID3v2 tag would hide its ID3v1 values; each kind is asked here.
std::vector<TagLib::PropertyMap> TagsOf(TagLib::File& file, std::uint64_t size,
                                        std::string& damage) {
    std::vector<TagLib::PropertyMap> maps;
    if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(&file)) {
        if (mpeg->hasID3v2Tag() && Id3v2Fits(mpeg->ID3v2Tag(), size, damage))
            maps.push_back(mpeg->ID3v2Tag()->properties());
        if (mpeg->hasAPETag())
            maps.push_back(mpeg->APETag()->properties());
        if (mpeg->hasID3v1Tag())
            maps.push_back(mpeg->ID3v1Tag()->properties());
    } else if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(&file)) {
        if (flac->hasXiphComment())
            maps.push_back(flac->xiphComment()->properties());
        if (flac->hasID3v2Tag() && Id3v2Fits(flac->ID3v2Tag(), size, damage))
            maps.push_back(flac->ID3v2Tag()->properties());
        if (flac->hasID3v1Tag())
            maps.push_back(flac->ID3v1Tag()->properties());
    } else if (auto* ape = dynamic_cast<TagLib::APE::File*>(&file)) {
        if (ape->hasAPETag())
            maps.push_back(ape->APETag()->properties());
        if (ape->hasID3v1Tag())
            maps.push_back(ape->ID3v1Tag()->properties());
    } else if (auto* wavpack = dynamic_cast<TagLib::WavPack::File*>(&file)) {
        if (wavpack->hasAPETag())
            maps.push_back(wavpack->APETag()->properties());
        if (wavpack->hasID3v1Tag())
            maps.push_back(wavpack->ID3v1Tag()->properties());
    } else if (auto* mpc = dynamic_cast<TagLib::MPC::File*>(&file)) {
        if (mpc->hasAPETag())
            maps.push_back(mpc->APETag()->properties());
        if (mpc->hasID3v1Tag())
            maps.push_back(mpc->ID3v1Tag()->properties());
    } else if (auto* tta = dynamic_cast<TagLib::TrueAudio::File*>(&file)) {
        if (tta->hasID3v2Tag() && Id3v2Fits(tta->ID3v2Tag(), size, damage))
            maps.push_back(tta->ID3v2Tag()->properties());
        if (tta->hasID3v1Tag())
            maps.push_back(tta->ID3v1Tag()->properties());
    } else if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(&file)) {
        if (wav->hasID3v2Tag())
            maps.push_back(wav->ID3v2Tag()->properties());
        if (wav->hasInfoTag())
            maps.push_back(wav->InfoTag()->properties());
    } else {
        maps.push_back(file.properties());
    }
    return maps;
}

bool ReadTags(int fd, std::uint64_t size, std::string_view nameBytes, HeldFacts& facts) {
    PreadAudioStream stream(fd, size, std::string(nameBytes));
    // Without the audio properties: they cost a scan of the stream and are not asked for.
    const TagLib::FileRef ref(&stream, false);
    if (stream.readError() != 0) {
        facts.problem = std::string("could not be read: ") + std::strerror(stream.readError());
        return false;
    }
    if (ref.isNull() || !ref.file()->isValid()) {
        facts.problem = "no audio file the reader knows, or a damaged one";
        return false;
    }
    if (dynamic_cast<TagLib::Ogg::File*>(ref.file()) != nullptr &&
        !OggHeaderPagesIntact(fd, size)) {
        facts.problem = "a damaged Ogg file: its first pages are cut short or fail their checksums";
        return false;
    }
    std::string damage;
    const auto maps = TagsOf(*ref.file(), size, damage);
    if (stream.readError() != 0) {
        facts.problem = std::string("could not be read: ") + std::strerror(stream.readError());
        return false;
    }
    bool any = false;
    for (const Field& field : kFields) {
        for (const auto& map : maps) {
            const auto found = map.find(field.property);
            if (found == map.end())
                continue;
            std::u16string value = field.shape(Joined(found->second));
            if (value.empty())
                continue;
            facts.Set(field.fact, std::move(value));
            any = true;
            break;
        }
    }
    if (!any)
        facts.problem = damage.empty() ? "no tags the reader knows" : damage;
    return any;
}

}  // namespace

void PrepareAudioTagReader() {
    std::call_once(prepared, [] {
        static SilentListener listener;
        static const PlatformId3v1Text id3v1Text;
        TagLib::setDebugListener(&listener);
        TagLib::ID3v1::Tag::setStringHandler(&id3v1Text);
    });
}

bool ReadAudioTags(int fd, std::uint64_t size, std::string_view nameBytes, HeldFacts& facts) {
    try {
        PrepareAudioTagReader();
        if (ReadTags(fd, size, nameBytes, facts))
            return true;
        // The extension may lie (a FLAC file named .mp3 opens as an MP3 without tags):
        // the content alone decides the second time.
        if (nameBytes.find('.') == std::string_view::npos)
            return false;
        HeldFacts byContent;
        if (!ReadTags(fd, size, {}, byContent))
            return false;
        for (auto& [name, value] : byContent.values)
            facts.Set(name, std::move(value));
        facts.problem.clear();
        return true;
    } catch (const std::bad_alloc&) {
        facts.problem = "its tags are too large to read";
    } catch (const std::exception& error) {
        facts.problem = std::string("its tags could not be read: ") + error.what();
    }
    return false;
}

}  // namespace brindle
