// The Brindle.ini that ships beside the program, read through the real readers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "TempFolder.h"
#include "engine/ConfigFile.h"
#include "engine/Filters.h"
#include "engine/OptionTable.h"
#include "engine/TextOps.h"
#include "platform/NameCodec.h"

namespace brindle {
namespace {

// A private copy of the shipped file: the readers lock the file they read, and tests
// running side by side must not find it held by one another.
std::u16string DefaultIni() {
    const char* path = std::getenv("BRINDLE_DEFAULT_INI");
    if (!path) {
        ADD_FAILURE() << "BRINDLE_DEFAULT_INI is not set";
        return {};
    }
    static const testing::TempFolder folder;
    static const std::u16string copy = [&] {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream contents;
        contents << in.rdbuf();
        folder.createFile("Brindle.ini", contents.str());
        return folder.folder() + u"Brindle.ini";
    }();
    return copy;
}

struct FilterRow {
    const char* name;
    std::u16string method;
    std::u16string input;
    std::u16string expected;
};

TEST(DefaultIniTest, TablesTransliterateAndCleanUp) {
    const FilterRow rows[] = {
        {"english/Capitals", u"English", u"Щукин Юрий", u"Shchukin Iurii"},
        {"english/TwoWords", u"English", u"Мой Файл", u"Moi Fail"},
        {"english/HardSign", u"English", u"Подъезд", u"Podieezd"},
        {"english/HardSignBeforeIa", u"English", u"Объявление", u"Obieiavlenie"},
        {"english/SoftSignDropped", u"English", u"Ьмель Соль", u"mel Sol"},
        {"english/Yo", u"English", u"Ёлка ёж", u"Elka ezh"},
        {"english/ManyLetterSounds", u"English", u"Жёлтый Хлеб Цех Чай Шар Эхо Яма",
         u"Zheltyi Khleb Tsekh Chai Shar Ekho Iama"},
        {"english/LatinDigitsAndSymbolsKept", u"English", u"Report 2024 (v2)_final-A",
         u"Report 2024 (v2)_final-A"},
        {"english/Mixed", u"English", u"Отчёт Q3", u"Otchet Q3"},
        {"english/LatinLettersAndLigatures", u"English", u"Ünïcødé Straße Æsir.txt",
         u"Unicode Strasse AEsir.txt"},
        {"english/MoreLatin", u"English", u"Łódź Þór Œuvre ĳ ŉ", u"Lodz THor OEuvre ij 'n"},
        {"english/SeparateAccents", u"English", u"Cafe\u0301 Zu\u0308rich n\u0303",
         u"Cafe Zurich n"},
        {"english/RussianWithSeparateBreve", u"English", u"\u0418\u0306 \u0435\u0308", u"I e"},
        {"english/RussianAndLatin", u"English", u"Мой Café", u"Moi Cafe"},
        {"symbols/Example", u"Symbols", u"My File (A)[!]", u"My_File_A"},
        {"symbols/EveryListedSymbol", u"Symbols", u"a(b)c[d]e{f}g!h,i;j'k\"l`m~n@o#p$q%r^s&t+u=v",
         u"abcdefghijklmnopqrstuv"},
        {"symbols/LettersDigitsDotsDashesKept", u"Symbols", u"keep.these-and_these 123",
         u"keep.these-and_these_123"},
        {"symbols/CyrillicKept", u"Symbols", u"Мой Файл!", u"Мой_Файл"},
        {"custom/Empty", u"Custom", u"My File (A)[!]", u"My File (A)[!]"},
        {"noSelection/Nothing", u"", u"Мой Файл (A)", u"Мой Файл (A)"},
    };
    const std::u16string ini = DefaultIni();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const FilterResult result = ApplyFilterMethod(row.input, ini, row.method);
        EXPECT_TRUE(result.tableOpened);
        EXPECT_EQ(result.name, row.expected);
    }
}

TEST(DefaultIniTest, EnglishLeavesNoRussianLetter) {
    std::u16string alphabet;
    for (char16_t c = u'А'; c <= u'я'; ++c)
        alphabet += c;
    alphabet += u"Ёё";
    ASSERT_EQ(alphabet.size(), 66u);
    const FilterResult result = ApplyFilterMethod(alphabet, DefaultIni(), u"English");
    EXPECT_TRUE(result.tableOpened);
    for (char16_t c : result.name) {
        EXPECT_TRUE(IsAsciiUpper(c) || IsAsciiLower(c)) << "left over: " << static_cast<int>(c);
    }
}

// Every letter of Latin-1 Supplement and Latin Extended-A, and every combining accent
// after a letter, comes out as plain ASCII letters ('ŉ' as "'n").
TEST(DefaultIniTest, EnglishLeavesNoAccentedLatinLetter) {
    std::u16string letters;
    for (char16_t c = 0x00C0; c <= 0x017F; ++c) {
        if (c != u'\u00D7' && c != u'\u00F7')  // the multiplication and division signs
            letters += c;
    }
    for (char16_t c = 0x0300; c <= 0x036F; ++c) {
        letters += u'a';
        letters += c;
    }
    const FilterResult result = ApplyFilterMethod(letters, DefaultIni(), u"English");
    EXPECT_TRUE(result.tableOpened);
    for (char16_t c : result.name) {
        EXPECT_TRUE(IsAsciiUpper(c) || IsAsciiLower(c) || c == u'\'')
            << "left over: " << static_cast<int>(c);
    }
    EXPECT_TRUE(result.name.ends_with(std::u16string(0x70, u'a')));
}

TEST(DefaultIniTest, TablesHaveNoIdleRows) {
    // A row that maps its text to itself is a comment or a header swallowed into a body.
    for (std::u16string_view method : {u"English", u"Symbols", u"Custom"}) {
        const auto table = readReplacementTable(DefaultIni(), method);
        ASSERT_TRUE(table);
        for (const auto& [source, replacement] : *table) {
            EXPECT_FALSE(source.empty());
            EXPECT_NE(source, replacement) << EncodeName(source);
        }
    }
    // The Russian letters, the Latin letters that ICU's Latin-ASCII changes (all 190 of
    // U+00C0..U+017F but the two signs), the combining accents.
    EXPECT_EQ(readReplacementTable(DefaultIni(), u"English")->size(), 66u + 190u + 112u);
    EXPECT_TRUE(readReplacementTable(DefaultIni(), u"Custom")->empty());
}

// Out of the box every batch can be undone and the dialog shows what it would do before
// renaming: "Write Log File" and "Preview First" are on, everything else off.
TEST(DefaultIniTest, EveryConfigKeyIsPresentAndOnlyTheLogAndLookingFirstAreOn) {
    for (const options::Option& row : options::kOptions) {
        if (row.kind != options::Kind::Flag)
            continue;
        const std::u16string_view key = row.key;
        SCOPED_TRACE(EncodeName(key));
        bool found = false;
        EXPECT_EQ(
            readConfigValue(DefaultIni(), u"[config]", key, &found),
            key == options::kKeyWriteLogFile || key == options::kKeyPreviewFirst ? u"1" : u"0");
        EXPECT_TRUE(found);
    }

    RenameSettings options;
    options.onlyEnglish = true;
    LoadConfigOptions(options, DefaultIni());
    EXPECT_FALSE(options.onlyEnglish);
    EXPECT_FALSE(options.force63);
    EXPECT_FALSE(options.renameDirs);
    EXPECT_TRUE(options.writeLogFile);
    EXPECT_TRUE(options.previewFirst);
}

}  // namespace
}  // namespace brindle
