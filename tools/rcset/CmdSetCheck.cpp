#include "rcset/CmdSetCheck.h"

#include "cmdset/CmdSetAdmin.h"
#include "cmdset/KeyLine.h"
#include "cmdset/PrgInfo.h"
#include "support/ProfileFile.h"
#include "base/Text.h"

#include <cstdint>
#include <map>
#include <set>

namespace lm {
namespace {

// Windows-1252 characters 0x80..0x9F; the rest of the code page is Latin-1.
bool IsNumber(const std::wstring& s) {
    if (s.empty() || s.size() > 9)
        return false;
    for (wchar_t c : s)
        if (c < L'0' || c > L'9')
            return false;
    return true;
}

bool IsInteger(const std::wstring& s) {
    return !s.empty() && IsNumber(s[0] == L'-' ? s.substr(1) : s);
}

std::wstring Unquoted(std::wstring v) {
    v = Trim(v);
    while (!v.empty() && v.front() == L'"')
        v.erase(0, 1);
    while (!v.empty() && v.back() == L'"')
        v.pop_back();
    return Trim(v);
}

enum class SectionKind { None, Settings, Software, KeyNames, CommandSet };

} // namespace

std::vector<std::wstring> DecodeProfileLines(const std::string& bytes) {
    const std::wstring text = DecodeProfileText(bytes);
    std::vector<std::wstring> lines;
    std::wstring current;
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c == L'\r' || c == L'\n') {
            lines.push_back(current);
            current.clear();
            if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n')
                ++i;
        } else {
            current += c;
        }
    }
    if (!current.empty())
        lines.push_back(current);
    return lines;
}

std::wstring WhyNotText(const std::string& bytes) {
    const bool utf16 = bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') ||
                                             (bytes[0] == '\xFE' && bytes[1] == '\xFF'));
    if (utf16) {
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            if (bytes[i] == 0 && bytes[i + 1] == 0)
                return L"it holds NUL characters";
    } else if (bytes.find('\0') != std::string::npos) {
        return L"it holds NUL bytes";
    }
    // Text may carry a stray control character (an escape in a name, say), a program file has them
    // everywhere.
    const std::wstring text = DecodeProfileText(bytes);
    size_t controls = 0;
    for (wchar_t c : text)
        if (c < 0x20 && c != L'\t' && c != L'\n' && c != L'\r' && c != L'\v' && c != L'\f' && c != 0x1A)
            ++controls;
    if (controls > 8 && controls * 100 > text.size())
        return L"it holds control characters";
    return std::wstring();
}

