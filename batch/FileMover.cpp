#include "batch/FileMover.h"

#include "engine/Extension.h"
#include "engine/PathParts.h"
#include "engine/TextOps.h"

namespace brindle {

std::u16string ParentFolder(const std::u16string& directory) {
    std::u16string_view trimmed = directory;
    if (!trimmed.empty() && IsPathSeparator(trimmed.back()))
        trimmed.remove_suffix(1);
    // Cutting '/' would give an empty folder, which means the current directory.
    if (trimmed.empty())
        return directory;
    return DirectoryPart(trimmed);
}

bool FileMoverSendsUp(std::u16string_view loweredFileTypes, std::u16string_view newName) {
    const std::u16string_view extension = ExtensionView(newName);
    if (extension.size() > loweredFileTypes.size())
        return false;
    // A plain substring test, the extension's letters A-Z folded.
    const std::size_t last = loweredFileTypes.size() - extension.size();
    for (std::size_t at = 0; at <= last; ++at) {
        std::size_t i = 0;
        while (i < extension.size() && loweredFileTypes[at + i] == AsciiToLower(extension[i]))
            ++i;
        if (i == extension.size())
            return true;
    }
    return false;
}

}  // namespace brindle
