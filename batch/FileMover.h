#pragma once

#include <string>
#include <string_view>

namespace brindle {

// The folder the file mover sends an item of `directory` to: its parent, by text; the
// root is its own parent.
std::u16string ParentFolder(const std::u16string& directory);

// Whether an item named `newName` goes up a folder: the extension of `newName` occurs
// anywhere in `loweredFileTypes` (a plain substring test, the extension's letters A-Z
// folded). The option's text is lowered once for the whole batch, which keeps it lowered
// until the controls are next saved.
bool FileMoverSendsUp(std::u16string_view loweredFileTypes, std::u16string_view newName);

}  // namespace brindle
