// The name pattern through brindle-cli: a pattern with a mistake stops the run before
// anything is planned or renamed, a token works where it is known, and a brace group the
// program does not know is ordinary text. The test-only tokens are known only to the
// test build of the program (CliWithTestTokens.cpp), never to the shipped one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CliProcess.h"
#include "Placeholders.h"
#include "TempFolder.h"

namespace brindle::testing {
namespace {

struct PatternCase {
    const char* name;
    std::string binary;
    Strings args;  // "{D}" is the temporary folder
    int exitStatus;
    std::string err;  // the whole of standard error
    Strings listing;  // afterwards
};

TEST(CliPatternTest, MistakesStopTheRunAndTokensWork) {
    const std::string tokens = BRINDLE_CLI_TEST_TOKENS_PATH;
    const std::string shipped = BRINDLE_CLI_PATH;
    const std::string mistake = "brindle-cli: The name pattern has a mistake at character ";
    const std::vector<PatternCase> cases = {
        {"mistake/Batch",
         tokens,
         {"--write-log", "--log={D}b.log", "--pattern=x{test.echo}", "--folder={D}w"},
         2,
         mistake + "12: \"test.echo\" needs a text after ':'.\n",
         {"w/", "w/a.txt"}},
        {"mistake/Preview",
         tokens,
         {"--preview", "--pattern={test.none:x}", "--folder={D}w"},
         2,
         mistake + "12: \"test.none\" takes no argument.\n",
         {"w/", "w/a.txt"}},
        {"mistake/DryRunOfDroppedFiles",
         tokens,
         {"--dry-run", "--pattern={test.echo|nope:x}", "{D}w/a.txt"},
         2,
         mistake + "12: \"nope\" is no token.\n",
         {"w/", "w/a.txt"}},
        {"token/Known",
         tokens,
         {"--pattern={test.echo:x}-/O", "--folder={D}w"},
         0,
         "",
         {"w/", "w/x-a.txt"}},
        {"token/SlashInTheValueBecomesADash",
         tokens,
         {"--pattern={test.echo:a/b}", "--folder={D}w"},
         0,
         "",
         {"w/", "w/a-b.txt"}},
        {"unknown/OrdinaryText",
         shipped,
         {"--pattern={test.echo}", "--folder={D}w"},
         0,
         "",
         {"w/", "w/{test.echo}.txt"}},
        {"unknown/EscapesInside",
         shipped,
         {"--pattern={x:/O}", "--folder={D}w"},
         0,
         "",
         {"w/", "w/{x:a}.txt"}},
    };
    for (const PatternCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        temp.createFile("w/a.txt");
        // No log unless a case asks for one, whatever configuration the program finds.
        Strings args = {"--no-write-log"};
        for (const std::string& arg : Filled(c.args, {{"{D}", temp.path().string() + "/"}}))
            args.push_back(arg);
        const CliResult result = RunCli(CliRun(args).withBinary(c.binary));
        EXPECT_EQ(result.status, c.exitStatus);
        EXPECT_EQ(result.err, Filled(c.err, {{"{D}", temp.path().string() + "/"}}));
        if (c.exitStatus == 2) {
            EXPECT_EQ(result.out, "");
        }
        EXPECT_EQ(temp.listing(), c.listing);
    }
}

}  // namespace
}  // namespace brindle::testing
