#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "PhotoFileBytes.h"
#include "TempFolder.h"
#include "platform/HeldFacts.h"

// The library's headers hand out std::auto_ptr, deprecated since C++11.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace brindle {
namespace {

using testing::PhotoWith;
using testing::ReadBytes;
using testing::Tag;
using testing::TempFolder;
using testing::TinyJpeg;
using testing::WriteBytes;
using testing::WriteTags;

struct Read {
    bool ok = false;
    HeldFacts facts;
};

// Reads the file as the engine does, through a descriptor open for reading, and checks that
// the reader left the descriptor as it found it.
Read ReadFile(const std::string& path, const HeldFactsNeeds& needs) {
    Read read;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    EXPECT_GE(fd, 0) << path;
    struct stat info {};
    EXPECT_EQ(fstat(fd, &info), 0);
    read.ok = ReadPhotoFacts(fd, static_cast<std::uint64_t>(info.st_size), needs, read.facts);
    EXPECT_EQ(lseek(fd, 0, SEEK_CUR), 0) << "the reader moved the descriptor";
    EXPECT_NE(fcntl(fd, F_GETFD), -1) << "the reader closed the descriptor";
    close(fd);
    return read;
}

// The value of `name`, or "(none)".
std::u16string ValueOf(const HeldFacts& facts, std::string_view name) {
    const std::u16string* value = facts.Find(name);
    return value == nullptr ? u"(none)" : *value;
}

HeldFactsNeeds PhotoNeeds(std::vector<std::string> keys = {}) {
    HeldFactsNeeds needs;
    needs.photo = true;
    needs.photoKeys = std::move(keys);
    return needs;
}

class PhotoFactsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { PrepareHeldFactsReaders(); }
    TempFolder folder_;
};

TEST_F(PhotoFactsTest, TakesTheFirstDateTakenTheFileHas) {
    struct Case {
        const char* what;
        std::vector<Tag> tags;
        std::string taken, subSeconds, offset;
    };
    const Exiv2::TypeId ascii = Exiv2::asciiString;
    const std::vector<Case> cases = {
        {"original alone",
         {{"Exif.Photo.DateTimeOriginal", "2021:05:06 07:08:09"}},
         "2021:05:06 07:08:09",
         "",
         ""},
        {"original before digitized",
         {{"Exif.Photo.DateTimeDigitized", "2022:01:01 00:00:00"},
          {"Exif.Photo.DateTimeOriginal", "2021:05:06 07:08:09"},
          {"Exif.Photo.SubSecTimeOriginal", "042"},
          {"Exif.Photo.SubSecTimeDigitized", "7"},
          {"Exif.Photo.OffsetTimeOriginal", "+02:00", ascii},
          {"Exif.Photo.OffsetTimeDigitized", "-05:00", ascii}},
         "2021:05:06 07:08:09",
         "042",
         "+02:00"},
        {"digitized with its own sub-seconds and offset",
         {{"Exif.Photo.DateTimeDigitized", "2022:01:01 10:11:12"},
          {"Exif.Photo.SubSecTimeOriginal", "042"},
          {"Exif.Photo.SubSecTimeDigitized", "7  "},
          {"Exif.Photo.OffsetTimeDigitized", "-05:00", ascii}},
         "2022:01:01 10:11:12",
         "7",
         "-05:00"},
        {"a zero original is none",
         {{"Exif.Photo.DateTimeOriginal", "0000:00:00 00:00:00"},
          {"Exif.Photo.DateTimeDigitized", "2022:01:01 10:11:12"}},
         "2022:01:01 10:11:12",
         "",
         ""},
        {"a blank original is none, XMP's photoshop date next",
         {{"Exif.Photo.DateTimeOriginal", "    :  :     :  :  "},
          {"Xmp.xmp.CreateDate", "2019-01-01T00:00:00"},
          {"Xmp.photoshop.DateCreated", "2020-02-03T04:05:06+01:00"}},
         "2020-02-03T04:05:06+01:00",
         "",
         ""},
        {"XMP's creation date last",
         {{"Xmp.xmp.CreateDate", "2019-12-31T23:59:58.25Z"}},
         "2019-12-31T23:59:58.25Z",
         "",
         ""},
        {"the edit time is no date taken",
         {{"Exif.Image.DateTime", "2023:03:03 03:03:03"}},
         "",
         "",
         ""},
        {"an offset in another form is none",
         {{"Exif.Photo.DateTimeOriginal", "2021:05:06 07:08:09"},
          {"Exif.Photo.OffsetTimeOriginal", "+0200", ascii}},
         "2021:05:06 07:08:09",
         "",
         ""},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Read read = ReadFile(
            PhotoWith(folder_, "taken" + std::to_string(n++) + ".jpg", c.tags), PhotoNeeds());
        EXPECT_TRUE(read.ok) << read.facts.problem;
        EXPECT_EQ(read.facts.taken, c.taken);
        EXPECT_EQ(read.facts.takenSubSeconds, c.subSeconds);
        EXPECT_EQ(read.facts.takenOffset, c.offset);
    }
}

