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

// The "[config]" section of a configuration file or a preset, read once: its lines up to
// the next section, each decoded, its comment cut and trimmed.
struct ConfigSection {
    std::vector<std::u16string> lines;

    // The value of `key` as readConfigValue finds it (the first line with the key, what
    // follows its '=' without leading white space, empty without a '='); nullopt when no
    // line has the key.
    std::optional<std::u16string> Value(std::u16string_view key) const;
};

// The section of `bytes` read by the configuration file's rules (a 0x1A byte ends the
// file, lines end at LF, a CR before it dropped); nullopt when it has no "[config]" header.
std::optional<ConfigSection> ParseConfigSection(std::string_view bytes);

// Which options LoadConfigOptions reads, and how it opens the file.
struct ConfigLoad {
    // The rows it is true for; every row when null. The others keep their values.
    bool (*wanted)(const options::Option& row) = nullptr;
    // Opened as every reader of it does, failing while another holder has it. brindle-cli
    // reads it without taking it, so that runs started together never make each other's
    // read fail and start with every option off.
    bool exclusive = true;
    // Laid over the options (a preset, the remembered options): a key that is missing, or
    // whose value is not one its row takes, keeps the field's value instead of the default.
    bool over = false;
};

// Fills the options of the table from "[config]" of the file at `path`, each by its
// kind's rule; an option whose key is missing or whose value is not one it takes gets its
// default. "Only English" is read only when the file exists.
void LoadConfigOptions(RenameSettings& options, std::u16string_view path,
                       const ConfigLoad& load = {});

// The same from a section already read (none: every key missing). "Only English" is read
// only when `configExists`: without a configuration file it has no table.
void ApplyConfigSection(RenameSettings& options, const ConfigSection* section, bool configExists,
                        const ConfigLoad& load = {});

// Every option of the table as a "[config]" section: "[config]", then "Key = value" for
// each row, flags 1 or 0, integers in decimal, choices by their words, texts quoted with
// QuoteConfigText. LoadConfigOptions reads it back to the same options.
std::string ConfigSectionText(const RenameSettings& options);

// `text` as a "[config]" value that reads back as `text`: in double quotes, with '\', '"'
// and '/' escaped by a '\', so that no "//" (a comment) ever appears in it, and a line
// feed or carriage return written "\n" or "\r", so that the value stays on its line.
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
