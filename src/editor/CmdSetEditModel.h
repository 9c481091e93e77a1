// CCmdSetEditModel: the key-assignment step of the command-set wizard without its dialog. It keeps the
// state of every control of the step (texts, lists, checks, spins, what is shown and enabled) and decides
// everything the step does: the remote model and its product list, the key the user picked on the
// picture or in the list of MIDI notes, the command of that key in the controls and back, the controls
// each command type shows, the marks that tell a key's command from the default set's and the preset's,
// recording a keystroke, and writing the set through the administration. The dialog (CPageCmdSetEdit)
// copies what the user changes into the control states, calls the operation that belongs to the change
// and shows the control states again.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "cmdset/CmdSetAdmin.h"
#include "cmdset/Keymap.h"
#include "cmdset/PrgInfo.h"
#include "editor/RcPicture.h"
#include "exec/CmdExecutor.h"
#include "support/LMRegistry.h"
#include "support/Strings.h"

namespace lm {

// Controls of the step's dialog template; the IDs of translated texts are also their string IDs.
enum : int32_t {
    kIdcRemoteGroup = 1700,
    kIdcProduct = 1702,
    kIdcSelectedKeyLabel = 1723,
    kIdcSelectedKey = 1703,
    kIdcPicture = 1763,
    kIdcMidiList = 1762,
    kIdcTypeGroup = 1710,
    kIdcType = 1712,
    kIdcParamGroup = 54145,
    kIdcParam1Label = 1720,
    kIdcParam1 = 1721,
    kIdcParam2Label = 1730,
    kIdcParam2 = 1731,
    kIdcValue = 1732,
    kIdcValueSpin = 1733,
    kIdcValue2Label = 1740,
    kIdcValue2 = 1741,
    kIdcValue2Spin = 1742,
    kIdcKey = 1724,
    kIdcRecord = 1725,
    kIdcAlt = 55046,
    kIdcCtrl = 55045,
    kIdcShift = 55044,
    kIdcOsdGroup = 1750,
    kIdcOsdText = 1752,
    kIdcRepeat = 2000,
    kIdcRateLabel = 1794,
    kIdcRate = 2004,
    kIdcDelay = 2003,
    kIdcRun = 1760,
    kIdcTest = 1761,
};

// Registry values (under the program's key) that remember the remote model chosen last.
constexpr const wchar_t* kRcNameValue = L"RC Name (Editor)";
constexpr const wchar_t* kRcTypeValue = L"RC Type (Editor)";

struct tagLISTITEM {
    std::wstring text;
    int32_t data = 0;
    friend bool operator==(const tagLISTITEM&, const tagLISTITEM&) = default;
};

// What a control shows; each kind of control uses its part (lists: items and selection; spins: range
// and position; check boxes and the push-like record button: checked).
struct tagCTLSTATE {
    bool visible = true;
    bool enabled = true;
    std::wstring text;
    bool checked = false;
    std::vector<tagLISTITEM> items;
    int32_t selected = -1;
    int32_t low = 0;
    int32_t high = 0;
    int32_t pos = 0;
    friend bool operator==(const tagCTLSTATE&, const tagCTLSTATE&) = default;
};

// Test and Run: the command executors of the program, or a fake.
class ICommandRunner {
public:
    virtual ~ICommandRunner() = default;
    // Carries out a command at once for the application; 1 or 0.
    virtual int RunCommand(const tagWINCMD& command, const tagPRGINFO& application) = 0;
    // Starts the application, or brings it to the front when it runs; 1 or 0.
    virtual int StartApplication(const tagPRGINFO& application) = 0;
};

// The program's Test and Run: each test through a fresh command executor, the start through the
// executors' application start.
class CExecCommandRunner final : public ICommandRunner {
public:
    explicit CExecCommandRunner(const tagEXECSERVICES& services) : services_(services) {}
    int RunCommand(const tagWINCMD& command, const tagPRGINFO& application) override;
    int StartApplication(const tagPRGINFO& application) override;

private:
    tagEXECSERVICES services_;
};

struct tagKEYPAGESERVICES {
    CCmdSetAdmin& admin;
    IStringSource& strings;
    CKeyNames& keyNames;
    CLMRegistry& registry; // the program's key
    ICommandRunner& runner;
    std::wstring midiDevice; // the MIDI input chosen in the options
};

// The mark of a key's command: 0 none (missing or type 0), 1 the default set's command, 2 the preset's,
// 3 the user's own. The default set wins over the preset.
int32_t KeyMark(const CKeymap& keymap, const CKeymap& defaults, const CKeymap& preset, int32_t key);

class CCmdSetEditModel {
public:
    static constexpr int32_t kFirstMidiKey = RCKEY_NOTE_C5;
    static constexpr int32_t kSpinLow = -100;
    static constexpr int32_t kSpinHigh = 100;
    // A repeat edit keeps at most four digits.
    static constexpr int32_t kRepeatEditMax = 9999;
    // The MIDI list shows this many lines above the current note.
    static constexpr int32_t kMidiLinesAbove = 5;

