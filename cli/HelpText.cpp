#include "cli/CliApp.h"

#include "cli/CommandLine.h"

#include "platform/FileSystem.h"
#include "platform/NameCodec.h"

#ifndef BRINDLE_VERSION
#define BRINDLE_VERSION "unknown"
#endif

namespace brindle::cli {

std::string FilesHelpText(const UserFiles& files) {
    const auto line = [](const char* what, const std::u16string& path) {
        return std::string("        ") + what + EncodeName(path) +
               (PathExists(path) ? "\n" : "  (not there yet)\n");
    };
    std::string text = "    This brindle-cli uses, without --ini and --log:\n" +
                       line("configuration  ", files.configFile) +
                       line("log            ", files.logFile);
    // Without a home folder there is none; --preset and --save-preset then say so.
    if (!files.presetFolder.empty())
        text += line("presets        ", files.presetFolder);
    return text;
}

std::string VersionText() {
    return "brindle-cli (Brindle) " BRINDLE_VERSION "\n";
}

namespace {

constexpr std::string_view kHelpBeforeOptions = R"help(NAME
    brindle-cli - rename files in batches, with the renaming engine of Brindle

SYNOPSIS
    brindle-cli [OPTION]... --folder DIR
    brindle-cli [OPTION]... PATH...
    brindle-cli --preview|-n [OPTION]... (--folder DIR | PATH...)
    brindle-cli --undo [--all] [--delete-log | --keep-log] [--log FILE] [--tsv | --quiet]
    brindle-cli --history [--log FILE] [--tsv]
    brindle-cli --save-preset NAME [--preset NAME] [OPTION]...
    brindle-cli --list-presets

DESCRIPTION
    The first form renames the files of DIR, as "Choose Folder" in Brindle's main
    dialog does; the second renames the PATHs, in order, as if they were dropped on the
    dialog: files are renamed, folders are scanned with --subfolders and renamed
    themselves, after everything else, with --rename-dirs. The third form shows what
    either would do, item by item, and renames nothing (see --preview). The fourth
    undoes the newest batch recorded in the log (with --all, every batch), newest
    rename first; once no batch is left to undo, it deletes the log or keeps it. The
    fifth lists the batches of the log. The sixth saves the options as a preset,
    which --preset NAME brings back in any batch, and Brindle's Preview in its preset
    menu; the last lists the presets.
    Brindle and brindle-cli write and read the same log, so either one undoes the
    other's batches.

    Each new name is built by the same fixed chain of stages as in Brindle: doubled
    extension, Only English, case conversion, replace, name pattern, length cut, file
    mover. The switches that have a --no- form start as the [config] section of the
    configuration file sets them, read as Brindle reads it ("Write Log File", "Only
    Log", "Read Only", "Scan Subfolders", "Dublicate Extension", "w/o File Extension",
    "Count # of symbols", "Rename Dir", and "Force 63", which cuts at 64 unless
    --force-length says otherwise); the command line overrides them, each switch with
    its --no- form. So the shipped configuration turns the log on, and --no-write-log
    turns it off. Every other option is off or empty unless given. With --preset, the
    preset's options are laid over the file's, and the command line's over both.

    Paths are made absolute (against the working directory, "." and ".." resolved as
    text, a trailing '/' dropped) before the batch, so the log records absolute folders.
    A PATH that does not exist is taken for a file: its rename fails.

)help";

constexpr std::string_view kHelpAfterOptions = R"help(
    Options and paths may come in any order; an option's value follows it as the next
    argument or after '=' (--case=lower). When an option is repeated, its last value
    counts; of --tsv and --quiet the last one counts. Numbers are an optional sign and
    digits within 32 bits. "--" ends the options, so that names beginning with '-' can
    follow.

NAME PATTERN
    Beside the tokens of --pattern above, tokens read from inside the files: {taken}
    the moment a photo was taken, a date as {modified} is ({taken:%Y%m%d_%H%M%S}); the
    camera data {exif.make} {exif.model} {exif.lens} {exif.iso} {exif.fnumber}
    {exif.exposure} {exif.focal} {exif.width} {exif.height}, and {exif:KEY} any Exif,
    IPTC or XMP key by its name in Exiv2 ({exif:Exif.Photo.LensModel}); the music tags
    {tag.artist} {tag.albumartist} {tag.album} {tag.title} {tag.track} {tag.disc}
    {tag.year} {tag.genre} {tag.composer}, {tag.track:2} padded to two digits.
    Photos: JPEG, TIFF, PNG, WebP, raw formats, HEIF, AVIF and CR3; videos have no
    {taken}, so {taken|modified} takes their modification time. Music: MP3 (ID3v1
    and ID3v2), Ogg Vorbis, Opus, FLAC, M4A and APE. A file without the value gets
    nothing for the token, as above.
        brindle-cli -n --pattern '{taken:%Y%m%d_%H%M%S}' --folder ~/Pictures/trip
        brindle-cli --pattern '{tag.track:2} {tag.artist} - {tag.title}' --folder ~/Music/album

OUTPUT
    One line per row of the Output Log, as the row is produced: "Input File", "Output
    File (Exceptions)", "#" and "Folder (New Folder)", separated by two spaces, or by
    tabs with --tsv (after a header line of the titles), which adds a last column,
    "Reason": why the item failed, empty for the other rows. Each row of a failure is
    followed by a line "PATH: REASON" on standard error: the system's words ("Permission
    denied"), or the rule that refused it, as --preview words it ("the new name exists
    (a.txt)"); records that could not be written to the log are told once, at the end,
    instead. Names are written as their bytes on disk, with tab, carriage return, line
    feed and backslash written as \t, \r, \n and \\; without --tsv, other control
    characters are written as \xHH. The status line "Total files: ... | Exceptions:
    ..." always comes last. While a long batch runs and standard error is a terminal, a
    progress line is shown there.

