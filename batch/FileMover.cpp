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

std::u16string ApplyFileMover(std::u16string& fileTypes, const std::u16string& currentDirectory,
                              const std::u16string& newName) {
    fileTypes = AsciiLowered(fileTypes);
    const std::u16string extension = AsciiLowered(ExtensionOf(newName));
    if (fileTypes.find(extension) == std::u16string::npos)
        return currentDirectory;
    return ParentFolder(currentDirectory);
}

}  // namespace brindle
