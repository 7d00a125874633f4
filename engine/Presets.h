#pragma once

// Presets: named sets of every option, a file NAME.ini each in the presets folder
// (UserFiles::presetFolder), holding a "[config]" section that the configuration file's
// rules write and read (ConfigSectionText, ApplyConfigSection). A preset is laid over the
// options it is applied to: a key it lacks (an older Brindle's) or a value this Brindle
// does not take (a newer one's) keeps what was there. The same rules keep the options a
// dialog remembers between runs, and the name of the preset it starts with.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/RenameSettings.h"

namespace brindle {

// Why nothing can be saved or read: no folder for the user's files was found ($HOME
// unknown).
inline constexpr std::u16string_view kNoSettingsFolder = u"There is no folder for the settings";

// Why `name` cannot name a preset (empty, a '/', a leading '.', a control character, not
// valid text, too long for a file name), or nullopt.
std::optional<std::u16string> PresetNameMistake(std::u16string_view name);

// The file of the preset `name` in `folder`.
std::u16string PresetPath(std::u16string_view folder, std::u16string_view name);

// The names of the presets in `folder`, in natural order: its regular files NAME.ini whose
// NAME is a preset's name. None when the folder is missing or cannot be read.
std::vector<std::u16string> ListPresets(std::u16string_view folder);

// What a preset's file holds, laid over `options`. On any failure `options` is unchanged
// and the result says why: the file cannot be read (the system's words), holds a NUL byte,
// or has no "[config]" section. "Only English" is taken only when `configExists`: without
// a configuration file it has no table.
std::optional<std::u16string> ApplyPresetFile(std::u16string_view path, RenameSettings& options,
                                              bool configExists);

// The preset `name` of `folder` laid over `options`: nullopt, or why not (a name that is
// no preset's, no folder, no such preset, or what ApplyPresetFile says); `options` is then
// unchanged.
std::optional<std::u16string> LoadPreset(std::u16string_view folder, std::u16string_view name,
                                         RenameSettings& options, bool configExists);

// Writes every option as the preset `name` of `folder` (made when missing, readable by its
// owner only), in one step: the old preset stays whole until the new one replaces it.
// Nullopt, or why not.
std::optional<std::u16string> SavePreset(std::u16string_view folder, std::u16string_view name,
                                         const RenameSettings& options);

// Deletes the preset `name` of `folder`. Nullopt, or why not.
std::optional<std::u16string> DeletePreset(std::u16string_view folder, std::u16string_view name);

// The name of the preset the dialog starts with, as `file` keeps it (its first line);
// empty when there is none.
std::u16string ReadStartWith(std::u16string_view file);
// Keeps `name` as the preset to start with; an empty name keeps none (the file removed).
// Nullopt, or why not.
std::optional<std::u16string> WriteStartWith(std::u16string_view file, std::u16string_view name);

// The remembered options of `file` laid over `options`, when they are there and say
// "Remember Settings" is on; true when they were.
bool ApplyRemembered(std::u16string_view file, RenameSettings& options, bool configExists);
// At the dialog's close: with "Remember Settings" on, every option is written to `file`
// (in one step); with it off, any remembered options are forgotten. Nullopt, or why not.
std::optional<std::u16string> KeepRemembered(std::u16string_view file,
                                             const RenameSettings& options);

}  // namespace brindle
