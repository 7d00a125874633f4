#include "engine/Presets.h"

#include <errno.h>

#include <algorithm>

#include "engine/ConfigFile.h"
#include "engine/NaturalOrder.h"
#include "engine/OptionTable.h"
#include "platform/FileSystem.h"
#include "platform/NameCodec.h"
#include "platform/OpenFolder.h"
#include "platform/TextFile.h"
#include "platform/UserFiles.h"

namespace brindle {

namespace {

constexpr std::u16string_view kPresetExtension = u".ini";
// A file name holds at most 255 bytes; the extension takes 4 of them.
constexpr std::size_t kLongestName = 255 - 4;

std::u16string Quoted(std::u16string_view text) {
    return u"\"" + std::u16string(text) + u"\"";
}

// "The preset "NAME" (PATH) " and what befell it.
std::u16string AboutPreset(std::u16string_view name, std::u16string_view path,
                           std::u16string_view what) {
    return u"The preset " + Quoted(name) + u" (" + std::u16string(path) + u") " +
           std::u16string(what);
}

std::optional<std::u16string> WriteWhole(std::u16string_view path, std::string_view bytes) {
    int error = CreateFolderFor(path);
    if (error == 0)
        error = ReplaceFileContents(path, bytes);
    if (error == 0)
        return std::nullopt;
    return SystemErrorText(error);
}

}  // namespace

std::optional<std::u16string> PresetNameMistake(std::u16string_view name) {
    if (name.empty())
        return u"A preset needs a name";
    if (name.find(u'/') != std::u16string_view::npos)
        return u"A preset's name cannot hold '/': " + Quoted(name);
    if (name.front() == u'.')
        return u"A preset's name cannot begin with '.': " + Quoted(name);
    if (std::any_of(name.begin(), name.end(), [](char16_t c) { return c < 0x20 || c == 0x7F; }))
        return u"A preset's name cannot hold a control character";
    if (!IsValidName16(name))
        return u"A preset's name must be valid text";
    if (EncodeName(name).size() > kLongestName)
        return u"A preset's name is too long for a file name: " + Quoted(name);
    return std::nullopt;
}

std::u16string PresetPath(std::u16string_view folder, std::u16string_view name) {
    std::u16string path(folder);
    if (path.empty() || path.back() != u'/')
        path += u'/';
    path += name;
    path += kPresetExtension;
    return path;
}

std::vector<std::u16string> ListPresets(std::u16string_view folder) {
    std::vector<std::u16string> names;
    if (folder.empty())
        return names;
    const OpenFolder open = OpenFolder::AtPath(folder);
    if (!open.isOpen())
        return names;
    for (const FolderEntry& entry : open.List()) {
        const std::u16string_view file = entry.name;
        if (entry.isFolder || file.size() <= kPresetExtension.size() ||
            !file.ends_with(kPresetExtension))
            continue;
        const std::u16string_view name = file.substr(0, file.size() - kPresetExtension.size());
        if (!PresetNameMistake(name))
            names.emplace_back(name);
    }
    std::sort(names.begin(), names.end(), [](const std::u16string& a, const std::u16string& b) {
        return CompareNatural(a, b) < 0;
    });
    return names;
}

std::optional<std::u16string> ApplyPresetFile(std::u16string_view path, RenameSettings& options,
                                              bool configExists) {
    int error = 0;
    const std::optional<std::string> bytes = ReadFileBytes(path, &error);
    if (!bytes)
        return u"cannot be read: " + SystemErrorText(error);
    // No text file of ours holds one: a file cut short or overwritten by something else.
    if (bytes->find('\0') != std::string::npos)
        return u"is damaged: it holds a NUL byte";
    const std::optional<ConfigSection> section = ParseConfigSection(*bytes);
    if (!section)
        return u"is damaged: it has no [config] section";
    ApplyConfigSection(options, &*section, configExists, ConfigLoad{.over = true});
    return std::nullopt;
}

namespace {

// Why the preset `name` of `folder` cannot be used at all: its name, then the folder.
std::optional<std::u16string> PresetUseMistake(std::u16string_view folder,
                                               std::u16string_view name) {
    if (auto mistake = PresetNameMistake(name))
        return mistake;
    if (folder.empty())
        return std::u16string(kNoSettingsFolder);
    return std::nullopt;
}

}  // namespace

std::optional<std::u16string> LoadPreset(std::u16string_view folder, std::u16string_view name,
                                         RenameSettings& options, bool configExists) {
    if (auto mistake = PresetUseMistake(folder, name))
        return mistake;
    const std::u16string path = PresetPath(folder, name);
    bool isFolder = false;
    if (const int error = StatFollowingLinks(path, isFolder); error == ENOENT)
        return u"There is no preset " + Quoted(name) + u" in " + std::u16string(folder);
    if (auto failure = ApplyPresetFile(path, options, configExists))
        return AboutPreset(name, path, *failure);
    return std::nullopt;
}

std::optional<std::u16string> SavePreset(std::u16string_view folder, std::u16string_view name,
                                         const RenameSettings& options) {
    if (auto mistake = PresetUseMistake(folder, name))
        return mistake;
    const std::u16string path = PresetPath(folder, name);
    if (auto failure = WriteWhole(path, ConfigSectionText(options)))
        return AboutPreset(name, path, u"cannot be saved: " + *failure);
    return std::nullopt;
}

std::optional<std::u16string> DeletePreset(std::u16string_view folder, std::u16string_view name) {
    if (auto mistake = PresetUseMistake(folder, name))
        return mistake;
    const std::u16string path = PresetPath(folder, name);
    const int error = RemoveFile(path);
    if (error == ENOENT)
        return u"There is no preset " + Quoted(name) + u" in " + std::u16string(folder);
    if (error != 0)
        return AboutPreset(name, path, u"cannot be deleted: " + SystemErrorText(error));
    return std::nullopt;
}

std::u16string ReadStartWith(std::u16string_view file) {
    const std::optional<std::string> bytes = file.empty() ? std::nullopt : ReadFileBytes(file);
    if (!bytes)
        return {};
    const std::u16string name =
        DecodeTextLine(std::string_view(*bytes).substr(0, bytes->find('\n')));
    return PresetNameMistake(name) ? std::u16string() : name;
}

std::optional<std::u16string> WriteStartWith(std::u16string_view file, std::u16string_view name) {
    if (file.empty())
        return std::u16string(kNoSettingsFolder);
    if (name.empty()) {
        const int error = RemoveFile(file);
        if (error == 0 || error == ENOENT)
            return std::nullopt;
        return std::u16string(file) + u": " + SystemErrorText(error);
    }
    if (auto mistake = PresetNameMistake(name))
        return mistake;
    if (auto failure = WriteWhole(file, EncodeName(name) + "\n"))
        return std::u16string(file) + u": " + *failure;
    return std::nullopt;
}

bool ApplyRemembered(std::u16string_view file, RenameSettings& options, bool configExists) {
    const std::optional<std::string> bytes = file.empty() ? std::nullopt : ReadFileBytes(file);
    if (!bytes || bytes->find('\0') != std::string::npos)
        return false;
    const std::optional<ConfigSection> section = ParseConfigSection(*bytes);
    if (!section || section->Value(options::kKeyRememberSettings) != u"1")
        return false;
    ApplyConfigSection(options, &*section, configExists, ConfigLoad{.over = true});
    return true;
}

std::optional<std::u16string> KeepRemembered(std::u16string_view file,
                                             const RenameSettings& options) {
    if (file.empty())
        return std::nullopt;
    if (!options.rememberSettings) {
        const int error = RemoveFile(file);
        if (error == 0 || error == ENOENT)
            return std::nullopt;
        return std::u16string(file) + u": " + SystemErrorText(error);
    }
    if (auto failure = WriteWhole(file, ConfigSectionText(options)))
        return std::u16string(file) + u": " + *failure;
    return std::nullopt;
}

}  // namespace brindle
