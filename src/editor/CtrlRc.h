// CCtrlRc: the remote picture of the key-assignment step (Windows builds). It takes over the step's
// static control 1763 (a bitmap static with click notification), draws the model's picture from the
// program's bitmap resources, the coloured frames of the marked keys and the red frame of the selected
// key, shows the hand over a key, and selects the key under a click before the static control tells
// the page. Everything it decides is CRcPicture's.
#pragma once
#include <cstdint>

#include "editor/RcPicture.h"

struct HWND__;
struct HBITMAP__;
struct HDC__;

namespace lm {

class CCtrlRc final : public CRcPicture {
public:
    explicit CCtrlRc(CKeyNames& keyNames);
    ~CCtrlRc() override;

    // Takes over an existing static control; false when it cannot. The control gets the size of the
    // picture.
    bool Attach(HWND__* control);
    void Detach();
    HWND__* Window() const { return control_; }
    // The loaded picture (null for the MIDI keyboard or when the resource is missing).
    HBITMAP__* Bitmap() const { return bitmap_; }

    // For the control's window procedure.
    intptr_t HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);

protected:
    void PictureChanged() override;
    void Repaint(const tagRCRECT& area) override;

private:
    void Paint(HDC__* dc);
    void LoadPicture();

    HWND__* control_ = nullptr;
    intptr_t oldProc_ = 0;
    HBITMAP__* bitmap_ = nullptr;
    int32_t loadedBitmap_ = 0;
};

} // namespace lm
