// The photo reader: Exiv2 over a descriptor read by pread (PreadPhotoIo), the date taken and
// the camera data in the forms the tokens want, and any Exif, IPTC or XMP key by its name.

#include <cmath>
#include <cstdint>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/HeldFacts.h"
#include "platform/NameCodec.h"
#include "platform/heldfacts/PreadPhotoIo.h"
#include "platform/heldfacts/Readers.h"

// The library's headers hand out std::auto_ptr, deprecated since C++11.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>

namespace brindle {
namespace {

// The XMP toolkit keeps one registry of namespaces for the process; a file may add to it.
std::mutex xmpRegistryLock;

void LockXmpRegistry(void*, bool lock) {
    if (lock)
        xmpRegistryLock.lock();
    else
        xmpRegistryLock.unlock();
}

// The library's first error while this thread reads a file: it says what is damaged when
// the file gave nothing. Nothing the library logs reaches the standard error.
thread_local std::string libraryError;

void NoteLibraryError(int level, const char* text) {
    if (level >= Exiv2::LogMsg::error && libraryError.empty() && text != nullptr)
        libraryError = text;
}

// A value longer than any name could hold is cut, at a character's start where it is UTF-8.
constexpr std::size_t kValueLimit = 1024;

bool IsTrimmed(char c) {
    return c == ' ' || c == '\0' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string Trimmed(std::string_view text) {
    while (!text.empty() && IsTrimmed(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsTrimmed(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

std::u16string Decoded(std::string text) {
    if (text.size() > kValueLimit) {
        std::size_t cut = kValueLimit;
        if (IsValidUtf8(text)) {
            while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
                --cut;
        }
        text.resize(cut);
    }
    return DecodeTextLine(text);
}

// The library's message as the end of a sentence: "failed to read image data".
std::string Reason(std::string_view prefix, const char* what) {
    std::string text = Trimmed(what == nullptr ? "" : what);
    while (!text.empty() && (text.back() == '.' || text.back() == '\n'))
        text.pop_back();
    if (text.size() > 1 && text[0] >= 'A' && text[0] <= 'Z' && !(text[1] >= 'A' && text[1] <= 'Z'))
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text.empty() ? std::string(prefix) : std::string(prefix) + ": " + text;
}

enum class Ifd { Image, Photo };

// The tags of the image's directory and of its Exif directory, found in one pass: the
// library's own lookup builds a key's text for every tag it passes.
class ExifTags {
public:
    explicit ExifTags(const Exiv2::ExifData& exif) : exif_(exif) {
        static const int imageIfd = Exiv2::ExifKey(0x010F, "Image").ifdId();
        static const int photoIfd = Exiv2::ExifKey(0x9003, "Photo").ifdId();
        for (const Exiv2::Exifdatum& datum : exif) {
            const int ifd = datum.ifdId();
            if ((ifd == imageIfd || ifd == photoIfd) && datum.count() > 0 &&
                Find(datum.tag(), ifd == photoIfd ? Ifd::Photo : Ifd::Image) == nullptr)
                tags_.push_back(
                    {Code(datum.tag(), ifd == photoIfd ? Ifd::Photo : Ifd::Image), &datum});
        }
    }
    const Exiv2::Exifdatum* Find(std::uint16_t tag, Ifd ifd) const {
        const std::uint32_t code = Code(tag, ifd);
        for (const auto& [key, datum] : tags_) {
            if (key == code)
                return datum;
        }
        return nullptr;
    }
    const Exiv2::ExifData& all() const { return exif_; }

private:
    static std::uint32_t Code(std::uint16_t tag, Ifd ifd) {
        return static_cast<std::uint32_t>(ifd) << 16 | tag;
    }
    const Exiv2::ExifData& exif_;
    std::vector<std::pair<std::uint32_t, const Exiv2::Exifdatum*>> tags_;
};

std::string ExifText(const ExifTags& exif, std::uint16_t tag, Ifd ifd) {
    // A text in a numeric type would print as numbers, which are no name, date or offset.
    const Exiv2::Exifdatum* datum = exif.Find(tag, ifd);
    return datum == nullptr || datum->typeId() != Exiv2::asciiString ? std::string()
                                                                     : Trimmed(datum->toString());
}

// Exif's "0000:00:00 00:00:00", and a date of blanks, say that the camera knew none.
bool IsNoDate(std::string_view text) {
    return text.find_first_not_of("0: -T") == std::string_view::npos;
}

std::string LeadingDigits(std::string_view text) {
    const std::size_t end = text.find_first_not_of("0123456789");
    return std::string(text.substr(0, end));
}

// "+02:00" as Exif writes an offset; anything else is no offset.
std::string OffsetText(const std::string& text) {
    const auto digit = [&](std::size_t i) { return text[i] >= '0' && text[i] <= '9'; };
    const bool valid = text.size() == 6 && (text[0] == '+' || text[0] == '-') && digit(1) &&
                       digit(2) && text[3] == ':' && digit(4) && digit(5);
    return valid ? text : std::string();
}

void ReadTaken(const ExifTags& exif, const Exiv2::XmpData& xmp, HeldFacts& facts) {
    struct ExifDate {
        std::uint16_t date, subSeconds, offset;
    };
    // DateTimeOriginal, then DateTimeDigitized; never DateTime, the time of the last edit.
    for (const ExifDate& source :
         {ExifDate{0x9003, 0x9291, 0x9011}, ExifDate{0x9004, 0x9292, 0x9012}}) {
        const std::string date = ExifText(exif, source.date, Ifd::Photo);
        if (IsNoDate(date))
            continue;
        facts.taken = date;
        facts.takenSubSeconds = LeadingDigits(ExifText(exif, source.subSeconds, Ifd::Photo));
        facts.takenOffset = OffsetText(ExifText(exif, source.offset, Ifd::Photo));
        return;
    }
    for (const char* key : {"Xmp.photoshop.DateCreated", "Xmp.xmp.CreateDate"}) {
        const auto found = xmp.findKey(Exiv2::XmpKey(key));
        if (found == xmp.end())
            continue;
        const std::string date = Trimmed(found->toString());
        if (IsNoDate(date))
            continue;
        facts.taken = date;
        return;
    }
}

// A decimal as a person reads it: at most `places` decimals, trailing zeros dropped.
std::string DecimalText(double value, int places) {
    const double scale = std::pow(10.0, places);
    const auto scaled = static_cast<long long>(std::llround(value * scale));
    std::string text = std::to_string(scaled / static_cast<long long>(scale));
    long long fraction = scaled % static_cast<long long>(scale);
    if (fraction != 0) {
        std::string digits = std::to_string(fraction);
        digits.insert(0, static_cast<std::size_t>(places) - digits.size(), '0');
        while (digits.back() == '0')
            digits.pop_back();
        text += '.' + digits;
    }
    return text;
}

// A positive rational of the file as a double; 0 when it is none.
double PositiveRational(const Exiv2::Exifdatum* datum) {
    if (datum == nullptr)
        return 0;
    const Exiv2::Rational value = datum->toRational(0);
    if (value.second == 0 || value.first <= 0 || value.second < 0)
        return 0;
    return static_cast<double>(value.first) / static_cast<double>(value.second);
}

// Exposure times of half a second or less are 1/N with N the nearest whole number
// (1/250; 0.4 s is 1/3, since 1/2.5 rounds up); longer ones are seconds with at most one
// decimal (0.6, 2.5, 30).
std::string ExposureText(double seconds) {
    if (seconds <= 0.5)
        return "1/" + std::to_string(std::llround(1.0 / seconds));
    return DecimalText(seconds, 1);
}

// The library's lens name, or its maker note's, when it names one: an unknown lens number
// prints as "(123)", or as a word for none.
std::string LensText(const ExifTags& exif) {
    std::string lens = ExifText(exif, 0xA434, Ifd::Photo);
    if (!lens.empty())
        return lens;
    const auto found = Exiv2::lensName(exif.all());
    if (found == exif.all().end())
        return {};
    lens = Trimmed(found->print(&exif.all()));
    const bool unknown = lens.empty() || (lens.front() == '(' && lens.back() == ')') ||
                         lens == "Unknown" || lens == "unknown" || lens == "n/a" ||
                         lens == "None" ||
                         lens.find_first_not_of("0123456789") == std::string::npos;
    return unknown ? std::string() : lens;
}

long PositiveLong(const Exiv2::Exifdatum* datum) {
    if (datum == nullptr)
        return 0;
    const long value = datum->toLong(0);
    return value > 0 ? value : 0;
}

void ReadCamera(const Exiv2::Image& image, const ExifTags& exif, HeldFacts& facts) {
    const auto set = [&](std::string_view name, std::string text) {
        if (!text.empty())
            facts.Set(name, Decoded(std::move(text)));
    };
    set("exif.make", ExifText(exif, 0x010F, Ifd::Image));
    set("exif.model", ExifText(exif, 0x0110, Ifd::Image));
    set("exif.lens", LensText(exif));

    // ISOSpeedRatings (PhotographicSensitivity) saturates at 65535; ISOSpeed then holds more.
    long iso = PositiveLong(exif.Find(0x8827, Ifd::Photo));
    if (iso == 0 || iso == 65535) {
        if (const long more = PositiveLong(exif.Find(0x8833, Ifd::Photo)); more > 0)
            iso = more;
    }
    if (iso > 0)
        set("exif.iso", std::to_string(iso));

    // f/0.95 is read with two decimals, f/2.8 with one.
    if (const double f = PositiveRational(exif.Find(0x829D, Ifd::Photo)); f > 0)
        set("exif.fnumber", DecimalText(f, f < 1 ? 2 : 1));
    if (const double t = PositiveRational(exif.Find(0x829A, Ifd::Photo)); t > 0)
        set("exif.exposure", ExposureText(t));
    if (const double mm = PositiveRational(exif.Find(0x920A, Ifd::Photo)); mm > 0)
        set("exif.focal", DecimalText(mm, 1));

    long width = PositiveLong(exif.Find(0xA002, Ifd::Photo));
    long height = PositiveLong(exif.Find(0xA003, Ifd::Photo));
    if (width == 0 || height == 0) {
        width = image.pixelWidth();
        height = image.pixelHeight();
    }
    if (width > 0 && height > 0) {
        set("exif.width", std::to_string(width));
        set("exif.height", std::to_string(height));
    }
}

// A key's value as the library writes it for people: Exif through its tag's printer (with
// the maker note's context), repeated IPTC datasets joined, XMP's default language.
std::string KeyText(const std::string& key, const Exiv2::Image& image) {
    std::string_view name = key;
    if (name.starts_with("Exif.")) {
        const Exiv2::ExifData& exif = image.exifData();
        const auto found = exif.findKey(Exiv2::ExifKey(key));
        return found == exif.end() ? std::string() : Trimmed(found->print(&exif));
    }
    if (name.starts_with("Iptc.")) {
        const Exiv2::IptcData& iptc = image.iptcData();
        const Exiv2::IptcKey wanted(key);
        std::string text;
        for (const Exiv2::Iptcdatum& datum : iptc) {
            if (datum.record() != wanted.record() || datum.tag() != wanted.tag())
                continue;
            const std::string one = Trimmed(datum.print());
            if (one.empty())
                continue;
            text += text.empty() ? one : ", " + one;
        }
        return text;
    }
    if (name.starts_with("Xmp.")) {
        const Exiv2::XmpData& xmp = image.xmpData();
        const auto found = xmp.findKey(Exiv2::XmpKey(key));
        if (found == xmp.end())
            return {};
        if (found->typeId() == Exiv2::langAlt) {
            const auto* alternatives = dynamic_cast<const Exiv2::LangAltValue*>(&found->value());
            if (alternatives == nullptr || alternatives->value_.empty())
                return {};
            const auto fallback = alternatives->value_.find("x-default");
            return Trimmed(fallback != alternatives->value_.end()
                               ? fallback->second
                               : alternatives->value_.begin()->second);
        }
        return Trimmed(found->print());
    }
    return {};
}

void ReadKeys(const std::vector<std::string>& keys, const Exiv2::Image& image, HeldFacts& facts) {
    for (const std::string& key : keys) {
        std::string text;
        try {
            text = KeyText(key, image);
        } catch (const Exiv2::AnyError&) {
            // A name the library does not know has no value in any file.
            continue;
        }
        if (!text.empty())
            facts.Set(key, Decoded(std::move(text)));
    }
}

// The library's video readers (their numbers in its headers of video, which exiv2.hpp leaves
// out): a video is no photo, and those readers walk a whole file.
bool IsVideo(int type) {
    constexpr int kRiff = 20, kMatroska = 21, kQuickTime = 22, kAsf = 24;
    return type == kRiff || type == kMatroska || type == kQuickTime || type == kAsf;
}

constexpr char kUnknownKind[] = "not a photo the reader knows";

}  // namespace

namespace heldfacts {

void PrepareReaders() {
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::XmpParser::initialize(&LockXmpRegistry, nullptr);
        Exiv2::enableBMFF(true);
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::error);
        Exiv2::LogMsg::setHandler(&NoteLibraryError);
        PrepareAudioTagReader();
    });
}

bool ReadPhotoFacts(int fd, std::uint64_t size, const HeldFactsNeeds& needs, HeldFacts& facts) {
    if (!needs.photo && needs.photoKeys.empty())
        return true;
    if (size == 0) {
        facts.problem = "an empty file";
        return false;
    }
    PrepareReaders();
    libraryError.clear();
    std::size_t valuesBefore = 0;
    HeldFacts before;
    PreadPhotoIo* io = nullptr;
    // The image owns the input once opened; until then `io` may be gone after a throw.
    Exiv2::Image::AutoPtr image;
    try {
        valuesBefore = facts.values.size();
        before = facts;
        io = new PreadPhotoIo(fd, size);
        Exiv2::BasicIo::AutoPtr owned(io);
        // The first read ahead, which the library's tests of the file's kind then use.
        io->open();
        if (io->getb() == EOF && io->readError() != 0) {
            facts.problem =
                "could not be read: " + std::generic_category().message(io->readError());
            return false;
        }
        try {
            image = Exiv2::ImageFactory::open(owned);
        } catch (const Exiv2::AnyError&) {
            // The library's tests of a file's kind throw on files shorter than they read.
            facts.problem = kUnknownKind;
            return false;
        }
        if (image.get() == nullptr || IsVideo(image->imageType())) {
            facts.problem = kUnknownKind;
            return false;
        }
        image->readMetadata();
        if (needs.photo) {
            const ExifTags exif(image->exifData());
            ReadTaken(exif, image->xmpData(), facts);
            ReadCamera(*image, exif, facts);
        }
        ReadKeys(needs.photoKeys, *image, facts);
        if (facts.taken.empty() && facts.values.size() == valuesBefore && !libraryError.empty()) {
            facts.problem = Reason("damaged", libraryError.c_str());
            return false;
        }
        return true;
    } catch (const std::bad_alloc&) {
        facts.problem = "damaged: its metadata would not fit in memory";
    } catch (const Exiv2::AnyError& error) {
        const int code = error.code();
        if (code == Exiv2::kerFileContainsUnknownImageType ||
            code == Exiv2::kerMemoryContainsUnknownImageType || code == Exiv2::kerNotAnImage) {
            facts.problem = kUnknownKind;
        } else if (image.get() != nullptr && io->overLimit()) {
            facts.problem = "damaged: its metadata would take more than " +
                            std::to_string(PreadPhotoIo::kReadLimit >> 20) + " MiB to read";
        } else {
            facts.problem = Reason("damaged", error.what());
        }
    } catch (const std::exception& error) {
        facts.problem = Reason("damaged", error.what());
    } catch (...) {
        // The XMP toolkit's own errors are no std::exception; the file is as damaged.
        facts.problem = "damaged: the photo library failed on it";
    }
    const std::string problem = facts.problem;
    facts = before;
    facts.problem = problem;
    return false;
}

}  // namespace heldfacts

}  // namespace brindle
