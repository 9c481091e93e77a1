// Golden files: a table the code must produce, kept as data in tests/golden/<name>.txt (UTF-8, one line
// per case, lines starting with "#" are comments). A test computes the same lines from the code, from
// inputs of its own or from those the file's lines begin with, and compares them with the file. With
// the environment variable LM_UPDATE_GOLDEN set to the file's name (or to "all") the test writes the
// computed lines into the file instead, keeping its comments, and fails so that the new file is
// reviewed before the next run. A name with an extension ("overview-midi.htm") names the file itself.
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
    const bool named = name.find('.') != std::string::npos;
    return std::string(LM_SOURCE_DIR) + "/tests/golden/" + name + (named ? "" : ".txt");
}

// The lines of a golden file: its cases (the inputs of some tests are kept there), or its comments.
inline std::vector<std::wstring> GoldenCases(const std::string& name, bool comments = false) {
    std::vector<std::wstring> lines;
    std::ifstream in(GoldenPath(name), std::ios::binary);
    for (std::string line; std::getline(in, line);)
        if ((line.rfind('#', 0) == 0) == comments)
            lines.push_back(FromUtf8(line));
    return lines;
}

inline ::testing::AssertionResult MatchesGolden(const std::string& name,
                                                const std::vector<std::wstring>& lines) {
    const std::vector<std::wstring> expected = GoldenCases(name);
    const char* update = std::getenv("LM_UPDATE_GOLDEN");
    if (update && (name == update || std::string(update) == "all")) {
        std::vector<std::wstring> file = GoldenCases(name, true);
        file.insert(file.end(), lines.begin(), lines.end());
        std::ofstream out(GoldenPath(name), std::ios::binary | std::ios::trunc);
        for (const std::wstring& line : file)
            out << ToUtf8(line) << '\n';
        return ::testing::AssertionFailure()
               << GoldenPath(name) << " written anew (" << lines.size() << " lines)";
    }
    if (lines == expected)
        return ::testing::AssertionSuccess();
    auto result = ::testing::AssertionFailure();
    result << GoldenPath(name) << " differs (" << expected.size() << " lines expected, " << lines.size()
           << " computed)";
    for (const std::wstring& line : expected)
        if (std::find(lines.begin(), lines.end(), line) == lines.end())
            result << "\n  - " << ToUtf8(line);
    for (const std::wstring& line : lines)
        if (std::find(expected.begin(), expected.end(), line) == expected.end())
            result << "\n  + " << ToUtf8(line);
    return result;
}

} // namespace lm::test
