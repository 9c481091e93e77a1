// lngkit: writes a built-in string table as a language file that translators can edit and put beside
// the program, and lists the languages.
//
//   lngkit --list
//   lngkit [--utf8] [--fill] <language> <file>
//   lngkit [--utf8] --all <folder>
//
// <language> is a language file name with or without ".lng" ("German", "English_US.lng") or a
// language ID (1031). --fill adds the British English text of every ID the language lacks, marked
// "untranslated". --all writes the file of every language with a built-in table into the folder, under
// the language file's name (the installer ships them). Files are UTF-16 with a byte-order mark unless
// --utf8 is given.
#include "support/LMLocalize.h"
#include "support/LanguageFile.h"
#include "support/StringTables.h"
#include "base/Text.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace lm;

void Print(FILE* out, const std::wstring& text) {
    std::fputs(ToUtf8(text).c_str(), out);
}

int Usage() {
    Print(stderr, L"usage: lngkit --list\n"
                  L"       lngkit [--utf8] [--fill] <language> <file>\n"
                  L"       lngkit [--utf8] --all <folder>\n"
                  L"<language>: a language file name (\"German\", \"German.lng\") or a language ID (1031)\n");
    return 2;
}

std::wstring FileStem(const wchar_t* fileName) {
    std::wstring name = fileName;
    return name.substr(0, name.rfind(L'.'));
}

int List() {
    const IStringTables& tables = BuiltInStringTables();
    const size_t english = tables.Ids(kLangEnglishUK).size();
    Print(stdout, L"   ID  Language file     Built-in strings\n");
    for (size_t i = 1; i < kLanguageCount; ++i) {
        const tagLANGENTRY& e = LanguageTable()[i];
        size_t count = tables.Ids(e.langId).size();
        std::wstring status = count == 0 ? std::wstring(L"-")
                                         : std::to_wstring(count) + (english && e.langId != kLangEnglishUK
                                                                         ? L" of " + std::to_wstring(english)
                                                                         : std::wstring());
        Print(stdout, FormatBounded(200, L"%5u  %-16ls  %ls\n", static_cast<unsigned>(e.langId), e.fileName,
                                    status.c_str()));
    }
    return 0;
}

std::optional<uint16_t> ParseLanguage(const std::wstring& arg) {
    if (!arg.empty() &&
        std::all_of(arg.begin(), arg.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; })) {
        unsigned long id = std::wcstoul(arg.c_str(), nullptr, 10);
        for (const tagLANGENTRY& e : LanguageTable())
            if (e.langId == id)
                return e.langId;
        return std::nullopt;
    }
    return FindLanguageByName(arg);
}

// The text with the blank the escape rule puts before each escaped line feed, tab or backslash.
bool DiffersOnlyByEscapeBlanks(const std::wstring& text, const std::wstring& read) {
    std::wstring expected;
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n')
            continue;
        bool escaped = c == L'\n' || c == L'\r' ||
                       (c == L'\\' && i + 1 < text.size() && std::wcschr(L"nt\\\n", text[i + 1]));
        if (escaped && (expected.empty() || expected.back() != L' '))
            expected += L' ';
        expected += c == L'\r' ? L'\n' : c;
    }
    return expected == read;
}

