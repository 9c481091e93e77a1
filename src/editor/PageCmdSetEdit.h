// CPageCmdSetEdit: step 2 of the command-set wizard, the key assignment on the remote picture (Windows
// builds, template 107). A thin view over CCmdSetEditModel: it copies what the user changes into the
// model's control states, calls the model's operation for the change and shows the states again; the
// remote picture is a CCtrlRc on the template's static control. Beside that it only lays the controls
// out, paints the legend of the key marks, and hands the keys pressed while the recorder is on to the
// model. Without Attach the step shows its template as it is.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "editor/CmdSetEditModel.h"
#include "editor/CtrlRc.h"
#include "editor/PageBase.h"

struct HDC__;
struct HWND__;

namespace lm {

class CPageCmdSetEdit final : public CPageBaseWizard {
public:
    static constexpr int32_t kTemplate = 107;
    // Tooltips (control, string).
    static constexpr int32_t kTooltips[][2] = {{kIdcType, 1781}, {kIdcRecord, 1784}, {kIdcOsdText, 1786},
                                               {kIdcRun, 1790},  {kIdcTest, 1791},   {kIdcPicture, 1793}};
    static constexpr uint32_t kValueTooltip = 1785;
    // Words of the legend: the marks default, preset and user-defined.
    static constexpr uint32_t kLegendWords[3] = {54356, 54156, 54469};

    // "Repeat", "Run", "Test".
    explicit CPageCmdSetEdit(CLMLocalizeWin& loc);
    ~CPageCmdSetEdit() override;

    // What the step works with, before the wizard runs: the services and the wizard's application record.
    void Attach(const tagKEYPAGESERVICES& services, tagPRGINFO& record);
    // After Attach: the keymap to edit and the name of its set; by default a new set.
    void SetKeymap(const CKeymap& keymap, const std::wstring& name);
    // Null before Attach.
    CCmdSetEditModel* Model() { return model_.get(); }
    CCtrlRc* Picture() { return picture_.get(); }

    void DataToControls() override;
    void UpdateControls() override;
    void ControlsToData() override;

    // For the record button's window procedure: while recording, its keys go to the model.
    intptr_t RecordButtonMessage(HWND__* button, uint32_t message, uintptr_t wParam, intptr_t lParam);

protected:
    void OnInitDialog() override;
    bool OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t& result) override;

private:
    struct Place {
        int32_t left, top, right, bottom;
    };
    void CaptureTexts();
    // Brings the controls in line with the model's states; only what changed is touched.
    void Sync();
    void SyncList(int32_t id, const tagCTLSTATE& state, const tagCTLSTATE* shown);
    void LayOut();
    void PlaceControls();
    void PaintLegend(HDC__* dc);
    bool OnCommand(int32_t id, uint32_t code);
    // Copies a control's text or selection into its state.
    void Read(int32_t id);
    // True when the message was taken, with the answer in `result`.
    bool RecorderMessage(uint32_t message, uintptr_t wParam, intptr_t& result);

    std::unique_ptr<CCtrlRc> picture_;
    std::unique_ptr<CCmdSetEditModel> model_;
    std::map<int32_t, tagCTLSTATE> shown_; // what the controls show
    std::map<int32_t, Place> places_;      // the template's places of the controls that move
    bool captured_ = false;
    bool syncing_ = false;
    bool valueTooltip_ = false;
    bool compact_ = false; // the control ID's label and edit share a row (command type 5)
    bool swallowChars_ = false;
    intptr_t recordProc_ = 0;
};

} // namespace lm
