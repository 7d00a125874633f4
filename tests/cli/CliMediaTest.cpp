// Photos named by their date taken and music by its tags, through brindle-cli on files
// the test makes: JPEGs the photo library writes Exif into, and MP3 (ID3v2 only), FLAC,
// Ogg Vorbis, Opus and M4A files built byte by byte. A file without the value, or a
// damaged one, is renamed with what the pattern has and counted, never stops the batch.
#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AudioFileBytes.h"
#include "CliProcess.h"
#include "PhotoFileBytes.h"
#include "TempFolder.h"

namespace brindle::testing {
namespace {

// 2023-07-14 09:30:00 UTC.
constexpr timespec kModified = {1689327000, 0};

void SetModified(const TempFolder& temp, const std::string& relative) {
    const timespec times[2] = {{0, UTIME_OMIT}, kModified};
    ASSERT_EQ(utimensat(AT_FDCWD, (temp.path() / relative).c_str(), times, 0), 0);
}

CliResult RunIn(const TempFolder& temp, const Strings& flags) {
    Strings args = {"--no-write-log", "--folder=" + temp.path().string() + "/w"};
    args.insert(args.end(), flags.begin(), flags.end());
    return RunCli(CliRun(args).withEnvironment({"TZ=UTC"}));
}

void MakePhotos(const TempFolder& temp) {
    std::filesystem::create_directory(temp.path() / "w");
    const std::string w = (temp.path() / "w").string() + "/";
    PhotoWith(temp, "w/IMG_0001.JPG", {{"Exif.Photo.DateTimeOriginal", "2024:05:06 07:08:09"}});
    // The edit time is never taken for the date taken; the digitized date is.
    PhotoWith(temp, "w/IMG_0002.JPG",
              {{"Exif.Image.DateTime", "2025:01:01 00:00:00"},
               {"Exif.Photo.DateTimeDigitized", "2024:05:06 07:08:10"}});
    PhotoWith(temp, "w/IMG_0003.JPG", {{"Xmp.xmp.CreateDate", "2024-05-06T07:08:11+02:00"}});
    WriteBytes(w + "scan.jpg", TinyJpeg());
    SetModified(temp, "w/scan.jpg");
    // Cut off inside its Exif block.
    const std::string whole = ReadBytes(w + "IMG_0001.JPG");
    WriteBytes(w + "broken.jpg", whole.substr(0, whole.size() / 2));
    SetModified(temp, "w/broken.jpg");
}

TEST(CliMediaTest, PhotosAreNamedByTheDateTheyWereTaken) {
    TempFolder temp;
    MakePhotos(temp);
    std::filesystem::remove(temp.path() / "w/scan.jpg");
    const CliResult result = RunIn(temp, {"--pattern={taken:%Y%m%d_%H%M%S}"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err,
              "brindle-cli: 1 item had no value for a token of the name pattern, which "
              "inserted nothing\n");
    EXPECT_EQ(temp.listing(), (Strings{"w/", "w/.jpg", "w/20240506_070809.JPG",
                                       "w/20240506_070810.JPG", "w/20240506_070811.JPG"}));
}

TEST(CliMediaTest, APhotoWithoutADateTakenFallsBackToItsFileDate) {
    TempFolder temp;
    MakePhotos(temp);
    const CliResult preview = RunIn(temp, {"-n", "--pattern={taken|modified:%Y}-/O"});
    EXPECT_EQ(preview.status, 0) << preview.err;
    EXPECT_NE(preview.out.find("scan.jpg  " + temp.path().string() + "/w/2023-scan.jpg  rename\n"),
              std::string::npos)
        << preview.out;
    const CliResult result = RunIn(temp, {"--pattern={taken|modified:%Y}-/O"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(temp.listing(),
              (Strings{"w/", "w/2023-broken.jpg", "w/2023-scan.jpg", "w/2024-IMG_0001.JPG",
                       "w/2024-IMG_0002.JPG", "w/2024-IMG_0003.JPG"}));
}

TEST(CliMediaTest, MusicIsNamedByItsTags) {
    TempFolder temp;
    const auto id3 = [](const std::string& text) { return TextFrameBody('\x03', text); };
    temp.createFile(
        "w/a.mp3",
        Id3v2Tag(4, {{"TPE1", id3("Björk")}, {"TIT2", id3("Jóga")}, {"TRCK", id3("3/10")}}) +
            SilentMpegFrames());
    const TagFields vorbis = {{"ARTIST", "AC/DC"}, {"TITLE", "Hells Bells"}, {"TRACKNUMBER", "1"}};
    temp.createFile("w/b.flac", Flac(vorbis));
    temp.createFile(
        "w/c.ogg",
        OggVorbis({{"ARTIST", "Sigur Rós"}, {"TITLE", "Hoppípolla"}, {"TRACKNUMBER", "12"}}));
    temp.createFile("w/d.opus",
                    OggOpus({{"ARTIST", "Opus"}, {"TITLE", "Song"}, {"TRACKNUMBER", "7"}}));
    temp.createFile("w/e.m4a", M4a({{"\xA9"
                                     "ART",
                                     "Mp4"},
                                    {"\xA9nam", "Atoms"},
                                    {"trkn", "5/9"}}));
    temp.createFile("w/notes.txt", "not a song");
    const CliResult result = RunIn(temp, {"--pattern={tag.track:2} {tag.artist} - {tag.title}"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err,
              "brindle-cli: 1 item had no value for a token of the name pattern, which "
              "inserted nothing\n");
    EXPECT_EQ(temp.listing(),
              (Strings{"w/", "w/  - .txt", "w/01 AC-DC - Hells Bells.flac", "w/03 Björk - Jóga.mp3",
                       "w/05 Mp4 - Atoms.m4a", "w/07 Opus - Song.opus",
                       "w/12 Sigur Rós - Hoppípolla.ogg"}));
}

}  // namespace
}  // namespace brindle::testing