TEST_F(PhotoFactsTest, GivesTheCameraDataInTheFormsPeopleRead) {
    struct Case {
        std::vector<Tag> tags;
        std::vector<std::pair<std::string, std::u16string>> values;
    };
    const std::vector<Case> cases = {
        {{{"Exif.Image.Make", "Canon   "}, {"Exif.Image.Model", " EOS R5"}},
         {{"exif.make", u"Canon"}, {"exif.model", u"EOS R5"}}},
        {{{"Exif.Photo.LensModel", "RF24-105mm F4 L IS USM"}},
         {{"exif.lens", u"RF24-105mm F4 L IS USM"}}},
        {{{"Exif.Photo.ISOSpeedRatings", "400"}}, {{"exif.iso", u"400"}}},
        {{{"Exif.Photo.ISOSpeedRatings", "65535"}, {"Exif.Photo.ISOSpeed", "102400"}},
         {{"exif.iso", u"102400"}}},
        {{{"Exif.Photo.FNumber", "28/10"}, {"Exif.Photo.ExposureTime", "1/250"}},
         {{"exif.fnumber", u"2.8"}, {"exif.exposure", u"1/250"}}},
        {{{"Exif.Photo.FNumber", "8/1"}, {"Exif.Photo.ExposureTime", "4/10"}},
         {{"exif.fnumber", u"8"}, {"exif.exposure", u"1/3"}}},
        {{{"Exif.Photo.FNumber", "140/100"}, {"Exif.Photo.ExposureTime", "5/2"}},
         {{"exif.fnumber", u"1.4"}, {"exif.exposure", u"2.5"}}},
        {{{"Exif.Photo.FNumber", "95/100"}, {"Exif.Photo.ExposureTime", "10/2500"}},
         {{"exif.fnumber", u"0.95"}, {"exif.exposure", u"1/250"}}},
        {{{"Exif.Photo.ExposureTime", "1/2"}}, {{"exif.exposure", u"1/2"}}},
        {{{"Exif.Photo.ExposureTime", "6/10"}}, {{"exif.exposure", u"0.6"}}},
        {{{"Exif.Photo.ExposureTime", "30/1"}}, {{"exif.exposure", u"30"}}},
        {{{"Exif.Photo.FocalLength", "35/1"}}, {{"exif.focal", u"35"}}},
        {{{"Exif.Photo.FocalLength", "425/100"}}, {{"exif.focal", u"4.3"}}},
        {{{"Exif.Photo.PixelXDimension", "4000"}, {"Exif.Photo.PixelYDimension", "3000"}},
         {{"exif.width", u"4000"}, {"exif.height", u"3000"}}},
        // A zero denominator, a zero time: no value.
        {{{"Exif.Photo.FNumber", "28/0"}, {"Exif.Photo.ExposureTime", "0/1"}}, {}},
        // Exif's ASCII in ISO-8859-1 and in UTF-8.
        {{{"Exif.Image.Make", "Jos\xE9"}, {"Exif.Image.Model", "K\xC3\xB6nig"}},
         {{"exif.make", u"Jos\u00E9"}, {"exif.model", u"K\u00F6nig"}}},
    };
    const std::vector<std::string> cameraNames = {"exif.make",  "exif.model",   "exif.lens",
                                                  "exif.iso",   "exif.fnumber", "exif.exposure",
                                                  "exif.focal", "exif.width",   "exif.height"};
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tags.front().key + " " + c.tags.front().text);
        const Read read = ReadFile(
            PhotoWith(folder_, "camera" + std::to_string(n++) + ".jpg", c.tags), PhotoNeeds());
        EXPECT_TRUE(read.ok) << read.facts.problem;
        for (const std::string& name : cameraNames) {
            if (name == "exif.width" || name == "exif.height")
                continue;  // the frame gives them below
            const auto wanted = std::find_if(c.values.begin(), c.values.end(),
                                             [&](const auto& v) { return v.first == name; });
            EXPECT_EQ(ValueOf(read.facts, name),
                      wanted == c.values.end() ? u"(none)" : wanted->second)
                << name;
        }
    }
}

