#include "rcset/CmdSetTool.h"

#include "cmdset/CmdSetAdmin.h"
#include "rcset/CmdSetCheck.h"
#include "cmdset/KeyLine.h"
#include "base/Text.h"

#include <algorithm>

namespace lm {
namespace {

constexpr const wchar_t* kUsage = L"usage: rcset upgrade FILE...\n"
                                  L"       rcset list PRESET [USER]\n"
                                  L"       rcset show SET PRESET [USER]\n"
                                  L"       rcset check FILE...\n";

// English texts: the tool shows the program's own fallback words.
class EnglishWords final : public IStringSource {
public:
    bool LoadText(uint32_t, std::wstring&) override { return false; }
};

struct Session {
    explicit Session(CmdSetToolServices& s, const std::wstring& preset, const std::wstring& user)
        : services(s), profiles(s.fs),
          admin(tagCMDSETSERVICES{profiles, s.registry, s.folders, words, keyNames, catalog},
                tagCMDSETFILES{preset, user}) {}

    CmdSetToolServices& services;
    CProfileStore profiles;
    EnglishWords words;
    CKeyNames keyNames;
    CAppCatalog catalog;
    CCmdSetAdmin admin;
};

std::wstring Pad(std::wstring text, size_t width) {
    if (text.size() < width)
        text.append(width - text.size(), L' ');
    return text;
}

// True when the path is a readable text file; otherwise the reason goes to err.
bool UsableFile(IFileSystem& fs, const std::wstring& path, std::wstring& err) {
    const tagFILEINFO info = fs.GetInfo(path);
    std::string bytes;
    std::wstring why;
    if (!info.exists)
        why = L"no such file";
    else if (info.directory)
        why = L"is a folder, not a file";
    else if (!fs.ReadAll(path, bytes))
        why = L"cannot be read";
    else if (std::wstring binary = WhyNotText(bytes); !binary.empty())
        why = L"is not a command-set file: " + binary + L"; it is left as it is";
    if (why.empty())
        return true;
    err += path + L": " + why + L"\n";
    return false;
}

int Upgrade(const std::vector<std::wstring>& files, CmdSetToolServices& services, std::wstring& out,
            std::wstring& err) {
    int status = 0;
    for (const std::wstring& file : files) {
        if (!UsableFile(services.fs, file, err)) {
            status = 1;
            continue;
        }
        Session session(services, file, std::wstring());
        const int before = session.admin.LayoutVersion(file);
        if (before >= kCurrentLayoutVersion) {
            out += FormatBounded(1023, L"%ls: layout %d, nothing to do\n", file.c_str(), before);
            continue;
        }
        session.admin.UpgradeFileLayout(file);
        session.profiles.Invalidate(file);
        const int after = session.admin.LayoutVersion(file);
        if (after != kCurrentLayoutVersion) {
            err += FormatBounded(1023, L"%ls: cannot be written\n", file.c_str());
            status = 1;
            continue;
        }
        out += FormatBounded(1023, L"%ls: layout %d upgraded to %d\n", file.c_str(), before, after);
    }
    return status;
}

int List(const std::wstring& preset, const std::wstring& user, CmdSetToolServices& services,
         std::wstring& out) {
    Session session(services, preset, user);
    CCmdSetAdmin& admin = session.admin;
    admin.BuildExecutableMap();

    struct Row {
        std::wstring name, status, executable, path;
    };
    std::vector<Row> rows;
    std::vector<std::wstring> names = admin.CommandSetNames(user.empty() ? preset : user);
    if (!user.empty())
        for (const std::wstring& name : admin.CommandSetNames(preset))
            if (std::none_of(names.begin(), names.end(),
                             [&](const std::wstring& n) { return CProfileStore::NamesMatch(n, name); }))
                names.push_back(name);
    for (const std::wstring& name : names) {
        tagPRGINFO record;
        if (!admin.LoadPrgInfo(name, record, false)) {
            rows.push_back({name, L"no executable", L"", L""});
            continue;
        }
        std::wstring status;
        if (record.bPreset)
            status = L"preset";
        else if (record.bModifiedPreset)
            status = admin.IsSameAsPreset(name) ? L"preset" : L"modified";
        else
            status = L"user";
        std::wstring path = admin.FindExecutable(record.szExecutable);
        if (path.empty())
            path = record.szAppPath;
        rows.push_back({name, status, record.szExecutable, path.empty() ? L"-" : path});
    }
    size_t nameWidth = 4, exeWidth = 10;
    for (const Row& r : rows) {
        nameWidth = std::max(nameWidth, r.name.size());
        exeWidth = std::max(exeWidth, r.executable.size());
    }
    out += Pad(L"Set", nameWidth) + L"  " + Pad(L"Status", 13) + L"  " + Pad(L"Executable", exeWidth) +
           L"  Path on this computer\n";
    for (const Row& r : rows)
        out += Pad(r.name, nameWidth) + L"  " + Pad(r.status, 13) + L"  " + Pad(r.executable, exeWidth) +
               L"  " + r.path + L"\n";
    // The user's main menu, or the preset's that a new user file receives.
    const std::wstring menuFile =
        !user.empty() && !session.profiles.GetSection(user, kSoftwareSection).empty() ? user : preset;
    std::wstring menu;
    for (int place = 0; place < kMainMenuPlaces; ++place) {
        const std::wstring name =
            session.profiles.GetString(menuFile, kSoftwareSection, std::to_wstring(place));
        if (!name.empty() && name != kNoneSetName)
            menu += FormatBounded(300, L"  %d: %ls\n", place, name.c_str());
    }
    if (!menu.empty())
        out += L"\nMain menu:\n" + menu;
    return 0;
}

std::wstring CommandText(const tagWINCMD& cmd, IStringSource& words) {
    switch (cmd.nType) {
    case CMD_NONE:
        return L"nothing";
    case CMD_KEY:
        return ShortcutText(cmd.nSubType, cmd.nParam);
    case CMD_CONTROL: {
        std::wstring text = CmdSubTypeName(cmd.nType, cmd.nSubType, words);
        text += FormatBounded(64, L" %d", cmd.nParam);
        std::wstring param = CmdParamText(cmd, words);
        return param.empty() ? text : text + L", " + param;
    }
    default: {
        std::wstring text = CmdSubTypeName(cmd.nType, cmd.nSubType, words);
        if (text.empty())
            text = FormatBounded(64, L"subtype %d", cmd.nSubType);
        std::wstring param = CmdParamText(cmd, words);
        return param.empty() ? text : text + L" " + param;
    }
    }
}

int Show(const std::wstring& name, const std::wstring& preset, const std::wstring& user,
         CmdSetToolServices& services, std::wstring& out, std::wstring& err) {
    Session session(services, preset, user);
    CCmdSetAdmin& admin = session.admin;
    tagPRGINFO record;
    if (!admin.LoadPrgInfo(name, record, false)) {
        err += name + L": no such command set\n";
        return 1;
    }
    CKeymap defaults, presetKeys, keys;
    BuildDefaultKeymap(defaults, session.words);
    admin.LoadKeymap(name, presetKeys, true);
    admin.LoadKeymap(name, keys, false);

    out += FormatBounded(1023, L"%ls (%ls)\n", record.szName, record.szDescription);
    out += FormatBounded(1023, L"  Executable: %ls\n", record.szExecutable);
    if (*record.szWindowCaption)
        out += FormatBounded(1023, L"  Window caption: %ls\n", record.szWindowCaption);
    if (*record.szCommandLine)
        out += FormatBounded(1023, L"  Command line: %ls\n", record.szCommandLine);
    if (record.bHideOsd || record.bSmsInput)
        out += FormatBounded(200, L"  HideOsd %d, SmsInput %d\n", record.bHideOsd, record.bSmsInput);
    out += L"\n";

    struct Row {
        std::wstring cells[7];
    };
    std::vector<Row> rows;
    rows.push_back({{L"Key", L"Name", L"From", L"Type", L"Command", L"Repeat", L"Display text / caption"}});
    for (const auto& [key, cmd] : keys) {
        const tagWINCMD* inPreset = presetKeys.Find(key);
        const tagWINCMD* inDefaults = defaults.Find(key);
        const wchar_t* from = L"default";
        if (!inPreset || *inPreset != cmd)
            from = L"user";
        else if (!inDefaults || *inDefaults != cmd)
            from = L"preset";
        std::wstring repeat =
            cmd.bRepeat ? FormatBounded(64, L"%d/%d ms", cmd.nRepeatDelay, cmd.nRepeatRate) : L"-";
        std::wstring text = cmd.szOsdText;
        if (*cmd.szWndCaption)
            text += std::wstring(L" [") + cmd.szWndCaption + L"]";
        rows.push_back({{std::to_wstring(key), session.keyNames.EnglishName(key), from,
                         CmdTypeShortName(cmd.nType), CommandText(cmd, session.words), repeat, text}});
    }
    size_t width[7] = {};
    for (const Row& r : rows)
        for (int c = 0; c < 7; ++c)
            width[c] = std::max(width[c], r.cells[c].size());
    for (const Row& r : rows) {
        std::wstring line;
        for (int c = 0; c < 7; ++c)
            line += c == 6 ? r.cells[c] : Pad(r.cells[c], width[c]) + L"  ";
        while (!line.empty() && line.back() == L' ')
            line.pop_back();
        out += line + L"\n";
    }
    return 0;
}

int Check(const std::vector<std::wstring>& files, CmdSetToolServices& services, std::wstring& out,
          std::wstring& err) {
    int status = 0;
    CKeyNames keyNames;
    for (const std::wstring& file : files) {
        std::string bytes;
        if (!UsableFile(services.fs, file, err) || !services.fs.ReadAll(file, bytes)) {
            status = 1;
            continue;
        }
        const std::vector<CmdSetProblem> problems = CheckCmdSetFile(bytes, keyNames);
        for (const CmdSetProblem& p : problems) {
            std::wstring where = file + L":" + std::to_wstring(p.line) + L":";
            if (!p.section.empty())
                where += L" [" + p.section + L"]";
            if (!p.key.empty())
                where += L" " + p.key + L":";
            out += where + L" " + p.message + L"\n";
        }
        if (!problems.empty())
            status = 1;
        out += FormatBounded(1023, L"%ls: %d problem(s)\n", file.c_str(), static_cast<int>(problems.size()));
    }
    return status;
}

} // namespace

std::wstring EscapeControlCharacters(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        const auto u = static_cast<uint32_t>(c);
        const bool control =
            (u < 0x20 && c != L'\n' && c != L'\t') || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029;
        if (!control)
            out += c;
        else
            out += FormatBounded(16, u <= 0xFF ? L"\\x%02X" : L"\\x{%04X}", u);
    }
    return out;
}

