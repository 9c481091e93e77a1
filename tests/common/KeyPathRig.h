// The program's key path put together for tests and timing: the command handler on command-set files in
// memory ("/rc/RemoteControl.ini" and ".usr") and the key dispatcher with its settings, on the system
// services the caller gives. The display is attached by the caller.
#pragma once
#include "app/KeyDispatch.h"
#include "base/Text.h"
#include "fakes/FakeExecServices.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeSettings.h"
#include "fakes/FakeStrings.h"

#include <memory>

namespace lm::test {

struct KeyPathRig {
    // The key sound is looked for in the Windows folder of `folders`.
    KeyPathRig(const tagEXECSERVICES& exec, ISound& sound, IKnownFolders& folders, const std::wstring& preset,
               const std::wstring& user) {
        files.Put(kPreset, "\xEF\xBB\xBF" + ToUtf8(preset));
        files.Put(kUser, "\xEF\xBB\xBF" + ToUtf8(user));
        handler = std::make_unique<CCmdSetHandler>(
            tagCMDSETSERVICES{profiles, registry, folders, exec.strings, keyNames, catalog},
            tagCMDSETFILES{kPreset, kUser}, tagHANDLERSERVICES{exec, timers, nullptr, nullptr, true});
        handler->LoadAppList();
        dispatcher = std::make_unique<CKeyDispatcher>(tagDISPATCHSERVICES{
            *handler, settings.settings, nullptr, sound, exec.threads, exec.clock, folders});
        dispatcher->SetReady(true);
    }
    ~KeyPathRig() { dispatcher.reset(); }

    static constexpr const wchar_t* kPreset = L"/rc/RemoteControl.ini";
    static constexpr const wchar_t* kUser = L"/rc/RemoteControl.usr";
    FakeFileSystem files;
    CProfileStore profiles{files};
    FakeRegistry registry;
    CKeyNames keyNames;
    CAppCatalog catalog;
    FakeTimers timers;
    FakeSettings settings;
    std::unique_ptr<CCmdSetHandler> handler;
    std::unique_ptr<CKeyDispatcher> dispatcher;
};

} // namespace lm::test
