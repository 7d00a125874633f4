#include "engine/Extension.h"

namespace brindle {

std::u16string_view ExtensionView(std::u16string_view name) {
    const auto dot = name.rfind(u'.');
    return dot == std::u16string_view::npos ? name : name.substr(dot);
}

std::u16string ExtensionOf(std::u16string_view name) {
    return std::u16string(ExtensionView(name));
}

std::u16string RemoveExtension(std::u16string_view name) {
    return std::u16string(name.substr(0, name.size() - ExtensionView(name).size()));
}

}  // namespace brindle
