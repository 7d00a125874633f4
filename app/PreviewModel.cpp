#include "app/PreviewModel.h"

#include <algorithm>

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
    Filter();
    UpdateChain();
    endResetModel();
    return plan;
}

void PreviewModel::SetPlanSettings(const brindle::RenameSettings& settings) {
    planSettings_ = settings;
}

void PreviewModel::UpdateChain() {
    if (!plan_)
        return;
    brindle::RenameSettings settings = planSettings_;
    // As the planner names the items when the table could not be read.
    if (plan_->tableFailed)
        settings.onlyEnglish = false;
    if (chainSettings_ && *chainSettings_ == settings)
        return;
    chain_.reset();
    chainSettings_ = settings;
    // With "Only English" on there is no regular expression stage, and its table is the
    // planner's to read.
    if (!brindle::UsesRegularExpression(settings) || brindle::CheckRegularExpression(settings))
        return;
    chain_.emplace(settings, nullptr, brindle::ParseNamePattern(settings.namePattern).pattern);
}

std::optional<brindle::ReplacedName> PreviewModel::replacedName(int row) const {
    if (!chain_ || !plan_ || row < 0 || row >= rowCount())
        return std::nullopt;
    const PlanItem& item = plan_->items[itemAt(row)];
    // A folder that could not be read names nothing; a match that ran past the limits
    // once would only run past them again.
    if (item.unreadableFolder() || item.state == PlanState::RegexTooLong)
        return std::nullopt;
    return chain_->ReplacedParts(brindle::ItemFacts(plan_->folderOf(item), item.oldName));
}

PreviewModel::Marks PreviewModel::marks(int row) const {
    const std::optional<brindle::ReplacedName> replaced = replacedName(row);
    if (!replaced || replaced->name != plan_->items[itemAt(row)].newName)
        return {};
    Marks marks;
    for (const brindle::ReplacedPart& part : replaced->parts)
        if (part.size != 0)
            marks.push_back({static_cast<int>(part.begin), static_cast<int>(part.size)});
    return marks;
}

QString PreviewModel::ToolTip(int row, int column) const {
    const QString text = this->text(row, column);
    const std::optional<brindle::ReplacedName> replaced = replacedName(row);
    if (!replaced || replaced->parts.empty() || replaced->name == plan_->items[itemAt(row)].newName)
        return text;
    // A later stage changed the name again: the name after the replace, its parts in bold.
    const QString name = ToQString(replaced->name);
    QString marked;
    qsizetype at = 0;
    for (const brindle::ReplacedPart& part : replaced->parts) {
        const auto begin = static_cast<qsizetype>(part.begin);
        const auto size = static_cast<qsizetype>(part.size);
        if (size == 0 || begin < at || begin + size > name.size())
            continue;
        marked += name.mid(at, begin - at).toHtmlEscaped();
        marked +=
            QStringLiteral("<b>") + name.mid(begin, size).toHtmlEscaped() + QStringLiteral("</b>");
        at = begin + size;
    }
    marked += name.mid(at).toHtmlEscaped();
    return QStringLiteral("<p style=\"white-space:pre\">") + text.toHtmlEscaped() +
           QStringLiteral("<br>After the replace: ") + marked + QStringLiteral("</p>");
}

void PreviewModel::SetOnlyChanges(bool only) {
    if (only == onlyChanges_)
        return;
    beginResetModel();
    onlyChanges_ = only;
    Filter();
    endResetModel();
}

bool PreviewModel::IsChangeOrConcern(const PlanItem& item) {
    return item.changed() || brindle::IsConflict(item.state) || item.warnings != 0;
}

void PreviewModel::Filter() {
    shown_.clear();
    if (!onlyChanges_ || !plan_)
        return;
    const std::vector<PlanItem>& items = plan_->items;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (IsChangeOrConcern(items[i]))
            shown_.push_back(static_cast<std::uint32_t>(i));
    }
}

std::size_t PreviewModel::itemAt(int row) const {
    const auto at = static_cast<std::size_t>(row);
    return onlyChanges_ ? shown_[at] : at;
}

PreviewModel::ItemKey PreviewModel::keyOf(std::size_t item) const {
    const PlanItem& it = plan_->items[item];
    return {plan_->folderOf(it), it.oldName};
}

std::optional<std::size_t> PreviewModel::find(const ItemKey& key, std::size_t near) const {
    if (!plan_)
        return std::nullopt;
    const std::vector<PlanItem>& items = plan_->items;
    const auto is = [&](std::size_t i) {
        return items[i].oldName == key.name && plan_->folderOf(items[i]) == key.folder;
    };
    // A change of an option leaves every item where it was; a file added or removed on
    // disk moves the later ones by a few places.
    const std::size_t size = items.size();
    near = std::min(near, size);
    for (std::size_t step = 0; step <= std::max(near, size - near); ++step) {
        if (near + step < size && is(near + step))
            return near + step;
        if (step != 0 && step <= near && is(near - step))
            return near - step;
    }
    return std::nullopt;
}

int PreviewModel::rowFrom(std::size_t item) const {
    const int rows = rowCount();
    if (rows == 0)
        return -1;
    if (!onlyChanges_)
        return static_cast<int>(std::min(item, static_cast<std::size_t>(rows - 1)));
    const auto at = std::lower_bound(shown_.begin(), shown_.end(), item);
    return std::min(static_cast<int>(at - shown_.begin()), rows - 1);
}

int PreviewModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !plan_)
        return 0;
    return static_cast<int>(onlyChanges_ ? shown_.size() : plan_->items.size());
}

int PreviewModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QString PreviewModel::text(int row, int column) const {
    if (!plan_ || row < 0 || row >= rowCount())
        return {};
    const brindle::Plan& plan = *plan_;
    const PlanItem& item = plan.items[itemAt(row)];
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
            return text(index.row(), index.column());
        case Qt::ToolTipRole:
            return ToolTip(index.row(), index.column());
        case kMarksRole:
            if (index.column() != kNewName)
                return {};
            return QVariant::fromValue(marks(index.row()));
        case Qt::DecorationRole: {
            if (index.column() != kCurrentName)
                return {};
            const PlanItem& item = plan_->items[itemAt(index.row())];
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
