#include "support/LMLocalize.h"

#include "fakes/FakeClock.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeLocale.h"
#include "fakes/FakeProcess.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeStringTables.h"
#include "support/LMDebug.h"
#include "support/LanguageFile.h"
#include "base/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cwchar>
#include <random>

namespace lm {
namespace {

const std::wstring kFolder = L"/prog";

// Puts a language file in UTF-8 with a byte-order mark into the program's folder.
void PutLng(test::FakeFileSystem& fs, const std::wstring& file, const std::wstring& body) {
    fs.Put(PathJoin(kFolder, file), "\xEF\xBB\xBF" + ToUtf8(L"[Strings]\r\n" + body));
}

class LocalizeTest : public ::testing::Test {
protected:
    void SetUp() override {
        TraceSetPlatform(&proc, &clock);
        proc.tid = 7;
        TraceInitEx(kTraceWrn);
        proc.debugger.clear();
    }
    void TearDown() override {
        TraceTerminateThread(7, true);
        TraceSetPlatform(nullptr, nullptr);
    }

    LocalizeServices Services() { return LocalizeServices{tables, profiles, locale, &registry, kFolder}; }
    std::unique_ptr<CLMLocalize> Make(uint16_t lang, int mode = kLookupFileFirst) {
        LocalizeOptions options;
        options.language = lang;
        options.mode = mode;
        return std::make_unique<CLMLocalize>(Services(), options);
    }
    std::wstring Load(CLMLocalize& loc, uint32_t id) {
        std::wstring text = L"<none>";
        loc.LoadText(id, text);
        return text;
    }
    // The localisation warnings written since the last call.
    std::vector<std::wstring> Warnings() {
        std::vector<std::wstring> out;
        for (const std::wstring& line : proc.debugger)
            if (line.find(L"LMLOC: ") != std::wstring::npos)
                out.push_back(line.substr(line.find(L"LMLOC: ")));
        proc.debugger.clear();
        return out;
    }

