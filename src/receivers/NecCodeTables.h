// Code tables of the remote models: the 8-bit receiver code to the common key ID, per remote-model
// mask, and the keys that mean one thing when tapped and another when held.
#pragma once
#include <cstdint>

namespace lm {

// Remote-model masks with a code table. Mask 1 (the MIDI keyboard) maps every code to itself.
enum : uint32_t {
    kRemoteModelMidi = 1,
    kRemoteModel2 = 2,
    kRemoteModel8 = 8,
    kRemoteModel16 = 16,
    kRemoteModel64 = 64,
    kRemoteModel128 = 128,
    kRemoteModel1024 = 1024,
    kRemoteModel2048 = 2048,
};

constexpr int32_t kNoKeyId = -1;

// Sets *keyId to -1, then to the key of `code` in the table of `remoteModel`. Returns 1 when the code
// has an entry, 0 otherwise (also for masks without a table).
int MapNecCodeToKeyId(uint32_t remoteModel, uint8_t code, int32_t* keyId);

// The lowest code that maps to keyId under remoteModel; false when there is none.
bool FindNecCodeForKeyId(uint32_t remoteModel, int32_t keyId, uint8_t* code);

// True when the mask selects a code table.
bool HasNecCodeTable(uint32_t remoteModel);

struct tagDOUBLEFUNCTIONKEY {
    int32_t key;        // the key ID the code table yields
    int32_t shortPress; // sent when the key is released within the test time
    int32_t longPress;  // sent when it is still held
};

// The double-function entry of keyId, or null.
const tagDOUBLEFUNCTIONKEY* FindDoubleFunctionKey(int32_t keyId);

} // namespace lm
