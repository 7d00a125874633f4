#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/UserFiles.h"

namespace brindle::cli {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitItemFailed = 1;  // an item or an Undo record had an exception
inline constexpr int kExitFailure = 2;     // a usage error or a failure of the whole run

// The whole program on standard input, output and error; returns the exit status.
// `args` are the arguments after the program's name.
int RunCli(const std::vector<std::string>& args);

std::string HelpText();
// The end of the help: where the files lie, and which ones this run would use.
std::string FilesHelpText(const UserFiles& files);
std::string VersionText();

}  // namespace brindle::cli
