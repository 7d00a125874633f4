#include "cli/CommandLine.h"

#include <array>
#include <limits>

#include "engine/CaseConversion.h"
#include "platform/NameCodec.h"

namespace brindle::cli {

namespace {

enum class Opt {
    Case,
    ReplaceWhat,
    ReplaceWith,
    OnlyEnglish,
    WithExtension,
    DuplicateExtension,
    WithoutExtension,
    CountSymbols,
    ForceLength,
    Pattern,
    StartIndex,
    FileTypes,
    Subfolders,
    RenameDirs,
    SkipReadOnly,
    Order,
    DryRun,
    Preview,
    WriteLog,
    Ini,
    Folder,
    Log,
    Tsv,
    Quiet,
    Undo,
    DeleteLog,
    KeepLog,
    Help,
    Version,
};

struct OptionInfo {
    std::string_view name;
    Opt id;
    bool takesValue;
    // Allowed beside --undo: Undo reads only the log and how to report.
    bool undoOption;
};

constexpr std::array kOptions{
    OptionInfo{"--case", Opt::Case, true, false},
    OptionInfo{"--replace-what", Opt::ReplaceWhat, true, false},
    OptionInfo{"--replace-with", Opt::ReplaceWith, true, false},
    OptionInfo{"--only-english", Opt::OnlyEnglish, true, false},
    OptionInfo{"--with-extension", Opt::WithExtension, false, false},
    OptionInfo{"--duplicate-extension", Opt::DuplicateExtension, false, false},
    OptionInfo{"--without-extension", Opt::WithoutExtension, false, false},
    OptionInfo{"--count-symbols", Opt::CountSymbols, false, false},
    OptionInfo{"--force-length", Opt::ForceLength, true, false},
    OptionInfo{"--pattern", Opt::Pattern, true, false},
    OptionInfo{"--start-index", Opt::StartIndex, true, false},
    OptionInfo{"--file-types", Opt::FileTypes, true, false},
    OptionInfo{"--subfolders", Opt::Subfolders, false, false},
    OptionInfo{"--rename-dirs", Opt::RenameDirs, false, false},
    OptionInfo{"--skip-read-only", Opt::SkipReadOnly, false, false},
    OptionInfo{"--order", Opt::Order, true, false},
    OptionInfo{"--dry-run", Opt::DryRun, false, false},
    OptionInfo{"--preview", Opt::Preview, false, false},
    OptionInfo{"--write-log", Opt::WriteLog, false, false},
    OptionInfo{"--ini", Opt::Ini, true, false},
    OptionInfo{"--folder", Opt::Folder, true, false},
    OptionInfo{"--log", Opt::Log, true, true},
    OptionInfo{"--tsv", Opt::Tsv, false, true},
    OptionInfo{"--quiet", Opt::Quiet, false, true},
    OptionInfo{"--undo", Opt::Undo, false, true},
    OptionInfo{"--delete-log", Opt::DeleteLog, false, true},
    OptionInfo{"--keep-log", Opt::KeepLog, false, true},
    OptionInfo{"--help", Opt::Help, false, true},
    OptionInfo{"--version", Opt::Version, false, true},
};

struct NamedValue {
    std::string_view name;
    int mode;
    std::u16string_view method;
};

// In the order of the dialog's radio buttons, so the index is the mode.
constexpr std::array kCaseNames{
    NamedValue{"none", kNoConversion, u""},
    NamedValue{"lower", kToLowerCase, u""},
    NamedValue{"lower-letter", kLowerLetter, u""},
    NamedValue{"reverse", kReverse, u""},
    NamedValue{"reverse-letter", kReverseLetter, u""},
    NamedValue{"upper", kToUpperCase, u""},
    NamedValue{"upper-letter", kUpperLetter, u""},
};

constexpr std::array kOrderNames{
    NamedValue{"natural", static_cast<int>(NameOrder::Natural), u""},
    NamedValue{"bytes", static_cast<int>(NameOrder::Bytes), u""},
    NamedValue{"none", static_cast<int>(NameOrder::None), u""},
};

// The texts of the dialog's method list.
constexpr std::array kMethodNames{
    NamedValue{"english", 0, u"English"},
    NamedValue{"symbols", 0, u"Symbols"},
    NamedValue{"custom", 0, u"Custom"},
};

template <std::size_t N>
const NamedValue* FindNamed(const std::array<NamedValue, N>& table, std::string_view text) {
    for (const auto& entry : table) {
        if (entry.name == text)
            return &entry;
    }
    return nullptr;
}

template <std::size_t N>
std::string ChoiceList(const std::array<NamedValue, N>& table) {
    std::string list;
    for (const auto& entry : table) {
        if (!list.empty())
            list += ", ";
        list += entry.name;
    }
    return list;
}

const OptionInfo* FindOption(std::string_view name) {
    for (const auto& option : kOptions) {
        if (option.name == name)
            return &option;
    }
    return nullptr;
}

std::string Quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

std::string InvalidValue(std::string_view value, std::string_view option,
                         std::string_view expected) {
    return "invalid argument " + Quoted(value) + " for " + Quoted(option) + " (" +
           std::string(expected) + ")";
}

}  // namespace

std::optional<std::int32_t> ParseInt32(std::string_view text) {
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    if (pos == text.size())
        return std::nullopt;
    // One past INT32_MAX is the magnitude of INT32_MIN.
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c < '0' || c > '9')
            return std::nullopt;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > kLimit)
            return std::nullopt;
    }
    if (!negative && magnitude == kLimit)
        return std::nullopt;
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::string MakeAbsolute(std::string_view path, std::string_view workingDirectory) {
    if (path.empty())
        return {};
    std::string joined;
    if (path.front() != '/') {
        joined.assign(workingDirectory);
        joined += '/';
    }
    joined += path;

    std::vector<std::string_view> parts;
    std::string_view rest = joined;
    while (!rest.empty()) {
        const auto slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash + 1);
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    if (parts.empty())
        return "/";
    std::string result;
    for (const auto part : parts) {
        result += '/';
        result += part;
    }
    return result;
}

