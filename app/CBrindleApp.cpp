#include "app/CBrindleApp.h"

#include <QApplication>

#include <vector>

#include "app/AppResources.h"
#include "app/CBrindleDlg.h"
#include "app/CSimpleBrindle.h"
#include "app/CreditsLibrary.h"
#include "app/DesktopServices.h"
#include "app/FileManagerActions.h"
#include "app/QtDesktopServices.h"
#include "batch/Messages.h"
#include "engine/PathParts.h"
#include "platform/Descriptors.h"
#include "platform/FileSystem.h"
#include "platform/NameCodec.h"
#include "platform/UserFiles.h"

namespace {

constexpr std::u16string_view kPreviewSwitch = u"--preview";
constexpr std::u16string_view kInstallActionsSwitch = u"--install-file-manager-actions";

}  // namespace

void CBrindleApp::ReadCommandLine(int argc, const char* const* argv,
                                  std::u16string_view startFolder) {
    arguments.clear();
    previewPaths.clear();
    for (int i = 1; i < argc; ++i)
        arguments.push_back(brindle::DecodeName(argv[i]));
    previewMode = !arguments.empty() && arguments.front() == kPreviewSwitch;
    installActions = arguments.size() == 1 && arguments.front() == kInstallActionsSwitch;
    commandLineMode = !arguments.empty() && !previewMode && !installActions;
    if (!previewMode)
        return;
    for (auto path = arguments.begin() + 1; path != arguments.end(); ++path) {
        // An empty argument names nothing; a drop would pass it over too.
        if (!path->empty())
            previewPaths.push_back(brindle::AbsolutePath(*path, startFolder));
    }
}

brindle::BatchSource CBrindleApp::PreviewSource() const {
    if (previewPaths.size() == 1 && brindle::IsFolder(previewPaths.front()))
        return brindle::BatchSource::Folder(previewPaths.front());
    return brindle::BatchSource::Drop(previewPaths);
}

int CBrindleApp::InitInstance(int& argc, char** argv) {
    // Before any window: without the credits library the program does not run.
    const brindle::CreditsLibrary credits;
    if (!credits.IsLoaded()) {
        // Before any window: standard error is the only place to say why it ends.
        brindle::WriteAll(2, "brindle: " + credits.error() + "\n");
        return 1;
    }
    // The arguments as the system handed them over, before Qt looks at them; relative paths
    // are taken from the folder the program was started in, before it changes below.
    const std::vector<const char*> systemArguments(argv, argv + argc);
    ReadCommandLine(static_cast<int>(systemArguments.size()), systemArguments.data(),
                    brindle::CurrentFolder());
    if (installActions) {
        // No window: it works without a display.
        const brindle::ActionsReport report = brindle::InstallFileManagerActions(
            brindle::ProgramPath(), brindle::ProcessEnvironment());
        brindle::WriteAll(1, brindle::EncodeName(report.written));
        brindle::WriteAll(2, brindle::EncodeName(report.problems));
        return report.status;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf16(brindle::kApplicationName));
    QApplication::setWindowIcon(AppIcon());

    programFolder = brindle::ProgramFolder();
    // Goes on when this fails: the bare file names then resolve wherever we are.
    if (!programFolder.empty())
        brindle::SetCurrentFolder(programFolder);

    QtDesktopServices services;
    CBrindleDlg mainDialog(
        services, [&credits](const std::u16string& text) { credits.ShowAbout(text); },
        brindle::LocateUserFiles(programFolder, brindle::ProcessEnvironment()));
    CSimpleBrindle commandLineDialog(services, arguments);
    if (commandLineMode) {
        commandLineDialog.exec();
        return 0;
    }
    if (previewMode && !previewPaths.empty()) {
        // The dialog opens first, with its options, and the Preview over the items beside it.
        mainDialog.show();
        mainDialog.PreviewItems(PreviewSource());
    }
    mainDialog.exec();
    return 0;
}
