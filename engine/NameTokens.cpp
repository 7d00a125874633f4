#include "engine/NameTokens.h"

#include <deque>
#include <mutex>

#include "engine/TextOps.h"

namespace brindle {

namespace {

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// The program's tokens are registered here as they come; a test registers its own.
// A deque keeps every token where it is while others are added.
struct Registry {
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

}  // namespace

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
