#pragma once

#include <string>

namespace brindle {

// The order in which a folder's entries are processed: natural name order (as file
// managers show them), the names' bytes, or as the filesystem lists them.
enum class NameOrder { Natural, Bytes, None };

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
    // Not a control of the dialog, which always uses natural order.
    NameOrder order = NameOrder::Natural;
    // The dialog's "Choose Folder" and drops open the Preview over what they name, and
    // only its "Rename" renames. Names nothing itself; brindle-cli has its own -n.
    bool previewFirst = false;

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
