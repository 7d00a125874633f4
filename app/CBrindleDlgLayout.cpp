// The main dialog's layout: its controls, their rectangles in dialog units, the tab
// order, and where the Output Log window opens.

#include "app/CBrindleDlg.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>

#include <tuple>
#include <utility>

#include "app/COutputDlg.h"
#include "app/CUpDownCtrl.h"
#include "app/ControlId.h"
#include "app/ControlIds.h"
#include "app/DialogUnits.h"
#include "app/OptionBindings.h"
#include "app/Safely.h"
#include "app/ScreenPlacement.h"
#include "app/TokenMenu.h"
#include "engine/OptionTable.h"

void CBrindleDlg::LayOut() {
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
    // The design's 250 x 202, the row of "Regular Expression" and the result line below the
    // buttons.
    setFixedSize(units_.size(250, 202 + kRegexRowHeight + kResultLineHeight));
    SetTabOrder();
}

void CBrindleDlg::CreateControls(std::vector<DialogItem>& items) {
    // The "File Name Editor" group grows by the row of "Regular Expression"; whatever lies
    // below the group moves down by that row, and keeps the design's numbers here.
    const auto place = [&items](QWidget* widget, int x, int y, int w, int h) {
        if (y > kEditorGroupBottom)
            y += kRegexRowHeight;
        items.push_back({widget, QRect(x, y, w, h)});
    };
    // Group boxes first, so that every control lies above them.
    const auto group = [&](const char* title, int x, int y, int w, int h) {
        auto* box = new QGroupBox(QString::fromLatin1(title), this);
        place(box, x, y, w, h);
        box->setFocusPolicy(Qt::NoFocus);
    };
    group("Lower <--> Upper Case + Reverse File Conversion", 7, 7, 236, 32);
    group("File Name Editor", 7, 40, 236, 42 + kRegexRowHeight);
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
        SetControlId(box, id);
        place(box, x, y, w, h);
        return box;
    };
    const auto edit = [&](int id, int x, int y, int w, int h) {
        auto* e = new QLineEdit(this);
        SetControlId(e, id);
        place(e, x, y, w, h);
        // Drops over an edit belong to the dialog: they start a batch.
        e->setAcceptDrops(false);
        return e;
    };
    // An edit that takes digits only, with its up-down box at `spinX`.
    const auto integerEdit = [&](int id, int spinId, int x, int y, int w, int spinX) {
        QLineEdit* e = edit(id, x, y, w, 12);
        e->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), e));
        auto* spin = new CUpDownCtrl(this);
        SetControlId(spin, spinId);
        place(spin, spinX, y, 9, 12);
        spin->SetBuddy(e);
        return std::pair{e, spin};
    };
    const auto button = [&](int id, const char* text, int x, int y, int w, int h) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        SetControlId(b, id);
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
    static_assert(std::size(radios) == std::size(kConversionButtons));
    conversionGroup_ = new QButtonGroup(this);
    for (int i = 0; i < static_cast<int>(conversion_.size()); ++i) {
        const RadioSpec& r = radios[i];
        const brindle::options::ChoiceValue& mode = brindle::options::kConversions[i];
        auto* radio = new QRadioButton(QString::fromLatin1(r.text), this);
        SetControlId(radio, kConversionButtons[i]);
        place(radio, r.x, r.y, r.w, r.h);
        // Not a tab stop.
        radio->setFocusPolicy(Qt::ClickFocus);
        conversionGroup_->addButton(radio, mode.value);
        conversion_[static_cast<std::size_t>(i)] = radio;
    }

    replaceWhat_ = edit(ids::kReplaceWhat, 62, 49, 38, 12);
    replaceWith_ = edit(ids::kReplaceWith, 62, 64, 38, 12);
    methodLabel_ = label("", 11, 56, 50, 9);
    SetControlId(methodLabel_, ids::kMethodLabel);
    methodLabel_->setTextFormat(Qt::PlainText);
    methodLabel_->setText(QString::fromUtf16(kReplaceWithLabel));
    methodList_ = new QComboBox(this);
    SetControlId(methodList_, ids::kMethodList);
    methodList_->addItems(
        {QStringLiteral("English"), QStringLiteral("Symbols"), QStringLiteral("Custom")});
    methodList_->setCurrentIndex(-1);
    place(methodList_, 11, 66, 89, 12);
    methodList_->setAcceptDrops(false);
    methodList_->hide();
    // Under the replace pair, in the room the group grows by; hidden with the pair.
    regularExpression_ = check(ids::kRegularExpression, "Re&gular Expression", 11, 79, 89, 9);

    onlyEnglish_ = check(ids::kOnlyEnglish, "Only &English", 105, 49, 50, 9);
    countSymbols_ = check(ids::kCountSymbols, "# of &Symbols", 182, 49, 56, 9);
    duplicateExtension_ = check(ids::kDuplicateExtension, "Du&blicate Extension", 105, 58, 74, 9);
    force63_ = check(ids::kForce63, "Foce &63", 182, 58, 37, 9);
    withoutExtension_ = check(ids::kWithoutExtension, "w/o File Extension", 105, 67, 69, 9);
    std::tie(force63Length_, force63Spin_) =
        integerEdit(ids::kForce63Length, ids::kForce63Spin, 182, 67, 44, 226);
    force63Length_->hide();
    force63Spin_->hide();

    label("Name pattern:", 11, 94, 47, 8);
    // The box gives the room at its right end to the button of its tokens.
    namePattern_ = edit(ids::kNamePattern, 60, 92, 98 - kTokenButtonWidth - 1, 12);
    tokenButton_ =
        button(ids::kTokenButton, "{...}", 158 - kTokenButtonWidth, 92, kTokenButtonWidth, 12);
    tokenButton_->setToolTip(QStringLiteral("Insert a token: a date, camera data, a music tag"));
    tokenButton_->setAccessibleName(QStringLiteral("Insert a token"));
    tokenMenu_ = new TokenMenu(this);
    connect(tokenMenu_, &TokenMenu::tokenChosen, this, [this](const QString& token) {
        Safely(services_, [this, &token] { InsertToken(token); });
    });
    label("Starting index:", 11, 107, 47, 9);
    std::tie(startIndex_, startIndexSpin_) =
        integerEdit(ids::kStartIndex, ids::kStartIndexSpin, 60, 105, 43, 102);
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
    // Beside "Reset Counters", in the free end of the "File Name Creator" group: the options
    // set in the Preview's panel, so that no batch is steered unseen. Shown only then.
    alsoLine_ = button(ids::kAlsoLine, "", 76, 118, 88, 11);
    alsoLine_->setFlat(true);
    alsoLine_->setStyleSheet(QStringLiteral("text-align: left; padding: 0px;"));
    alsoLine_->hide();
    // Below the buttons, in the room the dialog grows by: what the last batch or Undo did.
    // Shown once there is something to say.
    resultLine_ = button(ids::kResultLine, "", 7, 198, 170, kResultLineHeight - 2);
    resultLine_->setFlat(true);
    resultLine_->setStyleSheet(QStringLiteral("text-align: left; padding: 0px;"));
    resultLine_->setCursor(Qt::PointingHandCursor);
    resultLine_->hide();
    // The line's other way on: the batches of the log, to take back an older one.
    historyLink_ =
        button(ids::kHistoryLink, "Undo &History...", 180, 198, 63, kResultLineHeight - 2);
    historyLink_->setFlat(true);
    historyLink_->setStyleSheet(QStringLiteral("text-align: right; padding: 0px;"));
    historyLink_->setCursor(Qt::PointingHandCursor);
    historyLink_->hide();

    const auto handle = [this](QAbstractButton* source, void (CBrindleDlg::*handler)()) {
        connect(source, &QAbstractButton::clicked, this,
                [this, handler] { Safely(services_, [this, handler] { (this->*handler)(); }); });
    };
    handle(onlyEnglish_, &CBrindleDlg::OnOnlyEnglishChanged);
    handle(force63_, &CBrindleDlg::OnForce63Changed);
    handle(showLogWindow_, &CBrindleDlg::OnShowLogChanged);
    handle(exit_, &CBrindleDlg::OnExit);
    handle(chooseFolder_, &CBrindleDlg::OnChooseFolder);
    handle(undo_, &CBrindleDlg::OnUndo);
    handle(previewButton_, &CBrindleDlg::OnPreview);
    handle(alsoLine_, &CBrindleDlg::OnPreview);
    handle(resultLine_, &CBrindleDlg::OnShowOutputLog);
    handle(historyLink_, &CBrindleDlg::ShowUndoHistory);
    handle(tokenButton_, &CBrindleDlg::OnTokenButton);
}

