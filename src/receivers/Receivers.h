// The receiver state of the application: one source slot per receiver type, the mask of the types
// found working, and the ready flag that lets key events through. The application object owns one
// CReceivers and delegates its receiver operations to it.
#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/FileSystem.h"
#include "platform/HidInput.h"
#include "platform/IrDevice.h"
#include "platform/Socket.h"
#include "receivers/ReceiverTypes.h"
#include "receivers/Src.h"
#include "receivers/SrcIrServer.h"

namespace lm {

// Makes the source of a receiver type.
class ISourceFactory {
public:
    virtual ~ISourceFactory() = default;
    // A new, uninitialised source; null for a type without one.
    virtual std::unique_ptr<CSrc> CreateSource(int type) = 0;
};

// What the receiver state needs of its owner.
class IReceiverHost {
public:
    virtual ~IReceiverHost() = default;
    // The setting "Selection": bit n set means type n shall be active.
    virtual uint32_t ReceiverSelection() = 0;
    // Saves the settings (after InitReceivers).
    virtual void SaveReceiverSettings() = 0;
    // Runs just before a source is deleted, so that the owner can end what still uses it (a command
    // repeat that asks the source for its last key).
    virtual void ReceiverFreeing(CSrc& source) = 0;
};

class CReceivers {
public:
    // Every type but the first and the HID remote (bit 17): that one takes the media keys of every
    // keyboard from the system while it runs, so the user switches it on in the options.
    static constexpr uint32_t kDefaultSelection = 0xFFFDFFFEu;
    static constexpr uint8_t kDefaultMidiChannel = 15;

    // Every source is initialised with ownerContext and callback.
    CReceivers(ISourceFactory& factory, IReceiverHost& host, void* ownerContext, IrEventCallback callback);
    ~CReceivers();
    CReceivers(const CReceivers&) = delete;
    CReceivers& operator=(const CReceivers&) = delete;

    // Builds the receiver state from scratch; 1 when at least one type was found.
    int InitReceivers();
    // Frees the type and creates and initialises its source anew; returns the source's Init result,
    // 0 for a type without a source. With activate 1 a source that failed or is not selected is
    // deleted again.
    int ReinitReceiver(int type, int activate);
    // Clears the type's found bit and deletes its source; 1, or 0 for a number that is no type.
    int FreeReceiver(int type);
    // Deletes every source and clears the found mask and the ready flag; 1.
    int FreeReceivers();

    uint32_t FoundMask() const { return foundMask_.load(std::memory_order_acquire); }
    // 1 after InitReceivers found a type; key events are dispatched only then. Read from polling threads.
    uint32_t Ready() const { return ready_.load(std::memory_order_acquire); }
    // The running source of a type, or null.
    CSrc* Source(int type) const;
    uint8_t MidiChannel() const { return midiChannel_; }
    void SetMidiChannel(uint8_t channel) { midiChannel_ = channel; }

private:
    static bool IsType(int type) { return type >= 0 && type < kReceiverSlotCount; }
    void DeleteSource(int type);

    ISourceFactory& factory_;
    IReceiverHost& host_;
    void* ownerContext_;
    IrEventCallback callback_;
    std::array<std::unique_ptr<CSrc>, kReceiverSlotCount> sources_;
    std::atomic<uint32_t> foundMask_{0};
    std::atomic<uint32_t> ready_{0};
    uint8_t midiChannel_ = kDefaultMidiChannel;
};

// The sources of this system: the device source of type 12 and, when enabled, the program's own
// receivers.
class CReceiverFactory : public ISourceFactory {
public:
    CReceiverFactory(const tagSRCSERVICES& services, IIrDevices& devices, IFileSystem& files);
    // Enables the scripted receiver (type 15) with a script file; an empty path disables it. A disabled
    // scripted receiver is never found, so the options page does not list it.
    void EnableScriptedReceiver(std::wstring scriptPath) { scriptPath_ = std::move(scriptPath); }
    const std::wstring& ScriptPath() const { return scriptPath_; }
    // Enables the network receiver (type 16). `config` is asked each time the type is created and
    // returns false while no server is configured; the type is then not found.
    void EnableIrServer(ISockets& sockets, std::function<bool(tagIRSERVERCONFIG&)> config) {
        sockets_ = &sockets, irServerConfig_ = std::move(config);
    }
    // Enables the HID remote (type 17); it is found when such a device is attached.
    void EnableHidRemote(IHidInputs& inputs) { hidInputs_ = &inputs; }

    std::unique_ptr<CSrc> CreateSource(int type) override;

private:
    tagSRCSERVICES services_;
    IIrDevices& devices_;
    IFileSystem& files_;
    std::wstring scriptPath_;
    ISockets* sockets_ = nullptr;
    std::function<bool(tagIRSERVERCONFIG&)> irServerConfig_;
    IHidInputs* hidInputs_ = nullptr;
};

} // namespace lm
