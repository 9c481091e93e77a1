// Checks a command-set file line by line and reports every line the program cannot read as meant:
// malformed lines, unknown or doubled keys and sections, key IDs that do not exist, key lines that do not
// read completely, and files of an older layout.
#pragma once
#include <string>
#include <vector>

#include "cmdset/KeyNames.h"

namespace lm {

struct CmdSetProblem {
    int line = 0;         // 1-based; 0 for the file as a whole
    std::wstring section; // empty outside any section
    std::wstring key;     // empty for section headers and malformed lines
    std::wstring message;
};

// The file's lines as text: UTF-16 (either byte order) or UTF-8 with a byte-order mark, otherwise
// Windows-1252, as the profile store reads them.
std::vector<std::wstring> DecodeProfileLines(const std::string& bytes);

// Empty when the bytes are a text file the profile store can read; otherwise why they are not (a program
// or other binary file: NUL bytes outside UTF-16, or many control characters).
std::wstring WhyNotText(const std::string& bytes);

// The problems of the file's content, in line order.
std::vector<CmdSetProblem> CheckCmdSetFile(const std::string& bytes, CKeyNames& keyNames);

} // namespace lm
