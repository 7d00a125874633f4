#include "platform/StateFile.h"

#include <errno.h>

#include "platform/FileSystem.h"
#include "platform/NameCodec.h"
#include "platform/TextFile.h"
#include "platform/UserFiles.h"

namespace brindle {

namespace {

constexpr std::string_view kLastFolderKey = "Last Folder=";

std::string Escaped(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        switch (c) {
            case '\\':
                text += "\\\\";
                break;
            case '\n':
                text += "\\n";
                break;
            case '\r':
                text += "\\r";
                break;
            default:
                text += c;
        }
    }
    return text;
}

// nullopt for an escape that Escaped never writes, or a NUL, which no path holds.
std::optional<std::string> Unescaped(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\0')
            return std::nullopt;
        if (c != '\\') {
            bytes += c;
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i]) {
            case '\\':
                bytes += '\\';
                break;
            case 'n':
                bytes += '\n';
                break;
            case 'r':
                bytes += '\r';
                break;
            default:
                return std::nullopt;
        }
    }
    return bytes;
}

bool IsFolderFollowingLinks(std::u16string_view path) {
    bool isFolder = false;
    return !path.empty() && StatFollowingLinks(path, isFolder) == 0 && isFolder;
}

}  // namespace

std::optional<std::u16string> ReadLastFolder(std::u16string_view stateFile) {
    if (stateFile.empty())
        return std::nullopt;
    TextFileReader reader;
    if (!reader.Open(stateFile, {.exclusive = false, .ctrlZEndsFile = false}))
        return std::nullopt;
    std::string line;
    while (reader.ReadLineBytes(line)) {
        if (!line.starts_with(kLastFolderKey))
            continue;
        const std::optional<std::string> bytes =
            Unescaped(std::string_view(line).substr(kLastFolderKey.size()));
        if (!bytes || !bytes->starts_with('/'))
            return std::nullopt;
        return DecodeName(*bytes);
    }
    return std::nullopt;
}

int WriteLastFolder(std::u16string_view stateFile, std::u16string_view folder) {
    if (stateFile.empty())
        return ENOENT;
    if (const int error = CreateFolderFor(stateFile); error != 0)
        return error;
    std::string contents(kLastFolderKey);
    contents += Escaped(EncodeName(folder));
    contents += '\n';
    return ReplaceFileContents(stateFile, contents);
}

std::u16string BrowserStartFolder(const std::optional<std::u16string>& last,
                                  std::u16string_view home) {
    if (last && IsFolderFollowingLinks(*last))
        return *last;
    if (IsFolderFollowingLinks(home))
        return std::u16string(home);
    return u"/";
}

}  // namespace brindle
