#pragma once

#include <QAbstractTableModel>
#include <QPixmap>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "batch/BatchPlan.h"
#include "engine/NameChain.h"
#include "engine/RegexReplace.h"
#include "engine/RenameSettings.h"

// The Preview's rows as a table model over one plan, which it shares and never changes:
// each item's current name (a dropped folder's whole path, as the Output Log shows it),
// its new name, its size, modification time and (when the plan reads it) date taken, the
// folder it ends up in, and its state with a conflict's reason and its warnings. A
// conflict is marked with a cross, a warning with an exclamation mark, a rename with a
// check. The rows are in the plan's order, which is the batch's: they are never sorted
// here. Texts are made only for the rows a view asks for. It may show only the items that
// change or need a look (a conflict, a warning), and, after the items, the entries the
// batch passes over, greyed; the plan stays whole.
// With a regular expression, the "New Name" cells mark what it replaced (kMarksRole), or,
// where a later stage changed the name again, the row's tooltip shows the name after the
// replace with those parts in bold. The marks come from a name chain of the model's own,
// made when the settings change, and only for the rows a view asks for.
class PreviewModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit PreviewModel(QObject* parent = nullptr);

    // Shows `plan` instead of the plan shown so far, which is given back (so that the
    // caller can let it go where freeing a large plan costs the user nothing).
    std::shared_ptr<const brindle::Plan> SetPlan(std::shared_ptr<const brindle::Plan> plan);
    const std::shared_ptr<const brindle::Plan>& plan() const { return plan_; }

    // The options the plans to come were made with, set before each plan: the model's own
    // chain follows them (the regular expression compiled once per change).
    void SetPlanSettings(const brindle::RenameSettings& settings);

    // A part of the new name that the regular expression replaced, in UTF-16 units.
    struct Mark {
        int begin = 0;
        int size = 0;
        bool operator==(const Mark&) const = default;
    };
    using Marks = QList<Mark>;
    // The "New Name" column's marks under this role: empty where there are none to show.
    static constexpr int kMarksRole = Qt::UserRole + 1;
    Marks marks(int row) const;
    // The name as the replace stage leaves it, with what it replaced; nullopt without a
    // regular expression, or for an item it does not name.
    std::optional<brindle::ReplacedName> replacedName(int row) const;

    // Rows only for the items that change, conflict or are warned of.
    void SetOnlyChanges(bool only);
    bool onlyChanges() const { return onlyChanges_; }
    static bool IsChangeOrConcern(const brindle::PlanItem& item);
    // Rows after the items for the entries the batch passes over (Plan::skipped).
    void SetShowSkipped(bool show);
    bool showSkipped() const { return showSkipped_; }
    // The rows that show items: the rows before the skipped entries.
    int itemRowCount() const;
    bool isSkipped(int row) const { return row >= itemRowCount() && row < rowCount(); }

    // An item as it is found again in a later plan of the same source: where it lies
    // and its name there.
    struct ItemKey {
        std::u16string folder;
        std::u16string name;
    };
    // The plan's entry in `row`: an item's index, or, for a skipped entry's row, the
    // number of items plus its index among the skipped. Entries are counted so in the
    // functions below too.
    std::size_t itemAt(int row) const;
    ItemKey keyOf(std::size_t item) const;
    // The item `key` names, looked for from `near` outwards; none when the plan has no
    // such item.
    std::optional<std::size_t> find(const ItemKey& key, std::size_t near) const;
    // The first row that shows `item` or an item after it; the last row when none does.
    int rowFrom(std::size_t item) const;

    // The text of a cell as the view shows it.
    QString text(int row, int column) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    enum Column {
        kCurrentName = 0,
        kNewName = 1,
        kSize = 2,
        kModified = 3,
        kTaken = 4,
        kFolder = 5,
        kState = 6
    };
    static constexpr int kColumns = 7;
    static const char* const kColumnTitles[kColumns];
    static constexpr int kColumnWidths[kColumns] = {160, 160, 70, 100, 115, 230, 260};
    // A size in bytes as the "Size" column shows it: "1,234,567".
    static QString SizeText(std::uint64_t bytes);
    // A moment as the "Modified" column shows it, in the user's time zone: "2026-12-09 16:52".
    static QString TimeText(const brindle::WallTime& time);

private:
    void Filter();
    // The skipped entry a row shows; null for an item's row.
    const brindle::PlanSkipped* skippedAt(int row) const;
    QString DetailText(std::size_t item, int column) const;
    // The chain for the plan on show: made again when its settings differ from the ones
    // it was made with.
    void UpdateChain();
    QString ToolTip(int row, int column) const;

    std::shared_ptr<const brindle::Plan> plan_;
    bool onlyChanges_ = false;
    bool showSkipped_ = false;
    // The items shown, in order, while only changes are.
    std::vector<std::uint32_t> shown_;
    std::array<QPixmap, 3> images_;
    brindle::RenameSettings planSettings_;
    // What the chain was made from; the chain exists only while it has a regular expression.
    std::optional<brindle::RenameSettings> chainSettings_;
    std::optional<brindle::NameChain> chain_;
};
