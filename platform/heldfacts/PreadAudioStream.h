#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <taglib/tiostream.h>

namespace brindle {

// The audio tag library's view of a file that the caller has open: reads by pread at a
// position of its own, so the descriptor's offset never moves and several streams may
// share it; never writes, never closes. The library's own file stream would fdopen the
// descriptor and close it with the stream.
class PreadAudioStream final : public TagLib::IOStream {
public:
    // `size` is the file's length as the caller found it; `name` its name, whose
    // extension the library's type guess reads.
    PreadAudioStream(int fd, std::uint64_t size, std::string name);

    TagLib::FileName name() const override;
    TagLib::ByteVector readBlock(unsigned long length) override;
    void writeBlock(const TagLib::ByteVector& data) override;
    void insert(const TagLib::ByteVector& data, unsigned long start = 0,
                unsigned long replace = 0) override;
    void removeBlock(unsigned long start = 0, unsigned long length = 0) override;
    bool readOnly() const override;
    bool isOpen() const override;
    void seek(long offset, Position p = Beginning) override;
    void clear() override;
    long tell() const override;
    long length() override;
    void truncate(long length) override;

    // The library then reads `id` in place of the four bytes at `offset`: a chunk it would
    // parse without the reader's safeguards is renamed so that it passes it by.
    void Mask(std::uint64_t offset, const std::array<char, 4>& id);

    // The errno of the first read that failed, or 0.
    int readError() const { return readError_; }

    // The most one read hands back. A tag's own length fields may claim up to the whole
    // file; past this, the library sees a short read, as at a file's end, and takes the
    // block as damaged rather than allocate for it.
    static constexpr unsigned long kMaxBlock = 64UL << 20;

private:
    int fd_;
    long size_;
    long position_ = 0;
    int readError_ = 0;
    std::string name_;
    std::vector<std::pair<std::uint64_t, std::array<char, 4>>> masks_;
};

}  // namespace brindle
