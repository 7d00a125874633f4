#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <taglib/aifffile.h>
#include <taglib/apefile.h>
#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/flacfile.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/itfile.h>
#include <taglib/modfile.h>
#include <taglib/mp4file.h>
#include <taglib/mpcfile.h>
#include <taglib/mpegfile.h>
#include <taglib/oggflacfile.h>
#include <taglib/opusfile.h>
#include <taglib/s3mfile.h>
#include <taglib/speexfile.h>
#include <taglib/tdebuglistener.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tpropertymap.h>
#include <taglib/trueaudiofile.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/wavpackfile.h>
#include <taglib/xiphcomment.h>
#include <taglib/xmfile.h>

#include "platform/HeldFacts.h"
#include "platform/NameCodec.h"
#include "platform/heldfacts/AudioTagGuards.h"
#include "platform/heldfacts/PreadAudioStream.h"
#include "platform/heldfacts/Readers.h"

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

using FilePtr = std::unique_ptr<TagLib::File>;

std::string UpperExtension(std::string_view name) {
    const auto dot = name.rfind('.');
    std::string extension;
    if (dot == std::string_view::npos)
        return extension;
    for (char c : name.substr(dot + 1))
        extension.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
    return extension;
}

FilePtr Valid(FilePtr file) {
    if (file && !file->isValid())
        file.reset();
    return file;
}

// The kind the name's extension says, as the library's own guess has it, but with the
// guarded ID3v2 frames; null when the extension names none or the file is not of it.
FilePtr OpenByExtension(TagLib::IOStream* stream, const std::string& extension) {
    using namespace TagLib;
    ID3v2::FrameFactory* frames = GuardedId3v2Frames();
    const std::string& e = extension;
    if (e == "MP3" || e == "MP2" || e == "AAC")
        return Valid(std::make_unique<MPEG::File>(stream, frames, false));
    if (e == "OGG")
        return Valid(std::make_unique<Ogg::Vorbis::File>(stream, false));
    if (e == "OGA") {
        if (FilePtr file = Valid(std::make_unique<Ogg::FLAC::File>(stream, false)))
            return file;
        return Valid(std::make_unique<Ogg::Vorbis::File>(stream, false));
    }
    if (e == "FLAC")
        return Valid(std::make_unique<FLAC::File>(stream, frames, false));
    if (e == "MPC")
        return Valid(std::make_unique<MPC::File>(stream, false));
    if (e == "WV")
        return Valid(std::make_unique<WavPack::File>(stream, false));
    if (e == "SPX")
        return Valid(std::make_unique<Ogg::Speex::File>(stream, false));
    if (e == "OPUS")
        return Valid(std::make_unique<Ogg::Opus::File>(stream, false));
    if (e == "TTA")
        return Valid(std::make_unique<TrueAudio::File>(stream, frames, false));
    if (e == "M4A" || e == "M4R" || e == "M4B" || e == "M4P" || e == "MP4" || e == "3G2" ||
        e == "M4V")
        return Valid(std::make_unique<MP4::File>(stream, false));
    if (e == "WMA" || e == "ASF")
        return Valid(std::make_unique<ASF::File>(stream, false));
    if (e == "AIF" || e == "AIFF" || e == "AFC" || e == "AIFC")
        return Valid(std::make_unique<RIFF::AIFF::File>(stream, false));
    if (e == "WAV")
        return Valid(std::make_unique<RIFF::WAV::File>(stream, false));
    if (e == "APE")
        return Valid(std::make_unique<APE::File>(stream, false));
    if (e == "MOD" || e == "MODULE" || e == "NST" || e == "WOW")
        return Valid(std::make_unique<Mod::File>(stream, false));
    if (e == "S3M")
        return Valid(std::make_unique<S3M::File>(stream, false));
    if (e == "IT")
        return Valid(std::make_unique<IT::File>(stream, false));
    if (e == "XM")
        return Valid(std::make_unique<XM::File>(stream, false));
    return nullptr;
}

