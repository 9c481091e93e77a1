#include "support/StringTables.h"

#include <algorithm>
#include <array>

namespace lm {
namespace {

struct StringEntry {
    uint32_t id;
    const wchar_t* text;
};

// Closes every table, so that a table whose file is missing or empty is still a valid array.
constexpr uint32_t kEndMark = 0xFFFFFFFFu;

#define LM_STRING(id, text) {static_cast<uint32_t>(id), text},

#if __has_include("../../res/lang/strings_2057.inc")
const StringEntry kStrings2057[] = {
#include "../../res/lang/strings_2057.inc"
    {kEndMark, nullptr}};
#else
const StringEntry kStrings2057[] = {{kEndMark, nullptr}};
#endif

#if __has_include("../../res/lang/strings_1033.inc")
const StringEntry kStrings1033[] = {
#include "../../res/lang/strings_1033.inc"
    {kEndMark, nullptr}};
#else
const StringEntry kStrings1033[] = {{kEndMark, nullptr}};
#endif

#if __has_include("../../res/lang/strings_1031.inc")
const StringEntry kStrings1031[] = {
#include "../../res/lang/strings_1031.inc"
    {kEndMark, nullptr}};
#else
const StringEntry kStrings1031[] = {{kEndMark, nullptr}};
#endif

#if __has_include("../../res/lang/strings_1036.inc")
const StringEntry kStrings1036[] = {
#include "../../res/lang/strings_1036.inc"
    {kEndMark, nullptr}};
#else
const StringEntry kStrings1036[] = {{kEndMark, nullptr}};
#endif

#if __has_include("../../res/lang/strings_1040.inc")
const StringEntry kStrings1040[] = {
#include "../../res/lang/strings_1040.inc"
    {kEndMark, nullptr}};
#else
const StringEntry kStrings1040[] = {{kEndMark, nullptr}};
#endif

#if __has_include("../../res/lang/strings_1034.inc")
const StringEntry kStrings1034[] = {
#include "../../res/lang/strings_1034.inc"
    {kEndMark, nullptr}};
#else
const StringEntry kStrings1034[] = {{kEndMark, nullptr}};
#endif

#if __has_include("../../res/lang/strings_1043.inc")
const StringEntry kStrings1043[] = {
#include "../../res/lang/strings_1043.inc"
    {kEndMark, nullptr}};
#else
const StringEntry kStrings1043[] = {{kEndMark, nullptr}};
#endif

#if __has_include("../../res/lang/strings_2070.inc")
const StringEntry kStrings2070[] = {
#include "../../res/lang/strings_2070.inc"
    {kEndMark, nullptr}};
#else
const StringEntry kStrings2070[] = {{kEndMark, nullptr}};
#endif

#if __has_include("../../res/lang/strings_1045.inc")
const StringEntry kStrings1045[] = {
#include "../../res/lang/strings_1045.inc"
    {kEndMark, nullptr}};
#else
const StringEntry kStrings1045[] = {{kEndMark, nullptr}};
#endif

#if __has_include("../../res/lang/strings_1029.inc")
const StringEntry kStrings1029[] = {
#include "../../res/lang/strings_1029.inc"
    {kEndMark, nullptr}};
#else
const StringEntry kStrings1029[] = {{kEndMark, nullptr}};
#endif

#if __has_include("../../res/lang/strings_1030.inc")
const StringEntry kStrings1030[] = {
#include "../../res/lang/strings_1030.inc"
    {kEndMark, nullptr}};
#else
const StringEntry kStrings1030[] = {{kEndMark, nullptr}};
#endif

#if __has_include("../../res/lang/strings_1053.inc")
const StringEntry kStrings1053[] = {
#include "../../res/lang/strings_1053.inc"
    {kEndMark, nullptr}};
#else
const StringEntry kStrings1053[] = {{kEndMark, nullptr}};
#endif

#if __has_include("../../res/lang/strings_1035.inc")
const StringEntry kStrings1035[] = {
#include "../../res/lang/strings_1035.inc"
    {kEndMark, nullptr}};
#else
const StringEntry kStrings1035[] = {{kEndMark, nullptr}};
#endif

#if __has_include("../../res/lang/strings_1044.inc")
const StringEntry kStrings1044[] = {
#include "../../res/lang/strings_1044.inc"
    {kEndMark, nullptr}};
#else
const StringEntry kStrings1044[] = {{kEndMark, nullptr}};
#endif

#if __has_include("../../res/lang/strings_1049.inc")
const StringEntry kStrings1049[] = {
#include "../../res/lang/strings_1049.inc"
    {kEndMark, nullptr}};
#else
const StringEntry kStrings1049[] = {{kEndMark, nullptr}};
#endif

#if __has_include("../../res/lang/strings_2052.inc")
const StringEntry kStrings2052[] = {
#include "../../res/lang/strings_2052.inc"
    {kEndMark, nullptr}};
#else
const StringEntry kStrings2052[] = {{kEndMark, nullptr}};
#endif

#if __has_include("../../res/lang/strings_1028.inc")
const StringEntry kStrings1028[] = {
#include "../../res/lang/strings_1028.inc"
    {kEndMark, nullptr}};
#else
const StringEntry kStrings1028[] = {{kEndMark, nullptr}};
#endif

#if __has_include("../../res/lang/strings_1041.inc")
const StringEntry kStrings1041[] = {
#include "../../res/lang/strings_1041.inc"
    {kEndMark, nullptr}};
#else
const StringEntry kStrings1041[] = {{kEndMark, nullptr}};
#endif

#undef LM_STRING

struct RawTable {
    uint16_t langId;
    const StringEntry* entries;
};

constexpr std::array<RawTable, 18> kRawTables = {{
    {2057, kStrings2057},
    {1033, kStrings1033},
    {1031, kStrings1031},
    {1036, kStrings1036},
    {1040, kStrings1040},
    {1034, kStrings1034},
    {1043, kStrings1043},
    {2070, kStrings2070},
    {1045, kStrings1045},
    {1029, kStrings1029},
    {1030, kStrings1030},
    {1053, kStrings1053},
    {1035, kStrings1035},
    {1044, kStrings1044},
    {1049, kStrings1049},
    {2052, kStrings2052},
    {1028, kStrings1028},
    {1041, kStrings1041},
}};

struct Entry {
    uint32_t id;
    std::wstring_view text;
};

struct Table {
    uint16_t langId = 0;
    std::vector<Entry> entries;    // sorted by ID, one entry per ID
    std::vector<uint32_t> doubles; // IDs written more than once
};

// The tables sorted by language, each sorted by ID: lookups are two binary searches.
struct Tables {
    std::vector<Table> byLanguage;

