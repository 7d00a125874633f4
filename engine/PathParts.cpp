#include "engine/PathParts.h"

namespace brindle {

namespace {
std::u16string_view::size_type LastSeparator(std::u16string_view path) {
    for (auto i = path.size(); i > 0; --i) {
        if (IsPathSeparator(path[i - 1]))
            return i - 1;
    }
    return std::u16string_view::npos;
}
}  // namespace

std::u16string NamePart(std::u16string_view path) {
    const auto pos = LastSeparator(path);
    if (pos == std::u16string_view::npos)
        return std::u16string(path);
    return std::u16string(path.substr(pos + 1));
}

std::u16string DirectoryPart(std::u16string_view path) {
    const auto pos = LastSeparator(path);
    if (pos == std::u16string_view::npos)
        return {};
    return std::u16string(path.substr(0, pos + 1));
}

}  // namespace brindle
