// The key path on the fake desktop with real threads: from a receiver code handed to the source to the
// last input record of the keystroke, over 10,000 keys, with the application's window cached by the
// handler and searched for anew. The median and the 99th percentile are the counters.
#include "bench/KeyPathRig.h"

#include "fakes/FakeDesktop.h"
#include "fakes/FakeDisplay.h"
#include "fakes/FakeExecServices.h"
#include "fakes/FakeSound.h"
#include "support/LMDebug.h"

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

void BM_KeyPath(benchmark::State& state) {
    lm::CLMTraceProcess attach(3);
    lm::test::FakeWindows windows;
    lm::test::FakeInput input{&windows};
    lm::test::FakeProcesses processes;
    lm::test::FakeShell shell;
    lm::test::FakeAudio audio;
    lm::test::FakePower power;
    lm::test::FakeShutdownWarning warning;
    lm::test::FakeStrings strings;
    lm::test::FakeDisplay display;
    lm::test::FakeSound sound;
    lm::test::FakeKnownFolders rigFolders;
    for (uint32_t pid = 1; pid <= 20; ++pid) { // the application's window below 19 others
        processes.images[pid] = lm::FormatBounded(64, L"C:\\Apps\\app%u.exe", pid);
        windows.Add(lm::FormatBounded(64, L"Window %u", pid), L"C", pid);
    }
    windows.foreground = windows.topLevel.back();
    lm::bench::KeyPathRig rig({windows, input, processes, shell, lm::NativePlatform().clock,
                               lm::NativePlatform().threads, audio, power, warning, strings},
                              L"app20.exe", &display, sound, rigFolders);
    std::vector<double> times(10000);
    for (auto _ : state)
        for (double& t : times)
            t = rig.Key(state.range(0) != 0);
    std::sort(times.begin(), times.end());
    state.counters["p50_us"] = times[times.size() / 2];
    state.counters["p99_us"] = times[times.size() * 99 / 100];
    state.counters["max_us"] = times.back();
}
BENCHMARK(BM_KeyPath)->ArgName("cached")->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
