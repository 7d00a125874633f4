#include "batch/OperationTally.h"
#include "engine/IntegerText.h"

#include <string>
#include <string_view>

namespace brindle {

namespace {

void Append(std::u16string& out, std::string_view text) {
    for (const char c : text)
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
}

// "; N what", where there are any.
void AppendCount(std::u16string& out, std::uint64_t count, std::string_view what) {
    if (count == 0)
        return;
    Append(out, "; ");
    out += DecimalText(count);
    Append(out, " ");
    Append(out, what);
}

}  // namespace

std::u16string ResultText(const OperationTally& tally) {
    std::u16string text;
    switch (tally.kind) {
        case OperationTally::Kind::None:
            return text;
        case OperationTally::Kind::Batch:
            if (tally.onlyLog) {
                Append(text, "Only Log: ");
                text += DecimalText(tally.items);
                Append(text, tally.items == 1 ? " item listed" : " items listed");
                Append(text, ", nothing renamed");
            } else {
                Append(text, "Renamed ");
                text += DecimalText(tally.done);
                Append(text, " of ");
                text += DecimalText(tally.items);
            }
            AppendCount(text, tally.failed, "failed");
            AppendCount(text, tally.readOnly, "read-only");
            if (!tally.onlyLog)
                AppendCount(text, tally.unchanged, "unchanged");
            break;
        case OperationTally::Kind::Undo:
            if (tally.logUnusable) {
                Append(text, "Undo: the log could not be used, nothing put back");
                return text;
            }
            Append(text, "Undo: put back ");
            text += DecimalText(tally.done);
            Append(text, " of ");
            text += DecimalText(tally.items);
            AppendCount(text, tally.failed, "failed");
            break;
    }
    if (tally.stopped)
        Append(text, "; stopped");
    return text;
}

}  // namespace brindle
