// A balloon on a real X server, where its window shape and its fading are carried out by
// the server: the screen must show the balloon's colour inside the shape and what lies
// behind it outside. Run it against a 24-bit screen, for instance
//     Xvfb :99 -screen 0 1280x1024x24 &  DISPLAY=:99 BalloonXvfbSmoke
// Without DISPLAY it exits with 77 (skipped). The test suite runs it on a virtual server
// of its own (UnderXvfb.sh); under LeakSanitizer with tests/app/lsan-desktop.supp, for the
// leaks of the desktop libraries that Qt's X11 platform loads.

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "balloon/BalloonServices.h"
#include "balloon/BalloonWnd.h"

namespace {

class SmokeServices : public brindle::BalloonServices {
public:
    bool OpenUrl(const std::u16string&) override { return false; }
    bool TooltipAnimationEnabled() const override { return true; }
    bool TooltipFadeEnabled() const override { return true; }
};

int g_failures = 0;

void Check(bool condition, const char* what) {
    std::printf("%s: %s\n", condition ? "ok" : "FAILED", what);
    std::fflush(stdout);
    if (!condition) {
        ++g_failures;
    }
}

bool Near(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) <= 8 && std::abs(a.green() - b.green()) <= 8 &&
           std::abs(a.blue() - b.blue()) <= 8;
}

QImage GrabScreen(const QRect& area) {
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .toImage();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::puts("DISPLAY is not set: skipped");
        return 77;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication application(argc, argv);

    // The balloon lies over its owner, whose colour must show around the balloon's shape.
    const QColor behind(0, 160, 0);
    QWidget owner;
    owner.setWindowTitle(QStringLiteral("Owner"));
    QPalette palette = owner.palette();
    palette.setColor(QPalette::Window, behind);
    owner.setPalette(palette);
    owner.setAutoFillBackground(true);
    owner.setGeometry(100, 100, 700, 500);
    owner.show();
    Check(QTest::qWaitForWindowExposed(&owner), "the owner window shows");

    SmokeServices services;
    brindle::CBalloonWnd balloon(&services);
    const bool created = balloon.Create(
        QStringLiteral("Smoke test"), QStringLiteral("A balloon on a real X server."),
        QPoint(150, 120), brindle::BH_INNER_SHADOW | brindle::BH_SHOW_CLOSE_BUTTON, &owner,
        QString(), 0);
    Check(created, "the balloon is created");
    if (!created) {
        return 1;
    }
    Check((balloon.Options() & brindle::BH_NO_FADE) == 0, "the X server lets it fade");
    Check(QTest::qWaitForWindowExposed(&balloon), "the balloon shows");
    Check(QTest::qWaitFor([&] { return balloon.windowOpacity() == 1.0; }),
          "the fade in ends fully opaque");

    const QRect area = balloon.geometry();
    const QColor background = balloon.BackgroundColour();
    const QPoint centre(area.width() / 2, (balloon.Placement().bodyTop + area.height()) / 2);
    // The server paints asynchronously: wait until the balloon's body is on the screen.
    const bool painted = QTest::qWaitFor(
        [&] { return Near(GrabScreen(area).pixelColor(centre), background); }, 5000);
    Check(painted, "the body shows the balloon's colour");

    const QImage screen = GrabScreen(area);
    const QRegion shape = balloon.Shape().value_or(QRegion());
    Check(!shape.contains(QPoint(0, balloon.Placement().bodyTop)), "the corner lies outside");
    Check(Near(screen.pixelColor(0, balloon.Placement().bodyTop), behind),
          "the owner shows through the rounded corner");
    Check(Near(screen.pixelColor(area.width() - 3, 2), behind),
          "the owner shows through the tail band beside the tail");
    Check(owner.geometry().contains(area), "the balloon lies within its owner");
    Check(balloon.mask() == shape, "the window carries the balloon's shape");

    balloon.RequestClose();
    Check(balloon.isVisible(), "closing fades out first");
    Check(QTest::qWaitFor([&] { return !balloon.HasWindow(); }), "the balloon closes");
    Check(!balloon.isVisible(), "the balloon is hidden");

    std::printf("%d failure(s)\n", g_failures);
    return g_failures == 0 ? 0 : 1;
}
