// The receiver types the program knows and the products whose remote control the editor can show.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "support/Strings.h"

namespace lm {

// Receiver types 0..14; the program's own receivers take the numbers after them: the scripted receiver,
// the network IR server and the Media Center-style HID remote.
constexpr int kReceiverTypeCount = 15;
constexpr int kReceiverTypeMidi = 0;
constexpr int kReceiverTypeVistarS = 12;
constexpr int kReceiverTypeScripted = 15;
constexpr int kReceiverTypeIrServer = 16;
constexpr int kReceiverTypeHidRemote = 17;
// Slots of the receiver state: the fifteen types and the program's own receivers.
constexpr int kReceiverSlotCount = 18;

struct tagRECEIVERTYPE {
    wchar_t name[128];
    int32_t type;
};

// The fifteen types in type order.
const std::array<tagRECEIVERTYPE, kReceiverTypeCount>& ReceiverTypes();

// The display name of a type, including the program's own receivers; empty for other numbers.
std::wstring ReceiverTypeName(int type);

struct tagRCPRODUCT {
    uint32_t remoteModel; // the code table and picture of its remote control
    wchar_t name[128];
};

constexpr int kProductCount = 21;
constexpr uint32_t kStringDefault = 53440; // "Default"

// The product list with row 0 named " - %s -" after string 53440 in upper case; row 0 keeps its
// built-in name when the string is unknown.
std::array<tagRCPRODUCT, kProductCount> BuildProductList(IStringSource& strings);

} // namespace lm
