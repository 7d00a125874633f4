#include "platform/UserFiles.h"

#include <errno.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "platform/FileSystem.h"
#include "platform/NameCodec.h"
#include "platform/StateFile.h"
#include "platform/TrustCheck.h"

namespace brindle {

namespace {

bool IsAbsolute(std::string_view path) {
    return !path.empty() && path.front() == '/';
}

// "/a/b/" and "/a/b" both become "/a/b"; "/" stays.
std::string WithoutFinalSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// An XDG base folder: the variable when it holds an absolute path, otherwise the
// default below the home folder; empty when neither is known.
std::string BaseFolder(const std::optional<std::string>& variable, const std::string& home,
                       std::string_view belowHome) {
    if (variable && IsAbsolute(*variable))
        return WithoutFinalSlashes(*variable);
    if (!IsAbsolute(home))
        return {};
    return WithoutFinalSlashes(home) + std::string(belowHome);
}

std::u16string InBrindleFolder(const std::string& base, std::u16string_view name) {
    return DecodeName(base == "/" ? std::string() : base) + u"/brindle/" + std::u16string(name);
}

// The folder above the program's: "/usr/bin/" gives "/usr".
std::u16string Prefix(std::u16string_view programFolder) {
    std::u16string folder(programFolder);
    while (folder.size() > 1 && folder.back() == u'/')
        folder.pop_back();
    const auto slash = folder.rfind(u'/');
    if (slash == std::u16string::npos || slash == 0)
        return {};
    return folder.substr(0, slash);
}

bool IsWritableFolder(std::u16string_view folder) {
    return access(EncodeName(folder).c_str(), W_OK | X_OK) == 0;
}

std::optional<std::string> Variable(const char* name) {
    const char* value = getenv(name);
    if (value == nullptr)
        return std::nullopt;
    return std::string(value);
}

UserFiles PortableFiles(std::u16string_view programFolder, const std::string& home) {
    UserFiles files;
    files.portable = true;
    files.configFile = std::u16string(programFolder) + kConfigFileName;
    files.logFile = std::u16string(programFolder) + kLogFileName;
    files.stateFile = StateFileBeside(files.logFile);
    files.rememberedFile = FileBeside(files.logFile, kRememberedFileName);
    files.presetFolder = std::u16string(programFolder) + kPresetFolderName;
    files.startWithFile = std::u16string(programFolder) + kStartWithFileName;
    files.homeFolder = DecodeName(home);
    return files;
}

}  // namespace

UserFiles PortableUserFiles(std::u16string_view programFolder) {
    return PortableFiles(programFolder, ProcessEnvironment().home);
}

std::u16string FileBeside(std::u16string_view file, std::u16string_view name) {
    const auto slash = file.rfind(u'/');
    const std::u16string_view folder =
        slash == std::u16string_view::npos ? std::u16string_view() : file.substr(0, slash + 1);
    return std::u16string(folder) + std::u16string(name);
}

std::u16string StateFileBeside(std::u16string_view logFile) {
    return FileBeside(logFile, kStateFileName);
}

UserFiles LocateUserFiles(std::u16string_view programFolder, const UserEnvironment& environment) {
    const std::string stateHome =
        BaseFolder(environment.xdgStateHome, environment.home, "/.local/state");
    const std::u16string stateLog =
        stateHome.empty() ? std::u16string() : InBrindleFolder(stateHome, kLogFileName);

    if (!programFolder.empty() && PathExists(std::u16string(programFolder) + kConfigFileName)) {
        UserFiles files = PortableFiles(programFolder, environment.home);
        // A folder the user may not write to (a copy unpacked by root, a read-only medium)
        // keeps the log with the user instead, so that Undo still works; so does a folder
        // that others could write to, where they could plant records.
        const bool private_ = CheckFolderPath(programFolder).trusted();
        if ((!IsWritableFolder(programFolder) || !private_) && !stateLog.empty()) {
            files.logFile = stateLog;
            files.stateFile = StateFileBeside(stateLog);
            files.rememberedFile = FileBeside(stateLog, kRememberedFileName);
        }
        return files;
    }

    UserFiles files;
    files.homeFolder = DecodeName(environment.home);
    const std::string configHome =
        BaseFolder(environment.xdgConfigHome, environment.home, "/.config");
    if (!configHome.empty()) {
        files.configSearch.push_back(InBrindleFolder(configHome, kConfigFileName));
        files.presetFolder = InBrindleFolder(configHome, kPresetFolderName);
        files.startWithFile = InBrindleFolder(configHome, kStartWithFileName);
    }
    std::string dirs = environment.xdgConfigDirs.value_or("");
    if (dirs.empty())
        dirs = "/etc/xdg";
    for (std::size_t begin = 0; begin <= dirs.size();) {
        const std::size_t end = std::min(dirs.find(':', begin), dirs.size());
        const std::string entry = dirs.substr(begin, end - begin);
        if (IsAbsolute(entry))
            files.configSearch.push_back(
                InBrindleFolder(WithoutFinalSlashes(entry), kConfigFileName));
        begin = end + 1;
    }
    if (const std::u16string prefix = Prefix(programFolder); !prefix.empty())
        files.configSearch.push_back(prefix + u"/share/brindle/" + kConfigFileName);

    for (const std::u16string& candidate : files.configSearch) {
        if (PathExists(candidate)) {
            files.configFile = candidate;
            break;
        }
    }
    if (files.configFile.empty() && !files.configSearch.empty())
        files.configFile = files.configSearch.front();
    // Without any home the log can only go beside the program.
    files.logFile = stateLog.empty() ? std::u16string(programFolder) + kLogFileName : stateLog;
    files.stateFile = StateFileBeside(files.logFile);
    files.rememberedFile = FileBeside(files.logFile, kRememberedFileName);
    return files;
}

std::u16string DataHomeFolder(const UserEnvironment& environment) {
    return DecodeName(BaseFolder(environment.xdgDataHome, environment.home, "/.local/share"));
}

std::u16string ConfigHomeFolder(const UserEnvironment& environment) {
    return DecodeName(BaseFolder(environment.xdgConfigHome, environment.home, "/.config"));
}

UserEnvironment ProcessEnvironment() {
    UserEnvironment environment;
    environment.xdgConfigHome = Variable("XDG_CONFIG_HOME");
    environment.xdgConfigDirs = Variable("XDG_CONFIG_DIRS");
    environment.xdgStateHome = Variable("XDG_STATE_HOME");
    environment.xdgDataHome = Variable("XDG_DATA_HOME");
    environment.home = Variable("HOME").value_or("");
    if (environment.home.empty()) {
        long size = sysconf(_SC_GETPW_R_SIZE_MAX);
        std::string buffer(size > 0 ? static_cast<std::size_t>(size) : 16384, '\0');
        passwd entry{};
        passwd* found = nullptr;
        if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
            found->pw_dir)
            environment.home = found->pw_dir;
    }
    return environment;
}

UserFiles LocateUserFiles() {
    return LocateUserFiles(ProgramFolder(), ProcessEnvironment());
}

int CreateFolderFor(std::u16string_view file) {
    const std::string path = EncodeName(file);
    const auto last = path.rfind('/');
    if (last == std::string::npos || last == 0)
        return 0;
    const std::string folder = path.substr(0, last);
    struct stat info {};
    if (stat(folder.c_str(), &info) == 0)
        return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
    // Each missing folder from the top down; one made meanwhile by someone else is fine.
    for (std::size_t at = folder.find('/', 1);; at = folder.find('/', at + 1)) {
        const std::string step = folder.substr(0, at);
        if (mkdir(step.c_str(), 0700) != 0 && errno != EEXIST)
            return errno;
        if (at == std::string::npos)
            break;
    }
    if (stat(folder.c_str(), &info) != 0)
        return errno;
    return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
}

}  // namespace brindle
