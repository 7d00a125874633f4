// "brindle --install-file-manager-actions": the Nautilus script and the Thunar action merged
// into the user's uca.xml, in real folders of a home of the test's own, and the real program
// run without a display.
#include <QProcess>
#include <QTest>

#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <string>

#include "TempFolder.h"
#include "app/FileManagerActions.h"
#include "platform/NameCodec.h"

using brindle::MergeThunarAction;
using brindle::testing::TempFolder;

namespace {

constexpr char kProgram[] = "/opt/my brindle/brindle";
constexpr char kUca[] = "config/Thunar/uca.xml";
constexpr char kScript[] = "data/nautilus/scripts/Rename with Brindle";

// Two actions of the user's own, as Thunar writes them, with a comment and an entity that a
// rewrite through an XML writer would not keep as they are.
const std::string kUsersActions =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!-- mine -->\n"
    "<actions>\n"
    "<action>\n"
    "\t<icon>utilities-terminal</icon>\n"
    "\t<name>Open Terminal Here</name>\n"
    "\t<unique-id>1700000000000000-1</unique-id>\n"
    "\t<command>exo-open --working-directory %f --launch TerminalEmulator</command>\n"
    "\t<description>Example for a custom action &amp; more</description>\n"
    "\t<patterns>*</patterns>\n"
    "\t<directories/>\n"
    "</action>\n"
    "<action  name=\"x > y\"><name>Größe</name><unique-id>2</unique-id><command>du -sh %F"
    "</command></action>\n"
    "</actions>\n";

int Count(const std::string& text, const std::string& piece) {
    int count = 0;
    for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
        ++count;
    return count;
}

// The text without our action: what must stay byte for byte.
std::string WithoutOurs(std::string text) {
    const std::string action = brindle::ThunarAction(kProgram);
    for (auto at = text.find(action); at != std::string::npos; at = text.find(action))
        text.erase(at, action.size() + 1);  // with the line end put after it
    return text;
}

brindle::UserEnvironment HomeIn(const TempFolder& temp) {
    brindle::UserEnvironment environment;
    environment.home = (temp.path() / "home").string();
    environment.xdgDataHome = (temp.path() / "data").string();
    environment.xdgConfigHome = (temp.path() / "config").string();
    environment.xdgConfigDirs = (temp.path() / "etc").string();
    return environment;
}

}  // namespace

Q_DECLARE_METATYPE(std::optional<std::string>)

class FileManagerActionsTest : public QObject {
    Q_OBJECT

private slots:
    // Every other byte of the file stays; ours is found by its unique-id and put in its place,
    // so that merging again changes nothing.
    void merging_data() {
        QTest::addColumn<std::optional<std::string>>("existing");
        QTest::addColumn<std::string>("keptAround");
        const std::string ours = brindle::ThunarAction(kProgram);
        const std::string oldOurs = brindle::ThunarAction("/usr/bin/old-brindle");
        QTest::newRow("no file yet")
            << std::optional<std::string>()
            << std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n</actions>\n");
        QTest::newRow("the user's actions") << std::optional(kUsersActions) << kUsersActions;
        const std::string between = "<actions>\n<action><unique-id>a</unique-id></action>\n";
        QTest::newRow("ours of another program path, replaced where it was")
            << std::optional(between + oldOurs + "\n<action><unique-id>b</unique-id></action>\n" +
                             "</actions>")
            << between + "<action><unique-id>b</unique-id></action>\n</actions>";
        QTest::newRow("ours twice: one stays")
            << std::optional("<actions>" + oldOurs + "\n" + oldOurs + "\n</actions>")
            << std::string("<actions>\n</actions>");
        QTest::newRow("an empty root element")
            << std::optional<std::string>("<?xml version=\"1.0\"?>\n<actions/>\n")
            << std::string("<?xml version=\"1.0\"?>\n<actions>\n</actions>\n");
    }
    void merging() {
        QFETCH(std::optional<std::string>, existing);
        QFETCH(std::string, keptAround);
        std::u16string mistake;
        const std::optional<std::string> merged =
            MergeThunarAction(existing, brindle::ThunarAction(kProgram), mistake);
        QVERIFY2(merged, brindle::EncodeName(mistake).c_str());
        QCOMPARE(Count(*merged, "<unique-id>brindle-rename-with-brindle</unique-id>"), 1);
        QCOMPARE(Count(*merged, brindle::ThunarAction(kProgram)), 1);
        QCOMPARE(WithoutOurs(*merged), keptAround);
        const std::optional<std::string> again =
            MergeThunarAction(merged, brindle::ThunarAction(kProgram), mistake);
        QVERIFY(again);
        QCOMPARE(*again, *merged);
    }

    void refused_data() {
        QTest::addColumn<std::string>("existing");
        QTest::addColumn<QString>("mistake");
        QTest::newRow("an end tag missing")
            << std::string("<actions>\n<action><name>x</name>\n</actions>\n")
            << "it is not well-formed XML (line 3, column ";
        QTest::newRow("an empty file") << std::string() << "it is not well-formed XML (line 1";
        QTest::newRow("text after the root")
            << std::string("<actions></actions>junk") << "it is not well-formed XML (line 1";
        QTest::newRow("another root element")
            << std::string("<menu></menu>")
            << "it holds no Thunar actions (its root element is <menu>, not <actions>)";
        QTest::newRow("bytes that are not UTF-8")
            << std::string("<actions><action><name>\xe9t\xe9</name></action></actions>")
            << "it is not UTF-8 text";
    }
    void refused() {
        QFETCH(std::string, existing);
        QFETCH(QString, mistake);
        std::u16string said;
        QVERIFY(!MergeThunarAction(existing, brindle::ThunarAction(kProgram), said));
        QVERIFY2(QString::fromStdU16String(said).startsWith(mistake),
                 qPrintable(QString::fromStdU16String(said)));
    }

