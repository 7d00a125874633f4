// brindle-cli numbering real folders in the order chosen and renaming only the items the
// filters take: files with real sizes, modification times and photos with a date taken,
// per folder and across folders, trees and drops from several folders, "Folders Only", the
// names of items left out, Undo of such batches, and the mistakes that stop a batch.
#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "CliProcess.h"
#include "FileTree.h"
#include "PhotoFileBytes.h"
#include "TempFolder.h"

namespace brindle::testing {
namespace {

// A file of `size` bytes, last modified `seconds` after 2023-11-14 22:13:20 UTC.
void MakeFile(const TempFolder& temp, const std::string& relative, std::size_t size,
              long seconds = 0) {
    temp.createFile(relative, std::string(size, 'x'));
    const timespec times[2] = {{0, UTIME_OMIT}, {1700000000 + seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, (temp.path() / relative).c_str(), times, 0), 0);
}

// brindle-cli with `args`, "{D}" in them standing for the temporary folder.
CliResult RunIn(const TempFolder& temp, Strings args, bool logged = false) {
    for (std::string& arg : args) {
        for (std::size_t at; (at = arg.find("{D}")) != std::string::npos;)
            arg.replace(at, 3, temp.path().string() + "/");
    }
    if (!logged)
        args.insert(args.begin(), "--no-write-log");
    return RunCli(CliRun(args).withEnvironment({"TZ=UTC"}));
}

struct Case {
    const char* name;
    Strings args;
    Strings listing;  // afterwards
};

void RunCases(const std::function<void(const TempFolder&)>& make, const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        make(temp);
        const CliResult result = RunIn(temp, c.args);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(temp.listing(), c.listing);
    }
}

TEST(CliOrderTest, NumbersFollowTheOrderOfAFolder) {
    // Sizes and times disagree, and c and d tie on both.
    const auto make = [](const TempFolder& temp) {
        MakeFile(temp, "w/a.txt", 30, 100);
        MakeFile(temp, "w/b.txt", 10, 300);
        MakeFile(temp, "w/c.txt", 20, 200);
        MakeFile(temp, "w/d.dat", 20, 200);
    };
    const std::string w = "--folder={D}w";
    RunCases(make, {
                       {"natural",
                        {"--pattern={n}-/O", w},
                        {"w/", "w/1-a.txt", "w/2-b.txt", "w/3-c.txt", "w/4-d.dat"}},
                       {"modified",
                        {"--order=modified", "--pattern={n}-/O", w},
                        {"w/", "w/1-a.txt", "w/2-c.txt", "w/3-d.dat", "w/4-b.txt"}},
                       {"modified reversed: ties stay in natural order",
                        {"--order=modified", "--reverse-order", "--pattern={n}-/O", w},
                        {"w/", "w/1-b.txt", "w/2-c.txt", "w/3-d.dat", "w/4-a.txt"}},
                       {"size",
                        {"--order=size", "--pattern=/1-/O", w},
                        {"w/", "w/0-b.txt", "w/1-c.txt", "w/2-d.dat", "w/3-a.txt"}},
                       {"size reversed",
                        {"--order", "size", "--reverse-order", "--pattern={n}-/O", w},
                        {"w/", "w/1-a.txt", "w/2-c.txt", "w/3-d.dat", "w/4-b.txt"}},
                       {"extension, then natural",
                        {"--order=extension", "--pattern={n}-/O", w},
                        {"w/", "w/1-d.dat", "w/2-a.txt", "w/3-b.txt", "w/4-c.txt"}},
                       {"tokens",
                        {"--order={modified:%Y%m%d%H%M%S}", "--pattern={n}-/O", w},
                        {"w/", "w/1-a.txt", "w/2-c.txt", "w/3-d.dat", "w/4-b.txt"}},
                       {"a counter down from 10",
                        {"--order=size", "--pattern={n:2,step=-1,start=10}-/O", w},
                        {"w/", "w/07-a.txt", "w/08-d.dat", "w/09-c.txt", "w/10-b.txt"}},
                   });
}

// Photos without a date taken (one with no Exif at all, a text file) come last, in
// natural order, reversed or not; the pattern reading other tags of the same files reads
// them alike, over two folders ordered as one.
TEST(CliOrderTest, PhotosByTheirDateTakenThoseWithoutOneLast) {
    const auto make = [](const TempFolder& temp) {
        std::filesystem::create_directories(temp.path() / "w/s");
        const auto photo = [&](const std::string& name, const std::string& taken,
                               const std::string& model) {
            PhotoWith(temp, name,
                      {{"Exif.Photo.DateTimeOriginal", taken}, {"Exif.Image.Model", model}});
        };
        photo("w/IMG_3.jpg", "2024:01:01 10:00:00", "Zed");
        photo("w/s/IMG_1.jpg", "2025:06:01 10:00:00", "Alpha");
        photo("w/IMG_2.jpg", "2023:03:03 10:00:00", "Alpha");
        WriteBytes((temp.path() / "w/scan.jpg").string(), TinyJpeg());
        temp.createFile("w/s/notes.txt", "no photo");
    };
    const Strings across = {"--across-folders", "--subfolders", "--folder={D}w"};
    const auto with = [&across](Strings args) {
        args.insert(args.end(), across.begin(), across.end());
        return args;
    };
    RunCases(
        make,
        {
            {"taken",
             with({"--order=taken", "--pattern={n}-/O"}),
             {"w/", "w/1-IMG_2.jpg", "w/2-IMG_3.jpg", "w/5-scan.jpg", "w/s/", "w/s/3-IMG_1.jpg",
              "w/s/4-notes.txt"}},
            {"taken reversed",
             with({"--order=taken", "--reverse-order", "--pattern={n}-/O"}),
             {"w/", "w/2-IMG_3.jpg", "w/3-IMG_2.jpg", "w/5-scan.jpg", "w/s/", "w/s/1-IMG_1.jpg",
              "w/s/4-notes.txt"}},
            {"taken, the pattern reading the model",
             with({"--order=taken", "--pattern={n}-{exif.model}"}),
             {"w/", "w/1-Alpha.jpg", "w/2-Zed.jpg", "w/5-.jpg", "w/s/", "w/s/3-Alpha.jpg",
              "w/s/4-.txt"}},
            {"model then taken",
             with({"--order={exif.model}{taken}", "--pattern={n}-/O"}),
             {"w/", "w/1-IMG_2.jpg", "w/3-IMG_3.jpg", "w/5-scan.jpg", "w/s/", "w/s/2-IMG_1.jpg",
              "w/s/4-notes.txt"}},
            {"a drop",
             {"--order=taken", "--pattern={n}-{exif.model}", "{D}w/s/notes.txt", "{D}w/IMG_3.jpg",
              "{D}w/s/IMG_1.jpg", "{D}w/IMG_2.jpg"},
             {"w/", "w/1-Alpha.jpg", "w/2-Zed.jpg", "w/s/", "w/s/3-Alpha.jpg", "w/s/4-.txt",
              "w/scan.jpg"}},
            {"per folder, the pattern reading the model",
             {"--order=taken", "--subfolders", "--pattern={n}-{exif.model}", "--folder={D}w"},
             {"w/", "w/1-Alpha.jpg", "w/2-Zed.jpg", "w/5-.jpg", "w/s/", "w/s/3-Alpha.jpg",
              "w/s/4-.txt"}},
            {"per folder",
             {"--order=taken", "--subfolders", "--pattern={n}.{n:per-folder}-/O", "--folder={D}w"},
             {"w/", "w/1.1-IMG_2.jpg", "w/2.2-IMG_3.jpg", "w/5.3-scan.jpg", "w/s/",
              "w/s/3.1-IMG_1.jpg", "w/s/4.2-notes.txt"}},
        });
}

// One tree and one drop from three folders, each numbered per folder or as one; the
// whole batch planned first is renamed whole, and Undo puts every name back.
TEST(CliOrderTest, PerFolderOrAcrossFolders) {
    const auto tree = [](const TempFolder& temp) {
        MakeFile(temp, "w/a.txt", 5);
        MakeFile(temp, "w/b.txt", 1);
        MakeFile(temp, "w/s/c.txt", 3);
        MakeFile(temp, "w/s/d.txt", 2);
        MakeFile(temp, "w/t/e.txt", 4);
    };
    const std::string pattern = "--pattern={n}.{n:per-folder}-/O";
    RunCases(tree,
             {
                 {"per folder",
                  {"--order=size", "--subfolders", pattern, "--folder={D}w"},
                  {"w/", "w/1.1-b.txt", "w/2.2-a.txt", "w/s/", "w/s/3.1-d.txt", "w/s/4.2-c.txt",
                   "w/t/", "w/t/5.1-e.txt"}},
                 {"across folders",
                  {"--order=size", "--subfolders", "--across-folders", pattern, "--folder={D}w"},
                  {"w/", "w/1.1-b.txt", "w/5.2-a.txt", "w/s/", "w/s/2.1-d.txt", "w/s/3.2-c.txt",
                   "w/t/", "w/t/4.1-e.txt"}},
             });

    const auto drop = [](const TempFolder& temp) {
        MakeFile(temp, "x/a.txt", 3);
        MakeFile(temp, "y/b.txt", 1);
        MakeFile(temp, "z/c.txt", 2);
    };
    const Strings paths = {"{D}z/c.txt", "{D}x/a.txt", "{D}y/b.txt"};
    const auto with = [&paths](Strings args) {
        args.insert(args.end(), paths.begin(), paths.end());
        return args;
    };
    RunCases(drop, {
                       {"natural: the drop's order",
                        with({pattern}),
                        {"x/", "x/2.1-a.txt", "y/", "y/3.1-b.txt", "z/", "z/1.1-c.txt"}},
                       {"natural across folders: the drop's order",
                        with({"--across-folders", pattern}),
                        {"x/", "x/2.1-a.txt", "y/", "y/3.1-b.txt", "z/", "z/1.1-c.txt"}},
                       {"size",
                        with({"--order=size", pattern}),
                        {"x/", "x/3.1-a.txt", "y/", "y/1.1-b.txt", "z/", "z/2.1-c.txt"}},
                       {"size reversed, across folders",
                        with({"--order=size", "--reverse-order", "--across-folders", pattern}),
                        {"x/", "x/1.1-a.txt", "y/", "y/3.1-b.txt", "z/", "z/2.1-c.txt"}},
                   });

    // Equal keys and equal names in different folders go in the tree's order, whatever
    // order the filesystem lists them in (made last to first).
    const auto sameNames = [](const TempFolder& temp) {
        for (const char* folder : {"w/d/", "w/c/", "w/b/", "w/"})
            MakeFile(temp, std::string(folder) + "a.txt", 1);
    };
    const Strings ties = {"--subfolders", "--across-folders", "--pattern={n}-/O", "--folder={D}w"};
    const Strings tied = {"w/",   "w/1-a.txt",   "w/b/", "w/b/2-a.txt",
                          "w/c/", "w/c/3-a.txt", "w/d/", "w/d/4-a.txt"};
    std::vector<Case> tieCases;
    for (const char* order : {"--order=natural", "--order=size", "--order=extension"}) {
        Strings args = ties;
        args.insert(args.begin(), order);
        tieCases.push_back({order, args, tied});
    }
    RunCases(sameNames, tieCases);

    // Planned whole, applied in groups, logged: all of it renamed, all of it put back.
    TempFolder temp;
    for (int i = 0; i < 300; ++i)
        MakeFile(temp,
                 "w/" + std::string(1, static_cast<char>('a' + i % 3)) + "/f" + std::to_string(i) +
                     ".txt",
                 static_cast<std::size_t>(i));
    const Strings before = temp.listing();
    const std::string log = temp.path().string() + "/rename.log";
    const CliResult result =
        RunIn(temp,
              {"--write-log", "--log", log, "--quiet", "--order=size", "--reverse-order",
               "--across-folders", "--subfolders", "--pattern={n:3}", "--folder={D}w"},
              true);
    EXPECT_EQ(result.status, 0) << result.err;
    for (int i = 0; i < 300; ++i) {
        std::string number = std::to_string(300 - i);
        number.insert(0, 3 - number.size(), '0');
        const std::string renamed =
            "w/" + std::string(1, static_cast<char>('a' + i % 3)) + "/" + number + ".txt";
        ASSERT_TRUE(temp.exists(renamed)) << renamed;
        EXPECT_EQ(std::filesystem::file_size(temp.path() / renamed), static_cast<std::size_t>(i));
    }
    const CliResult undo = RunCli(CliRun({"--undo", "--quiet", "--delete-log", "--log", log}));
    EXPECT_EQ(undo.status, 0) << undo.err;
    EXPECT_EQ(temp.listing(), before);
}

// A drop of files and a folder with "Rename Dir" under an order by size: the files sorted,
// the folder's contents after the files before it, the dropped folder itself last.
TEST(CliOrderTest, ADropOfFilesAndAFolderInAnOrder) {
    const auto make = [](const TempFolder& temp) {
        MakeFile(temp, "x/a.txt", 9);
        MakeFile(temp, "x/b.txt", 1);
        MakeFile(temp, "y/f.txt", 5);
        MakeFile(temp, "y/g.txt", 7);
    };
    const auto drop = [](Strings args) {
        args.insert(args.end(), {"--rename-dirs", "--subfolders", "--pattern={n}-/O", "{D}x/a.txt",
                                 "{D}y", "{D}x/b.txt"});
        return args;
    };
    RunCases(make, {
                       {"natural: as dropped",
                        drop({}),
                        {"5-y/", "5-y/2-f.txt", "5-y/3-g.txt", "x/", "x/1-a.txt", "x/4-b.txt"}},
                       {"natural across folders: as dropped",
                        drop({"--across-folders"}),
                        {"5-y/", "5-y/2-f.txt", "5-y/3-g.txt", "x/", "x/1-a.txt", "x/4-b.txt"}},
                       {"size",
                        drop({"--order=size"}),
                        {"5-y/", "5-y/3-f.txt", "5-y/4-g.txt", "x/", "x/1-b.txt", "x/2-a.txt"}},
                       {"size across folders",
                        drop({"--order=size", "--across-folders"}),
                        {"5-y/", "5-y/2-f.txt", "5-y/3-g.txt", "x/", "x/1-b.txt", "x/4-a.txt"}},
                   });
}

// Across folders every folder with an item stays open until the batch ends: a tree of
// more folders than the soft limit of open descriptors allows is renamed whole.
TEST(CliOrderTest, AcrossMoreFoldersThanTheSoftLimitOfOpenFiles) {
    TempFolder temp;
    for (int i = 0; i < 300; ++i)
        temp.createFile("w/d" + std::to_string(i) + "/f.txt");
    const CliResult result =
        RunCli(CliRun({"-c", "ulimit -Sn 256 && exec \"$0\" \"$@\"", BRINDLE_CLI_PATH,
                       "--no-write-log", "--quiet", "--subfolders", "--across-folders",
                       "--pattern={n}", "--folder=" + temp.path().string() + "/w"})
                   .withBinary("/bin/sh"));
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    // Equal names in the tree's order: d0, d1, d2, ...
    for (int i = 0; i < 300; ++i) {
        const std::string renamed =
            "w/d" + std::to_string(i) + "/" + std::to_string(i + 1) + ".txt";
        EXPECT_TRUE(temp.exists(renamed)) << renamed;
    }
}

// A folder that cannot be read is told of and takes no number.
TEST(CliOrderTest, AnUnreadableFolderTakesNoNumber) {
    for (const bool across : {false, true}) {
        SCOPED_TRACE(across ? "across folders" : "per folder");
        TempFolder temp;
        temp.createFiles({"w/a.txt", "w/b/x.txt", "w/c.txt", "w/d/b2.txt"});
        GiveToOrdinaryUser(temp.path().string());
        ASSERT_EQ(chmod(temp.path().c_str(), 0755), 0);
        ASSERT_EQ(chmod((temp.path() / "w/b").c_str(), 0), 0);
        Strings args = {"--no-write-log", "--quiet", "--subfolders", "--pattern={n}-/O",
                        "--folder=" + temp.path().string() + "/w"};
        if (across)
            args.insert(args.begin(), "--across-folders");
        const CliResult result = RunCli(CliRun(args).asUser());
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find("Permission denied"), std::string::npos) << result.err;
        EXPECT_EQ(temp.listing(), (across ? Strings{"w/", "w/1-a.txt", "w/3-c.txt", "w/b/",
                                                    "w/b/x.txt", "w/d/", "w/d/2-b2.txt"}
                                          : Strings{"w/", "w/1-a.txt", "w/2-c.txt", "w/b/",
                                                    "w/b/x.txt", "w/d/", "w/d/3-b2.txt"}));
    }
}

