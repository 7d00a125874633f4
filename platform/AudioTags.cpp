#include "platform/HeldFacts.h"

namespace brindle {

bool ReadAudioTags(int, std::uint64_t, std::string_view, HeldFacts& facts) {
    facts.problem = "audio tags are not read yet";
    return false;
}

}  // namespace brindle
