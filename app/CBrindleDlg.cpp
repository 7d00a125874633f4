#include "app/CBrindleDlg.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>

#include <exception>
#include <optional>

#include "app/AppResources.h"
#include "app/BusyInputGuard.h"
#include "app/COutputDlg.h"
#include "app/CPreviewDlg.h"
#include "app/CUpDownCtrl.h"
#include "app/ContextHelp.h"
#include "app/CreditsLibrary.h"
#include "app/DialogUnits.h"
#include "app/OutputLogModel.h"
#include "app/QtText.h"
#include "app/ScreenPlacement.h"
#include "batch/Messages.h"
#include "engine/ConfigFile.h"
#include "engine/ControlIds.h"
#include "engine/IntegerText.h"
#include "engine/OptionTable.h"
#include "platform/FileSystem.h"

using brindle::MessageButtons;
using brindle::MessageIcon;
using brindle::MessageResult;
using brindle::RenameOptions;

namespace {

constexpr char16_t kSelectMethod[] = u"select method";
constexpr char16_t kReplaceWithLabel[] = u"replace with";
constexpr char16_t kCaption[] = u"Brindle";

void SetId(QWidget* widget, int id) {
    widget->setObjectName(QString::number(id));
    widget->setProperty(kControlIdProperty, id);
}

// The integer rule: spaces and tabs around the text are ignored; what is left is a decimal
// integer with an optional sign, within 32 bits.
std::optional<int> ParseInteger(const QString& text) {
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;
    return brindle::ParseInt32(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()) + begin,
                            static_cast<std::size_t>(end - begin)));
}

}  // namespace

CBrindleDlg::CBrindleDlg(brindle::DesktopServices& services, AboutBoxCall aboutBox,
                         brindle::UserFiles files, QWidget* parent)
    : QDialog(parent),
      services_(services),
      aboutBox_(std::move(aboutBox)),
      files_(std::move(files)),
      units_(QApplication::font()),
      session_(*this) {
    setObjectName(QStringLiteral("CBrindleDlg"));
    // A window of its own on the taskbar, with a minimise box and no maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setAcceptDrops(true);
    setWindowIcon(AppIcon());

    setFont(QApplication::font());
    std::vector<DialogItem> items;
    CreateControls(items);
    // The layout stays in dialog units; the units grow until the most demanding caption
    // fits, and the window with them.
    units_ =
        FitCaptions(DialogUnits(font()), items,
                    {{methodLabel_,
                      {QString::fromUtf16(kSelectMethod), QString::fromUtf16(kReplaceWithLabel)}}});
    PlaceItems(units_, items);
    setFixedSize(units_.size(250, 202));
    SetTabOrder();
    ConnectEdits();

    output_ = new COutputDlg(this, units_);
    output_->hide();

    QCoreApplication::instance()->installEventFilter(this);
}

