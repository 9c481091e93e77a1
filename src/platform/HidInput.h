// Input of HID remote controls: the raw-input reports of given top-level collections, received even
// while another program is in front, and the application commands that no window in front handled. The
// Windows implementation owns a hidden window on a thread of its own; hosts have no such input.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace lm {

// A top-level collection of HID devices: usage page and usage.
struct tagHIDCOLLECTION {
    uint16_t usagePage;
    uint16_t usage;
};

// Receives the input; called on the input's own thread.
class IHidInputSink {
public:
    virtual ~IHidInputSink() = default;
    // One input report of a device of `collection`, as the device sent it (report ID first).
    virtual void OnHidReport(const tagHIDCOLLECTION& collection, const uint8_t* report, size_t size) = 0;
    // An application command (the number of the system's APPCOMMAND_ values).
    virtual void OnAppCommand(uint32_t command) = 0;
};

class IHidInput {
public:
    virtual ~IHidInput() = default;
    // True when a HID device with one of the collections is attached.
    virtual bool DevicePresent(const std::vector<tagHIDCOLLECTION>& collections) = 0;
    // Starts the input thread and registers for the collections and for application commands. With
    // `consume`, the media and volume keys the system makes of such devices are taken away from the
    // program in front. False when the input cannot be set up.
    virtual bool Start(const std::vector<tagHIDCOLLECTION>& collections, IHidInputSink& sink,
                       bool consume) = 0;
    // Unregisters and ends the thread; the sink is not called afterwards.
    virtual void Stop() = 0;
};

class IHidInputs {
public:
    virtual ~IHidInputs() = default;
    virtual std::unique_ptr<IHidInput> NewInput() = 0;
};

IHidInputs& NativeHidInputs();

// Tests of the Windows implementation send this message to its window (class "LumoraHidRemoteInput")
// instead of a WM_INPUT: wParam holds usage page (high word) and usage (low word), lParam points to a
// tagHIDTESTREPORT.
constexpr uint32_t kWmTestReport = 0x8000 + 0x48; // WM_APP + 0x48
struct tagHIDTESTREPORT {
    const uint8_t* data;
    size_t size;
};

} // namespace lm
