// The profile store against the Windows profile functions on the shared cases: the same reads and changes
// on copies of the same files give the same results, in every encoding and line end the program meets,
// and files written by either read the same through the other. ctest runs the code page test also under
// other ANSI code pages (Wine takes the code page from the locale named by LANG).
#include "WinTestSupport.h"

#include "common/ProfileCases.h"
#include "platform/FileSystem.h"
#include "base/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace lm {
namespace {

using test::ProfileRead;

// What the Windows functions answer, in the form of test::StoreAnswer.
std::wstring WinAnswer(const std::wstring& file, const ProfileRead& r) {
    const DWORD size = r.size ? r.size : r.section && !r.key ? 32768 : 4096;
    std::vector<wchar_t> buffer(size + 2, L'\0');
    if (r.section && r.key)
        return std::wstring(buffer.data(), GetPrivateProfileStringW(r.section, r.key, L"<def>", buffer.data(),
                                                                    size, file.c_str()));
    const DWORD n = r.section ? GetPrivateProfileSectionW(r.section, buffer.data(), size, file.c_str())
                              : GetPrivateProfileSectionNamesW(buffer.data(), size, file.c_str());
    std::wstring out;
    for (DWORD i = 0; i < n && buffer[i]; i += static_cast<DWORD>(wcslen(&buffer[i])) + 1) {
        std::wstring line = &buffer[i];
        out += (out.empty() ? L"" : L"|") + line +
               (r.section && line.find(L'=') == std::wstring::npos ? L"=" : L"");
    }
    return out;
}

// The profile functions keep files in a cache; this makes them read the file again.
void WinForget(const std::wstring& file) {
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());
}

bool WinApply(const std::wstring& file, const test::ProfileStep& s) {
    return WritePrivateProfileStringW(s.section, s.op == test::ProfileOp::DeleteSection ? nullptr : s.key,
                                      s.op == test::ProfileOp::Write ? s.value : nullptr,
                                      file.c_str()) != FALSE;
}

enum class Encoding { Ansi, Utf16, Utf8 };

std::string Encode(const std::wstring& text, Encoding enc) {
    if (enc != Encoding::Ansi)
        return enc == Encoding::Utf16 ? test::Utf16Le(text) : "\xEF\xBB\xBF" + ToUtf8(text);
    std::string out;
    EXPECT_TRUE(NativeLocale().AnsiCodePage().Encode(text, out));
    return out;
}

class ProfileConformanceWinTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(fs.GetInfo(dir = wintest::NewTempDir(L"profile")).directory); }
    std::wstring Put(const std::wstring& name, const std::string& bytes) {
        const std::wstring path = dir + L"\\" + name;
        WinForget(path);
        EXPECT_TRUE(fs.WriteAtomic(path, bytes));
        return path;
    }
    std::string Bytes(const std::wstring& file) {
        std::string bytes;
        fs.ReadAll(file, bytes);
        return bytes;
    }

    // The case's reads, and every section list and section with small buffers too.
    void ExpectSameReads(const std::wstring& winFile, const std::wstring& ourFile,
                         std::vector<ProfileRead> reads, const std::string& where) {
        SCOPED_TRACE(where);
        WinForget(winFile);
        CProfileStore store(fs);
        const std::vector<std::wstring> names = store.GetSectionNames(ourFile);
        for (unsigned size : {0u, 3u, 13u, 20u, 40u})
            reads.push_back({nullptr, nullptr, L"", nullptr, size});
        for (const std::wstring& name : names)
            for (unsigned size : {0u, 3u, 9u, 25u})
                reads.push_back({name.c_str(), nullptr, L"", nullptr, size});
        for (const ProfileRead& r : reads) {
            if (!r.storeOnly) {
                EXPECT_EQ(WinAnswer(winFile, r), test::StoreAnswer(store, ourFile, r))
                    << (r.section ? ToUtf8(r.section) : "names") << " / " << (r.key ? ToUtf8(r.key) : "-")
                    << " in " << r.size;
            }
        }
    }

    IFileSystem& fs = NativeFileSystem();
    std::wstring dir;
};

TEST_F(ProfileConformanceWinTest, SharedCasesAsTheWindowsFunctions) {
    ASSERT_EQ(GetACP(), 1252u) << "the cases are Windows-1252 text";
    const struct {
        const char* name;
        Encoding encoding;
        const wchar_t* lineEnd;
    } variants[] = {{"ansi-crlf", Encoding::Ansi, L"\r\n"},
                    {"ansi-lf", Encoding::Ansi, L"\n"},
                    {"ansi-cr", Encoding::Ansi, L"\r"},
                    {"utf16", Encoding::Utf16, L"\r\n"},
                    {"utf8", Encoding::Utf8, L"\r\n"}};
    for (const test::ProfileCase& c : test::kProfileCases) {
        for (const auto& v : variants) {
            if (c.ownLineEnds && std::wstring(v.lineEnd) != L"\r\n")
                continue;
            std::wstring text = c.text;
            for (size_t at = 0; !c.ownLineEnds && (at = text.find(L"\r\n", at)) != std::wstring::npos;)
                text.replace(at, 2, v.lineEnd), at += wcslen(v.lineEnd);
            if (v.encoding != Encoding::Ansi)
                text += L"\r\n[Unicode]\r\nk=\u041F\u0440\u0438\u0432\u0435\u0442 \u4F60\u597D\r\n";
            const std::string where = std::string(c.name) + " " + v.name;
            const std::wstring winFile = Put(L"theirs.ini", Encode(text, v.encoding));
            const std::wstring ourFile = Put(L"ours.ini", Encode(text, v.encoding));
            ExpectSameReads(winFile, ourFile, c.reads, where);
            if (!c.reads.front().after)
                continue;
            CProfileStore store(fs);
            int n = 0;
            for (const test::ProfileStep& step : test::kProfileSteps) {
                WinForget(winFile);
                EXPECT_EQ(WinApply(winFile, step), test::ApplyProfileStep(store, ourFile, step)) << ++n;
                ExpectSameReads(winFile, ourFile, c.reads, where + " after step " + std::to_string(n));
            }
            // Files written by the Windows functions read the same through the store, and ours through them.
            WinForget(ourFile);
            ExpectSameReads(winFile, winFile, c.reads, where + ": the Windows file through both");
            ExpectSameReads(ourFile, ourFile, c.reads, where + ": our file through both");
        }
    }
}