CBrindleDlg::~CBrindleDlg() {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

void CBrindleDlg::CreateControls(std::vector<DialogItem>& items) {
    const auto place = [&items](QWidget* widget, int x, int y, int w, int h) {
        items.push_back({widget, QRect(x, y, w, h)});
    };
    // Group boxes first, so that every control lies above them.
    const auto group = [&](const char* title, int x, int y, int w, int h) {
        auto* box = new QGroupBox(QString::fromLatin1(title), this);
        place(box, x, y, w, h);
        box->setFocusPolicy(Qt::NoFocus);
    };
    group("Lower <--> Upper Case + Reverse File Conversion", 7, 7, 236, 32);
    group("File Name Editor", 7, 40, 236, 42);
    group("File Name Creator", 7, 83, 160, 47);
    group("File Mover", 171, 83, 72, 47);
    group("Configuration", 7, 132, 236, 42);

    const auto label = [&](const char* text, int x, int y, int w, int h) {
        auto* l = new QLabel(QString::fromLatin1(text), this);
        place(l, x, y, w, h);
        return l;
    };
    const auto check = [&](int id, const char* text, int x, int y, int w, int h) {
        auto* box = new QCheckBox(QString::fromLatin1(text), this);
        SetId(box, id);
        place(box, x, y, w, h);
        return box;
    };
    const auto edit = [&](int id, int x, int y, int w, int h) {
        auto* e = new QLineEdit(this);
        SetId(e, id);
        place(e, x, y, w, h);
        // Drops over an edit belong to the dialog: they start a batch.
        e->setAcceptDrops(false);
        return e;
    };
    const auto digitsOnly = [](QLineEdit* e) {
        e->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), e));
    };
    const auto button = [&](int id, const char* text, int x, int y, int w, int h) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        SetId(b, id);
        place(b, x, y, w, h);
        b->setAutoDefault(false);
        b->setDefault(false);
        return b;
    };

    struct RadioSpec {
        const char* text;
        int x, y, w, h;
    };
    // In the order of conversionMode, as the option table lists the group.
    const RadioSpec radios[] = {
        {"No Conversion", 10, 16, 59, 8},   {"To &Lower Case", 71, 16, 59, 8},
        {"Lo&wer Letter", 133, 16, 52, 8},  {"Re&verse", 190, 16, 50, 8},
        {"&Reverse Letter", 10, 26, 60, 8}, {"To &Upper Case", 71, 26, 59, 8},
        {"U&pper Letter", 133, 26, 52, 8},
    };
    static_assert(std::size(radios) == std::size(brindle::options::kConversions));
    conversionGroup_ = new QButtonGroup(this);
    for (int i = 0; i < static_cast<int>(conversion_.size()); ++i) {
        const RadioSpec& r = radios[i];
        const brindle::options::Conversion& mode = brindle::options::kConversions[i];
        auto* radio = new QRadioButton(QString::fromLatin1(r.text), this);
        SetId(radio, mode.control);
        place(radio, r.x, r.y, r.w, r.h);
        // Not a tab stop.
        radio->setFocusPolicy(Qt::ClickFocus);
        conversionGroup_->addButton(radio, mode.mode);
        conversion_[static_cast<std::size_t>(i)] = radio;
    }

    replaceWhat_ = edit(ids::kReplaceWhat, 62, 49, 38, 12);
    replaceWith_ = edit(ids::kReplaceWith, 62, 64, 38, 12);
    methodLabel_ = label("", 11, 56, 50, 9);
    SetId(methodLabel_, ids::kMethodLabel);
    methodLabel_->setTextFormat(Qt::PlainText);
    methodList_ = new QComboBox(this);
    SetId(methodList_, ids::kMethodList);
    methodList_->addItems(
        {QStringLiteral("English"), QStringLiteral("Symbols"), QStringLiteral("Custom")});
    methodList_->setCurrentIndex(-1);
    place(methodList_, 11, 66, 89, 12);
    methodList_->setAcceptDrops(false);
    methodList_->hide();

    onlyEnglish_ = check(ids::kOnlyEnglish, "Only &English", 105, 49, 50, 9);
    countSymbols_ = check(ids::kCountSymbols, "# of &Symbols", 182, 49, 56, 9);
    duplicateExtension_ = check(ids::kDuplicateExtension, "Du&blicate Extension", 105, 58, 74, 9);
    force63_ = check(ids::kForce63, "Foce &63", 182, 58, 37, 9);
    withoutExtension_ = check(ids::kWithoutExtension, "w/o File Extension", 105, 67, 69, 9);
    force63Length_ = edit(ids::kForce63Length, 182, 67, 44, 12);
    digitsOnly(force63Length_);
    force63Spin_ = new CUpDownCtrl(this);
    SetId(force63Spin_, ids::kForce63Spin);
    place(force63Spin_, 226, 67, 9, 12);
    force63Spin_->SetBuddy(force63Length_);
    force63Length_->hide();
    force63Spin_->hide();

    label("Name pattern:", 11, 94, 47, 8);
    namePattern_ = edit(ids::kNamePattern, 60, 92, 98, 12);
    label("Starting index:", 11, 107, 47, 9);
    startIndex_ = edit(ids::kStartIndex, 60, 105, 43, 12);
    digitsOnly(startIndex_);
    startIndexSpin_ = new CUpDownCtrl(this);
    SetId(startIndexSpin_, ids::kStartIndexSpin);
    place(startIndexSpin_, 102, 105, 9, 12);
    startIndexSpin_->SetBuddy(startIndex_);
    resetCounters_ = check(ids::kResetCounters, "Reset Cou&nters", 11, 119, 62, 9);

    label("File Type:", 177, 94, 31, 8);
    fileTypes_ = edit(ids::kFileTypes, 211, 92, 24, 12);

    renameDir_ = check(ids::kRenameDir, "Rename Dir", 11, 142, 48, 9);
    writeLogFile_ = check(ids::kWriteLogFile, "Wr&ite Log File", 62, 142, 55, 9);
    deleteContents_ = check(ids::kDeleteContents, "Dele&te Contents", 126, 142, 67, 9);
    onlyLog_ = check(ids::kOnlyLog, "&Only Log", 11, 152, 39, 9);
    showLogWindow_ = check(ids::kShowLogWindow, "Open/&Close Log", 62, 152, 63, 9);
    readOnly_ = check(ids::kReadOnly, "Read Only", 11, 162, 45, 9);
    scanSubfolders_ = check(ids::kScanSubfolders, "Scan Sub&folders", 62, 162, 64, 9);

    chooseFolder_ = button(ids::kChooseFolder, "Choose &Folder", 15, 181, 59, 14);
    exit_ = button(ids::kExit, "E&xit", 96, 181, 59, 14);
    undo_ = button(ids::kUndo, "Undo", 176, 181, 59, 14);
    undo_->setEnabled(false);
    // In the free corner of the "Configuration" group, above "Undo".
    previewButton_ = button(ids::kPreview, "Preview Na&mes", 176, 154, 59, 14);

    const auto handle = [this](QAbstractButton* source, void (CBrindleDlg::*handler)()) {
        connect(source, &QAbstractButton::clicked, this,
                [this, handler] { Safely([this, handler] { (this->*handler)(); }); });
    };
    handle(onlyEnglish_, &CBrindleDlg::OnOnlyEnglishChanged);
    handle(force63_, &CBrindleDlg::OnForce63Changed);
    handle(showLogWindow_, &CBrindleDlg::OnShowLogChanged);
    handle(exit_, &CBrindleDlg::OnExit);
    handle(chooseFolder_, &CBrindleDlg::OnChooseFolder);
    handle(undo_, &CBrindleDlg::OnUndo);
    handle(previewButton_, &CBrindleDlg::OnPreview);
}

