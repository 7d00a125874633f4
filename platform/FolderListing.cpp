#include "platform/FolderListing.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/NameCodec.h"

namespace brindle {

namespace {

// Past this many entries, or this many bytes of names, the room comes from a region of
// its own (one system call, pages taken only as written, huge ones where the system gives
// them) rather than from the heap.
constexpr std::size_t kBulkEntriesFrom = 4096;
constexpr std::size_t kBulkNameBytesFrom = std::size_t{1} << 20;
// A first guess at a name's length, in units, and the least block of names.
constexpr std::size_t kUnitsPerName = 32;
constexpr std::size_t kLeastBlockUnits = 256;
constexpr std::size_t kLeastEntries = 16;

}  // namespace

FolderListing::FolderListing(std::size_t expected)
    : nextBlockUnits_(std::max(kLeastBlockUnits, expected * kUnitsPerName)) {
    if (expected == 0)
        return;
    if (expected >= kBulkEntriesFrom) {
        bulkEntries_.Reserve(expected * sizeof(FolderEntry));
        entries_ = reinterpret_cast<FolderEntry*>(bulkEntries_.data());
    } else {
        heapEntries_ = std::make_unique_for_overwrite<FolderEntry[]>(expected);
        entries_ = heapEntries_.get();
    }
    room_ = expected;
}

FolderListing::FolderListing(FolderListing&& other) noexcept {
    *this = std::move(other);
}

FolderListing& FolderListing::operator=(FolderListing&& other) noexcept {
    if (this != &other) {
        entries_ = std::exchange(other.entries_, nullptr);
        count_ = std::exchange(other.count_, 0);
        room_ = std::exchange(other.room_, 0);
        heapEntries_ = std::move(other.heapEntries_);
        bulkEntries_ = std::move(other.bulkEntries_);
        blocks_ = std::move(other.blocks_);
        other.blocks_.clear();
        nameRoom_ = std::exchange(other.nameRoom_, nullptr);
        nameRoomLeft_ = std::exchange(other.nameRoomLeft_, 0);
        nextBlockUnits_ = std::exchange(other.nextBlockUnits_, 0);
    }
    return *this;
}

FolderListing::~FolderListing() = default;

FolderEntry& FolderListing::Append() {
    if (count_ == room_) {
        const std::size_t room = std::max(kLeastEntries, room_ * 2);
        if (room >= kBulkEntriesFrom) {
            const bool fromHeap = bulkEntries_.capacity() == 0;
            bulkEntries_.Reserve(room * sizeof(FolderEntry));
            auto* moved = reinterpret_cast<FolderEntry*>(bulkEntries_.data());
            if (fromHeap && count_ > 0)
                std::memcpy(static_cast<void*>(moved), entries_, count_ * sizeof(FolderEntry));
            heapEntries_.reset();
            entries_ = moved;
            room_ = bulkEntries_.capacity() / sizeof(FolderEntry);
        } else {
            auto grown = std::make_unique_for_overwrite<FolderEntry[]>(room);
            std::copy(entries_, entries_ + count_, grown.get());
            heapEntries_ = std::move(grown);
            entries_ = heapEntries_.get();
            room_ = room;
        }
    }
    return entries_[count_++];
}

char16_t* FolderListing::NameRoom(std::size_t units) {
    if (nameRoomLeft_ < units) {
        const std::size_t blockUnits = std::max({units, nextBlockUnits_, kLeastBlockUnits});
        nextBlockUnits_ = blockUnits * 2;
        NameBlock& block = blocks_.emplace_back();
        if (blockUnits * sizeof(char16_t) >= kBulkNameBytesFrom) {
            block.bulk.Reserve(blockUnits * sizeof(char16_t));
            nameRoom_ = reinterpret_cast<char16_t*>(block.bulk.data());
            nameRoomLeft_ = block.bulk.capacity() / sizeof(char16_t);
        } else {
            block.heap = std::make_unique_for_overwrite<char16_t[]>(blockUnits);
            nameRoom_ = block.heap.get();
            nameRoomLeft_ = blockUnits;
        }
    }
    return nameRoom_;
}

void FolderListing::Add(std::u16string_view name, bool isFolder, std::uint64_t inode) {
    char16_t* at = NameRoom(name.size());
    std::copy(name.begin(), name.end(), at);
    nameRoom_ += name.size();
    nameRoomLeft_ -= name.size();
    FolderEntry& entry = Append();
    entry = FolderEntry{std::u16string_view(at, name.size()), isFolder, inode};
}

void FolderListing::AddBytes(std::string_view nameBytes, bool isFolder, std::uint64_t inode) {
    char16_t* at = NameRoom(nameBytes.size());
    const std::size_t units = DecodeNameTo(nameBytes, at);
    nameRoom_ += units;
    nameRoomLeft_ -= units;
    FolderEntry& entry = Append();
    entry = FolderEntry{std::u16string_view(at, units), isFolder, inode};
}

void FolderListing::Reorder(const std::vector<std::size_t>& order) {
    std::vector<FolderEntry> ordered;
    ordered.reserve(order.size());
    for (const std::size_t at : order)
        ordered.push_back(entries_[at]);
    std::copy(ordered.begin(), ordered.end(), entries_);
    count_ = ordered.size();
}

}  // namespace brindle
