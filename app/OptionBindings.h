#pragma once

#include <span>
#include <string_view>

#include "app/ControlIds.h"
#include "engine/OptionTable.h"

// Which control of the main dialog shows which option, in the order of the dialog's
// exchange. An option without a binding has no control in the main dialog.
struct OptionBinding {
    std::u16string_view key;
    // The control that holds the value; for a choice shown as radio buttons, 0, and
    // `valueControls` gives the button of each value, in the order of the choice's values.
    int control = 0;
    std::span<const int> valueControls{};
};

inline constexpr int kConversionButtons[] = {
    ids::kNoConversion,  ids::kToLowerCase, ids::kLowerLetter, ids::kReverse,
    ids::kReverseLetter, ids::kToUpperCase, ids::kUpperLetter,
};

inline constexpr OptionBinding kOptionBindings[] = {
    {brindle::options::kKeyOnlyEnglish, ids::kOnlyEnglish},
    {brindle::options::kKeyForce63, ids::kForce63},
    {brindle::options::kKeyWithoutExtension, ids::kWithoutExtension},
    {brindle::options::kKeyOnlyLog, ids::kOnlyLog},
    {brindle::options::kKeyCountSymbols, ids::kCountSymbols},
    {brindle::options::kKeyDeleteContents, ids::kDeleteContents},
    {brindle::options::kKeyResetCounters, ids::kResetCounters},
    {brindle::options::kKeyScanSubfolders, ids::kScanSubfolders},
    {brindle::options::kKeyShowLogWindow, ids::kShowLogWindow},
    {brindle::options::kKeyReadOnly, ids::kReadOnly},
    {brindle::options::kKeyWriteLogFile, ids::kWriteLogFile},
    {brindle::options::kKeyDuplicateExtension, ids::kDuplicateExtension},
    {brindle::options::kKeyRenameDir, ids::kRenameDir},
    {brindle::options::kKeyRegularExpression, ids::kRegularExpression},
    {brindle::options::kKeyCase, 0, kConversionButtons},
    {brindle::options::kKeyForceLength, ids::kForce63Length},
    {brindle::options::kKeyStartingIndex, ids::kStartIndex},
    {brindle::options::kKeyReplaceWhat, ids::kReplaceWhat},
    {brindle::options::kKeyReplaceWith, ids::kReplaceWith},
    {brindle::options::kKeyNamePattern, ids::kNamePattern},
    {brindle::options::kKeyFileTypes, ids::kFileTypes},
    {brindle::options::kKeyMethod, ids::kMethodList},
};