std::vector<CmdSetProblem> CheckCmdSetFile(const std::string& bytes, CKeyNames& keyNames) {
    std::vector<CmdSetProblem> problems;
    const std::vector<std::wstring> lines = DecodeProfileLines(bytes);

    // The layout decides how key lines read; an older file is read after its upgrade.
    int layout = 0;
    {
        bool inSettings = false;
        for (const std::wstring& raw : lines) {
            std::wstring line = Trim(raw);
            if (!line.empty() && line[0] == L'[') {
                size_t close = line.rfind(L']');
                inSettings = close != std::wstring::npos &&
                             CProfileStore::NamesMatch(line.substr(1, close - 1), kSettingsSection);
            } else if (inSettings) {
                size_t eq = line.find(L'=');
                if (eq != std::wstring::npos &&
                    CProfileStore::NamesMatch(line.substr(0, eq), kLayoutVersionKey)) {
                    layout = std::wcstol(Unquoted(line.substr(eq + 1)).c_str(), nullptr, 10);
                    break;
                }
            }
        }
    }
    if (layout < kCurrentLayoutVersion)
        problems.push_back(
            {0, L"", L"",
             FormatBounded(255,
                           L"the file has layout %d and is read after its upgrade to layout %d "
                           L"(rcset upgrade); its key lines are not checked",
                           layout, kCurrentLayoutVersion)});

    auto report = [&problems](int line, const std::wstring& section, const std::wstring& key,
                              std::wstring msg) {
        problems.push_back({line, section, key, std::move(msg)});
    };
    static const wchar_t* const kAppKeys[] = {kKeyExecutable,  kKeyAppPath,     kKeyWindowCaption,
                                              kKeyDescription, kKeyCommandLine, kKeyHideOsd,
                                              kKeySmsInput};

    std::set<std::wstring> seenSections;
    std::set<std::wstring> seenKeys;
    std::wstring section;
    SectionKind kind = SectionKind::None;
    bool skipping = false; // a doubled section: the store reads only the first
    for (size_t i = 0; i < lines.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        const std::wstring line = Trim(lines[i]);
        if (line.empty() || line[0] == L';')
            continue;
        if (line[0] == L'[') {
            // As the profile store reads a header: the name ends at the last "]" of the line.
            size_t close = line.rfind(L']');
            if (close == std::wstring::npos || close == 0) {
                report(number, section, L"", L"section header without \"]\"");
                continue;
            }
            section = Trim(line.substr(1, close - 1));
            seenKeys.clear();
            skipping = false;
            if (section.empty()) {
                report(number, section, L"", L"section without a name");
                kind = SectionKind::None;
                skipping = true;
                continue;
            }
            if (!seenSections.insert(TextToLower(section)).second) {
                report(number, section, L"", L"the section appears again; only its first appearance is read");
                skipping = true;
            }
            if (CProfileStore::NamesMatch(section, kSettingsSection))
                kind = SectionKind::Settings;
            else if (CProfileStore::NamesMatch(section, kSoftwareSection))
                kind = SectionKind::Software;
            else if (CProfileStore::NamesMatch(section, kKeyNamesSection))
                kind = SectionKind::KeyNames;
            else
                kind = SectionKind::CommandSet;
            continue;
        }
        const size_t eq = line.find(L'=');
        if (eq == std::wstring::npos) {
            report(number, section, L"", L"not a \"key=value\" line");
            continue;
        }
        const std::wstring key = Trim(line.substr(0, eq));
        const std::wstring value = Trim(line.substr(eq + 1));
        if (kind == SectionKind::None) {
            report(number, section, key, L"the line stands before any section");
            continue;
        }
        if (skipping)
            continue;
        if (key.empty()) {
            report(number, section, key, L"a value without a key");
            continue;
        }
        if (!seenKeys.insert(TextToLower(key)).second) {
            report(number, section, key,
                   L"the key appears again in the section; only its first line is read");
            continue;
        }
        switch (kind) {
        case SectionKind::Settings:
            if (CProfileStore::NamesMatch(key, kLayoutVersionKey) && !IsInteger(Unquoted(value)))
                report(number, section, key, L"the layout version is not a number");
            break;
        case SectionKind::Software:
            if (!IsNumber(key) || std::stoi(key) >= kMainMenuPlaces)
                report(number, section, key, L"not a place of the main menu (0 to 9)");
            else if (Unquoted(value).size() >= 128)
                report(number, section, key, L"the set name is longer than 127 characters");
            break;
        case SectionKind::KeyNames:
        case SectionKind::None:
            break;
        case SectionKind::CommandSet: {
            if (IsNumber(key)) {
                // Older layouts number the keys differently; their lines are read after the upgrade.
                if (layout < kCurrentLayoutVersion)
                    break;
                const int id = std::stoi(key);
                if (!IsKeyIdInRange(id) || !keyNames.KeyExists(id)) {
                    report(number, section, key, FormatBounded(255, L"no key has the ID %d", id));
                } else {
                    if (value.size() >= kKeyLineChars)
                        report(number, section, key, L"the line is longer than the program reads");
                    else if (std::wstring problem = CheckKeyLine(value); !problem.empty())
                        report(number, section, key, problem);
                }
                break;
            }
            bool known = false;
            for (const wchar_t* appKey : kAppKeys)
                known = known || CProfileStore::NamesMatch(key, appKey);
            if (!known) {
                report(number, section, key, L"unknown key");
                break;
            }
            if (CProfileStore::NamesMatch(key, kKeyHideOsd) || CProfileStore::NamesMatch(key, kKeySmsInput)) {
                const std::wstring v = Unquoted(value);
                if (v != L"0" && v != L"1")
                    report(number, section, key, L"the value is neither 0 nor 1");
            } else if (Unquoted(value).size() >= kPrgTextChars) {
                report(number, section, key, L"the value is longer than 259 characters");
            }
            break;
        }
        }
    }
    return problems;
}

} // namespace lm
