#include "platform/BulkRegion.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>
#include <utility>

namespace brindle {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kPage = std::size_t{4} << 10;

std::size_t RoundUp(std::size_t bytes, std::size_t unit) {
    return (bytes + unit - 1) / unit * unit;
}

// A mapping of `bytes` that starts on a huge page's boundary, so that every whole huge
// page of it can be one.
char* MapAligned(std::size_t bytes) {
    const std::size_t mapped = bytes + kHugePage;
    void* at = mmap(nullptr, mapped, PROT_READ | PROT_WRITE,
                    MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (at == MAP_FAILED)
        return nullptr;
    auto* start = static_cast<char*>(at);
    const auto address = reinterpret_cast<std::uintptr_t>(start);
    char* aligned = start + (RoundUp(address, kHugePage) - address);
    if (aligned > start)
        munmap(start, static_cast<std::size_t>(aligned - start));
    char* end = start + mapped;
    if (aligned + bytes < end)
        munmap(aligned + bytes, static_cast<std::size_t>(end - (aligned + bytes)));
    return aligned;
}

}  // namespace

BulkRegion::~BulkRegion() {
    if (data_)
        munmap(data_, capacity_);
}

BulkRegion::BulkRegion(BulkRegion&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), capacity_(std::exchange(other.capacity_, 0)) {}

BulkRegion& BulkRegion::operator=(BulkRegion&& other) noexcept {
    if (this != &other) {
        if (data_)
            munmap(data_, capacity_);
        data_ = std::exchange(other.data_, nullptr);
        capacity_ = std::exchange(other.capacity_, 0);
    }
    return *this;
}

void BulkRegion::Grow(std::size_t bytes) {
    std::size_t wanted = bytes > capacity_ * 2 ? bytes : capacity_ * 2;
    const bool huge = wanted >= kHugePage;
    wanted = RoundUp(wanted, huge ? kHugePage : kPage);
    char* moved = nullptr;
    if (!data_) {
        moved = huge ? MapAligned(wanted) : nullptr;
        if (!huge) {
            void* at = mmap(nullptr, wanted, PROT_READ | PROT_WRITE,
                            MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
            moved = at == MAP_FAILED ? nullptr : static_cast<char*>(at);
        }
    } else {
        void* at = mremap(data_, capacity_, wanted, MREMAP_MAYMOVE);
        moved = at == MAP_FAILED ? nullptr : static_cast<char*>(at);
    }
    if (!moved)
        throw std::bad_alloc();
    data_ = moved;
    capacity_ = wanted;
    // Advice only: where the system has no huge pages, pages of 4 KiB serve as before.
    if (huge)
        madvise(data_, capacity_, MADV_HUGEPAGE);
}

}  // namespace brindle