    // Run twice over a uca.xml of the user's: one action of ours, theirs as they were, and
    // an executable script that runs the program with the items.
    void installingTwiceLeavesOneActionAndTheUsersOwn() {
        TempFolder temp;
        temp.createFile(kUca, kUsersActions);
        const brindle::UserEnvironment environment = HomeIn(temp);
        for (int run = 0; run < 2; ++run) {
            const brindle::ActionsReport report =
                brindle::InstallFileManagerActions(brindle::DecodeName(kProgram), environment);
            QCOMPARE(report.status, 0);
            QCOMPARE(report.problems, std::u16string());
            QCOMPARE(QString::fromStdU16String(report.written),
                     "Wrote the Nautilus script " + QString::fromStdString(temp.path() / kScript) +
                         "\nWrote the Thunar action \"Rename with Brindle...\" into " +
                         QString::fromStdString(temp.path() / kUca) + "\n");
        }
        const std::string uca = temp.readFile(kUca);
        QCOMPARE(Count(uca, "brindle-rename-with-brindle"), 1);
        QCOMPARE(WithoutOurs(uca), kUsersActions);
        QVERIFY(uca.find("<command>'/opt/my brindle/brindle' --preview %F</command>") !=
                std::string::npos);

        QCOMPARE(temp.readFile(kScript),
                 std::string("#!/bin/sh\n"
                             "# Opens Brindle's Preview over the files and folders chosen in "
                             "Nautilus.\n"
                             "# Written by \"brindle --install-file-manager-actions\", which "
                             "writes it anew.\n"
                             "exec '/opt/my brindle/brindle' --preview \"$@\"\n"));
        struct stat info {};
        QCOMPARE(stat((temp.path() / kScript).c_str(), &info), 0);
        QVERIFY(info.st_mode & S_IXUSR);
        QVERIFY(!(info.st_mode & S_IWOTH));
    }

    void aMalformedUcaIsLeftAsItIs() {
        TempFolder temp;
        const std::string broken = "<actions>\n<action><name>mine</name>\n</actions>\n";
        temp.createFile(kUca, broken);
        const brindle::ActionsReport report =
            brindle::InstallFileManagerActions(brindle::DecodeName(kProgram), HomeIn(temp));
        QCOMPARE(report.status, 2);
        QVERIFY(QString::fromStdU16String(report.problems)
                    .startsWith("brindle: " + QString::fromStdString(temp.path() / kUca) +
                                " was left as it is: it is not well-formed XML (line 3"));
        QCOMPARE(temp.readFile(kUca), broken);
        QCOMPARE(temp.listing(), (std::vector<std::string>{
                                     "config/", "config/Thunar/", "config/Thunar/uca.xml", "data/",
                                     "data/nautilus/", "data/nautilus/scripts/", kScript}));
    }

    // Thunar reads the first uca.xml it finds: a user's new file keeps the system's actions.
    void aUserWithoutAFileStartsFromTheSystems() {
        TempFolder temp;
        temp.createFile("etc/Thunar/uca.xml", kUsersActions);
        QCOMPARE(
            brindle::InstallFileManagerActions(brindle::DecodeName(kProgram), HomeIn(temp)).status,
            0);
        QCOMPARE(WithoutOurs(temp.readFile(kUca)), kUsersActions);
        QCOMPARE(temp.readFile("etc/Thunar/uca.xml"), kUsersActions);
    }

    // The real program, with no display at all: it says what it wrote, with its own path.
    void theProgramWritesThemWithoutADisplay() {
        TempFolder temp;
        temp.createFile("home/.config/Thunar/uca.xml", kUsersActions);
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_DATA_HOME",
                                 "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS"})
            environment.remove(name);
        environment.insert("HOME", QString::fromStdString(temp.path() / "home"));
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(BRINDLE_PROGRAM), {"--install-file-manager-actions"});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.readAllStandardError(), QByteArray());
        QCOMPARE(program.exitCode(), 0);
        const std::filesystem::path home = temp.path() / "home";
        QCOMPARE(
            QString::fromUtf8(program.readAllStandardOutput()),
            "Wrote the Nautilus script " +
                QString::fromStdString(home / ".local/share/nautilus/scripts/Rename with Brindle") +
                "\nWrote the Thunar action \"Rename with Brindle...\" into " +
                QString::fromStdString(home / ".config/Thunar/uca.xml") + "\n");
        const std::string program_ = std::filesystem::canonical(BRINDLE_PROGRAM).string();
        QVERIFY(temp.readFile("home/.local/share/nautilus/scripts/Rename with Brindle")
                    .find("exec " + brindle::ShellQuoted(program_) + " --preview \"$@\"") !=
                std::string::npos);
        QCOMPARE(Count(temp.readFile("home/.config/Thunar/uca.xml"), "Open Terminal Here"), 1);
    }
};

QTEST_GUILESS_MAIN(FileManagerActionsTest)
#include "FileManagerActionsTest.moc"
