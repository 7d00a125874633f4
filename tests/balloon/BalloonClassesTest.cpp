#include "balloon/BalloonClasses.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brindle {
namespace {

TEST(BalloonClassesTest, ChoosesTheRecordByDropShadowAndFallsBackToThePlainOne) {
    struct Case {
        std::string name;
        bool refuseDropShadow;
        bool refusePlain;
        bool wantDropShadow;
        const char16_t* expected;  // nullptr: no class available
    };
    const Case cases[] = {
        {"shadow wanted", false, false, true, kBalloonClassDropShadow},
        {"no shadow wanted", false, false, false, kBalloonClassPlain},
        {"shadow refused", true, false, true, kBalloonClassPlain},
        {"plain refused, shadow wanted", false, true, true, kBalloonClassDropShadow},
        {"plain refused", false, true, false, nullptr},
        {"both refused", true, true, true, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BalloonClassRegistry registry([&](const BalloonWindowClass& record) {
            return record.dropShadow ? !c.refuseDropShadow : !c.refusePlain;
        });
        const BalloonWindowClass* chosen = registry.RegisterBalloonClasses(c.wantDropShadow);
        if (c.expected == nullptr) {
            EXPECT_EQ(chosen, nullptr);
            continue;
        }
        ASSERT_NE(chosen, nullptr);
        EXPECT_EQ(chosen->name, std::u16string(c.expected));
        EXPECT_EQ(chosen->dropShadow, chosen->name == kBalloonClassDropShadow);
    }
}

TEST(BalloonClassesTest, RegistersOnceUnlessThePlainRecordIsMissing) {
    std::vector<std::u16string> attempts;
    bool plainAvailable = false;
    BalloonClassRegistry registry([&](const BalloonWindowClass& record) {
        attempts.push_back(record.name);
        return record.dropShadow || plainAvailable;
    });
    EXPECT_EQ(registry.RegisterBalloonClasses(false), nullptr);
    plainAvailable = true;
    ASSERT_NE(registry.RegisterBalloonClasses(false), nullptr);
    ASSERT_NE(registry.RegisterBalloonClasses(true), nullptr);
    EXPECT_EQ(registry.RegisterBalloonClasses(true)->name, kBalloonClassDropShadow);
    const std::vector<std::u16string> expected{kBalloonClassDropShadow, kBalloonClassPlain,
                                               kBalloonClassDropShadow, kBalloonClassPlain};
    EXPECT_EQ(attempts, expected);
}

TEST(BalloonClassesTest, TheProcessRegistryAcceptsBoth) {
    BalloonClassRegistry& registry = BalloonClassRegistry::Process();
    EXPECT_EQ(&registry, &BalloonClassRegistry::Process());
    EXPECT_EQ(registry.RegisterBalloonClasses(true)->name, kBalloonClassDropShadow);
    EXPECT_EQ(registry.RegisterBalloonClasses(false)->name, kBalloonClassPlain);
}

}  // namespace
}  // namespace brindle
