#include "editor/PageModels.h"

#include <cwctype>

#include "base/Path.h"
#include "base/Text.h"
#include "cmdset/Keymap.h"
#include "receivers/ReceiverTypes.h"
#include "support/LMDebug.h"

namespace lm {

namespace {

constexpr size_t kSummaryChars = 4 * kPrgTextChars + 256;

bool Exists(IFileSystem& fs, const std::wstring& path) {
    if (path.empty())
        return false;
    const tagFILEINFO info = fs.GetInfo(path);
    return info.exists && !info.directory;
}

std::wstring Line(IStringSource& strings, uint32_t label, const wchar_t* english, const std::wstring& value) {
    return FormatBounded(kSummaryChars, L"\n\t%ls:\t %ls", strings.Text(label, english).c_str(),
                         value.c_str());
}

} // namespace

// --- The command-set list ---

std::wstring IconFileOf(const tagPRGINFO& record, IFileSystem& fs) {
    const std::wstring path = record.szAppPath;
    const std::wstring joined = PathJoin(path, record.szExecutable);
    if (Exists(fs, joined))
        return joined;
    if (Exists(fs, path))
        return path;
    return std::wstring();
}

std::wstring SetStatus(const tagPRGINFO& record, CCmdSetAdmin& admin, IStringSource& strings) {
    if (record.bPreset)
        return strings.Text(kStringPreset, L"Preset");
    if (record.bModifiedPreset)
        return admin.IsSameAsPreset(record.szName) ? strings.Text(kStringPreset, L"Preset")
                                                   : strings.Text(kStringModified, L"Modified");
    return strings.Text(kStringUser, L"User");
}

std::vector<tagSETROW> CmdSetRows(CCmdSetAdmin& admin, IStringSource& strings) {
    admin.LoadAppList();
    auto apps = admin.AppList();
    std::vector<tagSETROW> rows;
    for (const tagPRGINFO& record : apps->list) {
        if (std::wstring(record.szName) == kNoneSetName)
            continue;
        rows.push_back(
            {record, SetStatus(record, admin, strings), IconFileOf(record, admin.Profiles().FileSystem())});
    }
    return rows;
}

tagSETCOMMANDS SetCommands(const tagPRGINFO* selected) {
    tagSETCOMMANDS commands;
    if (!selected)
        return commands;
    commands.create = commands.copy = commands.edit = commands.information = true;
    commands.remove = !selected->bPreset && !selected->bModifiedPreset;
    commands.reset = !selected->bPreset && selected->bModifiedPreset;
    return commands;
}

std::wstring SetSummary(const tagPRGINFO& record, IStringSource& strings) {
    std::wstring text = FormatBounded(kSummaryChars, L"\n\t%ls", record.szName);
    text += FormatBounded(kSummaryChars, L"\n\t%ls\n", record.szDescription);
    const std::wstring folder = record.szAppPath[0]
                                    ? PathFolder(record.szAppPath)
                                    : FormatBounded(kPrgTextChars, L"!!! %ls !!!",
                                                    strings.Text(kStringUnavailable, L"Unavailable").c_str());
    text += Line(strings, kStringPath, L"Path", folder);
    text += Line(strings, kStringFile, L"File", record.szExecutable);
    text += Line(strings, kStringCommandLine, L"Command-line",
                 record.szCommandLine[0] ? record.szCommandLine : L"-");
    text +=
        Line(strings, kStringWindow, L"Window", record.szWindowCaption[0] ? record.szWindowCaption : L"-");
    return text;
}

int CopyCommandSet(CCmdSetAdmin& admin, IStringSource& strings, const std::wstring& name,
                   std::wstring& newName) {
    CLMTraceScope scope(kTraceInfo, kTraceAllContexts, L"CPageCmdSets::Copy", L"%ls", name.c_str());
    newName = FormatBounded(kPrgTextChars, L"%ls (%ls)", name.c_str(),
                            strings.Text(kStringCopySuffix, L"Copy").c_str());
    admin.LoadAppList();
    tagPRGINFO record;
    if (!admin.Catalog().Lookup(name, record))
        return -1;
    for (const tagPRGINFO& listed : admin.AppList()->list)
        if (newName == listed.szName)
            return 0;
    CKeymap keymap;
    admin.LoadKeymap(name, keymap, false);
    CopyBounded(record.szName, kPrgTextChars, newName);
    record.bPreset = record.bModifiedPreset = 0;
    const int saved = admin.SaveKeymap(keymap, &record);
    admin.LoadAppList();
    return saved ? 1 : -1;
}

DeleteRule DeleteRuleOf(const tagPRGINFO& record) {
    if (record.bModifiedPreset)
        return DeleteRule::WarnThenDelete;
    return record.bPreset ? DeleteRule::Refuse : DeleteRule::Delete;
}

int DeleteCommandSet(CCmdSetAdmin& admin, const tagPRGINFO& record) {
    if (DeleteRuleOf(record) == DeleteRule::Refuse)
        return 0;
    const int deleted = admin.DeleteCommandSet(record.szName);
    admin.LoadAppList();
    return deleted;
}

int ResetCommandSet(CCmdSetAdmin& admin, const tagPRGINFO& record) {
    if (!record.bModifiedPreset)
        return 0;
    return DeleteCommandSet(admin, record);
}

uint32_t SetNameProblem(const std::wstring& name, const std::wstring& ownName, CCmdSetAdmin& admin) {
    const std::wstring trimmed = Trim(name);
    if (trimmed.empty())
        return kStringNameMissing;
    // A section header ends at the first "]"; a line break or another control character breaks the
    // file's lines; the reserved sections and the empty record's name are never a set.
    for (wchar_t c : trimmed)
        if (c == L'[' || c == L']' || c < 0x20 || c == 0x7F)
            return kStringNameInvalid;
    if (CCmdSetAdmin::IsReservedSection(trimmed) || trimmed == kNoneSetName)
        return kStringNameInvalid;
    if (!ownName.empty() && SameText(trimmed, Trim(ownName)))
        return 0;
    admin.LoadAppList();
    for (const auto& [listed, record] : admin.AppList()->map)
        if (SameText(Trim(listed), trimmed))
            return kStringNameUsed;
    return 0;
}

// --- The main menu ---

std::vector<std::wstring> MenuItems(const tagAPPSNAPSHOT& apps) {
    std::vector<std::wstring> items;
    std::vector<std::wstring> names{kNoneSetName};
    for (const tagPRGINFO& record : apps.list)
        if (names.front() != record.szName)
            names.emplace_back(record.szName);
    for (const std::wstring& name : names) {
        auto at = items.begin();
        while (at != items.end() && *at <= name)
            ++at;
        items.insert(at, name);
    }
    return items;
}

std::array<int32_t, kMainMenuPlaces> RestorePlaces(CCmdSetAdmin& admin,
                                                   const std::vector<std::wstring>& items) {
    std::array<int32_t, kMainMenuPlaces> places{};
    for (int32_t i = 0; i < kMainMenuPlaces; ++i) {
        std::wstring name;
        if (!admin.GetMenuEntryName(i, name))
            continue;
        for (size_t item = 0; item < items.size(); ++item)
            if (items[item] == name) {
                places[static_cast<size_t>(i)] = static_cast<int32_t>(item);
                break;
            }
    }
    return places;
}

std::array<int32_t, kMainMenuPlaces> AutoselectPlaces(CCmdSetAdmin& admin,
                                                      const std::vector<std::wstring>& items) {
    std::array<int32_t, kMainMenuPlaces> places{};
    if (items.size() < 2)
        return places;
    for (size_t item = 0; item < items.size(); ++item)
        if (items[item] == kStandardSetName)
            places[0] = static_cast<int32_t>(item);
    IFileSystem& fs = admin.Profiles().FileSystem();
    size_t next = 1;
    for (size_t item = 1; item < items.size() && next < places.size(); ++item) {
        tagPRGINFO record;
        if (items[item] == kNoneSetName || !admin.Catalog().Lookup(items[item], record))
            continue;
        if (Exists(fs, record.szAppPath) || Exists(fs, PathJoin(record.szAppPath, record.szExecutable)))
            places[next++] = static_cast<int32_t>(item);
    }
    return places;
}

int StorePlaces(CCmdSetAdmin& admin, const std::array<std::wstring, kMainMenuPlaces>& names) {
    CLMTraceScope scope(kTraceInfo, kTraceAllContexts, L"CPageMenu::SaveSettings");
    int written = 0;
    for (int32_t i = 0; i < kMainMenuPlaces; ++i) {
        const std::wstring key = FormatBounded(16, L"%d", i);
        const std::wstring stored =
            CutTo(admin.Profiles().GetString(admin.UserFile(), kSoftwareSection, key, L""), 255);
        const std::wstring& name = names[static_cast<size_t>(i)];
        if (name == stored)
            continue;
        if (admin.Profiles().WriteString(admin.UserFile(), kSoftwareSection, key, name))
            ++written;
        admin.Catalog().MarkForReload();
    }
    admin.LoadAppList();
    return written;
}

// --- The options page ---

int32_t StepDisplayTime(int32_t position, int32_t step) {
    const int32_t value = position + step;
    if (value < kDisplayTimeMin)
        return kDisplayTimeMax;
    if (value > kDisplayTimeMax)
        return kDisplayTimeMin;
    return value;
}

std::wstring DisplayTimeText(int32_t seconds) {
    return FormatBounded(32, L"%d sec", seconds);
}

uint32_t DisplayTimeFromText(const std::wstring& text, uint32_t current) {
    uint32_t value = 0;
    size_t i = 0;
    while (i < text.size() && text[i] == L' ')
        ++i;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9' && value < 100000; ++i)
        value = value * 10 + static_cast<uint32_t>(text[i] - L'0');
    return value ? value : current;
}

bool ServerPortFromText(const std::wstring& text, uint32_t& port) {
    const std::wstring digits = Trim(text);
    uint32_t value = 0;
    for (wchar_t c : digits) {
        if (c < L'0' || c > L'9' || (value = value * 10 + static_cast<uint32_t>(c - L'0')) > 0xFFFF)
            return false;
    }
    port = value;
    return true;
}

int32_t ReceiverExtraControl(int32_t type) {
    for (const tagRECEIVEREXTRA& extra : kReceiverExtras)
        if (extra.type == type)
            return extra.controlId;
    return 0;
}

std::vector<tagRECEIVERROW> ReceiverRows(uint32_t foundMask, uint32_t selection, uint8_t midiChannel,
                                         uint32_t disableKey0) {
    std::vector<tagRECEIVERROW> rows;
    for (int32_t type = 0; type < 32; ++type) {
        const uint32_t bit = 1u << type;
        const std::wstring name = ReceiverTypeName(type);
        if (!(foundMask & bit) || name.empty())
            continue;
        std::wstring option;
        if (ReceiverExtraControl(type) == kIdcMidiDevice)
            option = FormatBounded(32, L"Channel %d", midiChannel + 1);
        else if (ReceiverExtraControl(type) == kIdcDisableKey0)
            option = disableKey0 ? L"Key 0 disabled" : L"Key 0 enabled";
        rows.push_back({type, name, option, (selection & bit) != 0});
    }
    return rows;
}

uint32_t SelectionFromRows(const std::vector<tagRECEIVERROW>& rows, uint32_t previous) {
    // The HID remote is the user's choice alone: without its row its bit stays as it was.
    constexpr uint32_t kHidBit = 1u << kReceiverTypeHidRemote;
    uint32_t selection = ~kHidBit | (previous & kHidBit);
    for (const tagRECEIVERROW& row : rows) {
        const uint32_t bit = 1u << (static_cast<uint32_t>(row.type) % 32);
        selection = row.checked ? selection | bit : selection & ~bit;
    }
    return selection;
}

std::array<uint32_t, 4> PreviewColours(bool on, bool gradient, const tagOSDSETTINGS& osd) {
    constexpr uint32_t kWhite = 0xFFFFFF, kLightBlue = 0xF0CAA6; // RGB(166, 202, 240)
    if (!on)
        return {kWhite, 0xB0B0B0, 0x707070, gradient ? 0x202020u : 0x707070u};
    return {osd.textColor == kWhite ? kLightBlue : kWhite, osd.textColor, osd.backgroundColor,
            gradient ? osd.gradientColor : osd.backgroundColor};
}

std::array<uint32_t, 16> CustomColours(const tagOSDSETTINGS& osd, uint32_t captionText,
                                       uint32_t activeCaption, uint32_t captionGradient) {
    std::array<uint32_t, 16> colours;
    colours.fill(0xFFFFFF);
    colours[0] = osd.textColor;
    colours[1] = osd.backgroundColor;
    colours[2] = osd.gradientColor;
    colours[8] = 0xF0CAA6; // RGB(166, 202, 240)
    colours[9] = 0xA56E3A; // RGB(58, 110, 165)
    colours[10] = 0x000000;
    colours[11] = captionText;
    colours[12] = activeCaption;
    colours[13] = captionGradient;
    return colours;
}

std::vector<std::wstring> MidiDeviceChoices(const std::vector<std::wstring>& devices) {
    std::vector<std::wstring> choices;
    for (const std::wstring& device : devices) {
        bool excluded = false;
        for (const wchar_t* port : kExcludedMidiPorts)
            excluded = excluded || device == port;
        if (!excluded)
            choices.push_back(device);
    }
    return choices;
}

// --- The about page ---

std::wstring AboutText(const tagABOUTINFO& info, IStringSource& strings) {
    constexpr size_t kLineChars = 2 * kPrgTextChars;
    std::wstring text = L"\nRemote Control Editor (64 bit)\n\n";
    text += FormatBounded(kLineChars, L"\n\t%ls:\t%ls", strings.Text(kStringVersion, L"Version").c_str(),
                          info.version.c_str());
    text += FormatBounded(kLineChars, L"\n\t%ls:\t%ls", strings.Text(kStringPath, L"Path").c_str(),
                          info.folder.c_str());
    text += L"\n\n\tDevelopment:\tThe Lumora remote-control team"
            L"\n\tTranslations:\tThe Lumora translators"
            L"\n\tRemote pictures:\tDrawn for this program";
    text += FormatBounded(kLineChars, L"\n\n\tWave mapper:\t%ls", info.waveMapper.c_str());
    text += FormatBounded(kLineChars, L"\n\tWindows:\t%ls", info.windows.c_str());
    text += FormatBounded(kLineChars, L"\n\tDirectX:\t%ls", info.directX.c_str());
    text += L"\n\n";
    text += kAboutNotice;
    return text;
}

} // namespace lm