    Tables() {
        for (const RawTable& raw : kRawTables) {
            Table table;
            table.langId = raw.langId;
            for (const StringEntry* e = raw.entries; e->id != kEndMark; ++e)
                table.entries.push_back(
                    Entry{e->id, e->text ? std::wstring_view(e->text) : std::wstring_view()});
            if (table.entries.empty())
                continue;
            // A stable sort keeps the first text of an ID written twice in front; the rest are dropped.
            std::stable_sort(table.entries.begin(), table.entries.end(),
                             [](const Entry& a, const Entry& b) { return a.id < b.id; });
            std::vector<Entry> unique;
            unique.reserve(table.entries.size());
            for (const Entry& e : table.entries) {
                if (!unique.empty() && unique.back().id == e.id) {
                    if (table.doubles.empty() || table.doubles.back() != e.id)
                        table.doubles.push_back(e.id);
                    continue;
                }
                unique.push_back(e);
            }
            table.entries = std::move(unique);
            byLanguage.push_back(std::move(table));
        }
        std::sort(byLanguage.begin(), byLanguage.end(),
                  [](const Table& a, const Table& b) { return a.langId < b.langId; });
    }

    const Table* Find(uint16_t langId) const {
        auto it = std::lower_bound(byLanguage.begin(), byLanguage.end(), langId,
                                   [](const Table& t, uint16_t id) { return t.langId < id; });
        return it != byLanguage.end() && it->langId == langId ? &*it : nullptr;
    }
};

const Tables& TheTables() {
    static const Tables tables; // built once; the language guarantees one thread builds it
    return tables;
}

} // namespace

std::optional<std::wstring_view> CBuiltInStringTables::Find(uint16_t langId, uint32_t id) const {
    const Table* table = TheTables().Find(langId);
    if (!table)
        return std::nullopt;
    auto it = std::lower_bound(table->entries.begin(), table->entries.end(), id,
                               [](const Entry& e, uint32_t v) { return e.id < v; });
    if (it == table->entries.end() || it->id != id)
        return std::nullopt;
    return it->text;
}

std::vector<uint16_t> CBuiltInStringTables::Languages() const {
    std::vector<uint16_t> out;
    for (const Table& t : TheTables().byLanguage)
        out.push_back(t.langId);
    return out;
}

std::vector<uint32_t> CBuiltInStringTables::Ids(uint16_t langId) const {
    std::vector<uint32_t> out;
    if (const Table* table = TheTables().Find(langId)) {
        out.reserve(table->entries.size());
        for (const Entry& e : table->entries)
            out.push_back(e.id);
    }
    return out;
}

std::vector<uint32_t> CBuiltInStringTables::DuplicateIds(uint16_t langId) const {
    const Table* table = TheTables().Find(langId);
    return table ? table->doubles : std::vector<uint32_t>();
}

const CBuiltInStringTables& BuiltInStringTables() {
    static const CBuiltInStringTables tables;
    return tables;
}

const std::vector<uint16_t>& BuiltInTableLanguages() {
    static const std::vector<uint16_t> languages = [] {
        std::vector<uint16_t> out;
        for (const RawTable& raw : kRawTables)
            out.push_back(raw.langId);
        return out;
    }();
    return languages;
}

} // namespace lm
