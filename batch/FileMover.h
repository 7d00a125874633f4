#pragma once

#include <string>

namespace brindle {

// Decides where an item goes: the parent of `currentDirectory` when the extension of
// `newName` occurs anywhere in `fileTypes` (a plain substring test, letters A-Z folded),
// otherwise `currentDirectory` itself. `fileTypes` is lowered in place: the option keeps
// the lowered text until the controls are next saved. An item of the root folder has
// no parent and stays where it is.
// The folder the file mover sends an item of `directory` to: its parent, by text; the
// root is its own parent.
std::u16string ParentFolder(const std::u16string& directory);

// The test ApplyFileMover makes, on file types lowered already, without allocating:
// whether an item named `newName` goes up a folder.
bool FileMoverSendsUp(std::u16string_view loweredFileTypes, std::u16string_view newName);

std::u16string ApplyFileMover(std::u16string& fileTypes, const std::u16string& currentDirectory,
                              const std::u16string& newName);

}  // namespace brindle
