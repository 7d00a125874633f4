#pragma once

#include <string_view>

namespace brindle {

// True when `path` names a folder. A symbolic link is never one, so a dropped link to a
// folder is renamed like a file and no listing descends through a link.
bool IsFolder(std::u16string_view path);

}  // namespace brindle
