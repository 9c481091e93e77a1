// The names of the key IDs: an English table, whose names are written into command-set files and tell
// which key IDs exist, and a display table in the user-interface language. Both are filled once per
// process run, the first time a name is asked for, and are not rebuilt when the language changes.
#pragma once
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "cmdset/RemoteKeys.h"
#include "support/Strings.h"

namespace lm {

constexpr size_t kKeyNameChars = 128; // terminator included
using KeyNameTable = std::array<std::array<wchar_t, kKeyNameChars>, RCKEY_COUNT>;

// String IDs of the words the key names are built from.
enum : uint32_t {
    kWordOk = 1, // "&OK"; the accelerator marks are removed
    kWordPower = 4452,
    kWordFrew = 4500,
    kWordFfwd = 4501,
    kWordBack = 53312,
    kWordBlue = 53313,
    kWordDelete = 53441,
    kWordDown = 53454,
    kWordFullScreen = 53579,
    kWordGreen = 53633,
    kWordLeft = 53889,
    kWordMenu = 53953,
    kWordNext = 54019,
    kWordPause = 54149,
    kWordPlay = 54151,
    kWordPrevious = 54159,
    kWordRecording = 54274,
    kWordRed = 54276,
    kWordRight = 54287,
    kWordStop = 54359,
    kWordTimer = 54402,
    kWordUp = 54467,
    kWordYellow = 54720,
    kWordAudio = 55810,
    kWordMute = 56020,
    kWordProgramme = 56052,
    kWordStill = 56106,
    kWordTeletext = 56115,
    kWordVideo = 56144,
    kWordVolume = 56150,
};

// Fills one table from the words of `words`: the English table (english = true) from the words of
// language 2057, the display table from those of the user-interface language. A word the source does
// not have is taken in English, so that no key loses its name. Traces every name of 128..324.
void InitKeynames(bool english, IStringSource& words, KeyNameTable& table);

class CKeyNames {
public:
    // Makes the source of the English (true) or display (false) words. The production program passes
    // short-lived localisers (CLMLocalize with tagLOCALIZEOPTIONS::LookupOnly): language 2057 from the
    // string tables only for English, so that no language file can change the names stored in
    // command-set files, and the user-interface language for display.
    using SourceFactory = std::function<std::unique_ptr<IStringSource>(bool english)>;

    // Without a factory, both tables come from the built-in British English table.
    explicit CKeyNames(SourceFactory factory = SourceFactory());
    CKeyNames(const CKeyNames&) = delete;
    CKeyNames& operator=(const CKeyNames&) = delete;

    // Replaces the factory; false (and unchanged) once the tables are filled.
    bool SetSourceFactory(SourceFactory factory);

    bool Filled() const { return filled_.load(std::memory_order_acquire); }
    // Fills both tables (display first, then English) unless they are filled; any number of threads
    // may ask at once, and all of them return with filled tables.
    void EnsureFilled();

    // The names of a key ID; empty for a key ID that does not exist or lies outside 0..324.
    const wchar_t* EnglishName(int32_t key);
    const wchar_t* DisplayName(int32_t key);
    bool KeyExists(int32_t key) { return *EnglishName(key) != 0; }
    // The key ID of an English name (exact match), RCKEY_NONE when no key has it.
    int32_t FindByEnglishName(std::wstring_view name);

private:
    std::mutex factoryMutex_;
    SourceFactory factory_;
    std::once_flag once_;
    std::atomic<bool> filled_{false};
    KeyNameTable english_{};
    KeyNameTable display_{};
};

// The process-wide tables.
CKeyNames& ProcessKeyNames();

class CLMLocalize;
struct tagLOCALIZESERVICES;
// The sources of the program: English words from the built-in British English table only (no language
// file can change the names stored in command-set files), display words in the language `ui` shows at
// the time of the fill, language files first. `services` and `ui` must outlive the fill.
CKeyNames::SourceFactory KeyNameSourcesFor(const tagLOCALIZESERVICES& services, const CLMLocalize& ui);

} // namespace lm
