// The program as a user meets it, started as a process of its own: a single instance, the editor behind
// the tray icon, the quit question and the hot keys, the language menu across a restart, the device
// and power broadcasts, the DPI. Each test starts from a user without settings and without a user
// command-set file; the program's trace goes to a file the tests read. Screenshots of the editor go to
// build/win/screenshots.
#include "LoopbackServer.h"
#include "WinTestSupport.h"
#include "Screenshot.h"
#include "TargetIds.h"
#include "editor/RemoteModels.h"
#include "platform/FileSystem.h"
#include "support/ProfileFile.h"

#include <commctrl.h>
#include <prsht.h>
#include <dbt.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace lm {
namespace {

using namespace wintest;

const wchar_t kEditorTitle[] = L"Lumora Remote Control Editor";
const wchar_t kProgramKey[] = L"Software\\Lumora\\Remote Control";
constexpr UINT kTrayMessage = WM_USER + 244;
constexpr WPARAM kQuitHotKey = 43819;
constexpr DWORD kQuitExitCode = 0x1111;

// The top-level window of a process with the editor's title, shown or not.
HWND EditorOf(DWORD pid) {
    for (HWND h = nullptr; (h = FindWindowExW(nullptr, h, nullptr, kEditorTitle));) {
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        if (owner == pid)
            return h;
    }
    return nullptr;
}

// Any shown top-level window of the process.
HWND ShownWindowOf(DWORD pid) {
    for (HWND h = nullptr; (h = FindWindowExW(nullptr, h, nullptr, nullptr));) {
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        if (owner == pid && IsWindowVisible(h))
            return h;
    }
    return nullptr;
}

// A shown dialog of the process other than the editor: a message box.
HWND MessageBoxOf(DWORD pid) {
    for (HWND h = nullptr; (h = FindWindowExW(nullptr, h, L"#32770", nullptr));) {
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        wchar_t title[64] = {};
        GetWindowTextW(h, title, 64);
        if (owner == pid && IsWindowVisible(h) && wcscmp(title, kEditorTitle) != 0)
            return h;
    }
    return nullptr;
}

// The tray knows the icon when it accepts a change of it.
bool TrayIconExists(HWND owner) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = owner;
    data.uID = 1;
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

// The tab titles of a sheet of another process, read through memory in that process.
std::wstring TabTitles(HWND sheet) {
    HWND tabs = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0));
    DWORD pid = 0;
    GetWindowThreadProcessId(sheet, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!tabs || !process)
        return L"?";
    constexpr size_t kChars = 64;
    auto* remote = static_cast<char*>(VirtualAllocEx(
        process, nullptr, sizeof(TCITEMW) + kChars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
    std::wstring titles;
    for (int i = 0, n = TabCtrl_GetItemCount(tabs); remote && i < n; ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(TCITEMW));
        item.cchTextMax = kChars;
        wchar_t text[kChars] = {};
        WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
        SendMessageW(tabs, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(process, remote + sizeof(TCITEMW), text, sizeof text - sizeof(wchar_t), nullptr);
        titles += (i ? L"|" : L"") + std::wstring(text);
    }
    if (remote)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return titles;
}

// Memory in another process, for the messages whose parameter points at data there.
class RemoteBuffer {
public:
    RemoteBuffer(HWND window, size_t bytes) : bytes_(bytes) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_)
            at_ = static_cast<char*>(VirtualAllocEx(process_, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE));
    }
    ~RemoteBuffer() {
        if (at_)
            VirtualFreeEx(process_, at_, 0, MEM_RELEASE);
        if (process_)
            CloseHandle(process_);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    char* At(size_t offset = 0) const { return at_ + offset; }
    void Write(const void* data, size_t size, size_t offset = 0) const {
        WriteProcessMemory(process_, at_ + offset, data, size, nullptr);
    }
    std::wstring ReadText(size_t offset, size_t chars) const {
        std::wstring text(chars, L'\0');
        ReadProcessMemory(process_, at_ + offset, text.data(), chars * sizeof(wchar_t), nullptr);
        return text.substr(0, text.find(L'\0'));
    }
    bool Valid() const { return at_ != nullptr; }

private:
    HANDLE process_ = nullptr;
    char* at_ = nullptr;
    size_t bytes_;
};

