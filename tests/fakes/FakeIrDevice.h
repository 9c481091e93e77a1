// Receivers for tests: a list of installed friendly names and a reply the test sets (or computes). The
// bus keeps how many devices exist and are open, and notes a read of a closed device, which a source
// must never do. Safe to use from a polling thread.
#pragma once
#include "platform/IrDevice.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace lm::test {

struct FakeIrBus {
    std::vector<std::wstring> installed; // friendly names, in enumeration order; set before use
    std::atomic<uint32_t> reply{kIrReplyNoKey};
    std::function<uint32_t()> replyFn; // when set, answers instead of `reply`; set before use
    std::atomic<int> liveDevices{0};
    std::atomic<int> openDevices{0};
    std::atomic<bool> readWhileClosed{false};
    std::mutex mutex;
    std::wstring lastOpened;
};

class FakeIrDevice final : public IIrDevice {
public:
    explicit FakeIrDevice(FakeIrBus& bus) : bus_(bus) { ++bus_.liveDevices; }
    ~FakeIrDevice() override {
        Close();
        --bus_.liveDevices;
    }
    bool Open(const std::vector<std::wstring>& nameParts, std::vector<tagIRFILTER>*) override {
        Close();
        for (const auto& part : nameParts)
            for (const auto& name : bus_.installed)
                if (!part.empty() && name.find(part) != std::wstring::npos) {
                    open_.store(true);
                    ++bus_.openDevices;
                    std::lock_guard lock(bus_.mutex);
                    bus_.lastOpened = name;
                    return true;
                }
        return false;
    }
    void Close() override {
        if (open_.exchange(false))
            --bus_.openDevices;
    }
    bool IsOpen() const override { return open_.load(); }
    uint32_t QueryCode() override {
        if (!open_.load()) {
            bus_.readWhileClosed = true;
            return 0;
        }
        return bus_.replyFn ? bus_.replyFn() : bus_.reply.load();
    }

private:
    FakeIrBus& bus_;
    std::atomic<bool> open_{false};
};

class FakeIrDevices final : public IIrDevices {
public:
    explicit FakeIrDevices(FakeIrBus& bus) : bus_(bus) {}
    std::unique_ptr<IIrDevice> CreateDevice() override { return std::make_unique<FakeIrDevice>(bus_); }

private:
    FakeIrBus& bus_;
};

} // namespace lm::test
