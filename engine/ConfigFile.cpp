#include "engine/ConfigFile.h"

#include <algorithm>
#include <cstdint>

#include "engine/IntegerText.h"
#include "engine/OptionTable.h"
#include "engine/TextOps.h"
#include "platform/FileSystem.h"
#include "platform/NameCodec.h"

namespace brindle {

namespace {

constexpr std::u16string_view kConfigSection = u"[config]";

bool IsConfigSpace(char16_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0xA0;
}

std::u16string_view TrimConfigSpace(std::u16string_view text) {
    while (!text.empty() && IsConfigSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsConfigSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

bool IsQuoteAt(std::u16string_view line, std::size_t i) {
    return line[i] == u'"' && (i == 0 || line[i - 1] != u'\\');
}

// Where the comment of `line` begins, or npos. A "//" behind exactly one double quote
// stands inside a quoted text: the search goes on behind the closing quote, and a quote
// left open runs to the end of the line, so nothing after it is a comment.
std::size_t CommentStart(std::u16string_view line) {
    std::size_t from = 0;
    for (;;) {
        const std::size_t slashes = line.find(u"//", from);
        if (slashes == std::u16string_view::npos)
            return slashes;
        int quotes = 0;
        for (std::size_t i = from; i < slashes; ++i) {
            if (IsQuoteAt(line, i))
                ++quotes;
        }
        if (quotes != 1)
            return slashes;
        std::size_t closing = slashes + 2;
        while (closing < line.size() && !IsQuoteAt(line, closing))
            ++closing;
        if (closing >= line.size())
            return std::u16string_view::npos;
        from = closing + 1;
    }
}

bool StartsWith(std::u16string_view text, std::u16string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The value `line` gives the key `keyLower` (in lower case): nullopt when the line is not
// that key's (the key must be followed by white space or end the line), empty
// when it has no '='.
std::optional<std::u16string> ValueOfLine(std::u16string_view line, std::u16string_view keyLower) {
    const std::u16string lower = AsciiLowered(line.substr(0, keyLower.size() + 1));
    if (!StartsWith(lower, keyLower))
        return std::nullopt;
    if (lower.size() != keyLower.size() && !IsConfigSpace(lower[keyLower.size()]))
        return std::nullopt;
    const auto equals = line.find(u'=');
    if (equals == std::u16string_view::npos)
        return std::u16string();
    std::u16string_view value = line.substr(equals + 1);
    while (!value.empty() && IsConfigSpace(value.front()))
        value.remove_prefix(1);
    return std::u16string(value);
}

// The section `section` ("[config]", letter case aside) of `bytes`, read by the
// configuration file's rules; nullopt without its header.
std::optional<ConfigSection> ParseSection(std::string_view bytes, std::u16string_view section) {
    const std::u16string sectionLower = AsciiLowered(section);
    bytes = bytes.substr(0, bytes.find('\x1A'));
    ConfigSection found;
    bool inSection = false;
    while (!bytes.empty()) {
        const auto end = bytes.find('\n');
        std::string_view raw = bytes.substr(0, end);
        bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
        if (!raw.empty() && raw.back() == '\r' && end != std::string_view::npos)
            raw.remove_suffix(1);
        const std::u16string decoded = DecodeTextLine(raw);
        std::u16string_view text = decoded;
        text = TrimConfigSpace(text.substr(0, CommentStart(text)));
        if (!inSection) {
            inSection = StartsWith(AsciiLowered(text), sectionLower);
            continue;
        }
        if (StartsWith(text, u"["))
            break;
        found.lines.emplace_back(text);
    }
    if (!inSection)
        return std::nullopt;
    return found;
}

}  // namespace

bool readConfigLine(TextFileReader& file, std::u16string& line) {
    std::u16string raw;
    if (!file.ReadLine(raw))
        return false;
    std::u16string_view text = raw;
    text = text.substr(0, CommentStart(text));
    line.assign(TrimConfigSpace(text));
    return true;
}

std::u16string readConfigValue(std::u16string_view path, std::u16string_view section,
                               std::u16string_view key, bool* sectionFound, bool exclusive) {
    if (sectionFound)
        *sectionFound = false;
    TextFileReader file;
    TextFileReader::Options open;
    open.exclusive = exclusive;
    if (!file.Open(path, open))
        return {};
    const std::optional<ConfigSection> lines = ParseSection(file.Remaining(), section);
    if (!lines)
        return {};
    if (sectionFound)
        *sectionFound = true;
    return lines->Value(key).value_or(std::u16string());
}

bool ReadConfigFlag(std::u16string_view path, std::u16string_view key) {
    return readConfigValue(path, kConfigSection, key) == u"1";
}

std::u16string QuoteConfigText(std::u16string_view text) {
    std::u16string quoted = u"\"";
    for (const char16_t c : text) {
        if (c == u'\n') {
            quoted += u"\\n";
            continue;
        }
        if (c == u'\r') {
            quoted += u"\\r";
            continue;
        }
        if (c == u'\\' || c == u'"' || c == u'/')
            quoted += u'\\';
        quoted += c;
    }
    quoted += u'"';
    return quoted;
}

std::optional<std::u16string> UnquoteConfigText(std::u16string_view value) {
    if (value.empty() || value.front() != u'"')
        return std::u16string(value);
    std::u16string text;
    for (std::size_t i = 1; i < value.size(); ++i) {
        const char16_t c = value[i];
        if (c == u'"')
            return text;
        if (c == u'\\' && i + 1 < value.size()) {
            ++i;
            text += value[i] == u'n' ? u'\n' : value[i] == u'r' ? u'\r' : value[i];
            continue;
        }
        text += c;
    }
    return std::nullopt;
}

std::optional<std::u16string> ConfigSection::Value(std::u16string_view key) const {
    const std::u16string keyLower = AsciiLowered(key);
    for (const std::u16string& line : lines) {
        if (const auto value = ValueOfLine(line, keyLower))
            return value;
    }
    return std::nullopt;
}

std::optional<ConfigSection> ParseConfigSection(std::string_view bytes) {
    return ParseSection(bytes, kConfigSection);
}

void LoadConfigOptions(RenameSettings& options, std::u16string_view path, const ConfigLoad& load) {
    const bool exists = PathExists(path);
    TextFileReader file;
    TextFileReader::Options open;
    open.exclusive = load.exclusive;
    std::optional<ConfigSection> section;
    // One read for every row; a file that cannot be opened gives each its default.
    if (file.Open(path, open))
        section = ParseConfigSection(file.Remaining());
    ApplyConfigSection(options, section ? &*section : nullptr, exists, load);
}

void ApplyConfigSection(RenameSettings& options, const ConfigSection* section, bool configExists,
                        const ConfigLoad& load) {
    const RenameSettings defaults;
    for (const options::Option& row : options::kOptions) {
        if (row.needsFile && !configExists)
            continue;
        if (load.wanted && !load.wanted(row))
            continue;
        const std::optional<std::u16string> found =
            section ? section->Value(row.key) : std::optional<std::u16string>();
        if (!found && load.over)
            continue;
        const std::u16string value = found.value_or(std::u16string());
        switch (row.kind) {
            case options::Kind::Flag:
                if (load.over && value != u"1" && value != u"0")
                    break;
                options.*row.flag = value == u"1";
                break;
            case options::Kind::Integer: {
                const std::optional<std::int32_t> number = ParseInt32(value);
                if (number && *number >= row.minimum && *number <= row.maximum)
                    options.*row.integer = *number;
                else if (!load.over)
                    options.*row.integer = defaults.*row.integer;
                break;
            }
            case options::Kind::Text:
                if (const auto text = UnquoteConfigText(value))
                    options.*row.text = *text;
                else if (!load.over)
                    options.*row.text = defaults.*row.text;
                break;
            case options::Kind::Choice: {
                // A word, or a text in braces where the choice takes one (quoted or not).
                // Empty is how a choice whose default is none at all (no method) is
                // written: laid over the options, it is that default again.
                const bool taken = !options::SetChoiceText(
                    row, options, UnquoteConfigText(value).value_or(std::u16string()));
                if (!taken &&
                    (!load.over || (value.empty() && options::ChoiceText(row, defaults).empty())))
                    row.setChoice(options, row.getChoice(defaults));
                break;
            }
        }
    }
}

std::string ConfigSectionText(const RenameSettings& options) {
    std::u16string text = u"[config]\n";
    for (const options::Option& row : options::kOptions) {
        text += row.key;
        text += u" = ";
        switch (row.kind) {
            case options::Kind::Flag:
                text += options.*row.flag ? u"1" : u"0";
                break;
            case options::Kind::Integer:
                text += DecimalText(options.*row.integer);
                break;
            case options::Kind::Text:
                text += QuoteConfigText(options.*row.text);
                break;
            case options::Kind::Choice: {
                const std::u16string choice = options::ChoiceText(row, options);
                // A text in braces may hold anything a text does.
                text += row.text != nullptr && row.getChoice(options) == row.textChoice
                            ? QuoteConfigText(choice)
                            : choice;
                break;
            }
        }
        text += u'\n';
    }
    return EncodeName(text);
}

std::optional<ReplacementTable> readReplacementTable(std::u16string_view path,
                                                     std::u16string_view methodText,
                                                     bool exclusive) {
    std::u16string header = u"[";
    header += AsciiLowered(methodText);
    header += u"]";

    TextFileReader file;
    TextFileReader::Options open;
    open.exclusive = exclusive;
    if (!file.Open(path, open))
        return std::nullopt;

    ReplacementTable table;
    std::u16string line;
    bool inBody = false;
    while (file.ReadLine(line)) {
        if (!inBody) {
            inBody = StartsWith(line, header);
            continue;
        }
        // Sections are separated by a line that is empty or only "|"; another header
        // does not end a body.
        if (line.find_first_not_of(u'|') == std::u16string::npos)
            break;
        std::u16string source = line.substr(0, line.find(u'|'));
        std::u16string replacement = ReplaceAll(line, source + u"|", u"");
        table.emplace_back(std::move(source), std::move(replacement));
    }
    return table;
}

}  // namespace brindle