std::vector<std::string_view> KnownOptionNames() {
    std::vector<std::string_view> names;
    for (const auto& option : kOptions)
        names.push_back(option.name);
    return names;
}

ParseOutcome ParseCommandLine(const std::vector<std::string>& args) {
    CliRequest request;
    RenameOptions& options = request.options;
    bool undo = false;
    bool deleteLog = false;
    bool keepLog = false;
    bool withExtension = false;
    bool preview = false;
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
        if (arg[1] != '-')
            return fail("unrecognized option " + Quoted(arg));

        const auto equals = arg.find('=');
        const std::string_view name = std::string_view(arg).substr(0, equals);
        const OptionInfo* option = FindOption(name);
        if (!option)
            return fail("unrecognized option " + Quoted(name));

        std::string value;
        if (option->takesValue) {
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
            firstBatchOption = option->name;

        switch (option->id) {
            case Opt::Case: {
                const NamedValue* mode = FindNamed(kCaseNames, value);
                if (!mode)
                    return fail(InvalidValue(value, name, ChoiceList(kCaseNames)));
                options.conversionMode = mode->mode;
                break;
            }
            case Opt::ReplaceWhat:
                options.replaceWhat = DecodeName(value);
                break;
            case Opt::ReplaceWith:
                options.replaceWith = DecodeName(value);
                break;
            case Opt::OnlyEnglish: {
                const NamedValue* method = FindNamed(kMethodNames, value);
                if (!method)
                    return fail(InvalidValue(value, name, ChoiceList(kMethodNames)));
                // As ticking the box in the dialog does.
                options.onlyEnglish = true;
                options.withoutExtension = true;
                options.methodLabel = u"select method";
                options.filterMethod = std::u16string(method->method);
                break;
            }
            case Opt::WithExtension:
                withExtension = true;
                break;
            case Opt::DuplicateExtension:
                options.duplicateExtension = true;
                break;
            case Opt::WithoutExtension:
                options.withoutExtension = true;
                break;
            case Opt::CountSymbols:
                options.countSymbols = true;
                break;
            case Opt::ForceLength: {
                const auto length = ParseInt32(value);
                if (!length || *length < 0)
                    return fail(InvalidValue(value, name, "a number from 0 to 2147483647"));
                options.force63 = true;
                options.force63Length = *length;
                break;
            }
            case Opt::Pattern:
                options.namePattern = DecodeName(value);
                break;
            case Opt::StartIndex: {
                const auto index = ParseInt32(value);
                if (!index)
                    return fail(
                        InvalidValue(value, name, "a number from -2147483648 to 2147483647"));
                options.startIndex = *index;
                break;
            }
            case Opt::FileTypes:
                options.fileTypes = DecodeName(value);
                break;
            case Opt::Subfolders:
                options.scanSubfolders = true;
                break;
            case Opt::RenameDirs:
                options.renameDirs = true;
                break;
            case Opt::SkipReadOnly:
                options.skipReadOnly = true;
                break;
            case Opt::Order: {
                const NamedValue* order = FindNamed(kOrderNames, value);
                if (!order)
                    return fail(InvalidValue(value, name, ChoiceList(kOrderNames)));
                options.order = static_cast<NameOrder>(order->mode);
                break;
            }
            case Opt::DryRun:
                options.onlyLog = true;
                break;
            case Opt::Preview:
                preview = true;
                break;
            case Opt::WriteLog:
                options.writeLogFile = true;
                break;
            case Opt::Ini:
                if (value.empty())
                    return fail(InvalidValue(value, name, "a file name"));
                request.iniFile = value;
                break;
            case Opt::Folder:
                if (value.empty())
                    return fail(InvalidValue(value, name, "a folder"));
                request.folder = value;
                break;
            case Opt::Log:
                if (value.empty())
                    return fail(InvalidValue(value, name, "a file name"));
                request.logFile = value;
                break;
            case Opt::Tsv:
                request.format = OutputFormat::Tsv;
                break;
            case Opt::Quiet:
                request.format = OutputFormat::Quiet;
                break;
            case Opt::Undo:
                undo = true;
                break;
            case Opt::DeleteLog:
                deleteLog = true;
                break;
            case Opt::KeepLog:
                keepLog = true;
                break;
            case Opt::Help:
                request.command = Command::Help;
                return ParseOutcome{std::move(request), {}};
            case Opt::Version:
                request.command = Command::Version;
                return ParseOutcome{std::move(request), {}};
        }
    }

    // Whatever the order: --with-extension undoes what --without-extension and
    // --only-english switched on.
    if (withExtension)
        options.withoutExtension = false;

    if (deleteLog && keepLog)
        return fail("'--delete-log' and '--keep-log' exclude each other");
    if (undo) {
        if (!firstBatchOption.empty())
            return fail("'--undo' cannot be combined with " + Quoted(firstBatchOption));
        if (!request.paths.empty())
            return fail("'--undo' takes no paths");
        request.command = Command::Undo;
        request.logAnswer =
            deleteLog ? LogAnswer::Delete : (keepLog ? LogAnswer::Keep : LogAnswer::Ask);
        return ParseOutcome{std::move(request), {}};
    }
    if (deleteLog || keepLog)
        return fail(Quoted(deleteLog ? "--delete-log" : "--keep-log") + " goes only with '--undo'");
    if (request.folder && !request.paths.empty())
        return fail("'--folder' cannot be combined with paths");
    if (!request.folder && request.paths.empty())
        return fail("no '--folder' and no path given");
    if (preview)
        request.command = Command::Preview;
    return ParseOutcome{std::move(request), {}};
}

}  // namespace brindle::cli
