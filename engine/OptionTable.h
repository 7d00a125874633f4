#pragma once

// Every option a user sets, one row each: its stable key (also its "[config]" key), its
// kind, where its value lives in RenameSettings, brindle-cli's flag with its --help, and the
// string ids of its context help. Its default is the value RenameSettings starts with.
// Reading "[config]", brindle-cli's parser and help, and the context help are driven from
// these rows; which control of the dialog shows an option, and where, is the dialog's own
// binding. Adding an option that needs no new stage is one row here plus its control.

#include <climits>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "engine/CaseConversion.h"
#include "engine/ItemOrder.h"
#include "engine/RenameSettings.h"

namespace brindle::options {

// brindle-cli's flag and its entry in --help; an empty name: no flag.
struct CliFlag {
    std::string_view name;      // with the leading "--"
    std::string_view argument;  // "N", "TEXT"; empty for a switch
    std::string_view help;      // one paragraph, wrapped when printed
    // The form that turns the option's flag off again ("--no-write-log"); empty: none.
    // brindle-cli starts each flag that has one from its "[config]" key, and the command
    // line overrides the file.
    std::string_view off = {};
    // A one-letter form ("-n"); empty: none.
    std::string_view shortName = {};
};

// The string ids of a control's context help balloon: its title and its text.
struct HelpIds {
    int title = 0;
    int text = 0;
};

enum class Kind {
    Flag,     // on or off; "[config]": exactly "1" is on
    Integer,  // decimal, within [minimum, maximum]; "[config]": else the default
    Text,     // "[config]": as written, or double-quoted with \\, \" and \/
    Choice,   // one of its values, named by their words (letter case ignored)
};

// One value of a choice: its word (brindle-cli's and "[config]"'s), the number it stands
// for, the text a list shows for it (where it has one), the help of the control that shows
// just this value (a radio button), if any, and how a summary of the options says it is
// chosen ("ordered by ...").
struct ChoiceValue {
    std::string_view word;
    int value = 0;
    std::u16string_view text;
    HelpIds help{};
    std::u16string_view phrase = {};
};

struct Option {
    std::u16string_view key;
    Kind kind = Kind::Flag;
    // Where a control of its own is labelled: the Options panel's rows.
    std::u16string_view caption = {};
    // Where the value lives, by kind.
    bool RenameSettings::*flag = nullptr;
    int RenameSettings::*integer = nullptr;
    std::u16string RenameSettings::*text = nullptr;
    int (*getChoice)(const RenameSettings&) = nullptr;
    void (*setChoice)(RenameSettings&, int) = nullptr;
    std::span<const ChoiceValue> choices{};
    int minimum = INT_MIN;
    int maximum = INT_MAX;
    // Giving this option a value on brindle-cli's command line also switches this flag on
    // (--force-length N: "Force 63"), as the user would tick it in the dialog.
    bool RenameSettings::*switchesOn = nullptr;
    CliFlag cli{};
    HelpIds help{};
    // Read from "[config]" only when the configuration file exists; without one the field
    // keeps what it had (the dialog then disables its box).
    bool needsFile = false;
    // A choice that also takes a text beginning with '{' (an order by a token expression):
    // the text lands in `text` and the choice is then `textChoice`; `checkText` says why a
    // text cannot be taken.
    int textChoice = -1;
    std::optional<std::u16string> (*checkText)(std::u16string_view text) = nullptr;
};

// "[config]" keys of the options that had one from the start; their names and reading stay.
inline constexpr std::u16string_view kKeyOnlyEnglish = u"Only English";
inline constexpr std::u16string_view kKeyShowLogWindow = u"Show Log Window";
inline constexpr std::u16string_view kKeyForce63 = u"Force 63";
inline constexpr std::u16string_view kKeyWithoutExtension = u"w/o File Extension";
inline constexpr std::u16string_view kKeyOnlyLog = u"Only Log";
inline constexpr std::u16string_view kKeyCountSymbols = u"Count # of symbols";
inline constexpr std::u16string_view kKeyDeleteContents = u"Delete Contents";
inline constexpr std::u16string_view kKeyResetCounters = u"Reset Counters";
inline constexpr std::u16string_view kKeyScanSubfolders = u"Scan Subfolders";
inline constexpr std::u16string_view kKeyReadOnly = u"Read Only";
inline constexpr std::u16string_view kKeyWriteLogFile = u"Write Log File";
inline constexpr std::u16string_view kKeyDuplicateExtension = u"Dublicate Extension";
inline constexpr std::u16string_view kKeyRenameDir = u"Rename Dir";
// The keys of the options that had none.
inline constexpr std::u16string_view kKeyCase = u"Case";
inline constexpr std::u16string_view kKeyForceLength = u"Force Length";
inline constexpr std::u16string_view kKeyStartingIndex = u"Starting Index";
inline constexpr std::u16string_view kKeyReplaceWhat = u"Replace What";
inline constexpr std::u16string_view kKeyReplaceWith = u"Replace With";
inline constexpr std::u16string_view kKeyNamePattern = u"Name Pattern";
inline constexpr std::u16string_view kKeyFileTypes = u"File Types";
inline constexpr std::u16string_view kKeyMethod = u"Method";
inline constexpr std::u16string_view kKeyOrder = u"Order";
inline constexpr std::u16string_view kKeyPreviewFirst = u"Preview First";
inline constexpr std::u16string_view kKeyRegularExpression = u"Regular Expression";
inline constexpr std::u16string_view kKeyReverseOrder = u"Reverse Order";
inline constexpr std::u16string_view kKeyAcrossFolders = u"Across Folders";
inline constexpr std::u16string_view kKeyInclude = u"Include";
inline constexpr std::u16string_view kKeyExclude = u"Exclude";
inline constexpr std::u16string_view kKeyFoldersOnly = u"Folders Only";
inline constexpr std::u16string_view kKeyRememberSettings = u"Remember Settings";

// The case conversions, in the order of conversionMode.
inline constexpr ChoiceValue kConversions[] = {
    {"none", kNoConversion, {}, {180, 181}},
    {"lower", kToLowerCase, {}, {176, 177}},
    {"lower-letter", kLowerLetter, {}, {170, 171}},
    {"reverse", kReverse, {}, {172, 173}},
    {"reverse-letter", kReverseLetter, {}, {178, 179}},
    {"upper", kToUpperCase, {}, {174, 175}},
    {"upper-letter", kUpperLetter, {}, {168, 169}},
};

// The methods of "Only English": the sections of the configuration file's tables. The value
// is the position in the dialog's list; no method chosen is -1.
inline constexpr ChoiceValue kMethods[] = {
    {"english", 0, u"English", {}},
    {"symbols", 1, u"Symbols", {}},
    {"custom", 2, u"Custom", {}},
};

// The orders; NameOrder::Expression is written as the expression itself, in braces.
inline constexpr ChoiceValue kOrders[] = {
    {"natural",
     static_cast<int>(NameOrder::Natural),
     u"Natural ('2' before '10')",
     {},
     u"in natural order"},
    {"bytes",
     static_cast<int>(NameOrder::Bytes),
     u"By the names' bytes",
     {},
     u"ordered by the names' bytes"},
    {"none",
     static_cast<int>(NameOrder::None),
     u"As the folder lists them",
     {},
     u"in the order the folder lists them"},
    {"modified",
     static_cast<int>(NameOrder::Modified),
     u"By date modified",
     {},
     u"ordered by date modified"},
    {"created",
     static_cast<int>(NameOrder::Created),
     u"By date created",
     {},
     u"ordered by date created"},
    {"taken", static_cast<int>(NameOrder::Taken), u"By date taken", {}, u"ordered by date taken"},
    {"size", static_cast<int>(NameOrder::Size), u"By size", {}, u"ordered by size"},
    {"extension",
     static_cast<int>(NameOrder::Extension),
     u"By extension",
     {},
     u"ordered by extension"},
};

int MethodOf(const RenameSettings& o);
void SetMethod(RenameSettings& o, int method);

// Every option, in the order of the dialog's exchange: the check boxes, the case
// conversion, the integers, the texts, then the options without a control in the dialog.
inline constexpr Option kOptions[] = {
    {.key = kKeyOnlyEnglish,
     .kind = Kind::Flag,
     .flag = &RenameSettings::onlyEnglish,
     .help = {160, 161},
     .needsFile = true},
    {.key = kKeyForce63, .kind = Kind::Flag, .flag = &RenameSettings::force63, .help = {155, 157}},
    {.key = kKeyWithoutExtension,
     .kind = Kind::Flag,
     .flag = &RenameSettings::withoutExtension,
     .cli = {"--without-extension", "",
             "Leave the extension out of the editing (\"w/o File Extension\").",
             "--no-without-extension"},
     .help = {158, 159}},
    {.key = kKeyOnlyLog,
     .kind = Kind::Flag,
     .flag = &RenameSettings::onlyLog,
     .cli = {"--dry-run", "",
             "List the new names and rename nothing (\"Only Log\"), the records still written "
             "to the log with --write-log. The batch is first checked as --preview checks it: "
             "each conflict is listed on standard error, counts as an exception, and makes "
             "the exit status 1.",
             "--no-dry-run"},
     .help = {139, 140}},
    {.key = kKeyCountSymbols,
     .kind = Kind::Flag,
     .flag = &RenameSettings::countSymbols,
     .cli = {"--count-symbols", "", "Count the symbols of each name (column \"#\").",
             "--no-count-symbols"},
     .help = {164, 165}},
    {.key = kKeyDeleteContents,
     .kind = Kind::Flag,
     .flag = &RenameSettings::deleteContents,
     .help = {141, 142}},
    {.key = kKeyResetCounters,
     .kind = Kind::Flag,
     .flag = &RenameSettings::resetCounters,
     .help = {147, 148}},
    {.key = kKeyScanSubfolders,
     .kind = Kind::Flag,
     .flag = &RenameSettings::scanSubfolders,
     .cli = {"--subfolders", "", "Scan subfolders (\"Scan Subfolders\").", "--no-subfolders"},
     .help = {133, 134}},
    {.key = kKeyShowLogWindow,
     .kind = Kind::Flag,
     .flag = &RenameSettings::showLogWindow,
     .help = {137, 138}},
    {.key = kKeyReadOnly,
     .kind = Kind::Flag,
     .flag = &RenameSettings::skipReadOnly,
     .cli = {"--skip-read-only", "",
             "Leave read-only files alone and count them as exceptions (\"Read Only\").",
             "--no-skip-read-only"},
     .help = {135, 136}},
    {.key = kKeyWriteLogFile,
     .kind = Kind::Flag,
     .flag = &RenameSettings::writeLogFile,
     .cli = {"--write-log", "", "Record every item in the log, for Undo (\"Write Log File\").",
             "--no-write-log"},
     .help = {143, 144}},
    {.key = kKeyDuplicateExtension,
     .kind = Kind::Flag,
     .flag = &RenameSettings::duplicateExtension,
     .cli = {"--duplicate-extension", "",
             "Turn a doubled last extension into one ('song.mp3.mp3' -> 'song.mp3').",
             "--no-duplicate-extension"},
     .help = {162, 163}},
    {.key = kKeyRenameDir,
     .kind = Kind::Flag,
     .flag = &RenameSettings::renameDirs,
     .cli = {"--rename-dirs", "", "Rename the folders given as PATHs (\"Rename Dir\").",
             "--no-rename-dirs"},
     .help = {145, 146}},
    {.key = kKeyRegularExpression,
     .kind = Kind::Flag,
     .caption = u"Regular Expression",
     .flag = &RenameSettings::regularExpression,
     .cli = {"--regex", "",
             "--replace-what is a regular expression (Perl's syntax) and --replace-with its "
             "replacement: $1 or ${1} a group, ${name} a named one, $0 or $& the whole match, "
             "\\U \\L \\E \\u \\l letter case (\"Regular Expression\").",
             "--no-regex"},
     .help = {184, 185}},
    {.key = kKeyCase,
     .kind = Kind::Choice,
     .getChoice = [](const RenameSettings& o) { return o.conversionMode; },
     .setChoice = [](RenameSettings& o, int mode) { o.conversionMode = mode; },
     .choices = kConversions,
     .cli = {"--case", "MODE",
             "Case conversion: none, lower, lower-letter, reverse, reverse-letter, upper or "
             "upper-letter. Letters of every script change, by Unicode's simple case mapping "
             "and the same on every machine: a name keeps its number of characters ('ß' stays "
             "'ß' in upper case)."}},
    {.key = kKeyForceLength,
     .kind = Kind::Integer,
     .integer = &RenameSettings::force63Length,
     .minimum = 0,
     .switchesOn = &RenameSettings::force63,
     .cli = {"--force-length", "N",
             "Cut names longer than N (0 or more), as \"Force 63\" does. \"Force 63\" in the "
             "configuration file cuts them at 64; --no-force-length cuts nothing.",
             "--no-force-length"},
     .help = {155, 156}},
    {.key = kKeyStartingIndex,
     .kind = Kind::Integer,
     .integer = &RenameSettings::startIndex,
     .cli = {"--start-index", "N", "First running number of the pattern (negative numbers too)."},
     .help = {149, 150}},
    {.key = kKeyReplaceWhat,
     .kind = Kind::Text,
     .text = &RenameSettings::replaceWhat,
     .cli = {"--replace-what", "TEXT",
             "The text to replace: every occurrence of it is replaced by the text of "
             "--replace-with (not with Only English)."},
     .help = {166, 167}},
    {.key = kKeyReplaceWith,
     .kind = Kind::Text,
     .text = &RenameSettings::replaceWith,
     .cli = {"--replace-with", "TEXT", "The text that replaces each occurrence of --replace-what."},
     .help = {166, 167}},
    {.key = kKeyNamePattern,
     .kind = Kind::Text,
     .text = &RenameSettings::namePattern,
     .cli =
         {"--pattern", "TEXT",
          "Build each name from the name pattern TEXT: /O the old name without its "
          "extension, /0../9 a running number of that width, /C a running letter, /D the "
          "folder's name, \\A \\T \\C \\Y \\N an MP3 file's artist, title, album, year and "
          "track; {modified} the item's modification time, {created} its birth time (where "
          "the filesystem records one), {now} the batch's start, in the local time zone "
          "(TZ), each with a date format after ':' ({modified:%Y%m%d}: %Y %y %m %d %e %H %M "
          "%S %j %a %A %b %B %p %% with English names, %f the sub-seconds, %z the offset "
          "+HHMM; without one, %Y-%m-%d %H.%M.%S); {taken} a photo's date taken, as the "
          "camera wrote it, with a date format too; {exif.make} {exif.model} {exif.lens} "
          "{exif.iso} {exif.fnumber} {exif.exposure} {exif.focal} {exif.width} "
          "{exif.height} its camera data, {exif:KEY} any Exif, IPTC or XMP key; "
          "{tag.artist} {tag.albumartist} {tag.album} {tag.title} {tag.track} {tag.disc} "
          "{tag.year} {tag.genre} {tag.composer} audio tags ({tag.track:2} pads to 2 "
          "digits); {n} the item's place in the order, from 1 ({n:3,start=10,step=5,per-folder}: "
          "3 digits, from 10 by 5, again in each folder); {taken|modified} the first with a value. "
          "A token without one inserts "
          "nothing: --preview warns of the item, a "
          "batch renames it and says how many lacked one. '/' in a value becomes '-'."},
     .help = {151, 152}},
    {.key = kKeyFileTypes,
     .kind = Kind::Text,
     .text = &RenameSettings::fileTypes,
     .cli = {"--file-types", "LIST",
             "Move files whose extension occurs in LIST (such as '.exe,.bat') one folder up."},
     .help = {153, 154}},
    {.key = kKeyMethod,
     .kind = Kind::Choice,
     .getChoice = &MethodOf,
     .setChoice = &SetMethod,
     .choices = kMethods,
     .switchesOn = &RenameSettings::onlyEnglish,
     .cli = {"--only-english", "METHOD",
             "Apply the replacement table english, symbols or custom of the configuration file; "
             "like ticking the box in the dialog, this also sets --without-extension."},
     .help = {160, 161}},
    {.key = kKeyOrder,
     .kind = Kind::Choice,
     .caption = u"Order:",
     .text = &RenameSettings::orderExpression,
     .getChoice = [](const RenameSettings& o) { return static_cast<int>(o.order); },
     .setChoice = [](RenameSettings& o, int order) { o.order = static_cast<NameOrder>(order); },
     .choices = kOrders,
     .cli = {"--order", "ORDER",
             "The order in which items are renamed, and so numbered: natural (the default: as "
             "file managers show them, letter case aside and numbers by value, '2' before "
             "'10'), bytes (by the names' bytes, as 'LC_ALL=C ls' does), none (as the "
             "filesystem lists them), modified, created, taken (a photo's date taken), size, "
             "extension, or tokens of the pattern in braces whose value orders them in natural "
             "order ('{tag.track:3}', '{exif.model}{taken}'). Equal keys go in natural order; "
             "items without a value for the key come last. Each folder is ordered on its own "
             "unless --across-folders; PATHs keep their given order in natural order and are "
             "ordered by any other key."},
     .textChoice = static_cast<int>(NameOrder::Expression),
     .checkText = &OrderExpressionMistake},
    {.key = kKeyReverseOrder,
     .kind = Kind::Flag,
     .caption = u"Reverse Order",
     .flag = &RenameSettings::reverseOrder,
     .cli = {"--reverse-order", "",
             "Turn the order round (\"Reverse Order\"); items without a value for the key "
             "still come last.",
             "--no-reverse-order"}},
    {.key = kKeyAcrossFolders,
     .kind = Kind::Flag,
     .caption = u"Across Folders",
     .flag = &RenameSettings::acrossFolders,
     .cli = {"--across-folders", "",
             "Order and number the whole batch as one, across the folders of a tree and the "
             "PATHs' folders, rather than each folder on its own (\"Across Folders\"). The "
             "whole batch is planned before anything is renamed.",
             "--no-across-folders"}},
    {.key = kKeyInclude,
     .kind = Kind::Text,
     .caption = u"Include:",
     .text = &RenameSettings::include,
     .cli = {"--include", "PATTERNS",
             "Rename only the items whose name matches one of PATTERNS, separated by ';' "
             "('*.jpg;*.jpeg'): shell globs ('*', '?', '[a-z]', '\\' for the next character "
             "itself) matched against the whole name, letter case ignored, '*' matching a "
             "leading '.' too; or a regular expression written 're:...', found anywhere in "
             "the name. Items left out are not renamed, numbered or logged, and keep their "
             "names: a new name that is one of theirs is a conflict."}},
    {.key = kKeyExclude,
     .kind = Kind::Text,
     .caption = u"Exclude:",
     .text = &RenameSettings::exclude,
     .cli = {"--exclude", "PATTERNS",
             "Leave out the items whose name matches one of PATTERNS, written as for "
             "--include."}},
    {.key = kKeyFoldersOnly,
     .kind = Kind::Flag,
     .caption = u"Folders Only",
     .flag = &RenameSettings::foldersOnly,
     .cli = {"--folders-only", "",
             "Rename the folders --folder holds and no files (\"Folders Only\"); with "
             "--subfolders every folder of the tree, deepest first. Files given as PATHs are "
             "passed over.",
             "--no-folders-only"}},
    // The dialog's alone: brindle-cli previews with its own -n and reads no such key.
    {.key = kKeyPreviewFirst,
     .kind = Kind::Flag,
     .caption = u"Preview First",
     .flag = &RenameSettings::previewFirst},
    // The dialog's alone too: brindle-cli never reads what the dialog remembers.
    {.key = kKeyRememberSettings,
     .kind = Kind::Flag,
     .caption = u"Remember Settings",
     .flag = &RenameSettings::rememberSettings},
};

// The row of `key` (its letter case as written here), or null.
const Option* FindOption(std::u16string_view key);
// The value of choice `option` whose word is `word`, letter case aside; null when none.
const ChoiceValue* FindChoice(const Option& option, std::string_view word);
// The words of a choice's values, for messages: "none, lower, ...".
std::string ChoiceWords(const Option& option);

// What a choice holds, as "[config]" and brindle-cli write it: its value's word, or the
// text of a choice that takes one.
std::u16string ChoiceText(const Option& option, const RenameSettings& o);
// Sets a choice from what "[config]" or brindle-cli wrote: a value's word (letter case
// aside) or, for a choice that takes one, a text beginning with '{'. Nullopt when taken;
// else why not (for a word: empty, the caller lists the words). A word clears the text.
std::optional<std::u16string> SetChoiceText(const Option& option, RenameSettings& o,
                                            std::u16string_view text);

// How a summary of the options says that `option` holds what it holds now, or empty when
// it holds its default: "ordered by the names' bytes".
std::u16string DescribeSetting(const Option& option, const RenameSettings& o);

// What switching an option on or off implies for others, said once for every host: the
// dialog calls it when the user clicks the box, brindle-cli for its flag. Never applied to
// what a configuration file or a preset holds. "Only English" brings "w/o File Extension"
// along with it.
void ApplyUserSwitch(RenameSettings& o, bool RenameSettings::*flag);

// The flag brindle-cli's "--no-" form of `row` turns off: the row's own flag, or the one
// its value switches on ("--no-force-length": "Force 63"); null when it has no such form.
bool RenameSettings::*FlagTurnedOff(const Option& row);
// Whether brindle-cli takes `row`'s value from "[config]" too: exactly the flags it can
// turn off again on its command line. Not "Only English", which needs a method that the
// file does not give, nor what only the dialog's windows use ("Show Log Window", "Delete
// Contents", "Reset Counters", "Preview First").
bool CliReadsFromConfig(const Option& row);

}  // namespace brindle::options
