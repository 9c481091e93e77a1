// Where localised texts come from: CLMLocalize implements it; tests give fixed texts. (Not named
// LoadString: windows.h turns that name into a macro.)
#pragma once
#include <cstdint>
#include <string>

namespace lm {

class IStringSource {
public:
    virtual ~IStringSource() = default;
    // The text of a string ID in the user-interface language; false (text untouched) when unknown.
    virtual bool LoadText(uint32_t id, std::wstring& text) = 0;
    // The text, or `fallback` when the ID is unknown.
    std::wstring Text(uint32_t id, const std::wstring& fallback = std::wstring()) {
        std::wstring text;
        return LoadText(id, text) ? text : fallback;
    }
};

} // namespace lm
