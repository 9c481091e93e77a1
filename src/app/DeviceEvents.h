// Receivers that come and go: which receiver types a device path belongs to, by the table of USB
// receivers and the FireWire sound card's fragments. The editor's window receives the system's device
// and power broadcasts; the application object acts on them (RemoteApp.h).
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace lm {

// Device events of the broadcasts the program acts on, and the kind of device record it reads.
enum : uint32_t {
    kDbtDeviceArrival = 0x8000,
    kDbtDeviceQueryRemove = 0x8001,
    kDbtDeviceRemoveComplete = 0x8004,
};
constexpr uint32_t kDbtDevTypDeviceInterface = 5;
// Power events: the system suspends; it resumed by itself or because the user woke it.
enum : uint32_t {
    kPbtApmSuspend = 4,
    kPbtApmResumeSuspend = 7,
    kPbtApmResumeAutomatic = 18,
};
// The process ends with this code when the FireWire sound card goes.
constexpr uint32_t kExitCodeFireWireRemoved = 0x2222;

// The device part of a broadcast: its kind and, for a device interface, its path.
struct tagDEVICEEVENT {
    uint32_t deviceType = 0;
    std::wstring path;
};

struct tagUSBRECEIVER {
    int32_t type; // receiver type whose source serves the device
    uint16_t vendorId;
    uint16_t productId;
    const wchar_t* suffix; // empty, or "&MI_01" for the second interface of a composite device
};

constexpr size_t kUsbReceiverRows = 57;
const std::array<tagUSBRECEIVER, kUsbReceiverRows>& UsbReceiverTable();

// How a row appears in a device path, in lower case: "usb#vid_0fd9&pid_0018#".
std::wstring UsbReceiverPattern(const tagUSBRECEIVER& row);
// Bit n is set when the device path (lower case) holds the pattern of a row of receiver type n.
uint32_t UsbReceiverTypes(const std::wstring& lowerPath);
// True when the device path (lower case) belongs to the FireWire sound card.
bool IsFireWireSoundCard(const std::wstring& lowerPath);

} // namespace lm