TEST(CliOrderTest, FiltersChooseTheItems) {
    const auto make = [](const TempFolder& temp) {
        temp.createFiles({"w/a.jpg", "w/b.JPG", "w/c.png", "w/.hidden.jpg", "w/notes.txt",
                          "w/sub/d.jpg", "w/sub/e.txt"});
    };
    const std::string w = "--folder={D}w";
    RunCases(make, {
                       {"include, letter case ignored, '*' takes a leading dot",
                        {"--include=*.jpg", "--pattern={n}_/O", w},
                        {"w/", "w/1_.hidden.jpg", "w/2_a.jpg", "w/3_b.JPG", "w/c.png",
                         "w/notes.txt", "w/sub/", "w/sub/d.jpg", "w/sub/e.txt"}},
                       {"the walk goes into folders the include leaves out",
                        {"--include=*.jpg", "--subfolders", "--pattern={n}_/O", w},
                        {"w/", "w/1_.hidden.jpg", "w/2_a.jpg", "w/3_b.JPG", "w/c.png",
                         "w/notes.txt", "w/sub/", "w/sub/4_d.jpg", "w/sub/e.txt"}},
                       {"exclude as a regular expression",
                        {"--exclude=re:^[ab]\\.|TXT$", "--pattern={n}_/O", w},
                        {"w/", "w/1_.hidden.jpg", "w/2_c.png", "w/a.jpg", "w/b.JPG", "w/notes.txt",
                         "w/sub/", "w/sub/d.jpg", "w/sub/e.txt"}},
                       {"include and exclude",
                        {"--include=*.jpg;*.png", "--exclude=.*;b*", "--pattern={n}_/O", w},
                        {"w/", "w/.hidden.jpg", "w/1_a.jpg", "w/2_c.png", "w/b.JPG", "w/notes.txt",
                         "w/sub/", "w/sub/d.jpg", "w/sub/e.txt"}},
                   });
}

