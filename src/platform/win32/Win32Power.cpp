// Power states and the end of the session.
#include "platform/Power.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace lm {
namespace {

class Win32Power final : public IPower {
public:
    bool EnableShutdownPrivilege() override {
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
            return false;
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        bool ok = LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid) != FALSE;
        if (ok) {
            SetLastError(0);
            AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
            ok = GetLastError() == 0; // ERROR_NOT_ALL_ASSIGNED when the privilege is not held
        }
        CloseHandle(token);
        return ok;
    }
    bool SetSystemPowerState(bool suspend, bool force) override {
        return ::SetSystemPowerState(suspend ? TRUE : FALSE, force ? TRUE : FALSE) != FALSE;
    }
    bool ExitSession(uint32_t flags, uint32_t reason) override {
        return ExitWindowsEx(flags, reason) != FALSE;
    }
};

} // namespace

IPower& NativePower() {
    static Win32Power power;
    return power;
}

} // namespace lm
