#include "platform/MountTable.h"

#include <sys/sysmacros.h>

#include <array>
#include <charconv>

#include "platform/FileSystem.h"

namespace brindle {

namespace {

// Filesystem types (the field after " - ") whose folder renames lose the contents.
constexpr std::array<std::string_view, 1> kLosingTypes = {"fuse.fusefat"};

// "major:minor" as st_dev gives it.
std::optional<std::uint64_t> ParseDevice(std::string_view text) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    unsigned major = 0;
    unsigned minor = 0;
    const char* begin = text.data();
    const char* middle = begin + colon;
    const char* end = begin + text.size();
    if (std::from_chars(begin, middle, major).ptr != middle ||
        std::from_chars(middle + 1, end, minor).ptr != end) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(makedev(major, minor));
}

// The n-th field of a line of fields separated by single spaces (paths in the table
// write their spaces as \040).
std::string_view Field(std::string_view line, std::size_t n) {
    for (; n > 0; --n) {
        const auto space = line.find(' ');
        if (space == std::string_view::npos)
            return {};
        line.remove_prefix(space + 1);
    }
    return line.substr(0, line.find(' '));
}

}  // namespace

bool FolderRenamesLoseContents(std::string_view mountInfo, std::uint64_t device) {
    while (!mountInfo.empty()) {
        const auto end = mountInfo.find('\n');
        const std::string_view line = mountInfo.substr(0, end);
        mountInfo.remove_prefix(end == std::string_view::npos ? mountInfo.size() : end + 1);
        // "ID PARENT MAJOR:MINOR ROOT POINT OPTIONS [TAGS...] - TYPE SOURCE OPTIONS"
        const std::optional<std::uint64_t> lineDevice = ParseDevice(Field(line, 2));
        const auto separator = line.find(" - ");
        if (!lineDevice || *lineDevice != device || separator == std::string_view::npos)
            continue;
        const std::string_view type = Field(line.substr(separator + 3), 0);
        for (const std::string_view losing : kLosingTypes) {
            if (type == losing)
                return true;
        }
    }
    return false;
}

bool MountTable::FolderRenamesLoseContents(std::uint64_t device) {
    if (!mountInfo_)
        mountInfo_ = ReadFileBytes(u"/proc/self/mountinfo").value_or(std::string());
    return brindle::FolderRenamesLoseContents(*mountInfo_, device);
}

}  // namespace brindle
