#pragma once

#include <QAbstractTableModel>
#include <QWidget>

#include <vector>

#include "batch/UndoHistory.h"

class QLabel;
class QPushButton;
class QTableView;

// The batches of the log for the Undo History, newest first: when each began, its first
// folder, how many items it renamed, and what became of them.
class UndoHistoryModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int kColumns = 4;
    using QAbstractTableModel::QAbstractTableModel;

    // `batches` oldest first, as ListBatches gives them.
    void SetBatches(std::vector<brindle::LoggedBatch> batches);
    // The batch of a row (row 0 the newest).
    const brindle::LoggedBatch& batch(int row) const;
    // How many items the batch of `row` and every newer one have left to undo.
    std::size_t LeftToUndoFrom(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<brindle::LoggedBatch> batches_;  // oldest first
};

// The Undo History: the batches of the log, and "Undo to Here", which takes back the
// chosen batch together with every newer one (the main dialog runs it, as its "Undo").
class UndoHistoryDlg : public QWidget {
    Q_OBJECT

public:
    explicit UndoHistoryDlg(QWidget* owner);

    // The log's batches, oldest first; `problem`, when not empty, says why there are none
    // to show (the log cannot be read).
    void SetBatches(std::vector<brindle::LoggedBatch> batches, const QString& problem = {});

    UndoHistoryModel* model() const { return model_; }
    QTableView* list() const { return list_; }
    QLabel* noteLine() const { return note_; }
    QPushButton* undoButton() const { return undo_; }
    // Selects the batch of `row` (row 0 the newest).
    void SelectRow(int row);

signals:
    // "Undo to Here" for the batch of `key` (and every newer one).
    void undoRequested(const QString& key);

private:
    void UpdateButton();
    void OnUndo();

    UndoHistoryModel* model_;
    QTableView* list_;
    QLabel* note_;
    QPushButton* undo_;
    QPushButton* close_;
};
