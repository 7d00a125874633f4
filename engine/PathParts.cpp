#include "engine/PathParts.h"

#include <vector>

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

std::u16string AbsolutePath(std::u16string_view path, std::u16string_view folder) {
    if (path.empty())
        return {};
    std::u16string joined;
    if (!IsPathSeparator(path.front())) {
        joined.assign(folder);
        joined += kPathSeparator;
    }
    joined += path;

    std::vector<std::u16string_view> parts;
    std::u16string_view rest = joined;
    while (!rest.empty()) {
        const auto slash = rest.find(kPathSeparator);
        const std::u16string_view part = rest.substr(0, slash);
        rest = slash == std::u16string_view::npos ? std::u16string_view{} : rest.substr(slash + 1);
        if (part.empty() || part == u".")
            continue;
        if (part == u"..") {
            if (!parts.empty())
                parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    if (parts.empty())
        return std::u16string(1, kPathSeparator);
    std::u16string result;
    for (const std::u16string_view part : parts) {
        result += kPathSeparator;
        result += part;
    }
    return result;
}

}  // namespace brindle
