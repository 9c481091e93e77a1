// The profile store against the Windows profile functions: the same reads and writes on copies of the
// same files give the same results, files written by either read back the same through the other.
#include "platform/FileSystem.h"
#include "support/ProfileFile.h"
#include "base/Text.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace lm {
namespace {

using Pairs = std::vector<std::pair<std::wstring, std::wstring>>;

// --- The Windows functions -------------------------------------------------------------------

std::wstring WinGet(const std::wstring& file, const std::wstring& section, const std::wstring& key) {
    std::vector<wchar_t> buffer(4096);
    DWORD n = GetPrivateProfileStringW(section.c_str(), key.c_str(), L"<def>", buffer.data(),
                                       static_cast<DWORD>(buffer.size()), file.c_str());
    return std::wstring(buffer.data(), n);
}

// Splits "a\0b\0\0" text; each string at its first "=" when asked.
Pairs SplitList(const wchar_t* p, DWORD n, bool pairs) {
    Pairs out;
    for (DWORD i = 0; i < n;) {
        std::wstring s(p + i);
        if (s.empty())
            break;
        i += static_cast<DWORD>(s.size()) + 1;
        size_t eq = pairs ? s.find(L'=') : std::wstring::npos;
        out.emplace_back(s.substr(0, eq), eq == std::wstring::npos ? L"" : s.substr(eq + 1));
    }
    return out;
}

Pairs WinSection(const std::wstring& file, const std::wstring& section, DWORD size = 32768) {
    std::vector<wchar_t> buffer(size + 2, L'\0');
    DWORD n = GetPrivateProfileSectionW(section.c_str(), buffer.data(), size, file.c_str());
    return SplitList(buffer.data(), n, true);
}

std::vector<std::wstring> WinNames(const std::wstring& file, DWORD size = 4096) {
    std::vector<wchar_t> buffer(size + 2, L'\0');
    DWORD n = GetPrivateProfileSectionNamesW(buffer.data(), size, file.c_str());
    std::vector<std::wstring> out;
    for (auto& [name, unused] : SplitList(buffer.data(), n, false))
        out.push_back(name);
    return out;
}

// The profile functions keep files in a cache; this makes them read the file again.
void WinForget(const std::wstring& file) {
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());
}

// --- Files -----------------------------------------------------------------------------------

std::string Encode(const std::wstring& text, ProfileEncoding enc) {
    switch (enc) {
    case ProfileEncoding::Utf16LeBom: {
        std::string out = "\xFF\xFE";
        for (char16_t c : ToUtf16(text)) {
            out += static_cast<char>(c & 0xFF);
            out += static_cast<char>(c >> 8);
        }
        return out;
    }
    case ProfileEncoding::Utf8Bom:
        return "\xEF\xBB\xBF" + ToUtf8(text);
    default: {
        int n = WideCharToMultiByte(1252, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                    nullptr);
        std::string out(static_cast<size_t>(n), '\0');
        WideCharToMultiByte(1252, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                            nullptr);
        return out;
    }
    }
}

const wchar_t kSample[] = L"; leading comment\r\n"
                          L"top=before any section\r\n"
                          L"[Settings]\r\n"
                          L"RC Layout Version = 4\r\n"
                          L"\r\n"
                          L"[ Software ]\r\n"
                          L"0=Windows (Standard)\r\n"
                          L"  1 = ---  \r\n"
                          L"2=\r\n"
                          L"3\r\n"
                          L"[Player]\r\n"
                          L"Executable=\"player.exe\"\r\n"
                          L"Description='Media player'\r\n"
                          L"Caption=\"unbalanced\r\n"
                          L"Empty=\"\"\r\n"
                          L"Quote=\"\r\n"
                          L"Inner=a \"b\" c\r\n"
                          L"\t200\t=  3, 96,    0,  0,  0,1000,200,\"0\",\"\",\"0\"\t\r\n"
                          L"DUP=first\r\n"
                          L"dup=second\r\n"
                          L";comment=not a key\r\n"
                          L"=nameless\r\n"
                          L"=second nameless\r\n"
                          L"[player]\r\n"
                          L"Late=only in the second section\r\n"
                          L"[Strings]\r\n"
                          L"1600=Gr\u00F6\u00DFe \u20AC \u0178\r\n"
                          L"0x640=hex key\r\n"
                          L"[Empty]\r\n"
                          L"[NoClose\r\n"
                          L"x=1\r\n"
                          L"[Header] ; comment\r\n"
                          L"k=after a commented header\r\n"
                          L"[Last]\r\n"
                          L"k=v";

