// The preview's benchmark: N files in one folder (FILE_nnnnnn.TXT, on /dev/shm unless
// told otherwise), previewed with a pattern that uses the counter and the old name.
//
//   brindle-bench-preview [--files N] [--dir DIR] [--runs R]
//
// 1. The whole plan (listing, natural order, names, conflict check) in the batch core,
//    the median of R runs, and the memory a plan keeps per item beyond its names.
// 2. The real Preview window under the offscreen platform, following R changes of the
//    name pattern typed into the main dialog: the time from the change until its first
//    screenful is painted, until the whole plan is shown, and the longest time the
//    user-interface thread did not get to run an event-loop latency probe (a timer every
//    2 ms) meanwhile.
// The figures print as "name value unit" lines. Timing is wall clock: on a shared machine
// they vary from run to run.
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/CBrindleDlg.h"
#include "app/CPreviewDlg.h"
#include "app/ControlIds.h"
#include "app/PreviewModel.h"
#include "app/QtText.h"
#include "app/tools/LatencyProbe.h"
#include "app/tools/ToolSupport.h"
#include "batch/BatchPlanner.h"
#include "platform/NameCodec.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Report(const char* name, double value, const char* unit) {
    std::printf("%-32s %10.1f %s\n", name, value, unit);
    std::fflush(stdout);
}

// Heap bytes in use, as the allocator counts its chunks.
std::size_t HeapInUse() {
    return mallinfo2().uordblks;
}

// The heap chunk of a name's characters, when it has one of its own.
std::size_t NameChunk(const std::u16string& name) {
    if (name.capacity() <= 7)  // held inside the string object itself
        return 0;
    return malloc_usable_size(const_cast<char16_t*>(name.data())) + sizeof(std::size_t);
}

long PeakRssKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void MakeFiles(const std::filesystem::path& folder, int count) {
    std::filesystem::create_directories(folder);
    char name[32];
    for (int i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "FILE_%06d.TXT", i);
        const std::string path = (folder / name).string();
        std::FILE* file = std::fopen(path.c_str(), "w");
        if (file)
            std::fclose(file);
    }
}

brindle::RenameSettings BenchOptions(const std::u16string& pattern) {
    brindle::RenameSettings options;
    options.namePattern = pattern;
    options.conversionMode = 1;
    return options;
}

void PlanInTheCore(const std::u16string& folder, int files, int runs) {
    const brindle::BatchSource source = brindle::BatchSource::Folder(folder);
    const brindle::PlanRequest request{source, BenchOptions(u"/O-/5"), {}, u"Brindle.ini"};
    std::vector<double> times;
    const long rssBefore = PeakRssKiB();
    for (int run = 0; run < runs; ++run) {
        brindle::Plan plan;
        const auto start = Clock::now();
        brindle::PlanWhole(request, plan);
        times.push_back(Ms(Clock::now() - start));
        if (plan.items.size() != static_cast<std::size_t>(files) || plan.summary.conflicts != 0) {
            std::fprintf(stderr, "unexpected plan: %zu items, %u conflicts\n", plan.items.size(),
                         plan.summary.conflicts);
            std::exit(1);
        }
    }
    Report("plan.whole.median", Median(times), "ms");
    Report("plan.whole.best", *std::min_element(times.begin(), times.end()), "ms");
    Report("plan.peak_rss_growth_per_item",
           static_cast<double>(PeakRssKiB() - rssBefore) * 1024.0 / files, "bytes");

    // What a plan keeps while it is shown.
    malloc_trim(0);
    const std::size_t before = HeapInUse();
    auto plan = std::make_unique<brindle::Plan>();
    brindle::PlanWhole(request, *plan);
    malloc_trim(0);
    const std::size_t after = HeapInUse();
    if (after <= before) {
        // A sanitizer's allocator keeps its own books.
        std::printf("plan.bytes_per_item              not measurable with this allocator\n");
        return;
    }
    const std::size_t held = after - before;
    std::size_t names = 0;
    for (const brindle::PlanItem& item : plan->items)
        names += NameChunk(item.oldName) + NameChunk(item.newName);
    Report("plan.bytes_per_item", static_cast<double>(held) / files, "bytes");
    Report("plan.bytes_per_item_beyond_names", static_cast<double>(held - names) / files, "bytes");
    Report("plan.item_struct", static_cast<double>(sizeof(brindle::PlanItem)), "bytes");
}

