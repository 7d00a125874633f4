#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brindle {

// What the dialog keeps between runs, in a small file beside the log (UserFiles::stateFile):
// the folder chosen last in the folder browser, so that the browser opens there again.
// One line, "Last Folder=" and the path's bytes, with '\\', LF and CR written as "\\\\",
// "\\n" and "\\r" so that any path fits on it.

inline constexpr char16_t kStateFileName[] = u"Brindle.state";

// The folder the state file names, as it names it; nullopt when the file is missing,
// cannot be read, or holds no absolute path on a well-formed line.
std::optional<std::u16string> ReadLastFolder(std::u16string_view stateFile);

// Keeps `folder` as the folder chosen last: the state file's folder is made when missing
// (readable by its owner only) and the file replaced in one step. 0, or the errno.
int WriteLastFolder(std::u16string_view stateFile, std::u16string_view folder);

// Where the folder browser opens: `last` while it is still a folder (links followed, as
// the browser follows them), else `home` when that is one, else the root. Never the
// program's folder, which the program runs in.
std::u16string BrowserStartFolder(const std::optional<std::u16string>& last,
                                  std::u16string_view home);

}  // namespace brindle
