#pragma once

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>

// Dialog units become pixels the way dialog base units do: a horizontal unit is a quarter
// of the dialog font's average character width, a vertical unit an eighth of its height.
// The dialog font is the application's default font.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    int x(int dlu) const;
    int y(int dlu) const;
    QPoint point(int dx, int dy) const { return {x(dx), y(dy)}; }
    QSize size(int dw, int dh) const { return {x(dw), y(dh)}; }
    QRect rect(int dx, int dy, int dw, int dh) const { return {point(dx, dy), size(dw, dh)}; }

    int baseWidth() const { return baseWidth_; }
    int baseHeight() const { return baseHeight_; }

private:
    int baseWidth_;
    int baseHeight_;
};
