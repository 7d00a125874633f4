#pragma once

#include <QDialog>
#include <QList>
#include <QUrl>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/BusyRunner.h"
#include "app/DesktopServices.h"
#include "app/DialogUnits.h"
#include "app/ScreenPlacement.h"
#include "app/WorkerHost.h"
#include "batch/BatchPlanner.h"
#include "batch/PipelineHost.h"
#include "batch/RenameSession.h"
#include "batch/UndoHistory.h"
#include "engine/OptionTable.h"
#include "engine/RegexReplace.h"
#include "engine/RenameSettings.h"
#include "platform/UserFiles.h"

class COutputDlg;
class CPreviewDlg;
class CUpDownCtrl;
class ContextHelpFilter;
class FileDropTarget;
class PresetMenu;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TokenMenu;
class UndoHistoryDlg;

// The main dialog: every option of the renaming engine bound to a control, the three
// check-box handlers, "Exit", context help on a right-click, the about box on F1, and the
// batches ("Choose Folder", drops, the Preview's "Rename") and Undo, which run in the
// rename session with this dialog as their host. With "Preview First", "Choose Folder"
// and drops open the Preview over what they name instead, and its "Rename" renames. Each batch
// takes one snapshot of the controls when it starts and loads what it changed back into them when
// it ends. Its member functions live in three files: CBrindleDlg.cpp (opening, handlers, batches,
// the host role, the Preview), CBrindleDlgLayout.cpp (the controls and where they go) and
// CBrindleDlgDataExchange.cpp (the controls to and from the options).
class CBrindleDlg : public QDialog, public brindle::PipelineHost {
    Q_OBJECT

public:
    // Shows the about box with the given text.
    using AboutBoxCall = std::function<void(const std::u16string&)>;

    // `files` are the configuration and the log this run uses.
    CBrindleDlg(brindle::DesktopServices& services, AboutBoxCall aboutBox, brindle::UserFiles files,
                QWidget* parent = nullptr);
    ~CBrindleDlg() override;

    // The opening sequence; runs once, at the latest when the dialog is first shown.
    void OnInitDialog();

    // The control with this id, or null.
    QWidget* control(int id) const;
    COutputDlg* outputDlg() const { return output_; }
    // The dialog units of the layout, widened so that every caption fits.
    const DialogUnits& units() const { return units_; }
    // The Preview window, once "Preview Names" has opened it.
    CPreviewDlg* previewDlg() const { return preview_; }
    // The Preview's menu of presets, made with the Preview.
    PresetMenu* presetMenu() const { return presetMenu_; }
    brindle::RenameSession& session() { return session_; }
    const brindle::RenameSettings& settings() const { return session_.settings(); }
    bool busy() const { return runner_.busy(); }
    // How often a running batch lets the Output Log paint (0: after every change).
    void setPaintInterval(int milliseconds) { runner_.setPaintInterval(milliseconds); }

    // The data exchange: "save" copies the controls into the options (false, after the
    // message, on an invalid integer), "load" the options into the controls.
    bool UpdateData(bool save);
    // The same into and from other options than the session's (a batch's snapshot).
    bool SaveOptions(brindle::RenameSettings& options);
    void LoadOptions(const brindle::RenameSettings& options);
    // The line that names the options set in the Preview's panel ("Also: ..."), hidden
    // while they all hold their defaults.
    void ShowAlsoLine(const brindle::RenameSettings& options);
    // The Preview's Options panel was edited.
    void OnOptionsPanelEdited();
    // What the next batch over `source` would be: the controls as they are now (an
    // invalid integer as the session holds it, and no message) and the counters where
    // the batch would start. Changes nothing.
    brindle::PlanRequest NextBatch(const brindle::BatchSource& source);
    // The options as the controls show them now (an invalid integer as the session holds
    // it, and no message): what a preset saves and the close remembers.
    brindle::RenameSettings OptionsShown();
    // Lays the preset `name` over the options shown, which then show it, and tells the
    // Preview. Nullopt, or why not; nothing changes then.
    std::optional<std::u16string> ApplyPreset(const std::u16string& name);

    // Exit, Escape and the close box all end the dialog here: with "Remember Settings" on,
    // the options shown are kept for the next opening (a failure is told, and the dialog
    // closes all the same).
    void done(int result) override;

