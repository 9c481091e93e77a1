// Power states and the end of the session.
#pragma once
#include <cstdint>

namespace lm {

enum : uint32_t { kExitPowerOff = 0x00000008 };

class IPower {
public:
    virtual ~IPower() = default;
    // Enables the shutdown privilege in the process token. False when the token cannot be opened or the
    // privilege was not granted.
    virtual bool EnableShutdownPrivilege() = 0;
    // Suspend (true) or hibernate (false).
    virtual bool SetSystemPowerState(bool suspend, bool force) = 0;
    virtual bool ExitSession(uint32_t flags, uint32_t reason) = 0;
};

IPower& NativePower();

} // namespace lm
