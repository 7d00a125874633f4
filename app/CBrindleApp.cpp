#include "app/CBrindleApp.h"

#include <QApplication>

#include <vector>

#include "app/AppResources.h"
#include "app/CBrindleDlg.h"
#include "app/CSimpleBrindle.h"
#include "app/CreditsLibrary.h"
#include "app/DesktopServices.h"
#include "app/QtDesktopServices.h"
#include "batch/Messages.h"
#include "platform/Descriptors.h"
#include "platform/FileSystem.h"
#include "platform/NameCodec.h"
#include "platform/UserFiles.h"

void CBrindleApp::ReadCommandLine(int argc, const char* const* argv) {
    arguments.clear();
    for (int i = 1; i < argc; ++i)
        arguments.push_back(brindle::DecodeName(argv[i]));
    commandLineMode = !arguments.empty();
}

int CBrindleApp::InitInstance(int& argc, char** argv) {
    // Before any window: without the credits library the program does not run.
    const brindle::CreditsLibrary credits;
    if (!credits.IsLoaded()) {
        // Before any window: standard error is the only place to say why it ends.
        brindle::WriteAll(2, "brindle: " + credits.error() + "\n");
        return 1;
    }
    // The arguments as the system handed them over, before Qt looks at them.
    const std::vector<const char*> systemArguments(argv, argv + argc);

    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf16(brindle::kApplicationName));
    QApplication::setWindowIcon(AppIcon());

    programFolder = brindle::ProgramFolder();
    // Goes on when this fails: the bare file names then resolve wherever we are.
    if (!programFolder.empty())
        brindle::SetCurrentFolder(programFolder);

    ReadCommandLine(static_cast<int>(systemArguments.size()), systemArguments.data());

    QtDesktopServices services;
    CBrindleDlg mainDialog(
        services, [&credits](const std::u16string& text) { credits.ShowAbout(text); },
        brindle::LocateUserFiles(programFolder, brindle::ProcessEnvironment()));
    CSimpleBrindle commandLineDialog(services, arguments);
    if (commandLineMode)
        commandLineDialog.exec();
    else
        mainDialog.exec();
    return 0;
}
