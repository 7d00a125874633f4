// The date tokens through brindle-cli on real files whose times the test sets: names in
// the zone TZ gives and in English whatever the language, a format's mistake refused, and
// the items a token gave no value listed by --preview and counted by a batch.
#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CliProcess.h"
#include "Placeholders.h"
#include "TempFolder.h"

namespace brindle::testing {
namespace {

// 2024-03-05 14:07:09.5 UTC, a Tuesday.
constexpr timespec kModified = {1709647629, 500000000};

struct DateCase {
    const char* name;
    std::string binary;
    Strings environment;
    Strings args;  // "{D}" is the temporary folder
    int exitStatus;
    std::string out;  // "*": not compared
    std::string err;
    Strings listing;  // afterwards
};

TEST(CliDateTest, DateTokensOnRealFiles) {
    const std::string tokens = BRINDLE_CLI_TEST_TOKENS_PATH;
    const std::string shipped = BRINDLE_CLI_PATH;
    const std::vector<DateCase> cases = {
        {"modified/Utc",
         shipped,
         {"TZ=UTC"},
         {"--pattern={modified:%Y%m%d_%H%M%S.%f}", "--folder={D}w"},
         0,
         "*",
         "",
         {"w/", "w/20240305_140709.5.txt"}},
        {"modified/KolkataInGerman",
         shipped,
         {"TZ=Asia/Kolkata", "LANG=de_DE.UTF-8", "LC_ALL=de_DE.UTF-8"},
         {"--pattern={modified:%a %d %b %Y %H:%M %z} /O", "--folder={D}w"},
         0,
         "*",
         "",
         {"w/", "w/Tue 05 Mar 2024 19:37 +0530 a.txt"}},
        {"modified/Default",
         shipped,
         {"TZ=UTC"},
         {"--pattern={modified}", "{D}w/a.txt"},
         0,
         "*",
         "",
         {"w/", "w/2024-03-05 14.07.09.txt"}},
        {"mistake/UnknownLetter",
         shipped,
         {},
         {"--pattern=x{modified:%Y%Q}", "--folder={D}w"},
         2,
         "",
         "brindle-cli: The name pattern has a mistake at character 12: \"modified\" has '%Q' "
         "in its date format, which is no date letter (%Y %y %m %d %e %H %M %S %j %a %A %b "
         "%B %p %f %z %%).\n",
         {"w/", "w/a.txt"}},
        {"mistake/LonePercentInPreview",
         shipped,
         {},
         {"-n", "--pattern={now:%}", "--folder={D}w"},
         2,
         "",
         "brindle-cli: The name pattern has a mistake at character 6: \"now\" has a lone '%' "
         "at the end of its date format.\n",
         {"w/", "w/a.txt"}},
        {"noValue/PreviewLists",
         tokens,
         {},
         {"-n", "--pattern=[{test.none}]/O", "--folder={D}w"},
         0,
         "{D}w/a.txt  {D}w/[]a.txt  rename; warning: no value for {test.none}\n"
         "Items: 1 | To rename: 1 | Unchanged: 0 | Conflicts: 0 | Warnings: 1 (no value: 1)\n",
         "",
         {"w/", "w/a.txt"}},
        {"noValue/BatchCounts",
         tokens,
         {},
         {"--pattern=[{test.none}]/O", "--folder={D}w"},
         0,
         "*",
         "brindle-cli: 1 item had no value for a token of the name pattern, which inserted "
         "nothing\n",
         {"w/", "w/[]a.txt"}},
        {"noValue/FallbackHasOne",
         tokens,
         {"TZ=UTC"},
         {"--pattern={test.none|modified}", "--folder={D}w"},
         0,
         "*",
         "",
         {"w/", "w/2024-03-05 14.07.09.txt"}},
    };
    for (const DateCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        temp.createFile("w/a.txt");
        const timespec times[2] = {{0, UTIME_OMIT}, kModified};
        ASSERT_EQ(utimensat(AT_FDCWD, (temp.path() / "w/a.txt").c_str(), times, 0), 0);
        const std::string folder = temp.path().string() + "/";
        Strings args = {"--no-write-log"};
        for (const std::string& arg : Filled(c.args, {{"{D}", folder}}))
            args.push_back(arg);
        const CliResult result =
            RunCli(CliRun(args).withBinary(c.binary).withEnvironment(c.environment));
        EXPECT_EQ(result.status, c.exitStatus);
        if (c.out != "*") {
            EXPECT_EQ(result.out, Filled(c.out, {{"{D}", folder}}));
        }
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(temp.listing(), c.listing);
    }
}

TEST(CliDateTest, NowIsOneValueForTheBatch) {
    TempFolder temp;
    for (int i = 0; i < 30; ++i)
        temp.createFile("w/f" + std::to_string(i));
    const CliResult result = RunCli(CliRun({"--no-write-log", "--pattern={now:%H%M%S%f}_/O",
                                            "--folder=" + temp.path().string() + "/w"}));
    ASSERT_EQ(result.status, 0) << result.err;
    const Strings listing = temp.listing();
    ASSERT_EQ(listing.size(), 31u);
    const std::string now = listing[1].substr(0, listing[1].find('_'));
    for (std::size_t i = 1; i < listing.size(); ++i)
        EXPECT_EQ(listing[i].substr(0, listing[i].find('_')), now);
}

}  // namespace
}  // namespace brindle::testing
