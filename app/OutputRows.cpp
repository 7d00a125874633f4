#include "app/OutputRows.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/TextOps.h"

namespace brindle {

int ImageOf(RowMark mark) {
    return mark == RowMark::Error ? kImageCross : kImageExclamation;
}

const std::u16string& OutputRow::text(int column) const {
    static const std::u16string kNoText;
    switch (column) {
        case kColumnInput:
            return input;
        case kColumnOutput:
            return output;
        case kColumnSymbols:
            return count;
        case kColumnFolder:
            return folder;
        case kColumnReason:
            return reason;
        default:
            return kNoText;
    }
}

namespace {

// Letters fold to lower case, as the list's case-blind comparison does; every other
// character keeps its code (so '_' sorts before the letters).
int CompareFolded(std::u16string_view a, std::u16string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const char16_t x = AsciiToLower(a[i]);
        const char16_t y = AsciiToLower(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::u16string PadCount(const std::u16string& text, std::size_t width) {
    return std::u16string(width - text.size(), u'-') + text;
}

}  // namespace

int CompareRows(const OutputRow& a, const OutputRow& b, int column, int direction) {
    const std::u16string& x = a.text(column);
    const std::u16string& y = b.text(column);
    int result = 0;
    if (column == kColumnSymbols) {
        // Numbers of different lengths compare by value once padded to one width.
        const std::size_t width = std::max(x.size(), y.size());
        result = CompareFolded(PadCount(x, width), PadCount(y, width));
    } else {
        result = CompareFolded(x, y);
    }
    return result * direction;
}

// Text blocks grow to this size; a longer text gets a block of its own.
namespace {
constexpr std::size_t kFirstBlock = 1 << 10;
constexpr std::size_t kLargestBlock = 1 << 19;
}  // namespace

struct OutputRowStore::Texts {
    std::vector<std::unique_ptr<char16_t[]>> blocks;
    std::size_t filling = 0;  // the block short texts go to, once there is one
    std::size_t fillingUsed = 0;
    std::size_t fillingSize = 0;
    std::vector<std::u16string> folders;
    // The folder of the row before: rows come folder by folder.
    std::uint32_t lastFolder = 0xFFFFFFFFu;
};

OutputRowStore::OutputRowStore() : texts_(std::make_unique<Texts>()) {}
OutputRowStore::~OutputRowStore() = default;
OutputRowStore::OutputRowStore(OutputRowStore&&) noexcept = default;
OutputRowStore& OutputRowStore::operator=(OutputRowStore&&) noexcept = default;

void OutputRowStore::Keep(std::u16string_view text, std::uint32_t& block, std::uint32_t& position,
                          std::uint32_t& length) {
    Texts& t = *texts_;
    length = static_cast<std::uint32_t>(text.size());
    if (text.size() > kLargestBlock) {
        t.blocks.push_back(std::make_unique<char16_t[]>(text.size()));
        block = static_cast<std::uint32_t>(t.blocks.size() - 1);
        position = 0;
    } else {
        if (t.fillingSize == 0 || t.fillingUsed + text.size() > t.fillingSize) {
            t.fillingSize =
                t.fillingSize == 0 ? kFirstBlock : std::min(t.fillingSize * 2, kLargestBlock);
            t.blocks.push_back(std::make_unique<char16_t[]>(t.fillingSize));
            t.filling = t.blocks.size() - 1;
            t.fillingUsed = 0;
        }
        block = static_cast<std::uint32_t>(t.filling);
        position = static_cast<std::uint32_t>(t.fillingUsed);
        t.fillingUsed += text.size();
    }
    std::copy(text.begin(), text.end(), t.blocks[block].get() + position);
}

std::u16string_view OutputRowStore::View(std::uint32_t block, std::uint32_t position,
                                         std::uint32_t length) const {
    if (length == 0)
        return {};
    return {texts_->blocks[block].get() + position, length};
}

std::uint32_t OutputRowStore::FolderIndex(std::u16string_view folder) {
    Texts& t = *texts_;
    if (t.lastFolder < t.folders.size() && t.folders[t.lastFolder] == folder)
        return t.lastFolder;
    for (std::size_t i = t.folders.size(); i-- > 0;) {
        if (t.folders[i] == folder) {
            t.lastFolder = static_cast<std::uint32_t>(i);
            return t.lastFolder;
        }
    }
    t.folders.emplace_back(folder);
    t.lastFolder = static_cast<std::uint32_t>(t.folders.size() - 1);
    return t.lastFolder;
}

void OutputRowStore::Append(const RowData& row) {
    Stored stored;
    Keep(row.input, stored.inputBlock, stored.inputPosition, stored.inputLength);
    Keep(row.output, stored.outputBlock, stored.outputPosition, stored.outputLength);
    stored.inputFolder = row.inputFolder.empty() ? 0 : FolderIndex(row.inputFolder) + 1;
    stored.folder = FolderIndex(row.folder);
    stored.count = row.count;
    stored.image = static_cast<std::uint8_t>(ImageOf(row.mark));
    stored.suffix = row.suffix;
    stored.countShown = row.countShown;
    rows_.push_back(stored);
    if (!row.reason.empty())
        reasons_.emplace_back(rows_.size() - 1, row.reason);
}

std::u16string OutputRowStore::reason(std::size_t index) const {
    // In row order: a whole Undo may fail with a reason each.
    const auto at = std::lower_bound(reasons_.begin(), reasons_.end(), index,
                                     [](const std::pair<std::size_t, std::u16string>& each,
                                        std::size_t row) { return each.first < row; });
    return at != reasons_.end() && at->first == index ? at->second : std::u16string();
}

void OutputRowStore::Clear() {
    rows_.clear();
    reasons_.clear();
    texts_ = std::make_unique<Texts>();
}

OutputRow OutputRowStore::at(std::size_t index) const {
    OutputRow row;
    for (int column = kColumnInput; column <= kColumnFolder; ++column) {
        std::u16string text = this->text(index, column);
        switch (column) {
            case kColumnInput:
                row.input = std::move(text);
                break;
            case kColumnOutput:
                row.output = std::move(text);
                break;
            case kColumnSymbols:
                row.count = std::move(text);
                break;
            default:
                row.folder = std::move(text);
                break;
        }
    }
    row.image = rows_.at(index).image;
    row.reason = reason(index);
    return row;
}

std::u16string OutputRowStore::text(std::size_t index, int column) const {
    const Stored& row = rows_.at(index);
    std::u16string text;
    switch (column) {
        case kColumnInput:
            if (row.inputFolder != 0)
                text = texts_->folders[row.inputFolder - 1];
            text += View(row.inputBlock, row.inputPosition, row.inputLength);
            break;
        case kColumnOutput:
            text = View(row.outputBlock, row.outputPosition, row.outputLength);
            text += SuffixText(row.suffix);
            break;
        case kColumnSymbols:
            if (!row.countShown)
                break;
            {
                char digits[16];
                const auto end = std::to_chars(digits, digits + sizeof digits, row.count).ptr;
                for (const char* c = digits; c != end; ++c)
                    text.push_back(static_cast<char16_t>(*c));
            }
            break;
        case kColumnFolder:
            text = texts_->folders[row.folder];
            break;
        case kColumnReason:
            text = reason(index);
            break;
        default:
            break;
    }
    return text;
}

std::vector<OutputRow> OutputRowStore::rows() const {
    std::vector<OutputRow> all;
    all.reserve(rows_.size());
    for (std::size_t i = 0; i < rows_.size(); ++i)
        all.push_back(at(i));
    return all;
}

void OutputRowStore::Sort(int column, int direction) {
    // The column's texts are made once, then the rows are ordered by them.
    std::vector<OutputRow> keys(rows_.size());
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        switch (column) {
            case kColumnInput:
                keys[i].input = text(i, column);
                break;
            case kColumnOutput:
                keys[i].output = text(i, column);
                break;
            case kColumnSymbols:
                keys[i].count = text(i, column);
                break;
            case kColumnFolder:
                keys[i].folder = text(i, column);
                break;
            case kColumnReason:
                keys[i].reason = text(i, column);
                break;
            default:
                break;
        }
    }
    std::vector<std::size_t> order(rows_.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return CompareRows(keys[a], keys[b], column, direction) < 0;
    });
    std::vector<Stored> sorted;
    sorted.reserve(rows_.size());
    for (const std::size_t i : order)
        sorted.push_back(rows_[i]);
    rows_ = std::move(sorted);
    if (!reasons_.empty()) {
        std::vector<std::size_t> position(order.size());
        for (std::size_t i = 0; i < order.size(); ++i)
            position[order[i]] = i;
        for (auto& [at, reason] : reasons_)
            at = position[at];
        std::sort(reasons_.begin(), reasons_.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
    }
}

}  // namespace brindle
