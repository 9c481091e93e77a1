// Cost of one receiver code on the key path, and the processor time of an idle polling source.
#include "fakes/FakeIrDevice.h"
#include "platform/Platform.h"
#include "receivers/SrcRcVistar.h"
#include "support/LMDebug.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

std::atomic<int64_t> gDelivered{0};

int32_t CountKey(void*, const lm::tagIREVENT* event) {
    gDelivered.fetch_add(event->keyId >= 0 ? 1 : 0, std::memory_order_relaxed);
    return 1;
}

double ProcessCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto ms = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// A device source whose receiver reports a new key at every read: each code passes the repeat filter,
// is mapped and reaches the callback. Tracing is attached at the program's default verbosity.
void BM_CodeThroughFilterMappingAndCallback(benchmark::State& state) {
    lm::CLMTraceProcess attach(3);
    lm::test::FakeIrBus bus;
    bus.installed = {L"Vistar S USB"};
    uint32_t n = 0;
    bus.replyFn = [&n] { return ++n % 2 ? 0x0Cu : 0x02u; };
    lm::test::FakeIrDevices devices{bus};
    lm::tagSRCSERVICES services{lm::NativePlatform().clock, lm::NativePlatform().threads, nullptr};
    lm::CSrcRcVistar_S_USB source(services, devices.CreateDevice());
    source.SetPollPeriod(1000000); // the thread waits; the benchmark polls
    source.Init(nullptr, CountKey);
    gDelivered = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(source.PollOnce());
    state.counters["delivered"] = static_cast<double>(gDelivered.load());
}
BENCHMARK(BM_CodeThroughFilterMappingAndCallback);

// An initialised source with no key down, polling every 80 ms for three seconds while this thread
// sleeps: the process's processor time in that span is the polling thread's.
void BM_IdlePollingSourceCpu(benchmark::State& state) {
    lm::CLMTraceProcess attach(3);
    lm::test::FakeIrBus bus;
    bus.installed = {L"Vistar S USB"};
    std::atomic<int> reads{0};
    bus.replyFn = [&reads] {
        ++reads;
        return lm::kIrReplyNoKey;
    };
    lm::test::FakeIrDevices devices{bus};
    lm::tagSRCSERVICES services{lm::NativePlatform().clock, lm::NativePlatform().threads, nullptr};
    constexpr double kSeconds = 3.0;
    for (auto _ : state) {
        lm::CSrcRcVistar_S_USB source(services, devices.CreateDevice());
        source.Init(nullptr, CountKey);
        std::this_thread::sleep_for(std::chrono::milliseconds(200)); // past the thread's start
        int readsBefore = reads.load();
        double before = ProcessCpuMs();
        auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::duration<double>(kSeconds));
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double cpuMs = (ProcessCpuMs() - before) / seconds;
        state.counters["cpu_ms_per_s"] = cpuMs;
        state.counters["cpu_percent"] = cpuMs / 10.0;
        state.counters["polls_per_s"] = (reads.load() - readsBefore) / kSeconds;
    }
}
BENCHMARK(BM_IdlePollingSourceCpu)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
