#include "exec/FindWindow.h"

#include "fakes/FakeClock.h"
#include "fakes/FakeDesktop.h"
#include "fakes/FakeProcess.h"
#include "support/LMDebug.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace lm {
namespace {

using test::FakeDesktop;

class FindWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        TraceSetPlatform(&proc, &clock);
        proc.tid = 0x777;
        ASSERT_NE(TraceInitEx(kTraceDetail), 0);
        proc.debugger.clear();
    }
    void TearDown() override {
        for (int i = 0; i < 4; ++i)
            TraceTerminateThread(0x777, true);
        TraceSetPlatform(nullptr, nullptr);
    }
    bool Traced(const std::wstring& text) const {
        return std::any_of(proc.debugger.begin(), proc.debugger.end(),
                           [&](const std::wstring& l) { return l.find(text) != std::wstring::npos; });
    }
    // A process with one top-level window below the existing ones.
    WindowHandle App(uint32_t pid, const std::wstring& path, const std::wstring& title,
                     const std::wstring& cls = L"AppClass") {
        if (!desktop.processes.count(pid))
            desktop.AddProcess(pid, path);
        return desktop.AddTopLevel(title, cls, pid).handle;
    }
    WindowHandle Find(const std::wstring& caption, const std::wstring& exe, bool invisible = false) {
        return CLMFindWindow(desktop).FindWindow(caption, exe, invisible);
    }

    test::FakeProcess proc;
    test::FakeClock clock;
    FakeDesktop desktop;
};

TEST_F(FindWindowTest, ExactTitleInAnyCaseIsFoundWithoutEnumeration) {
    App(10, L"C:\\Tools\\other.exe", L"Other");
    WindowHandle player = App(20, L"C:\\Media\\player.exe", L"Media Player");
    EXPECT_EQ(Find(L"MEDIA player", L"nothing.exe"), player);
    EXPECT_EQ(desktop.enumerations, 0);
    EXPECT_TRUE(Traced(L"CLMFindWindow::FindWindowW(MEDIA player,nothing.exe,FALSE)\n"));
    EXPECT_TRUE(Traced(L"CLMFindWindow::FindWindowW() - found by caption\n"));
    EXPECT_TRUE(Traced(L"/ CLMFindWindow::FindWindowW() ("));
}

TEST_F(FindWindowTest, MissingOrTooShortCluesEndTheSearchEarly) {
    App(10, L"C:\\a\\player.exe", L"Media Player - song");
    EXPECT_EQ(Find(L"", L""), kNoWindow);
    EXPECT_TRUE(Traced(L"ERR CLMFindWindow::FindWindowW() - Invalid parameters\n"));

    // Caption alone that no title equals: rejected, even though a title contains it.
    proc.debugger.clear();
    EXPECT_EQ(Find(L"Media Player", L""), kNoWindow);
    EXPECT_TRUE(Traced(L"WRN CLMFindWindow::FindWindow() - Not a valid file name\n"));
    EXPECT_EQ(desktop.enumerations, 0);

    // Four characters with a caption are rejected; five characters alone are searched.
    EXPECT_EQ(Find(L"Media", L"a.ex"), kNoWindow);
    EXPECT_EQ(desktop.enumerations, 0);
    WindowHandle five = App(30, L"C:\\b\\b.exe", L"Bee");
    EXPECT_EQ(Find(L"", L"b.exe"), five);
    EXPECT_TRUE(Traced(L"CLMFindWindow::FindWindow() - FindWindowNT\n"));
}

TEST_F(FindWindowTest, ExecutableAloneGivesTheProcessesUpperWindow) {
    WindowHandle upper = App(10, L"C:\\Ed\\editor.exe", L"Doc 1 - Editor");
    App(20, L"C:\\x\\other.exe", L"Other");
    App(10, L"C:\\Ed\\editor.exe", L"Doc 2 - Editor");
    EXPECT_EQ(Find(L"", L"EDITOR.EXE"), upper);
    EXPECT_EQ(desktop.processOpens, 2); // each listed process once
}

