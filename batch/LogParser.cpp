#include "batch/LogParser.h"

#include "platform/NameCodec.h"

namespace brindle {

namespace {

// The complete lines of the log, without their line ends; a last line without LF is
// left out.
std::vector<std::string_view> CompleteLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos)
            break;
        std::string_view line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

bool Carries(std::string_view line, std::string_view key) {
    return line.starts_with(key);
}

std::u16string ValueOf(std::string_view line, std::string_view key) {
    return DecodeName(line.substr(key.size()));
}

class Reader {
public:
    explicit Reader(std::string_view bytes) : lines_(CompleteLines(bytes)) {}

    bool Next(std::string_view& line) {
        if (next_ >= lines_.size())
            return false;
        line = lines_[next_++];
        return true;
    }

private:
    std::vector<std::string_view> lines_;
    std::size_t next_ = 0;
};

}  // namespace

std::vector<LogRecord> ParseLog(std::string_view bytes, std::vector<bool>* whole) {
    std::vector<LogRecord> records;
    Reader reader(bytes);
    LogRecord current;
    std::string_view line;
    auto add = [&](bool complete) {
        records.push_back(current);
        if (whole)
            whole->push_back(complete);
    };
    while (reader.Next(line)) {
        if (Carries(line, kLogKeyOldDirectory)) {
            bool complete = false;
            current.oldDirectory = ValueOf(line, kLogKeyOldDirectory);
            // A chain the file ends amid is a record torn by a crash: never undone.
            if (!reader.Next(line))
                break;
            if (Carries(line, kLogKeyNewDirectory)) {
                current.newDirectory = ValueOf(line, kLogKeyNewDirectory);
                if (!reader.Next(line))
                    break;
                if (Carries(line, kLogKeyOldFile)) {
                    current.oldName = ValueOf(line, kLogKeyOldFile);
                    if (!reader.Next(line))
                        break;
                    if (Carries(line, kLogKeyNewFile)) {
                        current.newName = ValueOf(line, kLogKeyNewFile);
                        complete = true;
                    }
                }
            }
            add(complete);
        } else if (Carries(line, kLogKeyOldFile)) {
            if (current.oldDirectory.empty())
                continue;
            current.oldName = ValueOf(line, kLogKeyOldFile);
            if (!reader.Next(line))
                break;
            const bool complete = Carries(line, kLogKeyNewFile);
            if (complete)
                current.newName = ValueOf(line, kLogKeyNewFile);
            add(complete);
        }
    }
    return records;
}

}  // namespace brindle
