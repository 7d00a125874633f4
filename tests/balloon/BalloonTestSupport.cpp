#include "BalloonTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

namespace brindle::testing {

namespace {

QtMessageHandler g_previousHandler = nullptr;

// The offscreen platform announces every window feature it lacks (opacity, raising);
// those notices are expected here and would only bury real warnings.
void FilterPlatformNotices(QtMsgType type, const QMessageLogContext& context,
                           const QString& message) {
    if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support"))) {
        return;
    }
    if (g_previousHandler != nullptr) {
        g_previousHandler(type, context, message);
    }
}

// One QApplication for every test of the executable, made only when tests run (listing
// them needs no display).
class GuiEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        g_previousHandler = qInstallMessageHandler(FilterPlatformNotices);
        application_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override {
        application_.reset();
        qInstallMessageHandler(g_previousHandler);
    }

private:
    int argc_ = 1;
    char name_[16] = "balloon-tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> application_;
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

}  // namespace

bool RecordingServices::OpenUrl(const std::u16string& url) {
    openedUrls.push_back(url);
    return openSucceeds;
}

std::unique_ptr<QWidget> ShowOwnerWindow(QPoint position) {
    auto owner = std::make_unique<QWidget>();
    owner->setWindowTitle(QStringLiteral("Owner"));
    owner->setGeometry(position.x(), position.y(), 400, 300);
    owner->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(owner.get()));
    return owner;
}

void ProcessPending() {
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents();
    }
}

std::vector<CBalloonWnd*> LiveBalloons() {
    std::vector<CBalloonWnd*> balloons;
    const QWidgetList topLevels = QApplication::topLevelWidgets();
    for (QWidget* widget : topLevels) {
        auto* balloon = qobject_cast<CBalloonWnd*>(widget);
        if (balloon != nullptr && balloon->HasWindow()) {
            balloons.push_back(balloon);
        }
    }
    return balloons;
}

CBalloonWnd* OnlyBalloon() {
    const auto balloons = LiveBalloons();
    EXPECT_EQ(balloons.size(), 1U);
    return balloons.empty() ? nullptr : balloons.front();
}

QPoint TipOnScreen(const CBalloonWnd& balloon) {
    const BalloonPoint tip = balloon.Placement().tail.tip;
    return balloon.pos() + QPoint(tip.x, tip.y);
}

bool CreateAtOwnerAnchor(CBalloonWnd& balloon, std::uint32_t options, QWidget* owner,
                         const QString& url) {
    return balloon.Create(QStringLiteral("Title"), QStringLiteral("Some help text"), kAnchorInOwner,
                          options, owner, url, 0);
}

}  // namespace brindle::testing
