// Host builds run on no Windows: the version is unknown, there is no DirectX and no wave-out device,
// and the user counts as an administrator when running as root.
#include "platform/SystemInfo.h"

#include <unistd.h>

namespace lm {
namespace {

class HostSystemInfo final : public ISystemInfo {
public:
    tagOSVERSION GetOsVersion() override { return tagOSVERSION{}; }
    std::optional<tagDXVERSION> QueryDirectXDiagnostics() override { return std::nullopt; }
    std::optional<tagFILEVERSION> GetFileVersion(const std::wstring&) override { return std::nullopt; }
    unsigned WaveOutDeviceCount() override { return 0; }
    std::optional<std::wstring> WaveOutDeviceName(unsigned) override { return std::nullopt; }
    bool TokenHasAdministrators() override { return ::geteuid() == 0; }
};

} // namespace

ISystemInfo& NativeSystemInfo() {
    static HostSystemInfo info;
    return info;
}

} // namespace lm
