// String tables in the test: whatever texts a test puts in.
#pragma once
#include "support/StringTables.h"

#include <map>
#include <string>

namespace lm::test {

class FakeStringTables final : public IStringTables {
public:
    std::optional<std::wstring_view> Find(uint16_t langId, uint32_t id) const override {
        auto lang = tables.find(langId);
        if (lang == tables.end())
            return std::nullopt;
        auto it = lang->second.find(id);
        if (it == lang->second.end())
            return std::nullopt;
        return std::wstring_view(it->second);
    }
    std::vector<uint16_t> Languages() const override {
        std::vector<uint16_t> out;
        for (auto& [lang, t] : tables)
            out.push_back(lang);
        return out;
    }
    std::vector<uint32_t> Ids(uint16_t langId) const override {
        std::vector<uint32_t> out;
        auto lang = tables.find(langId);
        if (lang != tables.end())
            for (auto& [id, text] : lang->second)
                out.push_back(id);
        return out;
    }
    std::map<uint16_t, std::map<uint32_t, std::wstring>> tables;
};

} // namespace lm::test
