// The library's one export: the readers, for platform/HeldFacts.cpp.
#include "platform/HeldFactsModule.h"
#include "platform/heldfacts/Readers.h"

namespace {

const brindle::HeldFactsReaders kReaders{&brindle::heldfacts::PrepareReaders,
                                         &brindle::heldfacts::ReadPhotoFacts,
                                         &brindle::heldfacts::ReadAudioTags};

}  // namespace

extern "C" __attribute__((visibility("default"))) const brindle::HeldFactsReaders*
BrindleHeldFactsReaders() {
    return &kReaders;
}
