#pragma once

#include <string>
#include <string_view>

namespace brindle {

// Reader of the ID3v1 tag (with the ID3v1.1 track number) in a file's last 128 bytes.
class CMp3Tag {
public:
    CMp3Tag() = default;
    // Given a non-empty path, reads at once.
    explicit CMp3Tag(std::u16string_view path);

    // True when the file could be opened, whether or not it has a tag. The fields
    // hold the tag afterwards, or their reset values.
    bool Read(std::u16string_view path);

    std::u16string title() const { return title_; }
    std::u16string artist() const { return artist_; }
    std::u16string album() const { return album_; }
    std::u16string year() const { return year_; }
    int track() const { return track_; }

private:
    void Reset();

    std::u16string title_;
    std::u16string artist_;
    std::u16string album_;
    std::u16string year_;
    int track_ = 0;
};

}  // namespace brindle
