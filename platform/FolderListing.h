#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/BulkRegion.h"

namespace brindle {

struct FolderEntry {
    // Held by the listing the entry came from, for as long as it lives.
    std::u16string_view name;
    bool isFolder = false;  // a real folder, not a link to one
    // The inode number the listing gives; where inode numbers are stable it is the one
    // lstat gives, for no more than the listing's cost.
    std::uint64_t inode = 0;
};

// A folder's entries in the order they were added, their names held together by the
// listing itself: a long listing asks for no memory per name, and takes its room in huge
// pages, so that listing a folder of a hundred thousand files costs little beside reading
// it. A name stays where it is while the listing lives, moved or reordered.
class FolderListing {
public:
    FolderListing() = default;
    // Room for about `expected` entries: a guess, never a limit.
    explicit FolderListing(std::size_t expected);
    FolderListing(FolderListing&& other) noexcept;
    FolderListing& operator=(FolderListing&& other) noexcept;
    FolderListing(const FolderListing&) = delete;
    FolderListing& operator=(const FolderListing&) = delete;
    ~FolderListing();

    void Add(std::u16string_view name, bool isFolder, std::uint64_t inode);
    // An entry whose name is the filesystem's bytes, decoded as every name is.
    void AddBytes(std::string_view nameBytes, bool isFolder, std::uint64_t inode);

    // The entries in the order `order` gives (indices of entries, each at most once);
    // the others are dropped.
    void Reorder(const std::vector<std::size_t>& order);

    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    FolderEntry& operator[](std::size_t i) { return entries_[i]; }
    const FolderEntry& operator[](std::size_t i) const { return entries_[i]; }
    FolderEntry* begin() { return entries_; }
    FolderEntry* end() { return entries_ + count_; }
    const FolderEntry* begin() const { return entries_; }
    const FolderEntry* end() const { return entries_ + count_; }

private:
    // A block of names: a short listing's on the heap, a long one's in a region of its
    // own. Blocks never move, so the names' views stay valid.
    struct NameBlock {
        std::unique_ptr<char16_t[]> heap;
        BulkRegion bulk;
    };

    FolderEntry& Append();
    char16_t* NameRoom(std::size_t units);

    FolderEntry* entries_ = nullptr;
    std::size_t count_ = 0;
    std::size_t room_ = 0;
    // Where the entries are: a short listing's on the heap, a long one's in a region.
    std::unique_ptr<FolderEntry[]> heapEntries_;
    BulkRegion bulkEntries_;
    std::vector<NameBlock> blocks_;
    char16_t* nameRoom_ = nullptr;
    std::size_t nameRoomLeft_ = 0;
    // The units the next block of names is given.
    std::size_t nextBlockUnits_ = 0;
};

}  // namespace brindle
