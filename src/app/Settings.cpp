#include "app/Settings.h"

#include "base/Text.h"
#include "support/LMDebug.h"

namespace lm {

namespace {

const wchar_t kOsdKey[] = L"OSD";
const wchar_t kRcKey[] = L"RC";

} // namespace

CSettings::CSettings(CLMRegistry& registry, IFirstRun& firstRun, const std::wstring& programPath)
    : registry_(registry), firstRun_(firstRun), programPath_(programPath) {}

void CSettings::SettingsLoad() {
    bool pending = LoadPending();
    CLMTraceScope scope(kTraceIO, kTraceAllContexts, L"CSettings::SettingsLoad", L"%d", pending ? 1 : 0);
    if (!pending)
        return;
    tagSETTINGS s; // the defaults
    IRegistry& registry = registry_.Registry();
    // A user without the display's key has never run the program.
    if (!registry.KeyExists(registry_.RootKey(), registry_.FullKey(kOsdKey)))
        firstRun_.AutoFindApps();

    CLMRegistry machine(registry, RegistryHive::LocalMachine, registry_.BaseKey());
    auto number = [&](const wchar_t* name, uint32_t& value) {
        if (!registry_.ReadDword(name, value))
            machine.ReadDword(name, value);
    };
    number(L"Autostart", s.autostart);
    number(L"Disable sound", s.disableSound);
    number(L"Hidden", s.hidden);
    number(L"Exclusive", s.exclusive);
    const int exclusiveChars = static_cast<int>(kExclusiveApplicationChars);
    if (!registry_.ReadString(L"Exclusive Application", s.exclusiveApplication, exclusiveChars))
        machine.ReadString(L"Exclusive Application", s.exclusiveApplication, exclusiveChars);

    registry_.ReadDword(L"OSD On", s.osd.on, kOsdKey);
    registry_.ReadDword(L"OSD Time", s.osd.time, kOsdKey);
    registry_.ReadDword(L"OSD Text Color", s.osd.textColor, kOsdKey);
    registry_.ReadDword(L"OSD Background Color", s.osd.backgroundColor, kOsdKey);
    registry_.ReadDword(L"OSD Gradient Color", s.osd.gradientColor, kOsdKey);
    registry_.ReadDword(L"OSD Use Gradient", s.osd.useGradient, kOsdKey);

    registry.DeleteValue(registry_.RootKey(), registry_.FullKey(kRcKey), L"Selected"); // obsolete
    registry_.ReadDword(L"Selection", s.selection, kRcKey);
    registry_.ReadDword(L"Vistar: Disable Key 0", s.vistarDisableKey0, kRcKey);
    registry_.ReadString(L"MIDI device", s.midiDevice, static_cast<int>(kMidiDeviceChars), kRcKey);
    registry_.ReadString(L"IR Server Host", s.irServerHost, static_cast<int>(kIrServerHostChars), kRcKey);
    registry_.ReadDword(L"IR Server Port", s.irServerPort, kRcKey);
    if (s.irServerPort > 0xFFFF)
        s.irServerPort = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        block_ = s;
    }
    SettingsSave();
}

int CSettings::SettingsSave() {
    CLMTraceScope scope(kTraceIO, kTraceAllContexts, L"CSettings::SettingsSave");
    tagSETTINGS s = Get();
    registry_.WriteDword(L"RC Layout Version", kLayoutVersion);
    registry_.WriteDword(L"Autostart", s.autostart);
    registry_.WriteDword(L"Disable sound", s.disableSound);
    registry_.WriteDword(L"Hidden", s.hidden);
    registry_.WriteDword(L"Exclusive", s.exclusive);
    registry_.WriteString(L"Exclusive Application", s.exclusiveApplication);

    registry_.WriteDword(L"OSD On", s.osd.on, kOsdKey);
    registry_.WriteDword(L"OSD Time", s.osd.time, kOsdKey);
    registry_.WriteDword(L"OSD Text Color", s.osd.textColor, kOsdKey);
    registry_.WriteDword(L"OSD Background Color", s.osd.backgroundColor, kOsdKey);
    registry_.WriteDword(L"OSD Gradient Color", s.osd.gradientColor, kOsdKey);
    registry_.WriteDword(L"OSD Use Gradient", s.osd.useGradient, kOsdKey);

    registry_.WriteDword(L"Selection", s.selection, kRcKey);
    registry_.WriteDword(L"Vistar: Disable Key 0", s.vistarDisableKey0, kRcKey);
    registry_.WriteString(L"MIDI device", s.midiDevice, kRcKey);
    registry_.WriteString(L"IR Server Host", s.irServerHost, kRcKey);
    registry_.WriteDword(L"IR Server Port", s.irServerPort, kRcKey);

    SetAutostart(s.autostart);
    std::lock_guard<std::mutex> lock(mutex_);
    loadPending_ = false;
    return 1;
}

int CSettings::SetAutostart(uint32_t enable) {
    CLMTraceScope scope(kTraceIO, kTraceAllContexts, L"CSettings::SetAutostart", L"%u", enable);
    IRegistry& registry = registry_.Registry();
    registry.DeleteValue(RegistryHive::LocalMachine, kRunKey, kOldAutostartValue);
    registry.DeleteValue(RegistryHive::LocalMachine, kRunKey, kAutostartValue);
    registry.DeleteValue(RegistryHive::CurrentUser, kRunKey, kOldAutostartValue);
    if (enable == 0)
        return registry.DeleteValue(RegistryHive::CurrentUser, kRunKey, kAutostartValue) ? 1 : 0;
    // Quoted, so that a path with blanks starts the program and not a prefix of it; no switches, so
    // that an autostart begins in the background.
    return registry.SetString(RegistryHive::CurrentUser, kRunKey, kAutostartValue,
                              L"\"" + programPath_ + L"\"")
               ? 1
               : 0;
}

tagSETTINGS CSettings::Get() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return block_;
}

void CSettings::Set(const tagSETTINGS& settings) {
    tagSETTINGS s = settings;
    s.exclusiveApplication = CutTo(s.exclusiveApplication, kExclusiveApplicationChars - 1);
    s.midiDevice = CutTo(s.midiDevice, kMidiDeviceChars - 1);
    s.irServerHost = CutTo(Trim(s.irServerHost), kIrServerHostChars - 1);
    if (s.irServerPort > 0xFFFF)
        s.irServerPort = 0;
    std::lock_guard<std::mutex> lock(mutex_);
    block_ = std::move(s);
}

tagDISPATCHSETTINGS CSettings::ForDispatch() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return {block_.disableSound, block_.hidden, block_.exclusive, block_.exclusiveApplication, block_.osd.on};
}

bool CSettings::LoadPending() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return loadPending_;
}

} // namespace lm
