#include "batch/BatchPlan.h"

#include <algorithm>
#include <charconv>

#include "batch/Messages.h"
#include "platform/FileSystem.h"

namespace brindle {

bool IsConflict(PlanState state) {
    switch (state) {
        case PlanState::TwoAimAtOneName:
        case PlanState::TargetExists:
        case PlanState::NotAName:
        case PlanState::ReadOnly:
        case PlanState::Missing:
        case PlanState::FolderMovedAway:
        case PlanState::Unreadable:
        case PlanState::LosesContents:
        case PlanState::RegexTooLong:
            return true;
        default:
            return false;
    }
}

std::u16string_view StateText(PlanState state) {
    switch (state) {
        case PlanState::Pending:
            return u"...";
        case PlanState::Rename:
            return u"rename";
        case PlanState::Unchanged:
            return u"unchanged";
        case PlanState::OnlyLog:
            return u"Only Log: not renamed";
        case PlanState::TwoAimAtOneName:
            return u"conflict: an earlier item takes the same new name";
        case PlanState::TargetExists:
            return u"conflict: the new name exists";
        case PlanState::NotAName:
            return u"conflict: the new name cannot be a name";
        case PlanState::ReadOnly:
            return u"conflict: read-only, and \"Read Only\" is on";
        case PlanState::Missing:
            return u"conflict: not found";
        case PlanState::FolderMovedAway:
            return u"conflict: a folder above it is renamed first";
        case PlanState::Unreadable:
            return u"conflict: cannot read folder";
        case PlanState::LosesContents:
            return u"conflict: renaming a folder on fusefat loses its contents";
        case PlanState::RegexTooLong:
            return u"conflict: the regular expression took too long";
    }
    return {};
}

std::u16string_view ConflictReason(PlanState state) {
    constexpr std::u16string_view kPrefix = u"conflict: ";
    const std::u16string_view text = StateText(state);
    if (!IsConflict(state) || !text.starts_with(kPrefix))
        return {};
    return text.substr(kPrefix.size());
}

std::u16string_view WarningText(PlanWarning warning) {
    switch (warning) {
        case PlanWarning::Hidden:
            return u"warning: the new name is hidden, nothing left of it but the extension";
        case PlanWarning::NoCounter:
            return u"warning: items of one folder get this name: the name pattern has no "
                   u"counter (/0../9, /C)";
        case PlanWarning::NoValue:
            return u"warning: no value";
    }
    return {};
}

std::uint32_t PlanSummary::count(PlanWarning warning) const {
    for (std::size_t i = 0; i < std::size(kPlanWarnings); ++i) {
        if (kPlanWarnings[i] == warning)
            return warningCounts[i];
    }
    return 0;
}

namespace {

// The groups without a value as a person reads them: a photo's missing date taken in those
// words, every other group by its text ("no value for {tag.artist}, {created}"). Each group
// is its token names in braces, once, ", " between.
std::u16string NoValueText(std::u16string_view groups) {
    bool noDateTaken = false;
    std::u16string others;
    while (!groups.empty()) {
        const std::size_t end = std::min(groups.find(u", "), groups.size());
        const std::u16string_view group = groups.substr(0, end);
        groups.remove_prefix(std::min(groups.size(), end + 2));
        if (group == u"{taken}") {
            noDateTaken = true;
        } else {
            if (!others.empty())
                others += u", ";
            others += group;
        }
    }
    std::u16string text = noDateTaken ? u"no date taken" : u"";
    if (!others.empty())
        text += (noDateTaken ? u"; no value for " : u"no value for ") + others;
    return text;
}

}  // namespace

std::u16string WarningsTextOf(const PlanItem& item) {
    std::u16string text;
    for (const PlanWarning warning : kPlanWarnings) {
        if (!item.warned(warning))
            continue;
        text += u"; ";
        if (warning == PlanWarning::NoValue && !item.noValue.empty())
            text += u"warning: " + NoValueText(item.noValue);
        else
            text += WarningText(warning);
    }
    return text;
}

std::u16string StateTextOf(const Plan& plan, const PlanItem& item) {
    std::u16string text(StateText(item.state));
    if (item.state == PlanState::Unreadable) {
        text += u": ";
        text += SystemErrorText(plan.folders[item.folder].listError);
    }
    return text;
}

namespace {

// "/a/b/" gives "/a/b" and "/a/"; the root stays "/" and has no parent.
std::u16string_view WithoutFinalSlash(std::u16string_view folder) {
    if (folder.size() > 1 && folder.back() == u'/')
        folder.remove_suffix(1);
    return folder;
}

std::u16string_view ParentOf(std::u16string_view folder) {
    const std::u16string_view path = WithoutFinalSlash(folder);
    const auto slash = path.rfind(u'/');
    if (path.size() <= 1 || slash == std::u16string_view::npos)
        return {};
    return path.substr(0, slash + 1);
}

}  // namespace

std::u16string InputText(const Plan& plan, const PlanItem& item) {
    if (item.unreadableFolder())
        return std::u16string(WithoutFinalSlash(plan.folderOf(item)));
    if (item.droppedFolder())
        return plan.folderOf(item) + item.oldName;
    return item.oldName;
}

std::u16string TableFailureText(std::u16string_view configFile) {
    return std::u16string(kTextErrorOpeningFile) + u": " + std::u16string(configFile);
}

RowData RowOf(const Plan& plan, const PlanItem& item) {
    RowData row;
    if (item.unreadableFolder()) {
        row.mark = RowMark::Error;
        row.input = WithoutFinalSlash(plan.folderOf(item));
        row.output = kTextRenameFailed;
        row.countShown = false;
        row.folder = ParentOf(plan.folderOf(item));
        return row;
    }
    if (item.droppedFolder())
        row.inputFolder = plan.folderOf(item);
    row.input = item.oldName;
    row.output = item.newName;
    row.count = item.symbolCount;
    row.folder = plan.newFolderOf(item);
    return row;
}

void Summarize(Plan& plan) {
    PlanSummary summary;
    for (const PlanItem& item : plan.items) {
        ++summary.counts[static_cast<std::size_t>(item.state)];
        if (IsConflict(item.state))
            ++summary.conflicts;
        // A folder that could not be read is a conflict, but no item.
        if (!item.unreadableFolder())
            ++summary.items;
        if (item.warnings != 0) {
            ++summary.warnings;
            for (std::size_t i = 0; i < std::size(kPlanWarnings); ++i) {
                if (item.warned(kPlanWarnings[i]))
                    ++summary.warningCounts[i];
            }
        }
    }
    summary.skipped = static_cast<std::uint32_t>(plan.skipped.size());
    plan.summary = summary;
}

namespace {

void Append(std::u16string& out, std::u16string_view label, std::uint32_t value) {
    out += label;
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    for (const char* c = digits; c != end; ++c)
        out.push_back(static_cast<char16_t>(*c));
}

// " (label: N, label: N)" of the kinds the summary counts any of.
template <class Kind, std::size_t N>
void AppendKinds(std::u16string& out, const PlanSummary& s,
                 const std::pair<Kind, std::u16string_view> (&kinds)[N]) {
    out += u" (";
    bool first = true;
    for (const auto& [kind, label] : kinds) {
        if (s.count(kind) == 0)
            continue;
        if (!first)
            out += u", ";
        first = false;
        Append(out, label, s.count(kind));
    }
    out += u")";
}

}  // namespace

std::u16string SummaryText(const Plan& plan) {
    if (plan.patternError)
        return PatternErrorText(*plan.patternError);
    if (plan.regexError)
        return RegexErrorText(*plan.regexError, plan.regexExpression, plan.regexReplacement);
    if (plan.optionMistake)
        return *plan.optionMistake;
    const PlanSummary& s = plan.summary;
    std::u16string text;
    Append(text, u"Items: ", s.items);
    if (!plan.complete) {
        text += u" so far (planning...)";
    } else {
        Append(text, u" | To rename: ", s.count(PlanState::Rename));
        Append(text, u" | Unchanged: ", s.count(PlanState::Unchanged));
        if (s.count(PlanState::OnlyLog) != 0)
            Append(text, u" | Only Log: ", s.count(PlanState::OnlyLog));
        Append(text, u" | Conflicts: ", s.conflicts);
        if (s.conflicts != 0) {
            const std::pair<PlanState, std::u16string_view> kinds[] = {
                {PlanState::TwoAimAtOneName, u"same new name: "},
                {PlanState::TargetExists, u"new name exists: "},
                {PlanState::NotAName, u"not a name: "},
                {PlanState::ReadOnly, u"read-only: "},
                {PlanState::Missing, u"not found: "},
                {PlanState::FolderMovedAway, u"folder renamed above: "},
                {PlanState::Unreadable, u"folder not read: "},
                {PlanState::LosesContents, u"folder rename loses contents: "},
                {PlanState::RegexTooLong, u"regular expression too long: "},
            };
            AppendKinds(text, s, kinds);
        }
        if (s.warnings != 0) {
            Append(text, u" | Warnings: ", s.warnings);
            const std::pair<PlanWarning, std::u16string_view> kinds[] = {
                {PlanWarning::Hidden, u"hidden: "},
                {PlanWarning::NoCounter, u"one name, no counter: "},
                {PlanWarning::NoValue, u"no value: "},
            };
            AppendKinds(text, s, kinds);
        }
    }
    if (s.skipped != 0)
        Append(text, u" | Skipped: ", s.skipped);
    if (plan.tableFailed) {
        text += u" | ";
        text += TableFailureText(plan.configFile);
        text += u" (\"Only English\" is off)";
    }
    return text;
}

}  // namespace brindle
