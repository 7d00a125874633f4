#pragma once

#include <cstddef>

namespace brindle {

// Room for a large array that fills as it is read (the records of a long log): reserved
// at once, taken from the system only where it is written, and in huge pages once it is
// large enough, where the system gives them, so that filling it costs one fault for each
// 2 MiB instead of one for each 4 KiB. Growing moves the pages and never copies them.
class BulkRegion {
public:
    BulkRegion() = default;
    ~BulkRegion();
    BulkRegion(BulkRegion&& other) noexcept;
    BulkRegion& operator=(BulkRegion&& other) noexcept;
    BulkRegion(const BulkRegion&) = delete;
    BulkRegion& operator=(const BulkRegion&) = delete;

    // Room for at least `bytes`; what it holds stays, though it may move. Throws
    // std::bad_alloc when the system gives no room, as a growing vector does.
    void Reserve(std::size_t bytes) {
        if (bytes > capacity_)
            Grow(bytes);
    }

    char* data() { return data_; }
    const char* data() const { return data_; }
    std::size_t capacity() const { return capacity_; }

private:
    void Grow(std::size_t bytes);

    char* data_ = nullptr;
    std::size_t capacity_ = 0;
};

}  // namespace brindle
