#include "engine/Extension.h"

#include "engine/TextOps.h"

namespace brindle {

std::u16string ExtensionOf(std::u16string_view name) {
    const auto dot = name.rfind(u'.');
    if (dot == std::u16string_view::npos) return std::u16string(name);
    return std::u16string(name.substr(dot));
}

std::u16string RemoveExtension(std::u16string_view name) {
    return ReplaceAll(name, ExtensionOf(name), u"");
}

}  // namespace brindle
