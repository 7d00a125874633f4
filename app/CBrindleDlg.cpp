#include "app/CBrindleDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <optional>

#include "app/AppResources.h"
#include "app/COutputDlg.h"
#include "app/CPreviewDlg.h"
#include "app/CUpDownCtrl.h"
#include "app/ContextHelp.h"
#include "app/ContextHelpFilter.h"
#include "app/CreditsLibrary.h"
#include "app/DialogUnits.h"
#include "app/FileDropTarget.h"
#include "app/OptionsPanel.h"
#include "app/OutputLogModel.h"
#include "app/PresetMenu.h"
#include "app/QtText.h"
#include "app/Safely.h"
#include "app/TokenMenu.h"
#include "app/UndoHistoryDlg.h"
#include "batch/Messages.h"
#include "batch/OperationTally.h"
#include "engine/ConfigFile.h"
#include "engine/PatternCreator.h"
#include "engine/Presets.h"
#include "engine/RegexReplace.h"
#include "engine/SelectionCheck.h"
#include "platform/FileSystem.h"
#include "platform/StateFile.h"

using brindle::BoxIcon;
using brindle::MessageButtons;
using brindle::MessageIcon;
using brindle::MessageResult;
using brindle::RenameSettings;

namespace {

constexpr char16_t kCaption[] = u"Brindle";

// The box's icon for what a batch or Undo tells.
BoxIcon IconOf(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Warning:
            return BoxIcon::Warning;
        case MessageIcon::Question:
            return BoxIcon::Question;
        case MessageIcon::Stop:
            break;
    }
    return BoxIcon::Stop;
}

}  // namespace

CBrindleDlg::CBrindleDlg(brindle::DesktopServices& services, AboutBoxCall aboutBox,
                         brindle::UserFiles files, QWidget* parent)
    : QDialog(parent),
      services_(services),
      aboutBox_(std::move(aboutBox)),
      files_(std::move(files)),
      units_(QApplication::font()),
      workerHost_(*this, services, this),
      session_(workerHost_),
      runner_(services) {
    setObjectName(QStringLiteral("CBrindleDlg"));
    // A window of its own on the taskbar, with a minimise box and no maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    drops_ = std::make_unique<FileDropTarget>(this, [this] { return !busy(); });
    // The batch runs once the drop has finished, so the file manager is not held waiting.
    connect(drops_.get(), &FileDropTarget::dropped, this, &CBrindleDlg::OnUrlsDropped,
            Qt::QueuedConnection);
    setWindowIcon(AppIcon());

    LayOut();
    ConnectEdits();
    connect(&runner_, &BusyRunner::started, this, &CBrindleDlg::operationStarted);
    connect(&runner_, &BusyRunner::ended, this, &CBrindleDlg::operationEnded);
    connect(&runner_, &BusyRunner::closeRequested, this, [this](QWidget* window) {
        if (window == this)
            Safely(services_, [this] { OnCloseDuringOperation(); });
    });
    connect(&runner_, &BusyRunner::ended, this, [this] {
        if (!closeWhenStopped_)
            return;
        closeWhenStopped_ = false;
        session_.WithdrawStopRequest();
        // After the operation's own handler has returned.
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    });

    output_ = new COutputDlg(this, units_);
    output_->hide();

    contextHelp_ = std::make_unique<ContextHelpFilter>(this, services_);
    connect(contextHelp_.get(), &ContextHelpFilter::helpShown, this,
            &CBrindleDlg::contextHelpShown);
}

CBrindleDlg::~CBrindleDlg() = default;

// --- Opening -------------------------------------------------------------------------

void CBrindleDlg::showEvent(QShowEvent* event) {
    // After the dialog has found its place: the Output Log is placed relative to it.
    QDialog::showEvent(event);
    Safely(services_, [this] { OnInitDialog(); });
}

