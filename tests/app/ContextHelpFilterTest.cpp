// The right-click help of one window: a right press on one of its controls with help
// launches the help, every right press in that window is swallowed, and the left button
// and the other windows are left alone.
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <map>

#include "AppTestSupport.h"
#include "app/ContextHelp.h"
#include "app/ContextHelpFilter.h"
#include "app/ControlId.h"
#include "app/ControlIds.h"

using namespace apptest;

namespace {

// Counts the presses and context-menu requests that reach a widget.
struct PressWatch : QObject {
    int presses = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        presses += e->type() == QEvent::MouseButtonPress || e->type() == QEvent::ContextMenu;
        return false;
    }
};

}  // namespace

class ContextHelpFilterTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { CloseContextHelpBalloons(); }

    void helpForTheWindowsControlsOnly_data() {
        QTest::addColumn<QString>("aim");
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("shownId");
        QTest::addColumn<int>("presses");
        QTest::newRow("right on a control with help")
            << "pattern" << int(Qt::RightButton) << ids::kNamePattern << 0;
        QTest::newRow("right on a label: swallowed, no help")
            << "label" << int(Qt::RightButton) << 0 << 0;
        QTest::newRow("left on a control with help") << "pattern" << int(Qt::LeftButton) << 0 << 1;
        QTest::newRow("right in another window") << "other" << int(Qt::RightButton) << 0 << 1;
    }
    void helpForTheWindowsControlsOnly() {
        QFETCH(QString, aim);
        QFETCH(int, button);
        QFETCH(int, shownId);
        QFETCH(int, presses);
        RecordingServices services;
        QWidget window;
        auto* pattern = new QLineEdit(&window);
        SetControlId(pattern, ids::kNamePattern);
        auto* label = new QLabel(QStringLiteral("Name pattern:"), &window);
        label->move(0, 40);
        QWidget otherWindow;
        // The same id in another window has no help from this filter.
        auto* other = new QLineEdit(&otherWindow);
        SetControlId(other, ids::kNamePattern);
        window.show();
        otherWindow.show();
        ContextHelpFilter filter(&window, services);
        QSignalSpy shown(&filter, &ContextHelpFilter::helpShown);

        const std::map<QString, QWidget*> targets = {
            {"pattern", pattern}, {"label", label}, {"other", other}};
        QWidget* target = targets.at(aim);
        PressWatch watch;
        target->installEventFilter(&watch);
        QTest::mouseClick(target, Qt::MouseButton(button), {}, QPoint(3, 3));
        QCOMPARE(shown.count(), shownId != 0 ? 1 : 0);
        if (shownId != 0) {
            QCOMPARE(shown[0][0].toInt(), shownId);
            QCOMPARE(shown[0][1].toString(), ContextHelpFor(shownId)->title);
            QCOMPARE(shown[0][2].toString(), ContextHelpFor(shownId)->text);
        }
        QCOMPARE(watch.presses, presses);
    }
};

QTEST_MAIN(ContextHelpFilterTest)
#include "ContextHelpFilterTest.moc"
