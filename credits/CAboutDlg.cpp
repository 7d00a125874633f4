#include "CAboutDlg.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QUrl>
#include <QtMath>

#include <algorithm>

namespace {

// The maker's web address as the box shows it, and the page a click on it opens.
constexpr char16_t kLinkText[] = u"www.example.org";
constexpr char kLinkPage[] = "https://www.example.org/kelvane/";

constexpr int kTextLeft = 110;
constexpr int kFirstLineTop = 7;
constexpr int kSecondLineTop = 22;
constexpr int kLineStep = 15;
const QPoint kLinkTopLeft(120, 140);
constexpr QRgb kFirstLineColour = qRgb(0, 0, 0);
constexpr QRgb kOtherLineColour = qRgb(150, 150, 150);

// Dialog units scale with the dialog font: x by a quarter of its average character width,
// y by an eighth of its height.
int DialogUnits(int units, int base, int divisor) {
    return (units * base + divisor / 2) / divisor;
}

// The height of the dialog font the layout's pixels were given for.
constexpr int kReferenceFontHeight = 13;
// The unscaled box the layout fills: 220 x 99 dialog units of that font (6 x 13).
constexpr int kReferenceWidth = 330;
constexpr int kReferenceHeight = 161;
// Room kept right of the longest line.
constexpr int kRightMargin = 7;

int Scaled(int pixels, qreal scale) {
    return qRound(pixels * scale);
}

// Single-line text from its top-left corner, on an opaque white background.
void DrawLine(QPainter& painter, QPoint topLeft, const QString& line, QRgb colour) {
    painter.setPen(QColor(colour));
    painter.drawText(topLeft + QPoint(0, painter.fontMetrics().ascent()), line);
}

}  // namespace

CAboutDlg::CAboutDlg(QWidget* owner) : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint) {
    const QFontMetrics metrics(QApplication::font());
    scale = qreal(std::max(metrics.height(), 1)) / kReferenceFontHeight;
    setProperty("layoutScale", scale);
    setFixedSize(
        std::max(DialogUnits(220, metrics.averageCharWidth(), 4), Scaled(kReferenceWidth, scale)),
        std::max(DialogUnits(99, metrics.height(), 8), Scaled(kReferenceHeight, scale)));
    setMouseTracking(true);
    // Without its picture the box stays white; it still answers the mouse and the keys.
    bitmap.load(QStringLiteral(":/kelvaneu/picture.bmp"));
}

CAboutDlg::CAboutDlg(QWidget* owner, const QString& aboutText) : CAboutDlg(owner) {
    text = aboutText;
    // Only the first and the last line are shown.
    const qsizetype firstFeed = text.indexOf(u'\n');
    if (firstFeed >= 0) {
        secondLine = text.mid(text.lastIndexOf(u'\n') + 1);
        text.truncate(firstFeed);
    }
}

CAboutDlg::CAboutDlg(QWidget* owner, const char16_t* const* callerLines, std::size_t count)
    : CAboutDlg(owner) {
    arrayMode = true;
    lines = callerLines;
    lineCount = callerLines ? count : 0;
}

bool CAboutDlg::Run() {
    // Every line shown, however long, with its margin.
    const QFontMetrics metrics(TextFont());
    int widest = metrics.horizontalAdvance(QString::fromUtf16(kLinkText)) + kLinkTopLeft.x();
    if (arrayMode) {
        for (std::size_t i = 0; i < lineCount; ++i)
            if (lines[i])
                widest = std::max(
                    widest, kTextLeft + metrics.horizontalAdvance(QString::fromUtf16(lines[i])));
    } else {
        widest = std::max(widest, kTextLeft + metrics.horizontalAdvance(text));
        if (secondLine)
            widest = std::max(widest, kTextLeft + metrics.horizontalAdvance(*secondLine));
    }
    setFixedWidth(std::max(width(), qCeil((widest + kRightMargin) * scale)));
    PlaceOverOwner();
    return exec() == QDialog::Accepted;
}

