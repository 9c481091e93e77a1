// CKeyEcho: the key path while the key dispatcher is not part of the program. It shows the name of each
// key that a receiver delivers on the on-screen display and writes it to the trace; it runs no
// command. It lets the program and its demonstration show that keys arrive.
#pragma once
#include <atomic>

#include "app/RemoteApp.h"

namespace lm {

class CKeyEcho final : public IKeyPath {
public:
    explicit CKeyEcho(CKeyNames& keyNames) : keyNames_(keyNames) {}

    IrEventCallback Callback() const override { return &CKeyEcho::OnKey; }
    void* CallbackContext() override { return this; }
    void SetReady(bool ready) override { ready_.store(ready); }
    void ReceiverFreeing(CSrc&) override {}
    int Stop(uint32_t) override { return 1; }
    void AttachDisplay(IOsdDisplay* display) override { display_.store(display); }
    std::wstring ActiveApplication() override { return std::wstring(); }
    void SwitchToProgram(int index) override;

private:
    // Runs on the source's polling thread.
    static int32_t OnKey(void* context, const tagIREVENT* event);

    CKeyNames& keyNames_;
    std::atomic<bool> ready_{false};
    std::atomic<IOsdDisplay*> display_{nullptr};
};

} // namespace lm
