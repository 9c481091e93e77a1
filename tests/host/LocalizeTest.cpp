// Localisation: the lookup order of language files and string tables, the file format, the cache, the
// locales, the language menu, the file-type registration, message boxes and the translator's kit.
#include "support/LMLocalize.h"

#include "Golden.h"
#include "base/Text.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeLocale.h"
#include "fakes/FakeProcess.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeStringTables.h"
#include "support/LanguageFile.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cwchar>

namespace lm {
namespace {

class LocalizeTest : public ::testing::Test {
protected:
    tagLOCALIZESERVICES Services() {
        return tagLOCALIZESERVICES{tables, profiles, locale, &registry, L"/prog"};
    }
    std::unique_ptr<CLMLocalize> Make(uint16_t lang, int mode = kLookupFileFirst) {
        tagLOCALIZEOPTIONS options;
        options.language = lang;
        options.mode = mode;
        return std::make_unique<CLMLocalize>(Services(), options);
    }
    static std::wstring Load(CLMLocalize& loc, uint32_t id) {
        std::wstring text = L"<none>";
        loc.LoadText(id, text);
        return text;
    }
    // A language file in UTF-8 with a byte-order mark, or given as bytes.
    void Lng(const std::wstring& file, const std::wstring& body) {
        fs.Put(PathJoin(L"/prog", file), "\xEF\xBB\xBF" + ToUtf8(L"[Strings]\r\n" + body));
    }
    void LngBytes(const std::wstring& file, const std::string& bytes) {
        fs.Put(PathJoin(L"/prog", file), bytes);
    }
    // The localisation warnings written since the last call.
    std::vector<std::wstring> Warnings() {
        std::vector<std::wstring> out;
        for (const std::wstring& line : trace.Lines())
            if (line.find(L"LMLOC: ") != std::wstring::npos)
                out.push_back(line.substr(line.find(L"LMLOC: ")));
        trace.Clear();
        return out;
    }

