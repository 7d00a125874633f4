// Names at the edges of what a name can be, and paths longer than the system takes at
// once: through a logged batch and its Undo, every name comes back byte for byte.
#include <gtest/gtest.h>

#include <filesystem>

#include "CliProcess.h"
#include "FileTree.h"
#include "TempFolder.h"

namespace brindle::testing {
namespace {

namespace fs = std::filesystem;

const std::string kFailed = "(Unknown Error Aquired)";

struct NameCase {
    const char* name;
    std::string file;     // created in the folder, holding its own name
    Strings options;      // of the batch
    std::string newName;  // on disk after the batch; empty: kept (the rename failed)
};

TEST(NamesAndPaths, NamesRoundTripThroughTheLog) {
    const std::string longest = std::string(251, 'a') + ".txt";  // 255 bytes
    const auto cyrillic = [](const std::string& letter, const std::string& extension) {
        std::string text;
        for (int i = 0; i < 126; ++i)
            text += letter;       // two bytes
        return text + extension;  // 255 bytes
    };
    const std::vector<NameCase> cases = {
        {"length/255Bytes", longest, {"--case=upper"}, std::string(251, 'A') + ".TXT"},
        {"length/255BytesOfCyrillic",
         cyrillic("\xD1\x8F", ".tx"),  // 'я'
         {"--case=upper"},
         cyrillic("\xD0\xAF", ".TX")},  // 'Я'
        {"length/GrowsPast255Bytes", longest, {"--pattern=/O-/3"}, ""},
        {"bytes/InvalidUtf8", "\xff\xfe\x80 \xc3.txt", {"--case=upper"}, "\xff\xfe\x80 \xc3.TXT"},
        {"bytes/LoneSurrogateEncoded", "\xed\xa0\x80.txt", {"--case=upper"}, "\xed\xa0\x80.TXT"},
        {"bytes/ControlCharacters", "a\x01\x1b[31m.txt", {"--case=upper"}, "A\x01\x1b[31M.TXT"},
        // The line-based log cannot hold a line break: no record, so no rename.
        {"breaks/LineFeed", "two\nlines.txt", {"--case=upper"}, ""},
        {"breaks/CarriageReturn", "two\rlines.txt", {"--case=upper"}, ""},
        {"dashes/Leading", "--help.txt", {"--case=upper"}, "--HELP.TXT"},
        {"dashes/Single", "-", {"--pattern=-/O"}, "--"},
        {"separators/BackslashAndColon", "12:30 a\\b.txt", {"--case=upper"}, "12:30 A\\B.TXT"},
        {"separators/BackslashMadeByThePattern", "x.txt", {"--pattern=a\\\\b"}, "ab.txt"},
        {"keys/NameThatIsALogKey", "New File=a.txt", {"--case=upper"}, "NEW FILE=A.TXT"},
        // No dot: the whole name is its extension, and comes after the pattern's text.
        {"keys/NameThatIsTheSeparator",
         std::string(43, '-'),
         {"--pattern=/Ox"},
         "x" + std::string(43, '-')},
        {"dots/Hidden", ".hidden", {"--case=upper"}, ".HIDDEN"},
        {"dots/NewNameDotDot", "a..", {"--pattern=."}, ""},
        {"spaces/Only", "   ", {"--pattern=/O_"}, "_   "},
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempFolder temp;
        const std::string t = temp.path().string();
        fs::create_directory(t + "/w");
        WriteFile(t + "/w/" + c.file, c.file);
        const std::string log = t + "/b.log";
        Strings args = {"--write-log", "--quiet", "--log", log};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.insert(args.end(), {"--folder", t + "/w"});
        const CliResult batch = RunCli(CliRun(args));
        EXPECT_EQ(batch.signal, 0);
        const bool renamed = !c.newName.empty();
        // A name that fails says why, after its row.
        if (renamed)
            EXPECT_EQ(batch.err, "");
        else
            EXPECT_TRUE(batch.err.starts_with("brindle-cli: " + t + "/w/")) << batch.err;
        EXPECT_EQ(batch.status, renamed ? 0 : 1);
        EXPECT_EQ(ReadTree(t + "/w"), (Tree{{renamed ? c.newName : c.file, "file:" + c.file}}));

        // A batch whose only record could not be written leaves no log.
        const bool logged = access(log.c_str(), F_OK) == 0;
        const CliResult undo = RunCli(CliRun({"--undo", "--quiet", "--delete-log", "--log", log}));
        EXPECT_EQ(undo.signal, 0);
        // A record never renamed is passed over, and said so, not an error.
        EXPECT_EQ(undo.status, logged ? 0 : 2);
        EXPECT_EQ(undo.err, !logged   ? "brindle-cli: Error opening file: " + log + "\n"
                            : renamed ? ""
                                      : "brindle-cli: nothing left to undo; passed over: 1 never "
                                        "renamed\n");
        EXPECT_EQ(ReadTree(t + "/w"), (Tree{{c.file, "file:" + c.file}}));
    }
}

// Below w/, folders of 200 bytes each, deeper than PATH_MAX twice over; files at the top,
// in the middle and at the bottom.
class LongPaths : public ::testing::Test {
protected:
    static constexpr int kLevels = 45;