TEST(CliOrderTest, FoldersOnlyRenamesFoldersEachAfterWhatItHolds) {
    const auto make = [](const TempFolder& temp) {
        temp.createFiles({"w/f.txt", "w/A/g.txt", "w/A/A2/", "w/A/A1/", "w/B/B1/"});
    };
    const std::string w = "--folder={D}w";
    RunCases(
        make,
        {
            {"its own folders",
             {"--folders-only", "--pattern={n}-/O", w},
             {"w/", "w/1-A/", "w/1-A/A1/", "w/1-A/A2/", "w/1-A/g.txt", "w/2-B/", "w/2-B/B1/",
              "w/f.txt"}},
            {"the tree",
             {"--folders-only", "--subfolders", "--pattern={n}.{n:per-folder}-/O", w},
             {"w/", "w/3.1-A/", "w/3.1-A/1.1-A1/", "w/3.1-A/2.2-A2/", "w/3.1-A/g.txt", "w/5.2-B/",
              "w/5.2-B/4.1-B1/", "w/f.txt"}},
            {"the tree as one: deepest first",
             {"--folders-only", "--subfolders", "--across-folders", "--pattern={n}-/O", w},
             {"w/", "w/4-A/", "w/4-A/1-A1/", "w/4-A/2-A2/", "w/4-A/g.txt", "w/5-B/", "w/5-B/3-B1/",
              "w/f.txt"}},
            {"a filter on the folders",
             {"--folders-only", "--subfolders", "--exclude=A?", "--pattern={n}-/O", w},
             {"w/", "w/1-A/", "w/1-A/A1/", "w/1-A/A2/", "w/1-A/g.txt", "w/3-B/", "w/3-B/2-B1/",
              "w/f.txt"}},
            {"dropped files are passed over",
             {"--folders-only", "--rename-dirs", "--pattern={n}-/O", "{D}w/f.txt", "{D}w/A/g.txt",
              "{D}w/B"},
             {"w/", "w/1-B/", "w/1-B/B1/", "w/A/", "w/A/A1/", "w/A/A2/", "w/A/g.txt", "w/f.txt"}},
        });
}

