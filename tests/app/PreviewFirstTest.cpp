// "Preview First": "Choose Folder" and drops on the main dialog open the Preview over what
// they name, and only its "Rename" renames; the Options panel's box switches it. The
// folder browser opens in the folder chosen last, kept in the state file across a
// restart, or else at home.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include <filesystem>
#include <string>
#include <vector>

#include "MainDialogFixture.h"
#include "app/CBrindleDlg.h"
#include "app/COutputDlg.h"
#include "app/CPreviewDlg.h"
#include "app/ControlIds.h"
#include "app/OptionsPanel.h"
#include "app/OutputLogModel.h"
#include "app/PreviewModel.h"
#include "platform/NameCodec.h"

using namespace apptest;

namespace {

constexpr int kWait = 10000;

}  // namespace

class PreviewFirstTest : public QObject, MainDialogFixture {
    Q_OBJECT

private:
    void Click(int id) { QTest::mouseClick(Ctl(id), Qt::LeftButton); }
    std::u16string Path(const std::string& relative) const {
        return brindle::DecodeName(folder_->path(relative).toStdString());
    }
    void ChooseFolder(const std::string& relative) {
        services_->folder = Path(relative);
        Click(ids::kChooseFolder);
    }
    // What a file manager delivers: an enter and a drop with file URLs.
    bool Drop(QWidget* target, const std::vector<std::string>& relatives) {
        QList<QUrl> urls;
        for (const std::string& relative : relatives)
            urls << QUrl::fromLocalFile(folder_->path(relative));
        // The dialog takes the drop once it is over.
        return DropUrls(target, urls);
    }
    // The Preview, open and showing the whole plan of what it was pointed at.
    CPreviewDlg* SettledPreview() {
        CPreviewDlg* preview = dlg_->previewDlg();
        if (!preview || !preview->isVisible() ||
            !QTest::qWaitFor([preview] { return preview->upToDate(); }, kWait))
            return nullptr;
        return preview;
    }
    QCheckBox* PreviewFirstBox() {
        return qobject_cast<QCheckBox*>(
            dlg_->previewDlg()->optionsPanel()->ControlFor(brindle::options::kKeyPreviewFirst));
    }
    int OutputRows() const { return dlg_->outputDlg()->model()->rowCount(); }
    // The program folder's own files, with the home folder in a folder of its own.
    brindle::UserFiles FilesWithHome() const {
        brindle::UserFiles files = brindle::PortableUserFiles(folder_->folder());
        files.homeFolder = Path("home");
        return files;
    }

private slots:
    void init() { SetUp(); }
    void cleanup() { TearDown(); }

    void chooseFolderOpensThePreviewAndOnlyRenameRenames() {
        folder_->temp().createFiles({"p/One.TXT", "p/Two.TXT", "q/Three.TXT"});
        WriteIni("[config]\nPreview First = 1\n");
        ShowDialog();
        Click(ids::kToLowerCase);
        ChooseFolder("p");

        CPreviewDlg* preview = SettledPreview();
        QVERIFY(preview);
        QCOMPARE(preview->source().folder, Path("p"));
        QCOMPARE(PreviewColumn(preview->model(), PreviewModel::kNewName),
                 (QStringList{"one.txt", "two.txt"}));
        QVERIFY(folder_->temp().exists("p/One.TXT"));
        QCOMPARE(OutputRows(), 0);
        QVERIFY(PreviewFirstBox() && PreviewFirstBox()->isChecked());

        QTest::mouseClick(preview->renameButton(), Qt::LeftButton);
        QVERIFY(folder_->temp().exists("p/one.txt"));
        QVERIFY(folder_->temp().exists("p/two.txt"));
        QCOMPARE(OutputRows(), 2);
        QVERIFY(services_->boxes.empty());

        // The panel's box off: "Choose Folder" renames at once, as without the option.
        PreviewFirstBox()->setChecked(false);
        QVERIFY(!dlg_->settings().previewFirst);
        preview->close();
        ChooseFolder("q");
        QVERIFY(folder_->temp().exists("q/three.txt"));
        QCOMPARE(OutputRows(), 3);
        QVERIFY(!preview->isVisible());
    }

