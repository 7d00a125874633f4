#pragma once

#include <vector>

#include "engine/NameTokens.h"

namespace brindle {

// The audio tag tokens, read from whatever tags the file has (ID3v2 and ID3v1, Vorbis
// comments, MP4 atoms, APE):
//   {tag.artist} {tag.albumartist} {tag.album} {tag.title} {tag.year} {tag.genre}
//   {tag.composer}
//   {tag.track} {tag.disc}   the number before any '/'; {tag.track:2} pads it with zeros
//                            to 2 digits (a width from 1 to 9)
std::vector<NameToken> MusicTokens();

}  // namespace brindle
