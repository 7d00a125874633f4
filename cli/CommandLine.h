#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/OptionTable.h"
#include "engine/RenameSettings.h"

namespace brindle::cli {

enum class Command { Batch, Preview, Undo, History, SavePreset, ListPresets, Help, Version };
enum class OutputFormat { Rows, Tsv, Quiet };
// What Undo does with the log when it is done.
enum class LogAnswer { Ask, Delete, Keep };

// One run of brindle-cli as the command line asks for it. Paths are kept as the bytes
// they were given in; making them absolute needs the working directory (MakeAbsolute).
struct CliRequest {
    Command command = Command::Batch;
    // Every batch option lands in its field; the file names are set by the caller.
    RenameSettings settings;
    std::optional<std::string> folder;  // --folder
    std::vector<std::string> paths;     // dropped-items batch, in order
    std::optional<std::string> iniFile;
    std::optional<std::string> logFile;
    // --preset: laid over the configuration file's options, under the command line's.
    std::optional<std::string> preset;
    // --save-preset: the name the options are saved under (Command::SavePreset).
    std::optional<std::string> savePreset;
    OutputFormat format = OutputFormat::Rows;
    LogAnswer logAnswer = LogAnswer::Ask;
    // --undo --all: every batch not yet undone, rather than the newest one.
    bool undoAll = false;
};

struct ParseOutcome {
    std::optional<CliRequest> request;
    std::string error;  // the usage error when there is no request
};

// `args` are the arguments after the program's name. The batch's options start from
// `initial` (what the configuration file says), and the command line overrides them.
ParseOutcome ParseCommandLine(const std::vector<std::string>& args,
                              const RenameSettings& initial = {});

// The options a batch of brindle-cli starts from: the defaults, with the flags it can turn
// off again taken from "[config]" of the configuration file at `iniPath`
// (options::CliReadsFromConfig), "Force 63" at its default length.
RenameSettings SettingsFromConfig(std::u16string_view iniPath);

// `path` made absolute against `workingDirectory` (itself absolute), with "." and ".."
// resolved as text, repeated '/' collapsed and a trailing '/' dropped ("/" stays).
// An empty path stays empty: a drop skips it.
std::string MakeAbsolute(std::string_view path, std::string_view workingDirectory);

// The names of every option the parser knows, with the leading "--" ("-" for a short form).
std::vector<std::string_view> KnownOptionNames();
// Every option's flag, argument and help, in the order --help lists them.
std::vector<options::CliFlag> OptionHelp();

}  // namespace brindle::cli