// The first column of every row of a list view of another process.
std::vector<std::wstring> ListRows(HWND list) {
    constexpr size_t kChars = 260;
    RemoteBuffer buffer(list, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
    std::vector<std::wstring> rows;
    for (int i = 0, n = ListView_GetItemCount(list); buffer.Valid() && i < n; ++i) {
        LVITEMW item{};
        item.pszText = reinterpret_cast<wchar_t*>(buffer.At(sizeof(LVITEMW)));
        item.cchTextMax = kChars;
        buffer.Write(&item, sizeof item);
        SendMessageW(list, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(buffer.At()));
        rows.push_back(buffer.ReadText(sizeof(LVITEMW), kChars));
    }
    return rows;
}

// Selects and focuses the row of a list view of another process that shows `name`; false without one.
bool SelectListRow(HWND list, const std::wstring& name) {
    const std::vector<std::wstring> rows = ListRows(list);
    const auto it = std::find(rows.begin(), rows.end(), name);
    if (it == rows.end())
        return false;
    RemoteBuffer buffer(list, sizeof(LVITEMW));
    LVITEMW item{};
    item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
    buffer.Write(&item, sizeof item);
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(it - rows.begin()),
                 reinterpret_cast<LPARAM>(buffer.At()));
    return true;
}

// The items of an image combo box of another process.
std::vector<std::wstring> ComboExItems(HWND combo) {
    constexpr size_t kChars = 260;
    RemoteBuffer buffer(combo, sizeof(COMBOBOXEXITEMW) + kChars * sizeof(wchar_t));
    std::vector<std::wstring> items;
    for (int i = 0, n = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0)); buffer.Valid() && i < n;
         ++i) {
        COMBOBOXEXITEMW item{};
        item.mask = CBEIF_TEXT;
        item.iItem = i;
        item.pszText = reinterpret_cast<wchar_t*>(buffer.At(sizeof(COMBOBOXEXITEMW)));
        item.cchTextMax = kChars;
        buffer.Write(&item, sizeof item);
        SendMessageW(combo, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(buffer.At()));
        items.push_back(buffer.ReadText(sizeof(COMBOBOXEXITEMW), kChars));
    }
    return items;
}

std::wstring ItemText(HWND dialog, int id) {
    wchar_t text[512] = {};
    SendMessageW(GetDlgItem(dialog, id), WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text));
    return text;
}

// The text of a message box (its static control).
std::wstring MessageText(HWND box) {
    wchar_t text[512] = {};
    for (HWND child = nullptr; (child = FindWindowExW(box, child, L"Static", nullptr));) {
        GetWindowTextW(child, text, 512);
        if (text[0])
            return text;
    }
    return L"";
}

RECT WindowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

RECT WorkArea() {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
    return info.rcWork;
}

class ProgramWinTest : public ::testing::Test {
protected:
    void SetUp() override {
        Forget();
        log = NewTempDir(L"program") + L"\\trace.log";
    }
    void TearDown() override { Forget(); }
    // A user who never ran the program.
    static void Forget() {
        RegDeleteTreeW(HKEY_CURRENT_USER, kProgramKey);
        RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                           L"Remote Control Editor");
        wchar_t appData[MAX_PATH] = {};
        SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData);
        DeleteFileW((std::wstring(appData) + L"\\Lumora\\Remote\\RemoteControl.usr").c_str());
    }
    // Starts the program with its trace in the test's log file and waits for its editor window.
    HWND Start(ChildProcess& program, const std::wstring& args) {
        const size_t from = Trace().size();
        EXPECT_TRUE(program.Start(BinDir() + L"\\RemoteControl.exe", args, L"LMDEBUG",
                                  L"level=5;targets=file;prefix=2;file=" + log));
        // The editor is up once its initialisation has ended.
        WaitFor([&] { return Trace().find("/ CPropSheetOptions::OnInitialized", from) != std::string::npos; },
                20000);
        return EditorOf(program.Id());
    }
    std::string Trace() const { return ReadFile(log); }
    // The lines of the trace from `from` (a byte offset) on that open a scope of the receiver
    // operations, without their indentation.
    std::string ReceiverScopes(size_t from) const {
        std::string text = Trace().substr(from), out;
        for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
            std::string line = text.substr(at, end - at);
            size_t scope = line.find("\\ CRemoteApp::");
            if (scope != std::string::npos && (line.find("Receiver(", scope) != std::string::npos))
                out += line.substr(scope + 14, line.find_last_not_of("\r") - scope - 13) + " ";
        }
        return out;
    }

    std::wstring log;
};

TEST_F(ProgramWinTest, ASecondStartEndsAtOnceAndShowsTheFirstEditorWhenAskedTo) {
    ChildProcess first, second, third;
    HWND editor = Start(first, L"");
    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(IsWindowVisible(editor));
    ASSERT_TRUE(second.Start(BinDir() + L"\\RemoteControl.exe", L""));
    bool secondShowedAWindow = false;
    EXPECT_TRUE(WaitFor([&] {
        secondShowedAWindow = secondShowedAWindow || ShownWindowOf(second.Id()) != nullptr;
        return second.WaitExit(0) != STILL_ACTIVE;
    }));
    EXPECT_EQ(second.WaitExit(0), 0u);
    EXPECT_FALSE(secondShowedAWindow);
    EXPECT_FALSE(IsWindowVisible(editor));

    ASSERT_TRUE(third.Start(BinDir() + L"\\RemoteControl.exe", L"-edit"));
    EXPECT_EQ(third.WaitExit(20000), 0u);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(editor) != FALSE; }));
    EXPECT_EQ(EditorOf(third.Id()), nullptr);
    PostMessageW(editor, WM_HOTKEY, kQuitHotKey, 0);
    EXPECT_EQ(first.WaitExit(10000), kQuitExitCode);
}

