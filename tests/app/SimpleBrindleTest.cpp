// Command-line mode and start-up: the arguments as the system hands them over, the
// command-line dialog's boxes and buttons, and the real program without its credits
// library.
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <filesystem>

#include "AppTestSupport.h"
#include "app/CBrindleApp.h"
#include "app/CSimpleBrindle.h"
#include "app/DialogUnits.h"
#include "platform/NameCodec.h"

using namespace apptest;

Q_DECLARE_METATYPE(std::vector<std::string>)

class SimpleBrindleTest : public QObject {
    Q_OBJECT

private slots:
    void messageBoxes_data() {
        QTest::addColumn<std::vector<std::string>>("arguments");
        QTest::addColumn<QStringList>("boxes");
        QTest::newRow("one argument: two boxes")
            << std::vector<std::string>{"/d/a.txt"} << QStringList{"/d/a.txt", "/d/a.txt"};
        QTest::newRow("two paths") << std::vector<std::string>{"/d/a.txt", "/d/b c.txt"}
                                   << QStringList{"/d/a.txt*/d/b c.txt", "/d/a.txt", "/d/b c.txt"};
        QTest::newRow("star and quotes stay inside their argument")
            << std::vector<std::string>{"a*b", "say \"hi\"", "\""}
            << QStringList{"a*b*say \"hi\"*\"", "a*b", "say \"hi\"", "\""};
        QTest::newRow("empty argument")
            << std::vector<std::string>{"", "x"} << QStringList{"*x", "", "x"};
    }
    void messageBoxes() {
        QFETCH(std::vector<std::string>, arguments);
        QFETCH(QStringList, boxes);
        std::vector<const char*> argv{"/opt/brindle/brindle"};
        for (const std::string& a : arguments)
            argv.push_back(a.c_str());
        CBrindleApp app;
        app.ReadCommandLine(static_cast<int>(argv.size()), argv.data());
        QVERIFY(app.commandLineMode);
        RecordingServices services;
        CSimpleBrindle dlg(services, app.arguments);
        dlg.show();
        QStringList shown;
        for (const RecordedBox& box : services.boxes) {
            shown << box.text;
            QCOMPARE(box.caption, QString("Brindle"));
            QCOMPARE(box.buttons, MessageButtons::Ok);
        }
        QCOMPARE(shown, boxes);
        QCOMPARE(dlg.pieces().size(), arguments.size());
        // Shown once: showing the dialog again asks nothing more.
        dlg.hide();
        dlg.show();
        QCOMPARE(services.boxes.size(), std::size_t(boxes.size()));
    }

    void manyArguments() {
        std::vector<std::string> storage;
        std::vector<const char*> argv{"brindle"};
        for (int i = 0; i < 80; ++i)
            storage.push_back("/f/" + std::to_string(i));
        for (const std::string& s : storage)
            argv.push_back(s.c_str());
        CBrindleApp app;
        app.ReadCommandLine(static_cast<int>(argv.size()), argv.data());
        RecordingServices services;
        CSimpleBrindle dlg(services, app.arguments);
        dlg.OnInitDialog();
        QCOMPARE(services.boxes.size(), std::size_t(81));
        QCOMPARE(services.boxes.back().text, QString("/f/79"));
    }

    void namesThatAreNotUtf8KeepTheirBytes() {
        const char name[] = "/d/caf\xe9.txt";
        const char* argv[] = {"brindle", name};
        CBrindleApp app;
        app.ReadCommandLine(2, argv);
        QCOMPARE(brindle::EncodeName(app.arguments.at(0)), std::string(name));
    }

    void noArgumentsIsNormalMode() {
        const char* argv[] = {"brindle"};
        CBrindleApp app;
        app.ReadCommandLine(1, argv);
        QVERIFY(!app.commandLineMode);
        QVERIFY(app.arguments.empty());
    }

    void theDialog_data() {
        QTest::addColumn<bool>("ok");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }
    void theDialog() {
        QFETCH(bool, ok);
        RecordingServices services;
        CSimpleBrindle dlg(services, {u"a"});
        dlg.show();
        QCOMPARE(dlg.windowTitle(), QString("Dialog"));
        const DialogUnits& units = dlg.units();
        QVERIFY(units.xUnit64() >= DialogUnits(QApplication::font()).xUnit64());
        QCOMPARE(dlg.size(), units.size(186, 95));
        QCOMPARE(dlg.okButton()->text(), QString("OK"));
        QCOMPARE(dlg.cancelButton()->text(), QString("Cancel"));
        QCOMPARE(dlg.okButton()->geometry(), units.rect(129, 7, 50, 14));
        QCOMPARE(dlg.cancelButton()->geometry(), units.rect(129, 24, 50, 14));
        QVERIFY(dlg.okButton()->isDefault());
        QTest::mouseClick(ok ? dlg.okButton() : dlg.cancelButton(), Qt::LeftButton);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(ok ? QDialog::Accepted : QDialog::Rejected));
    }

    void enterPressesOk() {
        RecordingServices services;
        CSimpleBrindle dlg(services, {u"a"});
        dlg.show();
        QTest::keyClick(&dlg, Qt::Key_Return);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }

    void programWithoutItsCreditsLibraryEndsWithStatusOne() {
        brindle::testing::TempFolder temp;
        const QString copy = QString::fromStdString((temp.path() / "brindle").string());
        QVERIFY(QFile::copy(QStringLiteral(BRINDLE_PROGRAM), copy));
        QVERIFY(!std::filesystem::exists(temp.path() / "libKelvaneU.so"));
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        // The library must not be found anywhere else either.
        environment.remove("LD_LIBRARY_PATH");
        program.setProcessEnvironment(environment);
        program.start(copy, {});
        QVERIFY(program.waitForStarted());
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 1);
        QCOMPARE(program.readAllStandardOutput(), QByteArray());
        // One line, the loader's reason, which names the library.
        QCOMPARE(program.readAllStandardError(),
                 QByteArray("brindle: libKelvaneU.so: cannot open shared object file: No such "
                            "file or directory\n"));
    }
};

QTEST_MAIN(SimpleBrindleTest)
#include "SimpleBrindleTest.moc"
