// The timing tool of the Windows build (lm_win_bench): each area of the program registers its cases in a
// file of its own; a case runs one operation many times and the tool reports the minimum, median and
// 99th percentile of one run. Nothing is asserted about time. Run it under Wine as
//     tools/wine-exec build/win/bin/lm_win_bench.exe [area...]
#pragma once
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace lm::timing {

// Times of one run, in microseconds.
struct Stats {
    double min = 0, median = 0, p99 = 0;
};

class Timer {
public:
    // Runs `body` `runs` times (after one run that is not counted) and prints the times under `name`.
    Stats Measure(const std::string& name, int runs, const std::function<void()>& body);
    // Runs the bodies in turn, each once per round (so that the machine's load falls on all of them
    // alike), `rounds` rounds after one that is not counted, and prints the times of each.
    std::vector<Stats> SideBySide(int rounds,
                                  const std::vector<std::pair<std::string, std::function<void()>>>& bodies);
    // Prints the times an area took itself (microseconds).
    Stats Samples(const std::string& name, std::vector<double> times);
    // Prints how many times faster `fast` is than `slow`, by their medians.
    void Compare(const std::string& what, const Stats& slow, const Stats& fast);
};

using Area = void (*)(Timer&);
bool RegisterArea(const char* name, Area area);

} // namespace lm::timing

// Defines an area: LM_TIMING_AREA(profile) { timer.Measure(...); }
#define LM_TIMING_AREA(name)                                                                                 \
    static void name##TimingArea(lm::timing::Timer& timer);                                                  \
    static const bool name##TimingRegistered = lm::timing::RegisterArea(#name, &name##TimingArea);           \
    static void name##TimingArea([[maybe_unused]] lm::timing::Timer& timer)
