#include "engine/NameTokens.h"

#include <deque>
#include <mutex>

#include "engine/CounterToken.h"
#include "engine/DateTokens.h"
#include "engine/MusicTokens.h"
#include "engine/PhotoTokens.h"
#include "engine/TextOps.h"

namespace brindle {

namespace {

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// The program's tokens are registered here as they come; a test registers its own.
// A deque keeps every token where it is while others are added.
struct Registry {
    Registry() {
        for (auto* made : {DateTokens, PhotoTokens, MusicTokens, CounterTokens}) {
            for (NameToken& token : made())
                tokens.push_back(std::move(token));
        }
    }
    std::mutex mutex;
    std::deque<NameToken> tokens;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

const NameToken* FindLocked(const Registry& registry, std::u16string_view name) {
    for (const NameToken& token : registry.tokens) {
        if (token.name == name)
            return &token;
    }
    return nullptr;
}

bool IsControl(char16_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// Unicode's white space that is no control character.
bool IsSpace(char16_t c) {
    return c == u' ' || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 ||
           c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

}  // namespace

void CleanTokenValue(std::u16string& text, std::size_t from) {
    std::size_t to = from;
    for (std::size_t i = from; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (IsControl(c))
            continue;
        text[to++] = c == u'/' ? u'-' : c;
    }
    text.resize(to);
    std::size_t begin = from;
    while (begin < text.size() && IsSpace(text[begin]))
        ++begin;
    std::size_t end = text.size();
    while (end > begin && IsSpace(text[end - 1]))
        --end;
    text.resize(end);
    text.erase(from, begin - from);
}

bool IsTokenName(std::u16string_view name) {
    if (name.empty() || !IsAsciiLower(name.front()))
        return false;
    for (const char16_t c : name) {
        if (!IsAsciiLower(c) && !IsAsciiUpper(c) && !IsDigit(c) && c != u'.')
            return false;
    }
    return true;
}

bool RegisterNameToken(NameToken token) {
    if (!IsTokenName(token.name) || !token.checkArgument || !token.value)
        return false;
    Registry& registry = TheRegistry();
    const std::lock_guard lock(registry.mutex);
    if (FindLocked(registry, token.name))
        return false;
    registry.tokens.push_back(std::move(token));
    return true;
}

const NameToken* FindNameToken(std::u16string_view name) {
    Registry& registry = TheRegistry();
    const std::lock_guard lock(registry.mutex);
    return FindLocked(registry, name);
}

}  // namespace brindle
