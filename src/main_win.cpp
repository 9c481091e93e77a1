// Entry point of the Windows program: builds the application object on the system's services and runs
// it. The environment variable LM_RECEIVER_SCRIPT names a receiver script (docs/scripted-source.md) that
// the scripted receiver plays.
#include "app/KeyPath.h"
#include "app/RemoteApp.h"
#include "editor/AppShell.h"
#include "exec/DlgShutdownWarning.h"
#include "platform/Desktop.h"
#include "platform/FileSystem.h"
#include "platform/HidInput.h"
#include "platform/Instance.h"
#include "platform/IrDevice.h"
#include "platform/Platform.h"
#include "platform/Power.h"
#include "platform/Sound.h"
#include "platform/Timer.h"
#include "platform/Socket.h"
#include "support/LMDebug.h"
#include "support/LMLocalizeWin.h"

#include "../res/Version.h"

#include <windows.h>
#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    using namespace lm;
    CLMTraceProcess trace(3);
    TraceMessage(kTraceMsg, kTraceAllContexts, L"%ls %ls starting\n", TEXT(LM_PRODUCT_NAME),
                 TEXT(LM_VERSION_TEXT));

    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof(icc);
    icc.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_USEREX_CLASSES;
    InitCommonControlsEx(&icc);

    tagPLATFORM& platform = NativePlatform();
    IFileSystem& files = NativeFileSystem();
    ILocale& locale = NativeLocale();
    CProfileStore languageFiles(files);
    const tagLOCALIZESERVICES texts{BuiltInStringTables(), languageFiles, locale, &NativeRegistry(),
                                    CLMLocalizeWin::ModuleFolder()};
    CLMLocalizeWin loc(texts);
    // English names from the British English table only, so that no language file changes the names
    // written into command-set files; display names in the user-interface language.
    CKeyNames keyNames([&](bool english) -> std::unique_ptr<IStringSource> {
        return std::make_unique<CLMLocalize>(
            texts, english ? tagLOCALIZEOPTIONS::LookupOnly(kLangEnglishUK, kLookupTablesOnly)
                           : tagLOCALIZEOPTIONS::LookupOnly(loc.CurrentLanguage(), kLookupFileFirst));
    });

    CProfileStore profiles(files);
    const tagSRCSERVICES sourceServices{platform.clock, platform.threads,
                                        [&](int32_t key) { return std::wstring(keyNames.EnglishName(key)); }};
    CReceiverFactory sources(sourceServices, NativeIrDevices(), files);
    const std::wstring script = platform.process.GetEnvironment(L"LM_RECEIVER_SCRIPT");
    if (!script.empty())
        sources.EnableScriptedReceiver(script);

    CAppShellWin shell(loc, locale, platform.clock);
    CDlgShutdownWarning warning(loc);
    CKeyPath keyPath(tagKEYPATHSERVICES{tagCMDSETSERVICES{profiles, NativeRegistry(), NativeKnownFolders(),
                                                          loc, keyNames, ProcessAppCatalog()},
                                        tagEXECSERVICES{NativeWindows(), NativeInput(), NativeProcesses(),
                                                        NativeShell(), platform.clock, platform.threads,
                                                        NativeAudio(), NativePower(), warning, loc},
                                        NativeTimers(), [&] { return shell.MainWindow(); }, NativeSound()});
    CRemoteApp app(tagAPPSERVICES{NativeRegistry(), profiles, NativeKnownFolders(), platform.threads,
                                  NativeWindows(), NativeInstanceLock(), NativeSystemInfo(), loc, keyNames,
                                  ProcessAppCatalog(), sources, keyPath, shell},
                   commandLine ? commandLine : L"");
    sources.EnableIrServer(NativeSockets(),
                           [&app](tagIRSERVERCONFIG& config) { return app.IrServerConfig(config); });
    sources.EnableHidRemote(NativeHidInputs());
    app.InitInstance();
    TraceMessage(kTraceMsg, kTraceAllContexts, L"%ls ends (%d)\n", TEXT(LM_PRODUCT_NAME), app.ExitCode());
    return app.ExitCode();
}
