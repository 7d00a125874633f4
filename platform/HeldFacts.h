#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brindle {

// Which of the facts a file holds inside it a batch asks for: its pattern's tokens say so,
// and the readers read only these.
struct HeldFactsNeeds {
    // The photo's metadata: the date taken and the camera data ({taken}, {exif.*}).
    bool photo = false;
    // The audio tags ({tag.*}).
    bool audio = false;
    // Any Exif, IPTC or XMP key by its library name ({exif:Exif.Photo.LensModel}):
    // sorted, each once.
    std::vector<std::string> photoKeys;

    bool any() const { return photo || audio || !photoKeys.empty(); }
    bool operator==(const HeldFactsNeeds&) const = default;
};

// The facts read from inside one file. Texts are decoded by the platform's rule (UTF-8
// where valid, else ISO-8859-1) and are not yet made fit for a name.
struct HeldFacts {
    // The photo's date taken as the file writes it: Exif's "YYYY:MM:DD HH:MM:SS" (from
    // DateTimeOriginal, else DateTimeDigitized), else XMP's ISO 8601 form
    // "YYYY-MM-DDTHH:MM[:SS[.fff]][+hh:mm|Z]" (photoshop:DateCreated, else xmp:CreateDate);
    // empty when the file has none.
    std::string taken;
    // The sub-seconds of an Exif date taken, as its digits (SubSecTimeOriginal, or
    // SubSecTimeDigitized with the digitized date); empty when none.
    std::string takenSubSeconds;
    // The offset of an Exif date taken from UTC, "+02:00" (OffsetTimeOriginal, or
    // OffsetTimeDigitized); empty when none.
    std::string takenOffset;
    // Named values, each name once: the camera data by the token's name ("exif.make",
    // "exif.model", "exif.lens", "exif.iso", "exif.fnumber" as "2.8", "exif.exposure" as
    // "1/250" or "2.5", "exif.focal" as "35", "exif.width", "exif.height"), the audio tags
    // ("tag.artist", "tag.albumartist", "tag.album", "tag.title", "tag.track" and
    // "tag.disc" as the number before any '/', "tag.year", "tag.genre", "tag.composer"),
    // and each key of HeldFactsNeeds::photoKeys the file has, by its library name, as its
    // interpreted text. A name the file has no value for is left out.
    // The photo reader rounds as people read: "exif.fnumber" to one decimal (two below 1,
    // "0.95"), "exif.focal" to one decimal, "exif.exposure" as 1/N up to half a second with
    // N the nearest whole number (0.4 s is "1/3") and in seconds to one decimal above it
    // ("0.6", "30"); repeated IPTC datasets and XMP arrays are joined with ", ", and XMP's
    // alternatives by language give the default one.
    std::vector<std::pair<std::string, std::u16string>> values;
    // Why the file gave nothing asked for (it could not be opened or read, is no regular
    // file, or is damaged or of a kind the readers do not know); empty when it was read.
    std::string problem;

    // The value of `name`, or null.
    const std::u16string* Find(std::string_view name) const {
        for (const auto& [key, value] : values) {
            if (key == name)
                return &value;
        }
        return nullptr;
    }
    // Sets the value of `name` (the last one set holds).
    void Set(std::string_view name, std::u16string value) {
        for (auto& [key, old] : values) {
            if (key == name) {
                old = std::move(value);
                return;
            }
        }
        values.emplace_back(std::string(name), std::move(value));
    }
};

// Made ready once, before any reader runs and before any worker thread starts: the library
// that holds the readers is loaded (where it cannot be, every reader says why), then the
// photo library's XMP toolkit, its support for HEIF, AVIF and CR3, and its log, muted so
// that its warnings never reach the standard error. Later calls do nothing.
void PrepareHeldFactsReaders();

// Why no reader can run (the library that holds them could not be loaded, in the loader's
// words), or empty. Loads the library the first time it is called.
const std::string& HeldFactsReadersProblem();

// Reads the photo facts `needs` asks for (photo, photoKeys) from the regular file open on
// `fd`, `size` bytes long, through pread only: the descriptor is neither moved, nor
// closed, nor reached by a path. Adds to `facts`; false with `facts.problem` said when
// the file cannot be read as a photo. Never throws; a damaged or hostile file gives no
// value, never a crash, a hang or a huge allocation.
bool ReadPhotoFacts(int fd, std::uint64_t size, const HeldFactsNeeds& needs, HeldFacts& facts);

// Reads the audio tags from the regular file open on `fd`, `size` bytes long, through
// pread only, as ReadPhotoFacts does. `nameBytes` is the file's name, whose extension
// hints at its kind (the content decides where it does not). Adds to `facts`; false with
// `facts.problem` said when the file holds no tags the reader knows.
bool ReadAudioTags(int fd, std::uint64_t size, std::string_view nameBytes, HeldFacts& facts);

}  // namespace brindle
