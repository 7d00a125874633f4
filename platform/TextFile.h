#pragma once

#include <string>
#include <string_view>

namespace brindle {

// Line reader for the configuration file and the log. The whole file is read when it
// is opened (both files are small next to memory), under a non-blocking exclusive lock
// when asked, and closed again by Close() or the destructor.
class TextFileReader {
public:
    struct Options {
        bool exclusive = true;      // take a non-blocking exclusive flock; fail if held
        bool ctrlZEndsFile = true;  // a 0x1A byte ends the file (the configuration file)
    };

    TextFileReader() = default;
    ~TextFileReader();
    TextFileReader(const TextFileReader&) = delete;
    TextFileReader& operator=(const TextFileReader&) = delete;

    // False when the file cannot be opened or another holder has the lock; the errno of
    // the failure is kept in lastError() (EWOULDBLOCK for a lock held elsewhere).
    bool Open(std::u16string_view path);
    bool Open(std::u16string_view path, Options options);
    bool IsOpen() const { return open_; }
    void Close();
    int lastError() const { return lastError_; }

    // The next line without its line end: a line ends at LF, and a CR directly before the
    // LF is dropped with it; the last line needs no line end. False at the end of the
    // file. `hadLineEnd` tells whether the line was ended by LF.
    bool ReadLineBytes(std::string& line, bool* hadLineEnd = nullptr);

    // The same line decoded with DecodeTextLine.
    bool ReadLine(std::u16string& line);

    // Everything not read yet, as bytes.
    std::string_view Remaining() const;

private:
    int fd_ = -1;  // kept open, and locked when asked, until Close()
    std::string data_;
    std::string::size_type pos_ = 0;
    bool open_ = false;
    int lastError_ = 0;
};

// Puts `bytes` at `path` in one step: they are written to a new file beside it (readable
// by its owner only, or with `mode` less the umask), synced, and renamed over whatever lay
// there, so that a reader meets the old contents or the new, never a part, and a symbolic
// link at `path` is replaced, not followed. 0, or the errno of the first failure; the new
// file is gone again then, and what lay at `path` is as it was.
int ReplaceFileContents(std::u16string_view path, std::string_view bytes, unsigned mode = 0600);

}  // namespace brindle