// An item left out keeps its name: a new name equal to it is a conflict in the Preview
// and in the batch, which renames neither it nor logs it.
TEST(CliOrderTest, ItemsLeftOutKeepTheirNames) {
    TempFolder temp;
    temp.createFiles({"w/a.txt", "w/b.txt", "w/c.txt"});
    const Strings taken = {"--exclude=b.txt", "--replace-what=a", "--replace-with=b",
                           "--folder={D}w"};
    Strings preview = taken;
    preview.insert(preview.begin(), "--preview");
    const CliResult planned = RunIn(temp, preview);
    EXPECT_EQ(planned.status, 1) << planned.err;
    const std::string d = temp.path().string() + "/w/";
    EXPECT_EQ(Lines(planned.out),
              (Strings{d + "a.txt  " + d + "b.txt  conflict: the new name exists",
                       d + "c.txt  " + d + "c.txt  unchanged",
                       "Items: 2 | To rename: 0 | Unchanged: 1 | Conflicts: 1 (new name exists: "
                       "1) | Skipped: 1"}));

    const CliResult batch = RunIn(temp, taken);
    EXPECT_EQ(batch.status, 1);
    EXPECT_EQ(temp.listing(), (Strings{"w/", "w/a.txt", "w/b.txt", "w/c.txt"}));

    // Logged and undone: only what was renamed comes back.
    const std::string log = temp.path().string() + "/rename.log";
    const CliResult upper = RunIn(
        temp,
        {"--write-log", "--log", log, "--quiet", "--exclude=b*", "--case=upper", "--folder={D}w"},
        true);
    EXPECT_EQ(upper.status, 0) << upper.err;
    EXPECT_EQ(temp.listing(), (Strings{"rename.log", "w/", "w/A.TXT", "w/C.TXT", "w/b.txt"}));
    EXPECT_EQ(temp.readFile("rename.log").find("b.txt"), std::string::npos);
    std::filesystem::rename(temp.path() / "w/b.txt", temp.path() / "w/B.txt");
    const CliResult undo = RunCli(CliRun({"--undo", "--quiet", "--delete-log", "--log", log}));
    EXPECT_EQ(undo.status, 0) << undo.err;
    EXPECT_EQ(temp.listing(), (Strings{"w/", "w/B.txt", "w/a.txt", "w/c.txt"}));
}