    // Handlers.
    void OnOnlyEnglishChanged();
    void OnForce63Changed();
    void OnShowLogChanged();
    void OnExit();
    void OnHelp();
    void OnChooseFolder();
    void OnDropFiles(const std::vector<std::u16string>& paths);
    void OnUndo();
    // Takes back the batches `scope` names, as "Undo" takes back the newest.
    void RunUndo(const brindle::UndoScope& scope);
    // Opens (or raises) the Undo History with the log's batches as they are now.
    void ShowUndoHistory();
    UndoHistoryDlg* undoHistoryDlg() const { return undoHistory_; }
    void OnPreview();
    // The folder browser, opened in the folder chosen last (kept in the state file) or else
    // the home folder; the folder chosen is kept for the next time. Nullopt: cancelled.
    std::optional<std::u16string> ChooseFolder();
    // Opens the Preview over `source` whatever "Preview First" says, as the program does for
    // the items a file manager hands over; its "Rename" renames them.
    void PreviewItems(const brindle::BatchSource& source);
    // Renames what the Preview shows, as "Choose Folder" or a drop does.
    void OnPreviewRename(const brindle::BatchSource& source);
    // Shows the Output Log, with "Open/Close Log" ticked to say so: a click on the result
    // line.
    void OnShowOutputLog();
    // The "{...}" button: opens the menu of tokens under it.
    void OnTokenButton();
    // Puts `token` into the name pattern where its cursor was last, and gives the pattern
    // the focus back with the cursor after it.
    void InsertToken(const QString& token);
    // The menu the "{...}" button opens.
    TokenMenu* tokenMenu() const { return tokenMenu_; }

    // PipelineHost
    void AddOutputRow(const brindle::RowData& row) override;
    void RemoveAllRows() override;
    void SetStatus(const brindle::BatchStats& stats) override;
    void SetCounters(const brindle::NameCounters& counters) override;
    void SetOutputTitle(const std::u16string& title) override;
    void ShowMessage(const std::u16string& text, const std::u16string& caption,
                     brindle::MessageIcon icon) override;
    bool AskYesNo(const std::u16string& text, const std::u16string& caption,
                  brindle::MessageIcon icon) override;
    bool ConfirmUndo(const std::u16string& question) override;

signals:
    // A right-click found help for a control and launched its balloon.
    void contextHelpShown(int controlId, const QString& title, const QString& text);
    // The user changed an option (not sent while a batch or Undo runs).
    void optionsEdited();
    // A batch or Undo starts, and has ended.
    void operationStarted();
    void operationEnded();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The label above the method list, as "Only English" switches it.
    static constexpr char16_t kSelectMethod[] = u"select method";
    // Asked when the dialog is closed during a batch or Undo.
    static constexpr char16_t kTextStopTheBatch[] = u"Stop the batch?";
    static constexpr char16_t kReplaceWithLabel[] = u"replace with";
    // The dialog units the dialog grows by for the result line, with its gap.
    static constexpr int kResultLineHeight = 13;
    // The design's bottom edge of the "File Name Editor" group, and the dialog units the group
    // and the dialog grow by for the row of "Regular Expression" under the replace pair.
    static constexpr int kEditorGroupBottom = 82;
    static constexpr int kRegexRowHeight = 10;
    // The "{...}" button's width in dialog units, taken from the name pattern's box.
    static constexpr int kTokenButtonWidth = 18;

    // Makes every control, fits the dialog units to the captions, places the controls and
    // sets the tab order.
    void LayOut();
    // Makes every control and lists it with its rectangle in dialog units.
    void CreateControls(std::vector<DialogItem>& items);
    void SetTabOrder();
    // Opens `window` beside the dialog, or where it covers the fewest of its buttons, at
    // `size` (its client area) or less, down to `smallest`, inside the screen.
    void PlaceBeside(QWidget* window, QSize size, QSize smallest, SideOrder sides);
    // The exchange itself: "save" (controls to `o`) or "load" (`o` to the controls).
    // `quiet`: an invalid integer leaves its field as it is, and nothing is shown.
    bool DoDataExchange(bool save, brindle::RenameSettings& o, bool quiet = false);
    // A choice shown as one radio button per value, or as a list of the values' texts.
    void ExchangeButtons(bool save, brindle::RenameSettings& o, const brindle::options::Option& row,
                         std::span<const int> buttons);
    void ExchangeList(bool save, brindle::RenameSettings& o, const brindle::options::Option& row,
                      int listId);
    // The running number as the batch advances it: the "load" of that one field.
    void LoadRunningNumber();
    // Runs one batch or Undo with input refused and the Output Log painting as it goes.
    void RunBusy(const std::function<void()>& work);
    // The dialog's close box during a batch or Undo: "Stop the batch?"
    void OnCloseDuringOperation();
    void PaintProgress();
    // Shows the rows and the status line the operation has reached.
    void ShowProgress();
    void OnUrlsDropped(const QList<QUrl>& urls);
    void PrepareLogFolder();
    // The replace edits, or the method list with the caption "select method".
    void ShowMethodControls(bool onlyEnglish);
    // The controls that follow the options loaded from a file: "Only English"'s (while the
    // box may be used) and "Force 63"'s length.
    void ShowOptionControls(const brindle::RenameSettings& o);
    // The options the dialog opens with, over what Brindle.ini says: the preset it starts
    // with, then the options remembered at the last close.
    void LoadStartOptions(brindle::RenameSettings& o, bool configExists);
    // Runs a batch with one snapshot of the controls, and shows what it changed.
    void RunBatch(const brindle::BatchSource& source);
    // Says what is wrong with the regular expression or its replacement, and puts the
    // cursor of its edit where the mistake is.
    void ShowRegexMistake(const brindle::RegexError& mistake);
    // "Choose Folder" and drops: a batch, or with "Preview First" the Preview over `source`.
    void RenameOrPreview(const brindle::BatchSource& source);
    // Opens the Preview (made on first use) and brings it to the front.
    void ShowPreview();
    void OnlyEnglishTableFailed();
    void ShowUndoResult(std::optional<bool> enabled);
    // The log's batches as they are now; `problem` set when it cannot be read. Any
    // thread: it reads only the log.
    struct History {
        std::vector<brindle::LoggedBatch> batches;
        std::u16string problem;
    };
    History ReadHistory() const;
    // "Undo"'s tooltip names the batch it would take back; the Undo History, when open,
    // shows the batches anew.
    void ShowHistory(const History& history);
    // The result line for what the session's last batch or Undo did.
    void ShowResultLine();
    // Every change of an option's control is told as optionsEdited.
    void ConnectEdits();