void CBrindleDlg::SetTabOrder() {
    const int order[] = {ids::kReplaceWhat,
                         ids::kReplaceWith,
                         ids::kOnlyEnglish,
                         ids::kCountSymbols,
                         ids::kDuplicateExtension,
                         ids::kForce63,
                         ids::kWithoutExtension,
                         ids::kMethodList,
                         ids::kNamePattern,
                         ids::kStartIndex,
                         ids::kResetCounters,
                         ids::kRenameDir,
                         ids::kWriteLogFile,
                         ids::kDeleteContents,
                         ids::kOnlyLog,
                         ids::kShowLogWindow,
                         ids::kReadOnly,
                         ids::kScanSubfolders,
                         ids::kChooseFolder,
                         ids::kExit,
                         ids::kUndo,
                         ids::kPreview,
                         ids::kForce63Length,
                         ids::kFileTypes};
    QWidget* previous = nullptr;
    for (const int id : order) {
        QWidget* next = control(id);
        next->setFocusPolicy(Qt::StrongFocus);
        if (previous)
            setTabOrder(previous, next);
        previous = next;
    }
}

QWidget* CBrindleDlg::control(int id) const {
    for (QWidget* child : findChildren<QWidget*>(QString::number(id), Qt::FindDirectChildrenOnly))
        if (child->property(kControlIdProperty).toInt() == id)
            return child;
    return nullptr;
}

