#include "cmdset/CmdSetAdmin.h"

#include "cmdset/KeyLine.h"
#include "support/LMDebug.h"
#include "base/Path.h"
#include "base/Text.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cwctype>
#include <set>

namespace lm {
namespace {

constexpr uint32_t kTraceContextCmdSet = 16;

// Buffers of the profile reads. Section names and sections are read whole: a preset with a few hundred
// sets, or a set with every key bound and long texts, must not lose anything.
constexpr size_t kAllChars = size_t(1) << 22;
constexpr size_t kMaxCacheEntries = 512;
constexpr size_t kMenuNameChars = 128;
constexpr size_t kSoftwareChars = 4096;

constexpr const wchar_t* kAppPathsKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";
constexpr const wchar_t* kAppPathsKey32 =
    L"Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\App Paths";

// The integer a profile value starts with, 0 when it starts with none.
int ProfileInt(const std::wstring& text) {
    size_t pos = 0;
    while (pos < text.size() && (text[pos] == L' ' || text[pos] == L'\t'))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == L'-' || text[pos] == L'+'))
        negative = text[pos++] == L'-';
    long long value = 0;
    while (pos < text.size() && text[pos] >= L'0' && text[pos] <= L'9') {
        if (value < 0x80000000LL)
            value = value * 10 + (text[pos] - L'0');
        ++pos;
    }
    value = negative ? -value : value;
    return static_cast<int>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

bool EndsWithExe(const std::wstring& name) {
    return name.size() > 4 && TextToLower(name.substr(name.size() - 4)) == L".exe";
}

std::wstring StripQuotes(std::wstring s) {
    s = Trim(s);
    if (s.size() >= 2 && s.front() == L'"' && s.back() == L'"')
        s = s.substr(1, s.size() - 2);
    return s;
}

// The lines of one set as the keymap reader uses them: the first line of each key, at most 512 keys,
// values cut to the longest line the writer makes.
class SectionCache {
public:
    void Load(CProfileStore& profiles, const std::wstring& file, const std::wstring& section) {
        values_.clear();
        for (auto& [key, value] : profiles.GetSection(file, section, kAllChars)) {
            if (values_.size() >= kMaxCacheEntries)
                break;
            values_.emplace(Trim(key), value.substr(0, kKeyLineChars - 1));
        }
    }
    const std::wstring* Find(int32_t key) const {
        auto it = values_.find(std::to_wstring(key));
        return it == values_.end() ? nullptr : &it->second;
    }
    bool Empty() const { return values_.empty(); }

private:
    std::unordered_map<std::wstring, std::wstring> values_;
};

} // namespace

// ---------------------------------------------------------------------------------------------------------
// Construction

CCmdSetAdmin::CCmdSetAdmin(const tagCMDSETSERVICES& services) : services_(services) {
    CLMTraceScope scope(kTraceIO, kTraceContextCmdSet, L"CCmdSetAdmin::CCmdSetAdmin");
    IFileSystem& fs = services_.profiles.FileSystem();
    const std::wstring exe = services_.folders.ExecutablePath();
    presetFile_ = PathWithExtension(exe, L".ini");

    const std::wstring userName = PathWithExtension(PathFileName(exe), L".usr");
    const std::wstring appData = services_.folders.Folder(KnownFolder::UserAppData);
    if (!appData.empty()) {
        std::wstring folder = PathJoin(appData, L"Lumora");
        fs.CreateDirectories(folder);
        folder = PathJoin(folder, L"Remote");
        fs.CreateDirectories(folder);
        userFile_ = PathJoin(folder, userName);
    } else {
        userFile_ = PathWithExtension(exe, L".usr");
    }

    // A user file of an older installation beside the program moves into the user's folder once.
    const std::wstring oldUserFile = PathWithExtension(exe, L".usr");
    if (oldUserFile != userFile_ && FileExists(oldUserFile) && !FileExists(userFile_)) {
        if (fs.Copy(oldUserFile, userFile_))
            fs.SetReadOnly(userFile_, false);
        else
            TraceMessage(kTraceErr, kTraceContextCmdSet, L"CCmdSetAdmin: cannot copy %ls to %ls\n",
                         oldUserFile.c_str(), userFile_.c_str());
    }
    TraceMessage(kTraceInfo, kTraceContextCmdSet, L"    preset file %ls, user file %ls\n",
                 presetFile_.c_str(), userFile_.c_str());

    BuildExecutableMap();
    SeedMainMenu();
    LoadAppList();
}