    brindle::DesktopServices& services_;
    AboutBoxCall aboutBox_;
    brindle::UserFiles files_;
    DialogUnits units_;
    // The batches and Undo run on a worker thread and reach the window through it.
    WorkerHost workerHost_;
    brindle::RenameSession session_;
    // The user closed the dialog during an operation and chose to stop it: the dialog
    // closes once it has stopped.
    bool closeWhenStopped_ = false;
    // The status line's figures as the operation left them, shown at the painting cadence.
    std::optional<brindle::BatchStats> pendingStatus_;
    // The running number as the batch in progress last reported it.
    std::int32_t runningNumber_ = 0;
    // The folder chosen last in this run; before the first, the state file says.
    std::optional<std::u16string> lastFolder_;

    std::array<QRadioButton*, 7> conversion_{};
    QButtonGroup* conversionGroup_ = nullptr;
    QLineEdit* replaceWhat_ = nullptr;
    QLineEdit* replaceWith_ = nullptr;
    QLabel* methodLabel_ = nullptr;
    QComboBox* methodList_ = nullptr;
    QCheckBox* regularExpression_ = nullptr;
    QCheckBox* onlyEnglish_ = nullptr;
    QCheckBox* countSymbols_ = nullptr;
    QCheckBox* duplicateExtension_ = nullptr;
    QCheckBox* force63_ = nullptr;
    QCheckBox* withoutExtension_ = nullptr;
    QLineEdit* force63Length_ = nullptr;
    CUpDownCtrl* force63Spin_ = nullptr;
    QLineEdit* namePattern_ = nullptr;
    QPushButton* tokenButton_ = nullptr;
    TokenMenu* tokenMenu_ = nullptr;
    QLineEdit* startIndex_ = nullptr;
    CUpDownCtrl* startIndexSpin_ = nullptr;
    QCheckBox* resetCounters_ = nullptr;
    QLineEdit* fileTypes_ = nullptr;
    QCheckBox* renameDir_ = nullptr;
    QCheckBox* writeLogFile_ = nullptr;
    QCheckBox* deleteContents_ = nullptr;
    QCheckBox* onlyLog_ = nullptr;
    QCheckBox* showLogWindow_ = nullptr;
    QCheckBox* readOnly_ = nullptr;
    QCheckBox* scanSubfolders_ = nullptr;
    QPushButton* chooseFolder_ = nullptr;
    QPushButton* exit_ = nullptr;
    QPushButton* undo_ = nullptr;
    QPushButton* previewButton_ = nullptr;
    QPushButton* alsoLine_ = nullptr;
    QPushButton* resultLine_ = nullptr;
    QPushButton* historyLink_ = nullptr;

    COutputDlg* output_ = nullptr;
    CPreviewDlg* preview_ = nullptr;
    UndoHistoryDlg* undoHistory_ = nullptr;
    PresetMenu* presetMenu_ = nullptr;
    bool opened_ = false;
    BusyRunner runner_;
    // Members, so that both are gone before the dialog's widgets are destroyed.
    std::unique_ptr<ContextHelpFilter> contextHelp_;
    std::unique_ptr<FileDropTarget> drops_;
};
