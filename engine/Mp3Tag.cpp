#include "engine/Mp3Tag.h"

#include <cstddef>
#include <string>

#include "platform/FileSystem.h"
#include "platform/NameCodec.h"

namespace brindle {

namespace {

constexpr std::size_t kTagSize = 128;

// A text slot ends at its first zero byte; nothing else is trimmed, trailing spaces stay.
// Tags carry no code page: a slot that is valid UTF-8 is taken as UTF-8, any other as
// ISO-8859-1, the legacy 8-bit text of this platform's tags.
std::u16string SlotText(const std::string& tag, std::size_t offset, std::size_t size) {
    std::string_view slot(tag.data() + offset, size);
    const auto zero = slot.find('\0');
    if (zero != std::string_view::npos)
        slot = slot.substr(0, zero);
    return DecodeTextLine(slot);
}

}  // namespace

CMp3Tag::CMp3Tag(std::u16string_view path) {
    if (!path.empty())
        Read(path);
}

void CMp3Tag::Reset() {
    title_.clear();
    artist_.clear();
    album_.clear();
    year_.clear();
    track_ = 0;
}

bool CMp3Tag::Read(std::u16string_view path) {
    Reset();
    std::string tag;
    if (!ReadFileTail(path, kTagSize, tag))
        return false;
    // A file shorter than a tag, or one without the marker, has no tag but was read.
    if (tag.size() != kTagSize || tag.compare(0, 3, "TAG") != 0)
        return true;

    title_ = SlotText(tag, 3, 30);
    artist_ = SlotText(tag, 33, 30);
    album_ = SlotText(tag, 63, 30);
    year_ = SlotText(tag, 93, 4);
    // ID3v1.1: a zero at 125 ends the comment early and frees byte 126 for the track.
    if (tag[125] == '\0')
        track_ = static_cast<unsigned char>(tag[126]);
    return true;
}

}  // namespace brindle
