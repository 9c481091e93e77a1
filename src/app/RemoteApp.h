// CRemoteApp: the application object. It owns for the whole run the registry access, the settings, the
// command-set administration, the receivers and the on-screen display, and spends its life inside the
// editor sheet, which sits hidden behind the tray icon unless the user asks for it. InitInstance starts
// everything in a fixed order, runs the sheet until the user quits, and then ends everything again:
// the sources first, then the key handling, then the display that the key handling uses.
//
// Two seams keep this class portable: the shell (IAppShell) makes the windows (display, sheet, message
// boxes) and the key path (IKeyPath) takes the receivers' keys. Device arrival and removal, suspend
// and resume reach the receivers through HandleDeviceChange and HandlePower*.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "app/DeviceEvents.h"
#include "app/Settings.h"
#include "cmdset/AppCatalog.h"
#include "cmdset/CmdSetAdmin.h"
#include "cmdset/KeyNames.h"
#include "exec/CmdExecutor.h"
#include "osd/OsdDisplay.h"
#include "platform/Desktop.h"
#include "platform/Instance.h"
#include "platform/KnownFolders.h"
#include "platform/Sync.h"
#include "platform/SystemInfo.h"
#include "receivers/Receivers.h"
#include "support/LMLocalize.h"
#include "support/LMRegistry.h"
#include "support/ProfileFile.h"

namespace lm {

class CRemoteApp;

// The program's names that other programs and instances see.
constexpr const wchar_t* kEditorTitle = L"Lumora Remote Control Editor";
constexpr const wchar_t* kInstanceSemaphore = L"Lumora RC Editor Semaphore";
constexpr const wchar_t* kProgramKey = L"Software\\Lumora\\Remote Control";
constexpr const wchar_t* kLanguageValue = L" Language"; // with its leading blank
// The command a second start posts to the first instance's editor: show yourself.
constexpr uint32_t kCmdShowEditor = 0x8102;
// Command to the same window that ends the program without asking (the uninstaller sends it).
constexpr uint32_t kCmdQuit = 0x8103;
// Exit code of the quit hot key (Ctrl+Alt+Shift+X).
constexpr uint32_t kExitCodeQuitHotKey = 0x1111;
// Message texts of the lifecycle.
constexpr uint32_t kStringFileWriteProtected = 4009;

// The command line: "-EDIT", "-SHOW" or "-C" anywhere (any letter case) shows the editor at start;
// "-midi:" followed by one digit 0-9 or a-f (as typed) sets the MIDI channel.
struct tagCOMMANDLINE {
    uint32_t backgroundStart = 1;
    uint8_t midiChannel = CReceivers::kDefaultMidiChannel;
};
tagCOMMANDLINE ParseCommandLine(const std::wstring& commandLine);

// The windows of the program, made by the Windows build's shell and by fakes in tests.
class IAppShell {
public:
    virtual ~IAppShell() = default;
    // Creates the on-screen display window (template 100) with the settings; null when it cannot be
    // created. It lives until DestroyDisplay.
    virtual IOsdDisplay* CreateDisplay(const tagOSDSETTINGS& settings) = 0;
    virtual void DestroyDisplay() = 0;
    // A localised message box of a kind of LMLocalize.h; returns the answer.
    virtual int ShowMessage(const std::wstring& text, int kind) = 0;
    // Runs the editor sheet until the user quits. Returns the exit code of the process: 0, or the
    // code that ended the sheet's message loop.
    virtual int RunEditor(CRemoteApp& app) = 0;
    // Ends the process at once with the code, without the orderly end.
    virtual void EndProcess(uint32_t code) = 0;
};

// The key path: what takes the receivers' keys and turns them into commands (the key dispatcher and
// the command handler). The application object initialises every source with Callback() and
// CallbackContext(), lets keys through once receivers are ready, and ends the key handling before the
// display goes.
class IKeyPath {
public:
    virtual ~IKeyPath() = default;
    virtual IrEventCallback Callback() const = 0;
    virtual void* CallbackContext() = 0;
    // The command-set files are up to date and the settings read: the key handling is built on them.
    virtual void Start(CSettings& settings) = 0;
    // Keys are dispatched only while ready (a receiver was found).
    virtual void SetReady(bool ready) = 0;
    // A source is about to be deleted: whatever still reads it ends first.
    virtual void ReceiverFreeing(CSrc& source) = 0;
    // Ends the handling of the current key; 0 when it did not end in time.
    virtual int Stop(uint32_t timeoutMs) = 0;
    // The display the key feedback uses; null while there is none.
    virtual void AttachDisplay(IOsdDisplay* display) = 0;
    // The editor's program menu: the name of the active application, and switching to main-menu
    // program index (0..9).
    virtual std::wstring ActiveApplication() = 0;
    virtual void SwitchToProgram(int index) = 0;
    // The editor wrote command sets: the handler reads its active set again.
    virtual void ReloadActiveSet() {}
    // The command executors' services, for the editor's Test and Run; null when the path has none.
    virtual const tagEXECSERVICES* ExecServices() const { return nullptr; }
    // The editor's Test: runs one command for the application as a key would, display commands and the
    // pointer included, without touching the active set. -1 when the path cannot run commands.
    virtual int TestCommand(const tagWINCMD&, const tagPRGINFO&) { return -1; }
};

struct tagAPPSERVICES {
    IRegistry& registry;
    CProfileStore& profiles; // the command-set files; its file system serves every file question
    IKnownFolders& folders;
    IThreads& threads; // COM of the main thread
    IWindows& windows; // the first instance's editor
    IInstanceLock& instance;
    ISystemInfo& system; // the administrator check
    CLMLocalize& localize;
    CKeyNames& keyNames;
    CAppCatalog& catalog;
    ISourceFactory& sources;
    IKeyPath& keyPath;
    IAppShell& shell;
};

class CRemoteApp final : public IFirstRun, public IReceiverHost {
public:
    // Time-outs of the end: the key handling when the sheet ends and when the object goes.
    static constexpr uint32_t kStopHandlerMs = 5000;
    static constexpr uint32_t kDestroyHandlerMs = 10000;

