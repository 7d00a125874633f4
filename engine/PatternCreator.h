#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brindle {

// What the pattern creator reads and advances besides the pattern and the name.
struct PatternContext {
    std::int32_t& startIndex;              // running number; wraps from INT32_MAX to INT32_MIN
    char16_t& letterCounter;               // 'a'..'z', 'z' wraps to 'a'
    bool withoutExtension = false;         // the option "w/o File Extension"
    std::u16string_view currentDirectory;  // the item's folder, ending with '/'
    std::u16string_view itemPath;          // currentDirectory + the name on disk (tags)
    std::u16string_view nameOnDisk;        // the tag escapes apply to ".mp3" files
};

// Builds a wholly new name from `pattern`; `name` is the incoming working name.
std::u16string CreatePatternName(std::u16string_view pattern, std::u16string_view name,
                                 PatternContext& context);

}  // namespace brindle