// What a user does first: the tray's program menu starts an application of the main menu, whose set
// becomes active, and a receiver's key runs that set's command in it. The user's set for the test
// target is in the file before the first start, so the first run's main menu lists it at place 1.
TEST_F(ProgramWinTest, TheProgramMenuStartsAnApplicationAndAReceiverKeyRunsItsCommand) {
    const std::wstring dir = NewTempDir(L"e2e"), target = BinDir() + L"\\TargetApp.exe";
    const std::wstring targetLog = dir + L"\\target.log", script = dir + L"\\keys.rcs";
    wchar_t appData[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData);
    const std::wstring userDir = std::wstring(appData) + L"\\Lumora\\Remote";
    SHCreateDirectoryExW(nullptr, userDir.c_str(), nullptr);
    auto utf8 = [](const std::wstring& text) {
        std::string out(4 * text.size(), '\0');
        out.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(),
                                                           static_cast<int>(text.size()), out.data(),
                                                           static_cast<int>(out.size()), nullptr, nullptr)));
        return out;
    };
    std::ofstream(std::filesystem::path(userDir + L"\\RemoteControl.usr"), std::ios::binary)
        << "\xEF\xBB\xBF[Settings]\r\nRC Layout Version=4\r\n[Target]\r\nExecutable=TargetApp.exe\r\n"
        << "AppPath=" << utf8(target) << "\r\nCommand-line=-log \"" << utf8(targetLog) << "\"\r\n"
        << "221=3,116,0,0,0,1000,200,F5,,\r\n";
    // The key comes every second, so that it finds the target whenever that is up.
    std::ofstream(std::filesystem::path(script), std::ios::binary)
        << "model 64\npause 1000\nkey 221 100\nloop\n";

    ChildProcess program;
    SetEnvironmentVariableW(L"LM_RECEIVER_SCRIPT", script.c_str());
    HWND editor = Start(program, L"");
    SetEnvironmentVariableW(L"LM_RECEIVER_SCRIPT", nullptr);
    ASSERT_NE(editor, nullptr);
    PostMessageW(editor, WM_COMMAND, 32768 + 1, 0);
    HWND window = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (window = FindWindowW(kTargetClass, nullptr)) != nullptr; }));
    EXPECT_TRUE(WaitFor([&] { return ReadFile(targetLog).find("KEYDOWN 116") != std::string::npos; }, 15000))
        << Trace();
    EXPECT_FALSE(IsWindowVisible(editor));
    PostMessageW(editor, WM_HOTKEY, kQuitHotKey, 0);
    EXPECT_EQ(program.WaitExit(10000), kQuitExitCode);
    if (window)
        PostMessageW(window, WM_CLOSE, 0, 0);
}

