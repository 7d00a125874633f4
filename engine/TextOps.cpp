#include "engine/TextOps.h"

namespace brindle {

std::u16string ReplaceAll(std::u16string_view text, std::u16string_view what,
                          std::u16string_view with) {
    if (what.empty())
        return std::u16string(text);
    std::u16string result;
    result.reserve(text.size());
    std::u16string_view::size_type from = 0;
    for (;;) {
        const auto hit = text.find(what, from);
        if (hit == std::u16string_view::npos)
            break;
        result.append(text.substr(from, hit - from));
        result.append(with);
        from = hit + what.size();
    }
    result.append(text.substr(from));
    return result;
}

std::u16string AsciiLowered(std::u16string_view text) {
    std::u16string result(text);
    for (auto& c : result)
        c = AsciiToLower(c);
    return result;
}

std::u16string FromAscii(std::string_view ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

std::size_t CodePointCount(std::u16string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); i += CodePointAt(text, i).units)
        ++count;
    return count;
}

}  // namespace brindle
