#include "engine/MusicTokens.h"

#include <string>

#include "platform/NameCodec.h"

namespace brindle {

namespace {

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

void NeedsAudio(std::u16string_view, HeldFactsNeeds& needs) {
    needs.audio = true;
}

const std::u16string* TagValue(const ItemFacts& item, const std::string& key) {
    static const HeldFactsNeeds kAudio{false, true, {}};
    const std::u16string* value = item.held(kAudio).Find(key);
    return value == nullptr || value->empty() ? nullptr : value;
}

NameToken TextTag(std::u16string name) {
    std::string key = EncodeName(name);
    return {std::move(name),
            [](std::optional<std::u16string_view> argument) -> std::optional<std::u16string> {
                if (argument)
                    return std::u16string(u"takes no argument");
                return std::nullopt;
            },
            [key](const ItemFacts& item, std::u16string_view, std::u16string& out) {
                const std::u16string* value = TagValue(item, key);
                if (value == nullptr)
                    return false;
                out += *value;
                return true;
            },
            false, NeedsAudio};
}

// A number the tags give, such as a track: padded with zeros to the width its argument
// gives, when it is all digits.
NameToken NumberTag(std::u16string name) {
    std::string key = EncodeName(name);
    return {
        std::move(name),
        [](std::optional<std::u16string_view> width) -> std::optional<std::u16string> {
            if (width && (width->size() != 1 || !IsDigit(width->front()) || width->front() == u'0'))
                return std::u16string(u"takes a width from 1 to 9, such as {tag.track:2}");
            return std::nullopt;
        },
        [key](const ItemFacts& item, std::u16string_view width, std::u16string& out) {
            const std::u16string* value = TagValue(item, key);
            if (value == nullptr)
                return false;
            bool digits = true;
            for (const char16_t c : *value)
                digits = digits && IsDigit(c);
            if (digits && !width.empty()) {
                const auto wanted = static_cast<std::size_t>(width.front() - u'0');
                if (value->size() < wanted)
                    out.append(wanted - value->size(), u'0');
            }
            out += *value;
            return true;
        },
        false, NeedsAudio};
}

}  // namespace

std::vector<NameToken> MusicTokens() {
    std::vector<NameToken> tokens;
    for (const char16_t* name : {u"tag.artist", u"tag.albumartist", u"tag.album", u"tag.title",
                                 u"tag.year", u"tag.genre", u"tag.composer"}) {
        tokens.push_back(TextTag(name));
    }
    tokens.push_back(NumberTag(u"tag.track"));
    tokens.push_back(NumberTag(u"tag.disc"));
    return tokens;
}

}  // namespace brindle
