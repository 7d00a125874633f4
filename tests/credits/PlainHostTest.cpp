// A host that has no QApplication: the library makes one for the call and removes it again.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "AboutBoxDriver.h"

namespace brindle::testing {
namespace {

Qt::Key keyToPress = Qt::Key_Return;
int boxesDriven = 0;

// Every application object the library makes runs this; it presses the key once the box
// is up.
void PressKeyOnBox() {
    auto* box = QApplication::activeModalWidget();
    if (!box) {
        QMetaObject::invokeMethod(QCoreApplication::instance(), &PressKeyOnBox,
                                  Qt::QueuedConnection);
        return;
    }
    ++boxesDriven;
    QTest::keyClick(box, keyToPress);
}

void WhenApplicationStarts() {
    QMetaObject::invokeMethod(QCoreApplication::instance(), &PressKeyOnBox, Qt::QueuedConnection);
}

TEST(PlainHostTest, MakesAnApplicationForEachCallAndRemovesIt) {
    const KelvaneUExports exports = LoadKelvaneU();
    ASSERT_TRUE(exports.aboutBox && exports.aboutBoxArray);
    qAddPreRoutine(&WhenApplicationStarts);
    ASSERT_EQ(QCoreApplication::instance(), nullptr);

    keyToPress = Qt::Key_Return;
    EXPECT_TRUE(exports.aboutBox(u"BRINDLE\nLAST"));
    EXPECT_EQ(QCoreApplication::instance(), nullptr);

    static const char16_t* const kLines[] = {u"BRINDLE", u"LAST"};
    keyToPress = Qt::Key_Escape;
    EXPECT_FALSE(exports.aboutBoxArray(kLines, 2));
    EXPECT_EQ(QCoreApplication::instance(), nullptr);
    EXPECT_EQ(boxesDriven, 2);

    // A host whose application object cannot carry windows gets no box.
    int argc = 1;
    char name[] = "host";
    char* argv[] = {name, nullptr};
    {
        QCoreApplication host(argc, argv);
        EXPECT_FALSE(exports.aboutBox(u"BRINDLE\nLAST"));
    }
    EXPECT_EQ(boxesDriven, 2);
}

}  // namespace
}  // namespace brindle::testing
