#pragma once

#include <QWidget>

#include "app/DialogUnits.h"

class QLabel;
class QTableView;
class OutputLogModel;

// The Output Log: a modeless tool window owned by the main dialog that lists every item a
// batch or an Undo handled, with a status line below. It has no close button and ignores
// Escape and close requests: only the main dialog's "Open/Close Log" box hides it.
class COutputDlg : public QWidget {
    Q_OBJECT

public:
    // `units` are the owner's dialog units: the window's size, its columns and its status
    // band scale with them.
    COutputDlg(QWidget* owner, const DialogUnits& units);

    QTableView* list() const { return list_; }
    QLabel* statusLine() const { return statusLine_; }
    OutputLogModel* model() const { return model_; }

    // The main dialog's set-up of the list: full-row and single selection, the four
    // left-aligned columns with their widths, the row images.
    void PrepareList();
    void SetStatus(const QString& text);
    // The height of the band at the bottom that holds the status line.
    int statusBand() const;
    // The size it opens at when the screen has room, and the smallest it is of use at.
    QSize openingSize() const;
    QSize smallestSize() const;
    QString statusText() const { return statusText_; }

    // A header click: the first click on a column sorts ascending, each further click on
    // it flips the direction.
    void OnColumnClick(int column);
    int sortColumn() const { return sortColumn_; }
    int sortDirection() const { return sortDirection_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnSize();

    QTableView* list_;
    QLabel* statusLine_;
    OutputLogModel* model_;
    QString statusText_;
    DialogUnits units_;
    int sortDirection_ = 1;
    int sortColumn_ = -1;
};
