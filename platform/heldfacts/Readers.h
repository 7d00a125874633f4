#pragma once

#include <cstdint>
#include <string_view>

#include "platform/HeldFacts.h"

// The readers as the module that holds them defines them; the rest of the program reaches
// them through platform/HeldFacts.h, which loads the module the first time.
namespace brindle::heldfacts {

// PrepareHeldFactsReaders, ReadPhotoFacts and ReadAudioTags of platform/HeldFacts.h.
void PrepareReaders();
bool ReadPhotoFacts(int fd, std::uint64_t size, const HeldFactsNeeds& needs, HeldFacts& facts);
bool ReadAudioTags(int fd, std::uint64_t size, std::string_view nameBytes, HeldFacts& facts);

// Installs, once, what the audio tag library shares between all its readers: a silent
// debug listener, so that nothing of it reaches the standard error, and the decoding of
// ID3v1 text by the platform's rule (UTF-8 where valid, else ISO-8859-1), as the engine's
// own ID3v1 reader decodes it. ReadAudioTags makes sure of it itself; PrepareReaders calls
// it before worker threads start. Later calls do nothing.
void PrepareAudioTagReader();

}  // namespace brindle::heldfacts