TEST(CliOrderTest, AMistakeInTheOrderOrAFilterStopsTheBatch) {
    struct Row {
        Strings args;
        std::string message;
    };
    const Row rows[] = {
        {{"--include=[a"},
         "The include filter has a mistake at character 1: '[' is not closed by ']'."},
        {{"--exclude=*.txt;re:a(", "--include=*"},
         "The exclude filter has a mistake at character 12: "},
        {{"--order={nope"},
         "invalid argument '{nope' for '--order' (The order has a mistake at character 1: an "
         "order by tokens is written in braces, such as {taken}.) (see 'brindle-cli --help')"},
        {{"--order={taken}{n}"},
         "invalid argument '{taken}{n}' for '--order' (The order has a mistake at character 1: "
         "a counter numbers the items in the order: it cannot order them.) (see 'brindle-cli "
         "--help')"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args.front());
        TempFolder temp;
        temp.createFiles({"w/a.txt"});
        Strings args = row.args;
        args.insert(args.end(), {"--case=upper", "--folder={D}w"});
        for (const bool preview : {false, true}) {
            if (preview)
                args.insert(args.begin(), "--preview");
            const CliResult result = RunIn(temp, args);
            EXPECT_EQ(result.status, 2);
            // A regular expression's mistake ends with the library's own words.
            EXPECT_EQ(result.err.substr(0, 13 + row.message.size()), "brindle-cli: " + row.message)
                << result.err;
            EXPECT_EQ(result.err.back(), '\n');
            EXPECT_EQ(temp.listing(), (Strings{"w/", "w/a.txt"}));
        }
    }
}

}  // namespace
}  // namespace brindle::testing
