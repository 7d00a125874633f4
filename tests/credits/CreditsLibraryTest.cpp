#include <gtest/gtest.h>

#include <QTest>

#include <string>

#include "AboutBoxDriver.h"
#include "app/CreditsLibrary.h"

namespace brindle::testing {
namespace {

TEST(CreditsLibraryTest, AboutTextIsTheVersionAndOneLineOfYearsAndMaker) {
    const std::u16string text = AboutText();
    const auto feed = text.find(u'\n');
    ASSERT_NE(feed, std::u16string::npos);
    EXPECT_EQ(text.substr(0, feed), u"Brindle Version 3.7.0");
    const std::u16string second = text.substr(feed + 1);
    EXPECT_EQ(second.find(u'\n'), std::u16string::npos);
    EXPECT_NE(second.find(u"2002"), std::u16string::npos);
    EXPECT_NE(second.find(u"2005"), std::u16string::npos);
    EXPECT_NE(second.find(u"Kelvane"), std::u16string::npos);
}

TEST(CreditsLibraryTest, IsNotLoadedWhenTheLibraryOrItsExportIsMissing) {
    const struct {
        const char* file;
        const char* name;
    } cases[] = {
        {"libKelvaneU-missing.so", "AboutBox"},
        {"libKelvaneU.so", "NoSuchExport"},
        {"libKelvaneU.so", "_ZN9CAboutDlg3RunEv"},  // our C++ stays inside the library
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CreditsLibrary library(c.file, c.name);
        EXPECT_FALSE(library.IsLoaded());
        // The loader's reason names what is missing: the program prints it as it ends.
        const std::string missing = std::string(c.name) == "AboutBox" ? c.file : c.name;
        EXPECT_NE(library.error().find(missing), std::string::npos) << library.error();
        EXPECT_FALSE(library.ShowAbout(AboutText()));
    }
}

TEST(CreditsLibraryTest, ShowsTheAboutTextByBareName) {
    const CreditsLibrary library;
    ASSERT_TRUE(library.IsLoaded());
    const BoxRun run = RunBox([&] { return library.ShowAbout(AboutText()); },
                              [](QDialog& box) {
                                  const QImage shown = box.grab().toImage();
                                  const auto at = [&box](int x, int y, int w, int h) {
                                      return LayoutRect(box, QRect(x, y, w, h));
                                  };
                                  EXPECT_LT(Darkest(shown, at(110, 7, 200, 15)), 60);
                                  EXPECT_EQ(Darkest(shown, at(110, 22, 200, 15)), 150);
                                  QTest::keyClick(&box, Qt::Key_Return);
                              });
    EXPECT_TRUE(run.driven && run.result);
}

}  // namespace
}  // namespace brindle::testing
