#include "cli/CliApp.h"

#include <errno.h>
#include <signal.h>
#include <string.h>

#include <algorithm>
#include <chrono>
#include <optional>

#include "batch/BatchPlan.h"
#include "batch/BatchPlanner.h"
#include "batch/Messages.h"
#include "batch/RenameLog.h"
#include "batch/RenameSession.h"
#include "batch/RowData.h"
#include "batch/UndoHistory.h"
#include "cli/CliHost.h"
#include "cli/CommandLine.h"
#include "cli/Interruption.h"
#include "cli/OutputWriter.h"
#include "engine/ConfigFile.h"
#include "engine/IntegerText.h"
#include "engine/PatternCreator.h"
#include "engine/Presets.h"
#include "engine/SelectionCheck.h"
#include "platform/Descriptors.h"
#include "platform/FileSystem.h"
#include "platform/NameCodec.h"
#include "platform/UserFiles.h"

namespace brindle::cli {

namespace {

constexpr int kIn = 0;
constexpr int kOut = 1;
constexpr int kErr = 2;

void Complain(std::string_view text) {
    WriteAll(kErr, MessageLine(text));
}
void Complain(std::u16string_view text) {
    WriteAll(kErr, MessageLine(text));
}

// Turns the paths of the request into absolute ones; the working directory is asked
// for only when a path is relative.
class PathResolver {
public:
    // nullopt (with the message shown) when the working directory cannot be found.
    std::optional<std::string> Absolute(const std::string& path) {
        if (path.empty() || path.front() == '/')
            return MakeAbsolute(path, "/");
        if (!cwd_) {
            cwd_ = CurrentFolderBytes();
            if (!cwd_) {
                Complain("cannot find the working directory: " + std::string(strerror(errno)));
                return std::nullopt;
            }
        }
        return MakeAbsolute(path, *cwd_);
    }

private:
    std::optional<std::string> cwd_;
};

// A file named on the command line, made absolute; otherwise the default.
std::optional<std::u16string> FileOption(PathResolver& resolver,
                                         const std::optional<std::string>& given,
                                         const std::u16string& defaultPath) {
    if (!given)
        return defaultPath;
    const auto path = resolver.Absolute(*given);
    if (!path)
        return std::nullopt;
    return DecodeName(*path);
}

// A --folder must be there, as the folder browser only returns folders that are.
bool CheckFolder(const std::string& folder) {
    bool isFolder = false;
    if (const int error = StatFollowingLinks(DecodeName(folder), isFolder); error != 0) {
        Complain(FileErrorText(error, DecodeName(folder)));
        return false;
    }
    if (!isFolder) {
        Complain(folder + " is not a folder.");
        return false;
    }
    return true;
}

void PrintStatus(OutputBuffer& out, const BatchStats& stats) {
    out.text() += EncodeName(FormatStatus(stats));
    out.text() += '\n';
    out.Flush();
}

int OutputResult(OutputBuffer& out, int status) {
    if (out.Flush())
        return status;
    if (out.error() != EPIPE)
        Complain("write error: " + std::string(strerror(out.error())));
    return kExitFailure;
}

// The plan of the batch, item by item, then its summary; nothing is renamed or logged.
int RunPreview(OutputBuffer& out, const PlanRequest& request, OutputFormat format) {
    Plan plan;
    PlanWhole(request, plan);
    if (plan.tableFailed) {
        // A batch would rename nothing: neither does its preview show anything.
        Complain(TableFailureText(plan.configFile));
        return kExitFailure;
    }
    if (plan.optionMistake) {
        // What the settings need and this program cannot give (the readers of what files
        // hold): the batch would rename nothing.
        Complain(*plan.optionMistake);
        return kExitFailure;
    }
    if (format == OutputFormat::Tsv)
        AppendPlanTsvHeader(out.text());
    for (const PlanItem& item : plan.items) {
        AppendPlanRow(out.text(), plan, item, format);
        out.Commit();
    }
    out.text() += EncodeName(SummaryText(plan));
    out.text() += '\n';
    return OutputResult(out, plan.summary.conflicts != 0 ? kExitItemFailed : kExitOk);
}

// How long a batch or Undo waits for the log while another Brindle holds it: enough for
// another short run to end (two runs in two terminals, or xargs -P), short enough that a
// run stuck behind a long batch or an open dialog fails its items soon.
constexpr std::chrono::seconds kLogLockWait{10};

// A dry run renames nothing, so its rows cannot show what the batch would meet: it is
// checked first as --preview checks the batch, with "Only Log" off. The conflicts of the
// check, unless it could not be made (the "Only English" table missing: the batch
// refuses anyway).
std::optional<Plan> CheckDryRun(const BatchSource& source, const RenameSession& session) {
    RenameSettings asBatch = session.settings();
    asBatch.onlyLog = false;
    Plan plan;
    PlanWhole(PlanRequest{source, asBatch, session.NextCounters(), session.configFile()}, plan);
    if (plan.tableFailed || plan.patternError || plan.regexError)
        return std::nullopt;
    return plan;
}

// Lists the conflicts of a dry run's check on standard error, as --preview prints them;
// how many. A folder that could not be read is not among them: the batch's own row and
// reason told it, and counted it.
std::int32_t ReportConflicts(const Plan& plan) {
    std::int32_t count = 0;
    std::string lines;
    for (const PlanItem& item : plan.items) {
        if (!IsConflict(item.state) || item.state == PlanState::Unreadable)
            continue;
        ++count;
        lines += PlanRowMessage(plan, item);
    }
    if (!lines.empty())
        WriteAll(kErr, lines);
    return count;
}

// The batches of the log, newest first: a line each, or --tsv's rows under a header.
int RunHistory(const std::u16string& logPath, OutputFormat format) {
    std::vector<LoggedBatch> batches;
    TrustCheck refusal;
    if (const int error = ReadBatchHistory(logPath, batches, refusal); error != 0) {
        if (!refusal.trusted())
            Complain(LogRefusalText(refusal, logPath));
        else
            Complain(std::u16string(kTextErrorOpeningFile) + u": " + logPath);
        return kExitFailure;
    }
    OutputBuffer out(kOut);
    if (format == OutputFormat::Tsv)
        out.text() += "When\tFirst folder\tRenamed\tUndone\tNever renamed\tKey\n";
    for (auto batch = batches.rbegin(); batch != batches.rend(); ++batch) {
        if (format == OutputFormat::Tsv) {
            out.text() += EncodeName(BatchWhenText(*batch)) + '\t' +
                          EncodeName(batch->firstFolder) + '\t' + std::to_string(batch->renamed) +
                          '\t' + std::to_string(batch->undone) + '\t' +
                          std::to_string(batch->neverRenamed) + '\t' + EncodeName(batch->key);
        } else {
            out.text() += EncodeName(BatchWhenText(*batch) + u"  " + batch->firstFolder + u"  " +
                                     BatchStateText(*batch));
        }
        out.text() += '\n';
        out.Commit();
    }
    if (batches.empty() && format == OutputFormat::Rows)
        out.text() += "The log holds no batch.\n";
    return OutputResult(out, kExitOk);
}

// The options of a batch or of a preset to save: the configuration file's (a batch takes
// from it only the switches brindle-cli reads there, a preset every row), the preset of
// --preset over them, the command line over both. Nullopt once the user is told why not.
std::optional<RenameSettings> OptionsOfRun(const CliRequest& request,
                                           const std::vector<std::string>& args,
                                           const std::u16string& iniPath,
                                           const std::u16string& presetFolder) {
    RenameSettings options;
    if (request.command == Command::SavePreset)
        LoadConfigOptions(options, iniPath, ConfigLoad{.exclusive = false});
    else
        options = SettingsFromConfig(iniPath);
    if (request.preset) {
        if (const auto failure = LoadPreset(presetFolder, DecodeName(*request.preset), options,
                                            PathExists(iniPath))) {
            Complain(*failure);
            return std::nullopt;
        }
    }
    ParseOutcome overBoth = ParseCommandLine(args, options);
    if (!overBoth.request) {
        Complain(overBoth.error);
        return std::nullopt;
    }
    return std::move(overBoth.request->settings);
}

// A batch whose name pattern, regular expression, order or filters have a mistake is not
// planned, and renames nothing; nor is such a preset saved. False once the user is told.
bool TextsHaveNoMistake(const RenameSettings& options) {
    if (const auto mistake = ParseNamePattern(options.namePattern).error) {
        Complain(PatternErrorText(*mistake));
        return false;
    }
    if (const auto mistake = CheckRegularExpression(options)) {
        Complain(RegexErrorText(*mistake, options.replaceWhat, options.replaceWith));
        return false;
    }
    if (const auto mistake = SelectionMistake(options)) {
        Complain(*mistake);
        return false;
    }
    return true;
}

int SaveOptionsAsPreset(const std::string& givenName, const std::u16string& presetFolder,
                        const RenameSettings& options) {
    const std::u16string name = DecodeName(givenName);
    if (const auto failure = SavePreset(presetFolder, name, options)) {
        Complain(*failure);
        return kExitFailure;
    }
    OutputBuffer out(kOut);
    out.text() +=
        EncodeName(u"Saved the preset \"" + name + u"\" as " + PresetPath(presetFolder, name));
    out.text() += '\n';
    return OutputResult(out, kExitOk);
}

// The names of the presets, one per line; nothing when there are none.
int ListPresetNames(const std::u16string& presetFolder) {
    OutputBuffer out(kOut);
    for (const std::u16string& name : ListPresets(presetFolder)) {
        out.text() += EncodeName(name);
        out.text() += '\n';
        out.Commit();
    }
    return OutputResult(out, kExitOk);
}

int RunRequest(CliRequest& request, const std::vector<std::string>& args) {
    PathResolver resolver;
    const UserFiles defaults = LocateUserFiles();
    if (request.command == Command::ListPresets)
        return ListPresetNames(defaults.presetFolder);
    const auto iniPath = FileOption(resolver, request.iniFile, defaults.configFile);
    const auto logPath = FileOption(resolver, request.logFile, defaults.logFile);
    if (!iniPath || !logPath)
        return kExitFailure;

    if (request.command == Command::History)
        return RunHistory(*logPath, request.format);

    const bool batch = request.command == Command::Batch || request.command == Command::Preview;
    if (batch || request.command == Command::SavePreset) {
        // The texts may come from the preset: they are checked once everything is merged,
        // still before anything is planned.
        std::optional<RenameSettings> options =
            OptionsOfRun(request, args, *iniPath, defaults.presetFolder);
        if (!options || !TextsHaveNoMistake(*options))
            return kExitFailure;
        request.settings = std::move(*options);
    }
    if (request.command == Command::SavePreset)
        return SaveOptionsAsPreset(*request.savePreset, defaults.presetFolder, request.settings);

    std::optional<std::string> folder;
    std::vector<std::u16string> paths;
    if (batch) {
        if (request.folder) {
            folder = resolver.Absolute(*request.folder);
            if (!folder)
                return kExitFailure;
            if (!CheckFolder(*folder))
                return kExitFailure;
        }
        for (const auto& path : request.paths) {
            const auto absolute = resolver.Absolute(path);
            if (!absolute)
                return kExitFailure;
            paths.push_back(DecodeName(*absolute));
        }
    }

    OutputBuffer out(kOut);
    Terminal terminal;
    terminal.inputFd = kIn;
    terminal.errorFd = kErr;
    terminal.inputIsTerminal = IsTerminal(kIn);
    const bool outIsTerminal = IsTerminal(kOut);
    // Rows on the terminal are progress enough.
    terminal.showProgress =
        IsTerminal(kErr) && (request.format == OutputFormat::Quiet || !outIsTerminal);
    terminal.flushEveryRow = outIsTerminal;
    CliHost host(out, request.format, request.logAnswer, terminal);

    // From here on a stop signal ends a batch or an Undo at its next item, and then the
    // program, once the log is closed and the statistics are out; before, the signal's
    // default action ends a run that has changed nothing yet. A preview changes nothing
    // and keeps the default.
    if (request.command == Command::Batch || request.command == Command::Undo)
        CatchStopSignals();
    RenameSession session(host);
    const StopOnSignal stopOnSignal(session);
    session.settings() = request.settings;
    session.setConfigFile(*iniPath);
    session.setLogFile(*logPath);
    session.setProgramFolder(ProgramFolder());
    session.setLogLockWait(kLogLockWait,
                           [&host, &logPath] { host.TellWaitingForLog(*logPath, kLogLockWait); });

    // The default log's folder is made when the log is first wanted; a log named on the
    // command line must lie in a folder that is there.
    if (request.command == Command::Batch && request.settings.writeLogFile && !request.logFile) {
        if (const int error = CreateFolderFor(*logPath); error != 0) {
            const std::u16string& log = *logPath;
            Complain(FileErrorText(error, log.substr(0, log.rfind(u'/'))));
        }
    }

    const BatchSource source =
        folder ? BatchSource::Folder(DecodeName(*folder)) : BatchSource::Drop(std::move(paths));
    if (request.command == Command::Preview) {
        return RunPreview(
            out,
            PlanRequest{source, session.settings(), session.NextCounters(), session.configFile()},
            request.format);
    }

    if (request.format == OutputFormat::Tsv) {
        std::string header;
        AppendTsvHeader(header);
        host.setHeader(std::move(header));
    }

    int status = kExitOk;
    if (request.command == Command::Undo) {
        host.setOpenErrorDetail(*logPath);
        const UndoOutcome outcome =
            session.OnUndo(request.undoAll ? UndoScope::All() : UndoScope::Newest());
        host.EndProgress();
        // What was passed over, and whether anything was left at all.
        if (const std::u16string summary = UndoSummaryText(session.lastUndo());
            !summary.empty() &&
            (outcome == UndoOutcome::Completed || outcome == UndoOutcome::Stopped)) {
            out.Flush();
            Complain(summary);
        }
        if (outcome != UndoOutcome::Completed && outcome != UndoOutcome::Stopped)
            status = kExitFailure;
    } else {
        std::optional<Plan> dryRunCheck;
        if (session.settings().onlyLog)
            dryRunCheck = CheckDryRun(source, session);
        const BatchResult result = session.RunBatch(source);
        host.EndProgress();
        // Told why already; nothing was renamed, and there are no figures to give.
        if (result.outcome == BatchOutcome::TableMissing)
            return OutputResult(out, kExitFailure);
        // What the settings need and this program cannot give (the readers of what files
        // hold): nothing was renamed.
        if (result.outcome == BatchOutcome::OptionMistake && result.optionMistake) {
            out.Flush();
            Complain(*result.optionMistake);
            return OutputResult(out, kExitFailure);
        }
        if (result.outcome != BatchOutcome::Completed && result.outcome != BatchOutcome::Stopped)
            status = kExitFailure;
        if (result.logRefused)
            status = kExitFailure;
        if (result.itemsWithoutValue != 0) {
            out.Flush();
            Complain(DecimalText(result.itemsWithoutValue) +
                     (result.itemsWithoutValue == 1 ? u" item had" : u" items had") +
                     u" no value for a token of the name pattern, which inserted nothing");
        }
        if (dryRunCheck) {
            out.Flush();  // the conflicts follow the rows
            session.stats().exceptions += ReportConflicts(*dryRunCheck);
        }
    }
    if (session.stats().exceptions != 0)
        status = std::max(status, kExitItemFailed);
    // The figures of the whole run, also where an operation that stopped early left
    // the window's status line as it was.
    host.WriteHeader();
    PrintStatus(out, session.stats());
    return OutputResult(out, status);
}

}  // namespace

int RunCli(const std::vector<std::string>& args) {
    // A closed pipe must not kill a batch between a rename and its log record.
    ::signal(SIGPIPE, SIG_IGN);

    ParseOutcome parsed = ParseCommandLine(args);
    if (!parsed.request) {
        Complain(parsed.error + " (see 'brindle-cli --help')");
        return kExitFailure;
    }
    CliRequest& request = *parsed.request;
    if (request.command == Command::Help || request.command == Command::Version) {
        OutputBuffer out(kOut);
        if (request.command == Command::Help) {
            out.text() += HelpText();
            out.text() += FilesHelpText(LocateUserFiles());
        } else {
            out.text() += VersionText();
        }
        return OutputResult(out, kExitOk);
    }
    const int status = RunRequest(request, args);
    // Stopped by a signal: the log is closed and the statistics printed; the program ends
    // by that signal, as its caller expects.
    EndByCaughtSignal();
    if (const int signal = CaughtStopSignal(); signal != 0)
        return 128 + signal;
    return status;
}

}  // namespace brindle::cli
