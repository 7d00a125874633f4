#pragma once

#include <QTimer>
#include <QWidget>

class QLineEdit;

// An up-down control beside its buddy edit: the arrows (and the Up and Down keys in the
// edit) step the edit's value within the range and write it back as a plain integer. A
// value typed into the edit is not checked against the range.
class CUpDownCtrl : public QWidget {
    Q_OBJECT

public:
    explicit CUpDownCtrl(QWidget* parent = nullptr);

    void SetBuddy(QLineEdit* buddy);
    QLineEdit* buddy() const { return buddy_; }
    void SetRange(int lower, int upper);
    int lower() const { return lower_; }
    int upper() const { return upper_; }
    int position() const { return position_; }

    // One step up (+1) or down (-1) from the buddy's current value.
    void Step(int delta);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QRect UpHalf() const;
    QRect DownHalf() const;

    QLineEdit* buddy_ = nullptr;
    int lower_ = 0;
    int upper_ = 100;
    int position_ = 0;
    int pressed_ = 0;  // +1 the up arrow is held, -1 the down arrow, 0 none
    // Holding an arrow down keeps stepping, as up-down controls do.
    QTimer repeat_;
};
