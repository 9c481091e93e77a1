#include "ExecFixture.h"

#include "fakes/FakeProcess.h"

namespace lm {
namespace {

class FindWindowTest : public test::ExecFixture {
protected:
    WindowHandle Find(const std::wstring& caption, const std::wstring& exe, bool invisible = false) {
        return CLMFindWindow(windows, processes).FindWindow(caption, exe, invisible);
    }
    test::TraceCapture trace{clock, kTraceDetail};
};

TEST_F(FindWindowTest, ExactTitleFirstThenTheCluesAreChecked) {
    App(10, L"C:\\Tools\\other.exe", L"Other");
    WindowHandle player = App(20, L"C:\\Media\\player.exe", L"Media Player - song");
    windows[player].visible = false;
    EXPECT_EQ(Find(L"MEDIA player - SONG", L"nothing.exe"), player); // in any case, hidden or not
    EXPECT_TRUE(trace.Has(L"CLMFindWindow::FindWindowW(MEDIA player - SONG,nothing.exe,FALSE)\n"));
    EXPECT_TRUE(trace.Has(L"CLMFindWindow::FindWindowW() - found by caption\n"));
    EXPECT_TRUE(trace.Has(L"/ CLMFindWindow::FindWindowW() ("));

    EXPECT_EQ(Find(L"", L""), kNoWindow);
    EXPECT_TRUE(trace.Has(L"ERR CLMFindWindow::FindWindowW() - Invalid parameters\n"));
    // A caption alone that no title equals is rejected, even though a title contains it; so are four
    // characters with a caption, while five characters alone are searched.
    windows[player].visible = true;
    EXPECT_EQ(Find(L"Media Player", L""), kNoWindow);
    EXPECT_TRUE(trace.Has(L"WRN CLMFindWindow::FindWindow() - Not a valid file name\n"));
    EXPECT_EQ(Find(L"Media", L"a.exe"), player);
    EXPECT_EQ(Find(L"Media", L"a.ex"), kNoWindow);
    WindowHandle five = App(30, L"C:\\b\\b.exe", L"Bee");
    EXPECT_EQ(Find(L"", L"b.exe"), five);
    EXPECT_TRUE(trace.Has(L"CLMFindWindow::FindWindow() - FindWindowNT\n"));
}

TEST_F(FindWindowTest, RulesApplyInOrder) {
    // Rule 1 beats a title of another program higher up that contains the caption.
    App(20, L"C:\\x\\other.exe", L"report viewer");
    WindowHandle editor = App(10, L"C:\\Ed\\editor.exe", L"report.txt - Editor");
    App(10, L"C:\\Ed\\editor.exe", L"Doc 2 - Editor");
    EXPECT_EQ(Find(L"Report", L"editor.exe"), editor);
    // By executable alone: the upper window of the process.
    EXPECT_EQ(Find(L"", L"EDITOR.EXE"), editor);

    // No window of the program contains the caption: another program's exact title wins, through the
    // title search or, when that misses (a title that changes meanwhile), through rule 2 over one that
    // only contains it (rule 3), whatever their order.
    WindowHandle contains = windows.Add(L"my notes (old)", L"C", 40, true);
    processes.images[40] = L"C:\\n\\notes.exe";
    WindowHandle exact = App(30, L"C:\\n\\viewer.exe", L"My Notes");
    EXPECT_EQ(Find(L"my notes", L"editor.exe"), exact);
    windows.titleSearchMisses = true;
    EXPECT_EQ(Find(L"my notes", L"editor.exe"), exact);
    windows[exact].text = L"My Notes (viewer)";
    EXPECT_EQ(Find(L"my notes", L"editor.exe"), contains);
    // Nothing contains the caption: rule 4 picks the program's first window with a caption.
    EXPECT_EQ(Find(L"unknown", L"editor.exe"), editor);
}

TEST_F(FindWindowTest, ExecutableRulesPreferAProcessWhoseFirstWindowHasACaption) {
    WindowHandle untitled = App(10, L"C:\\p\\player.exe", L"");
    WindowHandle titled = App(11, L"C:\\p\\player.exe", L"Player");
    EXPECT_EQ(Find(L"", L"player.exe"), titled);
    windows[titled].text.clear();
    EXPECT_EQ(Find(L"", L"player.exe"), untitled); // rule 5
}

TEST_F(FindWindowTest, HiddenOwnedAndExcludedWindowsAreNotListed) {
    WindowHandle hidden = App(10, L"C:\\h\\hidden.exe", L"Hidden Tool");
    windows[hidden].visible = false;
    EXPECT_EQ(Find(L"", L"hidden.exe"), kNoWindow);
    EXPECT_EQ(Find(L"Hidden", L"hidden.exe"), kNoWindow);
    EXPECT_EQ(Find(L"", L"hidden.exe", true), hidden);

    App(20, L"C:\\m\\mfcapp.exe", L"Mfc", CLMFindWindow::kExcludedClass);
    EXPECT_EQ(Find(L"", L"mfcapp.exe", true), kNoWindow);
    EXPECT_EQ(Find(L"Mf", L"mfcapp.exe", true), kNoWindow);
    WindowHandle second = App(20, L"C:\\m\\mfcapp.exe", L"Mfc main");
    EXPECT_EQ(Find(L"", L"mfcapp.exe"), second); // the next window of the process is its first listed

    // An owned window is not listed, so the owner counts as its process's first window.
    WindowHandle dialog = windows.Add(L"Settings", L"#32770", 30, true);
    WindowHandle owner = App(30, L"C:\\s\\setup.exe", L"Setup");
    windows[dialog].owner = owner;
    EXPECT_EQ(Find(L"", L"setup.exe"), owner);
    EXPECT_EQ(Find(L"Sett", L"setup.exe"), owner);
}

TEST_F(FindWindowTest, ProcessesAreMappedByTheirImageOrByTheSnapshotOfTheOlderFamily) {
    WindowHandle locked = windows.Add(L"Locked", L"L", 11); // the process cannot be opened
    EXPECT_EQ(Find(L"", L"locked.exe"), kNoWindow);
    EXPECT_EQ(Find(L"Lock", L"locked.exe"), locked); // only the caption rules can match it
    for (uint32_t pid = 1; pid <= 400; ++pid)
        processes.images[pid * 4] = L"C:\\bg\\service" + std::to_wstring(pid) + L".exe";
    WindowHandle late = windows.Add(L"Late Window", L"W", 400 * 4);
    EXPECT_EQ(Find(L"", L"service400.exe"), late);
    EXPECT_EQ(Find(L"", L"c:\\bg\\service400.exe"), late); // a full path matches the image's

    // The older family: the snapshot's file names, and then the walk over the creating modules.
    processes.family = PlatformFamily::Windows9x;
    EXPECT_EQ(Find(L"", L"service400.exe"), late);
    EXPECT_EQ(Find(L"", L"c:\\bg\\service400.exe"), kNoWindow);
    EXPECT_TRUE(trace.Has(L"CLMFindWindow::FindWindow() - NULL\n"));
    processes.family = PlatformFamily::Other;
    EXPECT_EQ(Find(L"", L"service400.exe"), kNoWindow);
}

TEST_F(FindWindowTest, AStoreAppsFrameStandsForTheAppItHosts) {
    // Two apps in frames of the one frame host; the frame's own title bar comes before the app's window.
    const std::wstring host = L"C:\\Windows\\System32\\ApplicationFrameHost.exe";
    const std::wstring photos = L"C:\\Program Files\\WindowsApps\\Photos\\Photos.exe";
    WindowHandle calculatorFrame = App(50, host, L"Calculator");
    WindowHandle photosFrame = App(50, host, L"Photos - beach.jpg");
    WindowHandle suspendedFrame = App(50, host, L"Mail");
    processes.images[61] = L"C:\\Program Files\\WindowsApps\\Calc\\CalculatorApp.exe";
    processes.images[62] = photos;
    windows[windows.AddChild(calculatorFrame, L"Windows.UI.Core.CoreWindow", 0)].processId = 61;
    windows.AddChild(photosFrame, L"ApplicationFrameTitleBarWindow", 0);
    windows[windows.AddChild(photosFrame, L"Windows.UI.Core.CoreWindow", 0)].processId = 62;

    EXPECT_EQ(Find(L"", L"photos.exe"), photosFrame);
    EXPECT_EQ(Find(L"beach", L"Photos.exe"), photosFrame);
    EXPECT_EQ(Find(L"", L"calculatorapp.exe"), calculatorFrame);
    EXPECT_EQ(WindowExecutablePath(windows, processes, photosFrame), photos);
    // A frame whose app is suspended (no hosted window) stays the frame host's.
    EXPECT_EQ(Find(L"", L"applicationframehost.exe"), suspendedFrame);
    EXPECT_EQ(WindowExecutablePath(windows, processes, suspendedFrame), host);
    processes.images.erase(62);
    EXPECT_EQ(WindowExecutablePath(windows, processes, photosFrame), L"");
    EXPECT_EQ(Find(L"", L"photos.exe"), kNoWindow);
}

TEST_F(FindWindowTest, TheWalkOverCreatingModulesRunsOnlyOnTheOlderFamily) {
    WindowHandle untitled = windows.Add(L"", L"T", 10);
    WindowHandle titled = windows.Add(L"Tool", L"T", 10);
    windows[untitled].module = windows[titled].module = L"C:\\Prog\\Tool.exe";
    EXPECT_EQ(Find(L"", L"tool.exe"), kNoWindow); // the NT family: the module of another process is unknown

    // First pass requires a caption, the second takes any; the module matches after its first character.
    processes.family = PlatformFamily::Windows9x;
    EXPECT_EQ(Find(L"", L"tool.exe"), titled);
    EXPECT_TRUE(trace.Has(L"CLMFindWindow::FindWindow() - FindWindow98\n"));
    windows[titled].enabled = false;
    EXPECT_EQ(Find(L"", L"tool.exe"), untitled);
    EXPECT_EQ(Find(L"", L"c:\\prog\\tool.exe"), kNoWindow);

    // With a caption: caption and module first, then the module alone, titled or not.
    windows[titled].enabled = true;
    windows[titled].text = L"Tool - data";
    EXPECT_EQ(Find(L"DATA", L"tool.exe"), titled);
    EXPECT_EQ(Find(L"nothing", L"tool.exe"), untitled);
    windows[untitled].visible = false;
    EXPECT_EQ(Find(L"nothing", L"tool.exe"), titled);
}

} // namespace
} // namespace lm
