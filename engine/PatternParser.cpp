// The name pattern read into pieces, once for a batch: escapes as the pattern creator has
// always read them, with the one character before each as its only look-back, and tokens
// in braces.
#include <optional>
#include <utility>
#include <vector>

#include "engine/IntegerText.h"
#include "engine/NameTokens.h"
#include "engine/PatternCreator.h"
#include "engine/TextOps.h"

namespace brindle {

namespace {

bool IsDecimalDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

bool IsNameCharacter(char16_t c) {
    return IsAsciiLower(c) || IsAsciiUpper(c) || IsDecimalDigit(c) || c == u'.';
}

bool IsTagLetter(char16_t c) {
    return c == u'A' || c == u'T' || c == u'C' || c == u'Y' || c == u'N';
}

std::u16string Quoted(std::u16string_view text) {
    std::u16string quoted(u"\"");
    quoted += text;
    quoted += u'"';
    return quoted;
}

}  // namespace

class PatternParser {
public:
    explicit PatternParser(std::u16string_view text) : text_(text) {}

    ParsedPattern Parse() {
        ParsedPattern parsed;
        NamePattern& pattern = parsed.pattern;
        for (std::size_t i = 0; i < text_.size();) {
            if (text_[i] == u'{') {
                const Group group = ReadGroup(i);
                if (group.error) {
                    parsed.pattern = NamePattern{};
                    parsed.error = std::move(group.error);
                    return parsed;
                }
                if (group.end != 0) {
                    pattern.pieces_.push_back({NamePattern::Kind::Token, 0,
                                               static_cast<std::uint32_t>(pattern.tokens_.size()),
                                               0});
                    pattern.tokens_.push_back(std::move(group.use));
                    i = group.end;
                    continue;
                }
                // No token: the brace is an ordinary character, and so is what follows.
            }
            ReadCharacter(pattern, i);
            ++i;
        }
        return parsed;
    }

private:
    // A brace group read from its '{': a token use that ends before `end`, nothing (end
    // 0) when it is ordinary text, or a mistake.
    struct Group {
        std::size_t end = 0;
        NamePattern::TokenUse use;
        std::optional<PatternError> error;
    };

    // The piece of the character at `i`, decided by the character before it in the
    // pattern (for the first character, itself: never an escape).
    void ReadCharacter(NamePattern& pattern, std::size_t i) const {
        using Kind = NamePattern::Kind;
        const char16_t c = text_[i];
        const char16_t p = i == 0 ? c : text_[i - 1];
        const bool slash = p == u'/';
        const bool backslash = p == u'\\';
        if (c == u'O' && slash) {
            pattern.pieces_.push_back({Kind::Name});
        } else if (IsDecimalDigit(c) && slash) {
            pattern.pieces_.push_back({Kind::Number, static_cast<char16_t>(c - u'0')});
        } else if (c == u'C' && slash) {
            pattern.pieces_.push_back({Kind::Letter});
        } else if (c == u'D' && slash) {
            pattern.pieces_.push_back({Kind::Folder});
        } else if (IsTagLetter(c) && backslash) {
            pattern.pieces_.push_back({Kind::Tag, c});
        } else if (c != u'/' && c != u'\\') {
            // A prefix never reaches the name.
            AppendText(pattern, c);
        }
    }

    static void AppendText(NamePattern& pattern, char16_t c) {
        const auto end = static_cast<std::uint32_t>(pattern.text_.size());
        pattern.text_ += c;
        if (!pattern.pieces_.empty()) {
            NamePattern::Piece& last = pattern.pieces_.back();
            if (last.kind == NamePattern::Kind::Text && last.begin + last.size == end) {
                ++last.size;
                return;
            }
        }
        pattern.pieces_.push_back({NamePattern::Kind::Text, 0, end, 1});
    }

    // `{` name (`|` name)* [`:` argument] `}`. A group none of whose names is known is
    // ordinary text, as it was before tokens existed; once a name is known, the group is
    // meant as a token and anything amiss in it is a mistake.
    Group ReadGroup(std::size_t open) const {
        Group group;
        bool anyKnown = false;
        // Where the first name that is no token's stands, and the name.
        std::optional<std::pair<std::size_t, std::u16string_view>> firstUnknown;
        std::vector<std::u16string_view> names;
        std::size_t at = open + 1;
        const auto mistake = [&](std::size_t where, std::u16string reason) {
            if (anyKnown)
                group.error = PatternError{CharacterAt(where), std::move(reason)};
            return group;
        };
        for (;;) {
            const std::size_t start = at;
            if (at == text_.size() || !IsAsciiLower(text_[at])) {
                if (names.empty())
                    return group;  // '{' then no name: ordinary text whatever follows
                return mistake(at, u"a token name must follow '|'");
            }
            while (at < text_.size() && IsNameCharacter(text_[at]))
                ++at;
            const std::u16string_view name = text_.substr(start, at - start);
            const NameToken* token = FindNameToken(name);
            if (token) {
                anyKnown = true;
            } else if (!firstUnknown) {
                firstUnknown.emplace(start, name);
            }
            names.push_back(name);
            group.use.names.push_back(token);
            if (at < text_.size() && text_[at] == u'|') {
                ++at;
                continue;
            }
            break;
        }
        std::optional<std::u16string_view> argument;
        std::size_t argumentAt = at;
        if (at < text_.size() && text_[at] == u':') {
            argumentAt = at + 1;
            const auto close = text_.find(u'}', argumentAt);
            if (close == std::u16string_view::npos)
                return mistake(open, u"the '{' here has no '}' to close it");
            argument = text_.substr(argumentAt, close - argumentAt);
            at = close;
        } else if (at == text_.size()) {
            return mistake(open, u"the '{' here has no '}' to close it");
        } else if (text_[at] != u'}') {
            return mistake(at, u"a token name ends with '|', ':' or '}'");
        }
        if (!anyKnown)
            return group;
        if (firstUnknown)
            return mistake(firstUnknown->first, Quoted(firstUnknown->second) + u" is no token");
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (auto reason = group.use.names[i]->checkArgument(argument))
                return mistake(argumentAt, Quoted(names[i]) + u" " + *reason);
        }
        if (argument)
            group.use.argument.assign(*argument);
        group.end = at + 1;
        return group;
    }

    std::size_t CharacterAt(std::size_t index) const {
        return CodePointCount(text_.substr(0, index)) + 1;
    }

    std::u16string_view text_;
};

ParsedPattern ParseNamePattern(std::u16string_view text) {
    return PatternParser(text).Parse();
}

std::u16string MistakeAtText(std::u16string_view what, std::size_t character,
                             std::u16string_view reason) {
    std::u16string text(what);
    text += u" has a mistake at character ";
    text += DecimalText(character);
    text += u": ";
    text += reason;
    text += u'.';
    return text;
}

std::u16string PatternErrorText(const PatternError& error) {
    return MistakeAtText(u"The name pattern", error.character, error.reason);
}

}  // namespace brindle
