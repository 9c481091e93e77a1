// The shell: starting programs and documents, and the warning box that tells the user of a failure.
#pragma once
#include <cstdint>
#include <string>

namespace lm {

class IShell {
public:
    virtual ~IShell() = default;
    // ShellExecuteW; an empty directory passes none. True when the shell reported success.
    virtual bool ShellExec(const std::wstring& verb, const std::wstring& file, const std::wstring& parameters,
                           const std::wstring& directory, int32_t show) = 0;
    // A task-modal, top-most warning box with an OK button.
    virtual void WarningBox(const std::wstring& text, const std::wstring& caption) = 0;
};

IShell& NativeShell();

} // namespace lm
