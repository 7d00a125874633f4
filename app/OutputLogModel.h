#pragma once

#include <QAbstractTableModel>
#include <QPixmap>

#include <array>
#include <span>

#include "app/OutputRows.h"

// The Output Log's rows as a table model over the batch core's row store. Rows are only
// appended or removed all at once; a sort reorders the store itself, so a row added after a
// sort goes to the bottom. A batch's rows go to the store as they come and are shown when
// Publish() is called (at the window's painting cadence), so that a row costs a copy of
// its texts and nothing of the view.
class OutputLogModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit OutputLogModel(QObject* parent = nullptr);

    const brindle::OutputRowStore& store() const { return store_; }

    void Append(const brindle::RowData& row);
    // Makes the rows appended since the last call known to the views.
    void Publish();
    void RemoveAll();
    // Reorders the store with CompareRows on `column`, `direction` 1 or -1.
    void SortRows(int column, int direction);

    // The three images of the row strip (check, exclamation, cross).
    const QPixmap& image(int index) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The design's four columns, then "Reason".
    static constexpr int kColumns = 5;
    static constexpr std::span<const char* const, kColumns> kColumnTitles{brindle::kRowTitles};
    static constexpr int kColumnWidths[kColumns] = {136, 136, 25, 230, 230};

private:
    brindle::OutputRowStore store_;
    int published_ = 0;
    std::array<QPixmap, 3> images_;
};
