// Texts of a test: the words it puts in, nothing else, so the program's own fallbacks apply.
#pragma once
#include "support/Strings.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>

namespace lm::test {

class FakeStrings final : public IStringSource {
public:
    FakeStrings() = default;
    explicit FakeStrings(std::map<uint32_t, std::wstring> words) : texts(std::move(words)) {}
    bool LoadText(uint32_t id, std::wstring& text) override {
        auto it = texts.find(id);
        if (it == texts.end())
            return false;
        text = it->second;
        return true;
    }
    std::map<uint32_t, std::wstring> texts;
};

} // namespace lm::test
