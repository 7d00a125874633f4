// Makes the README's screenshots with the program's own windows under the offscreen
// platform: the main dialog, a context help balloon over it, the menu of the name
// pattern's tokens over it, the Preview that "Choose Folder" opens with "Preview First"
// over a sample folder with a conflict, the Preview over two items as a file manager's
// action opens it, the Output Log and the main dialog's result line
// after a real batch over a temporary folder (one of whose names is taken, so that a row
// fails), the Undo History of two batches, and the Preview of a regular expression with
// the parts it replaced marked;
// then, in a second run of itself with Qt's scale factor 2, the main dialog as a
// high-resolution screen shows it.
//   brindle_screenshots <folder>
// The offscreen platform draws no window decorations, so the pictures show the client
// areas only; nor does it cut windows to their shapes, so the balloon is laid over the
// dialog through its own window mask.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/CBrindleDlg.h"
#include "app/COutputDlg.h"
#include "app/CPreviewDlg.h"
#include "app/ControlIds.h"
#include "app/OptionsPanel.h"
#include "app/PreviewModel.h"
#include "app/QtText.h"
#include "app/TokenMenu.h"
#include "app/UndoHistoryDlg.h"
#include "app/tools/ToolSupport.h"
#include "balloon/BalloonWnd.h"

using brindle::tools::Ctl;
using brindle::tools::ScriptedServices;

namespace {

constexpr char kScaledRun[] = "--scaled-main-dialog";

bool Touch(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}

// A right-click on the control as the mouse gives it, so the dialog's own context help
// launches the balloon; then the dialog and the balloon, cut to its shape, in one picture.
QImage BalloonOverDialog(QWidget* dialog, int controlId) {
    QWidget* control = Ctl(dialog, controlId);
    if (control == nullptr)
        return {};
    const QPoint local(control->width() / 3, control->height() / 2);
    const QPoint global = control->mapToGlobal(local);
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, local, global, Qt::RightButton,
                          type == QEvent::MouseButtonPress ? Qt::RightButton : Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(control, &event);
    }
    QApplication::processEvents();
    brindle::CBalloonWnd* balloon = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* candidate = qobject_cast<brindle::CBalloonWnd*>(w); candidate && w->isVisible())
            balloon = candidate;
    if (balloon == nullptr)
        return {};

    const QRect dialogArea(dialog->mapToGlobal(QPoint(0, 0)), dialog->size());
    const QRect balloonArea = balloon->geometry();
    const QRect canvas = dialogArea.united(balloonArea);
    QImage image(canvas.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.drawPixmap(dialogArea.topLeft() - canvas.topLeft(), dialog->grab());
    const QPoint at = balloonArea.topLeft() - canvas.topLeft();
    painter.setClipRegion(balloon->mask().translated(at));
    painter.drawPixmap(at, balloon->grab());
    painter.end();
    // The first request only starts the balloon's delay; the second closes it.
    balloon->RequestClose();
    balloon->RequestClose();
    return image;
}

