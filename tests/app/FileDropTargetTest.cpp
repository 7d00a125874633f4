// Drops on a window: drags with URLs taken while the window accepts them, others refused,
// and a drop over a child that takes none handed to the window.
#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include "app/FileDropTarget.h"

class FileDropTargetTest : public QObject {
    Q_OBJECT

    struct Delivered {
        bool enterAccepted;
        bool moveAccepted;
        bool dropAccepted;
    };
    // What a file manager sends: an enter, a move and a drop, aimed at `target`.
    static Delivered Deliver(QWidget* target, const QMimeData& data) {
        const QPoint at(2, 2);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        return {enter.isAccepted(), move.isAccepted(), drop.isAccepted()};
    }

private slots:
    void takesUrlsWhileAccepting_data() {
        QTest::addColumn<bool>("withUrls");
        QTest::addColumn<bool>("accepting");
        QTest::addColumn<bool>("taken");
        QTest::newRow("files, accepting") << true << true << true;
        QTest::newRow("files, busy") << true << false << false;
        QTest::newRow("text only") << false << true << false;
    }
    void takesUrlsWhileAccepting() {
        QFETCH(bool, withUrls);
        QFETCH(bool, accepting);
        QFETCH(bool, taken);
        QWidget window;
        auto* edit = new QLineEdit(&window);
        edit->setAcceptDrops(false);
        FileDropTarget target(&window, [&] { return accepting; });
        QVERIFY(window.acceptDrops());
        QSignalSpy dropped(&target, &FileDropTarget::dropped);
        window.show();

        const QList<QUrl> urls = {QUrl::fromLocalFile("/tmp/a b.txt"),
                                  QUrl("https://example.invalid/x")};
        QMimeData data;
        if (withUrls)
            data.setUrls(urls);
        else
            data.setText(QStringLiteral("/tmp/a b.txt"));
        // Aimed at the window, and at a child that takes no drops of its own.
        for (QWidget* aim : {&window, static_cast<QWidget*>(edit)}) {
            const Delivered delivered = Deliver(aim, data);
            QCOMPARE(delivered.enterAccepted, taken);
            QCOMPARE(delivered.moveAccepted, taken);
            QCOMPARE(delivered.dropAccepted, taken);
        }
        QCOMPARE(dropped.count(), taken ? 2 : 0);
        for (const QList<QVariant>& signal : dropped)
            QCOMPARE(signal[0].value<QList<QUrl>>(), urls);
    }

    void withoutACheckDropsAreAlwaysTaken() {
        QWidget window;
        FileDropTarget target(&window);
        QSignalSpy dropped(&target, &FileDropTarget::dropped);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile("/tmp/x")});
        QVERIFY(Deliver(&window, data).dropAccepted);
        QCOMPARE(dropped.count(), 1);
    }
};

QTEST_MAIN(FileDropTargetTest)
#include "FileDropTargetTest.moc"