// Handlers run inside Qt's event delivery, which no exception may cross: one that cannot
// finish says why in a message box.
void CBrindleDlg::Safely(const std::function<void()>& work) {
    try {
        work();
    } catch (const std::exception& error) {
        services_.ShowMessageBox(FromQString(QString::fromLocal8Bit(error.what())), {},
                                 MessageButtons::Ok, MessageIcon::Stop);
    }
}

// --- Opening -------------------------------------------------------------------------

void CBrindleDlg::showEvent(QShowEvent* event) {
    // After the dialog has found its place: the Output Log is placed relative to it.
    QDialog::showEvent(event);
    Safely([this] { OnInitDialog(); });
}

void CBrindleDlg::OnInitDialog() {
    if (opened_)
        return;
    opened_ = true;
    RenameOptions& o = session_.options();
    // The framework's initialisation ends with a "load" of the constructor values.
    LoadOptions(o);
    force63Spin_->SetRange(64, 1000);
    startIndexSpin_->SetRange(0, 1000);
    setWindowIcon(AppIcon());
    PlaceOutputLog();
    o.iniFileName = files_.configFile;
    o.logFileName = files_.logFile;
    undo_->setEnabled(session_.LogExists());
    session_.setLetterCounter(u'a');
    output_->PrepareList();
    output_->SetStatus(ToQString(brindle::FormatStatus(brindle::BatchStats{})));
    SaveOptions(o);
    o.force63Length = 64;
    setWindowTitle(QString::fromUtf16(kCaption));

    const bool iniExists = brindle::PathExists(o.iniFileName);
    onlyEnglish_->setEnabled(iniExists);
    brindle::LoadConfigOptions(o);
    if (iniExists) {
        if (o.onlyEnglish)
            o.methodLabel = kSelectMethod;
        ShowReplaceEdits(!o.onlyEnglish);
        methodList_->setVisible(o.onlyEnglish);
    }
    if (o.showLogWindow) {
        output_->show();
        output_->activateWindow();
    }
    force63Length_->setVisible(o.force63);
    force63Spin_->setVisible(o.force63);
    LoadOptions(o);
}

void CBrindleDlg::PlaceOutputLog() {
    // Where the layout puts it, moved inside the available area of the dialog's screen. A
    // window not shown yet has no frame: the dialog's own frame stands in for its size.
    QRect frame = output_->frameGeometry();
    if (frame == output_->geometry()) {
        const QMargins margins(geometry().left() - frameGeometry().left(),
                               geometry().top() - frameGeometry().top(),
                               frameGeometry().right() - geometry().right(),
                               frameGeometry().bottom() - geometry().bottom());
        frame = frame.marginsAdded(margins);
    }
    frame.moveTopLeft(geometry().topLeft() + units_.point(160, 210));
    if (const QScreen* screen = this->screen())
        frame = KeptInside(frame, screen->availableGeometry());
    output_->move(frame.topLeft());
}

// --- Data exchange ---------------------------------------------------------------------

bool CBrindleDlg::UpdateData(bool save) {
    if (save)
        return SaveOptions(session_.options());
    LoadOptions(session_.options());
    return true;
}

namespace {

QString TextOf(QWidget* w) {
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    return {};
}

void SetTextOf(QWidget* w, const QString& text) {
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        // Writing the same text again would move the caret for nothing.
        if (e->text() != text)
            e->setText(text);
    } else if (auto* l = qobject_cast<QLabel*>(w)) {
        l->setText(text);
    }
}

}  // namespace

