// The Windows timing tool: each area measures its work side by side with what it is compared with, and
// the tool, run under Wine, prints minimum, median and 99th percentile of each. It asserts nothing.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace lm::bench {

using Work = std::pair<std::string, std::function<void()>>;

// Runs each work `rounds` times, in turn within each round so that the machine's load falls on all of
// them alike, after a few rounds of warm-up, and prints minimum, median and 99th percentile of the
// times of each.
inline void Compare(int rounds, const std::vector<Work>& works) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    std::vector<std::vector<double>> us(works.size());
    for (int round = -3; round < rounds; ++round) {
        for (size_t i = 0; i < works.size(); ++i) {
            QueryPerformanceCounter(&start);
            works[i].second();
            QueryPerformanceCounter(&end);
            if (round >= 0)
                us[i].push_back(1e6 * static_cast<double>(end.QuadPart - start.QuadPart) /
                                static_cast<double>(frequency.QuadPart));
        }
    }
    for (size_t i = 0; i < works.size(); ++i) {
        std::sort(us[i].begin(), us[i].end());
        std::printf("%-58s min %9.1f us  median %9.1f us  p99 %9.1f us\n", works[i].first.c_str(),
                    us[i].front(), us[i][us[i].size() / 2],
                    us[i][std::min(us[i].size() - 1, us[i].size() * 99 / 100)]);
    }
    std::fflush(stdout);
}

// The areas of the tool, one file each; Main.cpp runs them.
void ExecTiming();

} // namespace lm::bench
