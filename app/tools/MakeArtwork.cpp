// Draws the program's pictures: the window icon at 16, 32, 48 and 256 pixels and the Output
// Log's 42 x 14 row strip (check, exclamation mark, cross). Run by hand when the artwork
// changes:  brindle_make_artwork <folder>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QString>

#include <cstdio>

namespace {

// A brindle coat: a warm brown tile crossed by darker, slightly wavy stripes, with a white
// tag (a renamed file's label) in front.
QImage Icon(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    const QRectF tile(0.5, 0.5, s - 1, s - 1);
    QPainterPath shape;
    shape.addRoundedRect(tile, s * 0.18, s * 0.18);
    QLinearGradient coat(0, 0, s, s);
    coat.setColorAt(0, QColor(196, 132, 64));
    coat.setColorAt(1, QColor(136, 82, 34));
    p.fillPath(shape, coat);
    p.save();
    p.setClipPath(shape);
    QPen stripe(QColor(70, 40, 18, 200), s / 11, Qt::SolidLine, Qt::RoundCap);
    p.setPen(stripe);
    for (int i = -2; i < 6; ++i) {
        const qreal x = i * s / 4;
        QPainterPath wave;
        wave.moveTo(x, 0);
        wave.cubicTo(x + s * 0.25, s * 0.3, x - s * 0.05, s * 0.65, x + s * 0.3, s);
        p.drawPath(wave);
    }
    p.restore();
    // Outlines grow with the large icon; the small ones keep their crisp widths.
    const auto line = [size, s](qreal small, qreal medium) {
        return size > 48 ? s * medium / 32 : (size >= 32 ? medium : small);
    };
    p.setPen(QPen(QColor(60, 34, 14), line(1.0, 1.5)));
    p.drawPath(shape);

    // The tag.
    QPainterPath tag;
    tag.moveTo(s * 0.22, s * 0.34);
    tag.lineTo(s * 0.62, s * 0.34);
    tag.lineTo(s * 0.84, s * 0.52);
    tag.lineTo(s * 0.62, s * 0.70);
    tag.lineTo(s * 0.22, s * 0.70);
    tag.closeSubpath();
    p.setPen(QPen(QColor(40, 40, 40), line(1.0, 1.5)));
    p.setBrush(QColor(250, 250, 245));
    p.drawPath(tag);
    p.setBrush(QColor(136, 82, 34));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(s * 0.66, s * 0.52), s * 0.05, s * 0.05);
    if (size >= 32) {
        p.setPen(QPen(QColor(120, 120, 120), line(1.2, 1.2)));
        p.drawLine(QPointF(s * 0.30, s * 0.47), QPointF(s * 0.54, s * 0.47));
        p.drawLine(QPointF(s * 0.30, s * 0.57), QPointF(s * 0.48, s * 0.57));
    }
    return image;
}

QImage RowStrip() {
    QImage image(42, 14, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // 0: green check.
    QPainterPath check;
    check.moveTo(2, 7.5);
    check.lineTo(5.5, 11);
    check.lineTo(12, 3);
    p.setPen(QPen(QColor(0, 100, 0), 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(check);
    p.setPen(QPen(QColor(40, 190, 40), 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(check);

    // 1: yellow exclamation mark on a triangle.
    p.translate(14, 0);
    QPainterPath warn;
    warn.moveTo(7, 0.8);
    warn.lineTo(13.3, 12.9);
    warn.lineTo(0.7, 12.9);
    warn.closeSubpath();
    p.setPen(QPen(QColor(150, 110, 0), 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(255, 214, 0));
    p.drawPath(warn);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 20, 20));
    p.drawRect(QRectF(6.2, 4.2, 1.6, 4.8));
    p.drawRect(QRectF(6.2, 10.0, 1.6, 1.6));

    // 2: red cross.
    p.translate(14, 0);
    p.setPen(QPen(QColor(120, 0, 0), 3.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(3, 3), QPointF(11, 11));
    p.drawLine(QPointF(11, 3), QPointF(3, 11));
    p.setPen(QPen(QColor(230, 30, 30), 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(3, 3), QPointF(11, 11));
    p.drawLine(QPointF(11, 3), QPointF(3, 11));
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: brindle_make_artwork <folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]) + QLatin1Char('/');
    bool ok = true;
    for (const int size : {16, 32, 48, 256})
        ok = Icon(size).save(folder + QStringLiteral("brindle-%1.png").arg(size)) && ok;
    ok = RowStrip().save(folder + QStringLiteral("row-images.png")) && ok;
    return ok ? 0 : 1;
}