    // The Preview plans exactly the dropped items, not the rest of their folder.
    void aDropOpensThePreviewOverThoseItems() {
        folder_->temp().createFiles({"d/X.TXT", "d/Y.TXT", "d/Z.TXT"});
        WriteIni("[config]\nPreview First = 1\n");
        ShowDialog();
        Click(ids::kToLowerCase);
        QVERIFY(Drop(Ctl(ids::kReplaceWhat), {"d/Y.TXT", "d/X.TXT"}));

        CPreviewDlg* preview = SettledPreview();
        QVERIFY(preview);
        QVERIFY(preview->source().isDrop);
        QCOMPARE(PreviewColumn(preview->model(), PreviewModel::kCurrentName),
                 (QStringList{"Y.TXT", "X.TXT"}));
        QVERIFY(folder_->temp().exists("d/X.TXT"));
        QCOMPARE(OutputRows(), 0);

        QTest::mouseClick(preview->renameButton(), Qt::LeftButton);
        QCOMPARE(folder_->temp().listing(),
                 (std::vector<std::string>{"Brindle.ini", "d/", "d/Z.TXT", "d/x.txt", "d/y.txt"}));
        QCOMPARE(OutputRows(), 2);
    }

    // Each "Choose Folder", the main dialog's or the Preview's, opens where the last one
    // chose; a new run reads it from the state file; before any choice it opens at home.
    void theBrowserOpensInTheFolderChosenLast() {
        folder_->temp().createFiles({"home/", "a/", "b/"});
        WriteIni("[config]\nPreview First = 1\n");
        MakeDialogWith(FilesWithHome()).show();
        ChooseFolder("a");
        QVERIFY(SettledPreview());
        services_->folder = Path("b");
        QTest::mouseClick(
            dlg_->previewDlg()->findChild<QWidget*>(QString::number(ids::kPreviewChoose)),
            Qt::LeftButton);
        QCOMPARE(dlg_->previewDlg()->source().folder, Path("b"));
        services_->folder.reset();
        Click(ids::kChooseFolder);
        QCOMPARE(
            services_->startFolders,
            (std::vector<QString>{folder_->path("home"), folder_->path("a"), folder_->path("b")}));

        // A restart: the state file remembers, and while "b" is there the browser opens in it.
        MakeDialogWith(FilesWithHome()).show();
        Click(ids::kChooseFolder);
        QCOMPARE(services_->startFolders.back(), folder_->path("b"));
        std::filesystem::remove(folder_->temp().path() / "b");
        MakeDialogWith(FilesWithHome()).show();
        Click(ids::kChooseFolder);
        QCOMPARE(services_->startFolders.back(), folder_->path("home"));
    }

    // A state file that is missing, cannot be read, is spoilt or names a folder that is
    // gone: the browser opens at home, never in the program's folder.
    void aStateThatCannotBeUsedOpensTheBrowserAtHome() {
        struct Case {
            const char* name;
            std::vector<std::string> made;  // relative to the program folder
            std::string contents;           // of Brindle.state, when not made above
        };
        const std::string gone = folder_->path("gone").toStdString();
        const std::vector<Case> cases = {
            {"missing", {}, {}},
            {"a folder in its place", {"Brindle.state/"}, {}},
            {"spoilt", {}, "Last Folder=\\x\n"},
            {"the folder is gone", {}, "Last Folder=" + gone + "\n"},
        };
        for (const Case& c : cases) {
            TearDown();
            SetUp();
            folder_->temp().createFiles({"home/", "Brindle.ini"});
            for (const std::string& path : c.made)
                folder_->temp().createFiles({path});
            if (!c.contents.empty())
                folder_->temp().createFile("Brindle.state", c.contents);
            MakeDialogWith(FilesWithHome()).show();
            Click(ids::kChooseFolder);
            QVERIFY2(services_->startFolders == std::vector<QString>{folder_->path("home")},
                     c.name);
        }
    }
};

QTEST_MAIN(PreviewFirstTest)
#include "PreviewFirstTest.moc"
