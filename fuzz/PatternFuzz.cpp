// The pattern creator and every case mode on arbitrary patterns, names (raw UTF-16 code
// units, lone surrogates included) and counters, the number counter's wrap included.
#include <cstdlib>

#include "FuzzInput.h"
#include "engine/CaseConversion.h"
#include "engine/PatternCreator.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    brindle::fuzz::InputReader input(data, size);
    const std::u16string pattern = input.Text16(64);
    const std::u16string name = input.Text16(64);
    const std::u16string folder = u"/music/" + input.Text16(16) + u"/";
    std::int32_t startIndex = static_cast<std::int32_t>(input.Uint32());
    char16_t letter = static_cast<char16_t>(u'a' + input.Byte() % 26);
    const bool withoutExtension = (input.Byte() & 1) != 0;

    const std::u16string itemPath = folder + name;
    brindle::PatternContext context{startIndex, letter, withoutExtension, folder, itemPath};
    const std::u16string result = brindle::CreatePatternName(pattern, name, context);
    for (char16_t c : result) {
        if (c == u'/' || c == u'\\') std::abort();
    }
    if (letter < u'a' || letter > u'z') std::abort();

    for (int mode = -1; mode <= 7; ++mode) {
        const std::u16string converted = brindle::ApplyConversion(mode, name);
        if (converted.size() != name.size()) std::abort();
    }
    if (brindle::ReverseName(brindle::ReverseName(name)) != name) std::abort();
    if (brindle::ReverseLetterCase(brindle::ReverseLetterCase(name)) != name) std::abort();
    return 0;
}
