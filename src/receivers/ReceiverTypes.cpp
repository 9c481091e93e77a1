#include "receivers/ReceiverTypes.h"

#include "support/Text.h"

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

constexpr const wchar_t* kScriptedName = L"Scripted Receiver";

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

wchar_t UpperChar(wchar_t c) {
    unsigned u = static_cast<unsigned>(c);
    if (u >= L'a' && u <= L'z')
        return static_cast<wchar_t>(u - 0x20);
    if (u >= 0xE0 && u <= 0xFE && u != 0xF7) // Latin-1 letters, not the division sign
        return static_cast<wchar_t>(u - 0x20);
    if (u == 0xFF)
        return static_cast<wchar_t>(0x178);
    // Latin Extended-A: pairs of capital (even) and small (odd), shifted by one around U+0139..U+0148
    // and U+0179..U+017E.
    if (u == 0x131) // dotless i
        return L'I';
    if ((u >= 0x100 && u <= 0x137) || (u >= 0x14A && u <= 0x177))
        return static_cast<wchar_t>(u & 1 ? u - 1 : u);
    if ((u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E))
        return static_cast<wchar_t>(u & 1 ? u : u - 1);
    if (u >= 0x3B1 && u <= 0x3CB && u != 0x3C2) // Greek small letters, not the final sigma
        return static_cast<wchar_t>(u - 0x20);
    if (u == 0x3C2)
        return static_cast<wchar_t>(0x3A3);
    if (u >= 0x430 && u <= 0x44F) // Cyrillic а..я
        return static_cast<wchar_t>(u - 0x20);
    if (u >= 0x450 && u <= 0x45F) // Cyrillic ѐ..џ
        return static_cast<wchar_t>(u - 0x50);
    return c;
}

} // namespace

const std::array<tagRECEIVERTYPE, kReceiverTypeCount>& ReceiverTypes() {
    return kTypes;
}

std::wstring ReceiverTypeName(int type) {
    if (type >= 0 && type < kReceiverTypeCount)
        return kTypes[static_cast<size_t>(type)].name;
    if (type == kReceiverTypeScripted)
        return kScriptedName;
    return std::wstring();
}

std::wstring ToUpperText(const std::wstring& text) {
    std::wstring upper = text;
    for (wchar_t& c : upper)
        c = UpperChar(c);
    return upper;
}

std::array<tagRCPRODUCT, kProductCount> BuildProductList(IStringSource& strings) {
    std::array<tagRCPRODUCT, kProductCount> list{};
    for (int i = 0; i < kProductCount; ++i) {
        list[static_cast<size_t>(i)].remoteModel = kProducts[i].remoteModel;
        CopyBounded(list[static_cast<size_t>(i)].name, 128, kProducts[i].name);
    }
    std::wstring text;
    if (strings.LoadText(kStringDefault, text))
        CopyBounded(list[0].name, 128, FormatBounded(127, L" - %ls -", ToUpperText(text).c_str()));
    return list;
}

} // namespace lm
