// The on-screen display window (Windows builds): COsdDlg, a borderless top-most tool window made from
// dialog template 100, and COsdControl, which draws everything inside it on the template's static
// control 1000. The window is a view over COsdModel: the operations of IOsdDisplay change the model
// from any thread and post a message; the window's own thread then brings the window in line with the
// model. Texts never activate the window, so the application in front keeps the keyboard; only the
// menu comes to the front and takes the keys.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>

#include "osd/OsdDisplay.h"
#include "osd/OsdModel.h"
#include "platform/Clock.h"

namespace lm {

// Draws the display on a static control it is attached to: the background as a horizontal gradient
// from the edges to the middle (or plain when the gradient function is missing), then the centred
// text or the menu with the clock. The fonts are made at the first paint and again when the DPI
// changes; their face depends on the language identifier in effect at the first paint.
class COsdControl {
public:
    explicit COsdControl(IClock& clock);
    ~COsdControl();
    COsdControl(const COsdControl&) = delete;
    COsdControl& operator=(const COsdControl&) = delete;

    // Takes over the drawing of an existing static control (a window handle); false when it cannot.
    bool Attach(void* control);
    void Detach();
    // Everything below runs on the control's thread. Nothing repaints by itself.
    void SetFrame(const OsdFrame& frame);
    const OsdFrame& Frame() const { return frame_; }
    void SetLanguage(uint16_t languageId) { language_ = languageId; }
    // New DPI: the fonts are made again at the next paint.
    void SetDpi(uint32_t dpi);
    const COsdGeometry& Geometry() const { return geometry_; }
    // The geometry the menu is drawn with on a screen of that height (smaller when the menu would not
    // fit at the monitor's DPI).
    COsdGeometry MenuGeometry(int32_t screenHeight) const {
        return COsdGeometry(COsdGeometry::MenuDpi(geometry_.Dpi(), screenHeight));
    }
    // The face the fonts were made with; empty before the first paint.
    const std::wstring& FaceName() const { return face_; }

    // For the window procedure.
    intptr_t HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);

private:
    void EraseBackground(void* dc);
    void Paint(void* dc);
    void MakeFonts(void* dc, const COsdGeometry& geometry);
    void FreeFonts();

    IClock& clock_;
    void* control_ = nullptr;
    intptr_t oldProc_ = 0;
    OsdFrame frame_;
    COsdGeometry geometry_;
    uint16_t language_ = kOsdDefaultLanguage;
    std::wstring face_;
    void* largeFont_ = nullptr;
    uint32_t fontDpi_ = 0; // the DPI the fonts were made for
    void* smallFont_ = nullptr;
    void* gradientLibrary_ = nullptr;
    void* gradientFill_ = nullptr;
};

class COsdDlg final : public IOsdDisplay {
public:
    enum : int32_t { kIdd = 100, kIdcDisplay = 1000 };
    static constexpr const wchar_t* kTitle = L"Lumora Remote Control";

    COsdDlg(IClock& clock, const tagOSDSETTINGS& settings);
    // Destroys the window; call it on the window's thread once no other thread uses the display.
    ~COsdDlg() override;
    COsdDlg(const COsdDlg&) = delete;
    COsdDlg& operator=(const COsdDlg&) = delete;

    // Creates the hidden window from template 100 of the program's module on the calling thread, which
    // owns it from then on and must dispatch its messages. False when it cannot be created.
    bool Create();
    // The window handle, 0 before Create.
    uintptr_t Window() const { return window_.load(); }
    COsdControl& Control() { return control_; }
    const COsdModel& Model() const { return model_; }

    void ShowText(const std::wstring& text) override;
    void ShowMenu() override;
    void SetSelection(int32_t index) override;
    int32_t StepSelection(bool forward) override;
    void Hide() override;
    void ApplySettings(const tagOSDSETTINGS& settings) override;
    void SetMenu(const tagOSDMENU& menu) override;
    tagOSDMENU Menu() const override;
    void SetMenuShown(bool shown) override;
    bool MenuShown() const override;

    // For the dialog procedure: its answer.
    intptr_t HandleMessage(void* window, uint32_t message, uintptr_t wParam, intptr_t lParam);

private:
    enum class Ask : uint32_t { Sync, Menu };
    void Post(Ask ask);
    void InitDialog();
    // Brings the window in line with the model: place, visibility, activation and drawing.
    void Sync(bool menuAsked);
    void LayoutBar(bool fullScreen);

    COsdModel model_;
    COsdControl control_;
    std::atomic<uintptr_t> window_{0};
    OsdState placed_ = OsdState::Hidden;
    bool firstLayout_ = true;
    void* backgroundBrush_ = nullptr;
    uint32_t brushColor_ = 0;
};

} // namespace lm
