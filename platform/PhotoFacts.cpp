#include "platform/HeldFacts.h"

namespace brindle {

void PrepareHeldFactsReaders() {}

bool ReadPhotoFacts(int, std::uint64_t, const HeldFactsNeeds&, HeldFacts& facts) {
    facts.problem = "photos are not read yet";
    return false;
}

}  // namespace brindle
