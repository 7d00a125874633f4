// CBalloonWnd's painting: the draw routines, which measure the header and the content and,
// with the draw flag, paint them as measured; the margins, tail, border and inner shadow;
// the close button; and the fonts the text is measured and painted in.

#include "balloon/BalloonWnd.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOptionToolButton>

#include <algorithm>

#include "balloon/BalloonGuard.h"

namespace brindle {

namespace {

constexpr int kHeaderGap = 8;
constexpr int kTitleFlags = Qt::TextSingleLine | Qt::TextExpandTabs;
constexpr int kContentFlags = Qt::TextWordWrap | Qt::TextExpandTabs | Qt::AlignLeft | Qt::AlignTop;

BalloonRgb ToRgb(const QColor& colour) {
    return {colour.red(), colour.green(), colour.blue()};
}

QColor ToColour(BalloonRgb rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

// Paints the pixels of a region that lie within width and height of its edge.
void FrameRegion(QPainter& painter, const QRegion& region, const QColor& colour, int width,
                 int height) {
    const QRegion inner = region & region.translated(width, 0) & region.translated(-width, 0) &
                          region.translated(0, height) & region.translated(0, -height);
    const QRegion frame = region.subtracted(inner);
    for (const QRect& rect : frame) {
        painter.fillRect(rect, colour);
    }
}

}  // namespace

QFont CBalloonWnd::ContentFont() const {
    return m_contentFont.value_or(QApplication::font());
}

QFont CBalloonWnd::TitleFont() const {
    if (m_titleFont) {
        return *m_titleFont;
    }
    QFont titleFont = ContentFont();
    titleFont.setWeight(QFont::Bold);
    return titleFont;
}

QSize CBalloonWnd::DrawHeader(QPainter& painter, bool draw) {
    int headerWidth = 0;
    int headerHeight = 0;
    const QSize client = ClientRect().size();
    QRect drawing(QPoint(0, 0), client);

    if (m_icon) {
        const QSize icon = m_icon->size();
        headerWidth = icon.width();
        headerHeight = icon.height();
        if (draw) {
            painter.fillRect(QRect(QPoint(0, 0), icon), m_background);
            painter.drawPixmap(0, 0, *m_icon);
        }
        drawing.setLeft(drawing.left() + icon.width());
    }

    if (m_options & BH_SHOW_CLOSE_BUTTON) {
        const QSize button = CaptionButtonSize();
        if (headerWidth > 0) {
            headerWidth += kHeaderGap;
        }
        headerWidth += button.width();
        headerHeight = std::max(headerHeight, button.height());
        if (draw) {
            DrawCloseButton(
                painter, QRect(client.width() - button.width(), 0, button.width(), button.height()),
                m_closeButtonLook);
        }
        drawing.setWidth(drawing.width() - button.width());
    }

    const QString title = windowTitle();
    if (!title.isEmpty()) {
        const QFont previous = painter.font();
        painter.setFont(TitleFont());
        if (headerWidth > 0) {
            headerWidth += kHeaderGap;
        }
        const QRect measured = painter.boundingRect(QRect(), kTitleFlags, title);
        headerWidth += measured.width();
        headerHeight = std::max(headerHeight, measured.height());
        if (draw) {
            painter.setPen(m_text);
            painter.drawText(drawing, kTitleFlags | Qt::AlignHCenter | Qt::AlignTop, title);
        }
        painter.setFont(previous);
    }
    return QSize(headerWidth, headerHeight);
}

QSize CBalloonWnd::DrawContent(QPainter& painter, int top, bool draw) {
    const BalloonRect wrap = ContentWrapRect(WorkArea(), top);
    const QFont previous = painter.font();
    painter.setFont(ContentFont());
    QRect extent;
    if (!m_content.isEmpty()) {
        extent = painter.boundingRect(
            QRect(wrap.left, wrap.top, wrap.Width(), std::max(wrap.Height(), 0)), kContentFlags,
            m_content);
    }
    if (draw && !extent.isEmpty()) {
        painter.setPen(m_text);
        painter.drawText(extent, kContentFlags, m_content);
    }
    painter.setFont(previous);
    return extent.isEmpty() ? QSize(0, 0) : extent.size();
}

void CBalloonWnd::paintEvent(QPaintEvent* /*event*/) {
    RunGuarded("painting", [this] {
        QPainter painter(this);
        if (m_shape) {
            painter.setClipRegion(*m_shape);
        }
        DrawNonClient(painter);
        const QRect client = ClientRect();
        painter.fillRect(client, m_background);
        painter.translate(client.topLeft());
        painter.setClipRect(QRect(QPoint(0, 0), client.size()), Qt::IntersectClip);
        DrawClient(painter);
    });
}

void CBalloonWnd::DrawNonClient(QPainter& painter) {
    const QRect window = rect();
    painter.save();
    painter.setClipRegion(QRegion(window).subtracted(QRegion(ClientRect())), Qt::IntersectClip);
    painter.fillRect(window, m_background);
    painter.restore();
    if (!m_shape) {
        return;
    }
    if (m_options & BH_INNER_SHADOW) {
        const BalloonRgb background = ToRgb(m_background);
        FrameRegion(painter, m_shape->translated(1, 1), ToColour(InnerShadowLight(background)), 2,
                    2);
        FrameRegion(painter, m_shape->translated(-1, -1),
                    ToColour(InnerShadowDark(background, ToRgb(m_text))), 2, 2);
    }
    FrameRegion(painter, *m_shape, m_text, 1, 1);
}

void CBalloonWnd::DrawClient(QPainter& painter) {
    const QSize header = DrawHeader(painter, true);
    DrawContent(painter, header.height() + BH_MARGIN, true);
}

void CBalloonWnd::DrawCloseButton(QPainter& painter, const QRect& rect, unsigned look) {
    QStyleOptionToolButton option;
    option.initFrom(this);
    option.rect = rect;
    option.state = QStyle::State_Enabled | QStyle::State_AutoRaise;
    if (look & kCloseButtonHot) {
        option.state |= QStyle::State_MouseOver | QStyle::State_Raised;
    }
    if (look & kCloseButtonPushed) {
        option.state |= QStyle::State_Sunken;
    }
    option.subControls = QStyle::SC_ToolButton;
    option.activeSubControls =
        (look & kCloseButtonPushed) ? QStyle::SC_ToolButton : QStyle::SC_None;
    option.toolButtonStyle = Qt::ToolButtonIconOnly;
    option.icon = style()->standardIcon(QStyle::SP_TitleBarCloseButton, &option, this);
    const int extent = std::max(std::min(rect.width(), rect.height()) - 4, 1);
    option.iconSize = QSize(extent, extent);
    style()->drawComplexControl(QStyle::CC_ToolButton, &option, &painter, this);
}

}  // namespace brindle
