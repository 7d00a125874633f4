#include "engine/NameStage.h"

#include "engine/TextOps.h"

namespace brindle {

bool ItemFacts::isMp3() const {
    const auto dot = name_.rfind(u'.');
    if (dot == std::u16string_view::npos)
        return false;
    constexpr std::u16string_view kMp3 = u".mp3";
    const std::u16string_view extension = name_.substr(dot);
    if (extension.size() != kMp3.size())
        return false;
    for (std::size_t i = 0; i < kMp3.size(); ++i) {
        if (AsciiToLower(extension[i]) != kMp3[i])
            return false;
    }
    return true;
}

const CMp3Tag& ItemFacts::mp3Tag() const {
    if (!tag_) {
        std::u16string path(folder_);
        path += name_;
        tag_.emplace(path);
    }
    return *tag_;
}

}  // namespace brindle