TEST_F(FindWindowTest, RulesApplyInOrder) {
    // Rule 1 beats a title of another program higher up that contains the caption.
    App(20, L"C:\\x\\other.exe", L"report viewer");
    WindowHandle editor = App(10, L"C:\\Ed\\editor.exe", L"report.txt - Editor");
    EXPECT_EQ(Find(L"Report", L"editor.exe"), editor);

    // No window of the program contains the caption: another program's exact title wins, through the
    // title search or, when that misses (a title that changes meanwhile), through rule 2 over one that
    // only contains it (rule 3), whatever their order.
    FakeDesktop::Window& contains = desktop.AddTopLevelOnTop(L"my notes (old)", L"C", 40);
    desktop.AddProcess(40, L"C:\\n\\notes.exe");
    WindowHandle exact = App(30, L"C:\\n\\viewer.exe", L"My Notes");
    EXPECT_EQ(Find(L"my notes", L"editor.exe"), exact);
    desktop.titleSearchMisses = true;
    EXPECT_EQ(Find(L"my notes", L"editor.exe"), exact);
    desktop.Get(exact).text = L"My Notes (viewer)";
    EXPECT_EQ(Find(L"my notes", L"editor.exe"), contains.handle);
    // Nothing contains the caption: rule 4 picks the program's first window with a caption.
    EXPECT_EQ(Find(L"unknown", L"editor.exe"), editor);
}

TEST_F(FindWindowTest, ExecutableRulesPreferAProcessWhoseFirstWindowHasACaption) {
    WindowHandle untitled = App(10, L"C:\\p\\player.exe", L"");
    WindowHandle titled = App(11, L"C:\\p\\player.exe", L"Player");
    EXPECT_EQ(Find(L"", L"player.exe"), titled);
    desktop.Get(titled).text.clear();
    EXPECT_EQ(Find(L"", L"player.exe"), untitled); // rule 5
}

TEST_F(FindWindowTest, HiddenOwnedAndExcludedWindowsAreLeftOutOfTheEnumeration) {
    WindowHandle hidden = App(10, L"C:\\h\\hidden.exe", L"Hidden Tool");
    desktop.Get(hidden).visible = false;
    EXPECT_EQ(Find(L"", L"hidden.exe"), kNoWindow);
    EXPECT_EQ(Find(L"", L"hidden.exe", true), hidden);
    EXPECT_EQ(Find(L"hidden tool", L"x.exe"), hidden); // exact title: step 3 sees hidden windows

    WindowHandle excluded = App(20, L"C:\\m\\mfcapp.exe", L"Mfc", CLMFindWindow::kExcludedClass);
    EXPECT_EQ(Find(L"", L"mfcapp.exe", true), kNoWindow);
    WindowHandle second = App(20, L"C:\\m\\mfcapp.exe", L"Mfc main");
    EXPECT_EQ(Find(L"", L"mfcapp.exe"), second); // the next window of the process is its first entry
    (void)excluded;

    // An owned window is not listed, so its owner's process's path goes to the owner.
    FakeDesktop::Window& dialog = desktop.AddTopLevelOnTop(L"Settings", L"#32770", 30);
    desktop.AddProcess(30, L"C:\\s\\setup.exe");
    WindowHandle owner = App(30, L"C:\\s\\setup.exe", L"Setup");
    dialog.owner = owner;
    EXPECT_EQ(Find(L"", L"setup.exe"), owner);
}

TEST_F(FindWindowTest, EnumerateFilterBits) {
    WindowHandle visible = App(10, L"C:\\a.exe", L"A");
    WindowHandle hidden = App(10, L"C:\\a.exe", L"B");
    desktop.Get(hidden).visible = false;
    FakeDesktop::Window& owned = desktop.AddTopLevel(L"C", L"Owned", 10);
    owned.owner = visible;
    CEnumWinModules modules(desktop);
    modules.AddExcludedClass(L"Owned");

    auto listed = [&](uint32_t filter) {
        modules.Enumerate(filter);
        std::vector<WindowHandle> out;
        for (size_t i = 0; i < modules.GetCount(); ++i)
            out.push_back(modules.GetInfo(i).window);
        return out;
    };
    EXPECT_EQ(listed(0), (std::vector<WindowHandle>{visible, hidden, owned.handle}));
    EXPECT_EQ(listed(kEnumVisibleOnly), (std::vector<WindowHandle>{visible, owned.handle}));
    EXPECT_EQ(listed(kEnumInvisibleOnly), (std::vector<WindowHandle>{hidden}));
    EXPECT_EQ(listed(kEnumVisibleOnly | kEnumInvisibleOnly),
              (std::vector<WindowHandle>{visible, owned.handle}));
    EXPECT_EQ(listed(kEnumOwnedOnly), (std::vector<WindowHandle>{owned.handle}));
    EXPECT_EQ(listed(kEnumUnownedOnly | kEnumOwnedOnly), (std::vector<WindowHandle>{visible, hidden}));
    EXPECT_EQ(listed(kEnumSkipExcludedClasses), (std::vector<WindowHandle>{visible, hidden}));
    // The first entry of the process carries the path; class and process ID on every entry.
    modules.Enumerate(0);
    EXPECT_EQ(modules.GetModulePath(0), L"C:\\a.exe");
    EXPECT_EQ(modules.GetModulePath(1), L"");
    EXPECT_EQ(modules.GetInfo(2).className, L"Owned");
    EXPECT_EQ(modules.GetInfo(2).processId, 10u);
    EXPECT_EQ(modules.GetInfo(1).text, L"");
    desktop.Get(hidden).text = L"B renamed";
    EXPECT_EQ(modules.GetWindowCaption(1), L"B renamed");
}

