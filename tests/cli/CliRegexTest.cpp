// Regular expressions through brindle-cli on real files: the replacement's syntax on the
// disk's names (byte escapes kept as the bytes they were), a mistake in the expression or
// the replacement stopping every kind of run with status 2 and nothing renamed, and a
// match past the limits failing its item while the batch goes on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CliProcess.h"
#include "Placeholders.h"
#include "TempFolder.h"

namespace brindle::testing {
namespace {

struct RegexCase {
    const char* name;
    Strings files;  // below the temporary folder
    Strings args;   // "{D}" is the temporary folder
    int exitStatus;
    std::string err;  // the whole of standard error
    Strings listing;  // afterwards
};

TEST(CliRegexTest, OnRealFiles) {
    const std::string slow = std::string(100, 'a') + "!";
    const std::vector<RegexCase> cases = {
        {"groups",
         {"w/IMG_0042.jpg", "w/notes.txt"},
         {"--regex", "--replace-what", "^IMG_(\\d+)", "--replace-with", "Photo-$1", "--folder",
          "{D}w"},
         0,
         "",
         {"w/", "w/Photo-0042.jpg", "w/notes.txt"}},
        {"namedGroupsAndCase",
         {"w/2024-05 путь.txt"},
         {"--regex", "--replace-what", "(?<y>\\d+)-(?<m>\\d+) (\\w)", "--replace-with",
          "${m}.${y} \\u$3", "--folder", "{D}w"},
         0,
         "",
         {"w/", "w/05.2024 Путь.txt"}},
        {"emptyMatchesAsSed",
         {"w/abc"},
         {"--regex", "--replace-what", "x*", "--replace-with", "-", "{D}w/abc"},
         0,
         "",
         {"w/", "w/-a-b-c-"}},
        {"byteEscapesKept",
         {"w/a\x80z.txt"},
         {"--regex", "--without-extension", "--replace-what", ".", "--replace-with", "\\U$0",
          "{D}w/a\x80z.txt"},
         0,
         "",
         {"w/", "w/A\x80Z.txt"}},
        {"offIsPlainText",
         {"w/a.b"},
         {"--no-regex", "--replace-what", ".", "--replace-with", "$0", "--folder", "{D}w"},
         0,
         "",
         {"w/", "w/a$0b"}},
        {"mistake/Batch",
         {"w/ab"},
         {"--write-log", "--log={D}b.log", "--regex", "--replace-what", "a(b", "--folder", "{D}w"},
         2,
         "brindle-cli: The regular expression \"a(b\u25B8\" has a mistake at \u25B8: missing "
         "closing parenthesis.\n",
         {"w/", "w/ab"}},
        {"mistake/Preview",
         {"w/ab"},
         {"-n", "--regex", "--replace-what", "(a)", "--replace-with", "$1$2", "--folder", "{D}w"},
         2,
         "brindle-cli: The replacement \"$1\u25B8$2\" has a mistake at \u25B8: no group 2.\n",
         {"w/", "w/ab"}},
        {"mistake/DryRunOfDroppedFiles",
         {"w/ab"},
         {"--dry-run", "--regex", "--replace-what", "a", "--replace-with", "${x}", "{D}w/ab"},
         2,
         "brindle-cli: The replacement \"\u25B8${x}\" has a mistake at \u25B8: no group named "
         "x.\n",
         {"w/", "w/ab"}},
        {"tooLong",
         {"w/" + slow, "w/b1"},
         {"--regex", "--replace-what", "(a+)+$|1", "--replace-with", "x", "--folder", "{D}w"},
         1,
         "brindle-cli: {D}w/" + slow + ": the regular expression took too long\n",
         {"w/", "w/" + slow, "w/bx"}},
        {"slashIsNoName",
         {"w/a b"},
         {"--regex", "--replace-what", " ", "--replace-with", "/", "--folder", "{D}w"},
         1,
         "brindle-cli: {D}w/a b: the new name cannot be a name\n",
         {"w/", "w/a b"}},
    };
    for (const RegexCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        for (const std::string& file : c.files)
            temp.createFile(file);
        const Placeholder folder{"{D}", temp.path().string() + "/"};
        // No log unless a case asks for one, whatever configuration the program finds.
        Strings args = {"--no-write-log"};
        for (const std::string& arg : Filled(c.args, {folder}))
            args.push_back(arg);
        const CliResult result = RunCli(CliRun(args).withBinary(BRINDLE_CLI_PATH));
        EXPECT_EQ(result.status, c.exitStatus);
        EXPECT_EQ(result.err, Filled(c.err, {folder}));
        if (c.exitStatus == 2) {
            EXPECT_EQ(result.out, "");
        }
        EXPECT_EQ(temp.listing(), c.listing);
    }
}

}  // namespace
}  // namespace brindle::testing
