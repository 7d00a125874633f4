#include "app/PreviewModel.h"

#include <QGuiApplication>
#include <QLocale>
#include <QPalette>

#include <algorithm>

#include "app/AppResources.h"
#include "app/OutputRows.h"
#include "app/QtText.h"
#include "app/RowTableLook.h"
#include "platform/WallClock.h"

using brindle::PlanItem;
using brindle::PlanState;

const char* const PreviewModel::kColumnTitles[kColumns] = {
    "Current Name", "New Name", "Size", "Modified", "Taken", "Folder (New Folder)", "State"};

namespace {

// What a skipped entry's "State" says.
constexpr char16_t kSkippedState[] = u"skipped";

}  // namespace

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
    if (!chain_ || !plan_ || row < 0 || row >= itemRowCount())
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

void PreviewModel::SetShowSkipped(bool show) {
    if (show == showSkipped_)
        return;
    beginResetModel();
    showSkipped_ = show;
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

int PreviewModel::itemRowCount() const {
    if (!plan_)
        return 0;
    return static_cast<int>(onlyChanges_ ? shown_.size() : plan_->items.size());
}

std::size_t PreviewModel::itemAt(int row) const {
    const int items = itemRowCount();
    if (row >= items)
        return plan_->items.size() + static_cast<std::size_t>(row - items);
    const auto at = static_cast<std::size_t>(row);
    return onlyChanges_ ? shown_[at] : at;
}

const brindle::PlanSkipped* PreviewModel::skippedAt(int row) const {
    if (!isSkipped(row))
        return nullptr;
    return &plan_->skipped[itemAt(row) - plan_->items.size()];
}

PreviewModel::ItemKey PreviewModel::keyOf(std::size_t item) const {
    const std::size_t items = plan_->items.size();
    if (item >= items) {
        const brindle::PlanSkipped& skipped = plan_->skipped[item - items];
        return {plan_->folders[skipped.folder].path, skipped.name};
    }
    const PlanItem& it = plan_->items[item];
    return {plan_->folderOf(it), it.oldName};
}

std::optional<std::size_t> PreviewModel::find(const ItemKey& key, std::size_t near) const {
    if (!plan_)
        return std::nullopt;
    const std::vector<PlanItem>& items = plan_->items;
    const auto is = [&](std::size_t i) {
        if (i < items.size())
            return items[i].oldName == key.name && plan_->folderOf(items[i]) == key.folder;
        const brindle::PlanSkipped& skipped = plan_->skipped[i - items.size()];
        return skipped.name == key.name && plan_->folders[skipped.folder].path == key.folder;
    };
    // A change of an option leaves every item where it was; a file added or removed on
    // disk moves the later ones by a few places.
    const std::size_t size = items.size() + (showSkipped_ ? plan_->skipped.size() : 0);
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
    if (const std::size_t items = plan_->items.size(); item >= items) {
        const auto skipped = static_cast<std::ptrdiff_t>(item - items);
        return static_cast<int>(std::min<std::ptrdiff_t>(itemRowCount() + skipped, rows - 1));
    }
    if (!onlyChanges_)
        return static_cast<int>(std::min(item, static_cast<std::size_t>(rows - 1)));
    const auto at = std::lower_bound(shown_.begin(), shown_.end(), item);
    return std::min(static_cast<int>(at - shown_.begin()), rows - 1);
}

int PreviewModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !plan_)
        return 0;
    return itemRowCount() + (showSkipped_ ? static_cast<int>(plan_->skipped.size()) : 0);
}

int PreviewModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QString PreviewModel::text(int row, int column) const {
    if (!plan_ || row < 0 || row >= rowCount())
        return {};
    const brindle::Plan& plan = *plan_;
    if (const brindle::PlanSkipped* skipped = skippedAt(row)) {
        switch (column) {
            case kCurrentName:
                return ToQString(skipped->name);
            case kFolder:
                return ToQString(plan.folders[skipped->folder].path);
            case kState:
                return QString::fromUtf16(kSkippedState);
            default:
                return {};
        }
    }
    const std::size_t index = itemAt(row);
    const PlanItem& item = plan.items[index];
    switch (column) {
        case kSize:
        case kModified:
        case kTaken:
            return DetailText(index, column);
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

QString PreviewModel::DetailText(std::size_t item, int column) const {
    // A first screenful's items may come before their details.
    if (item >= plan_->details.size())
        return {};
    const brindle::PlanItemDetails& details = plan_->details[item];
    switch (column) {
        case kSize:
            return details.hasSize ? SizeText(details.size) : QString();
        case kModified:
            return details.hasModified ? TimeText(details.modified) : QString();
        case kTaken:
            return ToQString(details.taken);
        default:
            return {};
    }
}

QString PreviewModel::SizeText(std::uint64_t bytes) {
    // One grouping whatever the user's language: the column lines up the same everywhere.
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::DefaultNumberOptions);
    return c.toString(static_cast<qulonglong>(bytes));
}

QString PreviewModel::TimeText(const brindle::WallTime& time) {
    brindle::LocalClock local;
    if (!brindle::ToLocalClock(time.seconds, local))
        return {};
    return QStringLiteral("%1-%2-%3 %4:%5")
        .arg(local.year, 4, 10, QLatin1Char('0'))
        .arg(local.month, 2, 10, QLatin1Char('0'))
        .arg(local.day, 2, 10, QLatin1Char('0'))
        .arg(local.hour, 2, 10, QLatin1Char('0'))
        .arg(local.minute, 2, 10, QLatin1Char('0'));
}

Qt::ItemFlags PreviewModel::flags(const QModelIndex& index) const {
    // A skipped entry is greyed: no item of the batch.
    if (index.isValid() && isSkipped(index.row()))
        return Qt::NoItemFlags;
    return QAbstractTableModel::flags(index);
}

QVariant PreviewModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= kColumns)
        return {};
    if (isSkipped(index.row())) {
        switch (role) {
            case Qt::DisplayRole:
            case Qt::ToolTipRole:
                return text(index.row(), index.column());
            case Qt::ForegroundRole:
                return QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text);
            case Qt::TextAlignmentRole:
                return RowTableAlignment();
            default:
                return {};
        }
    }
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
            // Sizes line up by their last digit.
            if (index.column() == kSize)
                return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
            return RowTableAlignment();
        default:
            return {};
    }
}

QVariant PreviewModel::headerData(int section, Qt::Orientation orientation, int role) const {
    return RowTableHeader(kColumnTitles, section, orientation, role);
}
