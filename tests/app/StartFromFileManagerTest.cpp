// "brindle --preview PATH...", as a file manager's action starts the program: the command
// line read against the folder it was started in, and the main dialog opening the Preview
// over exactly those items, whose "Rename" renames them whatever "Preview First" says.
#include <QPushButton>
#include <QTest>

#include <string>
#include <vector>

#include "MainDialogFixture.h"
#include "app/CBrindleApp.h"
#include "app/CPreviewDlg.h"
#include "app/ControlIds.h"
#include "app/PreviewModel.h"
#include "platform/NameCodec.h"

using namespace apptest;

Q_DECLARE_METATYPE(std::vector<std::string>)

namespace {

constexpr int kWait = 10000;

}  // namespace

class StartFromFileManagerTest : public QObject, MainDialogFixture {
    Q_OBJECT

private:
    // The program's command line as started in the test's folder.
    CBrindleApp Started(const std::vector<std::string>& arguments) {
        std::vector<const char*> argv{"/usr/bin/brindle"};
        for (const std::string& argument : arguments)
            argv.push_back(argument.c_str());
        CBrindleApp app;
        app.ReadCommandLine(static_cast<int>(argv.size()), argv.data(), folder_->folder());
        return app;
    }
    // The dialog opened as the program opens it for those arguments, with the given
    // conversion ticked, and its Preview once it shows the whole plan.
    CPreviewDlg* OpenedWith(const std::vector<std::string>& arguments, int conversion) {
        const CBrindleApp app = Started(arguments);
        if (!app.previewMode || app.previewPaths.empty())
            return nullptr;
        ShowDialog();
        QTest::mouseClick(Ctl(conversion), Qt::LeftButton);
        dlg_->PreviewItems(app.PreviewSource());
        CPreviewDlg* preview = dlg_->previewDlg();
        if (!preview || !preview->isVisible() ||
            !QTest::qWaitFor([preview] { return preview->upToDate(); }, kWait))
            return nullptr;
        return preview;
    }
    std::u16string Path(const std::string& relative) const {
        return brindle::DecodeName(folder_->path(relative).toStdString());
    }

private slots:
    void init() { SetUp(); }
    void cleanup() { TearDown(); }

    void theCommandLine_data() {
        QTest::addColumn<std::vector<std::string>>("arguments");
        QTest::addColumn<bool>("commandLineMode");
        QTest::addColumn<bool>("previewMode");
        QTest::addColumn<bool>("installActions");
        QTest::addColumn<QStringList>("paths");
        using Args = std::vector<std::string>;
        QTest::newRow("none: the menu's start")
            << Args{} << false << false << false << QStringList{};
        QTest::newRow("plain arguments: command-line mode")
            << Args{"a", "b"} << true << false << false << QStringList{};
        QTest::newRow("--preview later on is a plain argument")
            << Args{"a", "--preview"} << true << false << false << QStringList{};
        QTest::newRow("--preview alone: the menu's start")
            << Args{"--preview"} << false << true << false << QStringList{};
        QTest::newRow("--preview with relative and absolute paths")
            << Args{"--preview", "a b.txt", "./d/../c", "/srv/x/"} << false << true << false
            << QStringList{"HERE/a b.txt", "HERE/c", "/srv/x"};
        QTest::newRow("after --preview everything is a path, an empty one nothing")
            << Args{"--preview", "--preview", "", "-n"} << false << true << false
            << QStringList{"HERE/--preview", "HERE/-n"};
        QTest::newRow("--install-file-manager-actions")
            << Args{"--install-file-manager-actions"} << false << false << true << QStringList{};
    }
    void theCommandLine() {
        QFETCH(std::vector<std::string>, arguments);
        QFETCH(bool, commandLineMode);
        QFETCH(bool, previewMode);
        QFETCH(bool, installActions);
        QFETCH(QStringList, paths);
        const CBrindleApp app = Started(arguments);
        QCOMPARE(app.commandLineMode, commandLineMode);
        QCOMPARE(app.previewMode, previewMode);
        QCOMPARE(app.installActions, installActions);
        QCOMPARE(app.arguments.size(), arguments.size());
        QString here = QString::fromStdU16String(folder_->folder());
        here.chop(1);
        QStringList shown;
        for (const std::u16string& path : app.previewPaths)
            shown << QString::fromStdU16String(path).replace(here, "HERE");
        QCOMPARE(shown, paths);
    }

    // Two files of a folder: those two and not their siblings, renamed by "Rename" though
    // "Preview First" is off.
    void twoFilesOpenThePreviewOverExactlyThem() {
        folder_->temp().createFiles({"d/A.TXT", "d/B C.TXT", "d/D.TXT"});
        WriteIni("[config]\nPreview First = 0\n");
        CPreviewDlg* preview = OpenedWith({"--preview", "d/B C.TXT", "d/A.TXT"}, ids::kToLowerCase);
        QVERIFY(preview);
        QVERIFY(preview->source().isDrop);
        QCOMPARE(PreviewColumn(preview->model(), PreviewModel::kCurrentName),
                 (QStringList{"B C.TXT", "A.TXT"}));
        QCOMPARE(PreviewColumn(preview->model(), PreviewModel::kNewName),
                 (QStringList{"b c.txt", "a.txt"}));
        QVERIFY(folder_->temp().exists("d/A.TXT"));

        QTest::mouseClick(preview->renameButton(), Qt::LeftButton);
        QCOMPARE(
            folder_->temp().listing(),
            (std::vector<std::string>{"Brindle.ini", "d/", "d/D.TXT", "d/a.txt", "d/b c.txt"}));
    }

    // One folder: its items, as "Choose Folder" on it; one file: that file alone.
    void oneFolderListsItsItemsAndOneFileItself_data() {
        QTest::addColumn<std::string>("argument");
        QTest::addColumn<bool>("isDrop");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("a folder") << std::string("d") << false << QStringList{"x.txt", "y.txt"};
        QTest::newRow("the current folder")
            << std::string("d/.") << false << QStringList{"x.txt", "y.txt"};
        QTest::newRow("one file") << std::string("d/y.txt") << true << QStringList{"y.txt"};
    }
    void oneFolderListsItsItemsAndOneFileItself() {
        QFETCH(std::string, argument);
        QFETCH(bool, isDrop);
        QFETCH(QStringList, names);
        folder_->temp().createFiles({"d/x.txt", "d/y.txt", "e.txt"});
        CPreviewDlg* preview = OpenedWith({"--preview", argument}, ids::kToUpperCase);
        QVERIFY(preview);
        QCOMPARE(preview->source().isDrop, isDrop);
        if (!isDrop)
            QCOMPARE(preview->source().folder, Path("d"));
        QCOMPARE(PreviewColumn(preview->model(), PreviewModel::kCurrentName), names);
    }
};

QTEST_MAIN(StartFromFileManagerTest)
#include "StartFromFileManagerTest.moc"