bool CBrindleDlg::DoDataExchange(bool save, RenameOptions& o, bool quiet) {
    // The option table, in its order, drives both directions.
    namespace table = brindle::options;
    for (const table::Flag& flag : table::kFlags) {
        auto* box = qobject_cast<QCheckBox*>(control(flag.control));
        if (save)
            o.*flag.field = box->isChecked();
        else
            box->setChecked(o.*flag.field);
    }
    if (save) {
        o.conversionMode = conversionGroup_->checkedId();
    } else if (o.conversionMode >= 0 && o.conversionMode < static_cast<int>(conversion_.size())) {
        conversion_[static_cast<std::size_t>(o.conversionMode)]->setChecked(true);
    } else if (QAbstractButton* checked = conversionGroup_->checkedButton()) {
        conversionGroup_->setExclusive(false);
        checked->setChecked(false);
        conversionGroup_->setExclusive(true);
    }
    for (const table::Integer& integer : table::kIntegers) {
        auto* edit = qobject_cast<QLineEdit*>(control(integer.control));
        if (!save) {
            SetTextOf(edit, QString::number(o.*integer.field));
            continue;
        }
        const std::optional<int> value = ParseInteger(edit->text());
        if (!value && quiet)
            continue;
        if (!value) {
            ShowMessage(brindle::kTextEnterInteger, {}, MessageIcon::Warning);
            edit->setFocus(Qt::OtherFocusReason);
            edit->selectAll();
            return false;
        }
        o.*integer.field = *value;
    }
    for (const table::Text& text : table::kTexts) {
        QWidget* widget = control(text.control);
        if (save)
            o.*text.field = FromQString(TextOf(widget));
        else
            SetTextOf(widget, ToQString(o.*text.field));
    }
    return true;
}

bool CBrindleDlg::SaveOptions(RenameOptions& o) {
    // The selected method is read from the list itself, whatever the exchange reports.
    o.filterMethod = FromQString(methodList_->currentText());
    return DoDataExchange(true, o);
}

void CBrindleDlg::LoadOptions(const RenameOptions& o) {
    RenameOptions shown = o;
    DoDataExchange(false, shown);
}

// --- Check boxes, Exit, keys -------------------------------------------------------------

void CBrindleDlg::ShowReplaceEdits(bool show) {
    replaceWhat_->setVisible(show);
    replaceWith_->setVisible(show);
}

void CBrindleDlg::OnOnlyEnglishChanged() {
    if (busy_)
        return;
    RenameOptions& o = session_.options();
    SaveOptions(o);
    o.withoutExtension = o.onlyEnglish;
    o.methodLabel = o.onlyEnglish ? kSelectMethod : kReplaceWithLabel;
    LoadOptions(o);
    ShowReplaceEdits(!o.onlyEnglish);
    methodList_->setVisible(o.onlyEnglish);
}

void CBrindleDlg::OnForce63Changed() {
    if (busy_)
        return;
    RenameOptions& o = session_.options();
    SaveOptions(o);
    force63Length_->setVisible(o.force63);
    force63Spin_->setVisible(o.force63);
    LoadOptions(o);
}

void CBrindleDlg::OnShowLogChanged() {
    if (busy_)
        return;
    RenameOptions& o = session_.options();
    SaveOptions(o);
    output_->setVisible(o.showLogWindow);
    LoadOptions(o);
}

void CBrindleDlg::OnExit() {
    if (busy_)
        return;
    if (SaveOptions(session_.options()))
        accept();
}

void CBrindleDlg::OnHelp() {
    if (busy_ || !aboutBox_)
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
            Safely([this] { OnExit(); });
            return;
        case Qt::Key_Escape:
            if (event->modifiers() != Qt::NoModifier)
                break;
            event->accept();
            // Escape dismisses the help balloon the user is reading, not the program.
            if (CloseContextHelpBalloons())
                return;
            if (!busy_)
                reject();
            return;
        case Qt::Key_F1:
            if (event->modifiers() != Qt::NoModifier)
                break;
            event->accept();
            Safely([this] { OnHelp(); });
            return;
        default:
            break;
    }
    // Not QDialog's: it would press a default button, and this dialog has none.
    QWidget::keyPressEvent(event);
}

