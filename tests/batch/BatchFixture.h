#pragma once

#include <sys/stat.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FileLock.h"
#include "LogLines.h"
#include "RecordingHost.h"
#include "TempFolder.h"
#include "batch/LogParser.h"
#include "batch/RenameSession.h"
#include "engine/NaturalOrder.h"
#include "platform/FileSystem.h"
#include "platform/NameCodec.h"
#include "platform/OpenFolder.h"

namespace brindle::testing {

inline std::u16string U(const std::string& utf8) {
    return DecodeName(utf8);
}
inline std::string N(std::u16string_view name) {
    return EncodeName(name);
}

// The log as a reader of the original format takes it in: without the lines it skips
// (inode numbers before each record, outcome and Undo marks between records).
inline std::string WithoutMarks(const std::string& bytes) {
    std::string kept;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        end = end == std::string::npos ? bytes.size() : end + 1;
        const std::string_view line(bytes.data() + start, end - start);
        bool mark = false;
        for (std::string_view key :
             {kLogKeyBatch, kLogKeyIdentity, kLogKeyRenamed, kLogKeyFailed, kLogKeyUndone,
              kLogKeyTemporary, kLogKeyClaimed, kLogKeyUnclaimed}) {
            mark = mark || line.starts_with(key);
        }
        if (!mark)
            kept += line;
        start = end;
    }
    return kept;
}

// A session as the main dialog holds it, its program folder "prog/" inside a fresh
// temporary folder (so the log is prog/Brindle.log), the items under "items/".
class BatchFixture : public ::testing::Test {
protected:
    BatchFixture() {
        temp.createFiles({"prog/", "items/"});
        session.setProgramFolder(temp.folder("prog"));
        session.settings().force63Length = 64;
    }

    RenameSettings& settings() { return session.settings(); }
    std::u16string items() const { return temp.folder("items"); }
    std::string itemsBytes() const { return N(items()); }
    std::string log() const { return temp.readFile("prog/Brindle.log"); }
    std::string logWithoutMarks() const { return WithoutMarks(log()); }
    bool logExists() const { return temp.exists("prog/Brindle.log"); }
    std::vector<LogRecord> logRecords() const { return ParseLog(log()); }
    // The key line of the log's batch `index` (its start time is the batch's own).
    std::string batchLine(std::size_t index = 0) const {
        const UndoLog parsed = UndoLog::FromBytes(log());
        if (index >= parsed.batches().size())
            return "(no batch " + std::to_string(index) + ")";
        return std::string(kLogKeyBatch) + parsed.batches()[index].key + "\r\n";
    }

    // The names of the folder's entries, in the order the scan meets them.
    std::vector<std::string> listed(const std::string& relative) const {
        std::vector<std::string> names;
        FolderListing entries = OpenFolder::AtPath(temp.folder(relative)).List();
        OrderFolderEntries(entries, session.settings().order);
        for (const FolderEntry& entry : entries) {
            names.push_back(N(entry.name));
        }
        return names;
    }

    void setReadOnly(const std::string& relative) const {
        struct stat info {};
        const std::string path = (temp.path() / relative).string();
        ASSERT_EQ(stat(path.c_str(), &info), 0);
        ASSERT_EQ(chmod(path.c_str(), info.st_mode & ~static_cast<mode_t>(S_IWUSR)), 0);
    }

    TempFolder temp;
    RecordingHost host;
    RenameSession session{host};
};

}  // namespace brindle::testing