    test::FakeClock clock;
    test::TraceCapture trace{clock, kTraceWrn};
    test::FakeFileSystem fs;
    CProfileStore profiles{fs};
    test::FakeStringTables tables;
    test::FakeLocale locale;
    test::FakeRegistry registry;
};

// For each lookup mode and each set of the four sources of string 1600 (the German and English language
// files and string tables), the text found with the current language German, and the warnings.
TEST_F(LocalizeTest, LookupsMatchTheGoldenFile) {
    const wchar_t* sources[] = {L" file de", L" table de", L" file en", L" table en"};
    std::vector<std::wstring> lines;
    for (int mode = 0; mode < 4; ++mode)
        for (int set = 0; set < 16; ++set) {
            fs.files.clear();
            tables.tables.clear();
            if (set & 1)
                Lng(L"German.lng", L"1600=file de\r\n");
            if (set & 2)
                tables.tables[1031][1600] = L"table de";
            if (set & 4)
                Lng(L"English.lng", L"1600=file en\r\n");
            if (set & 8)
                tables.tables[2057][1600] = L"table en";
            std::wstring line = FormatBounded(20, L"mode %d,", mode);
            for (int i = 0; i < 4; ++i)
                line += set & (1 << i) ? sources[i] : L"";
            line += L": " + Load(*Make(1031, mode), 1600);
            for (const std::wstring& warning : Warnings())
                line += L" | " + warning.substr(0, warning.size() - 1);
            lines.push_back(line);
        }
    EXPECT_TRUE(test::MatchesGolden("lookups", lines));
}

TEST_F(LocalizeTest, FallbacksWalkTheEnglishAndDefaultTablesAndNameTheLanguage) {
    // British English as current language also finds American English in its current step.
    tables.tables[1033][10] = L"us";
    EXPECT_EQ(Load(*Make(2057, kLookupTablesOnly), 10), L"us");
    EXPECT_TRUE(Warnings().empty());
    // The fallback chain: current, 2057, 1033, 0, 1024, 2048, 1031; an empty text counts as missing.
    tables.tables[1031][20] = tables.tables[1031][21] = L"german";
    tables.tables[2048][20] = L"system";
    tables.tables[0][21] = L"neutral";
    tables.tables[1040][22] = L"";
    tables.tables[2057][22] = L"Error";
    auto italian = Make(1040, kLookupTablesOnly);
    EXPECT_EQ(Load(*italian, 20) + Load(*italian, 21) + Load(*italian, 10), L"systemneutralus");
    Warnings();
    EXPECT_EQ(Load(*italian, 22), L"Error");
    EXPECT_EQ(Load(*italian, 22), L"Error"); // from the cache: no second warning
    EXPECT_EQ(Warnings(), std::vector<std::wstring>{L"LMLOC: Italian string NOT LOCALIZED: 'Error'\n"});
    // A language outside the table uses English.lng as its own file and is named UNKNOWN; a variant of
    // a known language uses that language's file.
    Lng(L"English.lng", L"5=from english file\r\n");
    auto hindi = Make(1081);
    EXPECT_EQ(Load(*hindi, 5), L"from english file");
    EXPECT_EQ(Load(*hindi, 22), L"Error");
    EXPECT_EQ(Warnings(), std::vector<std::wstring>{L"LMLOC: UNKNOWN string NOT LOCALIZED: 'Error'\n"});
    Lng(L"German.lng", L"6=österreichisch\r\n");
    EXPECT_EQ(Load(*Make(3079), 6), L"österreichisch");
}

TEST_F(LocalizeTest, LanguageFilesUseDecimalThenHexadecimalKeysAndTheEscapeRule) {
    Lng(L"German.lng",
        L"1600=\r\n0x640=from hex\r\n1602=decimal\r\n0x642=hex loses\r\n100=first\\nsecond\r\n"
        L"101=a\\tb\\\\c\r\n102=C:\\path\\x \\q\r\n103=\\\\n\r\n104=end\\\r\n57601=no framework\r\n");
    auto loc = Make(1031, kLookupFilesOnly);
    EXPECT_EQ(Load(*loc, 1600), L"from hex"); // an empty decimal value counts as missing
    EXPECT_EQ(Load(*loc, 1601), L"<none>");
    EXPECT_EQ(Load(*loc, 1602), L"decimal");
    EXPECT_EQ(Load(*loc, 100), L"first \nsecond");
    EXPECT_EQ(Load(*loc, 101), L"a \tb \\c");
    EXPECT_EQ(Load(*loc, 102), L"C:\\path\\x \\q");
    EXPECT_EQ(Load(*loc, 103), L" \\n"); // the escaped backslash starts nothing new
    EXPECT_EQ(Load(*loc, 104), L"end\\");
    EXPECT_EQ(LanguageFileHexKey(0xABCD), L"0xabcd");
    // Framework strings come from the tables only, as the text after the first line break.
    tables.tables[2057][57600] = L"Create a new document\nNew";
    tables.tables[2057][57601] = L"No line break";
    tables.tables[1031][57602] = L"Öffnen\nÖffnen\nmehr";
    loc->SetLookupMode(kLookupFileFirst);
    EXPECT_EQ(Load(*loc, 57600) + L"|" + Load(*loc, 57601) + L"|" + Load(*loc, 57602),
              L"New|<none>|Öffnen\nmehr");
    EXPECT_TRUE(Warnings().empty());
}

TEST_F(LocalizeTest, TheCacheKeepsTextsWholeUntilTheLanguageOrModeChanges) {
    Lng(L"German.lng", L"1600=abcdefgh\r\n");
    tables.tables[1031][1600] = L"table";
    auto loc = Make(1031);
    wchar_t small[5];
    std::wmemset(small, L'#', 5);
    ASSERT_TRUE(loc->LoadText(1600, small, 5));
    EXPECT_STREQ(small, L"abcd");
    Lng(L"German.lng", L"1600=two\r\n1601=" + std::wstring(1500, L'x') + L"\r\n");
    EXPECT_EQ(Load(*loc, 1600), L"abcdefgh"); // cached, and whole
    // Not found: the buffer stays as it was; a size of 0 never writes.
    std::wmemset(small, L'#', 5);
    EXPECT_FALSE(loc->LoadText(1700, small, 5));
    EXPECT_FALSE(loc->LoadText(1600, small, 0));
    EXPECT_EQ(small[0], L'#');
    loc->SetLanguage(1031);
    EXPECT_EQ(Load(*loc, 1600), L"two");
    EXPECT_EQ(Load(*loc, 1601).size(), 1023u); // the string form holds at most 1023 characters
    Lng(L"German.lng", L"1600=three\r\n");
    ASSERT_EQ(loc->SetLookupMode(kLookupTableFirst), 1);
    EXPECT_EQ(Load(*loc, 1600), L"table");
    EXPECT_EQ(loc->SetLookupMode(4), 0);
    ASSERT_EQ(loc->SetLookupMode(kLookupFilesOnly), 1);
    EXPECT_EQ(Load(*loc, 1600), L"three");
}

TEST_F(LocalizeTest, ConstructionPicksTheDefaultLanguageAndAppliesItsLocales) {
    locale.userDefault = 3079; // German (Austria): the table has German
    locale.threadLocale = 1033;
    {
        CLMLocalize loc(Services());
        EXPECT_EQ(loc.CurrentLanguage(), 1031);
        EXPECT_EQ(locale.threadLocale, 1031);
        EXPECT_EQ(locale.runtimeLocale, "german");
        loc.SetLanguage(1028);
        EXPECT_EQ(locale.runtimeLocale, "chinese-traditional_taiwan.950");
    }
    // Destruction returns to the thread locale found at construction.
    EXPECT_EQ(locale.threadLocale, 1033);
    EXPECT_EQ(locale.runtimeLocale, "english");
    locale.userDefault = 0; // unknown: the thread locale is taken
    EXPECT_EQ(CLMLocalize(Services()).CurrentLanguage(), 1033);
    locale.userDefault = 1081; // not in the table at all: kept as it is
    EXPECT_EQ(CLMLocalize(Services()).CurrentLanguage(), 1081);
    // A lookup-only localiser leaves the locales and the registry alone.
    test::FakeRegistry untouched;
    locale.runtimeLocale = "unchanged";
    {
        CLMLocalize quiet(tagLOCALIZESERVICES{tables, profiles, locale, &untouched, L"/prog"},
                          tagLOCALIZEOPTIONS::LookupOnly(2057, kLookupTablesOnly));
        EXPECT_EQ(locale.threadLocale, 1033);
    }
    EXPECT_EQ(locale.runtimeLocale, "unchanged");
    EXPECT_EQ(untouched.CountSubKeys(RegistryHive::CurrentUser, L""), 0);
}

// The language table with each language's runtime locale, and the locales of languages outside it.
TEST(LanguageTableTest, LanguagesAndRuntimeLocalesMatchTheGoldenFile) {
    std::vector<std::wstring> lines;
    for (const tagLANGENTRY& entry : LanguageTable())
        lines.push_back(FormatBounded(100, L"%u %ls \"%ls\"", entry.langId, entry.fileName,
                                      FromUtf8(RuntimeLocaleName(entry.langId)).c_str()));
    for (uint16_t lang : {2055, 3076, 2049, 1081})
        lines.push_back(FormatBounded(100, L"%u \"%ls\"", lang, FromUtf8(RuntimeLocaleName(lang)).c_str()));
    EXPECT_TRUE(test::MatchesGolden("languages", lines));
}

// The host's C library knows none of the Windows names; an equivalent locale is set instead.
TEST_F(LocalizeTest, TheHostRuntimeTakesAnEquivalentLocaleForNamesItDoesNotKnow) {
    ILocale& native = NativeLocale();
    for (uint16_t lang : {uint16_t{1031}, uint16_t{1062}, uint16_t{2052}, uint16_t{1081}}) {
        std::string applied = native.SetRuntimeLocale(lang, RuntimeLocaleName(lang));
        ASSERT_FALSE(applied.empty());
        EXPECT_EQ(std::string(std::setlocale(LC_ALL, nullptr)), applied);
    }
    std::setlocale(LC_ALL, "C");
    EXPECT_TRUE(native.SetThreadLocale(1036));
    EXPECT_EQ(native.ThreadLocale(), 1036);
    EXPECT_EQ(native.NativeLanguageName(1036), L"français");
    EXPECT_EQ(native.ToUpper(L'ç'), L'Ç');
    EXPECT_EQ(native.ToUpper(L'р'), L'Р');
}

// The view of the language menu: the items it was last filled with, and the checked one.
struct MenuView : ILanguageMenuView {
    void Fill(const std::vector<LanguageMenuItem>& items) override {
        shown.clear();
        for (const auto& item : items)
            shown.emplace_back(item.langId, item.name);
    }
    void Check(uint16_t langId) override { checked = langId; }
    std::vector<std::pair<uint16_t, std::wstring>> shown;
    uint16_t checked = 0;
};

TEST_F(LocalizeTest, TheLanguageMenuListsOnlyLanguagesWithAFileOrAProbeString) {
    Lng(L"French.lng", L"1600=OK\r\n");                     // file only
    tables.tables[1029][32768] = L"x";                      // a probe ID
    tables.tables[1040][1600] = L"only a non-probe string"; // not enough
    tables.tables[1041][101] = L"";                         // an empty probe string
    tables.tables[2057][100] = tables.tables[1031][100] = L"x";
    Lng(L"German.lng", L"100=x\r\n");                       // both
    fs.CreateDirectories(PathJoin(L"/prog", L"Dutch.lng")); // a folder is no file
    locale.nativeNames.erase(2057);
    auto loc = Make(1031);
    EXPECT_EQ(loc->AvailabilityOf(1036), kAvailableFile);
    EXPECT_EQ(loc->AvailabilityOf(1029), kAvailableTable);
    EXPECT_EQ(loc->AvailabilityOf(1031), kAvailableFile | kAvailableTable);
    EXPECT_EQ(loc->AvailabilityOf(1040) + loc->AvailabilityOf(1041) + loc->AvailabilityOf(1043), 0u);
    EXPECT_EQ(loc->Availability(0), 0u); // the neutral entry is not selectable
    // Table order, each language's own name with an upper-case first letter; the file name stands in
    // when the system does not know the language.
    MenuView view;
    loc->AttachMenuView(&view);
    const std::vector<std::pair<uint16_t, std::wstring>> expected = {
        {1029, L"Čeština"}, {1031, L"Deutsch"}, {2057, L"English"}, {1036, L"Français"}};
    EXPECT_EQ(view.shown, expected);
    EXPECT_EQ(view.checked, 1031);
    loc->SetLanguage(2057);
    EXPECT_EQ(view.checked, 2057);
    // A mode change recomputes availability and menu.
    Lng(L"Italian.lng", L"1=x\r\n");
    loc->SetLookupMode(kLookupTablesOnly);
    EXPECT_EQ(loc->AvailabilityOf(1040), kAvailableFile);
    EXPECT_EQ(view.shown.size(), 5u);
    loc->AttachMenuView(nullptr);
    loc->SetLanguage(1031);
    EXPECT_EQ(view.checked, 2057);
}

TEST_F(LocalizeTest, TheFileTypeIsRegisteredForTheUserOnlyWhenItIsNew) {
    Make(2057);
    const std::wstring root = L"Software\\Classes\\", type = root + L"Lumora.Language file";
    auto value = [](IRegistry& reg, const std::wstring& key) {
        return reg.GetString(RegistryHive::CurrentUser, key, L"").value_or(L"<none>");
    };
    EXPECT_EQ(value(registry, root + L".lng"), L"Lumora.Language file");
    EXPECT_EQ(value(registry, type), L"Lumora Language Support");
    EXPECT_EQ(value(registry, type + L"\\Shell\\Open\\Command"), L"notepad.exe %1");
    EXPECT_EQ(value(registry, type + L"\\DefaultIcon"), L"\"%systemroot%\\notepad.exe\",0");
    EXPECT_TRUE(registry.IsExpandable(RegistryHive::CurrentUser, type + L"\\DefaultIcon", L""));
    EXPECT_EQ(registry.CountSubKeys(RegistryHive::LocalMachine, L""), 0);
    // ".lng" exists (here: with another program's type), or cannot be created: nothing is changed.
    test::FakeRegistry other, failing;
    other.SetString(RegistryHive::CurrentUser, root + L".lng", L"", L"Other.Type");
    EXPECT_FALSE(RegisterLanguageFileType(other));
    EXPECT_EQ(value(other, root + L".lng"), L"Other.Type");
    EXPECT_FALSE(other.KeyExists(RegistryHive::CurrentUser, type));
    failing.failWrites = true;
    EXPECT_FALSE(RegisterLanguageFileType(failing));
}

TEST_F(LocalizeTest, MessageBoxesTakeTheirCaptionsFromTheStringsOrTheEnglishWords) {
    tables.tables[1031][53505] = L"Fehler";
    auto loc = Make(1031, kLookupTablesOnly);
    // Per kind: caption / icon (0 none, 1 error, 2 warning) / Yes and No; unknown kinds are errors.
    std::wstring boxes;
    for (int kind = -1; kind <= 6; ++kind) {
        const MessageBoxLayout box = loc->ComposeMessageBox(kind);
        boxes += FormatBounded(64, L"%d:%ls/%d/%d ", kind, box.caption.c_str(), static_cast<int>(box.icon),
                               box.yesNo);
    }
    EXPECT_EQ(
        boxes,
        L"-1:Fehler/1/0 0:Fehler/1/0 1:Warning/2/0 2:/0/0 3:Fehler/1/1 4:Warning/2/1 5:/0/1 6:Fehler/1/0 ");
    tables.tables[2057][54592] = L"Careful";
    loc->SetLanguage(1031);
    EXPECT_EQ(loc->ComposeMessageBox(kMsgWarning).caption, L"Careful");
}

// The translator's kit writes texts so that the program reads them back as they are, in both
// encodings, and knows the texts that the format cannot keep exactly; its prediction of what the
// program reads holds for every shipped text.
TEST_F(LocalizeTest, WrittenLanguageFilesReadBackAsTheKitSays) {
    const std::vector<std::wstring> exact = {L"&OK",
                                             L"Line one \nline two",
                                             L"Column\tcolumn",
                                             L"C:\\Program Files\\x",
                                             L"a \\ b",
                                             L"  leading and trailing  ",
                                             L"\"quoted\"",
                                             L"100% = done; [not a section]",
                                             L"Größe: %d × %ls — 日本語 ¿qué?",
                                             L"\tTab at the ends\t"};
    const std::vector<std::wstring> inexact = {L"Line one\nline two", L"C:\\new", L"cr\r\nlf"};
    for (LanguageFileEncoding encoding : {LanguageFileEncoding::Utf16LeBom, LanguageFileEncoding::Utf8Bom}) {
        std::vector<tagLANGUAGEFILEENTRY> entries;
        uint32_t id = 2000;
        for (const auto* list : {&exact, &inexact})
            for (const std::wstring& t : *list)
                entries.push_back({id++, t, id % 2 ? L"a comment line" : L""});
        LngBytes(L"German.lng", ComposeLanguageFile({L"German (1031)"}, entries, encoding));
        auto loc = Make(1031, kLookupFilesOnly);
        for (const auto& [entryId, text, comment] : entries) {
            bool isExact = false;
            const std::wstring read = Load(*loc, entryId);
            EXPECT_EQ(read, LanguageFileReadBack(EscapeLanguageText(text, &isExact))) << ToUtf8(text);
            EXPECT_EQ(isExact, read == text) << ToUtf8(text);
            EXPECT_EQ(isExact, entryId < 2000 + exact.size()) << ToUtf8(text);
        }
    }
    const CBuiltInStringTables& builtIn = BuiltInStringTables();
    for (uint16_t lang : builtIn.Languages()) {
        std::vector<tagLANGUAGEFILEENTRY> entries;
        for (uint32_t id : builtIn.Ids(lang))
            entries.push_back({id, std::wstring(*builtIn.Find(lang, id)), L""});
        LngBytes(L"German.lng", ComposeLanguageFile({}, entries, LanguageFileEncoding::Utf16LeBom));
        auto loc = Make(1031, kLookupFilesOnly);
        for (const tagLANGUAGEFILEENTRY& e : entries)
            if (!e.text.empty()) {
                EXPECT_EQ(Load(*loc, e.id), LanguageFileReadBack(EscapeLanguageText(e.text)))
                    << lang << " " << e.id;
            }
    }
}

TEST(FillTextArgsTest, ConversionsTakeTheTextsInOrderWithoutEverFormattingTheText) {
    EXPECT_EQ(FillTextArgs(L"The file\n\n%s\n\nis write protected.", {L"C:\\a.ini"}, 256),
              L"The file\n\nC:\\a.ini\n\nis write protected.");
    EXPECT_EQ(FillTextArgs(L"%ls: %d of %3d (%-4s|) 100%%", {L"x", L"5", L"7", L"ab"}, 256),
              L"x: 5 of   7 (ab  |) 100%");
    // A hostile text: more conversions than texts, %n, and a width beyond the limit.
    EXPECT_EQ(FillTextArgs(L"%s%s%s%n!%99999999999s", {L"a"}, 10), L"a!" + std::wstring(8, L' '));
    EXPECT_EQ(FillTextArgs(L"50 %, then %!", {L"unused"}, 256), L"50 %, then %!");
    EXPECT_EQ(FillTextArgs(L"%s and more", {std::wstring(300, L'y')}, 256), std::wstring(256, L'y'));
}

} // namespace
} // namespace lm