CCmdSetAdmin::CCmdSetAdmin(const tagCMDSETSERVICES& services, const tagCMDSETFILES& files)
    : services_(services), presetFile_(files.presetFile), userFile_(files.userFile) {}

CCmdSetAdmin::~CCmdSetAdmin() = default;

bool CCmdSetAdmin::FileExists(const std::wstring& path) {
    if (path.empty())
        return false;
    tagFILEINFO info = services_.profiles.FileSystem().GetInfo(path);
    return info.exists && !info.directory;
}

bool CCmdSetAdmin::SectionHasEntries(const std::wstring& file, const std::wstring& section) {
    return !services_.profiles.GetSection(file, section, 64).empty();
}

CProfileEdit CCmdSetAdmin::EditFile(const std::wstring& file) {
    CProfileEdit edit = services_.profiles.Edit(file);
    if (!edit.Exists())
        edit.WriteString(kSettingsSection, kLayoutVersionKey,
                         FormatBounded(16, L"%d", kCurrentLayoutVersion));
    return edit;
}

bool CCmdSetAdmin::IsReservedSection(const std::wstring& name) {
    return CProfileStore::NamesMatch(name, kSettingsSection) ||
           CProfileStore::NamesMatch(name, kSoftwareSection) ||
           CProfileStore::NamesMatch(name, kKeyNamesSection) ||
           CProfileStore::NamesMatch(name, kRemoteButtonsSection);
}

std::vector<std::wstring> CCmdSetAdmin::CommandSetNames(const std::wstring& file) {
    std::vector<std::wstring> names = services_.profiles.GetSectionNames(file, kAllChars);
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const std::wstring& n) { return IsReservedSection(n); }),
                names.end());
    return names;
}

// ---------------------------------------------------------------------------------------------------------
// Executable map

std::wstring CCmdSetAdmin::FindExecutable(const std::wstring& executable) const {
    auto it = exeMap_.find(TextToLower(executable));
    return it == exeMap_.end() ? std::wstring() : it->second;
}

void CCmdSetAdmin::MapAppPaths(RegistryHive hive, const std::wstring& key) {
    IRegistry& registry = services_.registry;
    const int count = registry.CountSubKeys(hive, key);
    if (count <= 0)
        return;
    std::vector<std::wstring> names = registry.ListSubKeys(hive, key);
    for (size_t i = 0; i < names.size() && i < static_cast<size_t>(count); ++i) {
        const std::wstring name = CutTo(names[i], kPrgTextChars - 1);
        auto value = registry.GetString(hive, key + L"\\" + name, std::wstring());
        if (!value)
            continue;
        std::wstring path =
            CutTo(StripQuotes(services_.folders.ExpandEnvironment(*value)), kPrgTextChars - 1);
        if (FileExists(path))
            exeMap_[TextToLower(name)] = path;
    }
}

void CCmdSetAdmin::MapFolderExecutables(const std::wstring& folder) {
    if (folder.empty())
        return;
    for (const std::wstring& name : services_.profiles.FileSystem().List(folder))
        if (EndsWithExe(name))
            exeMap_[TextToLower(name)] = PathJoin(folder, name);
}

void CCmdSetAdmin::MapProgramFolder(const std::wstring& root) {
    if (root.empty())
        return;
    IFileSystem& fs = services_.profiles.FileSystem();
    // The folder itself first, then each folder in it, in name order; only this one level.
    MapFolderExecutables(root);
    std::vector<std::wstring> entries = fs.List(root);
    std::sort(entries.begin(), entries.end(),
              [](const std::wstring& a, const std::wstring& b) { return TextToLower(a) < TextToLower(b); });
    for (const std::wstring& entry : entries) {
        const std::wstring path = PathJoin(root, entry);
        if (fs.GetInfo(path).directory)
            MapFolderExecutables(path);
    }
}

