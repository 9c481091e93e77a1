// The scripted receiver: a source of the program's own that plays receiver codes from a small text
// file, for tests, demonstrations and users without receiver hardware. The codes take the same road as
// those of a real receiver: polling, repeat filter, code table, double-function test and callback.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "receivers/Src.h"

namespace lm {

struct tagSCRIPTSTEP {
    uint8_t code;        // kNecNoKey for a pause
    uint32_t durationMs; // how long the receiver reports it
    bool markHeld;       // after the first poll that saw the code, report kNecSameKey
};

struct ReceiverScript {
    uint32_t remoteModel = kRemoteModel64;
    bool loop = false;
    std::vector<tagSCRIPTSTEP> steps;
    uint64_t TotalMs() const;
};

// Parses a script (UTF-8 text). On failure returns false with a message naming the line.
bool ParseReceiverScript(const std::string& text, ReceiverScript& script, std::wstring& error);

class CSrcScript : public CSrcPoll {
public:
    static constexpr const wchar_t* kName = L"Scripted Receiver";
    static constexpr size_t kMaxSteps = 10000;
    static constexpr uint32_t kMaxStepMs = 3600000;

    // Plays the script file at `path`, read when the source is initialised.
    CSrcScript(const tagSRCSERVICES& services, IFileSystem& files, std::wstring path);
    // Plays a script given as is.
    CSrcScript(const tagSRCSERVICES& services, ReceiverScript script);
    ~CSrcScript() override;

    // Reads and checks the script, then starts playing it from the beginning and polling.
    int Init(void* ownerContext, IrEventCallback callback) override;
    uint8_t GetCurrentKeyCode() override;

    const ReceiverScript& Script() const { return script_; }

private:
    IFileSystem* files_ = nullptr;
    std::wstring path_;
    ReceiverScript script_;
    std::atomic<uint32_t> start_{0};
    uint64_t lastOccurrence_ = UINT64_MAX; // the step occurrence last reported, for markHeld
};

} // namespace lm
