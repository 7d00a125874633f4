// Where the configuration and the log lie: portable beside the program, or installed with
// the user's XDG folders and the shipped default. Real folders; the environment is given to
// the rules, never set in the process.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "Placeholders.h"
#include "TempFolder.h"
#include "platform/NameCodec.h"
#include "platform/UserFiles.h"

namespace brindle::testing {
namespace {

// "{T}" stands for the temporary folder.
std::u16string At(const TempFolder& temp, const std::string& path) {
    return DecodeName(Filled(path, {{"{T}", temp.path().string()}}));
}

struct Variables {
    std::optional<std::string> configHome, configDirs, stateHome;
    std::string home = "{T}/home";
};

struct LocationCase {
    const char* name;
    std::vector<std::string> files;  // made first, relative to the temporary folder
    Variables variables;
    bool portable;
    std::string config;
    std::string log;
};

TEST(UserFilesTest, LocationRules) {
    const std::vector<LocationCase> cases = {
        {"portable/WritableFolder",
         {"usr/bin/Brindle.ini", "usr/share/brindle/Brindle.ini",
          "home/.config/brindle/Brindle.ini"},
         {},
         true,
         "{T}/usr/bin/Brindle.ini",
         "{T}/usr/bin/Brindle.log"},
        {"installed/NoVariablesShippedDefault",
         {"usr/share/brindle/Brindle.ini"},
         {},
         false,
         "{T}/usr/share/brindle/Brindle.ini",
         "{T}/home/.local/state/brindle/Brindle.log"},
        {"installed/NoVariablesUsersOwnFirst",
         {"usr/share/brindle/Brindle.ini", "home/.config/brindle/Brindle.ini"},
         {},
         false,
         "{T}/home/.config/brindle/Brindle.ini",
         "{T}/home/.local/state/brindle/Brindle.log"},
        {"installed/VariablesWin",
         {"usr/share/brindle/Brindle.ini", "home/.config/brindle/Brindle.ini",
          "cfg/brindle/Brindle.ini"},
         {"{T}/cfg/", "{T}/d1:{T}/d2", "{T}/state"},
         false,
         "{T}/cfg/brindle/Brindle.ini",
         "{T}/state/brindle/Brindle.log"},
        {"installed/ConfigDirsInOrder",
         {"usr/share/brindle/Brindle.ini", "d1/brindle/Brindle.ini", "d2/brindle/Brindle.ini"},
         {"{T}/cfg", "{T}/d0::{T}/d1:{T}/d2", std::nullopt},
         false,
         "{T}/d1/brindle/Brindle.ini",
         "{T}/home/.local/state/brindle/Brindle.log"},
        {"installed/ConfigDirsBeforeShipped",
         {"usr/share/brindle/Brindle.ini", "d2/brindle/Brindle.ini"},
         {std::nullopt, "{T}/d2", std::nullopt},
         false,
         "{T}/d2/brindle/Brindle.ini",
         "{T}/home/.local/state/brindle/Brindle.log"},
        {"installed/RelativeVariablesIgnored",
         {"usr/share/brindle/Brindle.ini", "home/.config/brindle/Brindle.ini",
          "cfg/brindle/Brindle.ini"},
         {"cfg", "relative", "state"},
         false,
         "{T}/home/.config/brindle/Brindle.ini",
         "{T}/home/.local/state/brindle/Brindle.log"},
        // lstat decides: a configuration that cannot be read as a file is still the one
        // used, and fails to open as an unreadable one does.
        {"installed/ExistsButCannotBeRead",
         {"usr/share/brindle/Brindle.ini", "home/.config/brindle/Brindle.ini/"},
         {},
         false,
         "{T}/home/.config/brindle/Brindle.ini",
         "{T}/home/.local/state/brindle/Brindle.log"},
        {"installed/NoneExistsTheUsersPlace",
         {},
         {std::nullopt, "{T}/d1", std::nullopt},
         false,
         "{T}/home/.config/brindle/Brindle.ini",
         "{T}/home/.local/state/brindle/Brindle.log"},
        {"installed/NoHomeAtAll",
         {"usr/share/brindle/Brindle.ini"},
         {std::nullopt, "{T}/d1", std::nullopt, ""},
         false,
         "{T}/usr/share/brindle/Brindle.ini",
         "{T}/usr/bin/Brindle.log"},
    };
    for (const LocationCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        temp.createFiles({"usr/bin/", "home/"});
        for (const std::string& file : c.files)
            temp.createFiles({file});
        const auto expand = [&](const std::optional<std::string>& value) {
            return value ? std::optional<std::string>(EncodeName(At(temp, *value))) : std::nullopt;
        };
        UserEnvironment environment{expand(c.variables.configHome), expand(c.variables.configDirs),
                                    expand(c.variables.stateHome),
                                    EncodeName(At(temp, c.variables.home))};
        const UserFiles files = LocateUserFiles(At(temp, "{T}/usr/bin/"), environment);
        EXPECT_EQ(files.portable, c.portable);
        EXPECT_EQ(EncodeName(files.configFile), EncodeName(At(temp, c.config)));
        EXPECT_EQ(EncodeName(files.logFile), EncodeName(At(temp, c.log)));
        // The dialog's state lies beside the log, and the browser's first folder is home.
        const std::string logFolder = c.log.substr(0, c.log.rfind('/') + 1);
        EXPECT_EQ(EncodeName(files.stateFile), EncodeName(At(temp, logFolder + "Brindle.state")));
        EXPECT_EQ(EncodeName(files.homeFolder), EncodeName(At(temp, c.variables.home)));
    }
}

TEST(UserFilesTest, SearchOrderOfAnInstalledProgram) {
    TempFolder temp;
    const UserEnvironment environment{std::nullopt, std::nullopt, std::nullopt, "/home/ann/"};
    const UserFiles files = LocateUserFiles(u"/opt/brindle-test-none/bin/", environment);
    EXPECT_EQ(files.configSearch,
              (std::vector<std::u16string>{u"/home/ann/.config/brindle/Brindle.ini",
                                           u"/etc/xdg/brindle/Brindle.ini",
                                           u"/opt/brindle-test-none/share/brindle/Brindle.ini"}));
    EXPECT_EQ(files.logFile, u"/home/ann/.local/state/brindle/Brindle.log");
}

// Permissions do not bind root, so the read-only folder is looked at by an ordinary user.
// Where the file managers' actions go for the user: the variable when it is absolute, else
// below the home folder, else nowhere.
TEST(UserFilesTest, DataAndConfigurationHomes) {
    struct Row {
        const char* name;
        std::optional<std::string> variable;
        std::string home;
        std::u16string folder;
    };
    const Row rows[] = {
        {"variable/Absolute", "/srv/me/", "/home/ann", u"/srv/me"},
        {"variable/RelativeIgnored", "me/data", "/home/ann/", u"/home/ann{BELOW}"},
        {"unset/BelowHome", std::nullopt, "/home/ann", u"/home/ann{BELOW}"},
        {"unset/NoAbsoluteHome", std::nullopt, "ann", u""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto expected = [&](std::u16string_view below) {
            std::u16string folder = row.folder;
            if (const auto at = folder.find(u"{BELOW}"); at != std::u16string::npos)
                folder.replace(at, 7, below);
            return folder;
        };
        UserEnvironment data;
        data.home = row.home;
        data.xdgDataHome = row.variable;
        data.xdgConfigHome = "/not/the/data/home";
        EXPECT_EQ(DataHomeFolder(data), expected(u"/.local/share"));
        UserEnvironment config;
        config.home = row.home;
        config.xdgConfigHome = row.variable;
        config.xdgDataHome = "/not/the/config/home";
        EXPECT_EQ(ConfigHomeFolder(config), expected(u"/.config"));
    }
}

TEST(UserFilesTest, PortableInAReadOnlyFolderLogsWithTheUser) {
    TempFolder temp;
    temp.createFiles({"app/Brindle.ini", "home/"});
    ASSERT_EQ(chmod(temp.path().c_str(), 0755), 0);
    ASSERT_EQ(chmod((temp.path() / "app").c_str(), 0555), 0);
    const std::u16string app = temp.folder("app");
    const std::string home = (temp.path() / "home").string();
    const int status = InChild([&] {
        if (geteuid() == 0 && setresuid(65534, 65534, 65534) != 0)
            return 10;
        const UserFiles files =
            LocateUserFiles(app, UserEnvironment{std::nullopt, std::nullopt, std::nullopt, home});
        if (!files.portable || files.configFile != app + u"Brindle.ini")
            return 11;
        if (files.stateFile != DecodeName(home + "/.local/state/brindle/Brindle.state"))
            return 13;
        return files.logFile == DecodeName(home + "/.local/state/brindle/Brindle.log") ? 0 : 12;
    });
    EXPECT_EQ(status, 0);
}

TEST(UserFilesTest, TheLogsFolderIsCreatedOnFirstUse) {
    TempFolder temp;
    temp.createFiles({"home/", "file"});
    const std::u16string log = temp.folder("home") + u".local/state/brindle/Brindle.log";
    EXPECT_EQ(CreateFolderFor(log), 0);
    struct stat info {};
    ASSERT_EQ(stat((temp.path() / "home/.local/state/brindle").c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    // Already there: nothing to do; in the way: the reason.
    EXPECT_EQ(CreateFolderFor(log), 0);
    EXPECT_FALSE(temp.exists("home/.local/state/brindle/Brindle.log"));
    EXPECT_EQ(CreateFolderFor(temp.folder() + u"file/brindle/Brindle.log"), ENOTDIR);
    EXPECT_EQ(CreateFolderFor(temp.folder("file") + u"Brindle.log"), ENOTDIR);
}

}  // namespace
}  // namespace brindle::testing