    // `record` is the wizard's application record; the picture is the step's picture control.
    CCmdSetEditModel(const tagKEYPAGESERVICES& services, tagPRGINFO& record, CRcPicture& picture);

    // Before the step is shown: the keymap to edit and the name of its set (a new set: the default
    // keymap and "New").
    void SetKeymap(const CKeymap& keymap, const std::wstring& name);

    // The dialog's first fill (after it copied the controls' texts in): DataToControls and
    // UpdateControls, then the texts, the spins, the chosen product row applied as a model change and
    // the keymap loaded.
    void InitPage();
    // The product list with the remembered row selected, the six command types with type 0 selected,
    // key edit "A", the value edits "0" with their spins at -100..100 and 0.
    void DataToControls();
    // The controls of the selected command type; the selected key's name.
    void UpdateControls();
    // Stores the current key's command and writes the set with the wizard's record as the user's set.
    int ControlsToData();

    // What the user changed (the dialog copied the new state of the control in first).
    void ProductChanged();
    void MidiLinePicked();
    // After CRcPicture::Click: the picture's selected key becomes the current key.
    void PictureClicked();
    void TypeChanged();
    void Param1Changed();
    // A spin's arrow: the position moves by the step within the range and its edit shows it.
    void SpinStep(int32_t spinId, int32_t step);
    // A repeat edit with a number above 9999 loses its last digit.
    void RepeatEditChanged(int32_t editId);
    void RepeatToggled();
    void RecordToggled();
    // A key pressed on the step while recording: Shift, Ctrl and Alt alone are swallowed and recording
    // goes on; any other key fills the keystroke row and ends the recording. `character` is the
    // character the platform maps the virtual key to. True when the key was taken.
    bool RecordKey(uint32_t virtualKey, wchar_t character, bool alt, bool ctrl, bool shift);
    // Test: the controls' command carried out at once; Run: the application started.
    int Test();
    int Run();

    // The page's key selection: the controls' command stored for the current key (type 0 removes
    // it), then the new key's command in the controls.
    void SelectKey(int32_t key);
    // The controls read into a command (the window caption and the hide-OSD flag, which have no
    // controls, stay those of the key's command).
    tagWINCMD ReadCommand() const;
    // Loads a keymap: copied in, the default and preset keymaps built, every mark updated, the current
    // key's command in the controls.
    void LoadKeymap(const CKeymap& keymap, const std::wstring& name);

    tagCTLSTATE& Control(int32_t id) { return controls_[id]; }
    const tagCTLSTATE& Control(int32_t id) const;
    const std::map<int32_t, tagCTLSTATE>& Controls() const { return controls_; }
    int32_t CurrentKey() const { return current_; }
    uint32_t RemoteModel() const { return model_; }
    bool Recording() const { return controls_.at(kIdcRecord).checked; }
    int32_t SelectedType() const { return SelectedData(kIdcType); }
    int32_t SelectedSubType() const { return SelectedData(kIdcParam1); }
    // The first line the MIDI list shows.
    int32_t MidiTopLine() const { return midiTop_; }
    // The value edit takes the control-ID tooltip (command type 5 only).
    bool ValueTooltip() const { return valueTooltip_; }
    const CKeymap& Keymap() const { return keymap_; }
    const CKeymap& DefaultKeymap() const { return defaults_; }
    const CKeymap& PresetKeymap() const { return preset_; }
    CRcPicture& Picture() { return picture_; }

private:
    std::wstring Word(uint32_t id, const wchar_t* english) const {
        return services_.strings.Text(id, english);
    }
    int32_t SelectedData(int32_t id) const;
    void Select(int32_t id, int32_t data);
    void Show(std::initializer_list<int32_t> ids, bool visible);
    void FillProducts();
    void FillParam1(int32_t type);
    void FillParam2(int32_t subType);
    void FillMidiList();
    void ChangeModel(bool storeFirst);
    void StoreCurrent();
    void UpdateMark(int32_t key);
    std::wstring MidiLine(int32_t key) const;
    void CommandToControls(const tagWINCMD& cmd);
    void ShowValue2(int32_t subType, int32_t value);
    void EnableRate();

    tagKEYPAGESERVICES services_;
    tagPRGINFO& record_;
    CRcPicture& picture_;
    std::map<int32_t, tagCTLSTATE> controls_;
    CKeymap keymap_;
    std::wstring name_;
    CKeymap defaults_;
    CKeymap preset_;
    uint32_t model_ = kRemoteModelFirst;
    int32_t current_ = kFirstMidiKey;
    tagWINCMD edited_; // the current key's command as loaded
    int32_t midiTop_ = 0;
    bool valueTooltip_ = false;
};

} // namespace lm
