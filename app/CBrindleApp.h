#pragma once

#include <string>
#include <vector>

// The program: binds the credits library (status 1 without it), makes the program's folder
// the current directory, reads the command line and runs one modal dialog, the main dialog
// or, with arguments, the command-line dialog.
class CBrindleApp {
public:
    // The whole run; the process's exit status.
    int InitInstance(int& argc, char** argv);

    // The arguments as the system handed them over (argv after the program's path),
    // decoded with the name codec; command-line mode when there is at least one.
    void ReadCommandLine(int argc, const char* const* argv);

    std::u16string programFolder;  // the folder of /proc/self/exe, ending with '/'
    std::vector<std::u16string> arguments;
    bool commandLineMode = false;
};
