// The folder chosen last, kept in the state file beside the log: any path comes back
// byte for byte, a file that is missing, unreadable or spoilt gives nothing, and the
// browser opens in the kept folder only while it is still a folder, else at home.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "OrdinaryUser.h"
#include "TempFolder.h"
#include "platform/NameCodec.h"
#include "platform/StateFile.h"
#include "platform/TextFile.h"

namespace brindle::testing {
namespace {

std::optional<std::string> Bytes(const std::optional<std::u16string>& path) {
    return path ? std::optional<std::string>(EncodeName(*path)) : std::nullopt;
}

TEST(StateFileTest, AnyFolderReadsBackAsWritten) {
    const std::string paths[] = {
        "/",
        "/home/ann/Pictures",
        "/with space/and \xc3\xa7/\xd0\x9c\xd0\xbe\xd0\xb9",
        "/line\nfeed/carriage\rreturn",
        "/back\\slash/\\n is not a line feed\\",
        "/not UTF-8 \xff\xfe/x",
        "/Last Folder=/inside",
    };
    TempFolder temp;
    // The state's folder is made when missing, for its owner alone.
    const std::u16string state = temp.folder() + u"state/brindle/Brindle.state";
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        ASSERT_EQ(WriteLastFolder(state, DecodeName(path)), 0);
        EXPECT_EQ(Bytes(ReadLastFolder(state)), path);
    }
    struct stat info {};
    ASSERT_EQ(stat((temp.path() / "state/brindle").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ASSERT_EQ(stat((temp.path() / "state/brindle/Brindle.state").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    // Nothing else was left beside it.
    EXPECT_EQ(temp.listing(), (std::vector<std::string>{"state/", "state/brindle/",
                                                        "state/brindle/Brindle.state"}));
}

TEST(StateFileTest, AFileThatIsMissingOrSpoiltGivesNothing) {
    struct Case {
        const char* name;
        std::optional<std::string> contents;  // nullopt: no file at all
    };
    const Case cases[] = {
        {"missing", std::nullopt},
        {"empty", ""},
        {"another key", "First Folder=/home\n"},
        {"no value", "Last Folder=\n"},
        {"relative", "Last Folder=Pictures\n"},
        {"an escape never written", "Last Folder=/a\\tb\n"},
        {"cut after a backslash", "Last Folder=/a\\"},
        {"a NUL", std::string("Last Folder=/a\0b\n", 17)},
        {"binary", std::string("\x7f"
                               "ELF\x02\x01\x01\0\0\0",
                               10)},
        {"the key not at the start", " Last Folder=/home\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        if (c.contents)
            temp.createFile("Brindle.state", *c.contents);
        EXPECT_EQ(ReadLastFolder(temp.folder() + u"Brindle.state"), std::nullopt);
    }
    // A folder in its place cannot be read as a file; no state file at all names nothing.
    TempFolder temp;
    temp.createFiles({"Brindle.state/"});
    EXPECT_EQ(ReadLastFolder(temp.folder() + u"Brindle.state"), std::nullopt);
    EXPECT_EQ(ReadLastFolder(u""), std::nullopt);
    // Other lines around the key's are passed over, and the file may lack its last LF.
    temp.createFile("other", "# kept by Brindle\r\nLast Folder=/srv\r\n");
    EXPECT_EQ(ReadLastFolder(temp.folder() + u"other"), u"/srv");
    temp.createFile("unended", "Last Folder=/srv/x");
    EXPECT_EQ(ReadLastFolder(temp.folder() + u"unended"), u"/srv/x");
}

// A state file the user may not read gives nothing; one in a folder the user may not
// write to stays as it was, and the write says why. Permissions do not bind root, so root
// looks as an ordinary user.
TEST(StateFileTest, PermissionFaults) {
    TempFolder temp;
    temp.createFile("unreadable/Brindle.state", "Last Folder=/srv\n");
    temp.createFile("locked/Brindle.state", "Last Folder=/old\n");
    ASSERT_EQ(chmod(temp.path().c_str(), 0755), 0);
    ASSERT_EQ(chmod((temp.path() / "unreadable/Brindle.state").c_str(), 0), 0);
    ASSERT_EQ(chmod((temp.path() / "locked").c_str(), 0555), 0);
    const std::u16string unreadable = temp.folder() + u"unreadable/Brindle.state";
    const std::u16string locked = temp.folder() + u"locked/Brindle.state";
    const int status = InChild([&] {
        if (RunningAsRoot() && !BecomeOrdinaryUser())
            return 10;
        if (ReadLastFolder(unreadable))
            return 11;
        if (WriteLastFolder(locked, u"/new") != EACCES)
            return 12;
        return ReadLastFolder(locked) == u"/old" ? 0 : 13;
    });
    EXPECT_EQ(status, 0);
    ASSERT_EQ(chmod((temp.path() / "locked").c_str(), 0755), 0);
    EXPECT_EQ(temp.listing(),
              (std::vector<std::string>{"locked/", "locked/Brindle.state", "unreadable/",
                                        "unreadable/Brindle.state"}));
}

TEST(StateFileTest, AFailedWriteSaysWhyAndLeavesTheOldState) {
    TempFolder temp;
    temp.createFiles({"file"});
    temp.createFile("state/Brindle.state", "Last Folder=/old\n");
    EXPECT_EQ(WriteLastFolder(temp.folder() + u"file/Brindle.state", u"/srv"), ENOTDIR);
    EXPECT_EQ(WriteLastFolder(u"", u"/srv"), ENOENT);
    // A folder in the file's place is not replaced.
    EXPECT_EQ(ReplaceFileContents(temp.folder() + u"state", "x"), EISDIR);
    EXPECT_EQ(ReadLastFolder(temp.folder() + u"state/Brindle.state"), u"/old");
    EXPECT_EQ(temp.listing(), (std::vector<std::string>{"file", "state/", "state/Brindle.state"}));
}

// A symbolic link at the state's path is replaced, never written through.
TEST(StateFileTest, ALinkInThePlaceOfTheFileIsReplaced) {
    TempFolder temp;
    temp.createFile("target", "someone else's\n");
    ASSERT_EQ(symlink((temp.path() / "target").c_str(), (temp.path() / "Brindle.state").c_str()),
              0);
    ASSERT_EQ(WriteLastFolder(temp.folder() + u"Brindle.state", u"/srv"), 0);
    EXPECT_EQ(temp.readFile("target"), "someone else's\n");
    struct stat info {};
    ASSERT_EQ(lstat((temp.path() / "Brindle.state").c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(ReadLastFolder(temp.folder() + u"Brindle.state"), u"/srv");
}

TEST(StateFileTest, TheBrowserOpensInTheLastFolderWhileItIsOneElseAtHome) {
    TempFolder temp;
    temp.createFiles({"last/", "home/", "file"});
    ASSERT_EQ(symlink((temp.path() / "last").c_str(), (temp.path() / "link").c_str()), 0);
    const std::u16string last = temp.folder() + u"last";
    const std::u16string home = temp.folder() + u"home";
    struct Case {
        const char* name;
        std::optional<std::u16string> last;
        std::u16string home;
        std::u16string expected;
    };
    const Case cases[] = {
        {"the last folder", last, home, last},
        {"a link to a folder", temp.folder() + u"link", home, temp.folder() + u"link"},
        {"none chosen yet", std::nullopt, home, home},
        {"removed since", temp.folder() + u"gone", home, home},
        {"a file now", temp.folder() + u"file", home, home},
        {"empty", u"", home, home},
        {"no home either", std::nullopt, temp.folder() + u"gone", u"/"},
        {"no home known", temp.folder() + u"gone", u"", u"/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(EncodeName(BrowserStartFolder(c.last, c.home)), EncodeName(c.expected));
    }
}

}  // namespace
}  // namespace brindle::testing
