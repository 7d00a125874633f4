#include "batch/ItemRules.h"

#include "platform/FileSystem.h"
#include "platform/NameCodec.h"

namespace brindle {

namespace {

constexpr std::size_t kNameMax = 255;  // bytes of one name on Linux filesystems

}  // namespace

bool IsNameToGive(std::u16string_view name) {
    return IsUsableName(name) && EncodeName(name).size() <= kNameMax;
}

}  // namespace brindle