// The editor as a user works with it, in the running program: a set for the test target made through
// the wizard's three steps (a name another set has is refused first, the key is assigned on the
// picture), copied twice (the second copy refused), deleted, a preset's deletion refused, a preset
// edited and reset; the target put at place 1 of the main menu, where the tray's program menu starts it
// and the receiver's key runs the new command; the options' preview following the colours and the
// display switch; after a restart the on-screen main menu in the new colour. Screenshots of the four
// tabs, the three steps and the on-screen menu.
TEST_F(ProgramWinTest, TheEditorMakesASetThroughTheWizardThatAReceiverKeyThenRuns) {
    const std::wstring dir = NewTempDir(L"pages"), target = BinDir() + L"\\TargetApp.exe";
    const std::wstring targetLog = dir + L"\\target.log", script = dir + L"\\keys.rcs";
    wchar_t appData[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData);
    const std::wstring userFile = std::wstring(appData) + L"\\Lumora\\Remote\\RemoteControl.usr";
    std::ofstream(std::filesystem::path(script), std::ios::binary)
        << "model 64\npause 1000\nkey 221 100\nloop\n";
    ChildProcess program;
    SetEnvironmentVariableW(L"LM_RECEIVER_SCRIPT", script.c_str());
    HWND editor = Start(program, L"-edit");
    SetEnvironmentVariableW(L"LM_RECEIVER_SCRIPT", nullptr);
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(editor) != FALSE; }));
    const DWORD pid = program.Id();
    auto current = [](HWND sheet) {
        return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    };
    auto tab = [&](int index) {
        SendMessageW(editor, PSM_SETCURSEL, index, 0);
        Sleep(400);
        return current(editor);
    };
    auto shoot = [&](HWND window, const wchar_t* name) {
        BringToFront(window);
        Sleep(300);
        EXPECT_TRUE(Screenshot::Capture(WindowRect(window)).SavePng(ShotPath(name))) << name;
    };
    auto setText = [](HWND dialog, int id, const std::wstring& text) {
        SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    };
    auto box = [&](const wchar_t* caption) {
        HWND found = nullptr;
        WaitFor([&] {
            found = FindWindowW(L"#32770", caption);
            DWORD owner = 0;
            GetWindowThreadProcessId(found, &owner);
            return found && owner == pid && IsWindowVisible(found);
        });
        return found;
    };
    auto closeBox = [](HWND found) {
        PostMessageW(found, WM_COMMAND, IDOK, 0);
        WaitFor([&] { return !IsWindow(found); });
    };
    auto stored = [&](const wchar_t* section, const wchar_t* key) {
        return CProfileStore(NativeFileSystem()).GetString(userFile, section, key, L"");
    };
    auto narrow = [](const std::wstring& text) {
        std::string out;
        for (wchar_t c : text)
            out += c < 128 ? static_cast<char>(c) : '?';
        return out;
    };
    auto has = [](const std::vector<std::wstring>& rows, const std::wstring& name) {
        return std::find(rows.begin(), rows.end(), name) != rows.end();
    };

    HWND sets = tab(1);
    HWND list = GetDlgItem(sets, 1301);
    ASSERT_TRUE(WaitFor([&] { return has(ListRows(list), L"Windows (Standard)"); }));
    shoot(editor, L"editor-cmdsets");

    // New: step 1. Typing "notepad" fills in the path known for notepad.exe; the box keeps the text.
    PostMessageW(sets, WM_COMMAND, 54018, 0);
    HWND wizard = box(L"New");
    ASSERT_NE(wizard, nullptr);
    HWND step = current(wizard);
    HWND combo = GetDlgItem(step, 1612);
    SendMessageW(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"notepad"));
    SendMessageW(step, WM_COMMAND, MAKEWPARAM(1612, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(combo));
    std::wstring path = ItemText(step, 1614);
    EXPECT_TRUE(path.size() > 12 && _wcsicmp(path.c_str() + path.size() - 12, L"\\notepad.exe") == 0) << path;
    EXPECT_EQ(ItemText(step, 1612), L"notepad");
    // A name another set has, in other letters, is refused and the step stays.
    setText(step, 1603, L"windows (standard)");
    setText(step, 1614, target);
    setText(step, 1617, L"-log \"" + targetLog + L"\"");
    PostMessageW(wizard, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
    HWND refused = box(L"Error");
    ASSERT_NE(refused, nullptr);
    EXPECT_NE(MessageText(refused).find(L"\"windows (standard)\" already exists"), std::wstring::npos)
        << MessageText(refused);
    closeBox(refused);
    EXPECT_EQ(current(wizard), step);
    setText(step, 1603, L"Target");
    setText(step, 1605, L"The test target");
    shoot(wizard, L"wizard-step1");

    // Step 2: the remote with model 64, key 221 clicked on the picture, F5 as its keystroke.
    PostMessageW(wizard, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
    ASSERT_TRUE(WaitFor([&] { return current(wizard) != step && GetDlgItem(current(wizard), 1763); }));
    step = current(wizard);
    HWND products = GetDlgItem(step, 1702);
    for (int row = 0, n = static_cast<int>(SendMessageW(products, CB_GETCOUNT, 0, 0)); row < n; ++row)
        if (SendMessageW(products, CB_GETITEMDATA, row, 0) == 64) {
            SendMessageW(products, CB_SETCURSEL, row, 0);
            SendMessageW(step, WM_COMMAND, MAKEWPARAM(1702, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(products));
        }
    const tagRCKEYAREA* key = nullptr;
    for (const tagRCKEYAREA& area : FindRemoteModel(64)->areas)
        key = area.key == 221 ? &area : key;
    ASSERT_NE(key, nullptr);
    ASSERT_TRUE(BringToFront(wizard));
    POINT centre{key->left + key->width / 2, key->top + key->height / 2};
    ClientToScreen(GetDlgItem(step, 1763), &centre);
    const std::wstring before = ItemText(step, 1703);
    ClickAt(centre);
    EXPECT_TRUE(WaitFor([&] { return ItemText(step, 1703) != before; })) << ItemText(step, 1703);
    HWND types = GetDlgItem(step, 1712);
    SendMessageW(types, CB_SETCURSEL, 3, 0);
    SendMessageW(step, WM_COMMAND, MAKEWPARAM(1712, CBN_SELCHANGE), reinterpret_cast<LPARAM>(types));
    setText(step, 1724, L"F5");
    shoot(wizard, L"wizard-step2");

    // Step 3: the set is stored on the way; the summary names it.
    PostMessageW(wizard, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
    EXPECT_TRUE(WaitFor([&] { return !stored(L"Target", L"221").empty(); })) << stored(L"Target", L"221");
    EXPECT_TRUE(
        WaitFor([&] { return ItemText(current(wizard), 1801).find(L"Target") != std::wstring::npos; }));
    shoot(wizard, L"wizard-step3");
    PostMessageW(wizard, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(wizard); }));
    EXPECT_TRUE(WaitFor([&] { return has(ListRows(list), L"Target"); }));
    EXPECT_EQ(stored(L"Target", L"Description"), L"The test target");

    // Copy twice: the second copy is refused with the first copy's name.
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(SelectListRow(list, L"Target"));
        PostMessageW(sets, WM_COMMAND, 53388, 0);
        if (i == 0) {
            EXPECT_TRUE(WaitFor([&] { return has(ListRows(list), L"Target (Copy)"); }));
        }
    }
    HWND again = box(L"Error");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(MessageText(again), L"_Target (Copy) already in list!");
    closeBox(again);
    // Delete: the user's copy goes at once, a preset stays with a refusal.
    ASSERT_TRUE(SelectListRow(list, L"Target (Copy)"));
    PostMessageW(sets, WM_COMMAND, 53441, 0);
    EXPECT_TRUE(WaitFor([&] { return !has(ListRows(list), L"Target (Copy)"); }));
    ASSERT_TRUE(SelectListRow(list, L"Windows (Standard)"));
    PostMessageW(sets, WM_COMMAND, 53441, 0);
    HWND preset = box(L"Error");
    ASSERT_NE(preset, nullptr);
    EXPECT_EQ(MessageText(preset), L"Presets cannot be deleted!");
    closeBox(preset);
    EXPECT_TRUE(has(ListRows(list), L"Windows (Standard)"));
    // Edit a preset through the wizard unchanged: the user file has it now, and Reset removes it again.
    ASSERT_TRUE(SelectListRow(list, L"Windows (Standard)"));
    PostMessageW(sets, WM_COMMAND, 53504, 0);
    HWND edit = box(L"Edit");
    ASSERT_NE(edit, nullptr);
    for (int i = 0; i < 2; ++i) {
        step = current(edit);
        PostMessageW(edit, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        EXPECT_TRUE(WaitFor([&] { return current(edit) != step; }));
    }
    PostMessageW(edit, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(edit); }));
    EXPECT_FALSE(stored(L"Windows (Standard)", L"Executable").empty());
    ASSERT_TRUE(SelectListRow(list, L"Windows (Standard)"));
    PostMessageW(sets, WM_COMMAND, 54284, 0);
    EXPECT_TRUE(WaitFor([&] { return stored(L"Windows (Standard)", L"Executable").empty(); }));

    // The main menu: the target at place 1.
    HWND menu = tab(0);
    HWND place = GetDlgItem(menu, 1211);
    const std::vector<std::wstring> items = ComboExItems(place);
    const auto at = std::find(items.begin(), items.end(), L"Target");
    ASSERT_NE(at, items.end());
    SendMessageW(place, CB_SETCURSEL, static_cast<WPARAM>(at - items.begin()), 0);
    SendMessageW(menu, WM_COMMAND, MAKEWPARAM(1211, CBN_SELCHANGE), reinterpret_cast<LPARAM>(place));
    EXPECT_EQ(stored(L"Software", L"1"), L"Target");
    shoot(editor, L"editor-menu");

    // The options: the preview follows a new background colour, and turns grey with the display off.
    HWND options = tab(2);
    HWND preview = GetDlgItem(options, 1407);
    // The bar's middle column has the background colour; the sides fade to the gradient colour.
    auto middle = [&] {
        const Screenshot shot = Screenshot::Capture(WindowRect(preview));
        return shot.At(shot.width / 2, 4);
    };
    EXPECT_NE(middle(), RGB(0, 160, 0));
    shoot(editor, L"editor-options");
    PostMessageW(options, WM_COMMAND, MAKEWPARAM(1404, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(options, 1404)));
    HWND colours = nullptr;
    EXPECT_TRUE(WaitFor([&] {
        for (HWND h = nullptr; (h = FindWindowExW(nullptr, h, L"#32770", nullptr));) {
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            if (owner == pid && IsWindowVisible(h) && h != editor && GetDlgItem(h, 706))
                colours = h;
        }
        return colours != nullptr;
    }));
    if (colours) {
        setText(colours, 706, L"0");   // red
        setText(colours, 707, L"160"); // green
        setText(colours, 708, L"0");   // blue
        PostMessageW(colours, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(WaitFor([&] { return middle() == RGB(0, 160, 0); }));
    }
    // A server's address and port, once the field is left, make the network receiver connect.
    {
        LoopbackServer server;
        setText(options, 1471, L"127.0.0.1");
        setText(options, 1472, std::to_wstring(server.Port()));
        SendMessageW(options, WM_COMMAND, MAKEWPARAM(1472, EN_KILLFOCUS),
                     reinterpret_cast<LPARAM>(GetDlgItem(options, 1472)));
        EXPECT_TRUE(server.Accepted());
        setText(options, 1471, L"");
        SendMessageW(options, WM_COMMAND, MAKEWPARAM(1471, EN_KILLFOCUS),
                     reinterpret_cast<LPARAM>(GetDlgItem(options, 1471)));
    }
    SendMessageW(GetDlgItem(options, 1401), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return middle() == RGB(112, 112, 112); }));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(options, 1404)));
    shoot(editor, L"editor-options-off");
    SendMessageW(GetDlgItem(options, 1401), BM_CLICK, 0, 0);

    HWND about = tab(3);
    EXPECT_NE(ItemText(about, 1500).find(L"Windows:"), std::wstring::npos);
    shoot(editor, L"editor-about");

    // The program menu's place 1 starts the target; the receiver's key runs the new command in it.
    PostMessageW(editor, WM_COMMAND, 32768 + 1, 0);
    HWND window = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (window = FindWindowW(kTargetClass, nullptr)) != nullptr; }));
    EXPECT_TRUE(WaitFor([&] { return ReadFile(targetLog).find("KEYDOWN 116") != std::string::npos; }, 15000))
        << "221=" << narrow(stored(L"Target", L"221")) << "\n"
        << Trace();
    PostMessageW(editor, WM_HOTKEY, kQuitHotKey, 0);
    EXPECT_EQ(program.WaitExit(10000), kQuitExitCode);
    // Every target the menu started ends, so that no later test finds one.
    EXPECT_TRUE(WaitFor([&] {
        if (HWND left = FindWindowW(kTargetClass, nullptr))
            PostMessageW(left, WM_CLOSE, 0, 0);
        Sleep(100);
        return FindWindowW(kTargetClass, nullptr) == nullptr;
    }));

    // Started again, the receiver's Menu key opens the on-screen main menu with the target at place 1.
    std::ofstream(std::filesystem::path(script), std::ios::binary | std::ios::trunc)
        << "model 64\npause 1500\nkey 160 150\n";
    ChildProcess restarted;
    SetEnvironmentVariableW(L"LM_RECEIVER_SCRIPT", script.c_str());
    editor = Start(restarted, L"");
    SetEnvironmentVariableW(L"LM_RECEIVER_SCRIPT", nullptr);
    ASSERT_NE(editor, nullptr);
    HWND osd = nullptr;
    EXPECT_TRUE(WaitFor([&] {
        for (HWND h = nullptr; (h = FindWindowExW(nullptr, h, nullptr, L"Lumora Remote Control"));) {
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            if (owner == restarted.Id() && IsWindowVisible(h))
                osd = h;
        }
        return osd != nullptr;
    }));
    Sleep(500);
    if (osd) {
        const Screenshot shot = Screenshot::Capture(WindowRect(osd));
        EXPECT_TRUE(shot.SavePng(ShotPath(L"osd-main-menu")));
        EXPECT_EQ(shot.At(shot.width / 2, 4), RGB(0, 160, 0)); // the background chosen in the options
    }
    PostMessageW(editor, WM_HOTKEY, kQuitHotKey, 0);
    EXPECT_EQ(restarted.WaitExit(10000), kQuitExitCode);
}

