#include "platform/TextFile.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <string>

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

int ReplaceFileContents(std::u16string_view path, std::string_view bytes, unsigned mode) {
    // The new file is made in the folder of the old, so that the rename stays on one
    // filesystem: that folder is opened once and both names are taken from it.
    const std::string encoded = EncodeName(path);
    const auto slash = encoded.rfind('/');
    const std::string name = slash == std::string::npos ? encoded : encoded.substr(slash + 1);
    if (name.empty())
        return EISDIR;
    std::string folderPath = slash == std::string::npos ? "." : encoded.substr(0, slash);
    if (folderPath.empty())
        folderPath = "/";
    const detail::PathAt at(std::move(folderPath));
    if (at.error() != 0)
        return at.error();
    const int folder = openat(at.dir(), at.name(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return errno;
    // A name of its own for each attempt: another thread or process may be writing the
    // same file at the same moment.
    static std::atomic<unsigned> attempts{0};
    std::string temporary;
    int fd = -1;
    for (int tries = 0; fd < 0 && tries < 100; ++tries) {
        temporary = "." + name + "." + std::to_string(getpid()) + "-" +
                    std::to_string(attempts.fetch_add(1));
        fd = openat(folder, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    static_cast<mode_t>(mode));
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        const int error = errno;
        close(folder);
        return error;
    }
    const auto finish = [&](int error) {
        if (fd >= 0)
            close(fd);
        if (error != 0)
            unlinkat(folder, temporary.c_str(), 0);
        close(folder);
        return error;
    };
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0) {
            if (errno == EINTR)
                continue;
            return finish(errno);
        }
        done += static_cast<std::size_t>(wrote);
    }
    // On the disk before the name points at it: a crash leaves the old file or the new.
    if (fsync(fd) != 0)
        return finish(errno);
    const int closed = close(fd);
    fd = -1;
    if (closed != 0 && errno != EINTR)
        return finish(errno);
    if (renameat(folder, temporary.c_str(), folder, name.c_str()) != 0)
        return finish(errno);
    return finish(0);
}

}  // namespace brindle