void PreviewWindow(const QString& folder, int files, int runs) {
    QTemporaryDir temp;
    const QString programFolder = temp.path() + QLatin1Char('/');
    brindle::tools::WriteProgramIni(programFolder, "[config]\n");
    QDir::setCurrent(programFolder);
    brindle::tools::ScriptedServices services(PathFromQt(folder));
    CBrindleDlg dialog(services, nullptr, brindle::PortableUserFiles(PathFromQt(programFolder)));
    dialog.show();
    brindle::tools::Ctl<QAbstractButton>(&dialog, ids::kToLowerCase)->click();
    auto* pattern = brindle::tools::Ctl<QLineEdit>(&dialog, ids::kNamePattern);
    pattern->setText(QStringLiteral("/O-/5"));
    brindle::tools::Ctl<QPushButton>(&dialog, ids::kPreview)->click();
    CPreviewDlg* preview = dialog.previewDlg();
    if (!preview) {
        std::fprintf(stderr, "no preview window\n");
        std::exit(1);
    }
    QEventLoop loop;
    bool complete = false;
    Clock::time_point changed;
    Clock::time_point firstShown;
    Clock::time_point wholeShown;
    bool sawFirst = false;
    QObject::connect(preview, &CPreviewDlg::planShown, [&](bool whole) {
        if (!sawFirst) {
            // The first screenful as the user sees it: painted, not only in the model.
            preview->list()->viewport()->repaint();
            firstShown = Clock::now();
            sawFirst = true;
        }
        if (whole) {
            wholeShown = Clock::now();
            complete = true;
            loop.quit();
        }
    });
    const auto waitForPlan = [&] {
        complete = false;
        sawFirst = false;
        changed = Clock::now();
    };
    waitForPlan();
    preview->SetSource(brindle::BatchSource::Folder(PathFromQt(folder)));
    if (!complete)
        loop.exec();
    if (preview->model()->rowCount() != files) {
        std::fprintf(stderr, "the preview shows %d rows\n", preview->model()->rowCount());
        std::exit(1);
    }

    std::vector<double> first;
    std::vector<double> whole;
    double worstStall = 0;
    brindle::tools::LatencyProbe probe;
    for (int run = 0; run < runs; ++run) {
        waitForPlan();
        probe.Start();
        // One key typed into the pattern: a change of an option like any other.
        pattern->setText(run % 2 == 0 ? QStringLiteral("x/O-/5") : QStringLiteral("/O-/5"));
        if (!complete)
            loop.exec();
        probe.Stop();
        first.push_back(Ms(firstShown - changed));
        whole.push_back(Ms(wholeShown - changed));
        // How late the probe's timer came at worst: the time beyond its interval.
        worstStall = std::max(worstStall, probe.longestGapMs() - probe.kIntervalMs);
    }
    Report("window.first_screenful.median", Median(first), "ms");
    Report("window.first_screenful.worst", *std::max_element(first.begin(), first.end()), "ms");
    Report("window.whole_plan.median", Median(whole), "ms");
    Report("window.ui_thread_longest_stall", worstStall, "ms");
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int files = 100000;
    int runs = 5;
    std::string dir = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--files") == 0)
            files = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--dir") == 0)
            dir = argv[i + 1];
        else if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::atoi(argv[i + 1]);
    }
    if (files <= 0 || runs <= 0) {
        std::fprintf(stderr, "usage: brindle-bench-preview [--files N] [--dir DIR] [--runs R]\n");
        return 2;
    }
    const std::filesystem::path folder =
        std::filesystem::path(dir) / ("brindle-preview-bench-" + std::to_string(::getpid()));
    MakeFiles(folder, files);
    Report("files", files, "");

    PlanInTheCore(brindle::DecodeName(folder.string()), files, runs);
    {
        QApplication application(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Brindle"));
        PreviewWindow(QString::fromStdString(folder.string()), files, runs);
    }
    std::filesystem::remove_all(folder);
    return 0;
}
