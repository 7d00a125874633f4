#include "app/CPreviewDlg.h"

#include <QCheckBox>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

#include "app/ControlId.h"
#include "app/ControlIds.h"
#include "app/DialogUnits.h"
#include "app/FileDropTarget.h"
#include "app/MarkedNameDelegate.h"
#include "app/OptionsPanel.h"
#include "app/PreviewModel.h"
#include "app/PreviewWorker.h"
#include "app/QtText.h"
#include "app/RowTableLook.h"
#include "app/Safely.h"
#include "batch/Messages.h"

using brindle::BoxIcon;
using brindle::MessageButtons;
using brindle::MessageResult;

namespace {

// Changes on disk come in bursts (a batch of another program, a copy): the plan is made
// again once they have settled.
constexpr int kSettleMs = 200;

// The columns whose title orders the batch, and the order each stands for.
struct OrderColumn {
    int column;
    brindle::NameOrder order;
};
constexpr OrderColumn kOrderColumns[] = {
    {PreviewModel::kCurrentName, brindle::NameOrder::Natural},
    {PreviewModel::kSize, brindle::NameOrder::Size},
    {PreviewModel::kModified, brindle::NameOrder::Modified},
    {PreviewModel::kTaken, brindle::NameOrder::Taken},
};

}  // namespace

