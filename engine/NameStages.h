#pragma once

// The stages of the name chain, in the order they run. NameChain.cpp picks the ones a
// batch's options ask for.

#include <memory>
#include <string>
#include <vector>

#include "engine/ConfigFile.h"
#include "engine/Extension.h"
#include "engine/NameStage.h"
#include "engine/PatternCreator.h"
#include "engine/RegexReplace.h"

namespace brindle {

using NameStages = std::vector<std::unique_ptr<const NameStage>>;

// "Dublicate Extension": 'song.mp3.mp3' -> 'song.mp3'.
class DoubledExtensionStage final : public NameStage {
public:
    void Apply(std::u16string& name, const ItemFacts& item, NameCounters& counters) const override;
};

// "w/o File Extension": the stages it holds see the name without its extension, which
// comes back after them.
class ExtensionAsideStage final : public NameStage {
public:
    explicit ExtensionAsideStage(NameStages inner) : inner_(std::move(inner)) {}
    void Apply(std::u16string& name, const ItemFacts& item, NameCounters& counters) const override;

private:
    NameStages inner_;
    mutable std::u16string extension_;
};

// "# of Symbols": the name's length, as column "#" shows it.
class SymbolCountStage final : public NameStage {
public:
    void Apply(std::u16string& name, const ItemFacts& item, NameCounters& counters) const override;
};

// "Only English": the pairs of the batch's replacement table, in order.
class ReplacementTableStage final : public NameStage {
public:
    explicit ReplacementTableStage(const ReplacementTable& table) : table_(table) {}
    void Apply(std::u16string& name, const ItemFacts& item, NameCounters& counters) const override;

private:
    const ReplacementTable& table_;
};

// One of the case conversions.
class CaseConversionStage final : public NameStage {
public:
    explicit CaseConversionStage(int mode) : mode_(mode) {}
    void Apply(std::u16string& name, const ItemFacts& item, NameCounters& counters) const override;

private:
    int mode_;
};

// Replace what/with: every occurrence, left to right.
class ReplaceStage final : public NameStage {
public:
    ReplaceStage(std::u16string what, std::u16string with)
        : what_(std::move(what)), with_(std::move(with)) {}
    void Apply(std::u16string& name, const ItemFacts& item, NameCounters& counters) const override;

private:
    std::u16string what_;
    std::u16string with_;
};

// Replace what/with as a regular expression and its replacement: every match, left to
// right. A match past the limits leaves the name as it was and says so in tookTooLong()
// until the next item.
class RegexReplaceStage final : public NameStage {
public:
    explicit RegexReplaceStage(RegexReplacer replacer) : replacer_(std::move(replacer)) {}
    void Apply(std::u16string& name, const ItemFacts& item, NameCounters& counters) const override;
    // Replaces in `name` and tells the parts replaced; false past the limits.
    bool Replace(std::u16string& name, std::vector<ReplacedPart>* parts) const;
    bool tookTooLong() const { return tookTooLong_; }
    void Forget() const { tookTooLong_ = false; }

private:
    RegexReplacer replacer_;
    mutable std::u16string replaced_;
    mutable bool tookTooLong_ = false;
};

// The name pattern: a new name for the name before its extension.
class PatternStage final : public NameStage {
public:
    PatternStage(NamePattern pattern, ExtensionPlace extension)
        : pattern_(std::move(pattern)), extension_(extension) {}
    void Apply(std::u16string& name, const ItemFacts& item, NameCounters& counters) const override;

private:
    NamePattern pattern_;
    ExtensionPlace extension_;
    mutable std::u16string built_;
};

// "Force 63": the name cut to a length.
class LengthCutStage final : public NameStage {
public:
    LengthCutStage(int length, ExtensionPlace extension) : length_(length), extension_(extension) {}
    void Apply(std::u16string& name, const ItemFacts& item, NameCounters& counters) const override;

private:
    int length_;
    ExtensionPlace extension_;
};

}  // namespace brindle
