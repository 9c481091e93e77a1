// Names of the virtual keys that keyboard commands can name, and the rule that tells a virtual-key
// code from a character code.
#pragma once
#include <cstdint>
#include <string>

namespace lm {

struct tagVKNAME {
    const wchar_t* name;
    uint8_t code;
};

constexpr size_t kVirtualKeyNameCount = 52;
// The table in its fixed order.
const tagVKNAME* VirtualKeyNames();

// The code of a name ("F1", "VK_F1" and "vk_f1" all give 112); 0 when unknown.
uint8_t GetVirtualKeyCode(const std::wstring& name);
// The name of the first row with the code; otherwise the character with that code.
std::wstring GetVirtualKeyName(uint8_t code);
// True when the low 8 bits of the code are the code of a table row: the code is then sent as it is.
bool IsTableVirtualKey(uint16_t code);

} // namespace lm