CPreviewDlg::CPreviewDlg(QWidget* owner, brindle::DesktopServices& services,
                         RequestMaker makeRequest, FolderChooser chooseFolder)
    : QWidget(owner, Qt::Window),
      services_(services),
      makeRequest_(std::move(makeRequest)),
      chooseFolder_(std::move(chooseFolder)),
      sourceLabel_(new QLabel(this)),
      choose_(new QPushButton(QStringLiteral("Choose &Folder..."), this)),
      list_(new QTableView(this)),
      model_(new PreviewModel(this)),
      summary_(new QLabel(this)),
      onlyChanges_(new QCheckBox(QStringLiteral("Show &Only Changes"), this)),
      showSkipped_(new QCheckBox(QStringLiteral("Show &Skipped"), this)),
      options_(new OptionsPanel(this)),
      rename_(new QPushButton(QStringLiteral("&Rename"), this)),
      close_(new QPushButton(QStringLiteral("&Close"), this)),
      watcher_(new QFileSystemWatcher(this)),
      settle_(new QTimer(this)),
      worker_(new PreviewWorker(latest_)) {
    setObjectName(QStringLiteral("CPreviewDlg"));
    setWindowTitle(QStringLiteral("Preview"));
    connect(new FileDropTarget(this, {}, this), &FileDropTarget::dropped, this,
            &CPreviewDlg::OnFilesDropped);

    SetControlId(sourceLabel_, ids::kPreviewFolder);
    sourceLabel_->setTextFormat(Qt::PlainText);
    sourceLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long path is cut in its middle to the room there is (the whole of it in the
    // tooltip), so that it never widens the window past the screen.
    sourceLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    SetControlId(choose_, ids::kPreviewChoose);
    SetControlId(list_, ids::kPreviewList);
    SetControlId(summary_, ids::kPreviewSummary);
    summary_->setTextFormat(Qt::PlainText);
    summary_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    summary_->setWordWrap(true);
    SetControlId(onlyChanges_, ids::kPreviewOnlyChanges);
    SetControlId(showSkipped_, ids::kPreviewShowSkipped);
    SetControlId(rename_, ids::kPreviewRename);
    SetControlId(close_, ids::kPreviewClose);
    rename_->setEnabled(false);
    for (QPushButton* button : {choose_, rename_, close_})
        button->setAutoDefault(false);

    list_->setModel(model_);
    PrepareRowTable(list_);
    // One height for every row: the view never measures a hundred thousand of them.
    list_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView* header = list_->horizontalHeader();
    header->setStretchLastSection(true);
    // The titles order the batch, not the view: the rows stay in the plan's order.
    list_->setSortingEnabled(false);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    // Shown when the plan reads the photos' dates.
    list_->setColumnHidden(PreviewModel::kTaken, true);
    // A long name shows its start and its end, the whole of it in the cell's tooltip.
    list_->setTextElideMode(Qt::ElideMiddle);
    list_->setItemDelegateForColumn(PreviewModel::kNewName, new MarkedNameDelegate(list_));
    // The widths were given in pixels for base units of 6 x 13; they grow with the font.
    const DialogUnits units(font());
    for (int column = 0; column < PreviewModel::kColumns; ++column)
        header->resizeSection(column, units.scaleX(PreviewModel::kColumnWidths[column]));

    auto* top = new QHBoxLayout;
    top->addWidget(sourceLabel_, 1);
    top->addWidget(choose_);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(onlyChanges_);
    bottom->addWidget(showSkipped_);
    bottom->addStretch(1);
    bottom->addWidget(rename_);
    bottom->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    // The window's menu: what is not about the plan on show.
    menuBar_ = new QMenuBar(this);
    QMenu* undoMenu = menuBar_->addMenu(QStringLiteral("&Undo"));
    undoHistory_ = undoMenu->addAction(QStringLiteral("Undo &History..."));
    connect(undoHistory_, &QAction::triggered, this, &CPreviewDlg::undoHistoryRequested);
    layout->setMenuBar(menuBar_);
    layout->addLayout(top);
    layout->addWidget(list_, 1);
    layout->addWidget(summary_);
    layout->addWidget(options_);
    layout->addLayout(bottom);
    resize(openingSize());

    settle_->setSingleShot(true);
    settle_->setInterval(kSettleMs);
    connect(settle_, &QTimer::timeout, this, [this] { Safely(services_, [this] { Replan(); }); });
    connect(watcher_, &QFileSystemWatcher::directoryChanged, settle_, qOverload<>(&QTimer::start));
    connect(watcher_, &QFileSystemWatcher::fileChanged, settle_, qOverload<>(&QTimer::start));
    connect(choose_, &QPushButton::clicked, this,
            [this] { Safely(services_, [this] { OnChooseFolder(); }); });
    connect(rename_, &QPushButton::clicked, this,
            [this] { Safely(services_, [this] { OnRename(); }); });
    connect(close_, &QPushButton::clicked, this, &QWidget::close);
    connect(onlyChanges_, &QCheckBox::toggled, this,
            [this](bool only) { Safely(services_, [&] { OnOnlyChanges(only); }); });
    connect(showSkipped_, &QCheckBox::toggled, this,
            [this](bool show) { Safely(services_, [&] { OnShowSkipped(show); }); });
    connect(header, &QHeaderView::sectionClicked, this,
            [this](int section) { Safely(services_, [&] { OnHeaderClicked(section); }); });

    qRegisterMetaType<std::shared_ptr<const brindle::Plan>>();
    qRegisterMetaType<std::shared_ptr<const brindle::PlanRequest>>();
    worker_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    connect(this, &CPreviewDlg::planRequested, worker_, &PreviewWorker::Plan);
    connect(worker_, &PreviewWorker::planned, this,
            [this](quint64 generation, std::shared_ptr<const brindle::Plan> plan) {
                Safely(services_, [&] { OnPlanned(generation, std::move(plan)); });
            });
    connect(worker_, &PreviewWorker::failed, this, &CPreviewDlg::OnFailed);
    thread_.start();
    ShowSource();
}

CPreviewDlg::~CPreviewDlg() {
    // Whatever is being planned stops at its next item.
    latest_.store(~quint64{0});
    thread_.quit();
    thread_.wait();
}

void CPreviewDlg::SetSource(brindle::BatchSource source) {
    source_ = std::move(source);
    hasSource_ = !source_.empty();
    // Another folder: nothing of the list before is a place to keep.
    Release(model_->SetPlan(nullptr));
    place_ = {};
    wholeOnShow_ = false;
    ShowSource();
    Watch();
    Replan();
}

void CPreviewDlg::ShowSource() {
    if (!hasSource_) {
        sourceText_ = QStringLiteral("Choose a folder, or drop files and folders on this window.");
    } else if (!source_.isDrop) {
        sourceText_ = QStringLiteral("Folder: ") + ToQString(source_.folder);
    } else {
        QStringList paths;
        for (const std::u16string& path : source_.paths) {
            if (!path.empty())
                paths << ToQString(path);
        }
        sourceText_ = QStringLiteral("Dropped: ") + paths.join(QStringLiteral(", "));
    }
    sourceLabel_->setToolTip(sourceText_);
    FitSourceText();
}

void CPreviewDlg::FitSourceText() {
    sourceLabel_->setText(sourceLabel_->fontMetrics().elidedText(
        sourceText_, Qt::ElideMiddle, sourceLabel_->contentsRect().width()));
}

QSize CPreviewDlg::openingSize() const {
    // The columns side by side, with the list's frame and scroll bar and the margins
    // around it; as high as 440 pixels are for base units of 6 x 13.
    const DialogUnits units(font());
    int columns = 0;
    for (int column = 0; column < PreviewModel::kColumns; ++column) {
        // The date taken shows only for photos: no room kept for it.
        if (column != PreviewModel::kTaken)
            columns += units.scaleX(PreviewModel::kColumnWidths[column]);
    }
    const QMargins margins = layout()->contentsMargins();
    const int chrome = 2 * list_->frameWidth() + list_->verticalScrollBar()->sizeHint().width() +
                       margins.left() + margins.right();
    return QSize(columns + chrome, units.scaleY(440)).expandedTo(sizeHint());
}

QSize CPreviewDlg::smallestSize() const {
    return minimumSizeHint().expandedTo(openingSize() / 2);
}

void CPreviewDlg::Watch() {
    const QStringList watched = watcher_->directories() + watcher_->files();
    if (!watched.isEmpty())
        watcher_->removePaths(watched);
    if (!hasSource_)
        return;
    // The folder itself, or the folders that hold the dropped items; changes deeper in a
    // tree are seen with the next change of an option.
    QStringList paths;
    if (!source_.isDrop) {
        paths << ToQString(source_.folder);
    } else {
        for (const std::u16string& path : source_.paths) {
            if (path.empty())
                continue;
            const QString dropped = ToQString(path);
            paths << dropped;
            const qsizetype slash = dropped.lastIndexOf(QLatin1Char('/'));
            if (slash > 0)
                paths << dropped.left(slash);
            else if (slash == 0)
                paths << QStringLiteral("/");
        }
        paths.removeDuplicates();
    }
    watcher_->addPaths(paths);
}

int CPreviewDlg::ScreenRows() const {
    const int rowHeight = std::max(1, list_->verticalHeader()->defaultSectionSize());
    return std::max(32, list_->viewport()->height() / rowHeight + 2);
}

void CPreviewDlg::Replan() {
    settle_->stop();
    upToDate_ = false;
    rename_->setEnabled(false);
    ShowOrder();
    // Hidden, it plans once it is shown again; during a batch, once the batch has ended.
    if (held_ || !isVisible())
        return;
    const quint64 generation = ++generation_;
    latest_.store(generation);
    if (!hasSource_) {
        Release(model_->SetPlan(nullptr));
        summary_->clear();
        upToDate_ = true;
        emit planShown(true);
        return;
    }
    summary_->setText(QStringLiteral("Planning..."));
    auto request = std::make_shared<const brindle::PlanRequest>(makeRequest_(source_));
    // Kept for the plan it makes: the model marks what its regular expression replaced.
    model_->SetPlanSettings(request->settings);
    emit planRequested(generation, std::move(request), ScreenRows());
}

void CPreviewDlg::OnPlanned(quint64 generation, std::shared_ptr<const brindle::Plan> plan) {
    // A plan of an older change is never shown.
    if (generation != generation_ || held_ || !plan) {
        Release(std::move(plan));
        return;
    }
    const bool complete = plan->complete;
    // The user's place: in a whole plan as they left it; in a first screenful its top, and
    // the item chosen in the whole plan before unless they chose another since.
    if (model_->rowCount() > 0) {
        ListPlace now = PlaceInList();
        if (!wholeOnShow_ && !now.chosen) {
            now.chosen = std::move(place_.chosen);
            now.chosenItem = place_.chosenItem;
        }
        place_ = std::move(now);
    }
    // A first screenful is the top of the list: a user scrolled further down keeps the
    // whole plan on show until the new one is whole.
    if (!complete && wholeOnShow_ && list_->verticalScrollBar()->value() != 0) {
        Release(std::move(plan));
        return;
    }
    // The mistake of an option, or of the pattern, shows here: the plan then has no items.
    summary_->setText(ToQString(brindle::SummaryText(*plan)));
    list_->setColumnHidden(PreviewModel::kTaken, !plan->showsTaken);
    Release(model_->SetPlan(std::move(plan)));
    GoTo(place_);
    wholeOnShow_ = complete;
    upToDate_ = complete;
    rename_->setEnabled(complete && model_->itemRowCount() > 0);
    emit planShown(complete);
}

CPreviewDlg::ListPlace CPreviewDlg::PlaceInList() const {
    ListPlace place;
    if (model_->rowCount() == 0)
        return place;
    if (const int top = list_->rowAt(0); top >= 0) {
        place.topItem = model_->itemAt(top);
        place.top = model_->keyOf(place.topItem);
        place.topOffset = -list_->rowViewportPosition(top);
    }
    const QModelIndexList chosen = list_->selectionModel()->selectedRows();
    if (!chosen.isEmpty()) {
        place.chosenItem = model_->itemAt(chosen.front().row());
        place.chosen = model_->keyOf(place.chosenItem);
    }
    return place;
}

void CPreviewDlg::GoTo(const ListPlace& place) {
    if (model_->rowCount() == 0)
        return;
    // The rows laid out first: the scroll bar's range follows them.
    list_->doItemsLayout();
    // The choice first: making an item current scrolls to it.
    if (place.chosen) {
        const std::optional<std::size_t> item = model_->find(*place.chosen, place.chosenItem);
        const int row = item ? model_->rowFrom(*item) : -1;
        if (row >= 0 && model_->itemAt(row) == *item) {
            list_->selectionModel()->setCurrentIndex(
                model_->index(row, 0),
                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
    }
    if (place.top) {
        // An item gone from the list: the one that came after it, or the one now in its
        // place.
        const std::optional<std::size_t> item = model_->find(*place.top, place.topItem);
        const int row = model_->rowFrom(item.value_or(place.topItem));
        QScrollBar* bar = list_->verticalScrollBar();
        if (list_->verticalScrollMode() == QAbstractItemView::ScrollPerPixel) {
            const int offset = item && model_->itemAt(row) == *item ? place.topOffset : 0;
            bar->setValue(bar->value() + list_->rowViewportPosition(row) + offset);
        } else {
            bar->setValue(row);
        }
    }
}

void CPreviewDlg::ShowRows(const std::function<void()>& change) {
    ListPlace place = PlaceInList();
    if (!wholeOnShow_ && !place.chosen) {
        place.chosen = place_.chosen;
        place.chosenItem = place_.chosenItem;
    }
    change();
    GoTo(place);
}

void CPreviewDlg::OnOnlyChanges(bool only) {
    ShowRows([&] { model_->SetOnlyChanges(only); });
}

void CPreviewDlg::OnShowSkipped(bool show) {
    ShowRows([&] { model_->SetShowSkipped(show); });
}

void CPreviewDlg::OnHeaderClicked(int section) {
    const auto column =
        std::find_if(std::begin(kOrderColumns), std::end(kOrderColumns),
                     [section](const OrderColumn& c) { return c.column == section; });
    // During a batch the options are the batch's.
    if (column != std::end(kOrderColumns) && !held_) {
        const brindle::NameOrder order = column->order;
        options_->Edit([order](brindle::RenameSettings& o) {
            if (o.order == order) {
                o.reverseOrder = !o.reverseOrder;
            } else {
                o.order = order;
                o.reverseOrder = false;
            }
        });
    }
    // The header turned its arrow by itself on the click.
    ShowOrder();
}

void CPreviewDlg::ShowOrder() {
    brindle::RenameSettings shown;
    options_->Save(shown);
    int section = -1;
    for (const OrderColumn& column : kOrderColumns) {
        if (column.order == shown.order)
            section = column.column;
    }
    list_->horizontalHeader()->setSortIndicator(
        section, shown.reverseOrder ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void CPreviewDlg::OnFailed(quint64 generation, const QString& reason) {
    if (generation != generation_ || held_)
        return;
    summary_->setText(QStringLiteral("The preview could not be made: ") + reason);
}

void CPreviewDlg::Release(std::shared_ptr<const brindle::Plan> plan) {
    if (!plan)
        return;
    QMetaObject::invokeMethod(
        worker_, [old = std::move(plan)]() mutable { old.reset(); }, Qt::QueuedConnection);
}

void CPreviewDlg::OnOptionsChanged() {
    Safely(services_, [this] { Replan(); });
}

void CPreviewDlg::OnOperationStarted() {
    held_ = true;
    // What is being planned would be out of date before it is shown.
    latest_.store(++generation_);
    upToDate_ = false;
    rename_->setEnabled(false);
}

void CPreviewDlg::OnOperationEnded() {
    held_ = false;
    Safely(services_, [this] { Replan(); });
}

void CPreviewDlg::OnChooseFolder() {
    const std::optional<std::u16string> folder = chooseFolder_();
    if (folder && !folder->empty())
        SetSource(brindle::BatchSource::Folder(*folder));
}

void CPreviewDlg::OnRename() {
    const std::shared_ptr<const brindle::Plan>& plan = model_->plan();
    if (!upToDate_ || !plan || held_)
        return;
    const brindle::PlanSummary& summary = plan->summary;
    if (summary.conflicts != 0 || summary.warnings != 0) {
        QString text;
        if (summary.conflicts != 0) {
            text = QStringLiteral(
                       "%1 of the %2 items conflict, as the Preview shows: they will "
                       "not be renamed, and their rows in the Output Log will show "
                       "the failure.\n")
                       .arg(summary.conflicts)
                       .arg(summary.items);
        }
        if (summary.warnings != 0) {
            text += summary.conflicts != 0
                        ? QStringLiteral(
                              "%1 items have warnings, as the Preview shows: those "
                              "that do not conflict will be renamed all the same.\n")
                              .arg(summary.warnings)
                        : QStringLiteral(
                              "%1 of the %2 items have warnings, as the Preview "
                              "shows: they will be renamed all the same.\n")
                              .arg(summary.warnings)
                              .arg(summary.items);
        }
        text += summary.conflicts != 0 ? QStringLiteral("Rename the other items?")
                                       : QStringLiteral("Rename the items?");
        if (services_.ShowMessageBox(FromQString(text), {}, MessageButtons::YesNo,
                                     BoxIcon::Warning) != MessageResult::Yes) {
            return;
        }
    }
    emit renameRequested(source_);
}

void CPreviewDlg::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!upToDate_)
        Safely(services_, [this] { Replan(); });
}

void CPreviewDlg::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FitSourceText();
}

void CPreviewDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CPreviewDlg::OnFilesDropped(const QList<QUrl>& urls) {
    Safely(services_, [&] { SetSource(brindle::BatchSource::Drop(PathsFromDroppedUrls(urls))); });
}
