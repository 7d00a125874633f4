#include "engine/IntegerText.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace brindle {
namespace {

TEST(IntegerTextTest, Int32Numbers) {
    const std::vector<std::pair<std::string, std::optional<std::int32_t>>> cases = {
        {"0", 0},
        {"-0", 0},
        {"+12", 12},
        {"000000000000000000012", 12},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"", std::nullopt},
        {"+", std::nullopt},
        {"-", std::nullopt},
        {"1 ", std::nullopt},
        {"0x10", std::nullopt},
        {"--1", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(ParseInt32(text), expected) << text;
        // The dialog's edits give the same text as UTF-16.
        EXPECT_EQ(ParseInt32(std::u16string(text.begin(), text.end())), expected) << text;
    }
    // Digits of other scripts are no decimal digits here.
    EXPECT_EQ(ParseInt32(u"\u0661\u0662"), std::nullopt);
    EXPECT_EQ(ParseInt32(u"\uFF11"), std::nullopt);
}

}  // namespace
}  // namespace brindle