int Write(uint16_t langId, const std::wstring& path, bool utf8, bool fill) {
    const IStringTables& tables = BuiltInStringTables();
    std::vector<uint32_t> ids = tables.Ids(langId);
    if (ids.empty() && !fill) {
        Print(stderr, FormatBounded(200,
                                    L"lngkit: the program has no built-in table for language %u "
                                    L"(--fill writes the English texts to translate)\n",
                                    static_cast<unsigned>(langId)));
        return 1;
    }
    std::vector<tagLANGUAGEFILEENTRY> entries;
    for (uint32_t id : ids)
        entries.push_back({id, std::wstring(*tables.Find(langId, id)), L""});
    size_t untranslated = 0;
    if (fill && langId != kLangEnglishUK) {
        for (uint32_t id : tables.Ids(kLangEnglishUK)) {
            if (std::binary_search(ids.begin(), ids.end(), id))
                continue;
            entries.push_back({id, std::wstring(*tables.Find(kLangEnglishUK, id)), L"untranslated"});
            ++untranslated;
        }
        std::stable_sort(
            entries.begin(), entries.end(),
            [](const tagLANGUAGEFILEENTRY& a, const tagLANGUAGEFILEENTRY& b) { return a.id < b.id; });
    }

    const int entry = FindLanguageEntry(langId);
    const wchar_t* fileName = LanguageTable()[static_cast<size_t>(entry)].fileName;
    std::vector<std::wstring> comments = {
        FormatBounded(300, L"Lumora Remote Control language file: %ls (%u)", FileStem(fileName).c_str(),
                      static_cast<unsigned>(langId)),
        FormatBounded(300,
                      L"Put it beside the program as \"%ls\". Keys are string IDs; in a text, \\n is a line",
                      fileName),
        L"break, \\t a tab and \\\\ a backslash. Keep every &, %s, %d and the like as they are.",
    };
    std::string bytes = ComposeLanguageFile(
        comments, entries, utf8 ? LanguageFileEncoding::Utf8Bom : LanguageFileEncoding::Utf16LeBom);

    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        Print(stderr, L"lngkit: cannot write " + path + L"\n");
        return 1;
    }

    // Say which texts the program will read differently from the table.
    size_t blanks = 0;
    for (const tagLANGUAGEFILEENTRY& e : entries) {
        std::wstring read = LanguageFileReadBack(EscapeLanguageText(e.text));
        if (read == e.text)
            continue;
        if (DiffersOnlyByEscapeBlanks(e.text, read)) {
            ++blanks;
            continue;
        }
        Print(stderr, FormatBounded(200, L"lngkit: string %u reads back as \"", e.id) + read + L"\"\n");
    }
    Print(stdout, FormatBounded(300, L"%ls: %u texts of %ls", path.c_str(),
                                static_cast<unsigned>(entries.size()), FileStem(fileName).c_str()));
    if (untranslated)
        Print(stdout, FormatBounded(100, L", %u untranslated", static_cast<unsigned>(untranslated)));
    Print(stdout, L"\n");
    if (blanks)
        Print(stdout,
              FormatBounded(200, L"%u texts with line breaks read back with a blank before each break\n",
                            static_cast<unsigned>(blanks)));
    return 0;
}

int WriteAll(const std::wstring& folder, bool utf8) {
    int result = 0;
    for (size_t i = 1; i < kLanguageCount; ++i) {
        const tagLANGENTRY& e = LanguageTable()[i];
        if (!BuiltInStringTables().Ids(e.langId).empty())
            result |= Write(e.langId, (std::filesystem::path(folder) / e.fileName).wstring(), utf8, false);
    }
    return result;
}

int Run(const std::vector<std::wstring>& args) {
    bool utf8 = false, fill = false, all = false;
    std::vector<std::wstring> rest;
    for (const std::wstring& a : args) {
        if (a == L"--list")
            return args.size() == 1 ? List() : Usage();
        if (a == L"--utf8")
            utf8 = true;
        else if (a == L"--fill")
            fill = true;
        else if (a == L"--all")
            all = true;
        else if (a.size() > 1 && a[0] == L'-' && a[1] == L'-')
            return Usage();
        else
            rest.push_back(a);
    }
    if (all)
        return rest.size() == 1 && !fill ? WriteAll(rest[0], utf8) : Usage();
    if (rest.size() != 2)
        return Usage();
    std::optional<uint16_t> lang = ParseLanguage(rest[0]);
    if (!lang || *lang == 0) {
        Print(stderr, L"lngkit: unknown language \"" + rest[0] + L"\" (lngkit --list shows them)\n");
        return 2;
    }
    return Write(*lang, rest[1], utf8, fill);
}

} // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> args(argv + 1, argv + argc);
    return Run(args);
}
#else
int main(int argc, char** argv) {
    std::vector<std::wstring> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(lm::FromUtf8(argv[i]));
    return Run(args);
}
#endif
