// The source of receiver type 12, a DVB-S receiver on USB whose driver answers a kernel-streaming
// property request with the infrared code.
#pragma once
#include <memory>

#include "platform/IrDevice.h"
#include "receivers/Src.h"

namespace lm {

class CSrcRcVistar_S_USB : public CSrcPoll {
public:
    static constexpr const wchar_t* kName = L"Vistar S USB";

    CSrcRcVistar_S_USB(const tagSRCSERVICES& services, std::unique_ptr<IIrDevice> device);
    ~CSrcRcVistar_S_USB() override;

    // Opens the receiver and starts polling; 0 when the receiver is not there.
    int Init(void* ownerContext, IrEventCallback callback) override;
    uint8_t GetCurrentKeyCode() override;

    // The code of one reply of the driver: no key for kIrReplyNoKey, else its low 8 bits.
    static uint8_t CodeFromReply(uint32_t reply);

private:
    std::unique_ptr<IIrDevice> device_;
};

} // namespace lm
