#pragma once

#include <string>

namespace brindle {

// The order in which items are renamed, and so numbered: natural name order (as file
// managers show them), the names' bytes, as the filesystem lists them, or by a key each
// item gives (its times, the date a photo was taken, its size, its extension, or what a
// token expression gives for it), natural name order among equal keys.
enum class NameOrder {
    Natural,
    Bytes,
    None,
    Modified,
    Created,
    Taken,
    Size,
    Extension,
    Expression
};

// What a user sets, and what a preset saves: every option of the dialog and of
// brindle-cli, nothing else. The dialog binds each field to a control and exchanges
// them ("save": controls -> fields, "load": fields -> controls); other hosts (the
// command-line tool, tests) fill the fields directly. What a batch changes as it runs
// (the counters) and where the files lie are the session's.
struct RenameSettings {
    bool onlyEnglish = false;
    bool force63 = false;
    bool withoutExtension = false;
    bool onlyLog = false;
    bool countSymbols = false;
    bool deleteContents = false;
    bool resetCounters = false;
    bool scanSubfolders = false;
    bool showLogWindow = false;
    bool skipReadOnly = false;
    bool writeLogFile = false;
    bool duplicateExtension = false;
    bool renameDirs = false;
    // "Replace what" is a regular expression and "with" its replacement.
    bool regularExpression = false;
    // Not controls of the main dialog: the Preview's Options panel shows them.
    NameOrder order = NameOrder::Natural;
    // With NameOrder::Expression: the tokens in braces whose value orders the items,
    // "{exif.model}{taken}".
    std::u16string orderExpression;
    // The order turned round; items without a value for the key still come last.
    bool reverseOrder = false;
    // The order and the numbering run across the whole batch rather than folder by folder.
    bool acrossFolders = false;
    // Which items are renamed, by name: patterns separated by ';' (NameFilter.h).
    std::u16string include;
    std::u16string exclude;
    // The walk renames the folders it meets and no files.
    bool foldersOnly = false;
    // The dialog's "Choose Folder" and drops open the Preview over what they name, and
    // only its "Rename" renames. Names nothing itself; brindle-cli has its own -n.
    bool previewFirst = false;
    // The dialog keeps its options at its close and opens with them next time.
    bool rememberSettings = false;

    // 0 No Conversion, 1 To Lower Case, 2 Lower Letter, 3 Reverse,
    // 4 Reverse Letter, 5 To Upper Case, 6 Upper Letter; -1 when no button is checked.
    int conversionMode = 0;
    // The length "Force 63" cuts names to.
    int force63Length = 64;
    // Also the running number of the name pattern.
    int startIndex = 0;

    std::u16string replaceWhat;
    std::u16string replaceWith;
    std::u16string namePattern;
    std::u16string fileTypes;
    // Current text of the method list: "English", "Symbols", "Custom", or "" while
    // nothing is selected.
    std::u16string filterMethod;

    bool operator==(const RenameSettings&) const = default;
};

}  // namespace brindle
