// The readers of what files hold, reached through the library that holds them: loaded once,
// the first time one is asked for, and never unloaded.
#include "platform/HeldFacts.h"

#include <string>

#include "platform/HeldFactsModule.h"
#include "platform/SharedLibrary.h"

namespace brindle {

namespace {

struct Loaded {
    const HeldFactsReaders* readers = nullptr;
    // Why there are none: told for every file then, as a reason of its own.
    std::string problem;
};

const Loaded& Readers() {
    static const Loaded loaded = [] {
        Loaded result;
        std::string error;
        void* entry = LoadLibrarySymbol(kHeldFactsLibrary, kHeldFactsEntry, &error);
        if (entry)
            result.readers = reinterpret_cast<HeldFactsEntry>(entry)();
        if (!result.readers)
            result.problem = "the readers of photos and music could not be loaded: " + error;
        return result;
    }();
    return loaded;
}

}  // namespace

const std::string& HeldFactsReadersProblem() {
    return Readers().problem;
}

void PrepareHeldFactsReaders() {
    if (const HeldFactsReaders* readers = Readers().readers)
        readers->prepare();
}

bool ReadPhotoFacts(int fd, std::uint64_t size, const HeldFactsNeeds& needs, HeldFacts& facts) {
    const Loaded& loaded = Readers();
    if (!loaded.readers) {
        facts.problem = loaded.problem;
        return false;
    }
    return loaded.readers->readPhoto(fd, size, needs, facts);
}

bool ReadAudioTags(int fd, std::uint64_t size, std::string_view nameBytes, HeldFacts& facts) {
    const Loaded& loaded = Readers();
    if (!loaded.readers) {
        facts.problem = loaded.problem;
        return false;
    }
    return loaded.readers->readAudio(fd, size, nameBytes, facts);
}

}  // namespace brindle