    void SetUp() override {
        t_ = temp_.path().string();
        ASSERT_EQ(mkdir((t_ + "/w").c_str(), 0755), 0);
        int fd = open((t_ + "/w").c_str(), O_RDONLY | O_DIRECTORY);
        ASSERT_GE(fd, 0);
        deep_ = t_ + "/w";
        MakeFile(fd, "TOP.TXT");
        for (int level = 0; level < kLevels; ++level) {
            const std::string name =
                std::string(200, static_cast<char>('A' + level % 26)) + std::to_string(level);
            ASSERT_EQ(mkdirat(fd, name.c_str(), 0755), 0);
            const int next = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
            ASSERT_GE(next, 0);
            close(fd);
            fd = next;
            deep_ += "/" + name;
            if (level == kLevels / 2)
                MakeFile(fd, "MIDDLE.TXT");
        }
        MakeFile(fd, "DEEP.TXT");
        close(fd);
        ASSERT_GT(deep_.size(), 2u * PATH_MAX);
        original_ = ReadTree(t_ + "/w");
    }
    void TearDown() override {
        const int fd = open(t_.c_str(), O_RDONLY | O_DIRECTORY);
        if (fd >= 0) {
            RemoveBelow(fd);
            close(fd);
        }
    }
    static void MakeFile(int fd, const std::string& name) {
        const int file = openat(fd, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(file, 0);
        ASSERT_EQ(write(file, name.data(), name.size()), static_cast<ssize_t>(name.size()));
        close(file);
    }
    int Renamed() const {
        int count = 0;
        for (const auto& [path, what] : ReadTree(t_ + "/w", false)) {
            for (const char* name : {"top.txt", "middle.txt", "deep.txt"})
                count += path.ends_with(name) ? 1 : 0;
        }
        return count;
    }

    testing::TempFolder temp_;
    std::string t_;
    std::string deep_;
    Tree original_;
};

TEST_F(LongPaths, ScannedRenamedLoggedAndUndone) {
    const std::string log = t_ + "/b.log";
    const CliResult batch = RunCli(CliRun({"--write-log", "--tsv", "--log", log, "--case=lower",
                                           "--subfolders", "--folder", t_ + "/w"}));
    EXPECT_EQ(batch.status, 0) << batch.err;
    EXPECT_EQ(Lines(batch.out).size(), 5u);  // header, three rows, status
    EXPECT_EQ(Renamed(), 3);
    // The log holds the deep folder whole, in one line.
    EXPECT_NE(ReadFile(log).find("Old Directory=" + deep_ + "/\r\n"), std::string::npos);

    const CliResult undo = RunCli(CliRun({"--undo", "--quiet", "--delete-log", "--log", log}));
    EXPECT_EQ(undo.status, 0) << undo.err;
    EXPECT_EQ(undo.out, Status(3, 0, 10, 10, 0) + "\n");
    EXPECT_TRUE(ReadTree(t_ + "/w") == original_);
}

TEST_F(LongPaths, DroppedPathLongerThanTheSystemTakes) {
    const std::string log = t_ + "/b.log";
    const CliResult batch = RunCli(
        CliRun({"--write-log", "--quiet", "--log", log, "--case=lower", deep_ + "/DEEP.TXT"}));
    EXPECT_EQ(batch.status, 0) << batch.err;
    EXPECT_EQ(Renamed(), 1);
    const CliResult undo = RunCli(CliRun({"--undo", "--quiet", "--delete-log", "--log", log}));
    EXPECT_EQ(undo.status, 0) << undo.err;
    EXPECT_TRUE(ReadTree(t_ + "/w") == original_);

    // And a --folder that long.
    const CliResult folder =
        RunCli(CliRun({"--no-write-log", "--quiet", "--case=lower", "--folder", deep_}));
    EXPECT_EQ(folder.status, 0) << folder.err;
    EXPECT_EQ(folder.out, Status(1, 1, 8, 8, 0) + "\n");
}

}  // namespace
}  // namespace brindle::testing
