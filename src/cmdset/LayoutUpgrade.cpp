// The layout upgrade of command-set files. Files of layouts 0 to 2 number the remote keys differently,
// files of layout 3 store key lines without the repeat values. A file is converted in memory, the
// version included, and replaced with one atomic write, so a program that ends at any moment leaves
// either the old file (which the next start converts again) or the converted one (which it leaves
// alone).
#include "cmdset/CmdSetAdmin.h"

#include "cmdset/KeyLine.h"
#include "support/LMDebug.h"
#include "base/Text.h"

#include <algorithm>
#include <unordered_map>

namespace lm {
namespace {

constexpr uint32_t kTraceContextCmdSet = 16;

// Old key numbers of layouts 0 to 2 and their current numbers.
struct Renumbering {
    int32_t from;
    int32_t to;
};
constexpr Renumbering kRenumbering[] = {
    {128, 200}, {129, 201}, {130, 202}, {131, 203}, {132, 204}, {133, 205}, {134, 206}, {135, 207},
    {136, 208}, {137, 209}, {138, 140}, {139, 160}, {140, 141}, {141, 221}, {142, 220}, {143, 241},
    {144, 240}, {145, 223}, {146, 210}, {147, 243}, {148, 242}, {149, 180}, {150, 181}, {151, 182},
    {152, 183}, {153, 186}, {154, 187}, {155, 161}, {156, 264}, {157, 265}, {158, 263}, {159, 260},
    {160, 266}, {161, 267}, {162, 262}, {163, 261}, {205, 143}, {206, 223}, {207, 242}, {208, 140},
    {209, 201}, {210, 202}, {211, 203}, {212, 204}, {213, 205}, {214, 206}, {215, 207}, {216, 208},
    {217, 209}, {218, 200}, {219, 160}, {220, 144}, {221, 221}, {222, 220}, {223, 241}, {224, 240},
    {225, 262}, {226, 266}, {227, 260}, {228, 267}, {229, 261}, {230, 263}, {231, 185}, {232, 141},
};
static_assert(sizeof(kRenumbering) / sizeof(kRenumbering[0]) == 64);
constexpr int32_t kRenumberFirst = 128;
constexpr int32_t kRenumberLast = 232;

int32_t RenumberedKey(int32_t old) {
    for (const Renumbering& r : kRenumbering)
        if (r.from == old)
            return r.to;
    return RCKEY_NONE;
}

std::wstring KeyText(int32_t key) {
    return FormatBounded(16, L"%d", key);
}

// The command sets of the edited file, and the first raw value of each key of one, by the key's
// trimmed name.
std::vector<std::wstring> CommandSets(const CProfileEdit& edit) {
    std::vector<std::wstring> names = edit.SectionNames();
    names.erase(std::remove_if(names.begin(), names.end(), &CCmdSetAdmin::IsReservedSection), names.end());
    return names;
}

std::unordered_map<std::wstring, std::wstring> RawSection(const CProfileEdit& edit,
                                                          const std::wstring& section) {
    std::unordered_map<std::wstring, std::wstring> values;
    for (auto& [key, value] : edit.Section(section))
        values.emplace(Trim(key), value);
    return values;
}

// Every old key leaves its line first, so that no new number takes the place of an old key not yet
// moved; then the values go under their new numbers in the order of the old ones, so that of two old
// keys with the same new number the later one wins. Keys without a new number are dropped.
void RenumberKeys(CProfileEdit& edit) {
    for (const std::wstring& section : CommandSets(edit)) {
        auto values = RawSection(edit, section);
        std::vector<std::pair<int32_t, std::wstring>> moved;
        for (int32_t old = kRenumberFirst; old <= kRenumberLast; ++old) {
            auto it = values.find(KeyText(old));
            if (it == values.end() || it->second.empty())
                continue;
            moved.emplace_back(old, it->second);
            edit.DeleteKey(section, KeyText(old));
        }
        for (auto& [old, value] : moved)
            if (RenumberedKey(old) != RCKEY_NONE)
                edit.WriteString(section, KeyText(RenumberedKey(old)), value);
    }
}

// Every key line of the remote keys in the current form, with the default repeat values.
void ConvertKeyLines(CProfileEdit& edit, CKeyNames& names) {
    for (const std::wstring& section : CommandSets(edit)) {
        auto values = RawSection(edit, section);
        for (int32_t key = RCKEY_POWER; key < RCKEY_COUNT; ++key) {
            auto it = values.find(std::to_wstring(key));
            if (it == values.end() || it->second.empty())
                continue;
            tagWINCMD cmd;
            ParseLayout3Line(it->second, cmd);
            cmd.bRepeat = 0;
            cmd.nRepeatDelay = 1000;
            cmd.nRepeatRate = 200;
            edit.WriteString(section, FormatKeyLineKey(key), FormatKeyLine(cmd, names.EnglishName(key)));
        }
    }
}

} // namespace

bool CCmdSetAdmin::UpgradeLayout() {
    CLMTraceScope scope(kTraceIO, kTraceContextCmdSet, L"CCmdSetAdmin::UpgradeLayout");
    IFileSystem& fs = services_.profiles.FileSystem();
    for (const std::wstring* file : {&presetFile_, &userFile_})
        if (!file->empty())
            if (int removed = fs.RemoveLeftoverTemporaries(*file))
                TraceMessage(kTraceInfo, kTraceContextCmdSet, L"    %d temporary files of %ls removed\n",
                             removed, file->c_str());
    bool complete = true;
    UpgradeFile(presetFile_, complete);
    UpgradeFile(userFile_, complete);
    return complete;
}

bool CCmdSetAdmin::UpgradeFileLayout(const std::wstring& file) {
    bool complete = true;
    UpgradeFile(file, complete);
    return complete;
}

int CCmdSetAdmin::UpgradeFile(const std::wstring& file, bool& complete) {
    CProfileScope once(services_.profiles);
    const int version = LayoutVersion(file);
    if (version >= kCurrentLayoutVersion)
        return 1;
    TraceMessage(kTraceInfo, kTraceContextCmdSet, L"    %ls: layout %d\n", file.c_str(), version);
    CProfileEdit edit = services_.profiles.Edit(file);
    if (version >= 0 && version <= 3) {
        if (edit.Exists()) {
            if (version <= 2)
                RenumberKeys(edit);
            ConvertKeyLines(edit, services_.keyNames);
            services_.catalog.MarkForReload();
        } else {
            complete = false;
        }
    }
    edit.WriteString(kSettingsSection, kLayoutVersionKey, FormatBounded(16, L"%d", kCurrentLayoutVersion));

    // A write-protected file is made writable for the write and gets its protection back.
    IFileSystem& fs = services_.profiles.FileSystem();
    const FileInfo before = fs.GetInfo(file);
    const bool wasReadOnly = before.exists && before.readOnly;
    if (wasReadOnly)
        fs.SetReadOnly(file, false);
    if (!edit.Commit())
        TraceMessage(kTraceErr, kTraceContextCmdSet, L"CCmdSetAdmin::UpgradeFile: %ls not written\n",
                     file.c_str());
    if (wasReadOnly)
        fs.SetReadOnly(file, true);
    return 1;
}

} // namespace lm
