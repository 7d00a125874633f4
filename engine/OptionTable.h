#pragma once

// Every option of a batch, one row each: the field of RenameOptions that holds it, the
// dialog's control, its "[config]" key, brindle-cli's flag with its --help, and the string
// ids of its context help, where the option has each. The configuration loading, the
// dialog's exchange, brindle-cli's parser and help and the context help are all driven
// from these rows, so adding an option is one row here plus its stage.

#include <string_view>

#include "engine/CaseConversion.h"
#include "engine/ConfigFile.h"
#include "engine/ControlIds.h"
#include "engine/RenameOptions.h"

namespace brindle::options {

// brindle-cli's flag and its entry in --help; an empty name: the dialog's option only.
struct CliFlag {
    std::string_view name;      // with the leading "--"
    std::string_view argument;  // "N", "TEXT"; empty for a switch
    std::string_view help;      // one paragraph, wrapped when printed
};

// The string ids of a control's context help balloon: its title and its text.
struct HelpIds {
    int title = 0;
    int text = 0;
};

// A check box.
struct Flag {
    bool RenameOptions::*field;
    int control;
    std::u16string_view configKey;  // empty: not in "[config]"
    CliFlag cli;
    HelpIds help;
    // Read only from a configuration file that exists; without one the field keeps what it
    // had (the dialog then disables the box).
    bool needsFile = false;
};

// An integer edit with its spin buttons, and the check box that enables it, if any.
struct Integer {
    int RenameOptions::*field;
    int control;
    int spin;
    bool RenameOptions::*enabledBy;  // set as well by brindle-cli's flag; null: none
    int cliMinimum;                  // the least value brindle-cli takes
    CliFlag cli;
    HelpIds help;
};

// A text edit (or the label beside the method list).
struct Text {
    std::u16string RenameOptions::*field;
    int control;
    CliFlag cli;
    HelpIds help;
};

// One radio button of the case conversions; brindle-cli names it as kConversionFlag's value.
struct Conversion {
    int mode;
    int control;
    std::string_view cliName;
    HelpIds help;
};

// The check boxes, in the order of the dialog's exchange.
inline constexpr Flag kFlags[] = {
    // Its flag takes the method: brindle-cli keeps it among its own.
    {&RenameOptions::onlyEnglish, ids::kOnlyEnglish, kKeyOnlyEnglish, {}, {160, 161}, true},
    // Set by --force-length, the flag of its length.
    {&RenameOptions::force63, ids::kForce63, kKeyForce63, {}, {155, 157}},
    {&RenameOptions::withoutExtension,
     ids::kWithoutExtension,
     kKeyWithoutExtension,
     {"--without-extension", "",
      "Leave the extension out of the editing (\"w/o File Extension\")."},
     {158, 159}},
    {&RenameOptions::onlyLog,
     ids::kOnlyLog,
     kKeyOnlyLog,
     {"--dry-run", "", "List the new names and rename nothing (\"Only Log\")."},
     {139, 140}},
    {&RenameOptions::countSymbols,
     ids::kCountSymbols,
     kKeyCountSymbols,
     {"--count-symbols", "", "Count the symbols of each name (column \"#\")."},
     {164, 165}},
    {&RenameOptions::deleteContents, ids::kDeleteContents, kKeyDeleteContents, {}, {141, 142}},
    {&RenameOptions::resetCounters, ids::kResetCounters, kKeyResetCounters, {}, {147, 148}},
    {&RenameOptions::scanSubfolders,
     ids::kScanSubfolders,
     kKeyScanSubfolders,
     {"--subfolders", "", "Scan subfolders (\"Scan Subfolders\")."},
     {133, 134}},
    {&RenameOptions::showLogWindow, ids::kShowLogWindow, kKeyShowLogWindow, {}, {137, 138}},
    {&RenameOptions::skipReadOnly,
     ids::kReadOnly,
     kKeyReadOnly,
     {"--skip-read-only", "",
      "Leave read-only files alone and count them as exceptions (\"Read Only\")."},
     {135, 136}},
    {&RenameOptions::writeLogFile,
     ids::kWriteLogFile,
     kKeyWriteLogFile,
     {"--write-log", "", "Record every item in the log, for Undo (\"Write Log File\")."},
     {143, 144}},
    {&RenameOptions::duplicateExtension,
     ids::kDuplicateExtension,
     kKeyDuplicateExtension,
     {"--duplicate-extension", "",
      "Turn a doubled last extension into one ('song.mp3.mp3' -> 'song.mp3')."},
     {162, 163}},
    {&RenameOptions::renameDirs,
     ids::kRenameDir,
     kKeyRenameDir,
     {"--rename-dirs", "", "Rename the folders given as PATHs (\"Rename Dir\")."},
     {145, 146}},
};

// The integer edits, in the order of the exchange.
inline constexpr Integer kIntegers[] = {
    {&RenameOptions::force63Length,
     ids::kForce63Length,
     ids::kForce63Spin,
     &RenameOptions::force63,
     0,
     {"--force-length", "N", "Cut names longer than N (0 or more), as \"Force 63\" does."},
     {155, 156}},
    {&RenameOptions::startIndex,
     ids::kStartIndex,
     ids::kStartIndexSpin,
     nullptr,
     -2147483647 - 1,
     {"--start-index", "N", "First running number of the pattern (negative numbers too)."},
     {149, 150}},
};

// The texts, in the order of the exchange.
inline constexpr Text kTexts[] = {
    {&RenameOptions::replaceWhat,
     ids::kReplaceWhat,
     {"--replace-what", "TEXT",
      "The text to replace: every occurrence of it is replaced by the text of --replace-with "
      "(not with Only English)."},
     {166, 167}},
    {&RenameOptions::replaceWith,
     ids::kReplaceWith,
     {"--replace-with", "TEXT", "The text that replaces each occurrence of --replace-what."},
     {166, 167}},
    // The caption beside the method list ("replace with" or "select method").
    {&RenameOptions::methodLabel, ids::kMethodLabel, {}, {}},
    {&RenameOptions::namePattern,
     ids::kNamePattern,
     {"--pattern", "TEXT", "Build each name from the name pattern TEXT."},
     {151, 152}},
    {&RenameOptions::fileTypes,
     ids::kFileTypes,
     {"--file-types", "LIST",
      "Move files whose extension occurs in LIST (such as '.exe,.bat') one folder up."},
     {153, 154}},
};

// The radio group, in the order of conversionMode.
inline constexpr Conversion kConversions[] = {
    {kNoConversion, ids::kNoConversion, "none", {180, 181}},
    {kToLowerCase, ids::kToLowerCase, "lower", {176, 177}},
    {kLowerLetter, ids::kLowerLetter, "lower-letter", {170, 171}},
    {kReverse, ids::kReverse, "reverse", {172, 173}},
    {kReverseLetter, ids::kReverseLetter, "reverse-letter", {178, 179}},
    {kToUpperCase, ids::kToUpperCase, "upper", {174, 175}},
    {kUpperLetter, ids::kUpperLetter, "upper-letter", {168, 169}},
};

// brindle-cli's flag for the radio group; its value is one of kConversions' names.
inline constexpr CliFlag kConversionFlag{
    "--case", "MODE",
    "Case conversion: none, lower, lower-letter, reverse, reverse-letter, upper or "
    "upper-letter. Letters of every script change, by Unicode's simple case mapping and the "
    "same on every machine: a name keeps its number of characters ('ß' stays 'ß' in upper "
    "case)."};

}  // namespace brindle::options
