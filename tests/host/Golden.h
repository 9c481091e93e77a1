// Golden files: a table the code must produce, kept as data in tests/golden/<name>.txt (UTF-8, one line
// per case, lines starting with "#" are comments). A test computes the same lines from the code and
// compares them with the file. With the environment variable LM_UPDATE_GOLDEN set to the file's name
// (or to "all") the test writes the computed lines into the file instead, keeping its comments, and
// fails so that the new file is reviewed before the next run.
#pragma once
#include "base/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace lm::test {

inline ::testing::AssertionResult MatchesGolden(const std::string& name,
                                                const std::vector<std::wstring>& lines) {
    const std::string path = std::string(LM_SOURCE_DIR) + "/tests/golden/" + name + ".txt";
    std::vector<std::string> comments, expected, actual;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);)
        (line.rfind('#', 0) == 0 ? comments : expected).push_back(line);
    for (const std::wstring& line : lines)
        actual.push_back(ToUtf8(line));
    const char* update = std::getenv("LM_UPDATE_GOLDEN");
    if (update && (name == update || std::string(update) == "all")) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        for (const auto* part : {&comments, &actual})
            for (const std::string& line : *part)
                out << line << '\n';
        return ::testing::AssertionFailure() << path << " written anew (" << actual.size() << " lines)";
    }
    if (actual == expected)
        return ::testing::AssertionSuccess();
    auto result = ::testing::AssertionFailure();
    result << path << " differs (" << expected.size() << " lines expected, " << actual.size() << " computed)";
    for (const std::string& line : expected)
        if (std::find(actual.begin(), actual.end(), line) == actual.end())
            result << "\n  - " << line;
    for (const std::string& line : actual)
        if (std::find(expected.begin(), expected.end(), line) == expected.end())
            result << "\n  + " << line;
    return result;
}

} // namespace lm::test
