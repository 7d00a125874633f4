#pragma once

#include <string>
#include <string_view>

#include "engine/ConfigFile.h"
#include "engine/Extension.h"

namespace brindle {

// 'song.mp3.mp3' -> 'song.mp3': only a doubled last extension, and only when the
// doubled text stands at a position greater than 0.
std::u16string RemoveDuplicateExtension(std::u16string_view name);

// Result of the "Only English" stage: the name with the table of `filterMethod`
// applied, or the name unchanged and tableOpened == false when the configuration file
// could not be opened (the caller then takes the failure path).
struct FilterResult {
    std::u16string name;
    bool tableOpened = true;
};
FilterResult ApplyFilterMethod(std::u16string_view name, std::u16string_view iniPath,
                               std::u16string_view filterMethod);

// The "Only English" stage with a table read beforehand: its pairs applied in order. A
// batch reads its table once and applies it to every item.
std::u16string ApplyReplacementTable(std::u16string_view name, const ReplacementTable& table);

// The "Force 63" cut of a name longer than `length`: its spaces deleted, then its '_',
// then the end of the name before its extension cut off, one character always kept
// before it. A name with nothing before its extension ('README', '.bashrc'), or one
// whose extension is set aside, is cut at its end.
void ForceLength(std::u16string& name, int length, ExtensionPlace extension);

}  // namespace brindle