struct Query {
    std::wstring section, key;
};

const std::vector<Query> kQueries = {
    {L"Settings", L"RC Layout Version"},
    {L"  settings\t", L" rc layout version "},
    {L"SOFTWARE", L"0"},
    {L"software", L"1"},
    {L"Software", L"2"},
    {L"Software", L"3"},
    {L"Software", L"4"},
    {L"Player", L"Executable"},
    {L"player", L"description"},
    {L"Player", L"Caption"},
    {L"Player", L"Empty"},
    {L"Player", L"Quote"},
    {L"Player", L"Inner"},
    {L"Player", L"200"},
    {L"Player", L"dup"},
    {L"Player", L"Late"},
    {L"Player", L";comment"},
    {L"Player", L""},
    {L"Player", L"Missing"},
    {L"Strings", L"1600"},
    {L"Strings", L"0x640"},
    {L"Strings", L"1601"},
    {L"Empty", L"x"},
    {L"Empty", L"[NoClose"},
    {L"NoClose", L"x"},
    {L"Header", L"k"},
    {L"Last", L"k"},
    {L"New Section", L"Key"},
    {L"Missing", L"k"},
    {L"", L"top"},
    {L"", L"hidden"},
};

class ProfileConformanceWinTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        dir = std::wstring(temp) + L"lmtest-profile-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
              std::to_wstring(GetTickCount());
        ASSERT_TRUE(fs.CreateDirectories(dir));
    }
    void TearDown() override {
        for (const auto& name : fs.List(dir)) {
            WinForget(dir + L"\\" + name);
            DeleteFileW((dir + L"\\" + name).c_str());
        }
        RemoveDirectoryW(dir.c_str());
    }
    std::wstring Path(const std::wstring& name) const { return dir + L"\\" + name; }
    void Put(const std::wstring& name, const std::string& bytes) {
        WinForget(Path(name));
        ASSERT_TRUE(fs.WriteAtomic(Path(name), bytes));
    }

    // Everything the program reads of a file: values, section lists and names, with small buffers too.
    void ExpectSameReads(const std::wstring& winFile, const std::wstring& ourFile, const std::string& where) {
        SCOPED_TRACE(where);
        WinForget(winFile);
        CProfileStore store(fs);
        for (const Query& q : kQueries)
            EXPECT_EQ(WinGet(winFile, q.section, q.key), store.GetString(ourFile, q.section, q.key, L"<def>"))
                << "[" << q.section << "] " << q.key;
        std::vector<std::wstring> names = WinNames(winFile);
        EXPECT_EQ(names, store.GetSectionNames(ourFile));
        for (DWORD size : {3u, 13u, 20u, 40u})
            EXPECT_EQ(WinNames(winFile, size), store.GetSectionNames(ourFile, size)) << "names in " << size;
        for (const auto& name : names) {
            EXPECT_EQ(WinSection(winFile, name), store.GetSection(ourFile, name)) << "[" << name << "]";
            for (DWORD size : {3u, 9u, 25u})
                EXPECT_EQ(WinSection(winFile, name, size), store.GetSection(ourFile, name, size))
                    << "[" << name << "] in " << size;
        }
    }

    IFileSystem& fs = NativeFileSystem();
    std::wstring dir;
};

struct Variant {
    const char* name;
    ProfileEncoding encoding;
    const wchar_t* lineEnd;
};
const Variant kVariants[] = {
    {"ansi-crlf", ProfileEncoding::Ansi, L"\r\n"}, {"ansi-lf", ProfileEncoding::Ansi, L"\n"},
    {"ansi-cr", ProfileEncoding::Ansi, L"\r"},     {"utf16", ProfileEncoding::Utf16LeBom, L"\r\n"},
    {"utf8", ProfileEncoding::Utf8Bom, L"\r\n"},
};

