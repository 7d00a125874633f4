#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "batch/LogLineReader.h"

namespace brindle {
namespace {

struct Read {
    std::vector<std::string> lines;
    std::vector<std::uint64_t> offsets;
    std::uint64_t complete = 0;
    bool failed = false;
};

// Reads `bytes` through a source that gives at most `most` bytes a call, and fails after
// `failAfter` bytes where that is given.
Read ReadAll(const std::string& bytes, std::size_t most,
             std::size_t failAfter = std::string::npos) {
    std::size_t given = 0;
    const LogLineReader::ReadBytes source = [&](char* buffer, std::size_t size) -> long {
        if (given >= failAfter)
            return -1;
        const std::size_t count = std::min({size, most, bytes.size() - given});
        std::memcpy(buffer, bytes.data() + given, count);
        given += count;
        return static_cast<long>(count);
    };
    LogLineReader reader(source);
    Read read;
    LogLine line;
    while (reader.Next(line)) {
        read.lines.emplace_back(line.text);
        read.offsets.push_back(line.offset);
    }
    read.complete = reader.completeBytes();
    read.failed = reader.failed();
    return read;
}

// However the bytes come, the same lines at the same offsets: lines that cross the reads,
// lines longer than the reader's own chunk, CR LF and LF, and a torn last line.
TEST(LogLineReaderTest, LinesAndOffsetsDoNotDependOnHowTheBytesCome) {
    const std::string longLine(200000, 'x');
    const std::string bytes = "Old File=a\r\nNew File=b\n\n" + longLine + "\r\nshort\n" +
                              std::string(70000, 'y') + "\ntorn";
    const std::vector<std::string> lines = {"Old File=a", "New File=b", "",
                                            longLine,     "short",      std::string(70000, 'y')};
    std::vector<std::uint64_t> offsets;
    std::uint64_t at = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        offsets.push_back(at);
        at = bytes.find('\n', at) + 1;
    }
    for (const std::size_t most : {std::size_t{1}, std::size_t{7}, std::size_t{4096},
                                   std::size_t{65536}, std::size_t{1} << 20}) {
        SCOPED_TRACE(most);
        const Read read = ReadAll(bytes, most);
        EXPECT_EQ(read.lines, lines);
        EXPECT_EQ(read.offsets, offsets);
        EXPECT_EQ(read.complete, bytes.size() - 4);
        EXPECT_FALSE(read.failed);
    }
}

TEST(LogLineReaderTest, AFailedReadEndsTheLinesAndSaysSo) {
    const std::string bytes = "one\ntwo\nthree\n";
    const Read read = ReadAll(bytes, 3, 6);
    EXPECT_EQ(read.lines, std::vector<std::string>{"one"});
    EXPECT_EQ(read.complete, 4u);
    EXPECT_TRUE(read.failed);
}

}  // namespace
}  // namespace brindle
