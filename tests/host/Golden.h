// Golden files: a table the code must produce, kept as data in tests/golden/<name>.txt (UTF-8, one line
// per case, lines starting with "#" are comments). A test computes the same lines from the code, from
// inputs of its own or from those the file's lines begin with, and compares them with the file. With
// the environment variable LM_UPDATE_GOLDEN set to the file's name (or to "all") the test writes the
// computed lines into the file instead, keeping its comments, and fails so that the new file is
// reviewed before the next run.
#pragma once
#include "base/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace lm::test {

inline std::string GoldenPath(const std::string& name) {
    return std::string(LM_SOURCE_DIR) + "/tests/golden/" + name + ".txt";
}

// The lines of a golden file: its comments (first) or its cases.
inline std::vector<std::string> GoldenFileLines(const std::string& name, bool comments = false) {
    std::vector<std::string> lines;
    std::ifstream in(GoldenPath(name), std::ios::binary);
    for (std::string line; std::getline(in, line);)
        if ((line.rfind('#', 0) == 0) == comments)
            lines.push_back(line);
    return lines;
}

// The cases of a golden file, for tests whose inputs are kept there.
inline std::vector<std::wstring> GoldenCases(const std::string& name) {
    std::vector<std::wstring> cases;
    for (const std::string& line : GoldenFileLines(name))
        cases.push_back(FromUtf8(line));
    return cases;
}

inline ::testing::AssertionResult MatchesGolden(const std::string& name,
                                                const std::vector<std::wstring>& lines) {
    const std::vector<std::string> expected = GoldenFileLines(name);
    std::vector<std::string> actual;
    for (const std::wstring& line : lines)
        actual.push_back(ToUtf8(line));
    const char* update = std::getenv("LM_UPDATE_GOLDEN");
    if (update && (name == update || std::string(update) == "all")) {
        std::vector<std::string> file = GoldenFileLines(name, true);
        file.insert(file.end(), actual.begin(), actual.end());
        std::ofstream out(GoldenPath(name), std::ios::binary | std::ios::trunc);
        for (const std::string& line : file)
            out << line << '\n';
        return ::testing::AssertionFailure()
               << GoldenPath(name) << " written anew (" << actual.size() << " lines)";
    }
    if (actual == expected)
        return ::testing::AssertionSuccess();
    auto result = ::testing::AssertionFailure();
    result << GoldenPath(name) << " differs (" << expected.size() << " lines expected, " << actual.size()
           << " computed)";
    for (const std::string& line : expected)
        if (std::find(actual.begin(), actual.end(), line) == actual.end())
            result << "\n  - " << line;
    for (const std::string& line : actual)
        if (std::find(expected.begin(), expected.end(), line) == expected.end())
            result << "\n  + " << line;
    return result;
}

} // namespace lm::test