TEST_F(FindWindowTest, ProcessMappingRoutes) {
    WindowHandle a = App(10, L"C:\\apps\\alpha.exe", L"Alpha");
    WindowHandle locked = App(11, L"C:\\apps\\locked.exe", L"Locked");
    desktop.processes[11].openable = false;
    CEnumWinModules modules(desktop);
    EXPECT_EQ(modules.Enumerate(0), 1);
    EXPECT_EQ(modules.GetModulePath(0), L"C:\\apps\\alpha.exe");
    EXPECT_EQ(modules.GetModulePath(1), L""); // cannot be opened: only caption rules can match it
    EXPECT_EQ(Find(L"Lock", L"locked.exe"), locked);

    // The older family reads file names from a process snapshot.
    desktop.family = PlatformFamily::Windows9x;
    EXPECT_EQ(modules.Enumerate(0), 1);
    EXPECT_EQ(modules.GetModulePath(0), L"alpha.exe");
    EXPECT_EQ(modules.GetModulePath(1), L"locked.exe");
    EXPECT_EQ(Find(L"", L"alpha.exe"), a);
    desktop.snapshotFails = true;
    EXPECT_EQ(modules.Enumerate(0), 0);
    EXPECT_EQ(modules.GetCount(), 2u);
    desktop.toolHelpMissing = true;
    EXPECT_EQ(modules.Enumerate(0), 0);

    desktop.family = PlatformFamily::NT;
    desktop.processStatusMissing = true;
    EXPECT_EQ(modules.Enumerate(0), 0);
    EXPECT_EQ(modules.GetCount(), 2u);
    EXPECT_EQ(modules.GetModulePath(0), L"");
    desktop.family = PlatformFamily::Other;
    desktop.processStatusMissing = false;
    EXPECT_EQ(modules.Enumerate(0), 0);
}

TEST_F(FindWindowTest, ProcessesBeyondTheFirstTwoHundredFiftyAreMapped) {
    for (uint32_t pid = 1; pid <= 400; ++pid)
        desktop.AddProcess(pid * 4, L"C:\\bg\\service" + std::to_wstring(pid) + L".exe");
    WindowHandle late = App(400 * 4, L"", L"Late Window");
    EXPECT_EQ(Find(L"", L"service400.exe"), late);
}

TEST_F(FindWindowTest, FallbackWalkMatchesTheCreatingModuleAfterItsFirstCharacter) {
    // Without the process-status library only the walk over the windows can match by executable.
    desktop.processStatusMissing = true;
    WindowHandle untitled = App(10, L"", L"");
    desktop.Get(untitled).moduleFileName = L"C:\\Prog\\Tool.exe";
    WindowHandle titled = App(10, L"", L"Tool");
    desktop.Get(titled).moduleFileName = L"C:\\Prog\\Tool.exe";

    // First pass requires a caption, the second takes any.
    EXPECT_EQ(Find(L"", L"tool.exe"), titled);
    EXPECT_TRUE(Traced(L"CLMFindWindow::FindWindow() - FindWindow98\n"));
    desktop.Get(titled).enabled = false;
    EXPECT_EQ(Find(L"", L"tool.exe"), untitled);
    // A full path starts the module name, so it never matches.
    EXPECT_EQ(Find(L"", L"c:\\prog\\tool.exe"), kNoWindow);
    EXPECT_TRUE(Traced(L"CLMFindWindow::FindWindow() - NULL\n"));

    // With a caption: caption and module first, then the module alone.
    desktop.Get(titled).enabled = true;
    desktop.Get(titled).text = L"Tool - data";
    EXPECT_EQ(Find(L"DATA", L"tool.exe"), titled);
    // The second walk drops the caption and takes the first window of the module, titled or not.
    EXPECT_EQ(Find(L"nothing", L"tool.exe"), untitled);
    desktop.Get(untitled).visible = false;
    EXPECT_EQ(Find(L"nothing", L"tool.exe"), titled);
}

} // namespace
} // namespace lm
