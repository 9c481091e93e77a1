// One key of a command set as a line of a command-set file: "200=  3, 96,    0,  0,
// 0,1000,200,"0","","Programme 0"", that is type, subtype, parameter, second parameter, repeat flag, repeat
// delay, repeat rate, display text, window caption and the key's English name (for readers of the file; never
// read back). Blanks in the two texts are written as "_".
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "cmdset/WinCmd.h"

namespace lm {

// Room for the longest line the writer makes: seven numbers, two texts of 255 characters and a key name.
constexpr size_t kKeyLineChars = 1024;

// The key of a line ("%3d").
std::wstring FormatKeyLineKey(int32_t key);
// The value of a line. Commas and double quotes cannot be stored in the texts and are left out; control
// characters and blanks are written as "_".
std::wstring FormatKeyLine(const tagWINCMD& cmd, const wchar_t* englishKeyName);
// Reads the value of a current line into cmd. Fields that cannot be read keep their defaults (nothing,
// repeat 0, delay 1000, rate 200); the caption is read only when a further field follows it. Returns the
// number of leading numbers read (0..7).
int ParseKeyLine(const std::wstring& value, tagWINCMD& cmd);
// Reads a line of layout 3 (or older): four numbers, the display text and the window caption, without
// repeat values. Returns the number of leading numbers read (0..4).
int ParseLayout3Line(const std::wstring& value, tagWINCMD& cmd);

// What is wrong with the value of a current key line; empty when it reads completely.
std::wstring CheckKeyLine(const std::wstring& value);

} // namespace lm
