// The read-ahead of what files hold, on real files: what was asked for comes back for the
// file it was asked for, whichever thread read it; what was never asked for is the
// caller's to read; and a read-ahead dropped with files still waiting ends at once.
#include "batch/HeldFactsReadAhead.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "platform/NameCodec.h"
#include "tests/support/TempFolder.h"

namespace brindle {
namespace {

TEST(HeldFactsReadAheadTest, EachFileComesBackAsItsOwn) {
    testing::TempFolder folder;
    constexpr int kFiles = 300;
    for (int i = 0; i < kFiles; ++i) {
        // Files of different sizes, and every tenth name is a folder: each gives a facts'
        // problem of its own kind, so that a mix-up shows.
        const std::string name = "f" + std::to_string(i) + ".mp3";
        if (i % 10 == 0)
            std::filesystem::create_directory(folder.path() / name);
        else
            std::ofstream(folder.path() / name) << std::string(static_cast<std::size_t>(i), 'x');
    }
    auto open =
        std::make_shared<const OpenFolder>(OpenFolder::AtPath(DecodeName(folder.path().string())));
    ASSERT_TRUE(open->isOpen());
    for (const unsigned threads : {1u, 3u}) {
        HeldFactsReadAhead readAhead(HeldFactsNeeds{false, true, {}}, threads);
        for (int i = 0; i < kFiles; ++i)
            readAhead.Ask(open, "f" + std::to_string(i) + ".mp3");
        // Asked twice: still one file to take.
        readAhead.Ask(open, "f1.mp3");
        for (int i = 0; i < kFiles; ++i) {
            const std::string name = "f" + std::to_string(i) + ".mp3";
            const auto facts = readAhead.Take(*open, name);
            ASSERT_NE(facts, nullptr) << name;
            EXPECT_EQ(facts->problem == "not a regular file", i % 10 == 0) << name;
            EXPECT_EQ(readAhead.Take(*open, name), nullptr) << name;
        }
        EXPECT_EQ(readAhead.Take(*open, "never.mp3"), nullptr);
    }
}

TEST(HeldFactsReadAheadTest, DroppedWithFilesWaitingItEnds) {
    testing::TempFolder folder;
    auto open =
        std::make_shared<const OpenFolder>(OpenFolder::AtPath(DecodeName(folder.path().string())));
    HeldFactsReadAhead readAhead(HeldFactsNeeds{true, false, {}}, 2);
    for (int i = 0; i < 10000; ++i)
        readAhead.Ask(open, "missing" + std::to_string(i));
}

}  // namespace
}  // namespace brindle
