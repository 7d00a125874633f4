#include "platform/TextFile.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/NameCodec.h"
#include "platform/PathAt.h"

namespace brindle {

TextFileReader::~TextFileReader() {
    Close();
}

bool TextFileReader::Open(std::u16string_view path) {
    return Open(path, Options{});
}

bool TextFileReader::Open(std::u16string_view path, Options options) {
    Close();
    lastError_ = 0;
    const detail::PathAt at(path);
    if (at.error() != 0) {
        lastError_ = at.error();
        return false;
    }
    // Non-blocking, so that a named pipe in the file's place cannot hang the program.
    const int fd = openat(at.dir(), at.name(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        lastError_ = errno;
        return false;
    }
    const auto fail = [&](int error) {
        close(fd);
        lastError_ = error;
        return false;
    };
    struct stat info {};
    if (fstat(fd, &info) != 0)
        return fail(errno);
    if (!S_ISREG(info.st_mode))
        return fail(S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
    if (options.exclusive && flock(fd, LOCK_EX | LOCK_NB) != 0)
        return fail(errno);

    std::string data;
    if (info.st_size > 0)
        data.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        if (got == 0)
            break;
        data.append(buffer, static_cast<std::size_t>(got));
    }
    if (options.ctrlZEndsFile) {
        const auto end = data.find('\x1A');
        if (end != std::string::npos)
            data.resize(end);
    }
    fd_ = fd;
    data_ = std::move(data);
    pos_ = 0;
    open_ = true;
    return true;
}

void TextFileReader::Close() {
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
    open_ = false;
    data_.clear();
    pos_ = 0;
}

bool TextFileReader::ReadLineBytes(std::string& line, bool* hadLineEnd) {
    line.clear();
    if (hadLineEnd)
        *hadLineEnd = false;
    if (!open_ || pos_ >= data_.size())
        return false;
    const auto end = data_.find('\n', pos_);
    if (end == std::string::npos) {
        line.assign(data_, pos_);
        pos_ = data_.size();
        return true;
    }
    auto length = end - pos_;
    if (length > 0 && data_[end - 1] == '\r')
        --length;
    line.assign(data_, pos_, length);
    pos_ = end + 1;
    if (hadLineEnd)
        *hadLineEnd = true;
    return true;
}

bool TextFileReader::ReadLine(std::u16string& line) {
    std::string bytes;
    const bool got = ReadLineBytes(bytes);
    line = DecodeTextLine(bytes);
    return got;
}

std::string_view TextFileReader::Remaining() const {
    if (!open_)
        return {};
    return std::string_view(data_).substr(pos_);
}

}  // namespace brindle