void CBrindleDlg::SetTabOrder() {
    const int order[] = {ids::kReplaceWhat,
                         ids::kReplaceWith,
                         ids::kRegularExpression,
                         ids::kOnlyEnglish,
                         ids::kCountSymbols,
                         ids::kDuplicateExtension,
                         ids::kForce63,
                         ids::kWithoutExtension,
                         ids::kMethodList,
                         ids::kNamePattern,
                         ids::kTokenButton,
                         ids::kStartIndex,
                         ids::kResetCounters,
                         ids::kAlsoLine,
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
                         ids::kFileTypes,
                         ids::kResultLine,
                         ids::kHistoryLink};
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

void CBrindleDlg::PlaceBeside(QWidget* window, QSize size, QSize smallest, SideOrder sides) {
    const QScreen* screen = this->screen();
    if (!screen)
        return;
    // The window's frame; one not shown yet has none: the dialog's own stands in.
    const auto marginsOf = [](const QWidget* w) {
        const QRect frame = w->frameGeometry();
        const QRect inner = w->geometry();
        return QMargins(inner.left() - frame.left(), inner.top() - frame.top(),
                        frame.right() - inner.right(), frame.bottom() - inner.bottom());
    };
    QMargins margins = marginsOf(window);
    if (margins.isNull())
        margins = marginsOf(this);
    PlacementRequest request;
    request.owner = frameGeometry();
    for (const QPushButton* button : findChildren<QPushButton*>(Qt::FindDirectChildrenOnly)) {
        if (button->isVisibleTo(this))
            request.buttons.emplace_back(button->mapToGlobal(QPoint(0, 0)), button->size());
    }
    request.size = size.grownBy(margins);
    request.smallest = smallest.grownBy(margins);
    request.area = screen->availableGeometry();
    request.sides = sides;
    const QRect frame = PlacedBeside(request);
    window->resize(frame.size().shrunkBy(margins));
    window->move(frame.topLeft());
}