    CRemoteApp(const tagAPPSERVICES& services, const std::wstring& commandLine);
    ~CRemoteApp() override;
    CRemoteApp(const CRemoteApp&) = delete;
    CRemoteApp& operator=(const CRemoteApp&) = delete;

    // Starts everything, runs the editor until the user quits and ends everything. Returns false in
    // every case; ExitCode tells how the process ends.
    bool InitInstance();
    int ExitCode() const { return exitCode_; }

    // Fills the main menu (the user file's "Software" section) with "Windows (Standard)" and up to
    // nine installed programs, sorted; the first-run step of the settings.
    void AutoFindApps() override;

    // The receivers (each returns what CReceivers returns); the ready flag of the key path follows.
    int InitReceivers();
    int ReinitReceiver(int type, int activate);
    int FreeReceiver(int type);
    int FreeReceivers();

    // Device broadcasts: arrival re-creates, query-remove and remove-complete free the receiver types
    // the device path names; the FireWire sound card's removal ends the process. Returns 1.
    int HandleDeviceChange(uint32_t eventCode, const tagDEVICEEVENT* record);
    // The HID remote (type 17) follows the arrival and removal of any USB or HID device: it is created
    // when such a device comes and none runs, and created anew (which checks for a device) when one has
    // gone.
    // Suspend frees receiver types 13 and 10; resume re-creates 10 and 13. Return 1.
    int HandlePowerSuspend();
    int HandlePowerResume();

    // The network receiver's server and buttons: host and port of the settings, the lines of the user
    // command-set file's "Remote Buttons" section. False while no server is configured (the type is then
    // not found). The options page, after changing host or port, saves the settings and calls
    // ReinitReceiver(kReceiverTypeIrServer, 1).
    bool IrServerConfig(tagIRSERVERCONFIG& config);
    // The network receiver's state as the options page shows it, in the user-interface language:
    // connected, connecting, trying again, or off while no source runs.
    std::wstring IrServerStatusText();

    // The language menu's command: false when the ID is no selectable language or the language is not
    // available. Otherwise makes it current and stores it as " Language" under the program's key.
    bool SwitchLanguage(uint32_t langId);

    // 1 while the editor shall start hidden (no editor switch on the command line).
    uint32_t BackgroundStart() const { return commandLine_.backgroundStart; }
    CSettings& Settings() { return settings_; }
    CLMRegistry& Registry() { return registry_; }
    CLMLocalize& Localize() { return services_.localize; }
    IKeyPath& KeyPath() { return services_.keyPath; }
    // The administration; null before InitInstance made it.
    CCmdSetAdmin* Admin() { return admin_.get(); }
    CReceivers& Receivers() { return receivers_; }
    IOsdDisplay* Display() { return display_; }

    // IReceiverHost.
    uint32_t ReceiverSelection() override;
    void SaveReceiverSettings() override;
    void ReceiverFreeing(CSrc& source) override;

private:
    // A second start: asks the first instance to show its editor when the command line wants it.
    void ShowFirstInstance();
    // Tells the user when the user command-set file cannot be written.
    void CheckUserFileWritable();
    void SyncReady();

    tagAPPSERVICES services_;
    std::wstring commandLineText_;
    tagCOMMANDLINE commandLine_;
    CLMRegistry registry_;
    CSettings settings_;
    CReceivers receivers_;
    std::unique_ptr<CCmdSetAdmin> admin_;
    IOsdDisplay* display_ = nullptr;
    int exitCode_ = 0;
};

} // namespace lm
