// A computer described by plain fields: the version record, DirectX, module versions, wave-out devices.
#pragma once
#include "platform/SystemInfo.h"

#include <map>
#include <vector>

namespace lm::test {

class FakeSystemInfo final : public ISystemInfo {
public:
    tagOSVERSION GetOsVersion() override { return os; }
    std::optional<tagDXVERSION> QueryDirectXDiagnostics() override { return dxdiag; }
    std::optional<tagFILEVERSION> GetFileVersion(const std::wstring& module) override {
        auto it = modules.find(module);
        if (it == modules.end())
            return std::nullopt;
        return it->second;
    }
    unsigned WaveOutDeviceCount() override { return static_cast<unsigned>(waveOut.size()); }
    std::optional<std::wstring> WaveOutDeviceName(unsigned index) override {
        if (index >= waveOut.size() || waveOut[index].empty())
            return std::nullopt;
        return waveOut[index];
    }
    bool TokenHasAdministrators() override { return admin; }

    tagOSVERSION os;
    std::optional<tagDXVERSION> dxdiag;
    std::map<std::wstring, tagFILEVERSION> modules;
    std::vector<std::wstring> waveOut; // an empty name fails to read
    bool admin = false;
};

} // namespace lm::test
