#include "app/CUpDownCtrl.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>
#include <limits>

namespace {

constexpr int kRepeatDelayMs = 400;
constexpr int kRepeatIntervalMs = 60;

}  // namespace

CUpDownCtrl::CUpDownCtrl(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    connect(&repeat_, &QTimer::timeout, this, [this] {
        repeat_.setInterval(kRepeatIntervalMs);
        if (pressed_ != 0)
            Step(pressed_);
    });
}

void CUpDownCtrl::SetBuddy(QLineEdit* buddy) {
    if (buddy_)
        buddy_->removeEventFilter(this);
    buddy_ = buddy;
    if (buddy_)
        buddy_->installEventFilter(this);
}

void CUpDownCtrl::SetRange(int lower, int upper) {
    lower_ = lower;
    upper_ = upper;
    position_ = std::clamp(position_, std::min(lower_, upper_), std::max(lower_, upper_));
    update();
}

void CUpDownCtrl::Step(int delta) {
    if (buddy_) {
        // The buddy's text is the current value when it holds one; otherwise the last.
        bool ok = false;
        const qlonglong typed = buddy_->text().trimmed().toLongLong(&ok);
        if (ok && typed >= std::numeric_limits<int>::min() &&
            typed <= std::numeric_limits<int>::max())
            position_ = static_cast<int>(typed);
    }
    const long long next = static_cast<long long>(position_) + delta;
    position_ = static_cast<int>(
        std::clamp<long long>(next, std::min(lower_, upper_), std::max(lower_, upper_)));
    if (buddy_) {
        buddy_->setText(QString::number(position_));
        buddy_->selectAll();
    }
    update();
}

bool CUpDownCtrl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == buddy_ && event->type() == QEvent::KeyPress && isEnabled()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Up) {
            Step(1);
            return true;
        }
        if (key->key() == Qt::Key_Down) {
            Step(-1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

QRect CUpDownCtrl::UpHalf() const {
    return {0, 0, width(), height() / 2};
}

QRect CUpDownCtrl::DownHalf() const {
    return {0, height() / 2, width(), height() - height() / 2};
}

void CUpDownCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    pressed_ = UpHalf().contains(event->position().toPoint()) ? 1 : -1;
    Step(pressed_);
    repeat_.start(kRepeatDelayMs);
    update();
}

void CUpDownCtrl::mouseReleaseEvent(QMouseEvent* event) {
    pressed_ = 0;
    repeat_.stop();
    update();
    QWidget::mouseReleaseEvent(event);
}

void CUpDownCtrl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const auto drawHalf = [&](const QRect& area, int direction) {
        QStyleOptionButton button;
        button.initFrom(this);
        button.rect = area;
        button.state |= pressed_ == direction ? QStyle::State_Sunken : QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &button, &painter, this);
        QStyleOption arrow;
        arrow.initFrom(this);
        arrow.rect = area.adjusted(2, 1, -2, -1);
        style()->drawPrimitive(
            direction > 0 ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown, &arrow,
            &painter, this);
    };
    drawHalf(UpHalf(), 1);
    drawHalf(DownHalf(), -1);
}
