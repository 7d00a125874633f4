#pragma once

// What the audio tag reader adds to the tag library so that a hostile file costs neither
// a crash, nor a huge allocation, nor a value read from damaged data.

#include <cstdint>
#include <vector>

#include <taglib/id3v2framefactory.h>

#include "platform/heldfacts/PreadAudioStream.h"

namespace brindle {

// ID3v2 frames made as the library makes them, except two kinds it would parse without
// bounds, kept whole as unknown frames instead (no tag token reads either): chapter
// frames, whose frames inside may hold chapters again, each a level of recursion the
// stack pays for; and compressed frames, which inflate with no limit.
TagLib::ID3v2::FrameFactory* GuardedId3v2Frames();

// True when the Ogg pages that carry the stream's first two packets (its header and its
// comments) are whole and pass their checksums, which the library does not check.
bool OggHeaderPagesIntact(int fd, std::uint64_t size);

// An ID3v2 tag inside a WAV or AIFF file: where its data starts, and its chunk's size.
struct Id3Chunk {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
};

// The ID3 chunks of a WAV or AIFF file (none for other files), hidden from the library's
// own parsing of the file, which would not take GuardedId3v2Frames: the reader reads them
// itself with it.
std::vector<Id3Chunk> HideId3Chunks(int fd, std::uint64_t size, PreadAudioStream& stream);

}  // namespace brindle