std::wstring WithLineEnds(std::wstring text, const wchar_t* lineEnd) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, L"\r\n") == 0) {
            out += lineEnd;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

TEST_F(ProfileConformanceWinTest, ReadsAndWritesAsTheWindowsFunctions) {
    ASSERT_EQ(GetACP(), 1252u) << "the files without a byte-order mark are Windows-1252 here";
    for (const Variant& v : kVariants) {
        std::wstring text = WithLineEnds(kSample, v.lineEnd);
        if (v.encoding != ProfileEncoding::Ansi)
            text += std::wstring(v.lineEnd) + L"[Unicode]" + v.lineEnd +
                    L"k=\u041F\u0440\u0438\u0432\u0435\u0442 \u4F60\u597D";
        const std::wstring base = FromUtf8(v.name);
        const std::wstring winFile = Path(base + L"-win.ini"), ourFile = Path(base + L"-our.ini");
        Put(base + L"-win.ini", Encode(text, v.encoding));
        Put(base + L"-our.ini", Encode(text, v.encoding));
        ExpectSameReads(winFile, ourFile, std::string(v.name) + " as found");

        CProfileStore store(fs);
        // The same change through both; each returns the same result and both files read the same.
        struct Step {
            const char* what;
            std::function<BOOL(const wchar_t*)> win;
            std::function<bool(const std::wstring&)> ours;
        };
        auto write = [&](std::wstring s, std::wstring k, std::wstring val) {
            return Step{"write",
                        [=](const wchar_t* f) {
                            return WritePrivateProfileStringW(s.c_str(), k.c_str(), val.c_str(), f);
                        },
                        [=, &store](const std::wstring& f) { return store.WriteString(f, s, k, val); }};
        };
        auto deleteKey = [&](std::wstring s, std::wstring k) {
            return Step{"delete key",
                        [=](const wchar_t* f) {
                            return WritePrivateProfileStringW(s.c_str(), k.c_str(), nullptr, f);
                        },
                        [=, &store](const std::wstring& f) { return store.DeleteKey(f, s, k); }};
        };
        auto deleteSection = [&](std::wstring s) {
            return Step{
                "delete section",
                [=](const wchar_t* f) { return WritePrivateProfileStringW(s.c_str(), nullptr, nullptr, f); },
                [=, &store](const std::wstring& f) { return store.DeleteSection(f, s); }};
        };
        const Step steps[] = {
            write(L"Player", L"EXECUTABLE", L"new.exe"),
            write(L" software ", L" 4 ", L"Next"),
            write(L"Software", L"1", L"  leading blanks"),
            write(L"PLAYER", L"Late", L"into the first section"),
            write(L"New Section", L"Key", L"'single quoted'"),
            write(L"Strings", L"1600", L"\"Gr\u00FC\u00DFe\" \u20AC"),
            write(L"Empty", L"x", L""),
            write(L"NoClose", L"x", L"2"),
            write(L"Last", L"k", L"w"),
            write(L"Last", L"k2", L"v2"),
            deleteKey(L"player", L"dup"),
            deleteKey(L"Settings", L"missing"),
            deleteKey(L"Missing", L"k"),
            deleteSection(L"PLAYER"),
            deleteSection(L"Missing"),
            deleteSection(L"Header"),
            write(L"Header", L"k", L"again"),
        };
        int n = 0;
        for (const Step& step : steps) {
            ++n;
            WinForget(winFile);
            BOOL winResult = step.win(winFile.c_str());
            bool ourResult = step.ours(ourFile);
            EXPECT_EQ(winResult != FALSE, ourResult) << v.name << " step " << n;
            ExpectSameReads(winFile, ourFile,
                            std::string(v.name) + " after step " + std::to_string(n) + " (" + step.what +
                                ")");
        }
        // Files written by the Windows functions read the same through the store, and ours through them.
        WinForget(winFile);
        WinForget(ourFile);
        ExpectSameReads(winFile, winFile, std::string(v.name) + ": the Windows file through both");
        ExpectSameReads(ourFile, ourFile, std::string(v.name) + ": our file through both");
    }
}

// "[]" is read as the Windows functions read it. (Wine, when it rewrites such a file, drops the header
// and moves the keys into the section before, so the file is only read here.)
TEST_F(ProfileConformanceWinTest, SectionWithoutAName) {
    const std::string text = "top=1\r\n[A]\r\nk=1\r\n[]\r\nhidden=1\r\n[ ]\r\nblank=1\r\n[B]\r\nk=2\r\n";
    Put(L"nameless-win.ini", text);
    Put(L"nameless-our.ini", text);
    ExpectSameReads(Path(L"nameless-win.ini"), Path(L"nameless-our.ini"), "nameless");
    CProfileStore store(fs);
    EXPECT_EQ(store.GetString(Path(L"nameless-our.ini"), L"", L"top"), L"1");
    EXPECT_EQ(store.GetString(Path(L"nameless-our.ini"), L"", L"hidden", L"<def>"), L"<def>");
    EXPECT_EQ(store.GetSectionNames(Path(L"nameless-our.ini")), (std::vector<std::wstring>{L"A", L"B"}));
}

TEST_F(ProfileConformanceWinTest, MissingFilesAndNewFiles) {
    CProfileStore store(fs);
    const std::wstring winFile = Path(L"new-win.ini"), ourFile = Path(L"new-our.ini");
    ExpectSameReads(winFile, ourFile, "missing");
    EXPECT_TRUE(WritePrivateProfileStringW(L"s", L"k", nullptr, winFile.c_str()));
    EXPECT_TRUE(store.DeleteKey(ourFile, L"s", L"k"));
    EXPECT_TRUE(WritePrivateProfileStringW(L"s", nullptr, nullptr, winFile.c_str()));
    EXPECT_TRUE(store.DeleteSection(ourFile, L"s"));
    EXPECT_FALSE(fs.GetInfo(winFile).exists);
    EXPECT_FALSE(fs.GetInfo(ourFile).exists);

    ASSERT_TRUE(WritePrivateProfileStringW(L"Software", L"0", L"---", winFile.c_str()));
    ASSERT_TRUE(store.WriteString(ourFile, L"Software", L"0", L"---"));
    ASSERT_TRUE(WritePrivateProfileStringW(L"Player", L"Description", L"Caf\u00E9", winFile.c_str()));
    ASSERT_TRUE(store.WriteString(ourFile, L"Player", L"Description", L"Caf\u00E9"));
    ExpectSameReads(winFile, ourFile, "new files");

    // Ours are UTF-16, so text of any script survives, and the Windows functions read it.
    ASSERT_TRUE(store.WriteString(ourFile, L"Strings", L"1600", L"\u041F\u0440\u0438\u0432\u0435\u0442"));
    WinForget(ourFile);
    EXPECT_EQ(WinGet(ourFile, L"Strings", L"1600"), L"\u041F\u0440\u0438\u0432\u0435\u0442");
    std::string bytes;
    ASSERT_TRUE(fs.ReadAll(ourFile, bytes));
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
}

TEST_F(ProfileConformanceWinTest, ReadOnlyFilesAreNotWritten) {
    Put(L"ro.ini", "[s]\r\nk=1\r\n");
    const std::wstring file = Path(L"ro.ini");
    ASSERT_TRUE(fs.SetReadOnly(file, true));
    CProfileStore store(fs);
    EXPECT_FALSE(store.WriteString(file, L"s", L"k", L"2"));
    EXPECT_FALSE(store.DeleteSection(file, L"s"));
    EXPECT_EQ(store.GetString(file, L"s", L"k"), L"1");
    WinForget(file);
    EXPECT_EQ(WinGet(file, L"s", L"k"), L"1");
    fs.SetReadOnly(file, false);
}

// Where the store is deliberately stricter or more consistent than the Windows functions.
TEST_F(ProfileConformanceWinTest, DeliberateDifferences) {
    Put(L"diff.ini", "[A]\r\nk=1\r\n[\xC4rger]\r\nk=2\r\n");
    const std::wstring file = Path(L"diff.ini");
    CProfileStore store(fs);
    // Blanks around a section name never matter, in section reads either.
    EXPECT_EQ(store.GetSection(file, L" A "), (Pairs{{L"k", L"1"}}));
    // Letter case is ignored beyond ASCII, as Windows does and Wine does not.
    EXPECT_EQ(store.GetString(file, L"\u00E4RGER", L"k"), L"2");
    // Text that would change the file's structure is refused instead of written.
    EXPECT_FALSE(store.WriteString(file, L"A", L"k", L"x\r\n[Injected]\r\ny=1"));
    EXPECT_FALSE(store.WriteString(file, L"A", L"", L"x"));
    EXPECT_FALSE(store.WriteString(file, L"", L"k", L"x"));
    EXPECT_EQ(store.GetSectionNames(file), (std::vector<std::wstring>{L"A", L"\u00C4rger"}));
    // A blank-padded key name deletes the key.
    EXPECT_TRUE(store.DeleteKey(file, L"A", L" k "));
    EXPECT_EQ(store.GetString(file, L"A", L"k", L"gone"), L"gone");
}

} // namespace
} // namespace lm