void CBrindleDlg::closeEvent(QCloseEvent* event) {
    if (busy_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

// --- Context help ----------------------------------------------------------------------

bool CBrindleDlg::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
        type != QEvent::MouseButtonRelease && type != QEvent::ContextMenu)
        return QDialog::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this)
        return QDialog::eventFilter(watched, event);
    if (type == QEvent::ContextMenu)
        return true;  // the press has had its help
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::RightButton)
        return QDialog::eventFilter(watched, event);
    if (type != QEvent::MouseButtonRelease)
        ContextHelp(widget, mouse->globalPosition().toPoint());
    return true;
}

bool CBrindleDlg::ContextHelp(QWidget* target, const QPoint& globalPos) {
    const QVariant id = target->property(kControlIdProperty);
    if (!id.isValid())
        return false;
    const std::optional<ContextHelpTexts> help = ContextHelpFor(id.toInt());
    if (!help)
        return false;
    ShowContextHelpBalloon(help->title, help->text, globalPos, &services_);
    emit contextHelpShown(id.toInt(), help->title, help->text);
    return true;
}

// --- Batches and Undo ------------------------------------------------------------------

void CBrindleDlg::RunBusy(const std::function<void()>& work) {
    if (busy_)
        return;
    busy_ = true;
    guard_ = std::make_unique<BusyInputGuard>();
    // However the operation ends, the dialog takes input again afterwards.
    struct EndBusy {
        CBrindleDlg& dlg;
        ~EndBusy() {
            dlg.guard_.reset();
            dlg.busy_ = false;
        }
    } endBusy{*this};
    paintTimer_.start();
    emit operationStarted();
    try {
        work();
    } catch (const std::exception& error) {
        // The operation could not end; say so instead of leaving a half-done batch silent.
        guard_->Suspend();
        services_.ShowMessageBox(FromQString(QString::fromLocal8Bit(error.what())), {},
                                 MessageButtons::Ok, MessageIcon::Stop);
        guard_->Resume();
    }
    ShowProgress();
    // Input that arrived meanwhile is refused, not handled late.
    QCoreApplication::processEvents();
    busy_ = false;
    emit operationEnded();
}

void CBrindleDlg::PaintProgress() {
    if (!busy_)
        return;
    if (paintTimer_.isValid() && paintTimer_.elapsed() < paintIntervalMs_)
        return;
    ShowProgress();
    // The running number as the batch advances it.
    SetTextOf(startIndex_, QString::number(session_.options().startIndex));
    // Only paint: input stays queued and is refused when the operation ends.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    paintTimer_.start();
}

void CBrindleDlg::OnChooseFolder() {
    if (busy_)
        return;
    const std::optional<std::u16string> folder =
        services_.BrowseForFolder(brindle::kTextChooseFolder);
    if (!folder)
        return;
    RunBatch(brindle::BatchSource::Folder(*folder));
}

void CBrindleDlg::OnDropFiles(const std::vector<std::u16string>& paths) {
    if (busy_)
        return;
    RunBatch(brindle::BatchSource::Drop(paths));
}

void CBrindleDlg::RunBatch(const brindle::BatchSource& source) {
    // A drop of nothing usable is no batch: not even the options are saved.
    if (source.empty())
        return;
    RunBusy([&] {
        // One snapshot for the whole batch, which goes on whatever the save reports: the
        // user has been told.
        SaveOptions(session_.options());
        PrepareLogFolder();
        const brindle::BatchResult result = session_.RunBatch(source);
        // What the batch changed in the options.
        LoadOptions(session_.options());
        if (result.tableFailed)
            OnlyEnglishTableFailed();
        ShowUndoResult(result.undoEnabled);
    });
}

void CBrindleDlg::PrepareLogFolder() {
    // The log's folder is made when a log is first wanted; should that fail, the log's own
    // failure tells the user at the batch's end.
    if (session_.options().writeLogFile)
        brindle::CreateFolderFor(files_.logFile);
}

