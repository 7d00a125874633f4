// Regular expressions and their replacements on arbitrary names: expressions and
// replacements of raw UTF-16 units or of ASCII (where the syntax lives), names of raw
// units, of code points of every plane, of bytes as the name codec decodes them (with its
// escapes) and of ASCII. A mistake points inside its text; a replacement's parts lie in
// its result, in order; the result's length stays within what the replacement can write;
// a name's surrogate units that are no pair come through as they were; the replace
// stage's chain gives ReplacedParts the name NewName gives. The limits end every match.
#include <cstdlib>

#include "FuzzInput.h"
#include "engine/NameChain.h"
#include "engine/RegexReplace.h"
#include "engine/TextOps.h"
#include "platform/NameCodec.h"

namespace {

std::u16string Syntax(brindle::fuzz::InputReader& input, std::size_t max) {
    // Half of them ASCII, where the operators are; the others any units at all.
    if ((input.Byte() & 1) != 0)
        return input.Text16(max);
    std::u16string text;
    for (const char byte : input.Bytes(max))
        text.push_back(static_cast<char16_t>(byte & 0x7F));
    return text;
}

std::u16string Name(brindle::fuzz::InputReader& input) {
    switch (input.Byte() % 4) {
        case 0:
            return input.Text16(48);
        case 1:
            return input.CodePoints16(48);
        case 2:
            return brindle::DecodeName(input.Bytes(96));
        default: {
            std::u16string name;
            for (const char byte : input.Bytes(64))
                name.push_back(static_cast<char16_t>(byte & 0x7F));
            return name;
        }
    }
}

bool HasSurrogate(std::u16string_view text) {
    for (const char16_t c : text) {
        if (brindle::IsSurrogate(c))
            return true;
    }
    return false;
}

bool HasPair(std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (brindle::CodePointAt(text, i).units == 2)
            return true;
    }
    return false;
}

std::u16string Surrogates(std::u16string_view text) {
    std::u16string units;
    for (const char16_t c : text) {
        if (brindle::IsSurrogate(c))
            units.push_back(c);
    }
    return units;
}

void CheckResult(std::u16string_view name, std::u16string_view replacement,
                 const std::u16string& out, const std::vector<brindle::ReplacedPart>& parts) {
    std::size_t end = 0;
    for (const brindle::ReplacedPart& part : parts) {
        if (part.size == 0 || part.begin < end || part.begin + part.size > out.size())
            std::abort();
        end = part.begin + part.size;
    }
    // Each of at most one match a position writes the replacement's text and groups, each
    // group at most the name, its case changed into at most two units a unit.
    const std::size_t most =
        name.size() + (name.size() + 1) * replacement.size() * (2 * name.size() + 2);
    if (out.size() > most)
        std::abort();
    // Matches never take in a unit that is no character, so it stays, in its order.
    if (!HasPair(name) && !HasSurrogate(replacement) && Surrogates(out) != Surrogates(name))
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    brindle::fuzz::InputReader input(data, size);
    const std::u16string expression = Syntax(input, 32);
    const std::u16string replacement = Syntax(input, 24);
    const std::uint8_t options = input.Byte();

    brindle::RegexError error;
    const brindle::RegexReplacer replacer =
        brindle::RegexReplacer::Compile(expression, replacement, &error);
    if (!replacer.valid()) {
        const std::u16string& text = error.inReplacement ? replacement : expression;
        if (error.offset > text.size() || error.message.empty())
            std::abort();
        if (brindle::RegexErrorText(error, expression, replacement).empty())
            std::abort();
        return 0;
    }

    brindle::RenameSettings settings;
    settings.regularExpression = true;
    settings.replaceWhat = expression;
    settings.replaceWith = replacement;
    settings.withoutExtension = (options & 1) != 0;
    settings.duplicateExtension = (options & 2) != 0;
    settings.conversionMode = (options >> 2) % 7;
    const bool stage = !expression.empty();
    if (brindle::CheckRegularExpression(settings).has_value())
        std::abort();
    const brindle::NameChain chain(settings, nullptr, brindle::NamePattern());

    std::u16string out;
    std::vector<brindle::ReplacedPart> parts;
    for (int i = 0; i < 3 && !input.empty(); ++i) {
        const std::u16string name = Name(input);
        if (replacer.Replace(name, out, &parts) == brindle::RegexReplacer::Outcome::Replaced)
            CheckResult(name, replacement, out, parts);

        brindle::NameCounters counters;
        const brindle::ItemFacts item(u"/f/", name);
        const std::u16string newName = chain.NewName(item, counters);
        const bool tooLong = chain.RegexTookTooLong();
        const auto replaced = chain.ReplacedParts(item);
        if (replaced.has_value() != stage)
            std::abort();
        if (replaced && !tooLong && replaced->name != newName)
            std::abort();
        if (replaced) {
            for (const brindle::ReplacedPart& part : replaced->parts) {
                if (part.begin + part.size > replaced->name.size())
                    std::abort();
            }
        }
    }
    return 0;
}
