#pragma once

#include <QList>
#include <QThread>
#include <QUrl>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/DesktopServices.h"
#include "app/PreviewModel.h"
#include "batch/BatchPlanner.h"

class OptionsPanel;
class PreviewWorker;
class QCheckBox;
class QFileSystemWatcher;
class QAction;
class QLabel;
class QMenuBar;
class QPushButton;
class QTableView;
class QTimer;

// The Preview: what the next batch over a folder (or over files and folders dropped on
// the window) would do, item by item, with every conflict and warning marked, before
// anything is renamed. It follows every change of the main dialog's options as it
// happens: the plan is made by a worker thread, a newer change cancels an older plan, and
// the table shows the first screenful of a plan before the whole. It plans again after
// every batch or Undo and when the folder changes on disk, and the list keeps the user's
// place across these: the item at its top and the item chosen. "Show Only Changes" leaves
// out the rows that change nothing and need no look; "Show Skipped" adds, greyed, the
// entries the filters or "Folders Only" pass over. The rows are in the batch's order: a
// click on the title of "Current Name", "Size", "Modified" or "Taken" orders the batch by
// it (a second click turns the order round) as the Options panel would, and the title of
// the order's column bears the arrow. "Rename" hands the batch to the main dialog, which
// renames it as "Choose Folder" does, from a plan made again at that moment.
class CPreviewDlg : public QWidget {
    Q_OBJECT

public:
    // What the next batch over a source would be: the options and counters as the main
    // dialog holds them now.
    using RequestMaker = std::function<brindle::PlanRequest(const brindle::BatchSource&)>;
    // Asks the user for a folder, as the main dialog's "Choose Folder" does; nullopt when
    // the user cancels.
    using FolderChooser = std::function<std::optional<std::u16string>()>;

    CPreviewDlg(QWidget* owner, brindle::DesktopServices& services, RequestMaker makeRequest,
                FolderChooser chooseFolder);
    ~CPreviewDlg() override;

    void SetSource(brindle::BatchSource source);
    const brindle::BatchSource& source() const { return source_; }

    PreviewModel* model() const { return model_; }
    QTableView* list() const { return list_; }
    QLabel* summaryLine() const { return summary_; }
    OptionsPanel* optionsPanel() const { return options_; }
    QCheckBox* onlyChangesBox() const { return onlyChanges_; }
    QCheckBox* showSkippedBox() const { return showSkipped_; }
    QPushButton* renameButton() const { return rename_; }
    QMenuBar* menuBar() const { return menuBar_; }
    // The menu entry that opens the Undo History.
    QAction* undoHistoryAction() const { return undoHistory_; }
    // The size it opens at when the screen has room, and the smallest it is of use at.
    QSize openingSize() const;
    QSize smallestSize() const;
    // The whole plan of the latest change is on show.
    bool upToDate() const { return upToDate_; }

    // Slots of the main dialog's signals.
    void OnOptionsChanged();
    void OnOperationStarted();
    void OnOperationEnded();
    // Buttons.
    void OnChooseFolder();
    void OnRename();

signals:
    // "Rename" was pressed (and, with conflicts or warnings shown, confirmed).
    void renameRequested(const brindle::BatchSource& source);
    // "Undo History..." of the window's menu.
    void undoHistoryRequested();
    // A plan of the latest change is on show: its first screenful, or the whole of it.
    void planShown(bool complete);
    // To the worker.
    void planRequested(quint64 generation, std::shared_ptr<const brindle::PlanRequest> request,
                       int firstScreen);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Where the user is in the list: the item at its top (and how far it is scrolled
    // past), and the item chosen.
    struct ListPlace {
        std::optional<PreviewModel::ItemKey> top;
        std::size_t topItem = 0;
        int topOffset = 0;
        std::optional<PreviewModel::ItemKey> chosen;
        std::size_t chosenItem = 0;
    };
    ListPlace PlaceInList() const;
    void GoTo(const ListPlace& place);
    void OnOnlyChanges(bool only);
    void OnShowSkipped(bool show);
    // The rows' place kept across a change of what the list shows.
    void ShowRows(const std::function<void()>& change);
    // A click on a column's title: the order by that column, or the order turned round.
    void OnHeaderClicked(int section);
    // The title of the order's column bears the arrow, as the Options panel shows it.
    void ShowOrder();

    void Replan();
    void OnPlanned(quint64 generation, std::shared_ptr<const brindle::Plan> plan);
    void OnFailed(quint64 generation, const QString& reason);
    void OnFilesDropped(const QList<QUrl>& urls);
    // The old plan is freed by the worker: freeing a large one takes a while.
    void Release(std::shared_ptr<const brindle::Plan> plan);
    void Watch();
    void ShowSource();
    // The source's text, cut in its middle to the label's width.
    void FitSourceText();
    int ScreenRows() const;

    brindle::DesktopServices& services_;
    RequestMaker makeRequest_;
    FolderChooser chooseFolder_;
    brindle::BatchSource source_;
    bool hasSource_ = false;

    QLabel* sourceLabel_;
    QString sourceText_;
    QPushButton* choose_;
    QTableView* list_;
    PreviewModel* model_;
    QLabel* summary_;
    QCheckBox* onlyChanges_;
    QCheckBox* showSkipped_;
    OptionsPanel* options_;
    QPushButton* rename_;
    QPushButton* close_;
    QMenuBar* menuBar_ = nullptr;
    QAction* undoHistory_ = nullptr;
    QFileSystemWatcher* watcher_;
    QTimer* settle_;

    QThread thread_;
    PreviewWorker* worker_;
    std::atomic<quint64> latest_{0};
    quint64 generation_ = 0;
    // A batch or Undo runs: nothing is planned until it has ended.
    bool held_ = false;
    bool upToDate_ = false;
    // The list shows a whole plan, and the place the user had in the last one.
    bool wholeOnShow_ = false;
    ListPlace place_;
};
