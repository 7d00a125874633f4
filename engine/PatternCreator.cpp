// The pattern creator: a parsed name pattern (PatternParser.cpp) built into one item's
// name.
#include "engine/PatternCreator.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "engine/BatchStats.h"
#include "engine/NameTokens.h"
#include "engine/PathParts.h"
#include "engine/TextOps.h"

namespace brindle {

namespace {

// printf "%0Ni": the sign counts towards the width, so -5 with width 3 is "-05".
void AppendPaddedNumber(std::u16string& out, std::int32_t value, int width) {
    char digits[16];
    const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    const char* first = digits;
    int length = static_cast<int>(end - digits);
    if (value < 0) {
        out += u'-';
        ++first;
    }
    for (; length < width; ++length)
        out += u'0';
    for (const char* c = first; c != end; ++c)
        out += static_cast<char16_t>(*c);
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

std::u16string_view FolderName(std::u16string_view directory) {
    if (!directory.empty() && IsPathSeparator(directory.back()))
        directory.remove_suffix(1);
    std::size_t start = directory.size();
    while (start > 0 && !IsPathSeparator(directory[start - 1]))
        --start;
    return directory.substr(start);
}

// A prefix never reaches the new name, and neither does a '/' or '\' that the name, its
// folder's name or a tag holds.
void AppendWithoutPrefixes(std::u16string& out, std::u16string_view text) {
    for (;;) {
        const auto prefix = text.find_first_of(u"/\\");
        if (prefix == std::u16string_view::npos)
            break;
        out.append(text.substr(0, prefix));
        text.remove_prefix(prefix + 1);
    }
    out.append(text);
}

void AppendTag(std::u16string& out, const CMp3Tag& tag, char16_t letter) {
    switch (letter) {
        case u'A':
            AppendWithoutPrefixes(out, tag.artist());
            break;
        case u'T':
            AppendWithoutPrefixes(out, tag.title());
            break;
        case u'C':
            AppendWithoutPrefixes(out, tag.album());
            break;
        case u'Y':
            AppendWithoutPrefixes(out, tag.year());
            break;
        default:
            AppendPaddedNumber(out, tag.track(), 0);
            break;
    }
}

}  // namespace

std::u16string NamePattern::GroupText(const TokenUse& use) {
    std::u16string text(u"{");
    for (const NameToken* token : use.names) {
        if (text.size() > 1)
            text += u'|';
        text += token->name;
    }
    text += u'}';
    return text;
}

void NamePattern::Build(std::u16string_view name, std::u16string_view extension,
                        const ItemFacts& item, NameCounters& counters, std::u16string& out) const {
    for (const Piece& piece : pieces_) {
        switch (piece.kind) {
            case Kind::Text:
                out.append(text_, piece.begin, piece.size);
                break;
            case Kind::Name:
                AppendWithoutPrefixes(out, name);
                break;
            case Kind::Number:
                AppendPaddedNumber(out, counters.startIndex, piece.code);
                counters.startIndex = WrappingIncrement(counters.startIndex);
                break;
            case Kind::Letter:
                out += TakeLetter(counters.letter);
                break;
            case Kind::Folder:
                AppendWithoutPrefixes(out, FolderName(item.folder()));
                break;
            case Kind::Tag:
                if (item.isMp3())
                    AppendTag(out, item.mp3Tag(), piece.code);
                else
                    out += piece.code;
                break;
            case Kind::Token: {
                // Made fit for a name, never read for prefixes. The first token of the
                // group with a value gives it; none with one inserts nothing, and the item
                // is told so.
                const TokenUse& use = tokens_[piece.begin];
                const std::size_t before = out.size();
                bool found = false;
                for (const NameToken* token : use.names) {
                    if (token->value(item, use.argument, out)) {
                        CleanTokenValue(out, before);
                        found = true;
                        break;
                    }
                    out.resize(before);
                }
                if (!found)
                    item.NoteNoValue(GroupText(use));
                break;
            }
        }
    }
    AppendWithoutPrefixes(out, extension);
}

bool NamePattern::HasCounter() const {
    for (const Piece& piece : pieces_) {
        if (piece.kind == Kind::Number || piece.kind == Kind::Letter)
            return true;
        if (piece.kind == Kind::Token) {
            for (const NameToken* token : tokens_[piece.begin].names) {
                if (token->counter)
                    return true;
            }
        }
    }
    return false;
}

bool NamePattern::OnlyTokensAndText() const {
    bool token = false;
    for (const Piece& piece : pieces_) {
        if (piece.kind == Kind::Token)
            token = true;
        else if (piece.kind != Kind::Text)
            return false;
    }
    return token;
}

HeldFactsNeeds NamePattern::Needs() const {
    HeldFactsNeeds needs;
    for (const TokenUse& use : tokens_) {
        for (const NameToken* token : use.names) {
            if (token->needs)
                token->needs(use.argument, needs);
        }
    }
    std::sort(needs.photoKeys.begin(), needs.photoKeys.end());
    needs.photoKeys.erase(std::unique(needs.photoKeys.begin(), needs.photoKeys.end()),
                          needs.photoKeys.end());
    return needs;
}

}  // namespace brindle
