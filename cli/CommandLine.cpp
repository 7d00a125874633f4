#include "cli/CommandLine.h"

#include <functional>
#include <optional>

#include "engine/ConfigFile.h"
#include "engine/IntegerText.h"
#include "engine/OptionTable.h"
#include "engine/PathParts.h"
#include "platform/NameCodec.h"

namespace brindle::cli {

namespace {

std::string Quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

std::string InvalidValue(std::string_view value, std::string_view option,
                         std::string_view expected) {
    return "invalid argument " + Quoted(value) + " for " + Quoted(option) + " (" +
           std::string(expected) + ")";
}

// What the options have said so far, beside the request itself.
struct ParseState {
    CliRequest request;
    bool undo = false;
    bool all = false;
    bool history = false;
    bool deleteLog = false;
    bool keepLog = false;
    bool withExtension = false;
    bool preview = false;
    bool listPresets = false;
    bool done = false;  // --help or --version: nothing after it is read
};

// Applies an option's value; returns the usage error, or nothing.
using Apply = std::function<std::optional<std::string>(ParseState&, const std::string& value)>;

struct CliOption {
    options::CliFlag flag;
    // Allowed beside --undo: Undo reads only the log and how to report.
    bool undoOption;
    Apply apply;
    // The flag that flag.off turns off, if the option has that form.
    bool RenameSettings::*off = nullptr;
};

std::optional<std::string> Ok() {
    return std::nullopt;
}

// Sets `request.*field` to `value`; for the options that carry a path or a folder.
Apply NonEmpty(std::optional<std::string> CliRequest::*field, std::string_view flag,
               std::string_view expected) {
    return [field, flag, expected](ParseState& s, const std::string& value) {
        if (value.empty())
            return std::optional(InvalidValue(value, flag, expected));
        s.request.*field = value;
        return Ok();
    };
}

// The flag of an option row: its value lands in the row's field.
CliOption TableOption(const options::Option& row) {
    CliOption option{
        row.cli, false, [&row](ParseState& s, const std::string& value) {
            RenameSettings& o = s.request.settings;
            switch (row.kind) {
                case options::Kind::Flag:
                    o.*row.flag = true;
                    options::ApplyUserSwitch(o, row.flag);
                    break;
                case options::Kind::Integer: {
                    const auto number = ParseInt32(value);
                    if (!number || *number < row.minimum || *number > row.maximum)
                        return std::optional(InvalidValue(value, row.cli.name,
                                                          "a number from " +
                                                              std::to_string(row.minimum) + " to " +
                                                              std::to_string(row.maximum)));
                    o.*row.integer = *number;
                    break;
                }
                case options::Kind::Text:
                    o.*row.text = DecodeName(value);
                    break;
                case options::Kind::Choice: {
                    if (row.text != nullptr && value.starts_with('{')) {
                        // Tokens in braces: the expression or its mistake.
                        if (auto mistake = options::SetChoiceText(row, o, DecodeName(value)))
                            return std::optional(
                                InvalidValue(value, row.cli.name, EncodeName(*mistake)));
                        break;
                    }
                    // Exactly the words --help lists.
                    const options::ChoiceValue* choice = nullptr;
                    for (const options::ChoiceValue& c : row.choices) {
                        if (c.word == value)
                            choice = &c;
                    }
                    if (!choice)
                        return std::optional(
                            InvalidValue(value, row.cli.name, options::ChoiceWords(row)));
                    row.setChoice(o, choice->value);
                    break;
                }
            }
            if (row.switchesOn) {
                o.*row.switchesOn = true;
                options::ApplyUserSwitch(o, row.switchesOn);
            }
            return Ok();
        }};
    option.off = options::FlagTurnedOff(row);
    return option;
}

// The options of the batch, from the option table, in the order --help lists them: the
// case conversion, the texts, the method, then the switches and the numbers.
void AddTableOptions(std::vector<CliOption>& list) {
    const auto add = [&list](auto which) {
        for (const options::Option& row : options::kOptions) {
            if (!row.cli.name.empty() && row.key != options::kKeyOrder && which(row))
                list.push_back(TableOption(row));
        }
    };
    add([](const options::Option& row) { return row.key == options::kKeyCase; });
    add([](const options::Option& row) { return row.kind == options::Kind::Text; });
    add([](const options::Option& row) { return row.key == options::kKeyMethod; });
    list.push_back({{"--with-extension", "",
                     "Edit the extension too, even with --without-extension or --only-english, "
                     "whatever the order of the options."},
                    false,
                    [](ParseState& s, const std::string&) {
                        s.withExtension = true;
                        return Ok();
                    }});
    add([](const options::Option& row) { return row.kind == options::Kind::Flag; });
    add([](const options::Option& row) { return row.kind == options::Kind::Integer; });
}

// brindle-cli's own options: how it runs and reports.
void AddOwnOptions(std::vector<CliOption>& list) {
    const auto set = [](bool ParseState::*field) {
        return [field](ParseState& s, const std::string&) {
            s.*field = true;
            return Ok();
        };
    };
    const auto format = [](OutputFormat f) {
        return [f](ParseState& s, const std::string&) {
            s.request.format = f;
            return Ok();
        };
    };
    const auto ending = [](Command command) {
        return [command](ParseState& s, const std::string&) {
            s.request.command = command;
            s.done = true;
            return Ok();
        };
    };
    list.push_back(TableOption(*options::FindOption(options::kKeyOrder)));
    list.push_back(
        {{"--preview", "",
          "Show what the batch would do, item by item, and rename and log nothing: each item's "
          "path, its new path and its state: rename, unchanged, or a conflict and its reason "
          "(an earlier item takes the same new name; the new name exists and is no item that "
          "moves away before it; the new name cannot be a name; read-only with "
          "--skip-read-only; not found), then its warnings (the new name hides it; a pattern "
          "without a counter gives items of one folder one name). Where a folder ignores "
          "letter case (FAT, exFAT, NTFS, SMB shares, casefolded ext4 folders), names that "
          "differ only in case are one name.",
          "", "-n"},
         false,
         set(&ParseState::preview)});
    list.push_back({{"--folder", "DIR", "Rename the files of DIR, as \"Choose Folder\" does."},
                    false,
                    NonEmpty(&CliRequest::folder, "--folder", "a folder")});
    list.push_back(
        {{"--ini", "FILE", "The configuration file (default: the one Brindle uses; see FILES)."},
         false,
         NonEmpty(&CliRequest::iniFile, "--ini", "a file name")});
    // A preset's name is checked where it is used, so that it is refused in the words of
    // the dialog's preset menu.
    const auto name = [](std::optional<std::string> CliRequest::*field) {
        return [field](ParseState& s, const std::string& value) {
            s.request.*field = value;
            return Ok();
        };
    };
    list.push_back({{"--preset", "NAME",
                     "Start from the preset NAME (saved by --save-preset or by the Preview's "
                     "preset menu): its options are laid over those of the configuration file, "
                     "and the command line's over both. An option the preset does not hold "
                     "keeps its value."},
                    false,
                    name(&CliRequest::preset)});
    list.push_back({{"--save-preset", "NAME",
                     "Save the options as the preset NAME, replacing one of that name, and "
                     "rename nothing: every option of the configuration file's [config] "
                     "section, the preset of --preset over them, the command line's over "
                     "both. Takes no --folder and no paths."},
                    false,
                    name(&CliRequest::savePreset)});
    list.push_back(
        {{"--list-presets", "", "List the names of the presets, one per line, in natural order."},
         true,
         set(&ParseState::listPresets)});
    list.push_back({{"--log", "FILE", "The log (default: the one Brindle uses; see FILES)."},
                    true,
                    NonEmpty(&CliRequest::logFile, "--log", "a file name")});
    list.push_back(
        {{"--undo", "",
          "Undo the newest batch recorded in the log that has a rename not undone yet. "
          "Renames that never happened or are undone already are passed over, and counted. "
          "With nothing left to undo, it says so, and asks about the log."},
         true,
         set(&ParseState::undo)});
    list.push_back({{"--all", "", "With --undo: undo every batch not undone yet, newest first."},
                    true,
                    set(&ParseState::all)});
    list.push_back({{"--history", "",
                     "List the batches of the log, newest first: when each began, its first "
                     "folder, and how many items it renamed and how many of them are undone, "
                     "or \"nothing renamed\"."},
                    true,
                    set(&ParseState::history)});
    list.push_back({{"--delete-log", "",
                     "After Undo, delete the log without asking. Without --delete-log or "
                     "--keep-log, Undo asks when standard input is a terminal and otherwise "
                     "keeps the log."},
                    true,
                    set(&ParseState::deleteLog)});
    list.push_back({{"--keep-log", "", "After Undo, keep the log without asking."},
                    true,
                    set(&ParseState::keepLog)});
    list.push_back({{"--tsv", "", "Write a header line and tab-separated rows."},
                    true,
                    format(OutputFormat::Tsv)});
    list.push_back(
        {{"--quiet", "", "Write only the status line."}, true, format(OutputFormat::Quiet)});
    list.push_back({{"--help", "", "Show this text and exit."}, true, ending(Command::Help)});
    list.push_back(
        {{"--version", "", "Show the version and exit."}, true, ending(Command::Version)});
}

const std::vector<CliOption>& AllOptions() {
    static const std::vector<CliOption> all = [] {
        std::vector<CliOption> list;
        AddTableOptions(list);
        AddOwnOptions(list);
        return list;
    }();
    return all;
}

// The option `name` is a form of; `off` tells whether it is the form that turns it off.
const CliOption* FindOption(std::string_view name, bool& off) {
    for (const CliOption& option : AllOptions()) {
        off = !option.flag.off.empty() && option.flag.off == name;
        if (option.flag.name == name || off ||
            (!option.flag.shortName.empty() && option.flag.shortName == name))
            return &option;
    }
    return nullptr;
}

}  // namespace

std::string MakeAbsolute(std::string_view path, std::string_view workingDirectory) {
    // The names' bytes survive decoding and encoding whole, so the one rule serves both.
    return EncodeName(AbsolutePath(DecodeName(path), DecodeName(workingDirectory)));
}

RenameSettings SettingsFromConfig(std::u16string_view iniPath) {
    RenameSettings settings;
    LoadConfigOptions(settings, iniPath,
                      ConfigLoad{.wanted = &options::CliReadsFromConfig, .exclusive = false});
    return settings;
}

std::vector<std::string_view> KnownOptionNames() {
    std::vector<std::string_view> names;
    for (const CliOption& option : AllOptions()) {
        names.push_back(option.flag.name);
        for (const std::string_view other : {option.flag.off, option.flag.shortName}) {
            if (!other.empty())
                names.push_back(other);
        }
    }
    return names;
}

std::vector<options::CliFlag> OptionHelp() {
    std::vector<options::CliFlag> flags;
    for (const CliOption& option : AllOptions())
        flags.push_back(option.flag);
    return flags;
}

ParseOutcome ParseCommandLine(const std::vector<std::string>& args, const RenameSettings& initial) {
    ParseState state;
    CliRequest& request = state.request;
    request.settings = initial;
    std::string firstBatchOption;  // for the message when --undo meets one
    auto fail = [](std::string text) { return ParseOutcome{std::nullopt, std::move(text)}; };

    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            request.paths.push_back(arg);  // "-" alone is a path, as GNU tools take it
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        // A short form stands alone: "-n", never "-nx" nor "-n=x".
        const auto equals = arg[1] == '-' ? arg.find('=') : std::string::npos;
        const std::string_view name = std::string_view(arg).substr(0, equals);
        bool off = false;
        const CliOption* option = FindOption(name, off);
        if (!option)
            return fail("unrecognized option " + Quoted(name));

        std::string value;
        if (off) {
            if (equals != std::string::npos)
                return fail("option " + Quoted(name) + " doesn't allow an argument");
            if (firstBatchOption.empty())
                firstBatchOption = name;
            request.settings.*option->off = false;
            options::ApplyUserSwitch(request.settings, option->off);
            continue;
        }
        if (!option->flag.argument.empty()) {
            if (equals != std::string::npos) {
                value = arg.substr(equals + 1);
            } else if (i + 1 < args.size()) {
                value = args[++i];  // taken whatever it looks like, as getopt does
            } else {
                return fail("option " + Quoted(name) + " requires an argument");
            }
        } else if (equals != std::string::npos) {
            return fail("option " + Quoted(name) + " doesn't allow an argument");
        }
        if (!option->undoOption && firstBatchOption.empty())
            firstBatchOption = option->flag.name;
        if (std::optional<std::string> error = option->apply(state, value))
            return fail(std::move(*error));
        if (state.done)
            return ParseOutcome{std::move(request), {}};
    }

