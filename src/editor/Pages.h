// The pages of the editor's two sheets. Each stands on its dialog template with the behaviour of its
// base (localised controls, tooltip, bold font; the load and save hooks and the refresh timer of the
// main sheet's pages, the data operations and buttons of the wizard's steps). The texts that the
// templates' controls take from strings of other IDs are set here. The pages are thin views over the
// rules of PageModels.h; without Attach a page shows its template as it is.
#pragma once
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "editor/PageBase.h"
#include "editor/PageCmdSetEdit.h" // step 2 of the wizard
#include "editor/PageModels.h"

struct HWND__;
struct HICON__;
struct _IMAGELIST;

namespace lm {

class CRemoteApp;

// The main sheet, in tab order.
class CPageMenu final : public CPageBase {
public:
    static constexpr int32_t kTemplate = 101;
    static constexpr int32_t kFirstLabel = 1200, kFirstList = 1210, kAutoselect = 1221;
    explicit CPageMenu(CLMLocalizeWin& loc) : CPageBase(loc, kTemplate, {}) {}
    ~CPageMenu() override;
    void Attach(CRemoteApp& app) { app_ = &app; }

    void UpdateTexts() override;
    bool SaveSettings() override;
    void FillControls() override; // the ten places from the user file
    bool LoadSettings() override;
    void Autoselect();

protected:
    void OnInitDialog() override;
    bool OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t& result) override;

private:
    void LayOut();
    void SelectPlaces(const std::array<int32_t, kMainMenuPlaces>& places);
    CRemoteApp* app_ = nullptr;
    _IMAGELIST* images_ = nullptr;
    std::vector<std::wstring> items_;
    bool filling_ = false;
};

class CPageCmdSets final : public CPageBase {
public:
    static constexpr int32_t kTemplate = 102;
    static constexpr int32_t kIcon = 1300, kList = 1301, kSummary = 1302;
    // The toolbar's and the list menu's commands, in the menu's order.
    static constexpr uint32_t kCommands[] = {kStringNew,    kStringCopyCommand, kStringEdit,
                                             kStringDelete, kStringReset,       kStringInformation};
    explicit CPageCmdSets(CLMLocalizeWin& loc) : CPageBase(loc, kTemplate, {}) {}
    ~CPageCmdSets() override;
    void Attach(CRemoteApp& app) { app_ = &app; }

    void UpdateTexts() override;
    void FillControls() override; // refills the list
    void OnTimerTick() override;  // the toolbar and the icon
    bool LoadSettings() override;
    // A command of the toolbar on the selected row; false for an unknown one.
    bool RunCommand(uint32_t command);

protected:
    void OnInitDialog() override;
    bool OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t& result) override;

private:
    void CreateToolbar();
    int32_t SelectedRow() const;
    bool SelectedRecord(tagPRGINFO& record);
    void SelectRow(int32_t row);
    void ShowSummary();
    // Runs the wizard; true when it ended with Finish.
    bool RunWizard(uint32_t titleId, const tagPRGINFO& record, const CKeymap& keymap,
                   const std::wstring& name);
    void ContextMenu(int32_t x, int32_t y);
    CRemoteApp* app_ = nullptr;
    HWND__* toolbar_ = nullptr;
    _IMAGELIST* images_ = nullptr;
    HICON__* icon_ = nullptr;
    std::wstring iconFile_;
    std::vector<tagSETROW> rows_;
};

class CPageOptions final : public CPageBase {
public:
    static constexpr int32_t kTemplate = 103;
    enum : int32_t {
        kOsdOn = 1401,
        kPreview = 1407,
        kTextColour = 1403,
        kBackground = 1404,
        kGradientOn = 1406,
        kGradient = 1405,
        kTimeLabel = 1408,
        kTime = 1409,
        kTimeSpin = 1410,
        kHardware = 1452,
        kReceivers = 2006,
        kAutostart = 1431,
        kNoSound = 1432,
        kTrayIcon = 1433,
        kExclusive = 1434,
        kExclusiveList = 1435,
        kServerHost = 1471, // the network IR server
        kServerPort = 1472,
    };
    // Group titles "On Screen Display" and "Miscellaneous", "Start with Windows", "Hardware".
    explicit CPageOptions(CLMLocalizeWin& loc);
    ~CPageOptions() override;
    void Attach(CRemoteApp& app) { app_ = &app; }

