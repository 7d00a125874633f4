#pragma once

#include <string>
#include <string_view>

namespace brindle {

// The standard streams, or any descriptor a program is handed.

// Whether `fd` is a terminal.
bool IsTerminal(int fd);

// Writes all of `bytes` to `fd`, retrying after interruptions; 0 or errno.
int WriteAll(int fd, std::string_view bytes);

// One line from `fd`, without its '\n'. Read a byte at a time, so that nothing after the
// line is taken from the descriptor; it ends early at the end of the input or an error.
std::string ReadLine(int fd);

}  // namespace brindle
