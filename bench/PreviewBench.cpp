// The preview's benchmark: N files in one folder (FILE_nnnnnn.TXT, on /dev/shm unless
// told otherwise), previewed with a pattern that uses the counter and the old name, and
// P photos (IMG_0001.JPG, ..., as bench/run makes them) previewed with their date taken.
//
//   brindle-bench-preview [--files N] [--photos P] [--dir DIR] [--runs R]
//
// 1. The whole plan (listing, natural order, names, conflict check) in the batch core,
//    the median of R runs, and the memory a plan keeps per item beyond its names.
// 2. The real Preview window under the offscreen platform, following R changes of the
//    name pattern typed into the main dialog: the time from the change until its first
//    screenful is painted, until the whole plan is shown, and the longest time the
//    user-interface thread did not get to run an event-loop latency probe (a timer every
//    2 ms) meanwhile.
// 3. The same window over P photos just made (so in the page cache, and new to Brindle's
//    own cache of what files hold), R times on a new folder each time: the pattern
//    changes from one that reads nothing inside the files to {taken:%Y%m%d_%H%M%S}, each
//    file read for the first time, then to {taken:%Y}-/3, every date already read. For
//    each change, the time until its first screenful is painted and until the whole plan
//    is shown; the targets are 100 ms and 1 s. Each plan's names are checked against the
//    dates the photos were made with.
// The figures print as "name value unit" lines. Timing is wall clock: on a shared machine
// they vary from run to run. --files 0 or --photos 0 leaves that part out. The exit
// status is 1 when the photos' names were not the ones expected.
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
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/CBrindleDlg.h"
#include "app/CPreviewDlg.h"
#include "app/ControlIds.h"
#include "app/PreviewModel.h"
#include "app/QtText.h"
#include "app/tools/LatencyProbe.h"
#include "app/tools/ToolSupport.h"
#include "batch/BatchPlanner.h"
#include "bench/PhotoFiles.h"
#include "platform/NameCodec.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Waits for the Preview's plans after a change, and notes when the first screenful and
// the whole plan were shown.
class PlanWatch {
public:
    explicit PlanWatch(CPreviewDlg* preview) {
        QObject::connect(preview, &CPreviewDlg::planShown, &loop_, [this, preview](bool whole) {
            if (!sawFirst_) {
                // The first screenful as the user sees it: painted, not only in the model.
                preview->list()->viewport()->repaint();
                firstShown_ = Clock::now();
                sawFirst_ = true;
            }
            if (whole) {
                wholeShown_ = Clock::now();
                complete_ = true;
                loop_.quit();
            }
        });
    }
    // A change begins: its times count from now.
    void Start() {
        complete_ = false;
        sawFirst_ = false;
        changed_ = Clock::now();
    }
    // Until the change's whole plan is shown.
    void Wait() {
        if (!complete_)
            loop_.exec();
    }
    double firstMs() const { return Ms(firstShown_ - changed_); }
    double wholeMs() const { return Ms(wholeShown_ - changed_); }

private:
    QEventLoop loop_;
    bool complete_ = false;
    bool sawFirst_ = false;
    Clock::time_point changed_;
    Clock::time_point firstShown_;
    Clock::time_point wholeShown_;
};

double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Report(const char* name, double value, const char* unit) {
    std::printf("%-36s %10.1f %s\n", name, value, unit);
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
        std::printf("plan.bytes_per_item                  not measurable with this allocator\n");
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
    PlanWatch watch(preview);
    watch.Start();
    preview->SetSource(brindle::BatchSource::Folder(PathFromQt(folder)));
    watch.Wait();
    if (preview->model()->rowCount() != files) {
        std::fprintf(stderr, "the preview shows %d rows\n", preview->model()->rowCount());
        std::exit(1);
    }

    std::vector<double> first;
    std::vector<double> whole;
    double worstStall = 0;
    brindle::tools::LatencyProbe probe;
    for (int run = 0; run < runs; ++run) {
        watch.Start();
        probe.Start();
        // One key typed into the pattern: a change of an option like any other.
        pattern->setText(run % 2 == 0 ? QStringLiteral("x/O-/5") : QStringLiteral("/O-/5"));
        watch.Wait();
        probe.Stop();
        first.push_back(watch.firstMs());
        whole.push_back(watch.wholeMs());
        // How late the probe's timer came at worst: the time beyond its interval.
        worstStall = std::max(worstStall, probe.longestGapMs() - probe.kIntervalMs);
    }
    Report("window.first_screenful.median", Median(first), "ms");
    Report("window.first_screenful.worst", *std::max_element(first.begin(), first.end()), "ms");
    Report("window.whole_plan.median", Median(whole), "ms");
    Report("window.ui_thread_longest_stall", worstStall, "ms");
}