TEST_F(ProgramWinTest, InTheBackgroundTheTrayIconShowsTheEditorAndOnlyTheQuitHotKeyEndsIt) {
    ChildProcess program;
    HWND editor = Start(program, L"");
    ASSERT_NE(editor, nullptr);
    Sleep(500);
    RECT parked{};
    GetWindowRect(editor, &parked);
    EXPECT_FALSE(IsWindowVisible(editor));
    EXPECT_EQ(parked.left, 3000);
    ASSERT_TRUE(WaitFor([&] { return TrayIconExists(editor); }));

    // The shell restarts without the icon: the program adds it again.
    NOTIFYICONDATAW gone{};
    gone.cbSize = sizeof gone;
    gone.hWnd = editor;
    gone.uID = 1;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &gone));
    EXPECT_FALSE(TrayIconExists(editor));
    SendMessageW(editor, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(TrayIconExists(editor));

    // A left click on the icon, as the shell reports it: the editor comes centred.
    SendMessageW(editor, kTrayMessage, 1, WM_LBUTTONDOWN);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(editor) != FALSE; }));
    RECT shown{}, work = WorkArea();
    GetWindowRect(editor, &shown);
    EXPECT_NEAR(shown.left + shown.right, work.left + work.right, 2);
    EXPECT_NEAR(shown.top + shown.bottom, work.top + work.bottom, 2);

    // Closing asks; No hides the editor and the program goes on.
    PostMessageW(editor, WM_SYSCOMMAND, SC_CLOSE, 0);
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = MessageBoxOf(program.Id())) != nullptr; }));
    wchar_t caption[64] = {};
    GetWindowTextW(box, caption, 64);
    EXPECT_STREQ(caption, L"Warning");
    EXPECT_NE(GetDlgItem(box, IDNO), nullptr);
    PostMessageW(box, WM_COMMAND, IDNO, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(editor); }));
    Sleep(300);
    EXPECT_EQ(program.WaitExit(0), STILL_ACTIVE);
    EXPECT_TRUE(TrayIconExists(editor));

    // Ctrl+Alt+Shift+X ends it at once, without asking. (Another icon keeps the tray shown: Wine's
    // tray would hide itself with the last icon, which takes two seconds without a window manager.)
    HWND other = CreateWindowW(L"STATIC", L"other", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = other;
    icon.uID = 7;
    icon.uFlags = NIF_ICON;
    icon.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));
    ASSERT_TRUE(Shell_NotifyIconW(NIM_ADD, &icon));
    SendMessageW(editor, WM_NULL, 0, 0); // the program waits for input
    const DWORD before = GetTickCount();
    PressKeys({VK_CONTROL, VK_MENU, VK_SHIFT, 'X'});
    EXPECT_EQ(program.WaitExit(5000), kQuitExitCode);
    EXPECT_LT(GetTickCount() - before, 1000u);
    EXPECT_EQ(MessageBoxOf(program.Id()), nullptr);
    Shell_NotifyIconW(NIM_DELETE, &icon);
    DestroyWindow(other);
}

