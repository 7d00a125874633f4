#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brindle {

inline constexpr char16_t kConfigFileName[] = u"Brindle.ini";
inline constexpr char16_t kLogFileName[] = u"Brindle.log";
inline constexpr char16_t kPresetFolderName[] = u"presets";
inline constexpr char16_t kStartWithFileName[] = u"start-with";
inline constexpr char16_t kRememberedFileName[] = u"last.ini";

// What the file locations depend on in the environment, as bytes; nullopt when a
// variable is not set.
struct UserEnvironment {
    std::optional<std::string> xdgConfigHome;
    std::optional<std::string> xdgConfigDirs;
    std::optional<std::string> xdgStateHome;
    // $HOME, or the home folder of the password database when it is unset; may be empty.
    std::string home;
    std::optional<std::string> xdgDataHome = std::nullopt;
};

// Where the configuration and the log lie, as absolute paths.
struct UserFiles {
    // A Brindle.ini lies beside the program (a build folder, an unpacked copy): the
    // program then keeps its files beside itself, as a portable program does.
    bool portable = false;
    std::u16string configFile;
    std::u16string logFile;
    // The dialog's state between runs (StateFile.h), beside the log; empty: none is kept.
    std::u16string stateFile;
    // The folder of the presets (NAME.ini each), without a final '/'; the file naming the
    // preset the dialog starts with; the options remembered at the dialog's close, beside
    // the log. Empty: none is kept.
    std::u16string presetFolder;
    std::u16string startWithFile;
    std::u16string rememberedFile;
    // The user's home folder, where the folder browser opens before any folder was
    // chosen; may be empty.
    std::u16string homeFolder;
    // Installed: the places looked at for the configuration, in order (the first that
    // exists is configFile; when none does, configFile is the first of them).
    std::vector<std::u16string> configSearch;
};

// The rules, on a given program folder (ending with '/') and environment:
//  - portable (Brindle.ini beside the program): that file is the configuration; the log
//    lies beside the program when the user may write to its folder and nobody else could
//    have (TrustCheck.h), otherwise where an installed program keeps it;
//  - installed: the configuration is the first that exists of
//    $XDG_CONFIG_HOME/brindle/Brindle.ini (default ~/.config), brindle/Brindle.ini under
//    each $XDG_CONFIG_DIRS entry (default /etc/xdg), and the shipped default
//    PREFIX/share/brindle/Brindle.ini, PREFIX being the folder above the program's; the log
//    is $XDG_STATE_HOME/brindle/Brindle.log (default ~/.local/state).
// Relative XDG values are ignored, as the base directory rules ask. "Exists" is what
// lstat says, so a file that cannot be read is still chosen, and then fails to open.
// The state file and the remembered options lie beside the log, wherever that is. The
// presets and the name of the one to start with lie in $XDG_CONFIG_HOME/brindle/ when
// installed, beside the program when portable.
UserFiles LocateUserFiles(std::u16string_view programFolder, const UserEnvironment& environment);

// All three files beside the program, whatever lies there; the home folder is this
// process's.
UserFiles PortableUserFiles(std::u16string_view programFolder);

// The state file that goes with the log `logFile`: in the same folder.
std::u16string StateFileBeside(std::u16string_view logFile);
// The file `name` in the folder of `file`.
std::u16string FileBeside(std::u16string_view file, std::u16string_view name);

// The user's folders for data ($XDG_DATA_HOME, default ~/.local/share) and configuration
// ($XDG_CONFIG_HOME, default ~/.config), without a final '/'; empty when neither the
// variable nor the home folder is an absolute path.
std::u16string DataHomeFolder(const UserEnvironment& environment);
std::u16string ConfigHomeFolder(const UserEnvironment& environment);

// The environment of this process.
UserEnvironment ProcessEnvironment();
// The rules for this process: its program folder and its environment.
UserFiles LocateUserFiles();

// Creates the folder that `file` lies in, with any missing folder above it, each readable
// by its owner only. 0 when the folder is there afterwards, else the errno.
int CreateFolderFor(std::u16string_view file);

}  // namespace brindle
