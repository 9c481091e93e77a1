#include "receivers/ReceiverTypes.h"

#include "base/Text.h"

namespace lm {

namespace {

constexpr std::array<tagRECEIVERTYPE, kReceiverTypeCount> kTypes = {{
    {L"Midi In", 0},
    {L"FireWire 7.1 Sound Card", 1},
    {L"PCI 7.1 Sound Card", 2},
    {L"USB DVB-T Box", 3},
    {L"USB Analog TV Box / Video Recorder (2nd Generation)", 4},
    {L"USB Analog TV Box (1st Generation)", 5},
    {L"PCI Analog TV Card (BDA Driver)", 6},
    {L"PCI Analog TV Card (WDM Driver)", 7},
    {L"PCI DVB-T Card", 8},
    {L"Hybrid TV Stick / Card", 9},
    {L"HID Device / Lumora USB Receiver", 10},
    {L"PCI Hybrid TV Card", 11},
    {L"Vistar S USB", 12},
    {L"DVB-T USB Stick / PCI Hybrid Card (2nd Generation)", 13},
    {L"Microsoft MCE eHome Receiver", 14},
}};

// The program's own receivers, from type 15 on.
constexpr const wchar_t* kOwnNames[] = {L"Scripted Receiver", L"Network IR Server",
                                        L"Media Center HID Remote"};

struct ProductRow {
    const wchar_t* name;
    uint32_t remoteModel;
};

constexpr ProductRow kProducts[kProductCount] = {
    {L" - ALL OTHERS -", 64},      {L"FireWire 7.1 Sound Card", 2}, {L"PCI 7.1 Sound Card", 2},
    {L"USB Analog TV Box A", 8},   {L"USB Analog TV Box B", 8},     {L"PCI Analog TV Card A", 16},
    {L"PCI Analog TV Card B", 2},  {L"USB Analog TV Box C", 16},    {L"USB Analog TV Box D", 16},
    {L"PCI TV and Radio Card", 2}, {L"PCI DVB-T Card", 16},         {L"PCI Dual DVB-T Card", 128},
    {L"USB DVB-T Box", 16},        {L"Elgato EyeTV", 2048},         {L"Hybrid USB Stick A", 1024},
    {L"Hybrid USB Box B", 1024},   {L"DVB-S USB Box", 1024},        {L"DVB-T USB Stick A", 1024},
    {L"DVB-T USB Stick B", 1024},  {L"USB Infrared Receiver", 128}, {L"MIDI in", 1},
};

} // namespace

const std::array<tagRECEIVERTYPE, kReceiverTypeCount>& ReceiverTypes() {
    return kTypes;
}

std::wstring ReceiverTypeName(int type) {
    if (type >= 0 && type < kReceiverTypeCount)
        return kTypes[static_cast<size_t>(type)].name;
    if (type >= kReceiverTypeScripted && type < kReceiverSlotCount)
        return kOwnNames[type - kReceiverTypeScripted];
    return std::wstring();
}

std::array<tagRCPRODUCT, kProductCount> BuildProductList(IStringSource& strings) {
    std::array<tagRCPRODUCT, kProductCount> list{};
    for (int i = 0; i < kProductCount; ++i) {
        list[static_cast<size_t>(i)].remoteModel = kProducts[i].remoteModel;
        CopyBounded(list[static_cast<size_t>(i)].name, 128, kProducts[i].name);
    }
    std::wstring text;
    if (strings.LoadText(kStringDefault, text))
        CopyBounded(list[0].name, 128, FormatBounded(127, L" - %ls -", TextToUpper(text).c_str()));
    return list;
}

} // namespace lm
