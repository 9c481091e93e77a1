// Key sounds through the multimedia library's PlaySound.
#include "platform/Sound.h"

#include <windows.h>
#include <mmsystem.h>

namespace lm {
namespace {

constexpr DWORD kFlags = SND_ASYNC | SND_NODEFAULT | SND_NOWAIT;

class Win32Sound final : public ISound {
public:
    bool PlayFile(const std::wstring& path) override {
        return PlaySoundW(path.c_str(), nullptr, kFlags | SND_FILENAME) != FALSE;
    }
    bool PlayResource(const std::wstring& name) override {
        return PlaySoundW(name.c_str(), GetModuleHandleW(nullptr), kFlags | SND_RESOURCE) != FALSE;
    }
};

} // namespace

ISound& NativeSound() {
    static Win32Sound sound;
    return sound;
}

} // namespace lm
