// Hosts have no receiver drivers: a device never opens and reads as "no key".
#include "platform/IrDevice.h"

namespace lm {
namespace {

class NoIrDevice final : public IIrDevice {
public:
    bool Open(const std::vector<std::wstring>&, std::vector<tagIRFILTER>*) override { return false; }
    void Close() override {}
    bool IsOpen() const override { return false; }
    uint32_t QueryCode() override { return kIrReplyNoKey; }
};

class NoIrDevices final : public IIrDevices {
public:
    std::unique_ptr<IIrDevice> CreateDevice() override { return std::make_unique<NoIrDevice>(); }
};

} // namespace

IIrDevices& NativeIrDevices() {
    static NoIrDevices devices;
    return devices;
}

} // namespace lm
