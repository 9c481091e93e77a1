#include "app/KeyPath.h"

#include "support/LMDebug.h"

namespace lm {

CKeyPath::CKeyPath(const tagKEYPATHSERVICES& services) : services_(services) {}

CKeyPath::~CKeyPath() {
    Stop(CKeyDispatcher::kStopTimeoutMs);
    dispatcher_.reset();
    handler_.reset();
}

void CKeyPath::Start(CSettings& settings) {
    if (handler_)
        return;
    handler_ = std::make_unique<CCmdSetHandler>(
        services_.cmdsets,
        tagHANDLERSERVICES{services_.exec, services_.timers, services_.mainWindow, display_.load(), true});
    handler_->LoadAppList();
    dispatcher_ = std::make_unique<CKeyDispatcher>(
        tagDISPATCHSERVICES{*handler_, settings, display_.load(), services_.sound, services_.exec.threads,
                            services_.exec.clock, services_.cmdsets.folders});
    dispatcher_->AttachDisplay(display_.load());
    dispatcher_->SetReady(ready_.load());
    live_.store(dispatcher_.get());
}

int32_t CKeyPath::OnKey(void* context, const tagIREVENT* event) {
    auto* self = static_cast<CKeyPath*>(context);
    CKeyDispatcher* dispatcher = self ? self->live_.load() : nullptr;
    return dispatcher ? CKeyDispatcher::IrEventCallback(dispatcher, event) : 0;
}

void CKeyPath::SetReady(bool ready) {
    ready_.store(ready);
    if (CKeyDispatcher* dispatcher = live_.load())
        dispatcher->SetReady(ready);
}

void CKeyPath::ReceiverFreeing(CSrc& source) {
    if (dispatcher_)
        dispatcher_->ReceiverFreeing(source);
}

int CKeyPath::Stop(uint32_t timeoutMs) {
    live_.store(nullptr);
    return !dispatcher_ || dispatcher_->Stop(timeoutMs) ? 1 : 0;
}

void CKeyPath::AttachDisplay(IOsdDisplay* display) {
    display_.store(display);
    if (dispatcher_)
        dispatcher_->AttachDisplay(display);
}

int CKeyPath::TestCommand(const tagWINCMD& command, const tagPRGINFO& app) {
    if (!handler_)
        return -1;
    // Its own active set, menu and pointer: the program's handler goes on as it was.
    CCmdSetHandler test(
        services_.cmdsets, tagCMDSETFILES{handler_->PresetFile(), handler_->UserFile()},
        tagHANDLERSERVICES{services_.exec, services_.timers, services_.mainWindow, display_.load(), false});
    return test.HandleCommand(command, app);
}

std::wstring CKeyPath::ActiveApplication() {
    return handler_ ? std::wstring(handler_->ActiveSet()->record.szName) : std::wstring();
}

void CKeyPath::SwitchToProgram(int index) {
    if (!handler_)
        return;
    LM_TRACE(kTraceInfo, L"CKeyPath: program %d from the editor\n", index);
    handler_->StartMenuEntry(index);
}

void CKeyPath::ReloadActiveSet() {
    if (handler_)
        handler_->ReloadActiveSet();
}

} // namespace lm