TEST_F(ProgramWinTest, TheLanguageMenuSwitchesTheEditorLiveAndTheChoiceSurvivesARestart) {
    const wchar_t* names[] = {L"menu", L"command-sets", L"options", L"about"};
    {
        ChildProcess program;
        HWND editor = Start(program, L"-edit");
        ASSERT_NE(editor, nullptr);
        ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(editor) != FALSE; }));
        EXPECT_EQ(TabTitles(editor), L"Menu|Command sets|Options|About");
        for (int tab = 0; tab < 4; ++tab) {
            SendMessageW(editor, PSM_SETCURSEL, tab, 0);
            Sleep(700);
            RECT r{};
            GetWindowRect(editor, &r);
            EXPECT_TRUE(Screenshot::Capture(r).SavePng(ShotPath(std::wstring(L"editor-") + names[tab])));
        }
        PostMessageW(editor, WM_SYSCOMMAND, 1031, 0);
        EXPECT_TRUE(WaitFor([&] {
            return TabTitles(editor) == L"Men\u00fc|Befehlss\u00e4tze|Optionen|Info";
        })) << TabTitles(editor);
        SendMessageW(editor, PSM_SETCURSEL, 2, 0);
        Sleep(700);
        RECT r{};
        GetWindowRect(editor, &r);
        EXPECT_TRUE(Screenshot::Capture(r).SavePng(ShotPath(L"editor-options-de")));
        DWORD stored = 0, size = sizeof stored;
        EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, kProgramKey, L" Language", RRF_RT_REG_DWORD, nullptr,
                               &stored, &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(stored, 1031u);
        PostMessageW(editor, WM_HOTKEY, kQuitHotKey, 0);
        EXPECT_EQ(program.WaitExit(10000), kQuitExitCode);
    }
    ChildProcess again;
    HWND editor = Start(again, L"-edit");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(TabTitles(editor), L"Men\u00fc|Befehlss\u00e4tze|Optionen|Info");
    PostMessageW(editor, WM_SYSCOMMAND, 2057, 0);
    EXPECT_TRUE(WaitFor([&] { return TabTitles(editor) == L"Menu|Command sets|Options|About"; }));
    PostMessageW(editor, WM_SYSCOMMAND, 1061, 0); // Estonian has neither file nor table
    Sleep(300);
    EXPECT_EQ(TabTitles(editor), L"Menu|Command sets|Options|About");
    PostMessageW(editor, WM_HOTKEY, kQuitHotKey, 0);
    EXPECT_EQ(again.WaitExit(10000), kQuitExitCode);
}

