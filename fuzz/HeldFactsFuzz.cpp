// The readers of what files hold (photo metadata, audio tags) on arbitrary files: no
// crash, no hang, no huge allocation, and what they give back keeps their contract. The
// first byte picks the name the file goes by (its extension steers the audio reader's
// guess); the rest is the file. Started on an empty corpus folder, the target first
// writes its seeds there: a JPEG with an Exif block, an ID3v2.4 MP3, a FLAC file and an
// Ogg Vorbis file, each written by hand.
#include <dirent.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

#include "platform/heldfacts/Readers.h"
#include "tests/support/AudioFileBytes.h"

namespace {

using namespace brindle::testing;

constexpr std::string_view kNames[] = {"a.mp3", "a.flac", "a.ogg", "a.m4a", "a.jpg"};

std::string Utf8Text(int version, const std::string& text) {
    return TextFrameBody(version == 4 ? '\x03' : '\x00', text);
}

// A JPEG of no picture: its start, an Exif block (camera make and the date taken in the
// Exif IFD, little-endian), its end.
std::string JpegWithExif() {
    const std::string make = std::string("Brindle") + '\0';
    const std::string taken = std::string("2024:06:01 12:34:56") + '\0';
    // TIFF header (8), IFD0 of two entries (2 + 24 + 4) at 8, Exif IFD of one (2 + 12 + 4)
    // at 38, then the texts.
    const std::uint32_t exifIfd = 38;
    const std::uint32_t makeAt = exifIfd + 18;
    const std::uint32_t takenAt = makeAt + static_cast<std::uint32_t>(make.size());
    std::string tiff = "II*" + std::string(1, '\0') + LittleEndian(8, 4);
    tiff += LittleEndian(2, 2);
    tiff += LittleEndian(0x010F, 2) + LittleEndian(2, 2) + LittleEndian(make.size(), 4) +
            LittleEndian(makeAt, 4);
    tiff += LittleEndian(0x8769, 2) + LittleEndian(4, 2) + LittleEndian(1, 4) +
            LittleEndian(exifIfd, 4);
    tiff += LittleEndian(0, 4);
    tiff += LittleEndian(1, 2);
    tiff += LittleEndian(0x9003, 2) + LittleEndian(2, 2) + LittleEndian(taken.size(), 4) +
            LittleEndian(takenAt, 4);
    tiff += LittleEndian(0, 4);
    tiff += make + taken;
    const std::string exif = std::string("Exif\0\0", 6) + tiff;
    return std::string("\xFF\xD8\xFF\xE1", 4) + BigEndian(exif.size() + 2, 2) + exif +
           std::string("\xFF\xD9", 2);
}

void WriteSeed(const std::string& folder, const std::string& name, char selector,
               const std::string& bytes) {
    std::ofstream out(folder + "/" + name, std::ios::binary);
    out << selector << bytes;
}

void WriteSeeds(const std::string& folder) {
    const TagFields vorbis = {
        {"ARTIST", "Artist"}, {"TITLE", "Title"}, {"TRACKNUMBER", "3/12"}, {"DATE", "2021-05-03"}};
    WriteSeed(folder, "seed-mp3", 0,
              Id3v2Tag(4, {{"TPE1", Utf8Text(4, "Artist")},
                           {"TIT2", Utf8Text(4, "Title")},
                           {"TRCK", Utf8Text(4, "3/12")},
                           {"TDRC", Utf8Text(4, "2021")}}) +
                  SilentMpegFrames());
    WriteSeed(folder, "seed-flac", 1, Flac(vorbis));
    WriteSeed(folder, "seed-ogg", 2, OggVorbis(vorbis));
    WriteSeed(folder, "seed-m4a", 3, M4a({{"\xA9nam", "Title"}, {"trkn", "3/12"}}));
    WriteSeed(folder, "seed-jpg", 4, JpegWithExif());
}

bool IsEmptyFolder(const char* path) {
    DIR* dir = opendir(path);
    if (dir == nullptr)
        return false;
    bool empty = true;
    while (const dirent* entry = readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") {
            empty = false;
            break;
        }
    }
    closedir(dir);
    return empty;
}

// A name the readers give a value for: the audio tags, the camera data, the keys asked.
bool IsKnownName(const std::string& name) {
    return name.rfind("tag.", 0) == 0 || name.rfind("exif.", 0) == 0 || name == "Exif.Image.Make" ||
           name == "Xmp.dc.title";
}

void CheckFacts(bool read, const brindle::HeldFacts& facts) {
    if (read != facts.problem.empty())
        std::abort();
    for (const auto& [name, value] : facts.values) {
        if (!IsKnownName(name) || value.empty())
            std::abort();
    }
}

int fd = -1;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // The first folder named is the corpus libFuzzer adds to; an empty one gets the seeds.
    for (int i = 1; i < *argc; ++i) {
        const char* arg = (*argv)[i];
        if (arg[0] == '-')
            continue;
        if (IsEmptyFolder(arg))
            WriteSeeds(arg);
        break;
    }
    brindle::heldfacts::PrepareReaders();
    fd = memfd_create("brindle-held-facts", MFD_CLOEXEC);
    if (fd < 0)
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::string_view name = kNames[data[0] % std::size(kNames)];
    const std::uint8_t* file = data + 1;
    const std::size_t length = size - 1;
    if (ftruncate(fd, 0) != 0)
        std::abort();
    for (std::size_t done = 0; done < length;) {
        const ssize_t n = pwrite(fd, file + done, length - done, static_cast<off_t>(done));
        if (n <= 0)
            std::abort();
        done += static_cast<std::size_t>(n);
    }
    // The readers must leave the descriptor where it is.
    const off_t offset = static_cast<off_t>(length / 3);
    if (lseek(fd, offset, SEEK_SET) != offset)
        std::abort();

    brindle::HeldFactsNeeds needs;
    needs.photo = true;
    needs.photoKeys = {"Exif.Image.Make", "Xmp.dc.title"};
    brindle::HeldFacts photo;
    CheckFacts(brindle::heldfacts::ReadPhotoFacts(fd, length, needs, photo), photo);

    brindle::HeldFacts audio;
    const bool read = brindle::heldfacts::ReadAudioTags(fd, length, name, audio);
    CheckFacts(read, audio);
    for (const auto& entry : audio.values) {
        if (entry.first.rfind("tag.", 0) != 0)
            std::abort();
    }
    if (lseek(fd, 0, SEEK_CUR) != offset)
        std::abort();
    return 0;
}
