// The command-set administration on a preset file of 300 sets and a user file of 50: the application list
// (files parsed afresh, and from the store's cache), one keymap load, one save, and the layout upgrade of a
// 5 MB file of layout 2. The profile store alone is timed by the Windows timing tool against the Windows
// profile functions.
#include "cmdset/CmdSetAdmin.h"

#include "bench/ProfileSample.h"
#include "cmdset/KeyLine.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeKnownFolders.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeStrings.h"
#include "base/Text.h"

#include <benchmark/benchmark.h>

namespace {

std::wstring SetName(int i) {
    return lm::FormatBounded(64, L"Application number %03d", i);
}

// `sets` sets from `first` on, 24 bound keys each.
std::string Sample(int sets, int first, int keyOffset) {
    std::wstring text = L"[Settings]\r\nRC Layout Version=4\r\n[Software]\r\n0=" + SetName(7) + L"\r\n";
    for (int s = first; s < first + sets; ++s) {
        text += lm::FormatBounded(256, L"\r\n[%ls]\r\nExecutable=app%03d.exe\r\n", SetName(s).c_str(), s);
        for (int key : {141, 180, 181, 182, 183, 184, 185, 220, 221, 240, 241, 242,
                        260, 261, 262, 264, 265, 266, 267, 280, 281, 282, 283, 302}) {
            lm::tagWINCMD cmd;
            cmd.nType = lm::CMD_KEY;
            cmd.nSubType = 'A' + (key + s + keyOffset) % 26;
            lm::CopyBounded(cmd.szOsdText, lm::kCmdTextChars, lm::FormatBounded(64, L"Command %d", key));
            text += lm::FormatKeyLineKey(key) + L"=" + lm::FormatKeyLine(cmd, L"Key") + L"\r\n";
        }
    }
    return "\xEF\xBB\xBF" + lm::ToUtf8(text);
}

struct Fixture {
    // The user changed 25 presets and made 25 sets of his own.
    Fixture() {
        memory.Put(preset, Sample(300, 0, 0));
        memory.Put(user, Sample(50, 275, 3));
    }
    lm::test::FakeFileSystem memory;
    const std::wstring preset = L"/bench/RemoteControl.ini", user = L"/bench/RemoteControl.usr";
    lm::CProfileStore profiles{memory};
    lm::test::FakeRegistry registry;
    lm::test::FakeKnownFolders folders;
    lm::test::FakeStrings words;
    lm::CKeyNames keyNames;
    lm::CAppCatalog catalog;
    lm::CCmdSetAdmin admin{{profiles, registry, folders, words, keyNames, catalog}, {preset, user}};
};

void BM_LoadAppListParsed(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) {
        f.profiles.InvalidateAll();
        f.catalog.MarkForReload();
        f.admin.LoadAppList();
        if (f.admin.AppList()->map.size() != 326)
            state.SkipWithError("wrong number of sets");
    }
}
BENCHMARK(BM_LoadAppListParsed)->Unit(benchmark::kMillisecond);

void BM_LoadAppListCached(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) {
        f.catalog.MarkForReload();
        f.admin.LoadAppList();
    }
}
BENCHMARK(BM_LoadAppListCached)->Unit(benchmark::kMillisecond);

void BM_LoadKeymap(benchmark::State& state) {
    Fixture f;
    lm::CKeymap keys;
    for (auto _ : state)
        f.admin.LoadKeymap(SetName(299), keys, false); // a modified preset: both files are read
}
BENCHMARK(BM_LoadKeymap)->Unit(benchmark::kMicrosecond);

// Saving a set with one changed key: one write of the user file.
void BM_SaveKeymapOneChange(benchmark::State& state) {
    Fixture f;
    lm::tagPRGINFO record;
    f.admin.LoadPrgInfo(SetName(10), record, false);
    lm::CKeymap keys;
    f.admin.LoadKeymap(SetName(10), keys, false);
    int flip = 0;
    for (auto _ : state) {
        lm::tagWINCMD cmd = *keys.Find(260);
        cmd.nParam = (flip ^= 1);
        keys.SetAt(260, cmd);
        f.admin.SaveKeymap(keys, &record);
    }
}
BENCHMARK(BM_SaveKeymapOneChange)->Unit(benchmark::kMicrosecond);

// The upgrade of a 5 MB file of layout 2: read, converted in memory, written once.
void BM_UpgradeLayout5MB(benchmark::State& state) {
    Fixture f;
    const std::string oneSet = lm::bench::Layout2Profile(1);
    const std::string file = lm::bench::Layout2Profile(static_cast<int>((5u << 20) / oneSet.size()));
    for (auto _ : state) {
        f.memory.Put(f.preset, file);
        f.admin.UpgradeFileLayout(f.preset);
        if (f.admin.LayoutVersion(f.preset) != lm::kCurrentLayoutVersion)
            state.SkipWithError("not upgraded");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file.size()));
}
BENCHMARK(BM_UpgradeLayout5MB)->Unit(benchmark::kMillisecond);

} // namespace
