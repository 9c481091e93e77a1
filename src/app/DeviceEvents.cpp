#include "app/DeviceEvents.h"

#include "base/Text.h"

namespace lm {

namespace {

// The vendor ID under which the maker's own receivers report themselves.
constexpr uint16_t kMakerVendor = 0x4C4D;
constexpr const wchar_t* kMi01 = L"&MI_01";

// The FireWire sound card's device paths hold one of these (compared in lower case).
constexpr const wchar_t* kFireWireFragments[] = {L"LM1394_ENUM#LM1394_AVS_000AAC0200",
                                                 L"1394#Lumora&SONEXA_7.1_FireWire"};

} // namespace

const std::array<tagUSBRECEIVER, kUsbReceiverRows>& UsbReceiverTable() {
    static const std::array<tagUSBRECEIVER, kUsbReceiverRows> table = {{
        // Devices of other vendors.
        {10, 0x0419, 0x0001, L""},
        {10, 0x045E, 0x006D, L""},
        {14, 0x045E, 0x006D, L""},
        {9, 0xEB1A, 0x2800, L""},
        {9, 0x0FD9, 0x0018, L""},
        {9, 0x0FD9, 0x0024, L""},
        {10, 0x0FD9, 0x0025, L""},
        {10, 0x0FD9, 0x0026, L""},
        {10, 0x0FD9, 0x002A, L""},
        // The maker's DVB-T box.
        {3, kMakerVendor, 0x0038, L""},
        // Analogue TV boxes and video recorders of the second generation.
        {4, kMakerVendor, 0x0039, L""},
        {4, kMakerVendor, 0x003A, L""},
        {4, kMakerVendor, 0x003B, L""},
        {4, kMakerVendor, 0x003C, L""},
        {4, kMakerVendor, 0x003D, L""},
        {4, kMakerVendor, 0x003E, L""},
        {4, kMakerVendor, 0x003F, L""},
        {4, kMakerVendor, 0x0040, L""},
        {4, kMakerVendor, 0x0041, L""},
        {4, kMakerVendor, 0x003E, kMi01},
        {4, kMakerVendor, 0x003F, kMi01},
        {4, kMakerVendor, 0x0040, kMi01},
        // Hybrid TV sticks and cards.
        {9, kMakerVendor, 0x0050, L""},
        {9, kMakerVendor, 0x0051, L""},
        {9, kMakerVendor, 0x0052, L""},
        {9, kMakerVendor, 0x0053, L""},
        {9, kMakerVendor, 0x0054, L""},
        {9, kMakerVendor, 0x0055, L""},
        {9, kMakerVendor, 0x0056, L""},
        {9, kMakerVendor, 0x0057, L""},
        {9, kMakerVendor, 0x0058, L""},
        {9, kMakerVendor, 0x0050, kMi01},
        {9, kMakerVendor, 0x0051, kMi01},
        {9, kMakerVendor, 0x0052, kMi01},
        {9, kMakerVendor, 0x0053, kMi01},
        {9, kMakerVendor, 0x0059, kMi01},
        {9, kMakerVendor, 0x005A, kMi01},
        // HID devices and the USB infrared receiver.
        {10, kMakerVendor, 0x0060, L""},
        {10, kMakerVendor, 0x0061, L""},
        {10, kMakerVendor, 0x0062, L""},
        {10, kMakerVendor, 0x0063, L""},
        {10, kMakerVendor, 0x0064, L""},
        {10, kMakerVendor, 0x0065, L""},
        {10, kMakerVendor, 0x0066, L""},
        {10, kMakerVendor, 0x0067, L""},
        {10, kMakerVendor, 0x0068, L""},
        {10, kMakerVendor, 0x0069, L""},
        {10, kMakerVendor, 0x006A, L""},
        {10, kMakerVendor, 0x0060, kMi01},
        {10, kMakerVendor, 0x0061, kMi01},
        {10, kMakerVendor, 0x0062, kMi01},
        {10, kMakerVendor, 0x006B, kMi01},
        {10, kMakerVendor, 0x006C, kMi01},
        // The DVB-S box with the device source, and the second generation of DVB-T sticks.
        {12, kMakerVendor, 0x0070, L""},
        {13, kMakerVendor, 0x0078, L""},
        {13, kMakerVendor, 0x0079, L""},
        {13, kMakerVendor, 0x007A, L""},
    }};
    return table;
}

std::wstring UsbReceiverPattern(const tagUSBRECEIVER& row) {
    return TextToLower(FormatBounded(64, L"USB#VID_%04x&PID_%04x%ls#", static_cast<unsigned>(row.vendorId),
                                     static_cast<unsigned>(row.productId), row.suffix));
}

uint32_t UsbReceiverTypes(const std::wstring& lowerPath) {
    uint32_t types = 0;
    for (const tagUSBRECEIVER& row : UsbReceiverTable())
        if (lowerPath.find(UsbReceiverPattern(row)) != std::wstring::npos)
            types |= 1u << static_cast<unsigned>(row.type);
    return types;
}

bool IsFireWireSoundCard(const std::wstring& lowerPath) {
    for (const wchar_t* fragment : kFireWireFragments)
        if (lowerPath.find(TextToLower(fragment)) != std::wstring::npos)
            return true;
    return false;
}

} // namespace lm
