#include "engine/NameStage.h"

#include "engine/HeldFactsCache.h"
#include "engine/TextOps.h"
#include "platform/NameCodec.h"

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

const ItemTimes& ItemFacts::times() const {
    if (!times_) {
        times_.emplace();
        if (folderFd_ >= 0) {
            ReadItemTimes(folderFd_, EncodeName(name_), *times_);
        } else {
            std::u16string path(folder_);
            path += name_;
            ReadItemTimes(-1, EncodeName(path), *times_);
        }
    }
    return *times_;
}

const HeldFacts& ItemFacts::held(const HeldFactsNeeds& wanted) const {
    if (!held_ || !NeedsCover(heldFor_, wanted)) {
        HeldFactsNeeds needs = needs_ != nullptr ? NeedsUnion(*needs_, wanted) : wanted;
        if (held_)
            needs = NeedsUnion(heldFor_, needs);
        if (folderFd_ >= 0) {
            held_ = HeldFactsCache::Shared().Get(folderFd_, EncodeName(name_), needs);
        } else {
            std::u16string path(folder_);
            path += name_;
            held_ = HeldFactsCache::Shared().Get(-1, EncodeName(path), needs);
        }
        heldFor_ = std::move(needs);
    }
    return *held_;
}

void ItemFacts::setHeld(std::shared_ptr<const HeldFacts> facts,
                        const HeldFactsNeeds& readFor) const {
    held_ = std::move(facts);
    heldFor_ = readFor;
}

WallTime ItemFacts::batchStart() const {
    if (!batchStart_)
        batchStart_ = WallClockNow();
    return *batchStart_;
}

void ItemFacts::NoteNoValue(std::u16string_view group) const {
    for (std::size_t at = noValue_.find(group); at != std::u16string::npos;
         at = noValue_.find(group, at + 1)) {
        const std::size_t end = at + group.size();
        if ((at == 0 || noValue_[at - 1] == u' ') &&
            (end == noValue_.size() || noValue_[end] == u','))
            return;
    }
    if (!noValue_.empty())
        noValue_ += u", ";
    noValue_ += group;
}

}  // namespace brindle
