#include "editor/PropSheetWizard.h"

#include "editor/EditorModel.h"
#include "support/LMDebug.h"
#include "support/LMLocalizeWin.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include "../../res/resource.h"

#include <cstddef>
#include <iterator>

namespace lm {

static_assert(CPropSheetWizard::kHeaderBitmap == IDB_WIZARD_HEADER);
static_assert(CPageCmdSetApp::kTemplate == IDD_PAGE_CMDSET_APP &&
              CPageCmdSetEdit::kTemplate == IDD_PAGE_CMDSET_EDIT &&
              CPageCmdSetReview::kTemplate == IDD_PAGE_CMDSET_REVIEW);

CPropSheetWizard::CPropSheetWizard(CLMLocalizeWin& loc, std::wstring title)
    : loc_(loc), title_(std::move(title)), applicationPage_(loc), keyPage_(loc), reviewPage_(loc) {}

void CPropSheetWizard::Attach(const tagKEYPAGESERVICES& services, const CKeymap& keymap,
                              const std::wstring& name) {
    applicationPage_.Attach(services, record_, name);
    keyPage_.Attach(services, record_);
    keyPage_.SetKeymap(keymap, name.empty() ? L"New" : name);
    reviewPage_.Attach(services, record_, keyPage_);
}

bool CPropSheetWizard::DoModal(HWND__* owner) {
    CLMTraceScope scope(kTraceInfo, kTraceAllContexts, L"CPropSheetWizard::DoModal", L"%ls", title_.c_str());
    struct Step {
        CPageBaseWizard& page;
        uint32_t title, subtitle;
    };
    const Step steps[] = {
        {applicationPage_, kStringStepApplication, kStringStepApplicationText},
        {keyPage_, kStringStepCommandSet, kStringStepCommandSetText},
        {reviewPage_, kStringStepReview, kStringStepReviewText},
    };
    HPROPSHEETPAGE handles[std::size(steps)] = {};
    for (size_t i = 0; i < std::size(steps); ++i) {
        handles[i] =
            steps[i].page.CreateSheetPage(title_, loc_.Text(steps[i].title), loc_.Text(steps[i].subtitle));
        if (!handles[i]) {
            for (size_t j = 0; j < i; ++j)
                DestroyPropertySheetPage(handles[j]);
            return false;
        }
    }
    // The sheet is given the picture itself: some platforms draw only a header bitmap handed over so.
    auto picture = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kHeaderBitmap),
                                                   IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_WIZARD97 | PSH_HEADER | PSH_WATERMARK | PSH_USEHBMHEADER | PSH_USEHBMWATERMARK;
    header.hwndParent = owner;
    header.hInstance = GetModuleHandleW(nullptr);
    header.pszCaption = title_.c_str();
    header.nPages = static_cast<UINT>(std::size(handles));
    header.phpage = handles;
    header.hbmHeader = picture;
    header.hbmWatermark = picture;
    const bool finished = PropertySheetW(&header) > 0;
    if (picture)
        DeleteObject(picture);
    return finished;
}

} // namespace lm
