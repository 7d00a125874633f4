#pragma once

#include <string>
#include <string_view>

namespace brindle {

// The extension of a name is the text from its last '.' to its end, the dot
// included; a name without '.' is all extension ('a.tar.gz' -> '.gz', 'notes.' -> '.',
// 'README' -> 'README').
std::u16string ExtensionOf(std::u16string_view name);
// The same, as a view into `name`.
std::u16string_view ExtensionView(std::u16string_view name);

// Whether the name stages see each name with its extension, or without it, the extension
// being set aside before them and put back after them ("w/o File Extension").
enum class ExtensionPlace { InName, SetAside };

// The name without its extension: the text before its last '.' ('x.mp3.mp3' -> 'x.mp3';
// a name without a dot becomes empty).
std::u16string RemoveExtension(std::u16string_view name);

}  // namespace brindle