// The kind the first bytes show, in the library's own order of asking.
FilePtr OpenByContent(TagLib::IOStream* stream) {
    using namespace TagLib;
    ID3v2::FrameFactory* frames = GuardedId3v2Frames();
    if (MPEG::File::isSupported(stream))
        return Valid(std::make_unique<MPEG::File>(stream, frames, false));
    if (Ogg::Vorbis::File::isSupported(stream))
        return Valid(std::make_unique<Ogg::Vorbis::File>(stream, false));
    if (Ogg::FLAC::File::isSupported(stream))
        return Valid(std::make_unique<Ogg::FLAC::File>(stream, false));
    if (FLAC::File::isSupported(stream))
        return Valid(std::make_unique<FLAC::File>(stream, frames, false));
    if (MPC::File::isSupported(stream))
        return Valid(std::make_unique<MPC::File>(stream, false));
    if (WavPack::File::isSupported(stream))
        return Valid(std::make_unique<WavPack::File>(stream, false));
    if (Ogg::Speex::File::isSupported(stream))
        return Valid(std::make_unique<Ogg::Speex::File>(stream, false));
    if (Ogg::Opus::File::isSupported(stream))
        return Valid(std::make_unique<Ogg::Opus::File>(stream, false));
    if (TrueAudio::File::isSupported(stream))
        return Valid(std::make_unique<TrueAudio::File>(stream, frames, false));
    if (MP4::File::isSupported(stream))
        return Valid(std::make_unique<MP4::File>(stream, false));
    if (ASF::File::isSupported(stream))
        return Valid(std::make_unique<ASF::File>(stream, false));
    if (RIFF::AIFF::File::isSupported(stream))
        return Valid(std::make_unique<RIFF::AIFF::File>(stream, false));
    if (RIFF::WAV::File::isSupported(stream))
        return Valid(std::make_unique<RIFF::WAV::File>(stream, false));
    if (APE::File::isSupported(stream))
        return Valid(std::make_unique<APE::File>(stream, false));
    return nullptr;
}

// The tags of a file, the one players prefer first. Files that may carry several kinds
// of tag answer the library's property question from the first kind present only, so
// an MP3 with an empty ID3v2 tag would hide its ID3v1 values; each kind is asked here.
std::vector<TagLib::PropertyMap> TagsOf(TagLib::File& file, std::uint64_t size,
                                        const std::vector<Id3Chunk>& id3Chunks,
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
    } else if (dynamic_cast<TagLib::RIFF::File*>(&file) != nullptr) {
        for (const Id3Chunk& chunk : id3Chunks) {
            const TagLib::ID3v2::Tag tag(&file, static_cast<long>(chunk.offset),
                                         GuardedId3v2Frames());
            if (tag.header()->completeTagSize() > chunk.size) {
                damage = "its ID3v2 chunk runs past its end";
                continue;
            }
            maps.push_back(tag.properties());
        }
        auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(&file);
        if (wav != nullptr && wav->hasInfoTag())
            maps.push_back(wav->InfoTag()->properties());
    } else {
        maps.push_back(file.properties());
    }
    return maps;
}

// Reads the file as the kind its extension names (`byExtension`, and the extension names
// one: `extensionChose` tells), else as the kind its content shows. The files are opened
// without their audio properties, which would cost a scan of the stream.
bool ReadTags(int fd, std::uint64_t size, std::string_view nameBytes, bool byExtension,
              bool& extensionChose, HeldFacts& facts) {
    PreadAudioStream stream(fd, size, std::string(nameBytes));
    const std::vector<Id3Chunk> id3Chunks = HideId3Chunks(fd, size, stream);
    FilePtr file = byExtension ? OpenByExtension(&stream, UpperExtension(nameBytes)) : nullptr;
    extensionChose = file != nullptr;
    if (!file)
        file = OpenByContent(&stream);
    if (stream.readError() != 0) {
        facts.problem = std::string("could not be read: ") + std::strerror(stream.readError());
        return false;
    }
    if (!file) {
        facts.problem = "no audio file the reader knows, or a damaged one";
        return false;
    }
    if (dynamic_cast<TagLib::Ogg::File*>(file.get()) != nullptr &&
        !OggHeaderPagesIntact(fd, size)) {
        facts.problem = "a damaged Ogg file: its first pages are cut short or fail their checksums";
        return false;
    }
    std::string damage;
    const auto maps = TagsOf(*file, size, id3Chunks, damage);
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

namespace heldfacts {

void PrepareAudioTagReader() {
    std::call_once(prepared, [] {
        static SilentListener listener;
        static const PlatformId3v1Text id3v1Text;
        TagLib::setDebugListener(&listener);
        TagLib::ID3v1::Tag::setStringHandler(&id3v1Text);
        // The one table the library fills on first use while reading (for the ID3v2
        // credits frames); filled here, before readers run on several threads.
        TagLib::ID3v2::TextIdentificationFrame::involvedPeopleMap();
    });
}

bool ReadAudioTags(int fd, std::uint64_t size, std::string_view nameBytes, HeldFacts& facts) {
    try {
        PrepareAudioTagReader();
        bool extensionChose = false;
        if (ReadTags(fd, size, nameBytes, true, extensionChose, facts))
            return true;
        // The extension may lie (a FLAC file named .mp3 opens as an MP3 without tags):
        // the content alone decides the second time.
        if (!extensionChose)
            return false;
        HeldFacts byContent;
        if (!ReadTags(fd, size, nameBytes, false, extensionChose, byContent))
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

}  // namespace heldfacts

}  // namespace brindle
