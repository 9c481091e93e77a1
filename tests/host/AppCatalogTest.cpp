// The shared application map and list: snapshots, the reload flag, and rebuilds while other threads read.
#include "CmdSetFixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace lm {
namespace {

std::shared_ptr<tagAPPSNAPSHOT> SnapshotWith(const std::wstring& name) {
    auto s = std::make_shared<tagAPPSNAPSHOT>();
    tagPRGINFO r;
    CopyBounded(r.szName, kPrgTextChars, name);
    s->map.emplace(name, r);
    s->list.push_back(r);
    return s;
}

TEST(AppCatalogTest, ReloadFlagAndTickets) {
    CAppCatalog catalog;
    EXPECT_TRUE(catalog.ReloadPending()); // the first LoadAppList reads the files
    const uint64_t first = catalog.BeginRebuild();
    EXPECT_NE(first, 0u);
    EXPECT_EQ(catalog.BeginRebuild(), 0u); // nothing asked since
    catalog.MarkForReload();
    const uint64_t second = catalog.BeginRebuild();
    EXPECT_GT(second, first);

    // A rebuild that began earlier never replaces the result of a later one.
    catalog.Publish(second, SnapshotWith(L"new"));
    catalog.Publish(first, SnapshotWith(L"old"));
    EXPECT_TRUE(catalog.Contains(L"new"));
    EXPECT_FALSE(catalog.Contains(L"old"));

    // Taken snapshots never change.
    auto taken = catalog.Snapshot();
    catalog.Remove(L"new");
    EXPECT_FALSE(catalog.Contains(L"new"));
    EXPECT_TRUE(taken->map.count(L"new"));
    EXPECT_EQ(catalog.Snapshot()->list.size(), 1u); // the list waits for the next rebuild
    catalog.Clear();
    EXPECT_TRUE(catalog.Snapshot()->map.empty());
    EXPECT_TRUE(catalog.Snapshot()->list.empty());
}

using AppCatalogThreadTest = test::CmdSetFixture;

// The editor rebuilds the list and deletes sets while the key-event thread looks applications up and
// walks the main menu. Run under ThreadSanitizer this finds unguarded sharing; everywhere it checks that
// every snapshot a reader takes is whole.
TEST_F(AppCatalogThreadTest, RebuildWhileReading) {
    std::wstring preset = L"[Software]\n";
    for (int i = 0; i < 10; ++i)
        preset += FormatBounded(64, L"%d=Set %d\n", i, i);
    for (int i = 0; i < 40; ++i) {
        preset += FormatBounded(128, L"[Set %d]\nExecutable=app%d.exe\nAppPath=%ls\n", i, i,
                                temp.Path(L"prog/RemoteControl.ini").c_str());
    }
    WritePreset(preset);
    auto editor = MakeAdmin();
    auto handler = MakeAdmin(); // a second administration on the same catalog, as the handler is
    ASSERT_EQ(catalog.Snapshot()->list.size(), 40u);

    std::atomic<bool> stop{false};
    std::atomic<int> incomplete{0};
    std::atomic<int> reads{0};
    std::thread reader([&] {
        while (!stop.load()) {
            auto snapshot = handler->AppList();
            if (!snapshot->map.count(L"---"))
                ++incomplete;
            for (const tagPRGINFO& r : snapshot->list)
                if (!snapshot->map.count(r.szName) && std::wstring(r.szName) != L"Set 7")
                    ++incomplete;
            tagPRGINFO record;
            handler->Catalog().Lookup(L"Set 3", record);
            std::wstring name;
            handler->GetMenuEntryName(reads % 10, name);
            handler->LoadAppList();
            ++reads;
        }
    });
    for (int round = 0; round < 60; ++round) {
        editor->Catalog().MarkForReload();
        editor->LoadAppList();
        if (round % 10 == 5)
            editor->DeleteCommandSet(L"Set 7"); // only in the map: it lives in the preset
    }
    while (reads.load() < 20)
        std::this_thread::yield();
    stop = true;
    reader.join();
    EXPECT_EQ(incomplete.load(), 0);
    editor->LoadAppList();
    EXPECT_EQ(editor->AppList()->map.size(), 41u);
}

} // namespace
} // namespace lm
