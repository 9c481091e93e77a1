// Profile files, reads and writes on which the store must answer as the Windows profile functions do.
// The host test checks the store against the answers written here; the Windows test checks the store
// and the Windows functions against each other on the same files, in several encodings and line ends.
#pragma once
#include "base/Text.h"
#include "support/ProfileFile.h"

#include <string>
#include <vector>

namespace lm::test {

// One read: without a section the section names, without a key the section's lines ("k=v|k2=v2"), else
// the value ("<def>" when missing). `size` is the buffer in characters (0: the program's usual one).
// `after` is the answer once kProfileSteps ran on the file (sample case only). `storeOnly` marks where
// the store deliberately differs from the Windows functions.
struct ProfileRead {
    const wchar_t* section;
    const wchar_t* key;
    const wchar_t* expected;
    const wchar_t* after = nullptr;
    unsigned size = 0;
    bool storeOnly = false;
};

struct ProfileCase {
    const char* name;
    const wchar_t* text; // Windows-1252 characters only; line ends as "\r\n"
    bool ownLineEnds;    // the line ends are part of the case and are not varied
    std::vector<ProfileRead> reads;
};

enum class ProfileOp { Write, DeleteKey, DeleteSection };
struct ProfileStep {
    ProfileOp op;
    const wchar_t* section;
    const wchar_t* key = nullptr;
    const wchar_t* value = nullptr;
};

// UTF-16LE bytes with a byte-order mark, as the program writes new files.
inline std::string Utf16Le(const std::wstring& text) {
    std::string out = "\xFF\xFE";
    for (char16_t c : ToUtf16(text))
        out += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return out;
}

inline std::wstring JoinProfileList(const ProfilePairs& pairs, bool withValues) {
    std::wstring out;
    for (const auto& [key, value] : pairs)
        out += (out.empty() ? L"" : L"|") + key + (withValues ? L"=" + value : L"");
    return out;
}

inline std::wstring StoreAnswer(CProfileStore& store, const std::wstring& file, const ProfileRead& r) {
    if (!r.section) {
        ProfilePairs names;
        for (auto& n : store.GetSectionNames(file, r.size ? r.size : 4096))
            names.emplace_back(n, L"");
        return JoinProfileList(names, false);
    }
    if (!r.key)
        return JoinProfileList(store.GetSection(file, r.section, r.size ? r.size : 32768), true);
    return store.GetString(file, r.section, r.key, L"<def>");
}

inline bool ApplyProfileStep(CProfileStore& store, const std::wstring& file, const ProfileStep& s) {
    if (s.op == ProfileOp::Write)
        return store.WriteString(file, s.section, s.key, s.value);
    return s.op == ProfileOp::DeleteKey ? store.DeleteKey(file, s.section, s.key)
                                        : store.DeleteSection(file, s.section);
}

// clang-format off
inline const std::vector<ProfileCase> kProfileCases = {
    {"sample",
     L"; leading comment\r\ntop=before any section\r\n[Settings]\r\nRC Layout Version = 4\r\n\r\n"
     L"[ Software ]\r\n0=Windows (Standard)\r\n  1 = ---  \r\n2=\r\n3\r\n"
     L"[Player]\r\nExecutable=\"player.exe\"\r\nDescription='Media player'\r\nCaption=\"unbalanced\r\n"
     L"\t200\t=  3, 96,    0,  0,  0,1000,200,\"0\",\"\",\"0\"\t\r\nDUP=first\r\ndup=second\r\n"
     L";comment=not a key\r\n=nameless\r\n=second nameless\r\n[player]\r\nLate=only in the second section\r\n"
     L"[Strings]\r\n1600=Gr\u00F6\u00DFe \u20AC \u0178\r\n0x640=hex key\r\n[Empty]\r\n[NoClose\r\nx=1\r\n"
     L"[Header] ; comment\r\nk=after a commented header\r\n[Last]\r\nk=v",
     false, {
         {nullptr, nullptr,
          L"Settings|Software|Player|player|Strings|Empty|Header|Last",
          L"Settings|Software|player|Strings|Empty|Last|New Section|NoClose|Header"},
         {L"  settings\t", L" rc layout version ", L"4", L"4"},
         {L"SOFTWARE", nullptr,
          L"0=Windows (Standard)|1=---|2=|3=", L"0=Windows (Standard)|1=leading blanks|2=|3=|4=Next"},
         {L"software", L"1", L"---", L"leading blanks"}, {L"Software", L"3", L"<def>", L"<def>"},
         {L"Player", nullptr,
          L"Executable=\"player.exe\"|Description='Media player'|Caption=\"unbalanced|"
          L"200=3, 96,    0,  0,  0,1000,200,\"0\",\"\",\"0\"|DUP=first|dup=second|=nameless",
          L"Late=only in the second section"},
         {L"Player", L"Executable", L"player.exe", L"<def>"},
         {L"player", L"description", L"Media player", L"<def>"},
         {L"Player", L"dup", L"first", L"<def>"},
         {L"Player", L"Late", L"<def>", L"only in the second section"},
         {L"Player", L";comment", L"not a key", L"<def>"}, {L"Player", L"", L"nameless", L"<def>"},
         {L"Strings", nullptr,
          L"1600=Gr\u00F6\u00DFe \u20AC \u0178|0x640=hex key",
          L"1600=\"Gr\u00FC\u00DFe\" \u20AC|0x640=hex key"},
         {L"Empty", nullptr, L"[NoClose=|x=1", L"[NoClose=|x="}, {L"NoClose", L"x", L"<def>", L"2"},
         {L"Header", L"k", L"after a commented header", L"again"}, {L"Last", nullptr, L"k=v", L"k=w|k2=v2"},
         {L"New Section", L"Key", L"<def>", L"single quoted"},
         {L"", L"top", L"before any section", L"before any section"}, {L"", L"hidden", L"<def>", L"<def>"}}},
    {"blanks and case",
     L"[Settings]\r\n  RC Layout Version  =   4  \r\n\tTabbed\t=\tvalue with  inner  blanks\t\r\n"
     L"[ Spaced Name ]\r\nk=1\r\n[\u00C4rger]\r\nK=2\r\nnbsp=\u00A0v\u00A0\x0B\x0C\x1A\r\n",
     false, {
         {nullptr, nullptr, L"Settings|Spaced Name|\u00C4rger"},
         {L"Settings", L"tabbed", L"value with  inner  blanks"}, {L"Spaced Name", L"K", L"1"},
         {L" Spaced Name ", nullptr, L"k=1", nullptr, 0, true}, {L"\u00C4rger", L"nbsp", L"\u00A0v\u00A0"},
         {L"\u00E4RGER", L"k", L"2", nullptr, 0, true}}},
    {"quotes",
     L"[s]\r\na=\"two words\"\r\nb=  \"  inner blanks stay  \"  \r\nc='single'\r\nd=\"unbalanced\r\n"
     L"e=\"\r\nf=\"\"\r\ng=\"x\"y\"\r\nh=\"mixed'\r\ni='mixed\"\r\nj=\"\"quoted twice\"\"\r\nk=a \"b\" c\r\n",
     false, {
         {L"s", L"a", L"two words"}, {L"s", L"b", L"  inner blanks stay  "}, {L"s", L"c", L"single"},
         {L"s", L"d", L"\"unbalanced"},
         {L"s", L"e", L"\""}, {L"s", L"f", L""}, {L"s", L"g", L"x\"y"}, {L"s", L"h", L"\"mixed'"},
         {L"s", L"i", L"'mixed\""}, {L"s", L"j", L"\"quoted twice\""}, {L"s", L"k", L"a \"b\" c"}}},
    {"first wins", L"[A]\r\nk=first\r\nK = second\r\n[B]\r\nx=1\r\n[a]\r\nk=third\r\nonly=later\r\n", false, {
         {nullptr, nullptr, L"A|B|a"}, {L"A", L"k", L"first"}, {L"A", L"only", L"<def>"},
         {L"a", nullptr, L"k=first|K=second"}}},
    {"without names",
     L"loose=before any header\r\n[s]\r\nnovalue\r\nempty=\r\n; c\r\n=nameless\r\n = dropped\r\n"
     L"[]\r\nhidden=1\r\n[ ]\r\nblank=1\r\n[t]\r\nx=y\r\n",
     false, {
         {nullptr, nullptr, L"s|t"}, {L" ", L"loose", L"before any header"}, {L"", L"hidden", L"<def>"},
         {L"", L"blank", L"<def>"},
         {L"s", nullptr, L"novalue=|empty=|=nameless"}, {L"s", L"novalue", L"<def>"}, {L"s", L"empty", L""},
         {L"s", L" ", L"nameless"},
         {L"other", L"empty", L"<def>"}}},
    {"line ends", L"[a]\rk=1\r\nj=2\n\rm=3\r\r\nn=x\ry\r\n[b\r]\r\nz=1\r\n", true, {
         {nullptr, nullptr, L"a"}, {L"a", nullptr, L"k=1|j=2|m=3|n=x|y=|[b=|]=|z=1"}}},
    {"buffers", L"[abc]\r\nk=12345\r\nkk=6\r\n[de]\r\n[fghij]\r\n", false, {
         {nullptr, nullptr, L"abc|de|fghij", nullptr, 14}, {nullptr, nullptr, L"abc|de|fghi", nullptr, 13},
         {nullptr, nullptr, L"abc|d", nullptr, 7}, {nullptr, nullptr, L"abc", nullptr, 6},
         {nullptr, nullptr, L"", nullptr, 1}, {L"abc", nullptr, L"k=12345|kk=6", nullptr, 14},
         {L"abc", nullptr, L"k=12345|kk=", nullptr, 13}, {L"abc", nullptr, L"k=1234", nullptr, 8},
         {L"abc", nullptr, L"", nullptr, 2}}},
};

// Changes to the sample case; each of them succeeds.
inline const std::vector<ProfileStep> kProfileSteps = {
    {ProfileOp::Write, L"Player", L"EXECUTABLE", L"new.exe"},
    {ProfileOp::Write, L" software ", L" 4 ", L"Next"},
    {ProfileOp::Write, L"Software", L"1", L"  leading blanks"},
    {ProfileOp::Write, L"PLAYER", L"Late", L"into the first section"},
    {ProfileOp::Write, L"New Section", L"Key", L"'single quoted'"},
    {ProfileOp::Write, L"Strings", L"1600", L"\"Gr\u00FC\u00DFe\" \u20AC"},
    {ProfileOp::Write, L"Empty", L"x", L""}, {ProfileOp::Write, L"NoClose", L"x", L"2"},
    {ProfileOp::Write, L"Last", L"k", L"w"}, {ProfileOp::Write, L"Last", L"k2", L"v2"},
    {ProfileOp::DeleteKey, L"player", L"dup"}, {ProfileOp::DeleteKey, L"Settings", L"missing"},
    {ProfileOp::DeleteKey, L"Missing", L"k"}, {ProfileOp::DeleteSection, L"PLAYER"},
    {ProfileOp::DeleteSection, L"Missing"}, {ProfileOp::DeleteSection, L"Header"},
    {ProfileOp::Write, L"Header", L"k", L"again"},
};
// clang-format on

} // namespace lm::test
