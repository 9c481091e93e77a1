// The on-screen display as the command handler, the text input and the key feedback use it. Every
// operation may be called from any thread (normally the key-handling thread); none waits for the
// window, which follows on its own thread.
#pragma once
#include <cstdint>
#include <string>

#include "osd/OsdModel.h"

namespace lm {

class IOsdDisplay {
public:
    virtual ~IOsdDisplay() = default;
    // A one-line text in the bar; ignored while the display time is below 1 s or the menu is shown.
    virtual void ShowText(const std::wstring& text) = 0;
    // The menu built from the menu fields, over the whole screen and active.
    virtual void ShowMenu() = 0;
    // Moves the highlight to menu line index (-1 for none).
    virtual void SetSelection(int32_t index) = 0;
    // Moves the highlight to the next or previous entry, round the ten; returns the entry selected.
    virtual int32_t StepSelection(bool forward) = 0;
    virtual void Hide() = 0;
    virtual void ApplySettings(const tagOSDSETTINGS& settings) = 0;
    // The menu fields and the display's own menu-shown flag, set and cleared by the command handler.
    virtual void SetMenu(const tagOSDMENU& menu) = 0;
    virtual tagOSDMENU Menu() const = 0;
    virtual void SetMenuShown(bool shown) = 0;
    virtual bool MenuShown() const = 0;
};

} // namespace lm
