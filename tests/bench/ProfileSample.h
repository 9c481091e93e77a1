// Command-set files for the benchmarks, the Windows timing tool and the host tests: a current file of
// the size a busy user reaches (300 sets, each with its application keys and 40 key lines), and files
// of layout 2 of any size.
#pragma once
#include <cstdio>
#include <string>

namespace lm::bench {

constexpr int kSampleSections = 300;
constexpr int kSampleKeys = 40;

// Windows-1252 text with Windows line ends; sections "Application <n>", key IDs from 140 on.
inline std::string SampleProfile() {
    std::string out = "[Settings]\r\nRC Layout Version=4\r\n\r\n[Software]\r\n";
    for (int i = 0; i < 10; ++i)
        out += std::to_string(i) + "=Application " + std::to_string(i * 7) + "\r\n";
    char line[320];
    for (int s = 0; s < kSampleSections; ++s) {
        std::snprintf(
            line, sizeof line,
            "\r\n[Application %d]\r\nExecutable=app%d.exe\r\nAppPath=C:\\Program Files\\App %d\\app%d.exe\r\n"
            "WindowCaption=App %d\r\nDescription=Application number %d\r\nCommand-line=\r\n"
            "HideOsd=0\r\nSmsInput=0\r\n",
            s, s, s, s, s, s);
        out += line;
        for (int k = 0; k < kSampleKeys; ++k) {
            std::snprintf(line, sizeof line, "%3d=%3d,%3d,%5d,%3d,%3d,%3d,%3d,\"Key_%d\",\"\",\"Key_%d\"\r\n",
                          140 + k, 3, 96 + k % 10, 0, 0, k % 2, 1000, 200, k, k);
            out += line;
        }
    }
    return out;
}

// Layout 2: `sets` sets with a line for every old key number, whose display text names the old key.
inline std::string Layout2Profile(int sets) {
    std::string out = "[Settings]\r\nRC Layout Version=2\r\n[Software]\r\n0=Set 0\r\n";
    char line[96];
    for (int s = 0; s < sets; ++s) {
        std::snprintf(line, sizeof line, "\r\n[Set %d]\r\nExecutable=app%d.exe\r\n", s, s);
        out += line;
        for (int k = 128; k <= 232; ++k) {
            std::snprintf(line, sizeof line, "%d=3,%d,0,0,\"Key_%d\",\"Set_%d\"\r\n", k, 65 + k % 26, k, s);
            if (k < 164 || k > 204)
                out += line;
        }
    }
    return out;
}

} // namespace lm::bench