TEST_F(PhotoFactsTest, TakesTheSizeFromTheFrameWithoutExifDimensions) {
    const Read read =
        ReadFile(PhotoWith(folder_, "frame.jpg", {{"Exif.Image.Make", "X"}}), PhotoNeeds());
    ASSERT_TRUE(read.ok) << read.facts.problem;
    ASSERT_NE(read.facts.Find("exif.width"), nullptr);
    EXPECT_EQ(*read.facts.Find("exif.width"), u"1");
    EXPECT_EQ(*read.facts.Find("exif.height"), u"1");
}

TEST_F(PhotoFactsTest, GivesAnyKeyAsTheLibraryPrintsIt) {
    const std::string path = PhotoWith(folder_, "keys.jpg",
                                       {{"Exif.Photo.LensModel", "50mm F1.8"},
                                        {"Exif.Photo.FNumber", "18/10"},
                                        {"Exif.Photo.DateTimeOriginal", "2021:05:06 07:08:09"},
                                        {"Iptc.Application2.City", "Paris"},
                                        {"Iptc.Application2.Keywords", "sea"},
                                        {"Iptc.Application2.Keywords", "sun"},
                                        {"Xmp.dc.title", "lang=de Titel"},
                                        {"Xmp.dc.title", "lang=x-default Title"},
                                        {"Xmp.dc.description", "lang=fr Seulement"},
                                        {"Xmp.dc.subject", "one"},
                                        {"Xmp.dc.subject", "two"},
                                        {"Xmp.xmp.Rating", "4"}});
    struct Case {
        std::string key;
        const char16_t* value;  // null: none
    };
    const std::vector<Case> cases = {
        {"Exif.Photo.LensModel", u"50mm F1.8"},
        {"Exif.Photo.FNumber", u"F1.8"},
        {"Exif.Photo.DateTimeOriginal", u"2021:05:06 07:08:09"},
        {"Exif.Image.Artist", nullptr},
        {"Exif.Photo.NoSuchTag", nullptr},
        {"Iptc.Application2.City", u"Paris"},
        {"Iptc.Application2.Keywords", u"sea, sun"},
        {"Iptc.Application2.NoSuchDataset", nullptr},
        {"Xmp.dc.title", u"Title"},
        {"Xmp.dc.description", u"Seulement"},
        {"Xmp.dc.subject", u"one, two"},
        {"Xmp.xmp.Rating", u"4"},
        {"Xmp.nosuchprefix.thing", nullptr},
        {"Nothing.at.all", nullptr},
        {"Exif.", nullptr},
    };
    std::vector<std::string> keys;
    for (const Case& c : cases)
        keys.push_back(c.key);
    std::sort(keys.begin(), keys.end());
    HeldFactsNeeds needs;
    needs.photoKeys = keys;
    const Read read = ReadFile(path, needs);
    ASSERT_TRUE(read.ok) << read.facts.problem;
    for (const Case& c : cases) {
        EXPECT_EQ(ValueOf(read.facts, c.key), c.value == nullptr ? u"(none)" : c.value) << c.key;
    }
    // Only the keys were asked for: neither the date taken nor the camera data.
    EXPECT_EQ(read.facts.taken, "");
    EXPECT_EQ(read.facts.Find("exif.fnumber"), nullptr);
}

TEST_F(PhotoFactsTest, ReadsNothingWhenNothingIsAsked) {
    const std::string path = (folder_.path() / "not-a-photo.txt").string();
    WriteBytes(path, "plain text\n");
    const Read read = ReadFile(path, HeldFactsNeeds{});
    EXPECT_TRUE(read.ok);
    EXPECT_EQ(read.facts.problem, "");
}

TEST_F(PhotoFactsTest, ReadsAPng) {
    const std::string path = (folder_.path() / "blank.png").string();
    {
        Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::create(Exiv2::ImageType::png, path);
        image->writeMetadata();
    }
    WriteTags(path, {{"Exif.Photo.DateTimeOriginal", "2020:01:02 03:04:05"},
                     {"Exif.Image.Model", "Scanner"}});
    const Read read = ReadFile(path, PhotoNeeds());
    ASSERT_TRUE(read.ok) << read.facts.problem;
    EXPECT_EQ(read.facts.taken, "2020:01:02 03:04:05");
    ASSERT_NE(read.facts.Find("exif.model"), nullptr);
    EXPECT_EQ(*read.facts.Find("exif.model"), u"Scanner");
}

