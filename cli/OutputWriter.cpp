#include "cli/OutputWriter.h"

#include <charconv>
#include <iterator>

#include "platform/Descriptors.h"
#include "platform/NameCodec.h"

namespace brindle::cli {

namespace {

constexpr std::string_view kProgramPrefix = "brindle-cli: ";

void AppendEscapedBytes(std::string& out, std::string_view bytes, bool escapeControls) {
    static constexpr char kHex[] = "0123456789abcdef";
    for (const char c : bytes) {
        switch (c) {
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\\':
                out += "\\\\";
                break;
            default: {
                const auto byte = static_cast<unsigned char>(c);
                if (escapeControls && (byte < 0x20 || byte == 0x7f)) {
                    out += "\\x";
                    out += kHex[byte >> 4];
                    out += kHex[byte & 0xf];
                } else {
                    out += c;
                }
            }
        }
    }
}

}  // namespace

OutputBuffer::OutputBuffer(int fd, std::size_t capacity) : fd_(fd), capacity_(capacity) {
    buffer_.reserve(capacity_ + 4096);
}

OutputBuffer::~OutputBuffer() {
    Flush();
}

void OutputBuffer::Commit(bool flushNow) {
    if (flushNow || buffer_.size() >= capacity_)
        Flush();
}

bool OutputBuffer::Flush() {
    if (error_ == 0 && !buffer_.empty())
        error_ = WriteAll(fd_, buffer_);
    buffer_.clear();
    return error_ == 0;
}

void AppendEscaped(std::string& out, std::u16string_view text, bool escapeControls) {
    // Plain ASCII without anything to escape is the common case: no codec needed.
    bool plain = true;
    for (const char16_t c : text) {
        if (c >= 0x80 || c < 0x20 || c == 0x7f || c == u'\\') {
            plain = false;
            break;
        }
    }
    if (plain) {
        for (const char16_t c : text)
            out += static_cast<char>(c);
        return;
    }
    AppendEscapedBytes(out, EncodeName(text), escapeControls);
}

void AppendRow(std::string& out, const RowData& row, OutputFormat format) {
    if (format == OutputFormat::Quiet)
        return;
    const bool tsv = format == OutputFormat::Tsv;
    const std::string_view separator = tsv ? "\t" : "  ";
    AppendEscaped(out, row.inputFolder, !tsv);
    AppendEscaped(out, row.input, !tsv);
    out += separator;
    AppendEscaped(out, row.output, !tsv);
    AppendEscaped(out, SuffixText(row.suffix), !tsv);
    out += separator;
    if (row.countShown) {
        char digits[16];
        const auto end = std::to_chars(digits, digits + sizeof digits, row.count).ptr;
        out.append(digits, end);
    }
    out += separator;
    AppendEscaped(out, row.folder, !tsv);
    // Without --tsv the reason follows the row on standard error (CliHost).
    if (tsv) {
        out += separator;
        AppendEscaped(out, row.reason, false);
    }
    out += '\n';
}

void AppendTsvHeader(std::string& out) {
    for (std::size_t i = 0; i < std::size(kRowTitles); ++i) {
        if (i != 0)
            out += '\t';
        out += kRowTitles[i];
    }
    out += '\n';
}

void AppendPlanRow(std::string& out, const Plan& plan, const PlanItem& item, OutputFormat format) {
    if (format == OutputFormat::Quiet)
        return;
    const bool tsv = format == OutputFormat::Tsv;
    const std::string_view separator = tsv ? "\t" : "  ";
    AppendEscaped(out, plan.folderOf(item), !tsv);
    AppendEscaped(out, item.oldName, !tsv);
    out += separator;
    AppendEscaped(out, plan.newFolderOf(item), !tsv);
    AppendEscaped(out, item.newName, !tsv);
    out += separator;
    AppendEscaped(out, StateTextOf(plan, item), !tsv);
    if (item.other != kNoIndex && item.other < plan.items.size()) {
        const PlanItem& other = plan.items[item.other];
        out += " (";
        AppendEscaped(out, plan.folderOf(other), !tsv);
        AppendEscaped(out, other.oldName, !tsv);
        out += ')';
    }
    AppendEscaped(out, WarningsTextOf(item), !tsv);
    out += '\n';
}

void AppendPlanTsvHeader(std::string& out) {
    out += "Path\tNew Path\tState\n";
}

std::string PlanRowMessage(const Plan& plan, const PlanItem& item) {
    std::string line(kProgramPrefix);
    AppendPlanRow(line, plan, item, OutputFormat::Rows);
    return line;
}

std::string MessageLine(std::u16string_view text) {
    std::string line(kProgramPrefix);
    AppendEscaped(line, text, true);
    line += '\n';
    return line;
}

std::string MessageLine(std::string_view text) {
    std::string line(kProgramPrefix);
    AppendEscapedBytes(line, text, true);
    line += '\n';
    return line;
}

}  // namespace brindle::cli