// The number of a photo made here, from its name ("IMG_0001.JPG": 1); -1 for any other.
int PhotoNumber(const std::u16string& name) {
    if (name.size() < 9 || name.compare(0, 4, u"IMG_") != 0)
        return -1;
    int number = 0;
    for (std::size_t i = 4; i < name.size() && name[i] != u'.'; ++i) {
        if (name[i] < u'0' || name[i] > u'9')
            return -1;
        number = number * 10 + (name[i] - u'0');
    }
    return number;
}

// A name as text: the photos' names are ASCII, any other character shows as '?'.
std::string Narrow(const std::u16string& text) {
    std::string out;
    for (const char16_t c : text)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

// How many of the plan's photos did not get a new name that begins as `expected` says
// (with the first of them in `example`), or every photo when the plan lacks some.
int NamesAmiss(const brindle::Plan& plan, int photos,
               const std::function<std::string(int)>& expected, std::string& example) {
    if (plan.items.size() != static_cast<std::size_t>(photos)) {
        example = std::to_string(plan.items.size()) + " rows";
        return photos;
    }
    int amiss = 0;
    for (const brindle::PlanItem& item : plan.items) {
        const int number = PhotoNumber(item.oldName);
        const std::string name = Narrow(item.newName);
        if (number > 0 && name.rfind(expected(number), 0) == 0)
            continue;
        if (amiss++ == 0)
            example = Narrow(item.oldName) + " -> '" + name + "', not beginning with '" +
                      expected(number) + "'";
    }
    return amiss;
}

// The Preview over photos: a pattern change that reads every file's date taken for the
// first time, then one that finds them all read already. False when the names were not
// the ones expected (a build without {taken}, or whose readers give no value).
bool PhotoPreview(const std::filesystem::path& base, int photos, int runs) {
    QTemporaryDir temp;
    const QString programFolder = temp.path() + QLatin1Char('/');
    brindle::tools::WriteProgramIni(programFolder, "[config]\n");
    QDir::setCurrent(programFolder);
    brindle::tools::ScriptedServices services(PathFromQt(QString::fromStdString(base.string())));
    CBrindleDlg dialog(services, nullptr, brindle::PortableUserFiles(PathFromQt(programFolder)));
    dialog.show();
    auto* withoutExtension = brindle::tools::Ctl<QAbstractButton>(&dialog, ids::kWithoutExtension);
    if (!withoutExtension->isChecked())
        withoutExtension->click();
    // A pattern that reads nothing inside the files, before each new folder.
    const QString plain = QStringLiteral("/O");
    const QString taken = QStringLiteral("{taken:%Y%m%d_%H%M%S}");
    const QString year = QStringLiteral("{taken:%Y}-/3");
    auto* pattern = brindle::tools::Ctl<QLineEdit>(&dialog, ids::kNamePattern);
    pattern->setText(plain);
    brindle::tools::Ctl<QPushButton>(&dialog, ids::kPreview)->click();
    CPreviewDlg* preview = dialog.previewDlg();
    if (!preview) {
        std::fprintf(stderr, "no preview window\n");
        std::exit(1);
    }

    PlanWatch watch(preview);
    brindle::tools::LatencyProbe probe;
    double worstStall = 0;
    // Makes the change and waits for its whole plan: (first screenful, whole plan) in ms,
    // the latency probe running meanwhile.
    const auto timed = [&](const std::function<void()>& change) {
        probe.Start();
        watch.Start();
        change();
        watch.Wait();
        probe.Stop();
        worstStall = std::max(worstStall, probe.longestGapMs() - probe.kIntervalMs);
        return std::make_pair(watch.firstMs(), watch.wholeMs());
    };

    std::vector<double> coldFirst;
    std::vector<double> coldWhole;
    std::vector<double> warmFirst;
    std::vector<double> warmWhole;
    std::vector<double> stalls;
    int amiss = 0;
    std::string example;
    const auto check = [&](const std::function<std::string(int)>& expected) {
        std::string first = "no plan";
        const auto& plan = preview->model()->plan();
        const int count = plan ? NamesAmiss(*plan, photos, expected, first) : photos;
        if (count > 0 && amiss == 0)
            example = first;
        amiss += count;
    };
    std::filesystem::path previous;
    for (int run = 0; run < runs; ++run) {
        // Files Brindle has never read, in the page cache since they were just written.
        const std::filesystem::path folder = base / ("photos-" + std::to_string(run));
        if (!brindle::bench::MakePhotos(folder, photos)) {
            std::fprintf(stderr, "could not make the photos in %s\n", folder.c_str());
            std::exit(1);
        }
        ::sync();
        // Untimed: back to the plain pattern, then the new folder.
        if (pattern->text() != plain)
            timed([&] { pattern->setText(plain); });
        timed([&] {
            preview->SetSource(brindle::BatchSource::Folder(brindle::DecodeName(folder.string())));
        });
        if (!previous.empty())
            std::filesystem::remove_all(previous);
        previous = folder;

        worstStall = 0;
        const auto cold = timed([&] { pattern->setText(taken); });
        check([](int number) { return brindle::bench::PhotoStamp(number) + ".JPG"; });
        const auto warm = timed([&] { pattern->setText(year); });
        check([](int number) { return brindle::bench::PhotoStamp(number).substr(0, 4) + "-"; });
        coldFirst.push_back(cold.first);
        coldWhole.push_back(cold.second);
        warmFirst.push_back(warm.first);
        warmWhole.push_back(warm.second);
        stalls.push_back(worstStall);
    }
    std::filesystem::remove_all(previous);

    Report("photos.cold.first_screenful.median", Median(coldFirst), "ms");
    Report("photos.cold.whole_plan.median", Median(coldWhole), "ms");
    Report("photos.warm.first_screenful.median", Median(warmFirst), "ms");
    Report("photos.warm.whole_plan.median", Median(warmWhole), "ms");
    Report("photos.cold.whole_plan.worst", *std::max_element(coldWhole.begin(), coldWhole.end()),
           "ms");
    Report("photos.ui_thread_longest_stall", *std::max_element(stalls.begin(), stalls.end()), "ms");
    // The targets, on the medians, for a change that reads the files and one that does not.
    const auto target = [](const char* what, double cold, double warm, double limit) {
        std::printf("target photos %s <= %.0f ms: cold %.1f ms, warm %.1f ms: %s\n", what, limit,
                    cold, warm, cold <= limit && warm <= limit ? "met" : "NOT met");
    };
    target("first screenful", Median(coldFirst), Median(warmFirst), 100);
    target("whole plan", Median(coldWhole), Median(warmWhole), 1000);
    if (amiss > 0) {
        std::printf(
            "check photos: %d of %d new names not as expected (%s): this build's {taken} "
            "gave no date, so these times do not include reading the photos\n",
            amiss, 2 * runs * photos, example.c_str());
    } else {
        std::printf("check photos: every new name as expected\n");
    }
    std::fflush(stdout);
    return amiss == 0;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int files = 100000;
    int photos = 10000;
    int runs = 5;
    std::string dir = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--files") == 0)
            files = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--photos") == 0)
            photos = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--dir") == 0)
            dir = argv[i + 1];
        else if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::atoi(argv[i + 1]);
    }
    if (files < 0 || photos < 0 || files + photos == 0 || runs <= 0) {
        std::fprintf(
            stderr,
            "usage: brindle-bench-preview [--files N] [--photos P] [--dir DIR] [--runs R]\n");
        return 2;
    }
    const std::filesystem::path folder =
        std::filesystem::path(dir) / ("brindle-preview-bench-" + std::to_string(::getpid()));
    if (files > 0) {
        MakeFiles(folder, files);
        Report("files", files, "");
        PlanInTheCore(brindle::DecodeName(folder.string()), files, runs);
    }
    bool namesRight = true;
    {
        QApplication application(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Brindle"));
        if (files > 0)
            PreviewWindow(QString::fromStdString(folder.string()), files, runs);
        if (photos > 0) {
            Report("photos", photos, "");
            namesRight = PhotoPreview(folder, photos, runs);
        }
    }
    std::filesystem::remove_all(folder);
    return namesRight ? 0 : 1;
}
