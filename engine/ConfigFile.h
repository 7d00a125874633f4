#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/RenameOptions.h"
#include "platform/TextFile.h"

namespace brindle {

// Reads the next line of an open configuration file into `line` (decoded, a comment
// cut with the double-quote rule, white space trimmed at both ends). False at the end
// of the file.
bool readConfigLine(TextFileReader& file, std::u16string& line);

// Value of `key` in `section` ("[config]"), or empty. `sectionFound`, when given, is
// set to whether the header was found.
std::u16string readConfigValue(std::u16string_view path, std::u16string_view section,
                               std::u16string_view key, bool* sectionFound = nullptr);

// True exactly when `key` of "[config]" has the value "1".
bool ReadConfigFlag(std::u16string_view path, std::u16string_view key);

// The "[config]" keys; the option table gives each its field.
inline constexpr std::u16string_view kKeyOnlyEnglish = u"Only English";
inline constexpr std::u16string_view kKeyShowLogWindow = u"Show Log Window";
inline constexpr std::u16string_view kKeyForce63 = u"Force 63";
inline constexpr std::u16string_view kKeyWithoutExtension = u"w/o File Extension";
inline constexpr std::u16string_view kKeyOnlyLog = u"Only Log";
inline constexpr std::u16string_view kKeyCountSymbols = u"Count # of symbols";
inline constexpr std::u16string_view kKeyDeleteContents = u"Delete Contents";
inline constexpr std::u16string_view kKeyResetCounters = u"Reset Counters";
inline constexpr std::u16string_view kKeyScanSubfolders = u"Scan Subfolders";
inline constexpr std::u16string_view kKeyReadOnly = u"Read Only";
inline constexpr std::u16string_view kKeyWriteLogFile = u"Write Log File";
inline constexpr std::u16string_view kKeyDuplicateExtension = u"Dublicate Extension";
inline constexpr std::u16string_view kKeyRenameDir = u"Rename Dir";

// Fills every option of the table that has a key from "[config]" of options.iniFileName;
// "Only English" is read only when the file exists.
void LoadConfigOptions(RenameOptions& options);

using ReplacementTable = std::vector<std::pair<std::u16string, std::u16string>>;

// The table of the method whose list text is `methodText` ("English" -> "[english]",
// "" -> "[]"); nullopt when the file cannot be opened. `exclusive`: the file is opened as
// every reader of it does, failing while another holder has it; a preview reads it
// without taking it, so that it never makes a batch's own read fail.
std::optional<ReplacementTable> readReplacementTable(std::u16string_view path,
                                                     std::u16string_view methodText,
                                                     bool exclusive = true);

}  // namespace brindle
