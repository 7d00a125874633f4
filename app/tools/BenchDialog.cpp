// The dialog's batch for bench/run: the real main dialog under the offscreen platform,
// "To Lower Case" with the Output Log shown, "Choose Folder" answered with the folder.
//   brindle-bench-dialog --folder DIR
// Exits 0 once the batch has run, 1 when anything asked a person, 2 on bad usage. Standard
// error ends with how long the batch took, from the click until what it left queued for the
// windows was taken (the program's own start and end apart), and the longest the window's
// thread was kept from its events meanwhile:
//   batch: 812.4 ms
//   window thread longest wait: 12.3 ms (450 ticks)
// the longest gap between two firings of a timer every 2 ms, and how often it fired.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <optional>

#include "app/CBrindleDlg.h"
#include "app/ControlIds.h"
#include "app/QtText.h"
#include "app/tools/LatencyProbe.h"
#include "app/tools/ToolSupport.h"

using brindle::tools::Ctl;
using brindle::tools::ScriptedServices;

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brindle"));
    if (argc != 3 || std::strcmp(argv[1], "--folder") != 0) {
        std::fprintf(stderr, "usage: brindle-bench-dialog --folder DIR\n");
        return 2;
    }
    QString folder = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');

    // A program folder of its own, so that no configuration or log of a real one is used.
    QTemporaryDir temp;
    if (!temp.isValid())
        return 1;
    const QString programFolder = temp.path() + QLatin1Char('/');
    if (!brindle::tools::WriteProgramIni(programFolder,
                                         "[config]\nShow Log Window = 1\nWrite Log File = 0\n"))
        return 1;
    QDir::setCurrent(programFolder);

    ScriptedServices services(PathFromQt(folder));
    CBrindleDlg dialog(services, nullptr, brindle::PortableUserFiles(PathFromQt(programFolder)));
    dialog.show();
    auto* lower = Ctl<QRadioButton>(&dialog, ids::kToLowerCase);
    auto* showLog = Ctl<QCheckBox>(&dialog, ids::kShowLogWindow);
    auto* choose = Ctl<QPushButton>(&dialog, ids::kChooseFolder);
    if (lower == nullptr || showLog == nullptr || choose == nullptr)
        return 1;
    lower->setChecked(true);
    if (!showLog->isChecked())
        showLog->click();
    QApplication::processEvents();
    // The click returns once the batch's nested event loop has ended; the probe's timer
    // fires within that loop, on the window's thread, while the worker renames.
    brindle::tools::LatencyProbe probe;
    QElapsedTimer batch;
    probe.Start();
    batch.start();
    choose->click();
    // What the batch left queued for the windows is still its work.
    QApplication::processEvents();
    const double batchMs = static_cast<double>(batch.nsecsElapsed()) / 1e6;
    probe.Stop();
    std::fprintf(stderr, "batch: %.1f ms\n", batchMs);
    std::fprintf(stderr, "window thread longest wait: %.1f ms (%ld ticks)\n", probe.longestGapMs(),
                 probe.ticks());
    return services.boxes == 0 && !dialog.busy() ? 0 : 1;
}
