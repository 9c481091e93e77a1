// Where the program and the system keep things: the program's own executable, the per-user data folders,
// the system folders and the folders programs are installed in.
#pragma once
#include <string>

namespace lm {

enum class KnownFolder {
    UserAppData,     // per-user application data (roaming)
    LocalAppData,    // per-user application data of this computer
    System,          // the system folder
    Windows,         // the Windows folder
    ProgramFiles,    // programs of the system's own word size
    ProgramFilesX86, // 32-bit programs on a 64-bit system; empty elsewhere
    UserPrograms,    // programs installed for this user only
};

class IKnownFolders {
public:
    virtual ~IKnownFolders() = default;
    // Full path of the running program's executable.
    virtual std::wstring ExecutablePath() = 0;
    // The folder, or empty when the system has none of that kind.
    virtual std::wstring Folder(KnownFolder folder) = 0;
    // True on a 64-bit system, whatever the word size of the program.
    virtual bool Is64BitSystem() = 0;
    // The text with its "%NAME%" environment references replaced (registry paths of the expandable kind).
    virtual std::wstring ExpandEnvironment(const std::wstring& text) = 0;
};

// The folders of this computer; the object lives for the whole process and may be used from any thread.
IKnownFolders& NativeKnownFolders();

} // namespace lm