    // Whatever the order: --with-extension undoes what --without-extension and
    // --only-english switched on.
    if (state.withExtension)
        request.settings.withoutExtension = false;

    if (state.listPresets) {
        if (state.undo || state.history || state.deleteLog || state.keepLog || state.all)
            return fail("'--list-presets' goes with no other command");
        if (!firstBatchOption.empty())
            return fail("'--list-presets' cannot be combined with " + Quoted(firstBatchOption));
        if (!request.paths.empty())
            return fail("'--list-presets' takes no paths");
        request.command = Command::ListPresets;
        return ParseOutcome{std::move(request), {}};
    }
    if (state.deleteLog && state.keepLog)
        return fail("'--delete-log' and '--keep-log' exclude each other");
    if (state.history) {
        if (state.undo || state.deleteLog || state.keepLog || state.all)
            return fail("'--history' goes with no other command");
        if (!firstBatchOption.empty())
            return fail("'--history' cannot be combined with " + Quoted(firstBatchOption));
        if (!request.paths.empty())
            return fail("'--history' takes no paths");
        request.command = Command::History;
        return ParseOutcome{std::move(request), {}};
    }
    if (state.all && !state.undo)
        return fail("'--all' goes only with '--undo'");
    if (state.undo) {
        if (!firstBatchOption.empty())
            return fail("'--undo' cannot be combined with " + Quoted(firstBatchOption));
        if (!request.paths.empty())
            return fail("'--undo' takes no paths");
        request.command = Command::Undo;
        request.undoAll = state.all;
        request.logAnswer = state.deleteLog ? LogAnswer::Delete
                                            : (state.keepLog ? LogAnswer::Keep : LogAnswer::Ask);
        return ParseOutcome{std::move(request), {}};
    }
    if (state.deleteLog || state.keepLog)
        return fail(Quoted(state.deleteLog ? "--delete-log" : "--keep-log") +
                    " goes only with '--undo'");
    if (request.savePreset) {
        // Saving is all it does: a batch or a preview asked for beside it would not run.
        if (state.preview)
            return fail("'--save-preset' cannot be combined with '--preview'");
        if (request.folder || !request.paths.empty())
            return fail("'--save-preset' takes no '--folder' and no paths");
        request.command = Command::SavePreset;
        return ParseOutcome{std::move(request), {}};
    }
    if (request.folder && !request.paths.empty())
        return fail("'--folder' cannot be combined with paths");
    if (!request.folder && request.paths.empty())
        return fail("no '--folder' and no path given");
    if (state.preview)
        request.command = Command::Preview;
    return ParseOutcome{std::move(request), {}};
}

}  // namespace brindle::cli
