// A batch ordered across a tree holds each of its folders open until it ends: more folders
// than a desktop session's usual soft limit of descriptors (1024, here made 64) must
// still all be renamed, and numbered as one series.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "CliProcess.h"
#include "PhotoFileBytes.h"
#include "TempFolder.h"

namespace brindle::testing {
namespace {

TEST(CliOpenFoldersTest, AcrossFoldersRenamesATreeOfMoreFoldersThanTheSoftLimit) {
    constexpr int kFolders = 150;
    TempFolder temp;
    const std::filesystem::path top = temp.path() / "tree";
    for (int i = 0; i < kFolders; ++i) {
        const std::filesystem::path folder = top / ("d" + std::to_string(i));
        std::filesystem::create_directories(folder);
        WriteBytes((folder / "photo.jpg").string(), "x");
    }
    const CliResult result =
        RunCli(CliRun({"--no-write-log", "--quiet", "--across-folders", "--subfolders",
                       "--pattern={n:3}", "--folder=" + top.string()})
                   .limitOpenFiles(64));
    ASSERT_EQ(result.status, 0) << result.err;
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(top)) {
        if (entry.is_regular_file())
            names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    ASSERT_EQ(names.size(), static_cast<std::size_t>(kFolders));
    for (int i = 0; i < kFolders; ++i) {
        char expected[16];
        std::snprintf(expected, sizeof expected, "%03d.jpg", i + 1);
        EXPECT_EQ(names[static_cast<std::size_t>(i)], expected);
    }
}

}  // namespace
}  // namespace brindle::testing
