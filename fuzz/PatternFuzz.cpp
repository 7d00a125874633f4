// The pattern parser and creator and every case mode on arbitrary patterns, names (raw
// UTF-16 code units, lone surrogates included; code points of every plane; bytes as the
// name codec decodes them, with its escapes; ASCII) and counters, the number counter's
// wrap included.
// The case modes keep every name's length in code points and never change a surrogate
// that is not part of a pair; on ASCII names they give what the ASCII-only conversions
// gave. Natural order is checked to be a consistent comparison on the same names.
#include <cstdlib>
#include <optional>
#include <vector>

#include "FuzzInput.h"
#include "engine/CaseConversion.h"
#include "engine/NameStages.h"
#include "engine/NameTokens.h"
#include "engine/NaturalOrder.h"
#include "engine/TextOps.h"
#include "platform/NameCodec.h"
#include "tests/support/AsciiConversions.h"

namespace {

std::vector<char32_t> CodePoints(std::u16string_view text) {
    std::vector<char32_t> points;
    for (std::size_t i = 0; i < text.size();) {
        const brindle::CodePoint c = brindle::CodePointAt(text, i);
        points.push_back(c.value);
        i += c.units;
    }
    return points;
}

void CheckConversions(const std::u16string& name) {
    const std::vector<char32_t> points = CodePoints(name);
    const bool ascii = brindle::testing::ascii::IsAscii(name);
    for (int mode = -1; mode <= 7; ++mode) {
        const std::u16string converted = brindle::ApplyConversion(mode, name);
        if (ascii && converted != brindle::testing::ascii::Convert(mode, name))
            std::abort();
        if (converted.size() != name.size())
            std::abort();
        const std::vector<char32_t> out = CodePoints(converted);
        if (mode == brindle::kReverse) {
            // Reversing may join a lone low surrogate and a lone high one that followed it
            // into a pair; a name that is valid UTF-16 apart from the byte escapes (every
            // name read from disk) holds no lone high surrogate.
            if (!brindle::IsValidName16(name))
                continue;
            if (!std::equal(out.begin(), out.end(), points.rbegin(), points.rend()))
                std::abort();
            continue;
        }
        if (out.size() != points.size())
            std::abort();
        for (std::size_t i = 0; i < out.size(); ++i) {
            if (brindle::IsSurrogate(points[i]) != brindle::IsSurrogate(out[i]))
                std::abort();
            if (brindle::IsSurrogate(points[i]) && out[i] != points[i])
                std::abort();
        }
    }
    if (brindle::IsValidName16(name) && brindle::ReverseName(brindle::ReverseName(name)) != name)
        std::abort();
    if (ascii && brindle::ReverseLetterCase(brindle::ReverseLetterCase(name)) != name)
        std::abort();
}

void CheckOrder(const std::u16string& a, const std::u16string& b) {
    const int ab = brindle::CompareNatural(a, b);
    const int ba = brindle::CompareNatural(b, a);
    if ((ab < 0) != (ba > 0) || (ab == 0) != (ba == 0))
        std::abort();
    if ((ab == 0) != (brindle::EncodeName(a) == brindle::EncodeName(b)))
        std::abort();
    // The keys are written into space reserved for six bytes a code unit.
    for (const std::u16string* name : {&a, &b}) {
        if (brindle::NaturalSortKey(*name).size() > 6 * name->size() + 18)
            std::abort();
    }
    const std::vector<std::u16string_view> names = {a, b, a};
    const std::vector<std::size_t> order =
        brindle::NameOrderIndices(names, brindle::NameOrder::Natural);
    if (order.size() != 3 || (ab < 0 && order[0] != 0) || (ab > 0 && order[0] != 1))
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    brindle::fuzz::InputReader input(data, size);
    const std::u16string pattern = input.Text16(64);
    const std::u16string name = input.Text16(64);
    const std::u16string folder = u"/music/" + input.Text16(16) + u"/";
    const std::int32_t startIndex = static_cast<std::int32_t>(input.Uint32());
    const char16_t letter = static_cast<char16_t>(u'a' + input.Byte() % 26);
    const bool withoutExtension = (input.Byte() & 1) != 0;

    // One token, "t", whose argument must not be empty, so that patterns have mistakes
    // too: each is placed inside its pattern.
    static const bool registered = brindle::RegisterNameToken(
        {u"t",
         [](std::optional<std::u16string_view> argument) -> std::optional<std::u16string> {
             if (!argument || argument->empty())
                 return u"needs an argument";
             return std::nullopt;
         },
         [](const brindle::ItemFacts&, std::u16string_view, std::u16string& out) {
             out += u"x";
             return true;
         },
         false,
         {}});
    if (!registered)
        std::abort();
    brindle::ParsedPattern parsed = brindle::ParseNamePattern(pattern);
    if (parsed.error) {
        const std::size_t at = parsed.error->character;
        if (at < 1 || at > brindle::CodePointCount(pattern) + 1 || parsed.error->reason.empty())
            std::abort();
    } else {
        const brindle::PatternStage stage(
            std::move(parsed.pattern),
            withoutExtension ? brindle::ExtensionPlace::SetAside : brindle::ExtensionPlace::InName);
        brindle::NameCounters counters{startIndex, letter, 0};
        std::u16string result = name;
        stage.Apply(result, brindle::ItemFacts(folder, name), counters);
        for (char16_t c : result) {
            if (c == u'/' || c == u'\\')
                std::abort();
        }
        if (counters.letter < u'a' || counters.letter > u'z')
            std::abort();
    }

    // A second name from the rest of the input, of one of three kinds.
    std::u16string other;
    switch (input.Byte() % 3) {
        case 0:
            other = input.CodePoints16(32);
            break;
        case 1:
            other = brindle::DecodeName(input.Bytes(96));
            break;
        default:
            for (const char byte : input.Bytes(64))
                other.push_back(static_cast<char16_t>(byte & 0x7F));
            break;
    }
    CheckConversions(name);
    CheckConversions(other);
    CheckOrder(name, other);
    return 0;
}
