// Cost of putting a folder's listing into order before a batch: the sort that runs once
// per folder, over names as the benchmark's folder holds them and over a mixed folder.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "engine/NaturalOrder.h"
#include "platform/FileSystem.h"

namespace {

// FILE_000000.TXT ..., shuffled as a hashed directory lists them.
std::vector<std::u16string> NumberedFiles(std::size_t count) {
    std::vector<std::u16string> entries;
    char name[32];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "FILE_%06zu.TXT", i);
        entries.emplace_back(name, name + std::char_traits<char>::length(name));
    }
    std::shuffle(entries.begin(), entries.end(), std::mt19937(1));
    return entries;
}

// Photos, songs, documents and downloads: mixed case, numbers in several places, spaces,
// accented Latin and Cyrillic.
std::vector<std::u16string> MixedFiles(std::size_t count) {
    const std::u16string stems[] = {u"IMG_",    u"img_",        u"DSC",    u"Track ",
                                    u"report-", u"Über Größe ", u"фото ",  u"Screenshot ",
                                    u"invoice", u"Отчёт_",      u"Scan (", u"notes v"};
    const std::u16string extensions[] = {u".JPG", u".jpg", u".mp3", u".pdf", u".docx", u".txt"};
    std::mt19937 random(2);
    std::uniform_int_distribution<std::size_t> stem(0, std::size(stems) - 1);
    std::uniform_int_distribution<std::size_t> extension(0, std::size(extensions) - 1);
    std::uniform_int_distribution<int> number(0, 99999);
    std::vector<std::u16string> entries;
    for (std::size_t i = 0; i < count; ++i) {
        std::u16string name = stems[stem(random)];
        const std::string digits = std::to_string(number(random));
        name.append(digits.begin(), digits.end());
        if (i % 3 == 0)
            name += u" - copy";
        if (i % 5 == 0) {
            const std::string more = "-" + std::to_string(number(random) % 12);
            name.append(more.begin(), more.end());
        }
        name += extensions[extension(random)];
        entries.push_back(std::move(name));
    }
    return entries;
}

void SortEntries(benchmark::State& state, std::vector<std::u16string> (*make)(std::size_t),
                 brindle::NameOrder order) {
    const std::vector<std::u16string> names = make(static_cast<std::size_t>(state.range(0)));
    brindle::FolderListing entries;
    for (auto _ : state) {
        state.PauseTiming();
        // The last round's entries are freed, and the new ones made in listing order as
        // a listing makes them.
        entries = brindle::FolderListing(names.size());
        for (const std::u16string& name : names)
            entries.Add(name, false, 0);
        state.ResumeTiming();
        brindle::OrderFolderEntries(entries, order);
        benchmark::DoNotOptimize(entries.begin());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK_CAPTURE(SortEntries, numberedNatural, NumberedFiles, brindle::NameOrder::Natural)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SortEntries, numberedBytes, NumberedFiles, brindle::NameOrder::Bytes)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SortEntries, mixedNatural, MixedFiles, brindle::NameOrder::Natural)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SortEntries, mixedBytes, MixedFiles, brindle::NameOrder::Bytes)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

void SortKeys(benchmark::State& state) {
    const std::vector<std::u16string> names = MixedFiles(1000);
    for (auto _ : state) {
        for (const std::u16string& name : names) {
            std::string key = brindle::NaturalSortKey(name);
            benchmark::DoNotOptimize(key);
        }
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(SortKeys);

}  // namespace
