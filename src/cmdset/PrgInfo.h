// One application and its command set, and the names the command-set files reserve.
#pragma once
#include <cstdint>
#include <cwchar>

namespace lm {

constexpr size_t kPrgTextChars = 260;

struct tagPRGINFO {
    wchar_t szExecutable[kPrgTextChars] = {};    // file name of the executable, key "Executable"
    wchar_t szAppPath[kPrgTextChars] = {};       // full path of the executable, key "AppPath"
    wchar_t szWindowCaption[kPrgTextChars] = {}; // main window's caption, empty when it changes
    wchar_t szCommandLine[kPrgTextChars] = {};   // arguments for starting it, key "Command-line"
    wchar_t szName[kPrgTextChars] = {};          // the set's name: its section in both files
    wchar_t szDescription[kPrgTextChars] = {};   // a copy of the executable when the file has none
    int32_t bPreset = 0;                         // read from the preset file
    int32_t bModifiedPreset = 0;                 // read from the user file, and the preset has the set too
    int32_t bHideOsd = 0;                        // no display of this set's keys
    int32_t bSmsInput = 0;                       // digit keys type text by multi-tap

    friend bool operator==(const tagPRGINFO& a, const tagPRGINFO& b) {
        return std::wcscmp(a.szExecutable, b.szExecutable) == 0 &&
               std::wcscmp(a.szAppPath, b.szAppPath) == 0 &&
               std::wcscmp(a.szWindowCaption, b.szWindowCaption) == 0 &&
               std::wcscmp(a.szCommandLine, b.szCommandLine) == 0 && std::wcscmp(a.szName, b.szName) == 0 &&
               std::wcscmp(a.szDescription, b.szDescription) == 0 && a.bPreset == b.bPreset &&
               a.bModifiedPreset == b.bModifiedPreset && a.bHideOsd == b.bHideOsd &&
               a.bSmsInput == b.bSmsInput;
    }
    friend bool operator!=(const tagPRGINFO& a, const tagPRGINFO& b) { return !(a == b); }
};

// The name and description of the empty record: an empty place of the main menu, or an active set that
// could not be loaded.
constexpr const wchar_t* kNoneSetName = L"---";
// The set that applies when no application's window is found.
constexpr const wchar_t* kStandardSetName = L"Windows (Standard)";

// Sections of the command-set files that are never a command set.
constexpr const wchar_t* kSettingsSection = L"Settings";
constexpr const wchar_t* kSoftwareSection = L"Software";
constexpr const wchar_t* kKeyNamesSection = L"Key names";
// The network receiver's button names and their key IDs (user file).
constexpr const wchar_t* kRemoteButtonsSection = L"Remote Buttons";
constexpr const wchar_t* kLayoutVersionKey = L"RC Layout Version";
constexpr int kCurrentLayoutVersion = 4;
// Places of the main menu ("0".."9" in the section "Software").
constexpr int kMainMenuPlaces = 10;

// Keys of a command set's application data.
constexpr const wchar_t* kKeyExecutable = L"Executable";
constexpr const wchar_t* kKeyAppPath = L"AppPath";
constexpr const wchar_t* kKeyWindowCaption = L"WindowCaption";
constexpr const wchar_t* kKeyDescription = L"Description";
constexpr const wchar_t* kKeyCommandLine = L"Command-line";
constexpr const wchar_t* kKeyHideOsd = L"HideOsd";
constexpr const wchar_t* kKeySmsInput = L"SmsInput";

// The record "---": name and description "---", everything else empty or 0.
tagPRGINFO MakeNonePrgInfo();

} // namespace lm