// A little-endian TIFF laid out by hand, as pieces at chosen offsets of a file of a chosen
// size (sparse where nothing is written).
class HandTiff {
public:
    struct Entry {
        std::uint16_t tag, type;
        std::uint32_t count, value;
    };

    explicit HandTiff(std::uint32_t firstDirectory) {
        Put(0, "II*");
        Put(3, std::string(1, '\0'));
        Put32(4, firstDirectory);
    }
    void Put(std::uint64_t at, std::string bytes) { pieces_.emplace_back(at, std::move(bytes)); }
    void Put32(std::uint64_t at, std::uint32_t value) { Put(at, Le(value, 4)); }
    void Directory(std::uint64_t at, const std::vector<Entry>& entries, std::uint32_t next) {
        std::string bytes = Le(entries.size(), 2);
        for (const Entry& e : entries)
            bytes += Le(e.tag, 2) + Le(e.type, 2) + Le(e.count, 4) + Le(e.value, 4);
        Put(at, bytes + Le(next, 4));
    }
    void WriteTo(const std::string& path, std::uint64_t size) const {
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(ftruncate(fd, static_cast<off_t>(size)), 0);
        for (const auto& [at, bytes] : pieces_)
            ASSERT_EQ(pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(at)),
                      static_cast<ssize_t>(bytes.size()));
        close(fd);
    }

private:
    static std::string Le(std::uint64_t value, int bytes) {
        std::string text;
        for (int i = 0; i < bytes; ++i)
            text += static_cast<char>((value >> (8 * i)) & 0xFF);
        return text;
    }
    std::vector<std::pair<std::uint64_t, std::string>> pieces_;
};

constexpr std::uint16_t kShort = 3, kLong = 4, kAscii = 2;

// A TIFF whose directories and values lie at `base`, as a writer that puts them after the
// pixels does: a 1x1 image, its Exif directory with the date taken and the camera's make.
HandTiff TiffWithDirectoriesAt(std::uint32_t base) {
    HandTiff tiff(base);
    const std::uint32_t exif = base + 100, date = base + 200, make = base + 240;
    tiff.Directory(base,
                   {{0x0100, kShort, 1, 1},
                    {0x0101, kShort, 1, 1},
                    {0x010F, kAscii, 6, make},
                    {0x0111, kLong, 1, 8},
                    {0x0117, kLong, 1, 1},
                    {0x8769, kLong, 1, exif}},
                   0);
    tiff.Directory(exif, {{0x9003, kAscii, 20, date}}, 0);
    tiff.Put(date, std::string("2018:07:06 05:04:03", 20));
    tiff.Put(make, std::string("Nikon", 6));
    return tiff;
}

// /proc/self/io's count of the bytes this process has read through system calls.
std::uint64_t BytesReadSoFar() {
    std::ifstream in("/proc/self/io");
    std::string name;
    std::uint64_t value = 0;
    while (in >> name >> value) {
        if (name == "rchar:")
            return value;
    }
    return 0;
}

TEST_F(PhotoFactsTest, ReadsOnlyTheMetadataOfAHugeTiff) {
    // 3 GB, its directories near the end: what the library parses is a block as long as
    // the file, of which only the directories and their values may be read.
    const std::uint64_t size = 3ull << 30;
    const auto base = static_cast<std::uint32_t>(size - 4096);
    const std::string path = (folder_.path() / "huge.tif").string();
    TiffWithDirectoriesAt(base).WriteTo(path, size);
    const std::uint64_t before = BytesReadSoFar();
    const Read read = ReadFile(path, PhotoNeeds());
    const std::uint64_t read_bytes = BytesReadSoFar() - before;
    ASSERT_TRUE(read.ok) << read.facts.problem;
    EXPECT_EQ(read.facts.taken, "2018:07:06 05:04:03");
    EXPECT_EQ(ValueOf(read.facts, "exif.make"), u"Nikon");
    EXPECT_LT(read_bytes, 4u << 20) << "read far more than the metadata";
}

TEST_F(PhotoFactsTest, ReadsASmallTiffWhole) {
    const std::string path = (folder_.path() / "small.tif").string();
    TiffWithDirectoriesAt(64).WriteTo(path, 1024);
    const Read read = ReadFile(path, PhotoNeeds());
    ASSERT_TRUE(read.ok) << read.facts.problem;
    EXPECT_EQ(read.facts.taken, "2018:07:06 05:04:03");
}

