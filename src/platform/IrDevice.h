// An infrared receiver reached through its driver: found by the friendly name of its filter, then asked
// for the code of the key that is down. The system's implementation finds the receiver among the
// BDA receiver components and sends the driver a kernel-streaming property request.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace lm {

// The reply value of a receiver when no key is down.
constexpr uint32_t kIrReplyNoKey = 0xFFFFFFEEu;

// One filter that the search for a receiver looked at; the caller traces them.
struct tagIRFILTER {
    std::wstring searchedFor;  // the name part searched for
    std::wstring friendlyName; // as the filter gives it; empty when it could not be read
    bool nameRead = false;
    bool matched = false;  // the name holds the part searched for
    int32_t bindError = 0; // the error of a matching filter that could not be bound; 0 otherwise
};

class IIrDevice {
public:
    virtual ~IIrDevice() = default;
    // Opens the first receiver whose friendly name contains one of `nameParts` (case-sensitive
    // substring, tried in the given order). Closes what was open before. False when none is found.
    // Runs on the thread that owns the source, with COM initialised. When `seen` is given, it receives
    // every filter looked at, in order.
    virtual bool Open(const std::vector<std::wstring>& nameParts, std::vector<tagIRFILTER>* seen) = 0;
    // Releases the receiver. Must not run while QueryCode runs on another thread.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Asks the driver for the current key code and returns the 32-bit reply. The reply is preset to 0
    // and the request's status is not examined, so a receiver that no longer answers reads as 0.
    // Runs on the polling thread.
    virtual uint32_t QueryCode() = 0;
};

class IIrDevices {
public:
    virtual ~IIrDevices() = default;
    virtual std::unique_ptr<IIrDevice> CreateDevice() = 0;
};

// The receivers of this system; on hosts without receiver drivers no receiver is ever found.
IIrDevices& NativeIrDevices();

} // namespace lm