    With --preview, one line per item: its path, its new path and its state, separated
    by two spaces, or by tabs with --tsv (after the header line "Path, New Path,
    State"), escaped as above; then a summary line "Items: ... | Conflicts: ...". A
    state ends with the item's warnings, each "; warning: ...": a new name that hides
    the item, nothing left of it but its extension, or a name that a pattern without a
    counter gives several items of one folder. A warned item is renamed all the same.

    With --dry-run, the rows and the status line as for a batch, after a check of the
    batch as --preview makes it: each item that conflicts is then written to standard
    error as --preview writes it, and counts as an exception.

    When another Brindle holds the log, a batch or Undo waits for it, up to 10
    seconds, and says so once on standard error; after that, its items fail (Undo:
    "Error opening file").

EXIT STATUS
    With --preview: 0 when no item conflicts, 1 when one does (a folder that cannot be
    read too), 2 as below. Warnings do not count. With --dry-run, a conflict is an
    exception.

    0   the batch or Undo had no exception.
    1   an item had one: a failed rename, a read-only skip, an error row of Undo, or a
        record that could not be written.
    2   a usage error (nothing is renamed), or the whole run failed: a --folder that
        does not exist, a log that cannot be opened for Undo or deleted after it, a full
        disk while writing the log (the batch stops), a configuration file that cannot
        be opened for --only-english (its table is read before the first item is named:
        nothing is renamed), a preset that cannot be loaded or saved, or standard output
        that cannot be written.

FILES
    Brindle.ini, Brindle.log
        Beside the program when a Brindle.ini lies there (a portable copy, the build
        folder); the log lies there too when that folder is writable. Otherwise the
        configuration is the first that exists of $XDG_CONFIG_HOME/brindle/Brindle.ini
        (default ~/.config), brindle/Brindle.ini in each folder of $XDG_CONFIG_DIRS
        (default /etc/xdg) and the shipped default PREFIX/share/brindle/Brindle.ini
        (PREFIX is the folder above the program's, /usr for the package); the log is
        $XDG_STATE_HOME/brindle/Brindle.log (default ~/.local/state), and its folder is
        made when the first record is written. Brindle itself uses the same files.
        --ini and --log name others.

    presets/NAME.ini
        The presets, a [config] section each: in the folder presets beside the program
        when it is portable as above, otherwise in $XDG_CONFIG_HOME/brindle/presets
        (default ~/.config/brindle/presets), made when the first one is saved. Brindle
        uses the same presets. A NAME cannot be empty, hold '/' or begin with '.'. A
        preset missing, damaged (no [config] section, a NUL byte) or unreadable is
        refused with exit status 2, and nothing is renamed; keys that this version does
        not know (a newer one's) are passed over. Without a configuration file, a
        preset's "Only English" is not taken: it has no table.

)help";

// `text` as lines of at most `width` characters below `indent` spaces, broken at spaces.
std::string Wrapped(std::string_view text, std::size_t indent, std::size_t width) {
    std::string result;
    std::string line;
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t end = text.find(' ', from);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view word = text.substr(from, end - from);
        if (!line.empty() && indent + line.size() + 1 + word.size() > width) {
            result += std::string(indent, ' ') + line + "\n";
            line.clear();
        }
        if (!line.empty())
            line += ' ';
        line += word;
        from = end + 1;
    }
    if (!line.empty())
        result += std::string(indent, ' ') + line + "\n";
    return result;
}

}  // namespace

std::string HelpText() {
    std::string text(kHelpBeforeOptions);
    text += "OPTIONS\n";
    for (const options::CliFlag& flag : OptionHelp()) {
        text += "    ";
        if (!flag.shortName.empty()) {
            text += flag.shortName;
            text += ", ";
        }
        text += flag.name;
        if (!flag.argument.empty()) {
            text += ' ';
            text += flag.argument;
        }
        if (!flag.off.empty()) {
            text += ", ";
            text += flag.off;
        }
        text += '\n';
        text += Wrapped(flag.help, 8, 88);
    }
    text += kHelpAfterOptions;
    return text;
}

}  // namespace brindle::cli