void CBrindleDlg::OnInitDialog() {
    if (opened_)
        return;
    opened_ = true;
    RenameSettings& o = session_.settings();
    // The framework's initialisation ends with a "load" of the constructor values.
    LoadOptions(o);
    force63Spin_->SetRange(64, 1000);
    startIndexSpin_->SetRange(0, 1000);
    setWindowIcon(AppIcon());
    // Below the dialog as the design has it, where the screen has room.
    PlaceBeside(output_, output_->openingSize(), output_->smallestSize(),
                {Side::Below, Side::Right, Side::Left, Side::Above});
    session_.setConfigFile(files_.configFile);
    session_.setLogFile(files_.logFile);
    undo_->setEnabled(session_.LogExists());
    if (undo_->isEnabled())
        ShowHistory(ReadHistory());
    session_.setCounters(brindle::NameCounters{});
    output_->PrepareList();
    output_->SetStatus(ToQString(brindle::FormatStatus(brindle::BatchStats{})));
    SaveOptions(o);
    setWindowTitle(QString::fromUtf16(kCaption));

    const bool iniExists = brindle::PathExists(files_.configFile);
    onlyEnglish_->setEnabled(iniExists);
    brindle::LoadConfigOptions(o, files_.configFile);
    LoadStartOptions(o, iniExists);
    ShowOptionControls(o);
    if (o.showLogWindow) {
        output_->show();
        output_->activateWindow();
    }
    LoadOptions(o);
}

void CBrindleDlg::LoadStartOptions(RenameSettings& o, bool configExists) {
    const std::u16string startWith = brindle::ReadStartWith(files_.startWithFile);
    if (!startWith.empty()) {
        // Said once, and the dialog opens with the rest.
        if (const auto failure =
                brindle::LoadPreset(files_.presetFolder, startWith, o, configExists))
            ShowMessage(*failure, u"", MessageIcon::Warning);
    }
    brindle::ApplyRemembered(files_.rememberedFile, o, configExists);
}

void CBrindleDlg::ShowOptionControls(const RenameSettings& o) {
    if (onlyEnglish_->isEnabled())
        ShowMethodControls(o.onlyEnglish);
    force63Length_->setVisible(o.force63);
    force63Spin_->setVisible(o.force63);
}

// --- Check boxes, Exit, keys -------------------------------------------------------------

void CBrindleDlg::ShowMethodControls(bool onlyEnglish) {
    replaceWhat_->setVisible(!onlyEnglish);
    replaceWith_->setVisible(!onlyEnglish);
    regularExpression_->setVisible(!onlyEnglish);
    methodLabel_->setText(QString::fromUtf16(onlyEnglish ? kSelectMethod : kReplaceWithLabel));
    methodList_->setVisible(onlyEnglish);
}

void CBrindleDlg::OnOnlyEnglishChanged() {
    if (busy())
        return;
    RenameSettings& o = session_.settings();
    SaveOptions(o);
    brindle::options::ApplyUserSwitch(o, &RenameSettings::onlyEnglish);
    LoadOptions(o);
    ShowMethodControls(o.onlyEnglish);
}

void CBrindleDlg::OnForce63Changed() {
    if (busy())
        return;
    RenameSettings& o = session_.settings();
    SaveOptions(o);
    force63Length_->setVisible(o.force63);
    force63Spin_->setVisible(o.force63);
    LoadOptions(o);
}

void CBrindleDlg::OnShowLogChanged() {
    if (busy())
        return;
    RenameSettings& o = session_.settings();
    SaveOptions(o);
    output_->setVisible(o.showLogWindow);
    LoadOptions(o);
}

void CBrindleDlg::OnExit() {
    if (busy())
        return;
    if (SaveOptions(session_.settings()))
        accept();
}

void CBrindleDlg::done(int result) {
    // A dialog never opened shows no options of the user's to keep.
    if (opened_ && !busy()) {
        Safely(services_, [this] {
            if (const auto failure = brindle::KeepRemembered(files_.rememberedFile, OptionsShown()))
                ShowMessage(*failure, u"", MessageIcon::Warning);
        });
    }
    QDialog::done(result);
}

