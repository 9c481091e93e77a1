// The Media Center-style remote: a USB receiver that the system knows as a HID device and that reports
// the keys as usages of the consumer-control page and of the Media Center vendor page. The source takes
// the raw-input reports of those collections (and, as a fallback, the application commands of keyboards
// and remotes that send those), maps the usages to key IDs and records them for the polling thread of
// CSrcPush.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/HidInput.h"
#include "receivers/SrcPush.h"

namespace lm {

constexpr uint16_t kHidPageConsumer = 0x000C;
constexpr uint16_t kHidPageMediaCenter = 0xFFBC;
// The collections the source listens to: consumer control (0x0C/0x01), Media Center remote (0xFFBC/0x88).
const std::vector<tagHIDCOLLECTION>& HidRemoteCollections();

struct tagHIDUSAGEKEY {
    uint16_t usagePage;
    uint16_t usage;
    int32_t keyId;
};
// The usage table, in page and usage order.
const std::vector<tagHIDUSAGEKEY>& HidRemoteUsages();
// The key ID of a usage; -1 when it has none.
int32_t HidUsageToKey(uint16_t usagePage, uint16_t usage);
// The key ID of an application command; -1 when it has none.
int32_t AppCommandToKey(uint32_t command);

// Reads one input report of a collection: the usage of the key down (> 0), 0 when the report says that
// no key is down, -1 when the report has no layout this source knows. Consumer control: report ID, then
// 16-bit usages (little-endian; one byte alone is an 8-bit usage). Media Center page: report ID, then
// the 8-bit button usage.
int32_t ParseHidRemoteReport(uint16_t usagePage, const uint8_t* report, size_t size);

class CSrcHidRemote : public CSrcPush, private IHidInputSink {
public:
    static constexpr const wchar_t* kName = L"Media Center HID Remote";
    // An application command this soon after a report of the device is the system's translation of that
    // report and is not taken twice.
    static constexpr uint32_t kAppCommandQuietMs = 500;

    // `requireDevice`: Init fails when no device of the collections is attached (the program); tests that
    // drive the input themselves clear it.
    CSrcHidRemote(const tagSRCSERVICES& services, std::unique_ptr<IHidInput> input, bool requireDevice = true,
                  bool consume = true);
    ~CSrcHidRemote() override;

    // Checks for the device, starts the input and the polling thread.
    int Init(void* ownerContext, IrEventCallback callback) override;

    // What the input delivers (public for tests without a system input).
    void TakeReport(const tagHIDCOLLECTION& collection, const uint8_t* report, size_t size);
    void TakeAppCommand(uint32_t command);

    uint32_t UnknownReports() const { return unknown_.load(std::memory_order_relaxed); }

private:
    void OnHidReport(const tagHIDCOLLECTION& collection, const uint8_t* report, size_t size) override {
        TakeReport(collection, report, size);
    }
    void OnAppCommand(uint32_t command) override { TakeAppCommand(command); }

    std::unique_ptr<IHidInput> input_;
    bool requireDevice_;
    bool consume_;
    bool inputStarted_ = false;
    // Input thread only.
    int32_t heldKey_ = -1;
    uint32_t lastReport_ = 0;
    bool reportSeen_ = false;
    std::atomic<uint32_t> unknown_{0};
};

} // namespace lm
