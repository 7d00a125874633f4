// The busy runner: one operation at a time, every input refused while it runs except a
// message box's, a failure told in a box, and painting at its cadence.
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <climits>
#include <stdexcept>

#include "AppTestSupport.h"
#include "app/BusyRunner.h"

using namespace apptest;

namespace {

// Counts the key presses that reach it.
class KeyCounter : public QWidget {
public:
    int presses = 0;

    // Delivered as a person's key press is, past the application's event filters.
    void Press() {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QApplication::sendEvent(this, &press);
    }

protected:
    void keyPressEvent(QKeyEvent*) override { ++presses; }
};

}  // namespace

class BusyRunnerTest : public QObject {
    Q_OBJECT

private slots:
    void runsOneOperationAtATime() {
        RecordingServices services;
        BusyRunner runner(services);
        QSignalSpy started(&runner, &BusyRunner::started);
        QSignalSpy ended(&runner, &BusyRunner::ended);
        int outer = 0;
        int inner = 0;
        int shownWhileBusy = 0;
        QVERIFY(!runner.busy());
        runner.Run(
            [&] {
                ++outer;
                QVERIFY(runner.busy());
                QCOMPARE(started.count(), 1);
                // A second operation asked for meanwhile does not run.
                runner.Run([&] { ++inner; }, [] {});
            },
            [&] {
                shownWhileBusy += runner.busy();
                QCOMPARE(ended.count(), 0);
            });
        QCOMPARE(outer, 1);
        QCOMPARE(inner, 0);
        QCOMPARE(shownWhileBusy, 1);
        QCOMPARE(started.count(), 1);
        QCOMPARE(ended.count(), 1);
        QVERIFY(!runner.busy());
        QVERIFY(services.boxes.empty());
        // And the next operation runs.
        runner.Run([&] { ++outer; }, [] {});
        QCOMPARE(outer, 2);
    }

    void inputIsRefusedWhileBusyButAMessageBoxTakesItsAnswer() {
        RecordingServices services;
        BusyRunner runner(services);
        KeyCounter target;
        target.show();
        int refused = -1;
        int duringBox = -1;
        services.onBox = [&] {
            target.Press();
            duringBox = target.presses;
        };
        runner.Run(
            [&] {
                target.Press();
                refused = target.presses;
                runner.ShowMessageBox(u"Sure?", {}, MessageButtons::YesNo, BoxIcon::Question);
                // Refused again once the box has its answer.
                target.Press();
            },
            [] {});
        QCOMPARE(refused, 0);
        QCOMPARE(duringBox, 1);
        QCOMPARE(target.presses, 1);
        target.Press();
        QCOMPARE(target.presses, 2);
    }

    void aFailureIsToldAndInputIsTakenAgain() {
        RecordingServices services;
        BusyRunner runner(services);
        QSignalSpy ended(&runner, &BusyRunner::ended);
        KeyCounter target;
        target.show();
        int shown = 0;
        runner.Run([] { throw std::runtime_error("the disk went away"); }, [&] { ++shown; });
        QCOMPARE(services.boxes.size(), std::size_t(1));
        QCOMPARE(services.boxes[0].text, QString("the disk went away"));
        QCOMPARE(services.boxes[0].buttons, MessageButtons::Ok);
        QCOMPARE(services.boxes[0].icon, BoxIcon::Stop);
        QCOMPARE(shown, 1);
        QCOMPARE(ended.count(), 1);
        QVERIFY(!runner.busy());
        target.Press();
        QCOMPARE(target.presses, 1);
    }

    void paintsOnlyWhileBusyAndAtItsCadence_data() {
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("painted");
        QTest::newRow("every chance") << 0 << 3;
        QTest::newRow("an interval longer than the operation") << INT_MAX << 0;
    }
    void paintsOnlyWhileBusyAndAtItsCadence() {
        QFETCH(int, interval);
        QFETCH(int, painted);
        RecordingServices services;
        BusyRunner runner(services);
        runner.setPaintInterval(interval);
        int paints = 0;
        const auto paint = [&] { ++paints; };
        runner.Paint(paint);
        QCOMPARE(paints, 0);
        runner.Run(
            [&] {
                for (int i = 0; i < 3; ++i)
                    runner.Paint(paint);
            },
            [] {});
        QCOMPARE(paints, painted);
        runner.Paint(paint);
        QCOMPARE(paints, painted);
    }
};

QTEST_MAIN(BusyRunnerTest)
#include "BusyRunnerTest.moc"
