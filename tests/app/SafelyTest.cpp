// A handler that cannot finish says why in a message box instead of letting its exception
// cross Qt's event delivery.
#include <QTest>

#include <new>
#include <stdexcept>

#include "AppTestSupport.h"
#include "app/Safely.h"

using namespace apptest;

class SafelyTest : public QObject {
    Q_OBJECT

private slots:
    void aFailureIsToldInABox_data() {
        QTest::addColumn<int>("failure");
        QTest::addColumn<QString>("told");
        QTest::newRow("finishes") << 0 << QString();
        QTest::newRow("runtime error") << 1 << QString("the folder went away");
        QTest::newRow("out of memory") << 2 << QString(std::bad_alloc().what());
    }
    void aFailureIsToldInABox() {
        QFETCH(int, failure);
        QFETCH(QString, told);
        RecordingServices services;
        bool ranToTheEnd = false;
        Safely(services, [&] {
            if (failure == 1)
                throw std::runtime_error("the folder went away");
            if (failure == 2)
                throw std::bad_alloc();
            ranToTheEnd = true;
        });
        QCOMPARE(ranToTheEnd, failure == 0);
        QCOMPARE(services.boxes.size(), std::size_t(told.isEmpty() ? 0 : 1));
        if (!told.isEmpty()) {
            QCOMPARE(services.boxes[0].text, told);
            QCOMPARE(services.boxes[0].buttons, MessageButtons::Ok);
            QCOMPARE(services.boxes[0].icon, BoxIcon::Stop);
        }
    }
};

QTEST_MAIN(SafelyTest)
#include "SafelyTest.moc"
