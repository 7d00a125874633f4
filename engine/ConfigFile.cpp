#include "engine/ConfigFile.h"

#include <algorithm>
#include <cstdint>

#include "engine/IntegerText.h"
#include "engine/OptionTable.h"
#include "engine/TextOps.h"
#include "platform/FileSystem.h"

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
    const std::u16string sectionLower = AsciiLowered(section);
    const std::u16string keyLower = AsciiLowered(key);
    if (sectionFound)
        *sectionFound = false;

    TextFileReader file;
    TextFileReader::Options open;
    open.exclusive = exclusive;
    if (!file.Open(path, open))
        return {};

    std::u16string line;
    bool headerFound = false;
    while (readConfigLine(file, line)) {
        if (StartsWith(AsciiLowered(line), sectionLower)) {
            headerFound = true;
            break;
        }
    }
    if (!headerFound)
        return {};
    if (sectionFound)
        *sectionFound = true;

    while (readConfigLine(file, line)) {
        const std::u16string lower = AsciiLowered(line);
        if (StartsWith(lower, u"["))
            return {};
        if (!StartsWith(lower, keyLower))
            continue;
        if (lower.size() != keyLower.size() && !IsConfigSpace(lower[keyLower.size()]))
            continue;
        const auto equals = line.find(u'=');
        if (equals == std::u16string::npos)
            return {};
        std::u16string_view value = std::u16string_view(line).substr(equals + 1);
        while (!value.empty() && IsConfigSpace(value.front()))
            value.remove_prefix(1);
        return std::u16string(value);
    }
    return {};
}

bool ReadConfigFlag(std::u16string_view path, std::u16string_view key) {
    return readConfigValue(path, kConfigSection, key) == u"1";
}

std::u16string QuoteConfigText(std::u16string_view text) {
    std::u16string quoted = u"\"";
    for (const char16_t c : text) {
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
        if (c == u'\\' && i + 1 < value.size())
            ++i;
        text += value[i];
    }
    return std::nullopt;
}

void LoadConfigOptions(RenameSettings& options, std::u16string_view path, const ConfigLoad& load) {
    const bool exists = PathExists(path);
    const RenameSettings defaults;
    for (const options::Option& row : options::kOptions) {
        if (row.needsFile && !exists)
            continue;
        if (load.wanted && !load.wanted(row))
            continue;
        const std::u16string value =
            readConfigValue(path, kConfigSection, row.key, nullptr, load.exclusive);
        switch (row.kind) {
            case options::Kind::Flag:
                options.*row.flag = value == u"1";
                break;
            case options::Kind::Integer: {
                const std::optional<std::int32_t> number = ParseInt32(value);
                options.*row.integer = number && *number >= row.minimum && *number <= row.maximum
                                           ? *number
                                           : defaults.*row.integer;
                break;
            }
            case options::Kind::Text:
                options.*row.text = UnquoteConfigText(value).value_or(defaults.*row.text);
                break;
            case options::Kind::Choice:
                // A word, or a text in braces where the choice takes one (quoted or not).
                if (options::SetChoiceText(row, options,
                                           UnquoteConfigText(value).value_or(std::u16string())))
                    row.setChoice(options, row.getChoice(defaults));
                break;
        }
    }
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
