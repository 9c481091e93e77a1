// The command-set administration on a preset file of 300 sets and a user file of 50: rebuilding the
// application list (files parsed afresh, and from the store's cache), loading one keymap, and saving one.
#include "cmdset/CmdSetAdmin.h"
#include "cmdset/KeyLine.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeKnownFolders.h"
#include "fakes/FakeRegistry.h"
#include "base/Text.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

constexpr int kPresetSets = 300;
constexpr int kUserSets = 50;
const int kKeys[] = {141, 180, 181, 182, 183, 184, 185, 220, 221, 240, 241, 242,
                     260, 261, 262, 264, 265, 266, 267, 280, 281, 282, 283, 302};

class NoWords final : public lm::IStringSource {
public:
    bool LoadText(uint32_t, std::wstring&) override { return false; }
};

std::wstring SetName(int i) {
    return lm::FormatBounded(64, L"Application number %03d", i);
}

std::string Sample(int sets, int firstSet, int keyOffset, bool preset) {
    std::wstring text = L"[Settings]\r\nRC Layout Version=4\r\n";
    if (preset) {
        text += L"[Software]\r\n";
        for (int i = 0; i < 10; ++i)
            text += lm::FormatBounded(128, L"%d=%ls\r\n", i, SetName(i * 7).c_str());
    }
    for (int s = firstSet; s < firstSet + sets; ++s) {
        text += L"\r\n[" + SetName(s) + L"]\r\n";
        text += lm::FormatBounded(256, L"Executable=app%03d.exe\r\nDescription=Application %d\r\n", s, s);
        for (int key : kKeys) {
            lm::tagWINCMD cmd;
            cmd.nType = lm::CMD_KEY;
            cmd.nSubType = 'A' + (key + s + keyOffset) % 26;
            cmd.nParam = (key + keyOffset) % 8;
            lm::CopyBounded(cmd.szOsdText, lm::kCmdTextChars, lm::FormatBounded(64, L"Command %d", key));
            text += lm::FormatKeyLineKey(key) + L"=" + lm::FormatKeyLine(cmd, L"Key") + L"\r\n";
        }
    }
    return "\xEF\xBB\xBF" + lm::ToUtf8(text);
}

struct Fixture {
    explicit Fixture(lm::IFileSystem& fileSystem, const std::wstring& folder)
        : fs(fileSystem), preset(lm::PathJoin(folder, L"RemoteControl.ini")),
          user(lm::PathJoin(folder, L"RemoteControl.usr")) {}

    lm::CmdSetServices Services() { return {profiles, registry, folders, words, keyNames, catalog}; }

    lm::IFileSystem& fs;
    std::wstring preset, user;
    lm::CProfileStore profiles{fs};
    lm::test::FakeRegistry registry;
    lm::test::FakeKnownFolders folders;
    NoWords words;
    lm::CKeyNames keyNames;
    lm::CAppCatalog catalog;
};

struct MemoryFiles {
    MemoryFiles() {
        fs.Put(L"/bench/RemoteControl.ini", Sample(kPresetSets, 0, 0, true));
        // The user changed 25 presets and made 25 sets of his own.
        fs.Put(L"/bench/RemoteControl.usr", Sample(kUserSets, kPresetSets - kUserSets / 2, 3, false));
    }
    lm::test::FakeFileSystem fs;
};

void BM_LoadAppListParsed(benchmark::State& state) {
    MemoryFiles files;
    for (auto _ : state) {
        Fixture f(files.fs, L"/bench");
        lm::CCmdSetAdmin admin(f.Services(), {f.preset, f.user});
        admin.LoadAppList();
        benchmark::DoNotOptimize(admin.AppList()->map.size());
        if (admin.AppList()->map.size() != kPresetSets + kUserSets / 2 + 1)
            state.SkipWithError("wrong number of sets");
    }
}
BENCHMARK(BM_LoadAppListParsed)->Unit(benchmark::kMillisecond);

void BM_LoadAppListCached(benchmark::State& state) {
    MemoryFiles files;
    Fixture f(files.fs, L"/bench");
    lm::CCmdSetAdmin admin(f.Services(), {f.preset, f.user});
    admin.LoadAppList();
    for (auto _ : state) {
        f.catalog.MarkForReload();
        admin.LoadAppList();
        benchmark::DoNotOptimize(admin.AppList()->map.size());
    }
}
BENCHMARK(BM_LoadAppListCached)->Unit(benchmark::kMillisecond);

void BM_LoadKeymap(benchmark::State& state) {
    MemoryFiles files;
    Fixture f(files.fs, L"/bench");
    lm::CCmdSetAdmin admin(f.Services(), {f.preset, f.user});
    const std::wstring name = SetName(kPresetSets - 1); // a modified preset: both files are read
    lm::CKeymap keys;
    for (auto _ : state) {
        admin.LoadKeymap(name, keys, false);
        benchmark::DoNotOptimize(keys.GetCount());
    }
}
BENCHMARK(BM_LoadKeymap)->Unit(benchmark::kMicrosecond);

// On the host's file system: parsing included, as at start-up.
void BM_LoadAppListDisk(benchmark::State& state) {
    std::string pattern = (std::filesystem::temp_directory_path() / "lm_bench_XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        state.SkipWithError("no temporary folder");
        return;
    }
    std::ofstream(pattern + "/RemoteControl.ini", std::ios::binary) << Sample(kPresetSets, 0, 0, true);
    std::ofstream(pattern + "/RemoteControl.usr", std::ios::binary)
        << Sample(kUserSets, kPresetSets - kUserSets / 2, 3, false);
    for (auto _ : state) {
        Fixture f(lm::NativeFileSystem(), lm::FromUtf8(pattern));
        lm::CCmdSetAdmin admin(f.Services(), {f.preset, f.user});
        admin.LoadAppList();
        benchmark::DoNotOptimize(admin.AppList()->map.size());
    }
    std::error_code ec;
    std::filesystem::remove_all(pattern, ec);
}
BENCHMARK(BM_LoadAppListDisk)->Unit(benchmark::kMillisecond);

// Saving a set with one changed key: the user file is written once per changed line.
void BM_SaveKeymapOneChange(benchmark::State& state) {
    MemoryFiles files;
    Fixture f(files.fs, L"/bench");
    lm::CCmdSetAdmin admin(f.Services(), {f.preset, f.user});
    const std::wstring name = SetName(10);
    lm::tagPRGINFO record;
    admin.LoadPrgInfo(name, record, false);
    lm::CKeymap keys;
    admin.LoadKeymap(name, keys, false);
    int flip = 0;
    for (auto _ : state) {
        lm::tagWINCMD cmd = *keys.Find(260);
        cmd.nParam = (flip ^= 1);
        keys.SetAt(260, cmd);
        admin.SaveKeymap(keys, &record);
    }
}
BENCHMARK(BM_SaveKeymapOneChange)->Unit(benchmark::kMicrosecond);

} // namespace