// The "{...}" button clicked and its last group, the narrowest, opened as the keyboard opens
// it (the offscreen screen has room for it beside the menu); then the dialog and both
// menus, with the entry under the keyboard's cursor, in one picture.
QImage TokenMenuOverDialog(CBrindleDlg* dialog) {
    Ctl<QPushButton>(dialog, ids::kTokenButton)->click();
    QApplication::processEvents();
    TokenMenu* menu = dialog->tokenMenu();
    QAction* group = menu->actions().isEmpty() ? nullptr : menu->actions().last();
    QMenu* submenu = group != nullptr ? group->menu() : nullptr;
    if (!menu->isVisible() || submenu == nullptr)
        return {};
    menu->setActiveAction(group);
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(menu, &right);
    QApplication::processEvents();
    if (!submenu->isVisible())
        return {};

    const QRect dialogArea(dialog->mapToGlobal(QPoint(0, 0)), dialog->size());
    const QRect canvas = dialogArea.united(menu->geometry()).united(submenu->geometry());
    QImage image(canvas.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.drawPixmap(dialogArea.topLeft() - canvas.topLeft(), dialog->grab());
    for (QMenu* shown : {static_cast<QMenu*>(menu), submenu})
        painter.drawPixmap(shown->geometry().topLeft() - canvas.topLeft(), shown->grab());
    painter.end();
    submenu->close();
    menu->close();
    return image;
}

// The check box of the Preview's Options panel that shows the option `key`.
QCheckBox* PanelBox(CPreviewDlg* preview, std::u16string_view key) {
    return qobject_cast<QCheckBox*>(preview->optionsPanel()->ControlFor(key));
}

// Waits until the Preview shows the whole plan of the latest change.
bool WholePlan(CPreviewDlg* preview) {
    if (preview->upToDate())
        return true;
    QEventLoop loop;
    QObject::connect(preview, &CPreviewDlg::planShown, &loop, [&loop](bool whole) {
        if (whole)
            loop.quit();
    });
    loop.exec();
    return preview->upToDate();
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The second run: only the main dialog, under the scale factor it was started with.
    const bool scaledRun = argc == 3 && std::string(argv[2]) == kScaledRun;
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brindle"));
    if (argc != 2 && !scaledRun) {
        std::fprintf(stderr, "usage: brindle_screenshots <folder>\n");
        return 2;
    }
    const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath() + QLatin1Char('/');

    QTemporaryDir temp;
    if (!temp.isValid())
        return 1;
    const QString programFolder = temp.path() + QStringLiteral("/Brindle/");
    const QString samples = temp.path() + QStringLiteral("/Holiday 2005/");
    // The Preview's folder: two of its names become one.
    const QString previewed = temp.path() + QStringLiteral("/Holiday 2006/");
    QDir().mkpath(programFolder);
    QDir().mkpath(samples);
    QDir().mkpath(previewed);
    // The regular expression's Preview: a camera's names and one of the user's.
    const QString camera = temp.path() + QStringLiteral("/Camera/");
    QDir().mkpath(camera);
    for (const char* name :
         {"IMG_0041.jpg", "IMG_0042.jpg", "IMG_0043.JPG", "IMG_0044.jpg", "harbour at night.jpg"})
        if (!Touch(camera + QString::fromLatin1(name)))
            return 1;
    for (const char* name : {"beach_at_dawn.JPG", "beach at dawn.JPG", "market_day.JPG",
                             "old_town_walk.JPG", "packing_list.TXT", "sunset_over_the_bay.JPG"})
        if (!Touch(previewed + QString::fromLatin1(name)))
            return 1;
    for (const char* name : {"beach_at_dawn.JPG", "old_town_walk.JPG", "the_harbour_at_night.JPG",
                             "The Harbour At Night.JPG", "packing_list.TXT", "road_trip_song.mp3"})
        if (!Touch(samples + QString::fromLatin1(name)))
            return 1;
    if (!brindle::tools::WriteProgramIni(
            programFolder,
            "[config]\nShow Log Window = 1\nWrite Log File = 1\nCount # of symbols = 1\n"
            "Preview First = 1\n"))
        return 1;
    QDir::setCurrent(programFolder);

    ScriptedServices services(PathFromQt(samples));
    CBrindleDlg dialog(services, nullptr, brindle::PortableUserFiles(PathFromQt(programFolder)));
    dialog.show();
    Ctl<QRadioButton>(&dialog, ids::kUpperLetter)->setChecked(true);
    Ctl<QLineEdit>(&dialog, ids::kReplaceWhat)->setText(QStringLiteral("_"));
    Ctl<QLineEdit>(&dialog, ids::kReplaceWith)->setText(QStringLiteral(" "));
    Ctl<QLineEdit>(&dialog, ids::kFileTypes)->setText(QStringLiteral(".txt"));
    QApplication::processEvents();
    if (scaledRun)
        return dialog.grab().save(out + QStringLiteral("main-dialog-scale2.png")) ? 0 : 1;
    if (!dialog.grab().save(out + QStringLiteral("main-dialog.png")))
        return 1;
    const QImage balloon = BalloonOverDialog(&dialog, ids::kOnlyLog);
    if (balloon.isNull() || !balloon.save(out + QStringLiteral("balloon-help.png")))
        return 1;
    const QImage tokens = TokenMenuOverDialog(&dialog);
    if (tokens.isNull() || !tokens.save(out + QStringLiteral("token-menu.png")))
        return 1;

    // "Preview First": "Choose Folder" opens the Preview over the folder chosen.
    services.setFolder(PathFromQt(previewed));
    Ctl<QPushButton>(&dialog, ids::kChooseFolder)->click();
    CPreviewDlg* preview = dialog.previewDlg();
    if (preview == nullptr)
        return 1;
    if (!WholePlan(preview))
        return 1;
    preview->resize(1000, 460);
    QHeaderView* header = preview->list()->horizontalHeader();
    header->resizeSection(PreviewModel::kCurrentName, 150);
    header->resizeSection(PreviewModel::kNewName, 170);
    header->resizeSection(PreviewModel::kFolder, 200);
    QApplication::processEvents();
    if (!preview->grab().save(out + QStringLiteral("preview.png")))
        return 1;

    // What a file manager's "Rename with Brindle..." opens: the Preview over the two items
    // chosen there ("brindle --preview PATH..."), and not their siblings.
    dialog.PreviewItems(brindle::BatchSource::Drop(
        {PathFromQt(previewed + QStringLiteral("market_day.JPG")),
         PathFromQt(previewed + QStringLiteral("sunset_over_the_bay.JPG"))}));
    if (!WholePlan(preview))
        return 1;
    preview->resize(1000, 320);
    header->resizeSection(PreviewModel::kCurrentName, 180);
    header->resizeSection(PreviewModel::kNewName, 180);
    header->resizeSection(PreviewModel::kFolder, 170);
    QApplication::processEvents();
    if (!preview->grab().save(out + QStringLiteral("preview-from-file-manager.png")))
        return 1;
    preview->hide();

    // Then "Preview First" off in the Preview's panel: "Choose Folder" renames at once.
    QCheckBox* previewFirst = PanelBox(preview, brindle::options::kKeyPreviewFirst);
    if (previewFirst == nullptr)
        return 1;
    previewFirst->click();
    services.setFolder(PathFromQt(samples));
    Ctl<QPushButton>(&dialog, ids::kChooseFolder)->click();
    COutputDlg* log = dialog.outputDlg();
    log->resize(log->width() + 40, log->height() + 20);
    QApplication::processEvents();
    if (!log->grab().save(out + QStringLiteral("output-log.png")))
        return 1;
    if (!dialog.grab().save(out + QStringLiteral("result-line.png")))
        return 1;

    // A second batch, and the Undo History of the two, opened from the result line's end.
    services.setFolder(PathFromQt(previewed));
    Ctl<QRadioButton>(&dialog, ids::kToLowerCase)->setChecked(true);
    Ctl<QPushButton>(&dialog, ids::kChooseFolder)->click();
    Ctl<QPushButton>(&dialog, ids::kHistoryLink)->click();
    UndoHistoryDlg* history = dialog.undoHistoryDlg();
    if (history == nullptr)
        return 1;
    history->resize(history->sizeHint().expandedTo(QSize(640, 180)));
    QApplication::processEvents();
    if (!history->grab().save(out + QStringLiteral("undo-history.png")))
        return 1;
    history->hide();

    // A regular expression over a camera's folder: the Preview marks what it replaced.
    services.setFolder(PathFromQt(camera));
    Ctl<QRadioButton>(&dialog, ids::kNoConversion)->setChecked(true);
    Ctl<QLineEdit>(&dialog, ids::kFileTypes)->clear();
    Ctl<QCheckBox>(&dialog, ids::kRegularExpression)->setChecked(true);
    Ctl<QLineEdit>(&dialog, ids::kReplaceWhat)->setText(QStringLiteral("^IMG_(\\d+)"));
    Ctl<QLineEdit>(&dialog, ids::kReplaceWith)->setText(QStringLiteral("Photo-$1"));
    Ctl<QPushButton>(&dialog, ids::kPreview)->click();
    Ctl<QPushButton>(preview, ids::kPreviewChoose)->click();
    if (!WholePlan(preview))
        return 1;
    preview->resize(1000, 400);
    header->resizeSection(PreviewModel::kCurrentName, 150);
    header->resizeSection(PreviewModel::kNewName, 170);
    header->resizeSection(PreviewModel::kFolder, 200);
    QApplication::processEvents();
    if (!preview->grab().save(out + QStringLiteral("preview-regex.png")))
        return 1;

    QProcess scaled;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
    scaled.setProcessEnvironment(environment);
    scaled.setProcessChannelMode(QProcess::ForwardedChannels);
    scaled.start(QCoreApplication::applicationFilePath(), {out, QString::fromLatin1(kScaledRun)});
    return scaled.waitForFinished(60000) && scaled.exitStatus() == QProcess::NormalExit &&
                   scaled.exitCode() == 0
               ? 0
               : 1;
}
