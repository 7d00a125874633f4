#pragma once

// The log's lines as its writer forms them, for tests that write a log by hand or look
// for records in one.

#include <string>

namespace brindle::testing {

inline std::string Line(const std::string& text) {
    return text + "\r\n";
}

inline const std::string kSeparator(43, '-');
inline const std::string kHeader = Line("Version=3.7");

inline std::string Pair(const std::string& oldDirectory, const std::string& newDirectory) {
    return Line("Old Directory=" + oldDirectory) + Line("New Directory=" + newDirectory);
}
inline std::string Record(const std::string& oldName, const std::string& newName) {
    return Line("Old File=" + oldName) + Line("New File=" + newName) + Line(kSeparator);
}

}  // namespace brindle::testing
