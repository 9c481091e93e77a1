// Reading command-set values from a 300-section file: the Windows profile functions against the
// profile store. Both must read the same values; the times and their ratio are printed.
#include "bench/ProfileSample.h"
#include "platform/FileSystem.h"
#include "support/ProfileFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

namespace lm {
namespace {

using lm::bench::kSampleKeys;
using lm::bench::kSampleSections;

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

TEST(ProfileTimingWinTest, StoreAgainstWindowsFunctions) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring file =
        std::wstring(temp) + L"lmtest-timing-" + std::to_wstring(GetCurrentProcessId()) + L".ini";
    IFileSystem& fs = NativeFileSystem();
    ASSERT_TRUE(fs.WriteAtomic(file, lm::bench::SampleProfile()));

    constexpr int kReads = 5000;
    std::vector<std::wstring> sections, keys;
    for (int i = 0; i < kReads; ++i) {
        sections.push_back(lm::bench::SampleSection((i * 37) % kSampleSections));
        keys.push_back(lm::bench::SampleKey((i * 11) % kSampleKeys));
    }

    // The first read of each parses the file; both are timed from the first read on.
    std::vector<std::wstring> winValues(kReads);
    auto start = std::chrono::steady_clock::now();
    wchar_t buffer[512];
    for (int i = 0; i < kReads; ++i) {
        DWORD n =
            GetPrivateProfileStringW(sections[i].c_str(), keys[i].c_str(), L"", buffer, 512, file.c_str());
        winValues[i].assign(buffer, n);
    }
    double winTime = Seconds(std::chrono::steady_clock::now() - start);

    CProfileStore store(fs);
    std::vector<std::wstring> ourValues(kReads);
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < kReads; ++i)
        store.GetString(file, sections[i], keys[i], ourValues[i]);
    double ourTime = Seconds(std::chrono::steady_clock::now() - start);

    // A whole set as the keymap loader reads it.
    start = std::chrono::steady_clock::now();
    std::vector<wchar_t> sectionBuffer(32768);
    for (int i = 0; i < 1000; ++i)
        GetPrivateProfileSectionW(sections[i].c_str(), sectionBuffer.data(), 32768, file.c_str());
    double winSectionTime = Seconds(std::chrono::steady_clock::now() - start);
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < 1000; ++i)
        store.GetSection(file, sections[i]);
    double ourSectionTime = Seconds(std::chrono::steady_clock::now() - start);

    WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());
    DeleteFileW(file.c_str());

    for (int i = 0; i < kReads; ++i)
        ASSERT_EQ(winValues[i], ourValues[i]) << sections[i] << " / " << keys[i];
    std::printf(
        "profile reads, %d values of a %d-section file:\n"
        "  Windows functions %8.1f us per value\n  profile store     %8.2f us per value\n  ratio %.0f\n",
        kReads, kSampleSections + 2, winTime * 1e6 / kReads, ourTime * 1e6 / kReads,
        ourTime > 0 ? winTime / ourTime : 0.0);
    std::printf("whole sections, 1000 reads:\n  Windows functions %8.1f us per section\n"
                "  profile store     %8.2f us per section\n  ratio %.0f\n",
                winSectionTime * 1e3, ourSectionTime * 1e3,
                ourSectionTime > 0 ? winSectionTime / ourSectionTime : 0.0);
    RecordProperty("win_us_per_value", static_cast<int>(winTime * 1e6 / kReads));
}

} // namespace
} // namespace lm
