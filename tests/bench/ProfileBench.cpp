// Reading command-set values from a 300-section file through the profile store: from the cache (the
// usual case), with the file parsed again, and on the host's real file system.
#include "support/ProfileFile.h"

#include "bench/ProfileSample.h"
#include "fakes/FakeFileSystem.h"
#include "base/Text.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

using lm::bench::kSampleKeys;
using lm::bench::kSampleSections;

const std::wstring kFile = L"/bench/RemoteControl.ini";

struct Fixture {
    Fixture() { fs.Put(kFile, lm::bench::SampleProfile()); }
    lm::test::FakeFileSystem fs;
    lm::CProfileStore store{fs};
};

// The same spread of sections and keys in every benchmark.
struct Picks {
    std::wstring section[64], key[64];
    Picks() {
        for (int i = 0; i < 64; ++i) {
            section[i] = lm::bench::SampleSection((i * 37) % kSampleSections);
            key[i] = lm::bench::SampleKey((i * 11) % kSampleKeys);
        }
    }
};

void BM_ProfileGetStringCached(benchmark::State& state) {
    Fixture f;
    Picks p;
    size_t i = 0;
    for (auto _ : state) {
        std::wstring v = f.store.GetString(kFile, p.section[i & 63], p.key[i & 63]);
        benchmark::DoNotOptimize(v);
        ++i;
    }
}
BENCHMARK(BM_ProfileGetStringCached);

void BM_ProfileGetSectionCached(benchmark::State& state) {
    Fixture f;
    Picks p;
    size_t i = 0;
    for (auto _ : state) {
        auto pairs = f.store.GetSection(kFile, p.section[i++ & 63]);
        benchmark::DoNotOptimize(pairs);
    }
}
BENCHMARK(BM_ProfileGetSectionCached);

void BM_ProfileSectionNamesCached(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) {
        auto names = f.store.GetSectionNames(kFile, 16384);
        benchmark::DoNotOptimize(names);
    }
}
BENCHMARK(BM_ProfileSectionNamesCached);

// The first read after the file changed: read and parse the whole file.
void BM_ProfileParseAndRead(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) {
        f.store.Invalidate(kFile);
        std::wstring v = f.store.GetString(kFile, L"Application 150", L"160");
        benchmark::DoNotOptimize(v);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(f.fs.files[kFile].bytes.size()));
}
BENCHMARK(BM_ProfileParseAndRead)->Unit(benchmark::kMillisecond);

void BM_ProfileWriteString(benchmark::State& state) {
    Fixture f;
    int n = 0;
    for (auto _ : state)
        f.store.WriteString(kFile, L"Application 150", L"160", std::to_wstring(++n & 1023));
}
BENCHMARK(BM_ProfileWriteString)->Unit(benchmark::kMillisecond);

// Through the real file system: every read asks for the file's size and time.
void BM_ProfileGetStringOnDisk(benchmark::State& state) {
    std::string dir = (std::filesystem::temp_directory_path() / "lm_bench_XXXXXX").string();
    if (!::mkdtemp(dir.data())) {
        state.SkipWithError("no temporary folder");
        return;
    }
    std::string path = dir + "/RemoteControl.ini";
    std::ofstream(path, std::ios::binary) << lm::bench::SampleProfile();
    lm::CProfileStore store(lm::NativeFileSystem());
    std::wstring file = lm::FromUtf8(path);
    Picks p;
    size_t i = 0;
    for (auto _ : state) {
        std::wstring v = store.GetString(file, p.section[i & 63], p.key[i & 63]);
        benchmark::DoNotOptimize(v);
        ++i;
    }
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_ProfileGetStringOnDisk);

} // namespace