TEST_F(PhotoFactsTest, HostileFilesGiveNoValueAndAProblem) {
    const std::string photo =
        ReadBytes(PhotoWith(folder_, "whole.jpg",
                            {{"Exif.Photo.DateTimeOriginal", "2021:05:06 07:08:09"},
                             {"Exif.Image.Make", "Canon"},
                             {"Xmp.xmp.CreateDate", "2019-01-01T00:00:00"}}));
    const std::size_t frame = photo.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);

    struct Case {
        std::string what;
        std::function<void(const std::string& path)> make;
    };
    std::vector<Case> cases = {
        {"an empty file", [](const std::string& path) { WriteBytes(path, ""); }},
        {"a text file", [](const std::string& path) { WriteBytes(path, "Dear diary,\n"); }},
        {"1 GB of nothing",
         [](const std::string& path) {
             const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
             ASSERT_EQ(ftruncate(fd, 1 << 30), 0);
             close(fd);
         }},
        {"1 GB of nothing after a TIFF's header",
         [](const std::string& path) { HandTiff(0).WriteTo(path, 1ull << 30); }},
        {"a TIFF whose first directory lies past its end",
         [](const std::string& path) { HandTiff(0x7FFFFFF0).WriteTo(path, 4096); }},
        {"a directory that is its own Exif directory and next one",
         [](const std::string& path) {
             HandTiff tiff(8);
             tiff.Directory(8, {{0x8769, kLong, 1, 8}, {0x9003, kAscii, 20, 8}}, 8);
             tiff.WriteTo(path, 4096);
         }},
        {"a date taken of two billion characters",
         [](const std::string& path) {
             HandTiff tiff(8);
             tiff.Directory(8, {{0x8769, kLong, 1, 64}}, 0);
             tiff.Directory(64, {{0x9003, kAscii, 0x7FFFFFF0, 128}}, 0);
             tiff.WriteTo(path, 4096);
         }},
        {"a JPEG segment longer than the file",
         [](const std::string& path) {
             WriteBytes(path, std::string("\xFF\xD8\xFF\xE1\xFF\xF0"
                                          "Exif\0\0II*\0",
                                          16));
         }},
    };
    // The photo cut short at points in its header, its Exif and its XMP.
    for (const std::size_t length :
         {std::size_t{1}, std::size_t{3}, std::size_t{8}, std::size_t{40}, frame / 2, frame - 1}) {
        cases.push_back({"the photo cut at " + std::to_string(length),
                         [&photo, length](const std::string& path) {
                             WriteBytes(path, photo.substr(0, length));
                         }});
    }
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = (folder_.path() / ("hostile" + std::to_string(n++))).string();
        c.make(path);
        const Read read = ReadFile(path, PhotoNeeds({"Exif.Image.Make", "Xmp.xmp.CreateDate"}));
        EXPECT_FALSE(read.ok);
        EXPECT_NE(read.facts.problem, "");
        EXPECT_EQ(read.facts.taken, "");
        EXPECT_TRUE(read.facts.values.empty()) << read.facts.values.size() << " values";
    }
}

TEST_F(PhotoFactsTest, SaysWhyADescriptorCouldNotBeRead) {
    // A folder's descriptor, which pread refuses, stands for a file that fails to read.
    const int fd = open(folder_.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    HeldFacts facts;
    EXPECT_FALSE(ReadPhotoFacts(fd, 4096, PhotoNeeds(), facts));
    EXPECT_EQ(facts.problem, "could not be read: Is a directory");
    EXPECT_EQ(lseek(fd, 0, SEEK_CUR), 0);
    close(fd);
}

TEST_F(PhotoFactsTest, ReadsOnManyThreadsAtOnce) {
    // XMP in a namespace of its own makes the library register it, once per process.
    const std::string path = PhotoWith(folder_, "threads.jpg",
                                       {{"Exif.Photo.DateTimeOriginal", "2021:05:06 07:08:09"},
                                        {"Xmp.dc.title", "lang=x-default Threads"}});
    const HeldFactsNeeds needs = PhotoNeeds({"Xmp.dc.title"});
    const Read alone = ReadFile(path, needs);
    ASSERT_TRUE(alone.ok) << alone.facts.problem;
    std::vector<std::thread> threads;
    std::vector<int> differing(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 50; ++i) {
                const Read read = ReadFile(path, needs);
                if (!read.ok || read.facts.taken != alone.facts.taken ||
                    read.facts.values != alone.facts.values)
                    ++differing[t];
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(differing, std::vector<int>(4, 0));
}

}  // namespace
}  // namespace brindle
