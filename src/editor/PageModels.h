// The rules of the editor's pages that need no window: the command-set list (status words, icons'
// files, the toolbar's states, the summary, copying, deleting and the names a set may take), the main
// menu's ten places (the sorted lists, restoring, Autoselect and storing), the options page (display
// time, the receiver rows and their extras, the selection, the preview's colours, the MIDI devices) and
// the about text. The pages are thin views over these operations.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "cmdset/CmdSetAdmin.h"
#include "osd/OsdSettings.h"
#include "platform/FileSystem.h"
#include "support/Strings.h"

namespace lm {

// Texts of the pages by string ID.
enum : uint32_t {
    kStringNew = 54018,
    kStringCopyCommand = 53388,
    kStringEdit = 53504,
    kStringDelete = 53441,
    kStringReset = 54284,
    kStringInformation = 53763,
    kStringStatus = 54358,
    kStringPreset = 54156,
    kStringModified = 4427,
    kStringUser = 54468,
    kStringCopySuffix = 53387,
    kStringError = 53505,
    kStringWarning = 54592,
    kStringPath = 54148,
    kStringFile = 53569,
    kStringCommandLine = 4402,
    kStringWindow = 54593,
    kStringUnavailable = 54464,
    kStringNoFile = 4001,
    kStringPresetRefused = 4004,
    kStringModifiedPreset = 4005,
    kStringNameMissing = 4011,
    kStringNameUsed = 4012,
    kStringNameInvalid = 4013,
    kStringDevices = 53447,
    kStringOptionsColumn = 54085,
    kStringDevice = 53446,
    kStringInactive = 53762,
    kStringVersion = 54528,
};

// --- The command-set list ---

struct tagSETROW {
    tagPRGINFO record;
    std::wstring status;   // "Preset", "Modified" or "User"
    std::wstring iconFile; // the file whose icon the row shows; empty when the executable is missing
};

// The file that carries the icon of a set's executable: path and file name joined, or the path alone
// when only that names an existing file; empty when neither exists.
std::wstring IconFileOf(const tagPRGINFO& record, IFileSystem& fs);
// The status word: "Preset" for a preset, and for a changed preset that equals the preset again;
// "Modified" for a changed preset; "User" for the user's own set.
std::wstring SetStatus(const tagPRGINFO& record, CCmdSetAdmin& admin, IStringSource& strings);
// The rows of the list: every set of the application list but "---", in the list's order.
std::vector<tagSETROW> CmdSetRows(CCmdSetAdmin& admin, IStringSource& strings);

// Which commands of the toolbar and the list's menu apply to the selected set (null: none selected).
struct tagSETCOMMANDS {
    bool create = false, copy = false, edit = false, remove = false, reset = false, information = false;
    friend bool operator==(const tagSETCOMMANDS&, const tagSETCOMMANDS&) = default;
};
tagSETCOMMANDS SetCommands(const tagPRGINFO* selected);

// The summary of a set for the list and the review step: name, description, folder, file, command
// line and window caption, one per line after a tab.
std::wstring SetSummary(const tagPRGINFO& record, IStringSource& strings);

// Copy: the new name is "<name> (Copy)". 1 when the copy was stored as a user set; 0 when a set of that
// name exists already (newName tells which); -1 when the set is unknown.
int CopyCommandSet(CCmdSetAdmin& admin, IStringSource& strings, const std::wstring& name,
                   std::wstring& newName);

// Delete: a changed preset is deleted after a warning and the preset comes back; a pure preset is
// refused; the user's own set goes without a question.
enum class DeleteRule { Delete, WarnThenDelete, Refuse };
DeleteRule DeleteRuleOf(const tagPRGINFO& record);
// Carries out the rule without its message; 1 when the user set was removed.
int DeleteCommandSet(CCmdSetAdmin& admin, const tagPRGINFO& record);
// Reset: removes the user's changes of a changed preset; 0 for any other set.
int ResetCommandSet(CCmdSetAdmin& admin, const tagPRGINFO& record);

// The names a set may take in the wizard: 0 when the name can be used, else the string ID of the
// message that refuses it (empty or blank; taken by another set, in any letter case; characters or
// names the files cannot hold as a set's section). `ownName` is the name the set had when the wizard
// opened (empty for a new set): keeping it is allowed.
uint32_t SetNameProblem(const std::wstring& name, const std::wstring& ownName, CCmdSetAdmin& admin);

// --- The main menu ---

constexpr int32_t kMenuImageDefault = 0; // image 0: icon resource 205

// The names of the ten lists: the empty place "---" and every set of the application list, each
// inserted before the first name that compares greater (ordinal), else at the end; "---" comes first.
std::vector<std::wstring> MenuItems(const tagAPPSNAPSHOT& apps);
// The item index at each place: the place's name from the user file (or from memory when that cannot
// be used) found exactly among the items, else 0.
std::array<int32_t, kMainMenuPlaces> RestorePlaces(CCmdSetAdmin& admin,
                                                   const std::vector<std::wstring>& items);
// Autoselect: place 0 the standard set when listed, places 1 to 9 the following items whose executable
// exists, in list order; the remaining places item 0.
std::array<int32_t, kMainMenuPlaces> AutoselectPlaces(CCmdSetAdmin& admin,
                                                      const std::vector<std::wstring>& items);
// Writes the names of the places that differ from the user file and reloads the application list;
// the number of places written.
int StorePlaces(CCmdSetAdmin& admin, const std::array<std::wstring, kMainMenuPlaces>& names);

// --- The options page ---

constexpr int32_t kDisplayTimeMin = 1;
constexpr int32_t kDisplayTimeMax = 30;
// A step of the display-time spin: position + step, wrapping below 1 to 30 and above 30 to 1.
int32_t StepDisplayTime(int32_t position, int32_t step);
std::wstring DisplayTimeText(int32_t seconds);
// The number at the start of the edit's text; `current` when there is none or it is 0.
uint32_t DisplayTimeFromText(const std::wstring& text, uint32_t current);

// The network IR server's port as typed: empty is 0 (the receiver off), 1..65535 is the port; anything
// else is no port (false) and the stored one stays.
bool ServerPortFromText(const std::wstring& text, uint32_t& port);

// A receiver's extra option: the control the page shows while its row is selected.
enum : int32_t { kIdcDisableKey0 = 1423, kIdcMidiDevice = 1427 };
struct tagRECEIVEREXTRA {
    int32_t type;
    int32_t controlId;
};
// The receivers that have an extra: the MIDI input with its device list, type 7 with "Disable key 0".
constexpr tagRECEIVEREXTRA kReceiverExtras[] = {{0, kIdcMidiDevice}, {7, kIdcDisableKey0}};
// The extra's control of a type; 0 when it has none.
int32_t ReceiverExtraControl(int32_t type);

struct tagRECEIVERROW {
    int32_t type;
    std::wstring name;   // the type's display name
    std::wstring option; // second column: the MIDI channel, the key-0 option, else empty
    bool checked;        // its bit in the pending selection
    friend bool operator==(const tagRECEIVERROW&, const tagRECEIVERROW&) = default;
};
// One row per type of the receiver table whose bit is set in the found mask, in type order.
std::vector<tagRECEIVERROW> ReceiverRows(uint32_t foundMask, uint32_t selection, uint8_t midiChannel,
                                         uint32_t disableKey0);
// The selection of the rows: the bits of checked rows and of types without a row set, those of unchecked
// rows clear (type mod 32); the HID remote's bit without its row stays as in `previous`.
uint32_t SelectionFromRows(const std::vector<tagRECEIVERROW>& rows, uint32_t previous);

// The preview's colours (contrast, text, background 1, background 2), 0x00BBGGRR; grey when off.
std::array<uint32_t, 4> PreviewColours(bool on, bool gradient, const tagOSDSETTINGS& osd);
// The colour dialog's sixteen custom colours.
std::array<uint32_t, 16> CustomColours(const tagOSDSETTINGS& osd, uint32_t captionText,
                                       uint32_t activeCaption, uint32_t captionGradient);

// The MIDI input devices the page offers: every device but the three ports through which the sound
// card family's FireWire card delivers its own remote control (compared exactly).
constexpr const wchar_t* kExcludedMidiPorts[] = {L"FireWire Remote", L"FireWire Remote 2",
                                                 L"FireWire Control"};
std::vector<std::wstring> MidiDeviceChoices(const std::vector<std::wstring>& devices);

// --- The about page ---

struct tagABOUTINFO {
    std::wstring version;    // the program file's version
    std::wstring folder;     // the program's folder
    std::wstring waveMapper; // the three texts of the system information
    std::wstring windows;
    std::wstring directX;
};
// The text of the about page; its first line is the product line.
std::wstring AboutText(const tagABOUTINFO& info, IStringSource& strings);
// The publisher's notice that closes the about text; the page sets it, and the empty line after it, in
// small grey type.
constexpr const wchar_t* kAboutNotice = L"Lumora Remote Control\n"
                                        L"Copyright (C) 2026 Lumora\n"
                                        L"This program is given as it is, without any warranty.\n"
                                        L"Names of products and makers belong to their owners.\n"
                                        L"https://lumora.example/remote\n"
                                        L"\n";
// The read-me file beside the program.
constexpr const wchar_t* kReadmeFile = L"Marvix.txt";

} // namespace lm
