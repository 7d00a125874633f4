#include "engine/PatternCreator.h"

#include <cstdint>
#include <cstdio>
#include <optional>

#include "engine/BatchStats.h"
#include "engine/Extension.h"
#include "engine/Mp3Tag.h"
#include "engine/PathParts.h"
#include "engine/TextOps.h"

namespace brindle {

namespace {

bool IsDecimalDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// printf "%0Ni": the sign counts towards the width, so -5 with width 3 is "-05".
std::u16string PaddedNumber(std::int32_t value, int width) {
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%0*i", width, static_cast<int>(value));
    if (length < 0)
        return {};
    return FromAscii(std::string_view(text, static_cast<std::size_t>(length)));
}

// A counter that somehow left 'a'..'z' starts over at 'a' rather than putting an
// arbitrary character into the name.
char16_t TakeLetter(char16_t& counter) {
    if (counter < u'a' || counter > u'z')
        counter = u'a';
    const char16_t letter = counter;
    counter = counter == u'z' ? u'a' : static_cast<char16_t>(counter + 1);
    return letter;
}

std::u16string FolderName(std::u16string_view directory) {
    if (!directory.empty() && IsPathSeparator(directory.back()))
        directory.remove_suffix(1);
    return NamePart(directory);
}

}  // namespace

std::u16string CreatePatternName(std::u16string_view pattern, std::u16string_view name,
                                 PatternContext& context) {
    const std::u16string ext = ExtensionOf(name);
    // With "w/o File Extension" the pipeline has already set the real extension aside.
    const std::u16string incoming =
        context.withoutExtension ? std::u16string(name) : RemoveExtension(name);
    // What the file is does not change with the name being built.
    const bool isMp3 = AsciiLowered(ExtensionView(context.nameOnDisk)) == u".mp3";

    // The file does not change while one name is built: one read serves every escape.
    std::optional<CMp3Tag> tag;
    auto readTag = [&]() -> const CMp3Tag& {
        if (!tag) {
            tag.emplace();
            tag->Read(context.itemPath);
        }
        return *tag;
    };

    std::u16string result;
    for (std::u16string_view::size_type i = 0; i < pattern.size(); ++i) {
        const char16_t c = pattern[i];
        // For the first character P is that character itself, so it is never an escape.
        const char16_t p = i == 0 ? pattern[0] : pattern[i - 1];
        const bool slash = p == u'/';
        const bool tagEscape = p == u'\\' && isMp3;

        if (c == u'O' && slash) {
            result += incoming;
        } else if (IsDecimalDigit(c) && slash) {
            result += PaddedNumber(context.startIndex, c - u'0');
            context.startIndex = WrappingIncrement(context.startIndex);
        } else if (c == u'C') {
            if (slash) {
                result += TakeLetter(context.letterCounter);
            } else if (tagEscape) {
                result += readTag().album();
            } else {
                result += c;
            }
        } else if (c == u'D') {
            if (slash) {
                result += FolderName(context.currentDirectory);
            } else {
                result += c;
            }
        } else if ((c == u'N' || c == u'A' || c == u'T' || c == u'Y') && tagEscape) {
            const CMp3Tag& t = readTag();
            switch (c) {
                case u'N':
                    result += FromAscii(std::to_string(t.track()));
                    break;
                case u'A':
                    result += t.artist();
                    break;
                case u'T':
                    result += t.title();
                    break;
                default:
                    result += t.year();
                    break;
            }
        } else {
            result += c;
        }
    }

    if (!context.withoutExtension)
        result += ext;

    // A prefix never reaches the new name, and neither does a '/' or '\' from a tag.
    std::erase_if(result, [](char16_t ch) { return ch == u'/' || ch == u'\\'; });
    return result;
}

}  // namespace brindle
