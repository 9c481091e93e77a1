// The timing helper and the tool's entry point: runs the areas named on the command line, or all.
#include "Timing.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

namespace lm::timing {
namespace {

std::vector<std::pair<const char*, Area>>& Areas() {
    static std::vector<std::pair<const char*, Area>> areas;
    return areas;
}

} // namespace

bool RegisterArea(const char* name, Area area) {
    Areas().emplace_back(name, area);
    return true;
}

namespace {

Stats Report(const std::string& name, std::vector<double>& times) {
    std::sort(times.begin(), times.end());
    Stats s;
    if (!times.empty()) {
        s.min = times.front();
        s.median = times[times.size() / 2];
        s.p99 = times[std::min(times.size() - 1, times.size() * 99 / 100)];
    }
    std::printf("  %-52s %6d runs  min %10.2f us  median %10.2f us  p99 %10.2f us\n", name.c_str(),
                static_cast<int>(times.size()), s.min, s.median, s.p99);
    std::fflush(stdout);
    return s;
}

double Time(const std::function<void()>& body) {
    const auto start = std::chrono::steady_clock::now();
    body();
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

Stats Timer::Measure(const std::string& name, int runs, const std::function<void()>& body) {
    body();
    std::vector<double> times;
    times.reserve(static_cast<size_t>(runs));
    for (int i = 0; i < runs; ++i)
        times.push_back(Time(body));
    return Report(name, times);
}

std::vector<Stats>
Timer::SideBySide(int rounds, const std::vector<std::pair<std::string, std::function<void()>>>& bodies) {
    std::vector<std::vector<double>> times(bodies.size());
    for (int round = -1; round < rounds; ++round)
        for (size_t i = 0; i < bodies.size(); ++i) {
            const double t = Time(bodies[i].second);
            if (round >= 0)
                times[i].push_back(t);
        }
    std::vector<Stats> stats;
    for (size_t i = 0; i < bodies.size(); ++i)
        stats.push_back(Report(bodies[i].first, times[i]));
    return stats;
}

Stats Timer::Samples(const std::string& name, std::vector<double> times) {
    return Report(name, times);
}

void Timer::Compare(const std::string& what, const Stats& slow, const Stats& fast) {
    std::printf("  %-44s %.1fx\n", (what + ": faster by").c_str(),
                fast.median > 0 ? slow.median / fast.median : 0.0);
}

} // namespace lm::timing

int main(int argc, char** argv) {
    lm::timing::Timer timer;
    for (auto& [name, area] : lm::timing::Areas()) {
        bool wanted = argc < 2;
        for (int i = 1; i < argc; ++i)
            wanted = wanted || std::strcmp(argv[i], name) == 0;
        if (!wanted)
            continue;
        std::printf("%s\n", name);
        area(timer);
    }
    return 0;
}
