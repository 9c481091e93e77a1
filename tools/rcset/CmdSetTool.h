// The commands of rcset, the command-line companion for command-set files: upgrade a file to the current
// layout, list the sets of a preset and a user file, show one set's effective keymap, check a file.
#pragma once
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/KnownFolders.h"
#include "platform/Registry.h"

namespace lm {

struct CmdSetToolServices {
    IFileSystem& fs;
    IRegistry& registry;    // installed applications, for the list
    IKnownFolders& folders; // the same
};

// Runs one command (args without the program name). The output and the error text are returned; the
// result is the exit status: 0 success, 1 problems found or a command failed, 2 wrong usage.
int RunCmdSetTool(const std::vector<std::wstring>& args, CmdSetToolServices& services, std::wstring& out,
                  std::wstring& err);

// The text with every control character but line feed and tab written as "\xNN" (or "\x{NNNN}" past
// one byte), so that names from files can neither cut nor steer the console.
std::wstring EscapeControlCharacters(const std::wstring& text);

// How a keyboard shortcut reads: "Ctrl+Shift+F", "Alt+Left", "Num +", "Space".
std::wstring ShortcutText(int code, int modifiers);

} // namespace lm
