// The single-instance lock: a named object of the system that the first process of the program creates
// and keeps until it ends, so that a second process can tell that it is not the first.
#pragma once
#include <string>

namespace lm {

class IInstanceLock {
public:
    virtual ~IInstanceLock() = default;
    // Creates the named lock and keeps it open for the rest of the process. False when it existed
    // already: another process holds it.
    virtual bool Claim(const std::wstring& name) = 0;
};

// The named semaphore of this system (Windows builds).
IInstanceLock& NativeInstanceLock();

} // namespace lm