void CBrindleDlg::OnUndo() {
    if (busy_)
        return;
    RunBusy([&] {
        SaveOptions(session_.options());
        session_.OnUndo();
        ShowUndoResult(session_.undoEnabled());
    });
}

void CBrindleDlg::ShowUndoResult(std::optional<bool> enabled) {
    if (enabled)
        undo_->setEnabled(*enabled);
}

void CBrindleDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (!busy_ && event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void CBrindleDlg::dragMoveEvent(QDragMoveEvent* event) {
    if (!busy_ && event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void CBrindleDlg::dropEvent(QDropEvent* event) {
    if (busy_ || !event->mimeData()->hasUrls()) {
        event->ignore();
        return;
    }
    std::vector<std::u16string> paths;
    for (const QUrl& url : event->mimeData()->urls())
        paths.push_back(PathFromDroppedUrl(url));
    event->acceptProposedAction();
    // The batch runs once the drop has finished, so the file manager is not held waiting.
    QMetaObject::invokeMethod(
        this, [this, paths] { Safely([&] { OnDropFiles(paths); }); }, Qt::QueuedConnection);
}

// --- PipelineHost ----------------------------------------------------------------------

void CBrindleDlg::AddOutputRow(const brindle::RowData& row) {
    output_->model()->Append(row);
    if (busy_)
        PaintProgress();
    else
        ShowProgress();
}

void CBrindleDlg::RemoveAllRows() {
    output_->model()->RemoveAll();
    PaintProgress();
}

void CBrindleDlg::SetStatus(const brindle::BatchStats& stats) {
    pendingStatus_ = stats;
    if (!busy_)
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
    if (guard_)
        guard_->Suspend();
    services_.ShowMessageBox(text, caption, MessageButtons::Ok, icon);
    if (guard_)
        guard_->Resume();
}

bool CBrindleDlg::AskYesNo(const std::u16string& text, const std::u16string& caption,
                           MessageIcon icon) {
    ShowProgress();
    if (guard_)
        guard_->Suspend();
    const MessageResult answer =
        services_.ShowMessageBox(text, caption, MessageButtons::YesNo, icon);
    if (guard_)
        guard_->Resume();
    return answer == MessageResult::Yes;
}

void CBrindleDlg::OnlyEnglishTableFailed() {
    ShowReplaceEdits(true);
    methodList_->hide();
    onlyEnglish_->setEnabled(false);
}

// --- Preview ---------------------------------------------------------------------------

void CBrindleDlg::ConnectEdits() {
    const auto edited = [this] {
        if (!busy_)
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

brindle::PlanRequest CBrindleDlg::NextBatch(const brindle::BatchSource& source) {
    brindle::PlanRequest request{source, session_.options(), session_.counters()};
    // The controls as they are; an invalid integer is the session's value, as a batch
    // would keep it after its message.
    request.options.filterMethod = FromQString(methodList_->currentText());
    DoDataExchange(true, request.options, true);
    request.counters.startIndex = request.options.startIndex;
    return request;
}

void CBrindleDlg::OnPreview() {
    if (busy_)
        return;
    if (!preview_) {
        preview_ = new CPreviewDlg(this, services_, [this](const brindle::BatchSource& source) {
            return NextBatch(source);
        });
        connect(this, &CBrindleDlg::optionsEdited, preview_, &CPreviewDlg::OnOptionsChanged);
        connect(this, &CBrindleDlg::operationStarted, preview_, &CPreviewDlg::OnOperationStarted);
        connect(this, &CBrindleDlg::operationEnded, preview_, &CPreviewDlg::OnOperationEnded);
        connect(preview_, &CPreviewDlg::renameRequested, this, &CBrindleDlg::OnPreviewRename);
    }
    preview_->show();
    preview_->raise();
    preview_->activateWindow();
}

void CBrindleDlg::OnPreviewRename(const brindle::BatchSource& source) {
    if (busy_)
        return;
    Safely([&] { RunBatch(source); });
}
