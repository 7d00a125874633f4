#include "cli/CliApp.h"

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
    return "    This brindle-cli uses, without --ini and --log:\n" +
           line("configuration  ", files.configFile) + line("log            ", files.logFile);
}

std::string VersionText() {
    return "brindle-cli (Brindle) " BRINDLE_VERSION "\n";
}

std::string_view HelpText() {
    return R"help(NAME
    brindle-cli - rename files in batches, with the renaming engine of Brindle

SYNOPSIS
    brindle-cli [OPTION]... --folder DIR
    brindle-cli [OPTION]... PATH...
    brindle-cli --preview [OPTION]... (--folder DIR | PATH...)
    brindle-cli --undo [--delete-log | --keep-log] [--log FILE] [--tsv | --quiet]

DESCRIPTION
    The first form renames the files of DIR, as "Choose Folder" in Brindle's main
    dialog does; the second renames the PATHs, in order, as if they were dropped on the
    dialog: files are renamed, folders are scanned with --subfolders and renamed
    themselves, after everything else, with --rename-dirs. The third form undoes every
    rename recorded in the log, newest first, and then deletes the log or keeps it.
    Brindle and brindle-cli write and read the same log, so either one undoes the
    other's batches.

    Each new name is built by the same fixed chain of stages as in Brindle: doubled
    extension, Only English, case conversion, replace, name pattern, length cut, file
    mover. Every option is off or empty unless given; the [config] section of the
    configuration file is not read. Paths are made absolute (against the working
    directory, "." and ".." resolved as text, a trailing '/' dropped) before the batch,
    so the log records absolute folders. A PATH that does not exist is taken for a file:
    its rename fails.

OPTIONS
    --case MODE
        Case conversion: none, lower, lower-letter, reverse, reverse-letter, upper or
        upper-letter. Letters of every script change, by Unicode's simple case mapping
        and the same on every machine: a name keeps its number of characters ('ß'
        stays 'ß' in upper case).
    --replace-what TEXT, --replace-with TEXT
        Replace every occurrence of the first text by the second (not with Only English).
    --only-english METHOD
        Apply the replacement table english, symbols or custom of the configuration
        file; like ticking the box in the dialog, this also sets --without-extension.
    --with-extension
        Edit the extension too, even with --without-extension or --only-english,
        whatever the order of the options.
    --without-extension
        Leave the extension out of the editing ("w/o File Extension").
    --duplicate-extension
        Turn a doubled last extension into one ('song.mp3.mp3' -> 'song.mp3').
    --count-symbols
        Count the symbols of each name (column "#").
    --force-length N
        Cut names longer than N (0 or more), as "Force 63" does.
    --pattern TEXT
        Build each name from the name pattern TEXT.
    --start-index N
        First running number of the pattern (negative numbers too).
    --file-types LIST
        Move files whose extension occurs in LIST (such as '.exe,.bat') one folder up.
    --subfolders
        Scan subfolders ("Scan Subfolders").
    --rename-dirs
        Rename the folders given as PATHs ("Rename Dir").
    --skip-read-only
        Leave read-only files alone and count them as exceptions ("Read Only").
    --order ORDER
        The order in which each folder's entries are renamed, and so numbered by the
        pattern: natural (the default: as file managers show them, letter case aside
        and numbers by value, '2' before '10'), bytes (by the names' bytes, as 'LC_ALL=C
        ls' does) or none (as the filesystem lists them). PATHs keep their given order.
    --dry-run
        List the new names and rename nothing ("Only Log").
    --preview
        Show what the batch would do, item by item, and rename and log nothing: each
        item's path, its new path and its state: rename, unchanged, or a conflict and
        its reason (an earlier item takes the same new name; the new name exists and is
        no item that moves away before it; the new name cannot be a name; read-only
        with --skip-read-only; not found). Where a folder ignores letter case (FAT,
        exFAT, NTFS, SMB shares, casefolded ext4 folders), names that differ only in
        case are one name.
    --write-log
        Record every item in the log, for Undo ("Write Log File").
    --ini FILE
        The configuration file (default: the one Brindle uses; see FILES).
    --log FILE
        The log (default: the one Brindle uses; see FILES).
    --undo
        Undo the renames recorded in the log.
    --delete-log, --keep-log
        After Undo, delete the log or keep it without asking. Without either, Undo asks
        when standard input is a terminal and otherwise keeps the log.
    --tsv
        Write a header line and tab-separated rows.
    --quiet
        Write only the status line.
    --help
        Show this text and exit.
    --version
        Show the version and exit.

    Options and paths may come in any order; an option's value follows it as the next
    argument or after '=' (--case=lower). When an option is repeated, its last value
    counts; of --tsv and --quiet the last one counts. Numbers are an optional sign and
    digits within 32 bits. "--" ends the options, so that names beginning with '-' can
    follow.

OUTPUT
    One line per row of the Output Log, as the row is produced: "Input File", "Output
    File (Exceptions)", "#" and "Folder (New Folder)", separated by two spaces, or by
    tabs with --tsv (after a header line of the titles). Names are written as their
    bytes on disk, with tab, carriage return, line feed and backslash written as \t, \r,
    \n and \\; without --tsv, other control characters are written as \xHH. The status
    line "Total files: ... | Exceptions: ..." always comes last. While a long batch runs
    and standard error is a terminal, a progress line is shown there.

    With --preview, one line per item: its path, its new path and its state, separated
    by two spaces, or by tabs with --tsv (after the header line "Path, New Path,
    State"), escaped as above; then a summary line "Items: ... | Conflicts: ...".

EXIT STATUS
    With --preview: 0 when no item conflicts, 1 when one does, 2 as below.

    0   the batch or Undo had no exception.
    1   an item had one: a failed rename, a read-only skip, an error row of Undo, a
        record that could not be written, or the replacement table became unreadable
        during the batch.
    2   a usage error (nothing is renamed), or the whole run failed: a --folder that
        does not exist, a log that cannot be opened for Undo or deleted after it, a full
        disk while writing the log (the batch stops), a configuration file that cannot
        be opened for --only-english (checked before the first item: nothing is
        renamed), or standard output that cannot be written.

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

)help";
}

}  // namespace brindle::cli
