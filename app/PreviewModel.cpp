#include "app/PreviewModel.h"

#include "app/AppResources.h"
#include "app/OutputRows.h"
#include "app/QtText.h"
#include "app/RowTableLook.h"

using brindle::PlanItem;
using brindle::PlanState;

const char* const PreviewModel::kColumnTitles[kColumns] = {"Current Name", "New Name",
                                                           "Folder (New Folder)", "State"};

PreviewModel::PreviewModel(QObject* parent) : QAbstractTableModel(parent), images_(RowImages()) {}

std::shared_ptr<const brindle::Plan> PreviewModel::SetPlan(
    std::shared_ptr<const brindle::Plan> plan) {
    beginResetModel();
    std::swap(plan_, plan);
    endResetModel();
    return plan;
}

int PreviewModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !plan_)
        return 0;
    return static_cast<int>(plan_->items.size());
}

int PreviewModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QString PreviewModel::text(int row, int column) const {
    if (!plan_ || row < 0 || row >= rowCount())
        return {};
    const brindle::Plan& plan = *plan_;
    const PlanItem& item = plan.items[static_cast<std::size_t>(row)];
    switch (column) {
        case kCurrentName:
            return ToQString(brindle::InputText(plan, item));
        case kNewName:
            return ToQString(item.newName);
        case kFolder:
            return ToQString(plan.newFolderOf(item));
        case kState: {
            QString text = ToQString(brindle::StateTextOf(plan, item));
            if (item.other != brindle::kNoIndex && item.other < plan.items.size()) {
                const PlanItem& other = plan.items[item.other];
                text += QStringLiteral(" (") + ToQString(brindle::InputText(plan, other)) +
                        QLatin1Char(')');
            }
            return text + ToQString(brindle::WarningsTextOf(item));
        }
        default:
            return {};
    }
}

QVariant PreviewModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= kColumns)
        return {};
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return text(index.row(), index.column());
        case Qt::DecorationRole: {
            if (index.column() != kCurrentName)
                return {};
            const PlanItem& item = plan_->items[static_cast<std::size_t>(index.row())];
            if (brindle::IsConflict(item.state))
                return images_[brindle::kImageCross];
            if (item.warnings != 0)
                return images_[brindle::kImageExclamation];
            if (item.state == PlanState::Rename)
                return images_[brindle::kImageCheck];
            return {};
        }
        case Qt::TextAlignmentRole:
            return RowTableAlignment();
        default:
            return {};
    }
}

QVariant PreviewModel::headerData(int section, Qt::Orientation orientation, int role) const {
    return RowTableHeader(kColumnTitles, section, orientation, role);
}