// Sends a device-interface broadcast for a device path; the system carries the record across.
LRESULT SendDeviceChange(HWND window, WPARAM event, const std::wstring& path) {
    std::vector<char> record(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) + path.size() * sizeof(wchar_t));
    auto* device = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(record.data());
    device->dbcc_size = static_cast<DWORD>(record.size());
    device->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    wcscpy(device->dbcc_name, path.c_str());
    return SendMessageW(window, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(record.data()));
}

TEST_F(ProgramWinTest, DeviceAndPowerBroadcastsFreeAndRecreateReceiversAndAHeldHotKeyIsOnlyTraced) {
    ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_ALT, 'C')); // another program holds it
    ChildProcess program;
    HWND editor = Start(program, L"");
    UnregisterHotKey(nullptr, 1);
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(WaitFor([&] { return TrayIconExists(editor); }));
    std::string trace = Trace();
    const std::string held = "hot key Ctrl+Alt+C is held by another program";
    EXPECT_NE(trace.find(held), std::string::npos);
    EXPECT_EQ(trace.find(held), trace.rfind(held));
    EXPECT_EQ(trace.find("hot key Ctrl+Alt+X is held"), std::string::npos);

    const size_t mark = trace.size();
    const std::wstring receiver =
        L"\\\\?\\USB#VID_045E&PID_006D#6&2c1f#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
    EXPECT_EQ(SendDeviceChange(editor, DBT_DEVICEARRIVAL, receiver), TRUE);
    EXPECT_EQ(SendDeviceChange(editor, DBT_DEVICEQUERYREMOVE, receiver), TRUE);
    EXPECT_EQ(SendDeviceChange(editor, DBT_DEVICEARRIVAL, L"\\\\?\\USB#VID_1234&PID_0001#1"), TRUE);
    SendMessageW(editor, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    SendMessageW(editor, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    // (Each USB arrival and removal also looks for the HID remote, type 17, which Wine does not have.)
    EXPECT_EQ(ReceiverScopes(mark),
              "ReinitReceiver(17, 1) FreeReceiver(17) ReinitReceiver(10, 1) FreeReceiver(10) "
              "ReinitReceiver(14, 1) FreeReceiver(14) FreeReceiver(10) FreeReceiver(14) "
              "ReinitReceiver(17, 1) FreeReceiver(17) FreeReceiver(13) FreeReceiver(10) "
              "ReinitReceiver(10, 1) FreeReceiver(10) ReinitReceiver(13, 1) FreeReceiver(13) ");

    // The FireWire sound card may not go while the program holds it: the program ends at once.
    SendDeviceChange(editor, DBT_DEVICEQUERYREMOVE, L"\\\\?\\1394#Lumora&Sonexa_7.1_FireWire#1#{x}");
    EXPECT_EQ(program.WaitExit(5000), 0x2222u);
}

// At twice the DPI the editor is drawn twice as large and the tray icon is made for that DPI.
TEST_F(ProgramWinTest, TheEditorAndTheTrayIconFollowTheDpi) {
    ChildProcess program;
    HWND editor = Start(program, L"-edit");
    ASSERT_NE(editor, nullptr);
    RECT normal{};
    GetWindowRect(editor, &normal);
    PostMessageW(editor, WM_HOTKEY, kQuitHotKey, 0);
    ASSERT_EQ(program.WaitExit(10000), kQuitExitCode);
    EXPECT_NE(Trace().find("icon of 16 pixels for 96 DPI"), std::string::npos);

    const wchar_t desktop[] = L"Control Panel\\Desktop";
    DWORD dpi = 192;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, desktop, L"LogPixels", REG_DWORD, &dpi, sizeof dpi),
              ERROR_SUCCESS);
    ChildProcess large;
    editor = Start(large, L"-edit");
    RECT scaled{};
    GetWindowRect(editor, &scaled);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, desktop, L"LogPixels");
    ASSERT_NE(editor, nullptr);
    const double ratio = double(scaled.right - scaled.left) / double(normal.right - normal.left);
    EXPECT_GT(ratio, 1.7);
    EXPECT_LT(ratio, 2.3);
    EXPECT_NE(Trace().find("icon of 32 pixels for 192 DPI"), std::string::npos);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(editor) != FALSE; }));
    Sleep(1000);
    RECT r{};
    GetWindowRect(editor, &r);
    EXPECT_TRUE(Screenshot::Capture(r).SavePng(ShotPath(L"editor-menu-192")));
    PostMessageW(editor, WM_HOTKEY, kQuitHotKey, 0);
    EXPECT_EQ(large.WaitExit(10000), kQuitExitCode);
}

} // namespace
} // namespace lm
