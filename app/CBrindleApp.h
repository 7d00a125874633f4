#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "batch/BatchPlanner.h"

// The program: binds the credits library (status 1 without it), makes the program's folder
// the current directory, reads the command line and runs one modal dialog, the main dialog
// or, with arguments, the command-line dialog. "--preview PATH..." opens the main dialog
// with the Preview over those items (what a file manager's action hands over), and
// "--install-file-manager-actions" writes the user's file-manager actions and opens no
// window at all.
class CBrindleApp {
public:
    // The whole run; the process's exit status.
    int InitInstance(int& argc, char** argv);

    // The arguments as the system handed them over (argv after the program's path),
    // decoded with the name codec; command-line mode when there is at least one and the
    // first is none of the program's switches. After "--preview" every argument is a path,
    // made absolute against `startFolder` (the folder the program was started in).
    void ReadCommandLine(int argc, const char* const* argv, std::u16string_view startFolder = u"/");

    // What the Preview opens over: one folder as "Choose Folder" on it, anything else as
    // a drop. Empty without preview paths.
    brindle::BatchSource PreviewSource() const;

    std::u16string programFolder;  // the folder of /proc/self/exe, ending with '/'
    std::vector<std::u16string> arguments;
    bool commandLineMode = false;
    // "--preview": the main dialog opens with the Preview over `previewPaths`, when there
    // are any.
    bool previewMode = false;
    std::vector<std::u16string> previewPaths;
    // "--install-file-manager-actions".
    bool installActions = false;
};
