// The program's built-in string tables: one table of texts per language, keyed by string ID.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace lm {

class IStringTables {
public:
    virtual ~IStringTables() = default;
    // The text of `id` in the table of `langId`; nothing when that table lacks the ID. The view stays
    // valid as long as the tables do.
    virtual std::optional<std::wstring_view> Find(uint16_t langId, uint32_t id) const = 0;
    // The language IDs that have a table, ascending.
    virtual std::vector<uint16_t> Languages() const = 0;
    // Every string ID of one language, ascending; empty when the language has no table.
    virtual std::vector<uint32_t> Ids(uint16_t langId) const = 0;
};

// The tables compiled into the program from res/lang/strings_<LANGID>.inc. A language whose file is
// missing has no table. Built on first use; safe to use from any thread.
class CBuiltInStringTables final : public IStringTables {
public:
    std::optional<std::wstring_view> Find(uint16_t langId, uint32_t id) const override;
    std::vector<uint16_t> Languages() const override;
    std::vector<uint32_t> Ids(uint16_t langId) const override;
    // IDs written more than once in a language's file (the first text is used); a translation fault.
    std::vector<uint32_t> DuplicateIds(uint16_t langId) const;
};

const CBuiltInStringTables& BuiltInStringTables();

// The languages for which the program can carry a table (whether or not the file exists).
const std::vector<uint16_t>& BuiltInTableLanguages();

} // namespace lm