void CAboutDlg::PlaceOverOwner() {
    QWidget* owner = parentWidget();
    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect workArea = screen->availableGeometry();
    const bool overOwner = owner && owner->isVisible() && !owner->isMinimized();
    QRect box(QPoint(0, 0), size());
    box.moveCenter(overOwner ? owner->frameGeometry().center() : workArea.center());
    // Keep it inside the work area; when it cannot fit, its top-left corner stays visible.
    if (box.right() > workArea.right())
        box.moveRight(workArea.right());
    if (box.bottom() > workArea.bottom())
        box.moveBottom(workArea.bottom());
    if (box.left() < workArea.left())
        box.moveLeft(workArea.left());
    if (box.top() < workArea.top())
        box.moveTop(workArea.top());
    move(box.topLeft());
}

QFont CAboutDlg::TextFont() const {
    QFont font;
    font.setPixelSize(14);
    font.setWeight(QFont::Bold);
    font.setStyleStrategy(QFont::ForceOutline);
    return font;
}

QRect CAboutDlg::LinkHotArea() const {
    // Each edge rounded on its own, as dialog units are.
    return QRect(
        QPoint(Scaled(linkRect.left(), scale), Scaled(linkRect.top(), scale)),
        QPoint(Scaled(linkRect.right() + 1, scale) - 1, Scaled(linkRect.bottom() + 1, scale) - 1));
}

// The link's hot area and everything its text covers, descenders included, so that a
// change of colour repaints the whole link.
QRect CAboutDlg::LinkArea() const {
    const QFontMetrics metrics(TextFont());
    const QString link = QString::fromUtf16(kLinkText);
    const QRectF drawn(QPointF(kLinkTopLeft) * scale,
                       QSizeF(metrics.horizontalAdvance(link), metrics.height()) * scale);
    return LinkHotArea().united(drawn.toAlignedRect());
}

void CAboutDlg::SetLinkColour(QRgb colour) {
    if (linkColour == colour)
        return;
    linkColour = colour;
    setCursor(colour == kLinkHot ? Qt::PointingHandCursor : Qt::ArrowCursor);
    update(LinkArea());
}

void CAboutDlg::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    // F1 inside the box is no request for help: it would only open a second about box.
    if (key == Qt::Key_F1) {
        event->accept();
        return;
    }
    // There is no button to be the default: Enter itself closes the box as OK.
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && modifiers == Qt::NoModifier) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CAboutDlg::leaveEvent(QEvent* event) {
    // The cursor may jump out of the window straight from the link.
    SetLinkColour(kLinkRest);
    QDialog::leaveEvent(event);
}

void CAboutDlg::mouseMoveEvent(QMouseEvent* event) {
    SetLinkColour(LinkHotArea().contains(event->position().toPoint()) ? kLinkHot : kLinkRest);
    QDialog::mouseMoveEvent(event);
}

void CAboutDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        if (LinkHotArea().contains(event->position().toPoint())) {
            // A page that cannot be opened changes nothing: the box stays up either way.
            QDesktopServices::openUrl(QUrl(QString::fromLatin1(kLinkPage)));
        } else {
            accept();
        }
    }
    QDialog::mousePressEvent(event);
}

void CAboutDlg::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::white);
    if (bitmap.isNull())
        return;
    // The layout's own pixels, scaled as a whole for the dialog font in use.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.scale(scale, scale);
    painter.drawImage(QPoint(0, 0), bitmap);

    painter.setFont(TextFont());
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(Qt::white);
    if (arrayMode) {
        // Lines below the box cannot be seen, so they are not read either.
        int top = kFirstLineTop;
        for (std::size_t i = 0; i < lineCount && top * scale < height(); ++i) {
            const QString line = lines[i] ? QString::fromUtf16(lines[i]) : QString();
            DrawLine(painter, QPoint(kTextLeft, top), line,
                     i == 0 ? kFirstLineColour : kOtherLineColour);
            top = i == 0 ? kSecondLineTop : top + kLineStep;
        }
    } else {
        DrawLine(painter, QPoint(kTextLeft, kFirstLineTop), text, kFirstLineColour);
        if (secondLine) {
            DrawLine(painter, QPoint(kTextLeft, kSecondLineTop), *secondLine, kOtherLineColour);
        }
    }
    DrawLine(painter, kLinkTopLeft, QString::fromUtf16(kLinkText), linkColour);
}
