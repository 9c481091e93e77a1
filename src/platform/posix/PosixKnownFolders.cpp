// Known folders of host builds: the XDG folders for the per-user data, /usr/bin as the system folder and
// /opt as the folder of installed programs. There is no Windows folder.
#include "platform/KnownFolders.h"
#include "base/Text.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>

namespace lm {
namespace {

std::wstring Env(const char* name) {
    const char* v = std::getenv(name);
    return v && *v ? FromUtf8(v) : std::wstring();
}

std::wstring HomeBased(const char* variable, const wchar_t* fallback) {
    std::wstring v = Env(variable);
    if (!v.empty())
        return v;
    std::wstring home = Env("HOME");
    return home.empty() ? home : home + fallback;
}

class PosixKnownFolders final : public IKnownFolders {
public:
    std::wstring ExecutablePath() override {
        char buffer[PATH_MAX + 1];
        ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
        if (n <= 0)
            return std::wstring();
        return FromUtf8(std::string(buffer, static_cast<size_t>(n)));
    }

    std::wstring Folder(KnownFolder folder) override {
        switch (folder) {
        case KnownFolder::UserAppData:
            return HomeBased("XDG_CONFIG_HOME", L"/.config");
        case KnownFolder::LocalAppData:
            return HomeBased("XDG_DATA_HOME", L"/.local/share");
        case KnownFolder::System:
            return L"/usr/bin";
        case KnownFolder::ProgramFiles:
            return L"/opt";
        case KnownFolder::UserPrograms: {
            std::wstring home = Env("HOME");
            return home.empty() ? home : home + L"/.local/opt";
        }
        case KnownFolder::Windows:
        case KnownFolder::ProgramFilesX86:
            return std::wstring();
        }
        return std::wstring();
    }

    bool Is64BitSystem() override { return sizeof(void*) == 8; }

    std::wstring ExpandEnvironment(const std::wstring& text) override {
        std::wstring out;
        size_t pos = 0;
        while (pos < text.size()) {
            size_t open = text.find(L'%', pos);
            size_t close = open == std::wstring::npos ? open : text.find(L'%', open + 1);
            if (close == std::wstring::npos) {
                out += text.substr(pos);
                break;
            }
            std::wstring value = Env(ToUtf8(text.substr(open + 1, close - open - 1)).c_str());
            out += text.substr(pos, open - pos);
            out += value.empty() ? text.substr(open, close - open + 1) : value;
            pos = close + 1;
        }
        return out;
    }
};

} // namespace

IKnownFolders& NativeKnownFolders() {
    static PosixKnownFolders folders;
    return folders;
}

} // namespace lm
