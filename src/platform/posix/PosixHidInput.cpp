// Hosts have no HID remote input: no device is ever present and the input cannot start.
#include "platform/HidInput.h"

namespace lm {
namespace {

class NoHidInput final : public IHidInput {
public:
    bool DevicePresent(const std::vector<tagHIDCOLLECTION>&) override { return false; }
    bool Start(const std::vector<tagHIDCOLLECTION>&, IHidInputSink&, bool) override { return false; }
    void Stop() override {}
};

class NoHidInputs final : public IHidInputs {
public:
    std::unique_ptr<IHidInput> NewInput() override { return std::make_unique<NoHidInput>(); }
};

} // namespace

IHidInputs& NativeHidInputs() {
    static NoHidInputs inputs;
    return inputs;
}

} // namespace lm
