#include "platform/heldfacts/PreadPhotoIo.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>

#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/error.hpp>

namespace brindle {
namespace {

constexpr std::uint64_t kWindowSize = 64 << 10;
// Files up to this size are read whole when the library asks for their block.
constexpr std::uint64_t kWholeMapLimit = 2 << 20;
// The most a block that is not TIFF-shaped may be (an old Canon raw, an EPS).
constexpr std::uint64_t kOtherMapLimit = 64 << 20;
// The sparse block of a TIFF-shaped file is read in chunks of this size.
constexpr std::uint64_t kChunk = 64 << 10;
// What the directories of most TIFF-shaped files fit in, read before they are walked.
constexpr std::uint64_t kHeadFill = 256 << 10;
// The most one directory entry's data may make us read (an XMP packet, a preview the
// library takes Exif from).
constexpr std::uint64_t kEntryLimit = 16 << 20;
constexpr int kDirectoryLimit = 512;
constexpr std::uint32_t kSubDirectoryLimit = 64;
// The most calls the library may make on one file: a guard against loops that never read.
constexpr std::uint64_t kCallLimit = 64ull << 20;
constexpr char kPath[] = "photo";

std::uint64_t TiffTypeSize(std::uint32_t type) {
    switch (type) {
        case 1:  // BYTE
        case 2:  // ASCII
        case 6:  // SBYTE
        case 7:  // UNDEFINED
            return 1;
        case 3:  // SHORT
        case 8:  // SSHORT
            return 2;
        case 4:   // LONG
        case 9:   // SLONG
        case 11:  // FLOAT
        case 13:  // IFD
            return 4;
        case 5:   // RATIONAL
        case 10:  // SRATIONAL
        case 12:  // DOUBLE
            return 8;
        default:
            return 0;
    }
}

bool IsSubDirectoryTag(std::uint32_t tag) {
    return tag == 0x8769      // Exif
           || tag == 0x8825   // GPS
           || tag == 0xA005   // interoperability
           || tag == 0x014A;  // SubIFDs
}

}  // namespace

PreadPhotoIo::PreadPhotoIo(int fd, std::uint64_t size) : fd_(fd), size_(size) {}

PreadPhotoIo::~PreadPhotoIo() {
    FreeMap();
}

int PreadPhotoIo::open() {
    pos_ = 0;
    eof_ = false;
    error_ = 0;
    open_ = true;
    return 0;
}

int PreadPhotoIo::close() {
    FreeMap();
    open_ = false;
    return 0;
}

long PreadPhotoIo::write(const Exiv2::byte*, long) {
    return 0;
}

long PreadPhotoIo::write(Exiv2::BasicIo&) {
    return 0;
}

int PreadPhotoIo::putb(Exiv2::byte) {
    return EOF;
}

void PreadPhotoIo::transfer(Exiv2::BasicIo&) {
    throw Exiv2::Error(Exiv2::kerErrorMessage, "photos are only read");
}

long long PreadPhotoIo::ReadAt(std::uint64_t offset, Exiv2::byte* to, std::uint64_t count) {
    if (offset >= size_)
        return 0;
    count = std::min(count, size_ - offset);
    if (bytesRead_ + count > kReadLimit) {
        overLimit_ = true;
        return -1;
    }
    std::uint64_t done = 0;
    while (done < count) {
        const ssize_t got = pread(fd_, to + done, count - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            readError_ = errno;
            return -1;
        }
        if (got == 0)
            break;  // the file shrank meanwhile
        done += static_cast<std::uint64_t>(got);
    }
    bytesRead_ += done;
    return static_cast<long long>(done);
}

bool PreadPhotoIo::FillWindow(std::uint64_t offset) {
    if (window_ == nullptr) {
        // Never zeroed: only what pread put there is ever read.
        windowCapacity_ = std::min(kWindowSize, size_);
        window_ = std::make_unique_for_overwrite<Exiv2::byte[]>(windowCapacity_);
    }
    windowLength_ = 0;
    const long long got = ReadAt(offset, window_.get(), windowCapacity_);
    if (got < 0)
        return false;
    windowLength_ = static_cast<std::uint64_t>(got);
    windowStart_ = offset;
    return true;
}

long PreadPhotoIo::read(Exiv2::byte* buffer, long count) {
    if (!open_ || count <= 0)
        return 0;
    if (++calls_ > kCallLimit) {
        overLimit_ = true;
        error_ = 1;
        return 0;
    }
    const auto wanted = static_cast<std::uint64_t>(count);
    const std::uint64_t available = pos_ < size_ ? std::min(wanted, size_ - pos_) : 0;
    std::uint64_t done = 0;
    if (available > 0) {
        const bool inWindow =
            pos_ >= windowStart_ && pos_ + available <= windowStart_ + windowLength_;
        if (!inWindow && available >= kWindowSize) {
            const long long got = ReadAt(pos_, buffer, available);
            if (got < 0) {
                error_ = 1;
                return 0;
            }
            done = static_cast<std::uint64_t>(got);
        } else {
            if (!inWindow && !FillWindow(pos_)) {
                error_ = 1;
                return 0;
            }
            done = std::min(available, windowStart_ + windowLength_ - pos_);
            std::memcpy(buffer, window_.get() + (pos_ - windowStart_), done);
        }
    }
    pos_ += done;
    if (done < wanted)
        eof_ = true;
    return static_cast<long>(done);
}

Exiv2::DataBuf PreadPhotoIo::read(long count) {
    if (!open_ || count <= 0)
        return Exiv2::DataBuf();
    // Never more than the file holds, nor a block the limit would refuse anyway.
    const std::uint64_t available = pos_ < size_ ? size_ - pos_ : 0;
    const std::uint64_t length = std::min(static_cast<std::uint64_t>(count), available);
    if (length > kReadLimit) {
        overLimit_ = true;
        error_ = 1;
        return Exiv2::DataBuf();
    }
    if (length == 0) {
        eof_ = true;
        return Exiv2::DataBuf();
    }
    Exiv2::DataBuf buffer(static_cast<long>(length));
    const long got = read(buffer.pData_, static_cast<long>(length));
    if (static_cast<std::uint64_t>(got) < static_cast<std::uint64_t>(count))
        eof_ = true;
    buffer.size_ = got;
    return buffer;
}

int PreadPhotoIo::getb() {
    if (!open_)
        return EOF;
    if (pos_ >= size_) {
        eof_ = true;
        return EOF;
    }
    if (pos_ < windowStart_ || pos_ >= windowStart_ + windowLength_) {
        if (++calls_ > kCallLimit || !FillWindow(pos_) || windowLength_ == 0) {
            overLimit_ = overLimit_ || calls_ > kCallLimit;
            error_ = 1;
            return EOF;
        }
    }
    return window_[pos_++ - windowStart_];
}

int PreadPhotoIo::seek(long offset, Position from) {
    const long long base = from == beg   ? 0
                           : from == cur ? static_cast<long long>(pos_)
                                         : static_cast<long long>(size_);
    // Both at most 2^63 - 1: their sum cannot overflow an unsigned 64-bit number.
    const long long target = static_cast<long long>(static_cast<unsigned long long>(base) +
                                                    static_cast<unsigned long long>(offset));
    if ((offset < 0 && target > base) || (offset > 0 && target < base) || target < 0)
        return 1;
    if (static_cast<std::uint64_t>(target) > size_) {
        eof_ = true;
        return 1;
    }
    pos_ = static_cast<std::uint64_t>(target);
    eof_ = false;
    return 0;
}

Exiv2::byte* PreadPhotoIo::mmap(bool writeable) {
    if (writeable)
        throw Exiv2::Error(Exiv2::kerFailedToMapFileForReadWrite, kPath, "photos are only read");
    if (map_ != nullptr)
        return map_;
    Exiv2::byte head[8] = {};
    if (windowStart_ == 0 && windowLength_ >= sizeof head)
        std::memcpy(head, window_.get(), sizeof head);
    else if (ReadAt(0, head, sizeof head) != sizeof head)
        std::memset(head, 0, sizeof head);
    const bool tiffShaped =
        ((head[0] == 'I' && head[1] == 'I') || (head[0] == 'M' && head[1] == 'M'));
    // Offsets in a TIFF are 32 bits: a bigger file cannot be one the library reads.
    if (size_ > kWholeMapLimit && tiffShaped && size_ <= 0xFFFFFFFFu) {
        if (!MapSparseTiff())
            throw Exiv2::Error(Exiv2::kerFailedToReadImageData);
        return map_;
    }
    if (size_ > kOtherMapLimit)
        throw Exiv2::Error(Exiv2::kerErrorMessage, "too large to read whole");
    whole_.resize(std::max<std::uint64_t>(size_, 1));
    if (ReadAt(0, whole_.data(), size_) != static_cast<long long>(size_)) {
        whole_ = {};
        throw Exiv2::Error(Exiv2::kerFailedToReadImageData);
    }
    map_ = whole_.data();
    mapLength_ = size_;
    return map_;
}

bool PreadPhotoIo::MapSparseTiff() {
    // Untouched pages of an anonymous mapping cost nothing and read as zeros: the pixels
    // the library never looks at stay so.
    void* block = ::mmap(nullptr, size_, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (block == MAP_FAILED)
        return false;
    map_ = static_cast<Exiv2::byte*>(block);
    mapLength_ = size_;
    mappedChunks_.assign((size_ + kChunk - 1) / kChunk, false);
    EnsureMapped(0, kHeadFill);

    const bool little = map_[0] == 'I';
    const auto u16 = [&](std::uint64_t at) -> std::uint32_t {
        if (at + 2 > size_)
            return 0;
        EnsureMapped(at, 2);
        const Exiv2::byte* p = map_ + at;
        return little ? p[0] | p[1] << 8 : p[0] << 8 | p[1];
    };
    const auto u32 = [&](std::uint64_t at) -> std::uint32_t {
        if (at + 4 > size_)
            return 0;
        EnsureMapped(at, 4);
        const Exiv2::byte* p = map_ + at;
        return little ? static_cast<std::uint32_t>(p[0] | p[1] << 8 | p[2] << 16) |
                            static_cast<std::uint32_t>(p[3]) << 24
                      : static_cast<std::uint32_t>(p[3] | p[2] << 8 | p[1] << 16) |
                            static_cast<std::uint32_t>(p[0]) << 24;
    };

    // Every directory the chain and the sub-directory tags reach, and the data of each of
    // their entries; never the strips or tiles, which are pixels.
    std::vector<std::uint64_t> pending{u32(4)};
    std::set<std::uint64_t> seen;
    int directories = 0;
    while (!pending.empty() && directories < kDirectoryLimit && !overLimit_) {
        const std::uint64_t at = pending.back();
        pending.pop_back();
        if (at < 8 || at + 2 > size_ || !seen.insert(at).second)
            continue;
        ++directories;
        const std::uint32_t entries = u16(at);
        EnsureMapped(at, 2 + 12ull * entries + 4);
        for (std::uint32_t i = 0; i < entries; ++i) {
            const std::uint64_t entry = at + 2 + 12ull * i;
            if (entry + 12 > size_)
                break;
            const std::uint32_t tag = u16(entry);
            const std::uint32_t type = u16(entry + 2);
            const std::uint32_t count = u32(entry + 4);
            const std::uint64_t bytes = TiffTypeSize(type) * count;
            const std::uint64_t data = bytes > 4 ? u32(entry + 8) : entry + 8;
            if (bytes > 4)
                EnsureMapped(data, std::min(bytes, kEntryLimit));
            if (IsSubDirectoryTag(tag) && (type == 4 || type == 13)) {
                for (std::uint32_t k = 0; k < std::min(count, kSubDirectoryLimit); ++k)
                    pending.push_back(u32(data + 4ull * k));
            }
        }
        pending.push_back(u32(at + 2 + 12ull * entries));
    }
    return true;
}

void PreadPhotoIo::EnsureMapped(std::uint64_t offset, std::uint64_t count) {
    if (offset >= mapLength_ || count == 0 || whole_.size() > 0)
        return;
    const std::uint64_t stop = std::min(mapLength_, offset + std::min(count, mapLength_));
    std::uint64_t chunk = offset / kChunk;
    const std::uint64_t last = (stop - 1) / kChunk;
    while (chunk <= last) {
        if (mappedChunks_[chunk]) {
            ++chunk;
            continue;
        }
        std::uint64_t runEnd = chunk;
        while (runEnd + 1 <= last && !mappedChunks_[runEnd + 1])
            ++runEnd;
        const std::uint64_t from = chunk * kChunk;
        const std::uint64_t length = std::min(mapLength_, (runEnd + 1) * kChunk) - from;
        if (ReadAt(from, map_ + from, length) < 0)
            return;
        for (; chunk <= runEnd; ++chunk)
            mappedChunks_[chunk] = true;
    }
}

void PreadPhotoIo::FreeMap() {
    if (map_ != nullptr && whole_.empty())
        ::munmap(map_, mapLength_);
    map_ = nullptr;
    mapLength_ = 0;
    whole_ = {};
    mappedChunks_ = {};
}

int PreadPhotoIo::munmap() {
    FreeMap();
    return 0;
}

long PreadPhotoIo::tell() const {
    return static_cast<long>(pos_);
}

size_t PreadPhotoIo::size() const {
    return static_cast<size_t>(size_);
}

bool PreadPhotoIo::isopen() const {
    return open_;
}

int PreadPhotoIo::error() const {
    return error_;
}

bool PreadPhotoIo::eof() const {
    return eof_;
}

std::string PreadPhotoIo::path() const {
    return kPath;
}

}  // namespace brindle
