#pragma once

#include <cstdint>
#include <string_view>

#include "platform/HeldFacts.h"

namespace brindle {

// The readers of what files hold live in a library of their own, loaded the first time a
// batch reads inside a file: the photo and music libraries they use would otherwise cost
// every start of the program several milliseconds. The program finds it by its run path,
// as it finds the credits library.
inline constexpr char kHeldFactsLibrary[] = "libbrindle-heldfacts.so";
// Its one export, a function of no arguments that returns the readers.
inline constexpr char kHeldFactsEntry[] = "BrindleHeldFactsReaders";

struct HeldFactsReaders {
    void (*prepare)();
    bool (*readPhoto)(int fd, std::uint64_t size, const HeldFactsNeeds& needs, HeldFacts& facts);
    bool (*readAudio)(int fd, std::uint64_t size, std::string_view nameBytes, HeldFacts& facts);
};
using HeldFactsEntry = const HeldFactsReaders* (*)();

}  // namespace brindle