void CBrindleDlg::OnHelp() {
    if (busy() || !aboutBox_)
        return;
    // A fresh text for every call.
    aboutBox_(brindle::AboutText());
}

void CBrindleDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier))
                break;
            event->accept();
            Safely(services_, [this] { OnExit(); });
            return;
        case Qt::Key_Escape:
            if (event->modifiers() != Qt::NoModifier)
                break;
            event->accept();
            // Escape dismisses the help balloon the user is reading, not the program.
            if (CloseContextHelpBalloons())
                return;
            if (!busy())
                reject();
            return;
        case Qt::Key_F1:
            if (event->modifiers() != Qt::NoModifier)
                break;
            event->accept();
            Safely(services_, [this] { OnHelp(); });
            return;
        default:
            break;
    }
    // Not QDialog's: it would press a default button, and this dialog has none.
    QWidget::keyPressEvent(event);
}

void CBrindleDlg::closeEvent(QCloseEvent* event) {
    if (busy()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CBrindleDlg::OnCloseDuringOperation() {
    if (!busy() || session_.stopRequested())
        return;
    if (!AskYesNo(kTextStopTheBatch, {}, MessageIcon::Question))
        return;
    // As SIGINT stops brindle-cli's: at the next item, with the log consistent.
    closeWhenStopped_ = true;
    session_.RequestStop();
}

// --- Batches and Undo ------------------------------------------------------------------

void CBrindleDlg::RunBusy(const std::function<void()>& work) {
    runner_.Run(work, [this] { ShowProgress(); });
}

void CBrindleDlg::PaintProgress() {
    runner_.Paint([this] {
        ShowProgress();
        LoadRunningNumber();
    });
}

void CBrindleDlg::OnChooseFolder() {
    if (busy())
        return;
    const std::optional<std::u16string> folder = ChooseFolder();
    if (!folder)
        return;
    RenameOrPreview(brindle::BatchSource::Folder(*folder));
}

std::optional<std::u16string> CBrindleDlg::ChooseFolder() {
    if (!lastFolder_)
        lastFolder_ = brindle::ReadLastFolder(files_.stateFile);
    std::optional<std::u16string> folder = services_.BrowseForFolder(
        brindle::kTextChooseFolder, brindle::BrowserStartFolder(lastFolder_, files_.homeFolder));
    if (!folder || folder->empty())
        return folder;
    lastFolder_ = *folder;
    // Only where the browser opens next time: a state that cannot be kept stops nothing,
    // and the browser then opens at home after a restart.
    if (!files_.stateFile.empty())
        (void)brindle::WriteLastFolder(files_.stateFile, *folder);
    return folder;
}

void CBrindleDlg::OnDropFiles(const std::vector<std::u16string>& paths) {
    if (busy())
        return;
    RenameOrPreview(brindle::BatchSource::Drop(paths));
}

void CBrindleDlg::RenameOrPreview(const brindle::BatchSource& source) {
    if (!session_.settings().previewFirst || source.empty()) {
        RunBatch(source);
        return;
    }
    PreviewItems(source);
}

void CBrindleDlg::PreviewItems(const brindle::BatchSource& source) {
    ShowPreview();
    preview_->SetSource(source);
}

void CBrindleDlg::OnUrlsDropped(const QList<QUrl>& urls) {
    Safely(services_, [&] { OnDropFiles(PathsFromDroppedUrls(urls)); });
}

void CBrindleDlg::RunBatch(const brindle::BatchSource& source) {
    // A drop of nothing usable is no batch: not even the options are saved.
    if (source.empty())
        return;
    RunBusy([&] {
        // One snapshot for the whole batch, which goes on whatever the save reports: the
        // user has been told.
        SaveOptions(session_.settings());
        if (const auto mistake = brindle::ParseNamePattern(session_.settings().namePattern).error) {
            // Nothing is renamed until the pattern is mended.
            ShowMessage(brindle::PatternErrorText(*mistake), u"", MessageIcon::Warning);
            return;
        }
        if (const auto mistake = brindle::CheckRegularExpression(session_.settings())) {
            ShowRegexMistake(*mistake);
            return;
        }
        if (const auto mistake = brindle::SelectionMistake(session_.settings())) {
            // The order and the filters are set in the Preview's Options panel.
            ShowMessage(*mistake, u"", MessageIcon::Warning);
            return;
        }
        PrepareLogFolder();
        brindle::BatchResult result;
        History history;
        workerHost_.Offload(runner_, [&] {
            result = session_.RunBatch(source);
            if (session_.settings().writeLogFile)
                history = ReadHistory();
        });
        // What the settings need and this program cannot give (the readers of what files
        // hold): nothing was renamed.
        if (result.outcome == brindle::BatchOutcome::OptionMistake && result.optionMistake)
            ShowMessage(*result.optionMistake, u"", MessageIcon::Warning);
        // What the batch changed in the options.
        LoadOptions(session_.settings());
        if (result.tableFailed)
            OnlyEnglishTableFailed();
        ShowUndoResult(result.undoEnabled);
        if (session_.settings().writeLogFile)
            ShowHistory(history);
        ShowResultLine();
    });
}

void CBrindleDlg::ShowRegexMistake(const brindle::RegexError& mistake) {
    const RenameSettings& o = session_.settings();
    ShowMessage(brindle::RegexErrorText(mistake, o.replaceWhat, o.replaceWith), u"",
                MessageIcon::Warning);
    // The cursor where the mistake is, so that it can be mended at once.
    QLineEdit* edit = mistake.inReplacement ? replaceWith_ : replaceWhat_;
    edit->setFocus(Qt::OtherFocusReason);
    edit->deselect();
    edit->setCursorPosition(static_cast<int>(
        std::min<std::size_t>(mistake.offset, static_cast<std::size_t>(edit->text().size()))));
}

void CBrindleDlg::PrepareLogFolder() {
    // The log's folder is made when a log is first wanted; should that fail, the log's own
    // failure tells the user at the batch's end.
    if (session_.settings().writeLogFile)
        brindle::CreateFolderFor(files_.logFile);
}

void CBrindleDlg::OnUndo() {
    RunUndo(brindle::UndoScope::Newest());
}

void CBrindleDlg::RunUndo(const brindle::UndoScope& scope) {
    if (busy())
        return;
    RunBusy([&] {
        SaveOptions(session_.settings());
        brindle::UndoOutcome outcome = brindle::UndoOutcome::Completed;
        History history;
        workerHost_.Offload(runner_, [&] {
            outcome = session_.OnUndo(scope);
            history = ReadHistory();
        });
        ShowUndoResult(session_.undoEnabled());
        // What was passed over, after the figures of the status line.
        const std::u16string summary = brindle::UndoSummaryText(session_.lastUndo());
        if (!summary.empty() && (outcome == brindle::UndoOutcome::Completed ||
                                 outcome == brindle::UndoOutcome::Stopped)) {
            ShowProgress();
            output_->SetStatus(output_->statusText() + QStringLiteral(" | ") + ToQString(summary));
        }
        ShowHistory(history);
        ShowResultLine();
    });
}

void CBrindleDlg::ShowUndoResult(std::optional<bool> enabled) {
    if (enabled)
        undo_->setEnabled(*enabled);
}

CBrindleDlg::History CBrindleDlg::ReadHistory() const {
    History history;
    brindle::TrustCheck refusal;
    const std::u16string path = session_.logPath();
    if (!brindle::PathExists(path))
        return history;
    if (const int error = brindle::ReadBatchHistory(path, history.batches, refusal); error != 0) {
        history.problem = !refusal.trusted() ? brindle::LogRefusalText(refusal, path)
                                             : brindle::FileErrorText(error, path);
    }
    return history;
}

void CBrindleDlg::ShowHistory(const History& history) {
    QString tip;
    if (const brindle::LoggedBatch* newest = brindle::NewestToUndo(history.batches))
        tip = ToQString(u"Undo the last batch: " + brindle::DescribeBatch(*newest));
    else if (!history.batches.empty())
        tip = QStringLiteral("Nothing left to undo; Undo asks whether to delete the log");
    undo_->setToolTip(tip);
    if (undoHistory_ && undoHistory_->isVisible())
        undoHistory_->SetBatches(history.batches, ToQString(history.problem));
}

void CBrindleDlg::ShowUndoHistory() {
    if (!undoHistory_) {
        undoHistory_ = new UndoHistoryDlg(this);
        connect(undoHistory_, &UndoHistoryDlg::undoRequested, this, [this](const QString& key) {
            Safely(services_, [&] { RunUndo(brindle::UndoScope::From(FromQString(key))); });
        });
    }
    const History history = ReadHistory();
    undoHistory_->SetBatches(history.batches, ToQString(history.problem));
    undoHistory_->show();
    undoHistory_->raise();
    undoHistory_->activateWindow();
}

// --- The result line -------------------------------------------------------------------

void CBrindleDlg::ShowResultLine() {
    const QString text = ToQString(brindle::ResultText(session_.tally()));
    if (text.isEmpty())
        return;
    resultLine_->setToolTip(text + QStringLiteral("\nClick: Output Log"));
    // Whole where it fits, else cut with an ellipsis: the tooltip says all.
    const int room = TextRoom(resultLine_, resultLine_->size()).width();
    resultLine_->setText(
        room > 0 ? resultLine_->fontMetrics().elidedText(text, Qt::ElideRight, room) : text);
    resultLine_->show();
    historyLink_->show();
}

void CBrindleDlg::OnShowOutputLog() {
    if (busy())
        return;
    // The window is shown exactly while the box is ticked.
    session_.settings().showLogWindow = true;
    showLogWindow_->setChecked(true);
    output_->show();
    output_->raise();
    output_->activateWindow();
}

// --- The name pattern's tokens ----------------------------------------------------------

void CBrindleDlg::OnTokenButton() {
    if (busy())
        return;
    tokenMenu_->popup(tokenButton_->mapToGlobal(QPoint(0, tokenButton_->height())));
}

void CBrindleDlg::InsertToken(const QString& token) {
    if (busy())
        return;
    // The box kept its cursor when the button took the focus; leaving it dropped any
    // selection, so nothing is replaced.
    namePattern_->insert(token);
    // Not the reason a Tab gives, which would select the whole pattern.
    namePattern_->setFocus(Qt::PopupFocusReason);
}

// --- PipelineHost ----------------------------------------------------------------------

void CBrindleDlg::AddOutputRow(const brindle::RowData& row) {
    output_->model()->Append(row);
    if (busy())
        PaintProgress();
    else
        ShowProgress();
}

void CBrindleDlg::RemoveAllRows() {
    output_->model()->RemoveAll();
    PaintProgress();
}

void CBrindleDlg::SetCounters(const brindle::NameCounters& counters) {
    // Shown at the painting cadence (PaintProgress).
    runningNumber_ = counters.startIndex;
}

void CBrindleDlg::SetStatus(const brindle::BatchStats& stats) {
    pendingStatus_ = stats;
    if (!busy())
        ShowProgress();
}

void CBrindleDlg::ShowProgress() {
    output_->model()->Publish();
    if (pendingStatus_) {
        output_->SetStatus(ToQString(brindle::FormatStatus(*pendingStatus_)));
        pendingStatus_.reset();
    }
}

void CBrindleDlg::SetOutputTitle(const std::u16string& title) {
    output_->setWindowTitle(ToQString(title));
    PaintProgress();
}

void CBrindleDlg::ShowMessage(const std::u16string& text, const std::u16string& caption,
                              MessageIcon icon) {
    // The rows the message speaks of are in the list before it is shown.
    ShowProgress();
    runner_.ShowMessageBox(text, caption, MessageButtons::Ok, IconOf(icon));
}

bool CBrindleDlg::AskYesNo(const std::u16string& text, const std::u16string& caption,
                           MessageIcon icon) {
    ShowProgress();
    return runner_.ShowMessageBox(text, caption, MessageButtons::YesNo, IconOf(icon)) ==
           MessageResult::Yes;
}

bool CBrindleDlg::ConfirmUndo(const std::u16string& question) {
    return AskYesNo(question, u"", MessageIcon::Question);
}

void CBrindleDlg::OnlyEnglishTableFailed() {
    // The caption stays as it was: only the box's own click changes it.
    replaceWhat_->show();
    replaceWith_->show();
    regularExpression_->show();
    methodList_->hide();
    onlyEnglish_->setEnabled(false);
}

// --- Preview ---------------------------------------------------------------------------

void CBrindleDlg::ConnectEdits() {
    const auto edited = [this] {
        if (!busy())
            emit optionsEdited();
    };
    for (QCheckBox* box : findChildren<QCheckBox*>(Qt::FindDirectChildrenOnly))
        connect(box, &QCheckBox::toggled, this, edited);
    for (QRadioButton* radio : conversion_)
        connect(radio, &QRadioButton::toggled, this, edited);
    for (QLineEdit* edit : findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly))
        connect(edit, &QLineEdit::textChanged, this, edited);
    connect(methodList_, &QComboBox::currentTextChanged, this, edited);
}

void CBrindleDlg::OnPreview() {
    if (busy())
        return;
    ShowPreview();
}

void CBrindleDlg::ShowPreview() {
    if (!preview_) {
        preview_ = new CPreviewDlg(
            this, services_,
            [this](const brindle::BatchSource& source) { return NextBatch(source); },
            [this] { return ChooseFolder(); });
        connect(this, &CBrindleDlg::optionsEdited, preview_, &CPreviewDlg::OnOptionsChanged);
        connect(this, &CBrindleDlg::operationStarted, preview_, &CPreviewDlg::OnOperationStarted);
        connect(this, &CBrindleDlg::operationEnded, preview_, &CPreviewDlg::OnOperationEnded);
        connect(preview_, &CPreviewDlg::renameRequested, this, &CBrindleDlg::OnPreviewRename);
        connect(preview_, &CPreviewDlg::undoHistoryRequested, this,
                [this] { Safely(services_, [this] { ShowUndoHistory(); }); });
        preview_->optionsPanel()->Load(session_.settings());
        connect(preview_->optionsPanel(), &OptionsPanel::edited, this,
                [this] { Safely(services_, [this] { OnOptionsPanelEdited(); }); });
        presetMenu_ = new PresetMenu(
            preview_, services_, files_.presetFolder, files_.startWithFile,
            {.currentOptions = [this] { return OptionsShown(); },
             .applyPreset = [this](const std::u16string& name) { return ApplyPreset(name); }});
        // First in the menu bar: what is used more than the Undo History.
        preview_->menuBar()->insertMenu(preview_->menuBar()->actions().value(0), presetMenu_);
        PlaceBeside(preview_, preview_->openingSize(), preview_->smallestSize(),
                    {Side::Right, Side::Left, Side::Below, Side::Above});
    }
    preview_->show();
    preview_->raise();
    preview_->activateWindow();
}

std::optional<std::u16string> CBrindleDlg::ApplyPreset(const std::u16string& name) {
    if (busy())
        return std::nullopt;
    RenameSettings o = OptionsShown();
    if (auto failure = brindle::LoadPreset(files_.presetFolder, name, o,
                                           brindle::PathExists(files_.configFile)))
        return failure;
    session_.settings() = o;
    LoadOptions(o);
    ShowOptionControls(o);
    output_->setVisible(o.showLogWindow);
    emit optionsEdited();
    return std::nullopt;
}

void CBrindleDlg::OnPreviewRename(const brindle::BatchSource& source) {
    if (busy())
        return;
    Safely(services_, [&] { RunBatch(source); });
}
