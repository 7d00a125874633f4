#pragma once

#include <QColor>
#include <QDialog>
#include <QImage>
#include <QRect>
#include <QString>

#include <cstddef>
#include <optional>

// The about box: a frameless modal window with the picture on the left, the caller's lines
// beside it and the maker's link below them. OK on Enter or a left click outside the link,
// cancel on Escape or a close; a click on the link opens the maker's page and keeps it open.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    // Shows the first and last lines of `aboutText`; a text without a line feed is one line.
    CAboutDlg(QWidget* owner, const QString& aboutText);
    // Shows the caller's lines, which are borrowed and read while the box exists.
    CAboutDlg(QWidget* owner, const char16_t* const* callerLines, std::size_t count);

    // Places the box over its owner and runs it modally; true when it closed as OK.
    bool Run();

    // The layout is drawn for a dialog font 13 pixels high; with another font everything
    // drawn (picture, lines, link, the link's hot area) is scaled by this factor, and the box
    // grows to hold it. Also readable as the dialog's "layoutScale" property.
    qreal LayoutScale() const { return scale; }
    // The link's hot area in the unscaled layout, and in client pixels.
    static constexpr QRect linkRect{120, 140, 185, 13};
    QRect LinkHotArea() const;
    static constexpr QRgb kLinkRest = qRgb(230, 230, 230);
    static constexpr QRgb kLinkHot = qRgb(0, 0, 0);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    explicit CAboutDlg(QWidget* owner);
    void PlaceOverOwner();
    void SetLinkColour(QRgb colour);
    QFont TextFont() const;
    QRect LinkArea() const;

    bool arrayMode = false;
    QString text;
    std::optional<QString> secondLine;
    const char16_t* const* lines = nullptr;
    std::size_t lineCount = 0;
    QImage bitmap;
    QRgb linkColour = kLinkRest;
    qreal scale = 1;
};
