#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "batch/FileMover.h"

namespace brindle {
namespace {

struct MoverCase {
    const char* name;
    std::u16string fileTypes;
    std::u16string currentDirectory;
    std::u16string newName;
    std::u16string expected;
};

TEST(FileMoverTest, Table) {
    const std::vector<MoverCase> cases = {
        {"listed/CaseBlind", u".exe,.bat,.com", u"/d/Tools/", u"Setup.EXE", u"/d/"},
        {"listed/InsideLongerType", u".com", u"/d/src/", u"prog.c", u"/d/"},
        {"listed/PrefixOfType", u".exe", u"/d/x/", u"x.ex", u"/d/"},
        {"listed/NoDotWholeName", u".exe", u"/d/x/", u"exe", u"/d/"},
        {"listed/EmptyNameEverywhere", u".txt", u"/d/x/", u"", u"/d/"},
        {"listed/ColonIsNoSeparator", u".txt", u"/d/12:30 a\\b/", u"a.txt", u"/d/"},
        {"unlisted/LastExtensionOnly", u".tar", u"/d/x/", u"a.tar.gz", u"/d/x/"},
        {"unlisted/EmptyBox", u"", u"/d/x/", u"a.txt", u"/d/x/"},
        {"unlisted/NonAsciiNotFolded", u".\u042F", u"/d/x/", u"a.\u044F", u"/d/x/"},
        {"root/Stays", u".txt", u"/", u"a.txt", u"/"},
        {"root/ChildGoesToRoot", u".txt", u"/d/", u"a.txt", u"/"},
    };
    for (const MoverCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::u16string fileTypes = c.fileTypes;
        EXPECT_EQ(ApplyFileMover(fileTypes, c.currentDirectory, c.newName), c.expected);
    }
}

TEST(FileMoverTest, LowersTheOptionInPlace) {
    std::u16string fileTypes = u".EXE,.Bat,.\u042F";
    ApplyFileMover(fileTypes, u"/d/x/", u"a.txt");
    EXPECT_EQ(fileTypes, u".exe,.bat,.\u042F");
}

}  // namespace
}  // namespace brindle