int CCmdSetAdmin::BuildExecutableMap() {
    CLMTraceScope scope(kTraceIO, kTraceContextCmdSet, L"CCmdSetAdmin::BuildExecutableMap");
    exeMap_.clear();
    IKnownFolders& folders = services_.folders;
    const bool is64 = folders.Is64BitSystem();

    // Registered applications: 32-bit ones, the machine's, then the user's own.
    if (is64)
        MapAppPaths(RegistryHive::LocalMachine, kAppPathsKey32);
    MapAppPaths(RegistryHive::LocalMachine, kAppPathsKey);
    MapAppPaths(RegistryHive::CurrentUser, kAppPathsKey);

    // The system's own programs.
    const std::wstring windows = folders.Folder(KnownFolder::Windows);
    MapFolderExecutables(folders.Folder(KnownFolder::System));
    MapFolderExecutables(windows);
    if (!windows.empty())
        MapFolderExecutables(PathJoin(windows, L"ehome"));

    // Installed programs, one folder level deep; later finds replace earlier ones of the same name.
    MapProgramFolder(folders.Folder(KnownFolder::ProgramFiles));
    if (is64)
        MapProgramFolder(folders.Folder(KnownFolder::ProgramFilesX86));
    MapProgramFolder(folders.Folder(KnownFolder::UserPrograms));
    // Some players install into the user's roaming data folder.
    MapProgramFolder(folders.Folder(KnownFolder::UserAppData));
    TraceMessage(kTraceInfo, kTraceContextCmdSet, L"    %d executables\n", static_cast<int>(exeMap_.size()));
    return 1;
}

// ---------------------------------------------------------------------------------------------------------
// Application records and the application list

int CCmdSetAdmin::LoadPrgInfo(const std::wstring& name, tagPRGINFO& record, bool fromPreset) {
    if (IsReservedSection(name))
        return 0;
    CProfileStore& profiles = services_.profiles;
    CProfileScope scope(profiles);
    record = tagPRGINFO();
    CopyBounded(record.szName, kPrgTextChars, name);

    const bool fromUser = !fromPreset && SectionHasEntries(userFile_, name);
    const std::wstring& file = fromUser ? userFile_ : presetFile_;
    if (fromUser)
        record.bModifiedPreset = SectionHasEntries(presetFile_, name) ? 1 : 0;
    else
        record.bPreset = 1;

    auto read = [&](const std::wstring& f, const wchar_t* key) {
        return CutTo(profiles.GetString(f, name, key), kPrgTextChars - 1);
    };
    std::wstring executable = read(file, kKeyExecutable);
    if (executable.empty())
        executable = read(presetFile_, kKeyExecutable);
    if (executable.empty())
        return 0;
    CopyBounded(record.szExecutable, kPrgTextChars, executable);

    std::wstring appPath = read(file, kKeyAppPath);
    if (appPath.empty())
        appPath = FindExecutable(executable);
    CopyBounded(record.szAppPath, kPrgTextChars, appPath);

    CopyBounded(record.szWindowCaption, kPrgTextChars, read(file, kKeyWindowCaption));
    std::wstring description = read(file, kKeyDescription);
    CopyBounded(record.szDescription, kPrgTextChars, description.empty() ? executable : description);
    CopyBounded(record.szCommandLine, kPrgTextChars, read(file, kKeyCommandLine));
    record.bHideOsd = ProfileInt(profiles.GetString(file, name, kKeyHideOsd));
    record.bSmsInput = ProfileInt(profiles.GetString(file, name, kKeySmsInput));
    return 1;
}

int CCmdSetAdmin::LayoutVersion(const std::wstring& file) {
    return ProfileInt(services_.profiles.GetString(file, kSettingsSection, kLayoutVersionKey));
}

int CCmdSetAdmin::LoadAppList() {
    CLMTraceScope scope(kTraceIO, kTraceContextCmdSet, L"CCmdSetAdmin::LoadAppList");
    CProfileScope once(services_.profiles);
    CAppCatalog& catalog = services_.catalog;
    const uint64_t ticket = catalog.BeginRebuild();
    if (ticket == 0)
        return 1;

    auto snapshot = std::make_shared<tagAPPSNAPSHOT>();
    snapshot->map.emplace(kNoneSetName, MakeNonePrgInfo());
    // The files name a section without regard to letter case: a set is taken once, from its first name.
    std::set<std::wstring> taken;
    for (const std::wstring* file : {&userFile_, &presetFile_}) {
        for (const std::wstring& name : services_.profiles.GetSectionNames(*file, kAllChars)) {
            const std::wstring folded = TextToLower(Trim(name));
            if (snapshot->map.count(name) || taken.count(folded))
                continue;
            tagPRGINFO record;
            if (!LoadPrgInfo(name, record, false))
                continue;
            const std::wstring mapped = FindExecutable(record.szExecutable);
            if (!mapped.empty())
                CopyBounded(record.szAppPath, kPrgTextChars, mapped);
            taken.insert(folded);
            snapshot->map.emplace(name, record);
            if (FileExists(record.szAppPath))
                snapshot->list.push_back(record);
        }
    }
    TraceMessage(kTraceInfo, kTraceContextCmdSet, L"    %d sets, %d installed\n",
                 static_cast<int>(snapshot->map.size()) - 1, static_cast<int>(snapshot->list.size()));
    catalog.Publish(ticket, std::move(snapshot));
    return 1;
}

