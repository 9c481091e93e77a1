#include "receivers/NecCodeTables.h"

#include <array>
#include <cstddef>

namespace lm {

namespace {

struct NecPair {
    uint8_t code;
    int16_t key;
};

constexpr NecPair kMask2[] = {
    {0x00, 200}, {0x01, 201}, {0x02, 202}, {0x03, 203}, {0x04, 204}, {0x05, 205}, {0x06, 206}, {0x07, 207},
    {0x08, 208}, {0x09, 209}, {0x0A, 140}, {0x0B, 160}, {0x0C, 141}, {0x0D, 221}, {0x0E, 220}, {0x0F, 241},
    {0x10, 240}, {0x11, 223}, {0x12, 210}, {0x13, 243}, {0x14, 242}, {0x15, 180}, {0x16, 181}, {0x17, 182},
    {0x18, 183}, {0x19, 186}, {0x1A, 187}, {0x1B, 161}, {0x1C, 264}, {0x1D, 265}, {0x1E, 263}, {0x1F, 260},
    {0x20, 266}, {0x21, 267}, {0x22, 262}, {0x23, 261}, {0x24, 280}, {0x25, 281}, {0x26, 282}, {0x27, 283},
    {0x28, 200}, {0x29, 185}, {0x2A, 162}, {0x2B, 163}, {0x2C, 268}, {0x2D, 269}, {0x40, 266}, {0x41, 267},
    {0x42, 262}, {0x43, 261}, {0x4C, 268}, {0x4D, 269}};
constexpr NecPair kMask8[] = {{0x01, 143}, {0x02, 223}, {0x03, 242}, {0x04, 140}, {0x05, 201}, {0x06, 202},
                              {0x07, 203}, {0x08, 221}, {0x09, 204}, {0x0A, 205}, {0x0B, 206}, {0x0C, 220},
                              {0x0D, 207}, {0x0E, 208}, {0x0F, 209}, {0x10, 241}, {0x11, 200}, {0x12, 160},
                              {0x13, 144}, {0x14, 240}, {0x16, 262}, {0x18, 263}, {0x19, 266}, {0x1A, 260},
                              {0x1B, 267}, {0x1C, 185}, {0x1E, 261}, {0x40, 141}};
constexpr NecPair kMask16[] = {
    {0x01, 140}, {0x02, 201}, {0x03, 202}, {0x04, 203}, {0x05, 204}, {0x06, 205}, {0x07, 206}, {0x08, 207},
    {0x09, 208}, {0x0A, 209}, {0x0B, 223}, {0x0C, 200}, {0x0D, 185}, {0x0E, 160}, {0x0F, 162}, {0x10, 180},
    {0x11, 182}, {0x12, 184}, {0x13, 183}, {0x14, 181}, {0x15, 161}, {0x16, 163}, {0x17, 320}, {0x18, 321},
    {0x19, 322}, {0x1A, 323}, {0x1B, 221}, {0x1C, 241}, {0x1D, 242}, {0x1E, 240}, {0x1F, 220}, {0x40, 262},
    {0x48, 261}, {0x4C, 260}, {0x54, 268}, {0x58, 263}, {0x5C, 269}};
constexpr NecPair kMask64[] = {
    {0x01, 140}, {0x02, 201}, {0x03, 202}, {0x04, 203}, {0x05, 204}, {0x06, 205}, {0x07, 206}, {0x08, 207},
    {0x09, 208}, {0x0A, 209}, {0x0B, 223}, {0x0C, 200}, {0x0D, 222}, {0x0F, 162}, {0x10, 180}, {0x11, 182},
    {0x12, 184}, {0x13, 183}, {0x14, 181}, {0x16, 163}, {0x17, 320}, {0x18, 321}, {0x19, 322}, {0x1A, 324},
    {0x1B, 221}, {0x1C, 241}, {0x1D, 242}, {0x1E, 240}, {0x1F, 220}, {0x40, 262}, {0x41, 160}, {0x42, 301},
    {0x43, 302}, {0x44, 161}, {0x45, 188}, {0x46, 303}, {0x47, 304}, {0x48, 261}, {0x49, 305}, {0x4A, 306},
    {0x4B, 307}, {0x4C, 260}, {0x4D, 185}, {0x4E, 264}, {0x4F, 265}, {0x54, 266}, {0x58, 263}, {0x5C, 267}};
constexpr NecPair kMask128[] = {
    {0x01, 160}, {0x02, 301}, {0x03, 201}, {0x04, 202}, {0x05, 203}, {0x06, 302}, {0x07, 204}, {0x08, 205},
    {0x09, 206}, {0x0A, 161}, {0x0B, 207}, {0x0C, 208}, {0x0D, 209}, {0x0E, 188}, {0x0F, 223}, {0x10, 200},
    {0x11, 222}, {0x12, 303}, {0x13, 304}, {0x14, 305}, {0x15, 306}, {0x16, 307}, {0x17, 180}, {0x18, 182},
    {0x19, 184}, {0x1A, 183}, {0x1B, 181}, {0x1C, 162}, {0x1D, 163}, {0x1E, 185}, {0x1F, 241}, {0x20, 260},
    {0x21, 221}, {0x22, 240}, {0x23, 242}, {0x24, 220}, {0x25, 320}, {0x26, 321}, {0x27, 322}, {0x28, 324},
    {0x29, 263}, {0x2A, 261}, {0x2B, 262}, {0x2C, 266}, {0x2D, 264}, {0x2E, 265}, {0x2F, 267}, {0x50, 140}};
constexpr NecPair kMask1024[] = {
    {0x01, 140}, {0x02, 201}, {0x03, 202}, {0x04, 203}, {0x05, 204}, {0x06, 205}, {0x07, 206}, {0x08, 207},
    {0x09, 208}, {0x0A, 209}, {0x0B, 161}, {0x0C, 200}, {0x0D, 222}, {0x0E, 160}, {0x0F, 162}, {0x10, 180},
    {0x11, 182}, {0x12, 184}, {0x13, 183}, {0x14, 181}, {0x15, 185}, {0x16, 163}, {0x17, 320}, {0x18, 321},
    {0x19, 322}, {0x1A, 323}, {0x1B, 221}, {0x1C, 241}, {0x1D, 242}, {0x1E, 240}, {0x1F, 220}, {0x40, 263},
    {0x48, 261}, {0x4C, 260}, {0x54, 266}, {0x58, 262}, {0x5C, 267}};
constexpr NecPair kMask2048[] = {{0x01, 140}, {0x02, 242}, {0x03, 201}, {0x04, 202}, {0x05, 203}, {0x06, 204},
                                 {0x07, 205}, {0x08, 206}, {0x09, 207}, {0x0A, 208}, {0x0B, 209}, {0x0C, 185},
                                 {0x0D, 200}, {0x0E, 160}, {0x0F, 280}, {0x10, 180}, {0x11, 281}, {0x12, 240},
                                 {0x13, 184}, {0x14, 241}, {0x15, 282}, {0x16, 181}, {0x17, 283}, {0x18, 266},
                                 {0x19, 260}, {0x1A, 267}, {0x1B, 264}, {0x1C, 222}, {0x1D, 265}, {0x1E, 261},
                                 {0x1F, 161}, {0x40, 263}, {0x41, 141}, {0x42, 160}};

using CodeTable = std::array<int16_t, 256>;

template <size_t N>
constexpr CodeTable Build(const NecPair (&pairs)[N]) {
    CodeTable table{};
    for (auto& entry : table)
        entry = kNoKeyId;
    for (const NecPair& p : pairs)
        table[p.code] = p.key;
    return table;
}

constexpr CodeTable kTable2 = Build(kMask2);
constexpr CodeTable kTable8 = Build(kMask8);
constexpr CodeTable kTable16 = Build(kMask16);
constexpr CodeTable kTable64 = Build(kMask64);
constexpr CodeTable kTable128 = Build(kMask128);
constexpr CodeTable kTable1024 = Build(kMask1024);
constexpr CodeTable kTable2048 = Build(kMask2048);

const CodeTable* TableOf(uint32_t remoteModel) {
    switch (remoteModel) {
    case kRemoteModel2:
        return &kTable2;
    case kRemoteModel8:
        return &kTable8;
    case kRemoteModel16:
        return &kTable16;
    case kRemoteModel64:
        return &kTable64;
    case kRemoteModel128:
        return &kTable128;
    case kRemoteModel1024:
        return &kTable1024;
    case kRemoteModel2048:
        return &kTable2048;
    default:
        return nullptr;
    }
}

constexpr tagDOUBLEFUNCTIONKEY kDoubleFunctionKeys[] = {
    {268, 266, 264},
    {269, 267, 265},
};

} // namespace

int MapNecCodeToKeyId(uint32_t remoteModel, uint8_t code, int32_t* keyId) {
    int32_t key = kNoKeyId;
    if (remoteModel == kRemoteModelMidi) {
        key = code;
    } else if (const CodeTable* table = TableOf(remoteModel)) {
        key = (*table)[code];
    }
    if (keyId)
        *keyId = key;
    return key != kNoKeyId ? 1 : 0;
}

bool FindNecCodeForKeyId(uint32_t remoteModel, int32_t keyId, uint8_t* code) {
    if (keyId == kNoKeyId)
        return false;
    for (int c = 0; c < 256; ++c) {
        int32_t key = kNoKeyId;
        if (MapNecCodeToKeyId(remoteModel, static_cast<uint8_t>(c), &key) && key == keyId) {
            if (code)
                *code = static_cast<uint8_t>(c);
            return true;
        }
    }
    return false;
}

bool HasNecCodeTable(uint32_t remoteModel) {
    return remoteModel == kRemoteModelMidi || TableOf(remoteModel) != nullptr;
}

const tagDOUBLEFUNCTIONKEY* FindDoubleFunctionKey(int32_t keyId) {
    for (const auto& entry : kDoubleFunctionKeys)
        if (entry.key == keyId)
            return &entry;
    return nullptr;
}

} // namespace lm
