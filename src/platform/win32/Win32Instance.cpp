// The single-instance lock of the Windows program: a named semaphore (initial count 0, maximum 1).
#include "platform/Instance.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace lm {
namespace {

class Win32InstanceLock final : public IInstanceLock {
public:
    bool Claim(const std::wstring& name) override {
        // The handle stays open until the process ends, also in a second process: closing it could
        // end the first instance's claim were that process ending at the same moment.
        // Only a lock that surely exists refuses: a name the system cannot create leaves the program
        // running rather than ending it without a word.
        HANDLE semaphore = CreateSemaphoreW(nullptr, 0, 1, name.c_str());
        return !(semaphore && GetLastError() == ERROR_ALREADY_EXISTS);
    }
};

} // namespace

IInstanceLock& NativeInstanceLock() {
    static Win32InstanceLock lock;
    return lock;
}

} // namespace lm
