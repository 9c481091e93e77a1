// The key path on the fake desktop with real threads: from a receiver code handed to the source to the
// last input record of the keystroke, over 10,000 keys, with the application's window cached by the
// handler and searched for anew. The median and the 99th percentile are the counters.
#include "bench/KeyTiming.h"

#include "fakes/FakeDisplay.h"
#include "fakes/FakeKnownFolders.h"
#include "fakes/FakeSound.h"
#include "support/LMDebug.h"

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

void BM_KeyPath(benchmark::State& state) {
    lm::CLMTraceProcess attach(3);
    lm::test::FakeExecSystem fake;
    lm::test::FakeStrings strings;
    lm::test::FakeDisplay display;
    lm::test::FakeSound sound;
    lm::test::FakeKnownFolders folders;
    for (uint32_t pid = 1; pid <= 20; ++pid) { // the application's window below 19 others
        fake.processes.images[pid] = lm::FormatBounded(64, L"C:\\Apps\\app%u.exe", pid);
        fake.windows.Add(lm::FormatBounded(64, L"Window %u", pid), L"C", pid);
    }
    fake.windows.foreground = fake.windows.topLevel.back();
    lm::bench::KeyTimer timer({fake.windows, fake.input, fake.processes, fake.shell,
                               lm::NativePlatform().clock, lm::NativePlatform().threads, fake.audio,
                               fake.power, fake.warning, strings},
                              &display, sound, folders, L"app20.exe");
    std::vector<double> times(10000);
    for (auto _ : state)
        for (double& t : times)
            t = timer.Key(state.range(0) != 0);
    std::sort(times.begin(), times.end());
    state.counters["p50_us"] = times[times.size() / 2];
    state.counters["p99_us"] = times[times.size() * 99 / 100];
    state.counters["max_us"] = times.back();
}
BENCHMARK(BM_KeyPath)->ArgName("cached")->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