std::wstring ShortcutText(int code, int modifiers) {
    struct Name {
        int code;
        const wchar_t* name;
    };
    static constexpr Name kNames[] = {
        {8, L"Backspace"},     {9, L"Tab"},          {12, L"Clear"},       {13, L"Return"},
        {19, L"Pause"},        {27, L"Esc"},         {32, L"Space"},       {33, L"Page Up"},
        {34, L"Page Down"},    {35, L"End"},         {36, L"Home"},        {37, L"Left"},
        {38, L"Up"},           {39, L"Right"},       {40, L"Down"},        {45, L"Insert"},
        {46, L"Delete"},       {106, L"Num *"},      {107, L"Num +"},      {108, L"Num Separator"},
        {109, L"Num -"},       {110, L"Num ."},      {111, L"Num /"},      {173, L"Volume Mute"},
        {174, L"Volume Down"}, {175, L"Volume Up"},  {176, L"Next Track"}, {177, L"Previous Track"},
        {178, L"Media Stop"},  {179, L"Play/Pause"},
    };
    std::wstring text;
    if (modifiers & MOD_KEY_ALT)
        text += L"Alt+";
    if (modifiers & MOD_KEY_CTRL)
        text += L"Ctrl+";
    if (modifiers & MOD_KEY_SHIFT)
        text += L"Shift+";
    const int low = code & 0xFF;
    for (const Name& n : kNames)
        if (n.code == low)
            return text + n.name;
    if (low >= 96 && low <= 105)
        return text + FormatBounded(16, L"Num %d", low - 96);
    if (low >= 112 && low <= 123)
        return text + FormatBounded(16, L"F%d", low - 111);
    if (code > 32 && code < 0x10000 && code != 0x7F)
        return text + std::wstring(1, static_cast<wchar_t>(code));
    return text + FormatBounded(32, L"code %d", code);
}

