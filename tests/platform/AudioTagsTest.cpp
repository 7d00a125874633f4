#include <fcntl.h>
#include <unistd.h>

#include <map>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "AudioFileBytes.h"
#include "Mp3TagBytes.h"
#include "TempFolder.h"
#include "engine/Mp3Tag.h"
#include "platform/HeldFacts.h"
#include "platform/NameCodec.h"

namespace brindle {
namespace {

using testing::TagFields;

// The facts the reader gave, by name, in UTF-8.
using Values = std::map<std::string, std::string>;

struct Reading {
    bool read = false;
    Values values;
    std::string problem;
};

class AudioTagsTest : public ::testing::Test {
protected:
    // Writes `bytes` as `name`, reads it through a descriptor the test has moved to an
    // offset of its own, and checks the descriptor is still open and not moved.
    Reading Read(const std::string& name, const std::string& bytes) {
        folder_.createFile(name, bytes);
        const int fd = open((folder_.path() / name).c_str(), O_RDONLY | O_CLOEXEC);
        EXPECT_GE(fd, 0);
        const off_t offset = bytes.size() / 2;
        EXPECT_EQ(lseek(fd, offset, SEEK_SET), offset);
        HeldFacts facts;
        Reading reading;
        reading.read = ReadAudioTags(fd, bytes.size(), name, facts);
        EXPECT_EQ(lseek(fd, 0, SEEK_CUR), offset) << name;
        EXPECT_EQ(close(fd), 0) << name;
        for (const auto& [key, value] : facts.values)
            reading.values[key] = EncodeName(value);
        reading.problem = facts.problem;
        return reading;
    }

