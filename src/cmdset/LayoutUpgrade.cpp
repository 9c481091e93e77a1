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
#include <bitset>
#include <map>

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

// The command sets of the edited file.
std::vector<std::wstring> CommandSets(const CProfileEdit& edit) {
    std::vector<std::wstring> names = edit.SectionNames();
    names.erase(std::remove_if(names.begin(), names.end(), &CCmdSetAdmin::IsReservedSection), names.end());
    return names;
}

// The values of a section's keys that are, trimmed, a key ID from `first` to `last` in plain decimal form:
// the first line of each key, by key ID.
std::map<int32_t, std::wstring> KeyLines(const CProfileEdit& edit, const std::wstring& section, int32_t first,
                                         int32_t last) {
    std::map<int32_t, std::wstring> lines;
    for (auto& [name, value] : edit.Section(section)) {
        size_t b = 0, e = name.size();
        while (b < e && IsBlankOrTab(name[b]))
            ++b;
        while (e > b && IsBlankOrTab(name[e - 1]))
            --e;
        int32_t id = 0;
        for (size_t i = b; i < e && i < b + 3 && id >= 0; ++i)
            id = name[i] >= L'0' && name[i] <= L'9' ? id * 10 + (name[i] - L'0') : -1;
        if (e == b || e - b > 3 || name[b] == L'0' || id < 0)
            continue;
        if (id >= first && id <= last)
            lines.emplace(id, value); // the first line of a key counts, even one without a value
    }
    return lines;
}

// One command set. Layouts 0 to 2 renumber first: every old key leaves its line, so that no new number
// takes the place of an old key not yet moved; then the values go under their new numbers in the order of
// the old ones, so that of two old keys with the same new number the later one wins; keys without a new
// number are dropped. Then every line of a remote key is written in the current form with the default
// repeat values (a moved line is written in that form at once).
void ConvertSection(CProfileEdit& edit, const std::wstring& section, bool renumber, CKeyNames& names) {
    std::bitset<RCKEY_COUNT> written;
    auto write = [&](int32_t key, const std::wstring& value) {
        tagWINCMD cmd;
        ParseLayout3Line(value, cmd);
        cmd.bRepeat = 0;
        cmd.nRepeatDelay = 1000;
        cmd.nRepeatRate = 200;
        edit.WriteString(section, FormatKeyLineKey(key), FormatKeyLine(cmd, names.EnglishName(key)));
        written.set(static_cast<size_t>(key));
    };
    if (renumber) {
        const auto moved = KeyLines(edit, section, kRenumberFirst, kRenumberLast);
        for (auto& [old, value] : moved)
            if (!value.empty())
                edit.DeleteKey(section, FormatKeyLineKey(old));
        for (auto& [old, value] : moved)
            if (!value.empty() && RenumberedKey(old) != RCKEY_NONE)
                write(RenumberedKey(old), value);
    }
    for (auto& [key, value] : KeyLines(edit, section, RCKEY_POWER, RCKEY_COUNT - 1))
        if (!value.empty() && !written.test(static_cast<size_t>(key)))
            write(key, value);
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
            for (const std::wstring& section : CommandSets(edit))
                ConvertSection(edit, section, version <= 2, services_.keyNames);
            services_.catalog.MarkForReload();
        } else {
            complete = false;
        }
    }
    edit.WriteString(kSettingsSection, kLayoutVersionKey, FormatBounded(16, L"%d", kCurrentLayoutVersion));

    // A write-protected file is made writable for the write and gets its protection back.
    IFileSystem& fs = services_.profiles.FileSystem();
    const tagFILEINFO before = fs.GetInfo(file);
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
