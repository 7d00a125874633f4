#pragma once

#include <QAbstractTableModel>
#include <QPixmap>

#include <array>
#include <memory>

#include "batch/BatchPlan.h"

// The Preview's rows as a table model over one plan, which it shares and never changes:
// each item's current name (a dropped folder's whole path, as the Output Log shows it),
// its new name, the folder it ends up in, and its state with a conflict's reason and its
// warnings. A conflict is marked with a cross, a warning with an exclamation mark, a
// rename with a check. Texts are made only for the rows a view asks for.
class PreviewModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit PreviewModel(QObject* parent = nullptr);

    // Shows `plan` instead of the plan shown so far, which is given back (so that the
    // caller can let it go where freeing a large plan costs the user nothing).
    std::shared_ptr<const brindle::Plan> SetPlan(std::shared_ptr<const brindle::Plan> plan);
    const std::shared_ptr<const brindle::Plan>& plan() const { return plan_; }

    // The text of a cell as the view shows it.
    QString text(int row, int column) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    enum Column { kCurrentName = 0, kNewName = 1, kFolder = 2, kState = 3 };
    static constexpr int kColumns = 4;
    static const char* const kColumnTitles[kColumns];
    static constexpr int kColumnWidths[kColumns] = {160, 160, 230, 260};

private:
    std::shared_ptr<const brindle::Plan> plan_;
    std::array<QPixmap, 3> images_;
};
