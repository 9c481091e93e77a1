#include "app/RemoteApp.h"

#include "base/Path.h"
#include "base/Text.h"
#include "support/LMDebug.h"
#include "support/LMSystemInfo.h"

#include <algorithm>
#include <vector>

namespace lm {

namespace {

constexpr const wchar_t* kLumoraKey = L"Software\\Lumora";
constexpr size_t kMenuNameChars = 256;

uint32_t Bit(int type) {
    return 1u << static_cast<unsigned>(type);
}

} // namespace

tagCOMMANDLINE ParseCommandLine(const std::wstring& commandLine) {
    tagCOMMANDLINE result;
    const std::wstring upper = TextToUpper(commandLine);
    for (const wchar_t* editorSwitch : {L"-C", L"-EDIT", L"-SHOW"})
        if (upper.find(editorSwitch) != std::wstring::npos)
            result.backgroundStart = 0;
    const std::wstring midi = L"-midi:";
    const size_t at = commandLine.find(midi);
    if (at != std::wstring::npos && at + midi.size() < commandLine.size()) {
        const wchar_t digit = commandLine[at + midi.size()];
        if (digit >= L'0' && digit <= L'9')
            result.midiChannel = static_cast<uint8_t>(digit - L'0');
        else if (digit >= L'a' && digit <= L'f')
            result.midiChannel = static_cast<uint8_t>(digit - L'a' + 10);
    }
    return result;
}

CRemoteApp::CRemoteApp(const tagAPPSERVICES& services, const std::wstring& commandLine)
    : services_(services), commandLineText_(commandLine),
      registry_(services.registry, RegistryHive::CurrentUser,
                FormatBounded(CLMRegistry::kMaxKeyChars, L"%ls\\%ls", kLumoraKey,
                              PathStem(services.folders.ExecutablePath()).c_str())),
      settings_(registry_, *this, services.folders.ExecutablePath()),
      receivers_(services.sources, *this, services.keyPath.CallbackContext(), services.keyPath.Callback()) {}

CRemoteApp::~CRemoteApp() {
    services_.keyPath.Stop(kDestroyHandlerMs);
}

bool CRemoteApp::InitInstance() {
    LM_TRACE_SCOPE(L"CRemoteApp::InitInstance");
    services_.threads.ComInitialize();
    registry_.SetRootKey(RegistryHive::CurrentUser);
    registry_.SetBaseKey(kProgramKey);
    // The localisation starts in the user's default language; a language the user chose wins.
    uint32_t language = 0;
    if (registry_.ReadDword(kLanguageValue, language))
        services_.localize.SetLanguage(static_cast<uint16_t>(language));
    commandLine_ = ParseCommandLine(commandLineText_);

    if (!services_.instance.Claim(kInstanceSemaphore)) {
        LM_TRACE(kTraceInfo, L"CRemoteApp: another instance runs\n");
        ShowFirstInstance();
        services_.threads.ComUninitialize();
        return false;
    }

    admin_ = std::make_unique<CCmdSetAdmin>(tagCMDSETSERVICES{services_.profiles, services_.registry,
                                                              services_.folders, services_.localize,
                                                              services_.keyNames, services_.catalog});
    CheckUserFileWritable();
    admin_->UpgradeLayout();
    services_.catalog.MarkForReload(); // the list was read before the files were brought up to date
    admin_->LoadAppList();
    settings_.SettingsLoad();

    display_ = services_.shell.CreateDisplay(settings_.Get().osd);
    if (!display_)
        LM_TRACE(kTraceErr, L"CRemoteApp: the on-screen display could not be created\n");
    services_.keyPath.Start(settings_);
    services_.keyPath.AttachDisplay(display_);
    InitReceivers();
    // No source of this system takes a MIDI channel (types 0 and 1); the receivers keep it.
    receivers_.SetMidiChannel(commandLine_.midiChannel);

    exitCode_ = services_.shell.RunEditor(*this);

    // The sources first, so that no new key arrives; then the key handling, which uses the display.
    FreeReceivers();
    services_.keyPath.Stop(kStopHandlerMs);
    services_.keyPath.AttachDisplay(nullptr);
    display_ = nullptr;
    services_.shell.DestroyDisplay();
    services_.threads.ComUninitialize();
    return false;
}

void CRemoteApp::ShowFirstInstance() {
    if (commandLine_.backgroundStart)
        return;
    IWindows& windows = services_.windows;
    WindowHandle editor = windows.FindTopLevelWindow(kEditorTitle);
    if (editor == kNoWindow)
        return;
    // Hidden first, so that the editor's answer (a toggle) shows it.
    if (windows.IsVisible(editor))
        windows.SetWindowPos(editor, kNoWindow, 0, 0, 0, 0,
                             kSwpNoMove | kSwpNoSize | kSwpNoZOrder | kSwpNoActivate | kSwpHideWindow);
    windows.PostMsg(editor, kWmCommand, kCmdShowEditor, 0);
}

void CRemoteApp::CheckUserFileWritable() {
    CLMSystemInfo system(services_.system, services_.registry);
    if (!system.IsAdministrator())
        return;
    // The file can be appended to when it is there and not read-only, or when it can be made.
    const std::wstring& file = admin_->UserFile();
    IFileSystem& fs = services_.profiles.FileSystem();
    const tagFILEINFO info = fs.GetInfo(file);
    const bool writable =
        info.exists ? !info.directory && !info.readOnly : fs.GetInfo(PathFolder(file)).directory;
    if (writable)
        return;
    LM_TRACE(kTraceErr, L"CRemoteApp: %ls is write protected\n", file.c_str());
    std::wstring text;
    services_.localize.LoadText(kStringFileWriteProtected, text);
    services_.shell.ShowMessage(FillTextArgs(text, {file}, CLMLocalize::kTextBufferChars - 1), kMsgError);
}

void CRemoteApp::AutoFindApps() {
    CLMTraceScope scope(kTraceInfo, kTraceAllContexts, L"CRemoteApp::AutoFindApps");
    if (!admin_)
        return;
    admin_->LoadAppList();
    std::vector<std::wstring> names{kStandardSetName};
    IFileSystem& fs = services_.profiles.FileSystem();
    for (const tagPRGINFO& record : admin_->AppList()->list) {
        if (names.size() >= static_cast<size_t>(kMainMenuPlaces))
            break;
        // A set is listed once, "Windows (Standard)" included.
        if (std::find(names.begin(), names.end(), record.szName) != names.end())
            continue;
        const tagFILEINFO info = fs.GetInfo(record.szAppPath);
        if (record.szAppPath[0] != 0 && info.exists && !info.directory)
            names.push_back(record.szName);
    }
    std::sort(names.begin() + 1, names.end());
    names.resize(static_cast<size_t>(kMainMenuPlaces), kNoneSetName);

    const std::wstring& userFile = admin_->UserFile();
    for (int i = 0; i < kMainMenuPlaces; ++i) {
        const std::wstring& name = names[static_cast<size_t>(i)];
        TraceMessage(kTraceInfo, kTraceAllContexts, L"%d: %ls\n", i, name.c_str());
        const std::wstring key = FormatBounded(16, L"%d", i);
        const std::wstring stored =
            CutTo(services_.profiles.GetString(userFile, kSoftwareSection, key), kMenuNameChars - 1);
        if (stored != name) {
            services_.profiles.WriteString(userFile, kSoftwareSection, key, name);
            services_.catalog.MarkForReload();
        }
    }
}

void CRemoteApp::SyncReady() {
    services_.keyPath.SetReady(receivers_.Ready() != 0);
}

int CRemoteApp::InitReceivers() {
    int result = receivers_.InitReceivers();
    SyncReady();
    return result;
}

int CRemoteApp::ReinitReceiver(int type, int activate) {
    return receivers_.ReinitReceiver(type, activate);
}

int CRemoteApp::FreeReceiver(int type) {
    return receivers_.FreeReceiver(type);
}

int CRemoteApp::FreeReceivers() {
    int result = receivers_.FreeReceivers();
    SyncReady();
    return result;
}

int CRemoteApp::HandleDeviceChange(uint32_t eventCode, const tagDEVICEEVENT* record) {
    if (eventCode != kDbtDeviceArrival && eventCode != kDbtDeviceQueryRemove &&
        eventCode != kDbtDeviceRemoveComplete)
        return 1;
    if (!record || record->deviceType != kDbtDevTypDeviceInterface)
        return 1;
    CLMTraceScope scope(kTraceIO, kTraceAllContexts, L"CRemoteApp::HandleDeviceChange", L"0x%04X, %ls",
                        eventCode, record->path.c_str());
    const std::wstring path = TextToLower(record->path);
    const bool arrival = eventCode == kDbtDeviceArrival;
    if (IsFireWireSoundCard(path)) {
        if (!arrival) {
            LM_TRACE(kTraceWrn, L"CRemoteApp: the FireWire sound card is going; the program ends\n");
            services_.shell.EndProcess(kExitCodeFireWireRemoved);
            return 1;
        }
        if (path.find(L"midi") != std::wstring::npos)
            ReinitReceiver(1, 1);
    }
    if (path.rfind(L"\\\\?\\usb#", 0) == 0 || path.rfind(L"\\\\?\\hid#", 0) == 0) {
        CSrc* hid = receivers_.Source(kReceiverTypeHidRemote);
        if (arrival ? hid == nullptr : (hid != nullptr && eventCode == kDbtDeviceRemoveComplete))
            ReinitReceiver(kReceiverTypeHidRemote, 1);
    }
    const uint32_t types = UsbReceiverTypes(path);
    for (int type = 0; type < kReceiverTypeCount; ++type) {
        if ((types & Bit(type)) == 0)
            continue;
        if (arrival)
            ReinitReceiver(type, 1);
        else
            FreeReceiver(type);
    }
    return 1;
}

int CRemoteApp::HandlePowerSuspend() {
    CLMTraceScope scope(kTraceIO, kTraceAllContexts, L"CRemoteApp::HandlePowerSuspend");
    FreeReceiver(13);
    FreeReceiver(10);
    return 1;
}

int CRemoteApp::HandlePowerResume() {
    CLMTraceScope scope(kTraceIO, kTraceAllContexts, L"CRemoteApp::HandlePowerResume");
    ReinitReceiver(10, 1);
    ReinitReceiver(13, 1);
    return 1;
}

bool CRemoteApp::SwitchLanguage(uint32_t langId) {
    const auto& table = LanguageTable();
    auto entry = std::find_if(table.begin() + 1, table.end(),
                              [&](const tagLANGENTRY& e) { return e.langId == langId; });
    if (entry == table.end() || services_.localize.AvailabilityOf(entry->langId) == 0)
        return false;
    CLMTraceScope scope(kTraceInfo, kTraceAllContexts, L"CRemoteApp::SwitchLanguage", L"%u", langId);
    services_.localize.SetLanguage(entry->langId);
    registry_.WriteDword(kLanguageValue, entry->langId);
    return true;
}

bool CRemoteApp::IrServerConfig(tagIRSERVERCONFIG& config) {
    const tagSETTINGS s = settings_.Get();
    if (Trim(s.irServerHost).empty() || s.irServerPort == 0 || s.irServerPort > 0xFFFF)
        return false;
    config.host = Trim(s.irServerHost);
    config.port = static_cast<uint16_t>(s.irServerPort);
    config.buttons.clear();
    if (admin_)
        config.buttons = services_.profiles.GetSection(admin_->UserFile(), CIrButtonMap::kSection);
    return true;
}

std::wstring CRemoteApp::IrServerStatusText() {
    const auto* source = dynamic_cast<const CSrcIrServer*>(receivers_.Source(kReceiverTypeIrServer));
    std::wstring text;
    services_.localize.LoadText(IrServerStateText(source ? source->State() : IrServerState::Stopped), text);
    return text;
}

uint32_t CRemoteApp::ReceiverSelection() {
    return settings_.Get().selection;
}

void CRemoteApp::SaveReceiverSettings() {
    settings_.SettingsSave();
}

void CRemoteApp::ReceiverFreeing(CSrc& source) {
    services_.keyPath.ReceiverFreeing(source);
}

} // namespace lm
