// Reading command-set values from a 300-section file through the profile store: from the cache (the usual
// case), with the file parsed again, written, and on the host's real file system.
#include "support/ProfileFile.h"

#include "bench/ProfileSample.h"
#include "fakes/FakeFileSystem.h"
#include "base/Text.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

namespace {

const std::wstring kFile = L"/bench/RemoteControl.ini";

struct Fixture {
    Fixture() {
        fs.Put(kFile, lm::bench::SampleProfile());
        for (int i = 0; i < 64; ++i) {
            section[i] = lm::bench::SampleSection((i * 37) % lm::bench::kSampleSections);
            key[i] = lm::bench::SampleKey((i * 11) % lm::bench::kSampleKeys);
        }
    }
    lm::test::FakeFileSystem fs;
    lm::CProfileStore store{fs};
    std::wstring section[64], key[64];
    size_t i = 0;
};

void BM_ProfileGetString(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) {
        ++f.i;
        benchmark::DoNotOptimize(f.store.GetString(kFile, f.section[f.i & 63], f.key[f.i & 63]));
    }
}
BENCHMARK(BM_ProfileGetString);

void BM_ProfileGetSection(benchmark::State& state) {
    Fixture f;
    for (auto _ : state)
        benchmark::DoNotOptimize(f.store.GetSection(kFile, f.section[++f.i & 63]));
}
BENCHMARK(BM_ProfileGetSection);

// The first read after the file changed: read and parse the whole file.
void BM_ProfileParseAndRead(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) {
        f.store.Invalidate(kFile);
        benchmark::DoNotOptimize(f.store.GetString(kFile, L"Application 150", L"160"));
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

// Through the real file system: every read looks at the file's size and time.
void BM_ProfileGetStringOnDisk(benchmark::State& state) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "lm_bench_profile.ini";
    std::ofstream(path, std::ios::binary) << lm::bench::SampleProfile();
    Fixture f;
    lm::CProfileStore store(lm::NativeFileSystem());
    const std::wstring file = lm::FromUtf8(path.string());
    for (auto _ : state) {
        ++f.i;
        benchmark::DoNotOptimize(store.GetString(file, f.section[f.i & 63], f.key[f.i & 63]));
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_ProfileGetStringOnDisk);

} // namespace