int CCmdSetAdmin::GetMenuEntryName(int index, std::wstring& name) {
    name.clear();
    if (index < 0)
        return 0;
    // The user file is the main menu's home when it is there or can be made.
    if (FileExists(userFile_) || services_.profiles.FileSystem().GetInfo(PathFolder(userFile_)).directory) {
        std::wstring value =
            CutTo(services_.profiles.GetString(userFile_, kSoftwareSection, FormatBounded(16, L"%d", index)),
                  kMenuNameChars - 1);
        if (value.empty() || value == kNoneSetName)
            return 0;
        name = value;
        return 1;
    }
    auto snapshot = services_.catalog.Snapshot();
    if (static_cast<size_t>(index) >= snapshot->list.size())
        return 0;
    name = snapshot->list[static_cast<size_t>(index)].szName;
    return 1;
}

int CCmdSetAdmin::LoadMenuEntry(int index, CKeymap& keymap, tagPRGINFO* record) {
    if (!record || index < 0 || index >= kMainMenuPlaces)
        return 0;
    CProfileScope scope(services_.profiles);
    std::wstring name;
    if (!GetMenuEntryName(index, name))
        return 0;
    if (!LoadPrgInfo(name, *record, false))
        return 0;
    return LoadKeymap(name, keymap, false);
}

int CCmdSetAdmin::DeleteCommandSet(const std::wstring& name) {
    CLMTraceScope scope(kTraceIO, kTraceContextCmdSet, L"CCmdSetAdmin::DeleteCommandSet", L"%ls",
                        name.c_str());
    if (name.empty() || IsReservedSection(name))
        return 0;
    services_.catalog.MarkForReload();
    services_.catalog.Remove(name);
    services_.profiles.DeleteSection(userFile_, name);
    // A list rebuilt while the section was still there is replaced by the next one.
    services_.catalog.MarkForReload();
    return 1;
}

int CCmdSetAdmin::IsSameAsPreset(const std::wstring& name) {
    CProfileScope scope(services_.profiles);
    tagPRGINFO preset, current;
    if (!LoadPrgInfo(name, preset, true))
        return 0;
    if (!LoadPrgInfo(name, current, false))
        return 1;
    preset.bPreset = preset.bModifiedPreset = 0;
    current.bPreset = current.bModifiedPreset = 0;
    if (preset != current)
        return 0;
    CKeymap presetKeys, currentKeys;
    LoadKeymap(name, presetKeys, true);
    LoadKeymap(name, currentKeys, false);
    return presetKeys == currentKeys ? 1 : 0;
}

int CCmdSetAdmin::SeedMainMenu() {
    CLMTraceScope scope(kTraceIO, kTraceContextCmdSet, L"CCmdSetAdmin::SeedMainMenu");
    CProfileScope once(services_.profiles);
    if (SectionHasEntries(userFile_, kSoftwareSection))
        return 1;
    // The values are copied as they stand in the file, quotes and all.
    CProfileEdit edit = EditFile(userFile_);
    for (auto& [key, value] : services_.profiles.GetSection(presetFile_, kSoftwareSection, kSoftwareChars))
        edit.WriteString(kSoftwareSection, key, value);
    edit.Commit();
    services_.catalog.MarkForReload();
    return 1;
}

// ---------------------------------------------------------------------------------------------------------
// Keymaps

