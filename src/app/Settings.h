// CSettings: the program's options, kept in the registry per user under the program's key ("main"),
// with its sub-keys "OSD" and "RC", and machine-wide defaults for five of them at the same path under
// the machine's hive (written by an installer, only read here). The application object owns one
// block; it is read from the registry once per process and written back whole, and the Windows
// autostart entry follows the Autostart option.
//
// The options page changes the block on the user-interface thread while the key dispatcher reads it
// on its own thread: every access copies the block under a lock, so no reader sees a half-written one.
#pragma once
#include <cstdint>
#include <mutex>
#include <string>

#include "osd/OsdSettings.h"
#include "support/LMRegistry.h"

namespace lm {

struct tagSETTINGS {
    uint32_t autostart = 1;    // start with Windows
    uint32_t disableSound = 0; // no key sounds
    uint32_t hidden = 0;       // no tray icon, no key sounds, no per-key display
    uint32_t exclusive = 0;    // every key uses the command set of the exclusive application
    std::wstring exclusiveApplication;
    tagOSDSETTINGS osd;
    uint32_t selection =
        0xFFFDFFFE; // receiver types to start, bit n for type n (CReceivers::kDefaultSelection)
    std::wstring midiDevice;
    uint32_t vistarDisableKey0 = 0;
    // The network IR server: host name or address, and TCP port (1..65535). An empty host or port 0
    // leaves the network receiver off; the host is empty until the user enters one.
    std::wstring irServerHost;
    uint32_t irServerPort = 8765;
    friend bool operator==(const tagSETTINGS&, const tagSETTINGS&) = default;
};

// What the key dispatcher reads for every key.
struct tagDISPATCHSETTINGS {
    uint32_t disableSound = 0;
    uint32_t hidden = 0;
    uint32_t exclusive = 0;
    std::wstring exclusiveApplication;
    uint32_t osdOn = 1;
};

// The first-run step: fills the main menu with the installed programs. The application object
// implements it.
class IFirstRun {
public:
    virtual ~IFirstRun() = default;
    virtual void AutoFindApps() = 0;
};

class CSettings {
public:
    // Texts are held with at most one character less than these, as in their fixed arrays.
    static constexpr size_t kExclusiveApplicationChars = 256;
    static constexpr size_t kMidiDeviceChars = 128;
    static constexpr size_t kIrServerHostChars = 256;
    static constexpr uint32_t kLayoutVersion = 4;
    // The Windows autostart entries: the current one under the user's Run key and the names of older
    // versions, which are removed from both hives.
    static constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    static constexpr const wchar_t* kAutostartValue = L"Remote Control Editor";
    static constexpr const wchar_t* kOldAutostartValue = L"Lumora Remote Control";

    // `registry` points at the program's key under the user's hive; `programPath` is the full path of
    // the program, started by the autostart entry.
    CSettings(CLMRegistry& registry, IFirstRun& firstRun, const std::wstring& programPath);

    // Reads the block from the registry, only until the first save: defaults first, a first run when
    // the user has no "OSD" key yet, the machine's values where the user has none of "Autostart",
    // "Disable sound", "Hidden", "Exclusive" and "Exclusive Application". A value that is missing, of
    // another type or too long leaves the default. Removes the obsolete "Selected", then saves.
    void SettingsLoad();
    // Writes the whole block to the user's keys and sets the autostart entry; single failures are
    // ignored. Returns 1.
    int SettingsSave();
    // Removes the entries of older versions, then sets or removes the user's autostart entry, which
    // holds the quoted program path without switches. 1 when that final write or removal succeeded.
    int SetAutostart(uint32_t enable);

    tagSETTINGS Get() const;
    // The options page's changes; the texts are cut to their arrays. Saving is a separate step.
    void Set(const tagSETTINGS& settings);
    tagDISPATCHSETTINGS ForDispatch() const;
    // True until the first save.
    bool LoadPending() const;

private:
    CLMRegistry& registry_;
    IFirstRun& firstRun_;
    std::wstring programPath_;
    mutable std::mutex mutex_;
    tagSETTINGS block_;
    bool loadPending_ = true;
};

} // namespace lm
