// The configuration readers on arbitrary file contents: every key, every table, and the
// header search with a line limit.
#include <cstdlib>

#include "FuzzInput.h"
#include "engine/ConfigFile.h"
#include "engine/Filters.h"
#include "engine/OptionTable.h"
#include "platform/TextFile.h"

namespace {
constexpr std::u16string_view kMethods[] = {u"English", u"Symbols", u"Custom", u""};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static brindle::fuzz::MemoryFile file;
    const std::u16string& path = file.Write(data, size);

    brindle::TextFileReader reader;
    if (reader.Open(path)) {
        std::u16string line;
        std::size_t lines = 0;
        while (brindle::readConfigLine(reader, line)) {
            // Trimmed at both ends: no white space may remain there.
            if (!line.empty() && (line.front() == u' ' || line.back() == u' '))
                std::abort();
            ++lines;
        }
        if (lines > size + 1)
            std::abort();
        reader.Close();
    }

    bool found = false;
    for (const brindle::options::Option& row : brindle::options::kOptions) {
        const std::u16string value = brindle::readConfigValue(path, u"[config]", row.key, &found);
        if (!found && !value.empty())
            std::abort();
    }
    // Every option read by its kind's rule; an integer stays within its range.
    brindle::RenameSettings options;
    brindle::LoadConfigOptions(options, path);
    for (const brindle::options::Option& row : brindle::options::kOptions) {
        if (row.kind == brindle::options::Kind::Integer &&
            (options.*row.integer < row.minimum || options.*row.integer > row.maximum))
            std::abort();
    }
    for (auto method : kMethods) {
        const auto table = brindle::readReplacementTable(path, method);
        if (!table)
            continue;
        const auto result = brindle::ApplyFilterMethod(u"My File (A)[!].zip", path, method);
        (void)result;
    }
    return 0;
}
