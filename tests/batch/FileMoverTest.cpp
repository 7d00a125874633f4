#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "batch/FileMover.h"
#include "engine/TextOps.h"

namespace brindle {
namespace {

struct MoverCase {
    const char* name;
    std::u16string fileTypes;  // as the user typed them; the planner lowers them first
    std::u16string newName;
    bool sendsUp;
};

TEST(FileMoverTest, Table) {
    const std::vector<MoverCase> cases = {
        {"listed/CaseBlind", u".exe,.bat,.com", u"Setup.EXE", true},
        {"listed/TypedInCapitals", u".EXE,.Bat", u"setup.bat", true},
        {"listed/InsideLongerType", u".com", u"prog.c", true},
        {"listed/PrefixOfType", u".exe", u"x.ex", true},
        {"listed/NoDotWholeName", u".exe", u"exe", true},
        {"listed/EmptyNameEverywhere", u".txt", u"", true},
        {"unlisted/LastExtensionOnly", u".tar", u"a.tar.gz", false},
        {"unlisted/LongerThanTheTypes", u".tx", u"a.txt", false},
        {"unlisted/EmptyBox", u"", u"a.txt", false},
        {"unlisted/NonAsciiNotFolded", u".\u042F", u"a.\u044F", false},
    };
    for (const MoverCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FileMoverSendsUp(AsciiLowered(c.fileTypes), c.newName), c.sendsUp);
    }
}

TEST(FileMoverTest, ParentFolders) {
    const std::vector<std::pair<std::u16string, std::u16string>> cases = {
        {u"/d/Tools/", u"/d/"},
        {u"/d/12:30 a\\b/", u"/d/"},  // neither ':' nor '\\' separates folders
        {u"/d/", u"/"},
        {u"/", u"/"},  // the root has no parent: an item there stays
    };
    for (const auto& [folder, parent] : cases) {
        SCOPED_TRACE(std::string(folder.begin(), folder.end()));
        EXPECT_EQ(ParentFolder(folder), parent);
    }
}

}  // namespace
}  // namespace brindle
