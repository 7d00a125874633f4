// Undo's log parser on arbitrary bytes. Only the pure parser runs: nothing here may
// move a real file. Whatever the bytes, the records must be ones the text really holds,
// and a log the writer made from them must read back as the same records.
#include <cstdlib>
#include <string>
#include <string_view>

#include "batch/LogParser.h"
#include "batch/RenameLog.h"

namespace {
std::size_t CountOf(std::string_view text, std::string_view what) {
    std::size_t count = 0;
    for (auto pos = text.find(what); pos != std::string_view::npos;
         pos = text.find(what, pos + what.size()))
        ++count;
    return count;
}

bool HasLineFeed(const brindle::LogRecord& r) {
    for (const auto* value : {&r.oldDirectory, &r.newDirectory, &r.oldName, &r.newName}) {
        if (value->find(u'\n') != std::u16string::npos)
            return true;
    }
    return false;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto records = brindle::ParseLog(bytes);

    // Undo's reading of the same bytes: the same records, each named by the offset of a
    // line that starts it, and marks that only ever land on records the text holds.
    const auto forUndo = brindle::ParseLogForUndo(bytes);
    if (forUndo.size() != records.size())
        std::abort();
    for (std::size_t i = 0; i < forUndo.size(); ++i) {
        const auto& record = forUndo[i];
        if (!(record.names == records[i]))
            std::abort();
        if (record.offset >= bytes.size())
            std::abort();
        const std::string_view at = bytes.substr(record.offset);
        if (!at.starts_with(brindle::kLogKeyOldFile) &&
            !at.starts_with(brindle::kLogKeyOldDirectory))
            std::abort();
        if (record.offset != 0 && bytes[record.offset - 1] != '\n')
            std::abort();
        if (!record.marked && (record.itemInode != 0 || record.itemLinks != 0 ||
                               !record.itemStamp.empty() || !record.oldFolderStamp.empty()))
            std::abort();
        // A stamp written back reads as the same stamp.
        if (!record.itemStamp.empty()) {
            std::string again = "Identity=1 1 1 1 ";
            brindle::AppendStampField(again, &record.itemStamp);
            again +=
                " - -\r\nOld Directory=/a/\r\nNew Directory=/a/\r\nOld File=x\r\n"
                "New File=y\r\n";
            const auto reread = brindle::ParseLogForUndo(again);
            if (reread.size() != 1 || !(reread[0].itemStamp == record.itemStamp))
                std::abort();
        }
        for (const auto& step : record.temporarySteps) {
            if (step.name.empty())
                std::abort();
        }
    }
    // Every record starts at its own "Old Directory=" or "Old File=" line.
    if (records.size() >
        CountOf(bytes, brindle::kLogKeyOldFile) + CountOf(bytes, brindle::kLogKeyOldDirectory))
        std::abort();

    // Write the records back the way the writer does (a pair before each), read again.
    std::string log;
    brindle::WriteLogLine(log, u"Version=3.7");
    for (const auto& r : records) {
        if (HasLineFeed(r))
            std::abort();  // a value never spans lines
        brindle::WriteLogLine(log, brindle::kLogKeyOldDirectory, r.oldDirectory);
        brindle::WriteLogLine(log, brindle::kLogKeyNewDirectory, r.newDirectory);
        brindle::WriteLogLine(log, brindle::kLogKeyOldFile, r.oldName);
        brindle::WriteLogLine(log, brindle::kLogKeyNewFile, r.newName);
        brindle::WriteLogLine(log, u"-------------------------------------------");
    }
    const auto again = brindle::ParseLog(log);
    if (again != records)
        std::abort();
    return 0;
}
