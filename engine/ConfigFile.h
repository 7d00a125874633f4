#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/RenameSettings.h"
#include "platform/TextFile.h"

namespace brindle {

namespace options {
struct Option;
}

// Reads the next line of an open configuration file into `line` (decoded, a comment
// cut with the double-quote rule, white space trimmed at both ends). False at the end
// of the file.
bool readConfigLine(TextFileReader& file, std::u16string& line);

// Value of `key` in `section` ("[config]"), or empty. `sectionFound`, when given, is
// set to whether the header was found. `exclusive`: the file is opened as every reader of
// it does, failing while another holder has it (then nothing is found).
std::u16string readConfigValue(std::u16string_view path, std::u16string_view section,
                               std::u16string_view key, bool* sectionFound = nullptr,
                               bool exclusive = true);

// True exactly when `key` of "[config]" has the value "1".
bool ReadConfigFlag(std::u16string_view path, std::u16string_view key);

// Which options LoadConfigOptions reads, and how it opens the file.
struct ConfigLoad {
    // The rows it is true for; every row when null. The others keep their values.
    bool (*wanted)(const options::Option& row) = nullptr;
    // Opened as every reader of it does, failing while another holder has it. brindle-cli
    // reads it without taking it, so that runs started together never make each other's
    // read fail and start with every option off.
    bool exclusive = true;
};

// Fills the options of the table from "[config]" of the file at `path`, each by its
// kind's rule; an option whose key is missing or whose value is not one it takes gets its
// default. "Only English" is read only when the file exists.
void LoadConfigOptions(RenameSettings& options, std::u16string_view path,
                       const ConfigLoad& load = {});

// `text` as a "[config]" value that reads back as `text`: in double quotes, with '\', '"'
// and '/' escaped by a '\', so that no "//" (a comment) ever appears in it.
std::u16string QuoteConfigText(std::u16string_view text);
// The text a "[config]" value stands for: unquoted as written, or quoted as
// QuoteConfigText writes it; nullopt for a quote that is never closed.
std::optional<std::u16string> UnquoteConfigText(std::u16string_view value);

using ReplacementTable = std::vector<std::pair<std::u16string, std::u16string>>;

// The table of the method whose list text is `methodText` ("English" -> "[english]",
// "" -> "[]"); nullopt when the file cannot be opened. `exclusive`: the file is opened as
// every reader of it does, failing while another holder has it; a preview reads it
// without taking it, so that it never makes a batch's own read fail.
std::optional<ReplacementTable> readReplacementTable(std::u16string_view path,
                                                     std::u16string_view methodText,
                                                     bool exclusive = true);

}  // namespace brindle
