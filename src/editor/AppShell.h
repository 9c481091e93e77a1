// CAppShellWin: the windows of the Windows program for the application object: the on-screen display,
// the editor sheet that the program runs until the user quits, and localised message boxes.
#pragma once
#include <memory>

#include "app/RemoteApp.h"
#include "platform/Clock.h"
#include "platform/Locale.h"

namespace lm {

class CLMLocalizeWin;
class COsdDlg;

class CAppShellWin final : public IAppShell {
public:
    CAppShellWin(CLMLocalizeWin& loc, ILocale& locale, IClock& clock);
    ~CAppShellWin() override;

    IOsdDisplay* CreateDisplay(const tagOSDSETTINGS& settings) override;
    void DestroyDisplay() override;
    int ShowMessage(const std::wstring& text, int kind) override;
    int RunEditor(CRemoteApp& app) override;
    void EndProcess(uint32_t code) override;

private:
    CLMLocalizeWin& loc_;
    ILocale& locale_;
    IClock& clock_;
    std::unique_ptr<COsdDlg> display_;
};

} // namespace lm