int RunCmdSetTool(const std::vector<std::wstring>& args, CmdSetToolServices& services, std::wstring& out,
                  std::wstring& err) {
    if (args.empty()) {
        err += kUsage;
        return 2;
    }
    const std::wstring& command = args[0];
    const std::vector<std::wstring> rest(args.begin() + 1, args.end());
    if (command == L"upgrade" && !rest.empty())
        return Upgrade(rest, services, out, err);
    if (command == L"check" && !rest.empty())
        return Check(rest, services, out, err);
    if (command == L"list" && (rest.size() == 1 || rest.size() == 2)) {
        for (const std::wstring& file : rest)
            if (!UsableFile(services.fs, file, err))
                return 1;
        return List(rest[0], rest.size() > 1 ? rest[1] : std::wstring(), services, out);
    }
    if (command == L"show" && (rest.size() == 2 || rest.size() == 3)) {
        for (size_t i = 1; i < rest.size(); ++i)
            if (!UsableFile(services.fs, rest[i], err))
                return 1;
        return Show(rest[0], rest[1], rest.size() > 2 ? rest[2] : std::wstring(), services, out, err);
    }
    if (command == L"help" || command == L"--help" || command == L"-h") {
        out += kUsage;
        return 0;
    }
    err += kUsage;
    return 2;
}

} // namespace lm
