#include "TestTokens.h"

#include "engine/NameTokens.h"

namespace brindle::testing {

namespace {

std::optional<std::u16string> NoArgument(std::optional<std::u16string_view> argument) {
    if (argument)
        return u"takes no argument";
    return std::nullopt;
}

}  // namespace

void RegisterTestTokens() {
    static const bool registered = [] {
        RegisterNameToken(
            {u"test.echo",
             [](std::optional<std::u16string_view> argument) -> std::optional<std::u16string> {
                 if (!argument || argument->empty())
                     return u"needs a text after ':'";
                 return std::nullopt;
             },
             [](const ItemFacts&, std::u16string_view argument, std::u16string& out) {
                 out += argument;
                 return true;
             },
             false,
             {}});
        RegisterNameToken(
            {u"test.none",
             NoArgument,
             [](const ItemFacts&, std::u16string_view, std::u16string&) { return false; },
             false,
             {}});
        RegisterNameToken({u"test.disk",
                           NoArgument,
                           [](const ItemFacts& item, std::u16string_view, std::u16string& out) {
                               out += item.nameOnDisk();
                               return true;
                           },
                           false,
                           {}});
        RegisterNameToken({u"test.count",
                           NoArgument,
                           [](const ItemFacts& item, std::u16string_view, std::u16string& out) {
                               out += item.nameOnDisk();
                               return true;
                           },
                           true,
                           {}});
        return true;
    }();
    (void)registered;
}

}  // namespace brindle::testing