    test::FakeProcess proc;
    test::FakeClock clock;
    test::FakeFileSystem fs;
    CProfileStore profiles{fs};
    test::FakeStringTables tables;
    test::FakeLocale locale;
    test::FakeRegistry registry;
};

// Every source of string 1600 in German and English; the test takes them away one at a time and
// expects the next in the mode's order, with a warning whenever a fallback step found the text.
TEST_F(LocalizeTest, EachModeTriesCurrentThenFallbackStepsInItsOrder) {
    const std::vector<std::vector<std::wstring>> orders = {
        {L"file de", L"file en (fallback)"},
        {L"table de", L"table en (fallback)"},
        {L"file de", L"table de", L"file en (fallback)", L"table en (fallback)"},
        {L"table de", L"file de", L"table en (fallback)", L"file en (fallback)"},
    };
    for (int mode = 0; mode < 4; ++mode) {
        SCOPED_TRACE(mode);
        PutLng(fs, L"German.lng", L"1600=file de\r\n");
        PutLng(fs, L"English.lng", L"1600=file en\r\n");
        tables.tables[1031][1600] = L"table de";
        tables.tables[2057][1600] = L"table en";
        for (const std::wstring& source : orders[static_cast<size_t>(mode)]) {
            const std::wstring text = source.substr(0, source.find(L" ("));
            EXPECT_EQ(Load(*Make(1031, mode), 1600), text);
            std::vector<std::wstring> warnings = Warnings();
            if (text != source)
                EXPECT_EQ(warnings, std::vector<std::wstring>{L"LMLOC: German string NOT LOCALIZED: '" +
                                                              text + L"'\n"});
            else
                EXPECT_TRUE(warnings.empty());
            // Take this source away: a missing file is skipped silently.
            if (text == L"file de")
                fs.files.erase(PathJoin(kFolder, L"German.lng"));
            else if (text == L"file en")
                PutLng(fs, L"English.lng", L"1601=other\r\n");
            else
                tables.tables[text == L"table de" ? 1031 : 2057].erase(1600);
        }
        std::wstring untouched = L"untouched";
        EXPECT_FALSE(Make(1031, mode)->LoadText(1600, untouched));
        EXPECT_EQ(untouched, L"untouched");
        fs.files.clear();
        tables.tables.clear();
    }
}

TEST_F(LocalizeTest, StringTableStepsWalkTheEnglishAndDefaultTables) {
    // British English as current language also finds American English in its current step.
    tables.tables[1033][10] = L"us";
    EXPECT_EQ(Load(*Make(2057, kLookupTablesOnly), 10), L"us");
    EXPECT_TRUE(Warnings().empty());
    // The fallback chain: current, 2057, 1033, 0, 1024, 2048, 1031; an empty text counts as missing.
    tables.tables[1031][20] = L"german";
    tables.tables[2048][20] = L"system";
    tables.tables[0][21] = L"neutral";
    tables.tables[1031][21] = L"german";
    tables.tables[1036][22] = L"";
    tables.tables[2057][22] = L"english";
    auto french = Make(1036, kLookupTablesOnly);
    EXPECT_EQ(Load(*french, 20), L"system");
    EXPECT_EQ(Load(*french, 21), L"neutral");
    EXPECT_EQ(Load(*french, 10), L"us");
    EXPECT_EQ(Load(*french, 22), L"english");
}

TEST_F(LocalizeTest, LanguageFilesUseDecimalThenHexadecimalKeysAndTheEscapeRule) {
    PutLng(fs, L"German.lng",
           L"1600=\r\n0x640=from hex\r\n1602=decimal\r\n"
           L"0x642=hex loses\r\n100=first\\nsecond\r\n101=a\\tb\\\\c\r\n102=C:\\path\\x \\q\r\n103=\\\\n\r\n"
           L"104=end\\\r\n");
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
}

TEST_F(LocalizeTest, TheCacheKeepsTextsWholeUntilTheLanguageOrModeChanges) {
    PutLng(fs, L"German.lng", L"1600=abcdefgh\r\n");
    tables.tables[1031][1600] = L"table";
    auto loc = Make(1031);
    wchar_t small[5];
    std::wmemset(small, L'#', 5);
    ASSERT_TRUE(loc->LoadText(1600, small, 5));
    EXPECT_STREQ(small, L"abcd");
    PutLng(fs, L"German.lng", L"1600=two\r\n1601=" + std::wstring(1500, L'x') + L"\r\n");
    EXPECT_EQ(Load(*loc, 1600), L"abcdefgh"); // cached, and whole
    // Not found: the buffer stays as it was; a size of 0 never writes.
    std::wmemset(small, L'#', 5);
    EXPECT_FALSE(loc->LoadText(1700, small, 5));
    EXPECT_FALSE(loc->LoadText(1600, small, 0));
    EXPECT_EQ(small[0], L'#');
    loc->SetLanguage(1031);
    EXPECT_EQ(Load(*loc, 1600), L"two");
    EXPECT_EQ(Load(*loc, 1601).size(), 1023u); // the string form holds at most 1023 characters
    PutLng(fs, L"German.lng", L"1600=three\r\n");
    ASSERT_EQ(loc->SetLookupMode(kLookupTableFirst), 1);
    EXPECT_EQ(Load(*loc, 1600), L"table");
    EXPECT_EQ(loc->SetLookupMode(4), 0);
    ASSERT_EQ(loc->SetLookupMode(kLookupFilesOnly), 1);
    EXPECT_EQ(Load(*loc, 1600), L"three");
}

TEST_F(LocalizeTest, AMissingItalianTextComesFromBritishEnglishWithAWarningNamingItalian) {
    tables.tables[2057][53505] = L"Error";
    auto loc = Make(1040);
    EXPECT_EQ(Load(*loc, 53505), L"Error");
    EXPECT_EQ(Warnings(), std::vector<std::wstring>{L"LMLOC: Italian string NOT LOCALIZED: 'Error'\n"});
    EXPECT_EQ(Load(*loc, 53505), L"Error"); // from the cache: no second warning
    EXPECT_TRUE(Warnings().empty());

    // A language outside the table uses English.lng and is named UNKNOWN; a variant of a known
    // language uses that language's file and name.
    PutLng(fs, L"English.lng", L"5=from english file\r\n");
    auto hindi = Make(1081);
    EXPECT_EQ(Load(*hindi, 5), L"from english file"); // a current step: English.lng is its own file
    EXPECT_EQ(Load(*hindi, 53505), L"Error");
    EXPECT_EQ(Warnings(), std::vector<std::wstring>{L"LMLOC: UNKNOWN string NOT LOCALIZED: 'Error'\n"});
    PutLng(fs, L"German.lng", L"6=österreichisch\r\n");
    auto austrian = Make(3079);
    EXPECT_EQ(Load(*austrian, 6), L"österreichisch");
    EXPECT_EQ(austrian->CurrentLanguageName(), L"German");
}

TEST_F(LocalizeTest, FrameworkStringsAreTheTextAfterTheFirstLineBreak) {
    tables.tables[2057][57600] = L"Create a new document\nNew";
    tables.tables[2057][57601] = L"No line break";
    tables.tables[1031][57602] = L"Öffnen\nÖffnen\nmehr";
    PutLng(fs, L"German.lng", L"57601=from the file\r\n57603=from the file\r\n");
    auto loc = Make(1031);
    EXPECT_EQ(Load(*loc, 57600), L"New");
    EXPECT_EQ(Load(*loc, 57601), L"<none>");
    EXPECT_EQ(Load(*loc, 57602), L"Öffnen\nmehr");
    EXPECT_EQ(Load(*loc, 57603), L"<none>"); // language files do not hold framework strings
    EXPECT_TRUE(Warnings().empty());
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
    locale.threadLocale = 1036;
    EXPECT_EQ(CLMLocalize(Services()).CurrentLanguage(), 1036);
    locale.userDefault = 1081; // not in the table at all: kept as it is
    EXPECT_EQ(CLMLocalize(Services()).CurrentLanguage(), 1081);

    // A lookup-only localiser leaves the locales and the registry alone.
    test::FakeRegistry untouched;
    locale.runtimeLocale = "unchanged";
    {
        CLMLocalize quiet(LocalizeServices{tables, profiles, locale, &untouched, kFolder},
                          LocalizeOptions::LookupOnly(2057, kLookupTablesOnly));
    }
    EXPECT_EQ(locale.threadLocale, 1036);
    EXPECT_EQ(locale.runtimeLocale, "unchanged");
    EXPECT_EQ(untouched.CountSubKeys(RegistryHive::CurrentUser, L""), 0);
}

TEST_F(LocalizeTest, RuntimeLocaleNamesFollowThePrimaryLanguage) {
    const std::pair<uint16_t, const char*> names[] = {
        {1031, "german"},
        {2055, "german"},
        {2052, "chinese-simplified_pr-china.936"},
        {1028, "chinese-traditional_taiwan.950"},
        {3076, "chinese-simplified_pr-china.936"},
        {1062, "latvian "},
        {1044, "norwegian"},
        {2070, "portuguese"},
        {1063, "lithuanian"},
        {2057, "english"},
        {1081, "english"},
    };
    for (const auto& [lang, name] : names)
        EXPECT_EQ(RuntimeLocaleName(lang), name) << lang;
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
    PutLng(fs, L"French.lng", L"1600=OK\r\n");              // file only
    tables.tables[1029][32768] = L"x";                      // a probe ID
    tables.tables[1040][1600] = L"only a non-probe string"; // not enough
    tables.tables[1041][101] = L"";                         // an empty probe string
    tables.tables[2057][100] = L"!!! Dummy (required for language menu) !!!";
    PutLng(fs, L"German.lng", L"100=x\r\n");
    tables.tables[1031][100] = L"x";                       // both
    fs.CreateDirectories(PathJoin(kFolder, L"Dutch.lng")); // a folder is no file
    locale.nativeNames.erase(2057);
    auto loc = Make(1031);
    EXPECT_EQ(loc->AvailabilityOf(1036), kAvailableFile);
    EXPECT_EQ(loc->AvailabilityOf(1029), kAvailableTable);
    EXPECT_EQ(loc->AvailabilityOf(1031), kAvailableFile | kAvailableTable);
    for (uint16_t none : {1040, 1041, 1043})
        EXPECT_EQ(loc->AvailabilityOf(none), 0u) << none;
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
    PutLng(fs, L"Italian.lng", L"1=x\r\n");
    loc->SetLookupMode(kLookupTablesOnly);
    EXPECT_EQ(loc->AvailabilityOf(1040), kAvailableFile);
    EXPECT_EQ(view.shown.size(), 5u);
    EXPECT_EQ(loc->LanguageMenu().size(), 5u);
    loc->AttachMenuView(nullptr);
    loc->SetLanguage(1031);
    EXPECT_EQ(view.checked, 2057);
}

TEST_F(LocalizeTest, TheFileTypeIsRegisteredForTheUserOnlyWhenItIsNew) {
    Make(2057);
    const std::wstring root = L"Software\\Classes\\";
    const std::wstring type = root + L"Lumora.Language file";
    auto value = [&](IRegistry& reg, const std::wstring& key) {
        return reg.GetString(RegistryHive::CurrentUser, key, L"").value_or(L"<none>");
    };
    EXPECT_EQ(value(registry, root + L".lng"), L"Lumora.Language file");
    EXPECT_EQ(value(registry, type), L"Lumora Language Support");
    EXPECT_EQ(value(registry, type + L"\\Shell\\Open\\Command"), L"notepad.exe %1");
    EXPECT_EQ(value(registry, type + L"\\DefaultIcon"), L"\"%systemroot%\\notepad.exe\",0");
    EXPECT_TRUE(registry.IsExpandable(RegistryHive::CurrentUser, type + L"\\DefaultIcon", L""));
    EXPECT_EQ(registry.CountSubKeys(RegistryHive::LocalMachine, L""), 0);

    // ".lng" exists (here: with another program's type): nothing is changed.
    test::FakeRegistry other;
    other.SetString(RegistryHive::CurrentUser, root + L".lng", L"", L"Other.Type");
    EXPECT_FALSE(RegisterLanguageFileType(other));
    EXPECT_EQ(value(other, root + L".lng"), L"Other.Type");
    EXPECT_FALSE(other.KeyExists(RegistryHive::CurrentUser, type));
    test::FakeRegistry failing;
    failing.failWrites = true;
    EXPECT_FALSE(RegisterLanguageFileType(failing));
}

TEST_F(LocalizeTest, MessageBoxesTakeTheirCaptionsFromTheStringsOrTheEnglishWords) {
    tables.tables[1031][53505] = L"Fehler";
    auto loc = Make(1031, kLookupTablesOnly);
    using Icon = MessageBoxIcon;
    const std::tuple<int, const wchar_t*, Icon, bool> cases[] = {
        {kMsgError, L"Fehler", Icon::Error, false},
        {kMsgWarning, L"Warning", Icon::Warning, false},
        {kMsgPlain, L"", Icon::None, false},
        {kMsgErrorYesNo, L"Fehler", Icon::Error, true},
        {kMsgWarningYesNo, L"Warning", Icon::Warning, true},
        {kMsgPlainYesNo, L"", Icon::None, true},
        {6, L"Fehler", Icon::Error, false},
        {-1, L"Fehler", Icon::Error, false},
    };
    for (const auto& [kind, caption, icon, yesNo] : cases) {
        MessageBoxLayout layout = loc->ComposeMessageBox(kind);
        EXPECT_EQ(layout.caption, caption) << kind;
        EXPECT_EQ(layout.icon, icon) << kind;
        EXPECT_EQ(layout.yesNo, yesNo) << kind;
    }
    tables.tables[2057][54592] = L"Careful";
    loc->SetLanguage(1031);
    EXPECT_EQ(loc->ComposeMessageBox(kMsgWarning).caption, L"Careful");
}

TEST_F(LocalizeTest, MalformedAndBinaryLanguageFilesNeverBreakALookup) {
    std::mt19937 random(12345);
    tables.tables[2057][1600] = L"table";
    for (int round = 0; round < 50; ++round) {
        std::string bytes(static_cast<size_t>(random() % 4096), '\0');
        for (char& b : bytes)
            b = static_cast<char>(random());
        if (round % 3 == 0)
            bytes = "\xFF\xFE" + bytes; // claims UTF-16, odd length and unpaired surrogates included
        else if (round % 3 == 1)
            bytes = "[Strings]\r\n1600=" + bytes;
        fs.Put(PathJoin(kFolder, L"German.lng"), bytes);
        std::wstring text;
        EXPECT_TRUE(Make(1031)->LoadText(1600, text));
        EXPECT_FALSE(text.empty());
    }
    const char withNul[] = "[Strings]\r\n1600=a\0b\r\n1601=";
    fs.Put(PathJoin(kFolder, L"German.lng"),
           std::string(withNul, sizeof withNul - 1) + std::string(100000, 'x'));
    auto loc = Make(1031);
    EXPECT_EQ(Load(*loc, 1600).substr(0, 1), L"a");
    EXPECT_EQ(Load(*loc, 1601).size(), 1023u);
}

// The translator's kit writes texts so that they read back the same through the program's own reader,
// and knows which texts the format cannot keep exactly.
TEST_F(LocalizeTest, WrittenLanguageFilesReadBackToTheSameTexts) {
    const std::vector<std::wstring> exact = {
        L"&OK",
        L"Line one \nline two",      // a blank before a line feed is what "\n" reads as
        L"Column\tcolumn",           // a literal tab
        L"C:\\Program Files\\x",     // backslashes that start no escape
        L"  leading and trailing  ", // kept by quotes
        L"\"quoted\"",               // a quoted text keeps its quotes
        L"100% = done; [not a section]",
        L"Größe: %d × %ls — 日本語 ¿qué?",
        L"\tTab at the ends\t",
    };
    const std::vector<std::wstring> inexact = {L"Line one\nline two", L"C:\\new", L"cr\r\nlf"};
    for (LanguageFileEncoding encoding : {LanguageFileEncoding::Utf16LeBom, LanguageFileEncoding::Utf8Bom}) {
        std::vector<LanguageFileEntry> entries;
        uint32_t id = 2000;
        for (const auto* list : {&exact, &inexact})
            for (const std::wstring& t : *list)
                entries.push_back({id++, t, id % 2 ? L"a comment line" : L""});
        fs.Put(PathJoin(kFolder, L"German.lng"), ComposeLanguageFile({L"German (1031)"}, entries, encoding));
        auto loc = Make(1031, kLookupFilesOnly);
        for (const auto& [entryId, text, comment] : entries) {
            bool isExact = false;
            EscapeLanguageText(text, &isExact);
            const std::wstring read = Load(*loc, entryId);
            EXPECT_EQ(isExact, read == text) << ToUtf8(text) << " read as " << ToUtf8(read);
            EXPECT_EQ(isExact, entryId < 2000 + exact.size()) << ToUtf8(text);
        }
        EXPECT_EQ(Load(*loc, 2000 + static_cast<uint32_t>(exact.size())), L"Line one \nline two");
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

// The kit's own prediction of what the program reads agrees with the reader for every shipped text.
TEST_F(LocalizeTest, TheKitPredictsTheReaderForEveryBuiltInText) {
    const CBuiltInStringTables& builtIn = BuiltInStringTables();
    if (builtIn.Languages().empty())
        GTEST_SKIP() << "no string table in this build";
    for (uint16_t lang : builtIn.Languages()) {
        std::vector<LanguageFileEntry> entries;
        for (uint32_t id : builtIn.Ids(lang))
            entries.push_back({id, std::wstring(*builtIn.Find(lang, id)), L""});
        fs.Put(PathJoin(kFolder, L"German.lng"),
               ComposeLanguageFile({}, entries, LanguageFileEncoding::Utf16LeBom));
        auto loc = Make(1031, kLookupFilesOnly);
        for (const LanguageFileEntry& e : entries)
            if (!e.text.empty()) {
                EXPECT_EQ(Load(*loc, e.id), LanguageFileReadBack(EscapeLanguageText(e.text)))
                    << lang << " " << e.id;
            }
    }
}

} // namespace
} // namespace lm
