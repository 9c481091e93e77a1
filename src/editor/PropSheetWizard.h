// CPropSheetWizard: the command-set wizard (Windows builds), a sheet in the Wizard 97 style with a
// header picture: step 1 the application, step 2 the key assignment, step 3 the review. The caller
// (the command-set list) gives it a title ("New" or "Edit") and the application record that its pages
// share, and runs it modally.
#pragma once
#include <string>

#include "cmdset/PrgInfo.h"
#include "editor/Pages.h"

struct HWND__;

namespace lm {

class CLMLocalizeWin;

class CPropSheetWizard {
public:
    static constexpr int32_t kHeaderBitmap = 250;

    CPropSheetWizard(CLMLocalizeWin& loc, std::wstring title);
    CPropSheetWizard(const CPropSheetWizard&) = delete;
    CPropSheetWizard& operator=(const CPropSheetWizard&) = delete;

    // Gives the three steps their services and the set to edit: the keymap and the name the set has now
    // (empty for a new set). Without it the steps show their templates.
    void Attach(const tagKEYPAGESERVICES& services, const CKeymap& keymap, const std::wstring& name);
    // Runs the wizard over the owner until it ends; true when it ended with Finish.
    bool DoModal(HWND__* owner);

    const std::wstring& Title() const { return title_; }
    // The application record the steps work on.
    tagPRGINFO& Record() { return record_; }
    CPageCmdSetApp& ApplicationPage() { return applicationPage_; }
    CPageCmdSetEdit& KeyPage() { return keyPage_; }
    CPageCmdSetReview& ReviewPage() { return reviewPage_; }

private:
    CLMLocalizeWin& loc_;
    std::wstring title_;
    tagPRGINFO record_;
    CPageCmdSetApp applicationPage_;
    CPageCmdSetEdit keyPage_;
    CPageCmdSetReview reviewPage_;
};

} // namespace lm
