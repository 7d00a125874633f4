// The photo reader's benchmark: N small JPEGs, each with the Exif a camera writes (its own
// date taken), read as the engine reads them (open, fstat, ReadPhotoFacts, close), and,
// where jhead is installed, jhead renaming a copy of them by their dates for comparison.
//   brindle-bench-photo-facts [--files N] [--dir DIR] [--runs R]
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "platform/HeldFacts.h"

// The library's headers hand out std::auto_ptr, deprecated since C++11.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A camera's small JPEG: its Exif, then a frame and some 20 KB of scan data.
std::string TemplatePhoto(const fs::path& folder) {
    const fs::path path = folder / "template.jpg";
    std::string bytes(
        "\xFF\xD8\xFF\xC0\x00\x0B\x08\x00\x10\x00\x10\x01\x01\x11\x00"
        "\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00",
        25);
    bytes += std::string(20000, '\x55');
    bytes += "\xFF\xD9";
    std::ofstream(path, std::ios::binary) << bytes;
    Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(path.string());
    image->readMetadata();
    Exiv2::ExifData& exif = image->exifData();
    exif["Exif.Image.Make"] = "Canon";
    exif["Exif.Image.Model"] = "Canon EOS R5";
    exif["Exif.Image.DateTime"] = "2024:06:01 12:00:00";
    exif["Exif.Photo.DateTimeOriginal"] = "2024:06:01 10:00:00";
    exif["Exif.Photo.DateTimeDigitized"] = "2024:06:01 10:00:00";
    exif["Exif.Photo.SubSecTimeOriginal"] = "42";
    exif["Exif.Photo.ExposureTime"] = Exiv2::Rational(1, 250);
    exif["Exif.Photo.FNumber"] = Exiv2::Rational(28, 10);
    exif["Exif.Photo.ISOSpeedRatings"] = uint16_t(400);
    exif["Exif.Photo.FocalLength"] = Exiv2::Rational(35, 1);
    exif["Exif.Photo.LensModel"] = "RF24-105mm F4 L IS USM";
    exif["Exif.Photo.PixelXDimension"] = uint32_t(16);
    exif["Exif.Photo.PixelYDimension"] = uint32_t(16);
    image->writeMetadata();
    std::ifstream in(path, std::ios::binary);
    std::string photo((std::istreambuf_iterator<char>(in)), {});
    fs::remove(path);
    return photo;
}

// The template with a date taken of its own: a second later per file, so that jhead's
// names never collide.
void MakePhotos(const fs::path& folder, const std::string& photo, int count) {
    const std::size_t at = photo.find("2024:06:01 10:00:00");
    for (int i = 0; i < count; ++i) {
        std::string bytes = photo;
        char date[32];
        std::snprintf(date, sizeof date, "2024:06:01 %02d:%02d:%02d", 10 + i / 3600, i / 60 % 60,
                      i % 60);
        bytes.replace(at, 19, date, 19);
        char name[32];
        std::snprintf(name, sizeof name, "IMG_%06d.JPG", i);
        std::ofstream(folder / name, std::ios::binary) << bytes;
    }
}

struct Times {
    double wall = 0, cpu = 0;  // seconds; the CPU time is user + system
};

double ProcessCpu() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double Seconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) * 1e-6;
}

Times ReadAll(const fs::path& folder, const brindle::HeldFactsNeeds& needs, int& withDate) {
    std::vector<std::string> paths;
    for (const auto& entry : fs::directory_iterator(folder))
        paths.push_back(entry.path().string());
    withDate = 0;
    const double cpu = ProcessCpu();
    const auto start = Clock::now();
    for (const std::string& path : paths) {
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        struct stat info {};
        if (fd < 0 || fstat(fd, &info) != 0)
            continue;
        brindle::HeldFacts facts;
        if (brindle::ReadPhotoFacts(fd, static_cast<std::uint64_t>(info.st_size), needs, facts) &&
            !facts.taken.empty())
            ++withDate;
        close(fd);
    }
    return {std::chrono::duration<double>(Clock::now() - start).count(), ProcessCpu() - cpu};
}

// jhead renaming every photo of the folder by its date; negative when it could not run.
Times RunJhead(const fs::path& folder) {
    std::vector<std::string> arguments = {"jhead", "-q", "-n%Y%m%d_%H%M%S"};
    for (const auto& entry : fs::directory_iterator(folder))
        arguments.push_back(entry.path().string());
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    const auto start = Clock::now();
    // It says each rename on its standard output, even with -q.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, "jhead", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return {-1, -1};
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {-1, -1};
    return {seconds, Seconds(usage.ru_utime) + Seconds(usage.ru_stime)};
}

double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    int files = 10000, runs = 5;
    fs::path base = "/dev/shm";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--files")
            files = std::atoi(argv[i + 1]);
        else if (option == "--runs")
            runs = std::max(1, std::atoi(argv[i + 1]));
        else if (option == "--dir")
            base = argv[i + 1];
        else {
            std::cerr << "usage: brindle-bench-photo-facts [--files N] [--dir DIR] [--runs R]\n";
            return 2;
        }
    }
    brindle::PrepareHeldFactsReaders();
    const fs::path work = base / ("brindle-photo-bench-" + std::to_string(getpid()));
    fs::create_directories(work);
    const std::string photo = TemplatePhoto(work);
    brindle::HeldFactsNeeds needs;
    needs.photo = true;

    std::vector<double> reader, readerCpu, jhead, jheadCpu;
    int withDate = 0;
    for (int run = 0; run < runs; ++run) {
        const fs::path ours = work / "reader", theirs = work / "jhead";
        fs::create_directories(ours);
        fs::create_directories(theirs);
        MakePhotos(ours, photo, files);
        MakePhotos(theirs, photo, files);
        sync();
        const Times ourTimes = ReadAll(ours, needs, withDate);
        reader.push_back(ourTimes.wall);
        readerCpu.push_back(ourTimes.cpu);
        const Times theirTimes = RunJhead(theirs);
        if (theirTimes.wall >= 0) {
            jhead.push_back(theirTimes.wall);
            jheadCpu.push_back(theirTimes.cpu);
        }
        fs::remove_all(ours);
        fs::remove_all(theirs);
    }
    fs::remove_all(work);

    std::cout << files << " JPEGs of " << photo.size() << " bytes in " << base.string()
              << ", median of " << runs << " runs\n";
    std::cout << "ReadPhotoFacts (open, fstat, read, close): " << Median(reader) * 1000
              << " ms, CPU " << Median(readerCpu) * 1000 << " ms, "
              << Median(readerCpu) * 1e6 / files << " us CPU per file, " << withDate
              << " with a date\n";
    if (jhead.empty()) {
        std::cout << "jhead: not run (not installed, or it failed)\n";
    } else {
        std::cout << "jhead -n%Y%m%d_%H%M%S (reads and renames): " << Median(jhead) * 1000
                  << " ms, CPU " << Median(jheadCpu) * 1000 << " ms; the reader takes "
                  << Median(reader) / Median(jhead) << "x jhead's time, "
                  << Median(readerCpu) / Median(jheadCpu) << "x its CPU time\n";
    }
    return withDate == files ? 0 : 1;
}
