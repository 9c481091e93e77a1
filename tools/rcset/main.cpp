// rcset: upgrade, list, show and check command-set files from the command line.
#include "rcset/CmdSetTool.h"
#include "platform/Platform.h"
#include "base/Text.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

int Run(std::vector<std::wstring> args) {
    lm::CmdSetToolServices services{lm::NativeFileSystem(), lm::NativeRegistry(), lm::NativeKnownFolders()};
    std::wstring out, err;
    const int status = lm::RunCmdSetTool(args, services, out, err);
    // Names come from the files: escaped, they can neither cut the output nor steer the terminal.
    if (!out.empty())
        lm::NativePlatform().process.ConsoleOutput(lm::EscapeControlCharacters(out));
    if (!err.empty()) {
        const std::string text = lm::ToUtf8(lm::EscapeControlCharacters(err));
        std::fwrite(text.data(), 1, text.size(), stderr);
        std::fflush(stderr);
    }
    return status;
}

} // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    return Run(std::vector<std::wstring>(argv + 1, argv + argc));
}
#else
int main(int argc, char** argv) {
    std::vector<std::wstring> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(lm::FromUtf8(argv[i]));
    return Run(args);
}
#endif
