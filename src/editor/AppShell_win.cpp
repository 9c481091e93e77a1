#include "editor/AppShell.h"

#include "editor/PropSheetOptions.h"
#include "osd/OsdDlg.h"
#include "support/LMDebug.h"
#include "support/LMLocalizeWin.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace lm {

CAppShellWin::CAppShellWin(CLMLocalizeWin& loc, ILocale& locale, IClock& clock)
    : loc_(loc), locale_(locale), clock_(clock) {}

CAppShellWin::~CAppShellWin() = default;

IOsdDisplay* CAppShellWin::CreateDisplay(const tagOSDSETTINGS& settings) {
    display_ = std::make_unique<COsdDlg>(clock_, settings);
    if (!display_->Create())
        display_.reset();
    return display_.get();
}

void CAppShellWin::DestroyDisplay() {
    display_.reset();
}

int CAppShellWin::ShowMessage(const std::wstring& text, int kind) {
    return loc_.ShowMessageBox(text, kind, nullptr);
}

int CAppShellWin::RunEditor(CRemoteApp& app) {
    CPropSheetOptions sheet(app, loc_, locale_);
    return sheet.Run();
}

void CAppShellWin::EndProcess(uint32_t code) {
    TraceMessage(kTraceMsg, kTraceAllContexts, L"CAppShellWin: the process ends with 0x%X\n", code);
    PostQuitMessage(static_cast<int>(code));
    ExitProcess(code);
}

} // namespace lm
