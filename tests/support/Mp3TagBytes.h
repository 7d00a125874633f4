#pragma once

// The tag at the end of an MP3 file, byte by byte, for tests that read it back.

#include <string>

namespace brindle::testing {

// The last 128 bytes of a file, slot by slot; unset bytes are zero.
inline std::string Tag(const std::string& title, const std::string& artist,
                       const std::string& album, const std::string& year,
                       const std::string& comment = {}, const std::string& marker = "TAG") {
    std::string tag(128, '\0');
    tag.replace(0, 3, marker);
    tag.replace(3, title.size(), title);
    tag.replace(33, artist.size(), artist);
    tag.replace(63, album.size(), album);
    tag.replace(93, year.size(), year);
    tag.replace(97, comment.size(), comment);
    return tag;
}

// The tag with a track number: a zero byte, then the number, at the end of the comment.
inline std::string WithTrack(std::string tag, unsigned char track) {
    tag[125] = '\0';
    tag[126] = static_cast<char>(track);
    return tag;
}

}  // namespace brindle::testing