TEST_F(ProfileConformanceWinTest, MissingAndNewFiles) {
    CProfileStore store(fs);
    const std::wstring winFile = dir + L"\\new-win.ini", ourFile = dir + L"\\new-our.ini";
    ExpectSameReads(winFile, ourFile, {}, "missing");
    EXPECT_TRUE(WritePrivateProfileStringW(L"s", L"k", nullptr, winFile.c_str()));
    EXPECT_TRUE(store.DeleteKey(ourFile, L"s", L"k"));
    EXPECT_TRUE(WritePrivateProfileStringW(L"s", nullptr, nullptr, winFile.c_str()));
    EXPECT_TRUE(store.DeleteSection(ourFile, L"s"));
    EXPECT_FALSE(fs.GetInfo(winFile).exists || fs.GetInfo(ourFile).exists);

    ASSERT_TRUE(WritePrivateProfileStringW(L"Player", L"Description", L"Caf\u00E9", winFile.c_str()));
    ASSERT_TRUE(store.WriteString(ourFile, L"Player", L"Description", L"Caf\u00E9"));
    ExpectSameReads(winFile, ourFile, {}, "new files");
    // Ours are UTF-16, so text of any script survives, and the Windows functions read it.
    ASSERT_TRUE(store.WriteString(ourFile, L"Strings", L"1600", L"\u041F\u0440\u0438\u0432\u0435\u0442"));
    EXPECT_EQ(Bytes(ourFile).substr(0, 2), "\xFF\xFE");
    WinForget(ourFile);
    EXPECT_EQ(WinAnswer(ourFile, {L"Strings", L"1600", L""}), L"\u041F\u0440\u0438\u0432\u0435\u0442");
}

// Files without a byte-order mark are in the system's ANSI code page. Text of the code page keeps them in
// it; text it lacks makes the store's file UTF-16 with the old text intact.
TEST_F(ProfileConformanceWinTest, FilesInTheAnsiCodePage) {
    const IAnsiCodePage& ansi = NativeLocale().AnsiCodePage();
    ASSERT_EQ(ansi.Number(), GetACP());
    if (const char* wanted = std::getenv("LM_ANSI_CODE_PAGE")) {
        ASSERT_EQ(GetACP(), static_cast<UINT>(std::atoi(wanted))) << "the system did not take the code page";
    }
    const struct {
        UINT number;
        std::wstring has, lacks;
    } pages[] = {{1252, L"Gr\u00FC\u00DFe \u20AC", L"\u0416"},
                 {1251, L"\u041F\u0440\u0438\u0432\u0435\u0442", L"\u00E9"},
                 {1250, L"\u017B\u00F3\u0142\u0107 \u0161\u010D", L"\u0416"},
                 {932, L"\u65E5\u672C\u8A9E\u30C6\u30B9\u30C8", L"\u00E9"}};
    auto page =
        std::find_if(std::begin(pages), std::end(pages), [](auto& p) { return p.number == GetACP(); });
    if (page == std::end(pages))
        GTEST_SKIP() << "no text for code page " << GetACP();
    std::printf("ANSI code page %u\n", GetACP());
    const std::wstring text = L"[" + page->has + L"]\r\nk=" + page->has + L"\r\n[s]\r\nx=1\r\n";
    std::string bytes;
    ASSERT_TRUE(ansi.Encode(text, bytes));
    std::string lacking;
    EXPECT_FALSE(ansi.Encode(page->lacks, lacking));
    const std::wstring winFile = Put(L"cp-win.ini", bytes), ourFile = Put(L"cp-our.ini", bytes);
    const std::vector<ProfileRead> reads = {{page->has.c_str(), L"k", L""}, {L"s", L"y", L""}};
    ExpectSameReads(winFile, ourFile, reads, "as found");

    CProfileStore store(fs);
    const std::wstring more = page->has + L" 2";
    ASSERT_TRUE(WritePrivateProfileStringW(page->has.c_str(), L"n", more.c_str(), winFile.c_str()));
    ASSERT_TRUE(store.WriteString(ourFile, page->has, L"n", more));
    ExpectSameReads(winFile, ourFile, reads, "after a write of the code page's text");
    std::string expected;
    ASSERT_TRUE(
        ansi.Encode(text.substr(0, text.find(L"[s]")) + L"n=" + more + L"\r\n[s]\r\nx=1\r\n", expected));
    EXPECT_EQ(Bytes(ourFile), expected);

    ASSERT_TRUE(store.WriteString(ourFile, L"s", L"y", page->lacks));
    EXPECT_EQ(Bytes(ourFile).substr(0, 2), "\xFF\xFE");
    WinForget(ourFile);
    EXPECT_EQ(WinAnswer(ourFile, reads[0]), page->has);
    EXPECT_EQ(WinAnswer(ourFile, reads[1]), page->lacks);
    EXPECT_EQ(WinAnswer(ourFile, {page->has.c_str(), L"n", L""}), more);
}

} // namespace
} // namespace lm
