#pragma once

// The photo library's input over a descriptor it never owns: every byte comes through pread,
// so the descriptor's offset stays where it was, and nothing is written. The library's
// headers still speak std::auto_ptr, which the compiler deprecates; whoever includes this
// header includes them too.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/basicio.hpp>
#pragma GCC diagnostic pop

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace brindle {

class PreadPhotoIo final : public Exiv2::BasicIo {
public:
    // The most one file may make us read, in reads and in its mapped image together: past
    // it every read fails, so that a hostile file ends as a damaged one, promptly.
    static constexpr std::uint64_t kReadLimit = 96ull << 20;

    PreadPhotoIo(int fd, std::uint64_t size);
    ~PreadPhotoIo() override;
    PreadPhotoIo(const PreadPhotoIo&) = delete;
    PreadPhotoIo& operator=(const PreadPhotoIo&) = delete;

    int open() override;
    int close() override;
    long write(const Exiv2::byte* data, long count) override;
    long write(Exiv2::BasicIo& source) override;
    int putb(Exiv2::byte data) override;
    Exiv2::DataBuf read(long count) override;
    long read(Exiv2::byte* buffer, long count) override;
    int getb() override;
    void transfer(Exiv2::BasicIo& source) override;
    int seek(long offset, Position from) override;
    // The whole file as one block, which the library asks for to parse TIFF-shaped files
    // (the raw formats among them) and a few others. Small files are read whole; a larger
    // TIFF-shaped file gets a block of zeros as long as the file, in which only the parts
    // its directories point at are read, so that a raw file or a 4 GB scan costs its
    // metadata, not its pixels. Throws when the file is too big to map that way.
    Exiv2::byte* mmap(bool writeable = false) override;
    int munmap() override;
    long tell() const override;
    size_t size() const override;
    bool isopen() const override;
    int error() const override;
    bool eof() const override;
    std::string path() const override;

    // True once a read was refused for going past kReadLimit.
    bool overLimit() const { return overLimit_; }
    // The error number of the last read that failed, or 0.
    int readError() const { return readError_; }
    // The bytes taken from the file so far.
    std::uint64_t bytesRead() const { return bytesRead_; }

private:
    // Reads [offset, offset + count) of the file into `to`: the bytes read, short at the
    // end of the file; -1 on a failure or past the limit.
    long long ReadAt(std::uint64_t offset, Exiv2::byte* to, std::uint64_t count);
    bool FillWindow(std::uint64_t offset);
    bool MapSparseTiff();
    // Reads the chunks of the sparse block that [offset, offset + count) touches.
    void EnsureMapped(std::uint64_t offset, std::uint64_t count);
    void FreeMap();

    int fd_;
    std::uint64_t size_;
    std::uint64_t pos_ = 0;
    bool open_ = false;
    bool eof_ = false;
    int error_ = 0;
    bool overLimit_ = false;
    int readError_ = 0;
    std::uint64_t bytesRead_ = 0;
    std::uint64_t calls_ = 0;
    // The last bytes read ahead: most of the library's reads are a few bytes.
    std::unique_ptr<Exiv2::byte[]> window_;
    std::uint64_t windowCapacity_ = 0;
    std::uint64_t windowLength_ = 0;
    std::uint64_t windowStart_ = 0;
    // The mapped image: either heap bytes, or an anonymous mapping filled in chunks.
    std::vector<Exiv2::byte> whole_;
    Exiv2::byte* map_ = nullptr;
    std::uint64_t mapLength_ = 0;
    std::vector<bool> mappedChunks_;
};

}  // namespace brindle
