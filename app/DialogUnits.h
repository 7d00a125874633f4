#pragma once

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <vector>

class QWidget;

// Dialog units become pixels the way dialog base units do: a vertical unit is an eighth of
// the dialog font's height, a horizontal unit at first a quarter of its average character
// width. Fonts, styles and screens differ from the ones the layout was drawn for, so a
// dialog may widen its horizontal unit until every caption fits (FitCaptions). Sizes are
// kept in 64ths of a pixel per unit; a rectangle's edges are rounded each on its own, so
// controls that do not overlap in dialog units do not overlap in pixels.
class DialogUnits {
public:
    // The base units of `font`, the application's default font for dialogs.
    explicit DialogUnits(const QFont& font);

    int x(int dlu) const;
    int y(int dlu) const;
    QPoint point(int dx, int dy) const { return {x(dx), y(dy)}; }
    QSize size(int dw, int dh) const { return {x(dw), y(dh)}; }
    QRect rect(int dx, int dy, int dw, int dh) const;

    // Pixels per dialog unit, in 64ths of a pixel.
    int xUnit64() const { return xUnit64_; }
    int yUnit64() const { return yUnit64_; }
    // The same units with a horizontal unit of `unit64` 64ths of a pixel.
    DialogUnits withXUnit64(int unit64) const;

    // The layout's pixel sizes (column widths, drawn positions) were given for base units of
    // 6 x 13 pixels; these scale them to the units in use.
    static constexpr int kReferenceBaseWidth = 6;
    static constexpr int kReferenceBaseHeight = 13;
    int scaleX(int referencePixels) const;
    int scaleY(int referencePixels) const;

private:
    int xUnit64_;
    int yUnit64_;
};

// One control of a dialog template: the widget and its rectangle in dialog units.
struct DialogItem {
    QWidget* widget;
    QRect dlu;
};

// The texts a control must show whole: its caption, or every text it can show (a label's
// alternatives, a list's items). Empty for controls without text of their own (edits, spin
// boxes).
QStringList CaptionTexts(const QWidget* widget, const QStringList& alternatives = {});

// The rectangle the widget's style leaves for its text when the widget has `size`: a check
// box's or radio button's contents beside its indicator and spacing, a push button's
// contents within its bevel, a group box's whole width for its title, a label's contents, a
// list's edit field. In widget coordinates.
QRect TextRoom(const QWidget* widget, QSize size);

// The room each text of the widget needs, as the style draws it (mnemonics shown as
// underlines, not as '&'): for a group box the title's extent from the box's left edge,
// with the same margin again on its right.
QSize TextNeed(const QWidget* widget, const QString& text);

// `base` with its horizontal unit widened just enough that every text of every item fits
// the room its style leaves when the item is laid out with these units; the vertical unit
// stays. `texts` gives extra alternatives per widget (a label whose text changes).
DialogUnits FitCaptions(const DialogUnits& base, const std::vector<DialogItem>& items,
                        const std::vector<std::pair<const QWidget*, QStringList>>& texts = {});

// Places every item with `units`.
void PlaceItems(const DialogUnits& units, const std::vector<DialogItem>& items);