int CCmdSetAdmin::LoadKeymap(const std::wstring& name, CKeymap& keymap, bool fromPreset) {
    CLMTraceScope scope(kTraceIO, kTraceContextCmdSet, L"CCmdSetAdmin::LoadKeymap");
    TraceMessage(kTraceInfo, kTraceContextCmdSet, L"    %ls, fLoadFromPreset=%d\n", name.c_str(),
                 fromPreset ? 1 : 0);
    CProfileScope once(services_.profiles);
    if (!fromPreset && !SectionHasEntries(userFile_, name))
        fromPreset = true;
    BuildDefaultKeymap(keymap, services_.strings);

    SectionCache preset, user;
    preset.Load(services_.profiles, presetFile_, name);
    if (!fromPreset)
        user.Load(services_.profiles, userFile_, name);

    CKeyNames& names = services_.keyNames;
    for (int32_t key = 0; key < RCKEY_COUNT; ++key) {
        if (!names.KeyExists(key))
            continue;
        const std::wstring* value = nullptr;
        if (!fromPreset && !user.Empty())
            value = user.Find(key);
        if (!value)
            value = preset.Find(key);
        if (!value)
            continue;
        tagWINCMD cmd;
        ParseKeyLine(*value, cmd);
        keymap.SetAt(key, cmd);
    }
    return 1;
}

int CCmdSetAdmin::SaveKeymap(const CKeymap& keymap, const tagPRGINFO* record) {
    if (!record)
        return 0;
    CLMTraceScope scope(kTraceIO, kTraceContextCmdSet, L"CCmdSetAdmin::SaveKeymap", L"%ls", record->szName);
    CProfileStore& profiles = services_.profiles;
    CProfileScope once(profiles);
    const std::wstring name = record->szName;
    if (name.empty() || IsReservedSection(name))
        return 0;
    // The user's folder may have gone since start-up.
    if (!PathFolder(userFile_).empty())
        profiles.FileSystem().CreateDirectories(PathFolder(userFile_));

    CKeymap reference;
    LoadKeymap(name, reference, false);
    SectionCache preset;
    preset.Load(profiles, presetFile_, name);
    CKeymap defaults;
    bool defaultsBuilt = false;

    // The whole set goes into the file with one write. The application's texts keep their quotes and
    // blanks at the ends.
    CProfileEdit edit = EditFile(userFile_);
    edit.WriteString(name, kKeyDescription, QuoteProfileValue(record->szDescription));
    edit.WriteString(name, kKeyExecutable, QuoteProfileValue(record->szExecutable));
    edit.WriteString(name, kKeyAppPath, QuoteProfileValue(record->szAppPath));
    edit.WriteString(name, kKeyCommandLine, QuoteProfileValue(record->szCommandLine));
    edit.WriteString(name, kKeyWindowCaption, QuoteProfileValue(record->szWindowCaption));
    edit.WriteString(name, kKeyHideOsd, FormatBounded(16, L"%d", record->bHideOsd));
    edit.WriteString(name, kKeySmsInput, FormatBounded(16, L"%d", record->bSmsInput));

    CKeyNames& names = services_.keyNames;
    for (int32_t key = 0; key < RCKEY_COUNT; ++key) {
        const wchar_t* englishName = names.EnglishName(key);
        if (!*englishName)
            continue;
        const std::wstring lineKey = FormatKeyLineKey(key);
        const tagWINCMD* mine = keymap.Find(key);
        if (!mine) {
            edit.DeleteKey(name, lineKey);
            continue;
        }
        tagWINCMD save = *mine;
        if (IsNeverRepeatedKey(key))
            save.bRepeat = 0;
        const tagWINCMD* current = reference.Find(key);
        if (current && *current == save)
            continue;

        // What loading gives for the key without a user line, against what it gives with this line.
        const std::wstring line = FormatKeyLine(save, englishName);
        tagWINCMD written;
        ParseKeyLine(line, written);
        bool sameAsBase = false;
        if (const std::wstring* presetValue = preset.Find(key)) {
            tagWINCMD base;
            ParseKeyLine(*presetValue, base);
            sameAsBase = base == written;
        } else {
            if (!defaultsBuilt) {
                BuildDefaultKeymap(defaults, services_.strings);
                defaultsBuilt = true;
            }
            const tagWINCMD* base = defaults.Find(key);
            sameAsBase = base && *base == written;
        }
        if (sameAsBase)
            edit.DeleteKey(name, lineKey);
        else
            edit.WriteString(name, lineKey, line);
    }
    const bool stored = edit.Commit();
    if (!stored)
        TraceMessage(kTraceErr, kTraceContextCmdSet, L"CCmdSetAdmin::SaveKeymap: %ls not written\n",
                     userFile_.c_str());
    services_.catalog.MarkForReload();
    return stored ? 1 : 0;
}

} // namespace lm