    testing::TempFolder folder_;
};

// Every field of the tags, as a file with all of them holds it.
const Values kSong = {
    {"tag.artist", "Björk"},
    {"tag.albumartist", "Various Artists"},
    {"tag.album", "Ålbum 日本"},
    {"tag.title", "Déjà Vu / Part 2"},
    {"tag.track", "3"},
    {"tag.disc", "1"},
    {"tag.year", "2021"},
    {"tag.genre", "Trip-Hop"},
    {"tag.composer", "Jóhann Jóhannsson"},
};

// The ID3v2 frames of kSong, by the version's frame names, in the version's encoding.
std::string Id3v2Song(int version) {
    const char encoding = version == 4 ? '\x03' : '\x01';
    auto text = [&](const std::string& utf8) {
        return testing::TextFrameBody(encoding, version == 4 ? utf8 : testing::Utf16WithBom(utf8));
    };
    const bool v2 = version == 2;
    return testing::Id3v2Tag(version, {
                                          {v2 ? "TP1" : "TPE1", text("Björk")},
                                          {v2 ? "TP2" : "TPE2", text("Various Artists")},
                                          {v2 ? "TAL" : "TALB", text("Ålbum 日本")},
                                          {v2 ? "TT2" : "TIT2", text("Déjà Vu / Part 2")},
                                          {v2 ? "TRK" : "TRCK", text("3/12")},
                                          {v2 ? "TPA" : "TPOS", text("1/2")},
                                          {v2             ? "TYE"
                                           : version == 3 ? "TYER"
                                                          : "TDRC",
                                           text(version == 4 ? "2021-05-03" : "2021")},
                                          {v2 ? "TCO" : "TCON", text("Trip-Hop")},
                                          {v2 ? "TCM" : "TCOM", text("Jóhann Jóhannsson")},
                                      });
}

TagFields VorbisSong() {
    return {{"ARTIST", "Björk"},
            {"ALBUMARTIST", "Various Artists"},
            {"ALBUM", "Ålbum 日本"},
            {"TITLE", "Déjà Vu / Part 2"},
            {"TRACKNUMBER", "3/12"},
            {"DISCNUMBER", "1/2"},
            {"DATE", "2021-05-03"},
            {"GENRE", "Trip-Hop"},
            {"COMPOSER", "Jóhann Jóhannsson"}};
}

TEST_F(AudioTagsTest, EachFormatGivesEachField) {
    const TagFields m4a = {{"\xA9"
                            "ART",
                            "Björk"},
                           {"aART", "Various Artists"},
                           {"\xA9"
                            "alb",
                            "Ålbum 日本"},
                           {"\xA9"
                            "nam",
                            "Déjà Vu / Part 2"},
                           {"trkn", "3/12"},
                           {"disk", "1/2"},
                           {"\xA9"
                            "day",
                            "2021-05-03"},
                           {"\xA9"
                            "gen",
                            "Trip-Hop"},
                           {"\xA9"
                            "wrt",
                            "Jóhann Jóhannsson"}};
    const struct {
        std::string name;
        std::string bytes;
    } cases[] = {
        {"v22.mp3", Id3v2Song(2) + testing::SilentMpegFrames()},
        {"v23.mp3", Id3v2Song(3) + testing::SilentMpegFrames()},
        {"v24.mp3", Id3v2Song(4) + testing::SilentMpegFrames()},
        {"song.flac", testing::Flac(VorbisSong())},
        {"song.ogg", testing::OggVorbis(VorbisSong())},
        {"song.opus", testing::OggOpus(VorbisSong())},
        {"song.m4a", testing::M4a(m4a)},
        {"song.wav", testing::Wav(Id3v2Song(4))},
        {"song.aiff", testing::Aiff(Id3v2Song(3))},
        // The content decides where the extension is wrong or missing.
        {"flac-named.mp3", testing::Flac(VorbisSong())},
        {"no-extension", testing::OggVorbis(VorbisSong())},
    };
    for (const auto& c : cases) {
        const Reading reading = Read(c.name, c.bytes);
        EXPECT_TRUE(reading.read) << c.name << ": " << reading.problem;
        EXPECT_EQ(reading.values, kSong) << c.name;
        EXPECT_EQ(reading.problem, "") << c.name;
    }
}

// How the texts of a field become its value: several values joined, blank ones left
// out, the number before a '/', a year only where the date starts with one.
TEST_F(AudioTagsTest, ValuesAreShapedByField) {
    const struct {
        TagFields fields;
        Values expected;
    } cases[] = {
        {{{"ARTIST", "One"}, {"ARTIST", "Two"}}, {{"tag.artist", "One; Two"}}},
        {{{"ARTIST", ""}, {"ARTIST", "Two"}, {"ARTIST", "  "}}, {{"tag.artist", "Two"}}},
        {{{"TITLE", ""}, {"ALBUM", "A"}}, {{"tag.album", "A"}}},
        {{{"TRACKNUMBER", "07"}, {"DISCNUMBER", "2"}}, {{"tag.track", "07"}, {"tag.disc", "2"}}},
        {{{"TRACKNUMBER", " 4 / 9"}, {"DISCNUMBER", "/3"}}, {{"tag.track", "4"}}},
        {{{"DATE", "1999"}, {"TITLE", "x"}}, {{"tag.year", "1999"}, {"tag.title", "x"}}},
        {{{"DATE", "1999-12-31T23:59"}}, {{"tag.year", "1999"}}},
        {{{"DATE", "summer 99"}, {"TITLE", "x"}}, {{"tag.title", "x"}}},
        {{{"DATE", "19990"}, {"TITLE", "x"}}, {{"tag.title", "x"}}},
        {{{"TITLE", "Smile \xF0\x9F\x98\x80"}}, {{"tag.title", "Smile \xF0\x9F\x98\x80"}}},
        {{{"COMMENT", "only a comment"}}, {}},
    };
    for (const auto& c : cases) {
        const Reading reading = Read("shaped.flac", testing::Flac(c.fields));
        EXPECT_EQ(reading.values, c.expected)
            << c.fields.front().first << "=" << c.fields.front().second;
        EXPECT_EQ(reading.read, !c.expected.empty());
        EXPECT_EQ(reading.problem, c.expected.empty() ? "no tags the reader knows" : "");
    }
}

// ID3v1 slots in ISO-8859-1 or in UTF-8 read as the engine's own reader reads them, so
// that the pattern's tag tokens and its MP3 tag fields agree.
TEST_F(AudioTagsTest, Id3v1ReadsAsTheEngineReadsIt) {
    const struct {
        std::string title;
        std::string artist;
        std::string expectedTitle;
    } cases[] = {
        {"Caf\xE9", "Beyonc\xE9", "Café"},
        {"Café", "Beyoncé", "Café"},
        {"Plain", "Band", "Plain"},
        {"Na\xEFve caf\xC3\xA9", "X", "Naïve cafÃ©"},
    };
    for (const auto& c : cases) {
        std::string tag = testing::WithTrack(testing::Tag(c.title, c.artist, "Album", "1987"), 5);
        tag[127] = 17;  // Rock
        const std::string bytes = testing::SilentMpegFrames() + tag;
        const Reading reading = Read("v1.mp3", bytes);
        ASSERT_TRUE(reading.read) << reading.problem;
        EXPECT_EQ(reading.values.at("tag.title"), c.expectedTitle);
        EXPECT_EQ(reading.values.at("tag.genre"), "Rock");

        const CMp3Tag engine(DecodeName((folder_.path() / "v1.mp3").native()));
        const Values fromEngine = {
            {"tag.title", EncodeName(engine.title())},
            {"tag.artist", EncodeName(engine.artist())},
            {"tag.album", EncodeName(engine.album())},
            {"tag.year", EncodeName(engine.year())},
            {"tag.track", std::to_string(engine.track())},
            {"tag.genre", "Rock"},
        };
        EXPECT_EQ(reading.values, fromEngine) << c.title;
    }
}

// An MP3 may carry ID3v2 and ID3v1 at once: ID3v2 wins, ID3v1 fills what it lacks.
TEST_F(AudioTagsTest, Id3v1FillsWhatId3v2Lacks) {
    const std::string v2 =
        testing::Id3v2Tag(4, {{"TIT2", testing::TextFrameBody('\x03', "Long Title")},
                              {"TCOM", testing::TextFrameBody('\x03', "Composer")}});
    std::string v1 = testing::Tag("Short", "Band", "", "");
    v1[127] = static_cast<char>(255);
    const Reading reading = Read("both.mp3", v2 + testing::SilentMpegFrames() + v1);
    EXPECT_EQ(reading.values, (Values{{"tag.title", "Long Title"},
                                      {"tag.composer", "Composer"},
                                      {"tag.artist", "Band"}}));
}

TEST_F(AudioTagsTest, DamagedOrForeignFilesGiveNoValueAndSayWhy) {
    const std::string v24 = Id3v2Song(4) + testing::SilentMpegFrames();
    std::string hugeId3 = v24;
    hugeId3.replace(6, 4, "\x7F\x7F\x7F\x7F");
    const std::string ogg = testing::OggVorbis(VorbisSong());
    // The second page starts where the first (27 + 1 + 30 bytes) ends.
    const std::size_t second = 27 + 1 + 30;
    std::string badChecksum = ogg;
    badChecksum[second + 22] ^= 0x01;
    std::string badPayload = ogg;
    badPayload[second + 40] ^= 0x20;
    std::string hugeSegments = ogg.substr(0, second + 26);
    hugeSegments += '\xFF';
    hugeSegments += std::string(255, '\xFF') + "\x03vorbis";
    const std::string flac = testing::Flac(VorbisSong());
    std::string flacPastEnd = flac;
    flacPastEnd.replace(4 + 4 + 34 + 1, 3, "\xFF\xFF\xFF");
    std::string m4aHugeAtom = testing::M4a({{"\xA9nam", "Title"}});
    m4aHugeAtom.replace(m4aHugeAtom.find("moov") - 4, 4, "\x7F\xFF\xFF\xFF");
    std::string text;
    for (int i = 0; i < 50; ++i)
        text += "These are notes, not a song.\n";

    const struct {
        std::string name;
        std::string bytes;
    } cases[] = {
        {"empty.mp3", ""},
        {"empty.flac", ""},
        {"empty", ""},
        {"notes.mp3", text},
        {"notes.ogg", text},
        {"notes.m4a", text},
        {"cut-in-first-frame.mp3", v24.substr(0, 10 + 10 + 3)},
        {"cut-in-tag.mp3", v24.substr(0, 60)},
        {"huge-id3v2.mp3", hugeId3},
        {"bad-checksum.ogg", badChecksum},
        {"bad-payload.ogg", badPayload},
        {"huge-segments.ogg", hugeSegments},
        {"cut.ogg", ogg.substr(0, ogg.size() - 40)},
        {"block-past-end.flac", flacPastEnd},
        {"cut.flac", flac.substr(0, flac.size() - 10)},
        {"huge-atom.m4a", m4aHugeAtom},
        {"cut.m4a", m4aHugeAtom.substr(0, 60)},
        {"silence.mp3", testing::SilentMpegFrames()},
    };
    for (const auto& c : cases) {
        const Reading reading = Read(c.name, c.bytes);
        EXPECT_FALSE(reading.read) << c.name;
        EXPECT_EQ(reading.values, Values{}) << c.name;
        EXPECT_NE(reading.problem, "") << c.name;
    }
}

// Chapter frames may hold chapter frames, each a level of recursion in the library, and
// compressed frames inflate without limit: neither is parsed, in an MP3 or in the ID3
// chunk of a WAV file, and the frames around them still are.
TEST_F(AudioTagsTest, ChaptersAndCompressedFramesAreLeftAlone) {
    const std::string title = testing::TextFrameBody('\x03', "Title");
    std::string chapters = "TIT2" + testing::SyncSafe(static_cast<std::uint32_t>(title.size())) +
                           std::string(2, '\0') + title;
    // Built from the inside out, each level a chapter "c" from 0 to 0 around the last.
    constexpr int kLevels = 40000;
    std::vector<std::string> headers;
    std::size_t inner = chapters.size();
    for (int i = 0; i < kLevels; ++i) {
        const std::size_t body = 2 + 16 + inner;
        headers.push_back("CHAP" + testing::SyncSafe(static_cast<std::uint32_t>(body)) +
                          std::string(2, '\0') + std::string("c\0", 2) + std::string(16, '\0'));
        inner = 10 + body;
    }
    std::string nested;
    for (auto it = headers.rbegin(); it != headers.rend(); ++it)
        nested += *it;
    nested += chapters;
    const std::string deep =
        testing::Id3v2Tag(4, {{"TALB", testing::TextFrameBody('\x03', "Album")}});
    // The album frame first, then the chapters, all in one tag.
    std::string deepTag =
        deep.substr(0, 6) +
        testing::SyncSafe(static_cast<std::uint32_t>(deep.size() - 10 + nested.size())) +
        deep.substr(10) + nested;

    const std::string compressed = testing::ZlibStored(std::string("\x03", 1) + "Hidden");
    const std::string dataLength = testing::SyncSafe(7);
    const std::string zipped =
        testing::Id3v2Tag(4, {{"TPE1", testing::TextFrameBody('\x03', "Artist")}});
    std::string zipTag = zipped.substr(0, 6);
    const std::string zipFrame =
        "TIT2" + testing::SyncSafe(static_cast<std::uint32_t>(4 + compressed.size())) +
        std::string("\x00\x09", 2) + dataLength + compressed;
    zipTag += testing::SyncSafe(static_cast<std::uint32_t>(zipped.size() - 10 + zipFrame.size()));
    zipTag += zipped.substr(10) + zipFrame;

    const struct {
        std::string name;
        std::string bytes;
        Values expected;
    } cases[] = {
        {"chapters.mp3", deepTag + testing::SilentMpegFrames(), {{"tag.album", "Album"}}},
        {"chapters.wav", testing::Wav(deepTag), {{"tag.album", "Album"}}},
        {"chapters.aiff", testing::Aiff(deepTag), {{"tag.album", "Album"}}},
        {"compressed.mp3", zipTag + testing::SilentMpegFrames(), {{"tag.artist", "Artist"}}},
        {"compressed.wav", testing::Wav(zipTag), {{"tag.artist", "Artist"}}},
    };
    for (const auto& c : cases) {
        const Reading reading = Read(c.name, c.bytes);
        EXPECT_TRUE(reading.read) << c.name << ": " << reading.problem;
        EXPECT_EQ(reading.values, c.expected) << c.name;
    }
}

// Several threads read at once, as the batch's workers do, each its own files.
TEST_F(AudioTagsTest, ThreadsReadAtOnce) {
    PrepareHeldFactsReaders();
    const std::vector<std::pair<std::string, std::string>> files = {
        {"a.mp3", Id3v2Song(3) + testing::SilentMpegFrames()},
        {"b.flac", testing::Flac(VorbisSong())},
        {"c.ogg", testing::OggVorbis(VorbisSong())},
        {"d.mp3", testing::SilentMpegFrames() + testing::Tag("Caf\xE9", "B", "C", "2000")},
    };
    std::vector<int> fds;
    for (const auto& [name, bytes] : files) {
        folder_.createFile(name, bytes);
        fds.push_back(open((folder_.path() / name).c_str(), O_RDONLY | O_CLOEXEC));
    }
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 25; ++round) {
                for (std::size_t i = 0; i < files.size(); ++i) {
                    HeldFacts facts;
                    const bool read =
                        ReadAudioTags(fds[i], files[i].second.size(), files[i].first, facts);
                    const std::u16string* title = facts.Find("tag.title");
                    const std::u16string expected = i == 3 ? u"Café" : u"Déjà Vu / Part 2";
                    if (!read || title == nullptr || *title != expected)
                        ++failures[t];
                }
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    for (int fd : fds)
        close(fd);
    EXPECT_EQ(failures, std::vector<int>(4, 0));
}

}  // namespace
}  // namespace brindle