    void UpdateTexts() override;
    bool SaveSettings() override;
    void FillControls() override;
    void OnTimerTick() override;
    bool LoadSettings() override;
    // The pending selection and the rows shown.
    uint32_t PendingSelection() const { return pending_; }
    const std::vector<tagRECEIVERROW>& ReceiverRowsShown() const { return rows_; }
    // The preview's colours as drawn last.
    std::array<uint32_t, 4> PreviewColoursShown() const { return colours_; }
    // The colour button's choice (the colour dialog's result), as the dialog hands it over.
    void ColourChosen(int32_t button, uint32_t colour);

protected:
    void OnInitDialog() override;
    bool OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t& result) override;

private:
    bool Checked(int32_t id) const;
    void ChooseColour(int32_t button);
    void ShowExtras();
    void ShowDevice(int32_t row);
    // The network IR server's state in its row of the list.
    void ShowServerState();
    struct Preview;
    CRemoteApp* app_ = nullptr;
    std::unique_ptr<Preview> preview_;
    tagOSDSETTINGS osd_;
    uint32_t pending_ = 0;
    uint32_t shownFound_ = 0;
    bool listShown_ = false;
    bool filling_ = false;
    std::vector<tagRECEIVERROW> rows_;
    std::array<uint32_t, 4> colours_{};
};

class CPageAbout final : public CPageBase {
public:
    static constexpr int32_t kTemplate = 104;
    static constexpr int32_t kText = 1500, kReadme = 1501;
    explicit CPageAbout(CLMLocalizeWin& loc) : CPageBase(loc, kTemplate, {}) {}
    void Attach(CRemoteApp& app) { app_ = &app; }

protected:
    void OnInitDialog() override;
    bool OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t& result) override;

private:
    void BuildText();
    CRemoteApp* app_ = nullptr;
};

// The wizard's steps.
class CPageCmdSetApp final : public CPageBaseWizard {
public:
    static constexpr int32_t kTemplate = 106;
    enum : int32_t {
        kName = 1603,
        kDescription = 1605,
        kOsd = 1653,
        kExeIcon = 1611,
        kExecutable = 1612,
        kBrowse = 1615,
        kPath = 1614,
        kCommandLine = 1617,
        kCaption = 1623,
        kRun = 1631,
    };
    // "Enable On Screen Display", "Run".
    explicit CPageCmdSetApp(CLMLocalizeWin& loc)
        : CPageBaseWizard(loc, kTemplate, 1, {{1653, 1401}, {1631, 54289}}) {}
    ~CPageCmdSetApp() override;
    // The services and the wizard's record; `ownName` is the set's name when the wizard opened.
    void Attach(const tagKEYPAGESERVICES& services, tagPRGINFO& record, const std::wstring& ownName);

    void DataToControls() override;
    void UpdateControls() override;
    void ControlsToData() override;

protected:
    void OnInitDialog() override;
    bool OnSheetNotify(uint32_t code, intptr_t& result) override;
    bool OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t& result) override;

private:
    void ExecutableTyped(const std::wstring& text);
    void Browse();
    // The check of Next: true (after telling the user why) when the step may not be left.
    bool Refused();
    std::unique_ptr<tagKEYPAGESERVICES> services_;
    tagPRGINFO* record_ = nullptr;
    std::wstring ownName_;
    HICON__* icon_ = nullptr;
    bool filling_ = false;
};

class CPageCmdSetReview final : public CPageBaseWizard {
public:
    static constexpr int32_t kTemplate = 108;
    static constexpr int32_t kSummary = 1801, kProducts = 1803, kOverview = 1804;
    // Group titles "Application" and "Command set".
    explicit CPageCmdSetReview(CLMLocalizeWin& loc)
        : CPageBaseWizard(loc, kTemplate, 3, {{1800, 4461}, {1802, 4403}}) {}
    ~CPageCmdSetReview() override;
    void Attach(const tagKEYPAGESERVICES& services, tagPRGINFO& record, CPageCmdSetEdit& keyPage);

protected:
    void OnInitDialog() override;
    bool OnSheetNotify(uint32_t code, intptr_t& result) override;
    bool OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t& result) override;

private:
    std::unique_ptr<tagKEYPAGESERVICES> services_;
    tagPRGINFO* record_ = nullptr;
    CPageCmdSetEdit* keyPage_ = nullptr;
};

} // namespace lm
