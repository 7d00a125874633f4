// Per-name cost of the case conversions, the pattern creator and the regular expressions,
// the stages that run for every item of a batch.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <utility>

#include "engine/CaseConversion.h"
#include "engine/NameChain.h"

namespace {

const std::u16string kName = u"my holiday photos (summer 2019)_best of.part_01.JPEG";

void BM_Conversion(benchmark::State& state) {
    const int mode = static_cast<int>(state.range(0));
    for (auto _ : state) {
        std::u16string converted = brindle::ApplyConversion(mode, kName);
        benchmark::DoNotOptimize(converted);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Conversion)->DenseRange(brindle::kNoConversion, brindle::kUpperLetter);

// One chain made from `options`, naming the same item in every iteration.
void NameEveryIteration(benchmark::State& state, const brindle::RenameSettings& options,
                        brindle::NamePattern pattern) {
    const brindle::NameChain chain(options, nullptr, std::move(pattern));
    brindle::NameCounters counters;
    const brindle::ItemFacts item(u"/home/user/Pictures/Summer/", kName);
    for (auto _ : state) {
        std::u16string name = chain.NewName(item, counters);
        benchmark::DoNotOptimize(name);
    }
    state.SetItemsProcessed(state.iterations());
}

// The pattern as a batch runs it for each item: parsed once, built for every name.
void BM_PatternCreator(benchmark::State& state, const char16_t* pattern) {
    brindle::RenameSettings options;
    options.namePattern = pattern;
    NameEveryIteration(state, options, brindle::ParseNamePattern(options.namePattern).pattern);
}
BENCHMARK_CAPTURE(BM_PatternCreator, literal, u"Holiday photo");
BENCHMARK_CAPTURE(BM_PatternCreator, nameNumberLetter, u"/O - /4/C");
BENCHMARK_CAPTURE(BM_PatternCreator, folderAndNumber, u"/D_/9_/D_/0");

// The replace stage as a regular expression: compiled once, matched for every name.
void BM_RegexReplace(benchmark::State& state, const char16_t* what, const char16_t* with) {
    brindle::RenameSettings options;
    options.regularExpression = true;
    options.replaceWhat = what;
    options.replaceWith = with;
    NameEveryIteration(state, options, brindle::NamePattern());
}
BENCHMARK_CAPTURE(BM_RegexReplace, anchoredNoMatch, u"^FILE_(\\d+)", u"file-$1");
BENCHMARK_CAPTURE(BM_RegexReplace, everyWord, u"(\\w)(\\w*)", u"\\u$1$2");
BENCHMARK_CAPTURE(BM_RegexReplace, emptyMatches, u"x*", u"-");

}  // namespace

BENCHMARK_MAIN();
