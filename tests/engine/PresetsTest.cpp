#include "engine/Presets.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/ConfigFile.h"
#include "engine/OptionTable.h"
#include "platform/NameCodec.h"
#include "tests/support/TempFolder.h"

namespace brindle {
namespace {

using testing::TempFolder;

// A value of `row` other than its default, with the characters a quoted text must keep.
void SetOtherValue(const options::Option& row, RenameSettings& o) {
    const RenameSettings defaults;
    switch (row.kind) {
        case options::Kind::Flag:
            o.*row.flag = !(defaults.*row.flag);
            break;
        case options::Kind::Integer:
            o.*row.integer = defaults.*row.integer + 7;
            break;
        case options::Kind::Text:
            o.*row.text = u" a = \"b\" \\ // c \u00E9\u0416 \\\"\n\r ";
            break;
        case options::Kind::Choice:
            if (row.textChoice >= 0) {
                ASSERT_FALSE(options::SetChoiceText(row, o, u"{exif.model}{modified:%Y//%m}"));
                break;
            }
            for (const options::ChoiceValue& choice : row.choices) {
                if (choice.value != row.getChoice(defaults))
                    row.setChoice(o, choice.value);
            }
            break;
    }
}

RenameSettings Loaded(const TempFolder& folder, const std::u16string& name,
                      const RenameSettings& below = {}) {
    RenameSettings o = below;
    const auto failure = LoadPreset(folder.folder(), name, o, true);
    EXPECT_FALSE(failure) << EncodeName(failure.value_or(u""));
    return o;
}

// Made from the rows: an option added later is covered without a line here.
TEST(PresetsTest, EveryOptionSurvivesASaveAndALoad) {
    const TempFolder folder;
    RenameSettings all;
    for (const options::Option& row : options::kOptions) {
        SCOPED_TRACE(EncodeName(row.key));
        RenameSettings one;
        SetOtherValue(row, one);
        SetOtherValue(row, all);
        ASSERT_NE(one, RenameSettings{});
        ASSERT_FALSE(SavePreset(folder.folder(), u"one", one));
        EXPECT_EQ(Loaded(folder, u"one"), one);
        // Laid over options that differ everywhere, the preset still gives them all.
        RenameSettings below;
        for (const options::Option& other : options::kOptions)
            SetOtherValue(other, below);
        EXPECT_EQ(Loaded(folder, u"one", below), one);
    }
    ASSERT_FALSE(SavePreset(folder.folder(), u"all", all));
    EXPECT_EQ(Loaded(folder, u"all"), all);
    // Every row's key is in the file, one line each, with a space before '='.
    const std::string text = folder.readFile("all.ini");
    for (const options::Option& row : options::kOptions)
        EXPECT_NE(text.find("\n" + EncodeName(row.key) + " = "), std::string::npos)
            << EncodeName(row.key);
    // No "//" of a value ever reads as a comment, nor a line end as a new line.
    EXPECT_EQ(text.find("//"), std::string::npos);
}

TEST(PresetsTest, WhatThePresetLacksOrDoesNotKnowKeepsTheOptionsBelow) {
    const TempFolder folder;
    folder.createFile("newer.ini",
                      "// a newer Brindle's\n[config]\nSome Future Key = 1\n"
                      "Case = upper\nOrder = shuffled\nForce Length = many\n"
                      "Scan Subfolders = maybe\nName Pattern = \"photo-{n:3}\"\n[english]\nx|y\n");
    RenameSettings below;
    below.order = NameOrder::Size;
    below.force63Length = 80;
    below.scanSubfolders = true;
    below.replaceWhat = u"kept";
    RenameSettings expected = below;
    expected.conversionMode = kToUpperCase;
    expected.namePattern = u"photo-{n:3}";
    EXPECT_EQ(Loaded(folder, u"newer", below), expected);
}

TEST(PresetsTest, OnlyEnglishNeedsAConfigurationFile) {
    const TempFolder folder;
    RenameSettings english;
    english.onlyEnglish = true;
    english.filterMethod = u"English";
    ASSERT_FALSE(SavePreset(folder.folder(), u"en", english));
    RenameSettings o;
    ASSERT_FALSE(LoadPreset(folder.folder(), u"en", o, false));
    EXPECT_FALSE(o.onlyEnglish);
    EXPECT_EQ(o.filterMethod, u"English");
}

struct RefusedRow {
    const char* name;
    std::u16string preset;
    std::string contents;  // of NAME.ini; "/" makes it a folder; empty: no file
    std::u16string says;
};

TEST(PresetsTest, ABadNameOrPresetIsRefusedAndChangesNothing) {
    const RefusedRow rows[] = {
        {"name/Empty", u"", "", u"A preset needs a name"},
        {"name/Slash", u"a/b", "", u"cannot hold '/'"},
        {"name/LeadingDot", u".hidden", "", u"cannot begin with '.'"},
        {"name/LineFeed", u"a\nb", "", u"control character"},
        {"name/TooLong", std::u16string(252, u'x'), "", u"too long"},
        {"missing", u"nothing", "", u"There is no preset \"nothing\" in "},
        {"corrupt/NoSection", u"plain", "Case = upper\n", u"it has no [config] section"},
        {"corrupt/NulByte", u"nul", std::string("[config]\nCase = up\0per\n", 24),
         u"it holds a NUL byte"},
        {"unreadable/AFolder", u"folder", "/", u"cannot be read: Is a directory"},
    };
    for (const RefusedRow& row : rows) {
        SCOPED_TRACE(row.name);
        const TempFolder folder;
        if (row.contents == "/")
            std::filesystem::create_directory(folder.path() / (EncodeName(row.preset) + ".ini"));
        else if (!row.contents.empty())
            folder.createFile(EncodeName(row.preset) + ".ini", row.contents);
        RenameSettings o;
        o.namePattern = u"as it was";
        const auto failure = LoadPreset(folder.folder(), row.preset, o, true);
        ASSERT_TRUE(failure);
        EXPECT_NE(failure->find(row.says), std::u16string::npos) << EncodeName(*failure);
        EXPECT_EQ(o.namePattern, u"as it was");
        // A name that cannot be one is never saved either.
        if (PresetNameMistake(row.preset)) {
            EXPECT_TRUE(SavePreset(folder.folder(), row.preset, o));
            EXPECT_TRUE(folder.listing().empty());
        }
    }
}

// Without a folder for the user's files a preset is neither read, saved nor deleted: the
// name alone would be a path from the root.
TEST(PresetsTest, NoFolderIsRefusedAfterTheName) {
    RenameSettings o;
    EXPECT_EQ(LoadPreset(u"", u"photos", o, true), std::u16string(kNoSettingsFolder));
    EXPECT_EQ(SavePreset(u"", u"photos", o), std::u16string(kNoSettingsFolder));
    EXPECT_EQ(DeletePreset(u"", u"photos"), std::u16string(kNoSettingsFolder));
    EXPECT_EQ(SavePreset(u"", u"a/b", o), PresetNameMistake(u"a/b"));
}

TEST(PresetsTest, TheListHoldsThePresetsInNaturalOrder) {
    const TempFolder folder;
    folder.createFiles(
        {"b10.ini", "b9.ini", "A.ini", ".hidden.ini", ".b9.ini.123-0", "notes.txt", "dir.ini/"});
    EXPECT_EQ(ListPresets(folder.folder()), (std::vector<std::u16string>{u"A", u"b9", u"b10"}));
    EXPECT_TRUE(ListPresets(folder.folder("absent")).empty());
    ASSERT_FALSE(DeletePreset(folder.folder(), u"b9"));
    EXPECT_TRUE(DeletePreset(folder.folder(), u"b9"));
    EXPECT_EQ(ListPresets(folder.folder()), (std::vector<std::u16string>{u"A", u"b10"}));
}

TEST(PresetsTest, StartWithKeepsOneNameOrNone) {
    const TempFolder folder;
    const std::u16string file = folder.folder() + u"conf/start-with";
    EXPECT_EQ(ReadStartWith(file), u"");
    ASSERT_FALSE(WriteStartWith(file, u"Holiday photos"));
    EXPECT_EQ(ReadStartWith(file), u"Holiday photos");
    EXPECT_TRUE(WriteStartWith(file, u"../escape"));
    EXPECT_EQ(ReadStartWith(file), u"Holiday photos");
    ASSERT_FALSE(WriteStartWith(file, u""));
    EXPECT_FALSE(folder.exists("conf/start-with"));
}

TEST(PresetsTest, RememberedOptionsComeBackOnlyWhileRemembering) {
    const TempFolder folder;
    const std::u16string file = folder.folder() + u"state/last.ini";
    RenameSettings kept;
    kept.rememberSettings = true;
    kept.namePattern = u"{taken:%Y}-/3";
    ASSERT_FALSE(KeepRemembered(file, kept));
    struct stat info {};
    ASSERT_EQ(stat((folder.path() / "state/last.ini").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    RenameSettings o;
    EXPECT_TRUE(ApplyRemembered(file, o, true));
    EXPECT_EQ(o, kept);
    // Switched off at the close: nothing is remembered any more.
    kept.rememberSettings = false;
    ASSERT_FALSE(KeepRemembered(file, kept));
    EXPECT_FALSE(folder.exists("state/last.ini"));
    RenameSettings untouched;
    EXPECT_FALSE(ApplyRemembered(file, untouched, true));
    EXPECT_EQ(untouched, RenameSettings{});
}

}  // namespace
}  // namespace brindle
