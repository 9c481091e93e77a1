// CKeyPath: the program's key path, the command handler on the program's command-set files and the key
// dispatcher in front of it. The application object gives its callback to every source and builds the
// handling with Start once the files are up to date and the settings are read; keys that arrive before
// that, or after Stop, are dropped.
#pragma once
#include <atomic>
#include <functional>
#include <memory>

#include "app/KeyDispatch.h"
#include "app/RemoteApp.h"
#include "platform/Timer.h"

namespace lm {

struct tagKEYPATHSERVICES {
    tagCMDSETSERVICES cmdsets;
    tagEXECSERVICES exec;
    ITimers& timers;                          // the mouse mover's timer
    std::function<WindowHandle()> mainWindow; // on whose thread that timer runs
    ISound& sound;
};

class CKeyPath final : public IKeyPath {
public:
    explicit CKeyPath(const tagKEYPATHSERVICES& services);
    ~CKeyPath() override;
    CKeyPath(const CKeyPath&) = delete;
    CKeyPath& operator=(const CKeyPath&) = delete;

    IrEventCallback Callback() const override { return &CKeyPath::OnKey; }
    void* CallbackContext() override { return this; }
    void Start(CSettings& settings) override;
    void SetReady(bool ready) override;
    void ReceiverFreeing(CSrc& source) override;
    int Stop(uint32_t timeoutMs) override;
    void AttachDisplay(IOsdDisplay* display) override;
    std::wstring ActiveApplication() override;
    void SwitchToProgram(int index) override;
    void ReloadActiveSet() override;
    const tagEXECSERVICES* ExecServices() const override { return &services_.exec; }
    // Through a handler of its own on the same files and application map (-1 before Start).
    int TestCommand(const tagWINCMD& command, const tagPRGINFO& app) override;

    // The handler once started, else null (tests).
    CCmdSetHandler* Handler() { return handler_.get(); }

private:
    // Runs on the sources' polling threads.
    static int32_t OnKey(void* context, const tagIREVENT* event);

    tagKEYPATHSERVICES services_;
    std::unique_ptr<CCmdSetHandler> handler_;
    std::unique_ptr<CKeyDispatcher> dispatcher_;
    std::atomic<CKeyDispatcher*> live_{nullptr}; // the dispatcher while keys may reach it
    std::atomic<IOsdDisplay*> display_{nullptr};
    std::atomic<bool> ready_{false};
};

} // namespace lm
