// The property pages of the editor's two sheets (Windows builds). CPropPage binds a page object to its
// dialog, localises the page's controls by their IDs, and owns the page's tooltip and the bold variant
// of its font. CPageBase adds what the four pages of the main sheet share: the load and save hooks and
// a refresh timer that runs while the page is shown. CPageBaseWizard adds what the three steps of the
// command-set wizard share: the data operations and the wizard buttons of each step. The pages
// themselves derive from these two.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct HWND__;
struct HFONT__;
struct _PSP; // a page of a sheet, as the platform creates it

namespace lm {

class CLMLocalizeWin;

// A control whose text is a string of another ID than the control's own.
struct tagCAPTIONTEXT {
    int32_t controlId;
    uint32_t stringId;
};

class CPropPage {
public:
    // Longest tooltip line in pixels.
    static constexpr int32_t kTooltipWidth = 250;

    CPropPage(CLMLocalizeWin& loc, int32_t templateId, std::vector<tagCAPTIONTEXT> captions);
    virtual ~CPropPage();
    CPropPage(const CPropPage&) = delete;
    CPropPage& operator=(const CPropPage&) = delete;

    int32_t TemplateId() const { return templateId_; }
    // The page's dialog while it exists, else null.
    HWND__* Window() const { return window_; }
    // Makes the platform's page for a sheet: this object's template and dialog procedure, the tab's
    // title, and the header texts of a wizard step (both empty for a page without header). The texts
    // are kept by the page. Null when the platform refuses.
    _PSP* CreateSheetPage(const std::wstring& title, const std::wstring& headerTitle = std::wstring(),
                          const std::wstring& headerSubtitle = std::wstring());

    // Sets the text of every control whose ID names a string, then the texts of the caption table,
    // then runs UpdateTexts.
    void LocalizePage();
    // Re-applies language-dependent texts that are not plain control captions.
    virtual void UpdateTexts() {}

    // For the dialog procedure: the dialog's answer.
    intptr_t HandleMessage(HWND__* window, uint32_t message, uintptr_t wParam, intptr_t lParam);

protected:
    // The initialisation of the page class, on the dialog's first message.
    virtual void OnInitDialog() = 0;
    // A notification of the sheet (PSN_...); true when handled, with the answer in `result`.
    virtual bool OnSheetNotify(uint32_t code, intptr_t& result) = 0;
    // Every other message, for the pages; true when handled, with the dialog's answer in `result`.
    virtual bool OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t& result);

    // The tooltip control (always shown, lines of at most kTooltipWidth pixels) and one tool for a
    // control with the text of a string; the tooltip sees the control's mouse messages by itself.
    void CreateTooltip();
    void AddTooltip(int32_t controlId, uint32_t stringId);
    void RemoveTooltip(int32_t controlId);
    // The dialog's font with weight 700; made again when the DPI changes.
    void CreateBoldFont();
    HFONT__* BoldFont() const { return boldFont_; }
    CLMLocalizeWin& Localize() { return loc_; }
    // The sheet the page is in.
    HWND__* Sheet() const;

private:
    void Destroyed();

    CLMLocalizeWin& loc_;
    int32_t templateId_;
    std::vector<tagCAPTIONTEXT> captions_;
    std::wstring title_, headerTitle_, headerSubtitle_;
    HWND__* window_ = nullptr;
    HWND__* tooltip_ = nullptr;
    HFONT__* boldFont_ = nullptr;
};

// A page of the main sheet.
class CPageBase : public CPropPage {
public:
    static constexpr uintptr_t kTimerId = 1077;
    static constexpr uint32_t kTimerMs = 500;

    using CPropPage::CPropPage;
    ~CPageBase() override;

    // Stores the page's controls; true when they were stored.
    virtual bool SaveSettings() { return true; }
    // Fills the controls from the page's data (the spare operation of the page family).
    virtual void FillControls() {}
    // Refreshes the page while it is shown, every kTimerMs.
    virtual void OnTimerTick() {}
    // Fills the controls from the current settings; true on success.
    virtual bool LoadSettings() { return true; }

    bool TimerRunning() const { return timerRunning_; }

protected:
    void OnInitDialog() override;
    bool OnSheetNotify(uint32_t code, intptr_t& result) override;
    bool OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t& result) override;

private:
    void StartTimer();
    void StopTimer();
    bool timerRunning_ = false;
};

// A step of the command-set wizard.
class CPageBaseWizard : public CPropPage {
public:
    // step: 1 (Next only), 2 (Back and Next) or 3 (Back and Finish).
    CPageBaseWizard(CLMLocalizeWin& loc, int32_t templateId, int32_t step,
                    std::vector<tagCAPTIONTEXT> captions);

    // Record to controls, the controls' states, controls to record.
    virtual void DataToControls() {}
    virtual void UpdateControls() {}
    virtual void ControlsToData() {}

    int32_t Step() const { return step_; }
    // The wizard buttons of the step (PSWIZB_...).
    uint32_t WizardButtons() const;

protected:
    void OnInitDialog() override;
    bool OnSheetNotify(uint32_t code, intptr_t& result) override;
    bool OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t& result) override;

private:
    int32_t step_;
};

} // namespace lm
