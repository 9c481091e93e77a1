#include "editor/CmdSetEditModel.h"

#include <algorithm>
#include <cwctype>

#include "base/Text.h"
#include "exec/VirtualKeys.h"
#include "platform/Input.h"
#include "receivers/ReceiverTypes.h"
#include "support/LMDebug.h"

namespace lm {

namespace {

constexpr size_t kTextChars = 255;

// Words of the step.
enum : uint32_t {
    kWordNew = 54018,
    kWordDescription = 53443,
    kWordOptional = 4451,
    kWordRun = 54289,
    kWordTest = 54401,
    kWordAlt = 55046,
    kWordCtrl = 55045,
    kWordShift = 55044,
    kWordRepeat = 54282,
    kWordRepeatRate = 1794,
    kWordShow = 54350,
    kWordType = 4463,
    kWordKeyboardShortcut = 4420,
    kWordCommand = 4401,
    kWordChangeVolumeBy = 4101,
    kWordDirection = 4411,
    kWordSelection = 54343,
    kWordStepWidth = 4458,
    kWordMarkDefault = 54356,
    kWordMarkPreset = 54156,
    kWordMarkUser = 54468,
};

// Every control of the step, for the states the model keeps.
constexpr int32_t kAllControls[] = {kIdcRemoteGroup, kIdcProduct, kIdcSelectedKeyLabel,
                                    kIdcSelectedKey, kIdcPicture, kIdcMidiList,
                                    kIdcTypeGroup,   kIdcType,    kIdcParamGroup,
                                    kIdcParam1Label, kIdcParam1,  kIdcParam2Label,
                                    kIdcParam2,      kIdcValue,   kIdcValueSpin,
                                    kIdcValue2Label, kIdcValue2,  kIdcValue2Spin,
                                    kIdcKey,         kIdcRecord,  kIdcAlt,
                                    kIdcCtrl,        kIdcShift,   kIdcOsdGroup,
                                    kIdcOsdText,     kIdcRepeat,  kIdcRateLabel,
                                    kIdcRate,        kIdcDelay,   kIdcRun,
                                    kIdcTest};

// The number a text starts with (blanks, then an optional sign and digits); false when it has none.
bool LeadingNumber(const std::wstring& text, int32_t& value) {
    size_t at = 0;
    while (at < text.size() && IsBlankOrTab(text[at]))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == L'+' || text[at] == L'-'))
        negative = text[at++] == L'-';
    if (at >= text.size() || !std::iswdigit(static_cast<wint_t>(text[at])))
        return false;
    int64_t n = 0;
    for (; at < text.size() && std::iswdigit(static_cast<wint_t>(text[at])); ++at)
        n = std::min<int64_t>(n * 10 + (text[at] - L'0'), INT32_MAX);
    value = static_cast<int32_t>(negative ? -n : n);
    return true;
}

int32_t NumberOr(const std::wstring& text, int32_t fallback) {
    int32_t value = fallback;
    return LeadingNumber(text, value) ? value : fallback;
}

// A virtual key's name as the step shows it: without "VK_".
std::wstring KeyCodeName(int32_t code) {
    std::wstring name = GetVirtualKeyName(static_cast<uint8_t>(code & 0xFF));
    for (size_t at; (at = name.find(L"VK_")) != std::wstring::npos;)
        name.erase(at, 3);
    return name;
}

bool IsModifierKey(uint32_t vk) {
    return vk == kVkShift || vk == kVkControl || vk == kVkMenu || (vk >= 0xA0 && vk <= 0xA5);
}

} // namespace

int CExecCommandRunner::RunCommand(const tagWINCMD& command, const tagPRGINFO& application) {
    CCmdExecutor executor(services_);
    return executor.ExecuteCommand(command, &application);
}

int CExecCommandRunner::StartApplication(const tagPRGINFO& application) {
    return lm::StartApplication(services_.windows, services_.processes, services_.shell, application);
}

int32_t KeyMark(const CKeymap& keymap, const CKeymap& defaults, const CKeymap& preset, int32_t key) {
    const tagWINCMD* cmd = keymap.Find(key);
    if (!cmd || cmd->nType == CMD_NONE)
        return 0;
    if (const tagWINCMD* d = defaults.Find(key); d && *d == *cmd)
        return 1;
    if (const tagWINCMD* p = preset.Find(key); p && *p == *cmd)
        return 2;
    return 3;
}

CCmdSetEditModel::CCmdSetEditModel(const tagKEYPAGESERVICES& services, tagPRGINFO& record,
                                   CRcPicture& picture)
    : services_(services), record_(record), picture_(picture) {
    for (int32_t id : kAllControls)
        controls_[id] = tagCTLSTATE();
    controls_[kIdcMidiList].visible = false;
    controls_[kIdcDelay].visible = false;
    BuildDefaultKeymap(keymap_, services_.strings);
    name_ = Word(kWordNew, L"New");
}

const tagCTLSTATE& CCmdSetEditModel::Control(int32_t id) const {
    static const tagCTLSTATE kNone;
    auto it = controls_.find(id);
    return it != controls_.end() ? it->second : kNone;
}

void CCmdSetEditModel::SetKeymap(const CKeymap& keymap, const std::wstring& name) {
    keymap_ = keymap;
    name_ = name;
}

int32_t CCmdSetEditModel::SelectedData(int32_t id) const {
    const tagCTLSTATE& list = Control(id);
    if (list.selected < 0 || list.selected >= static_cast<int32_t>(list.items.size()))
        return 0;
    return list.items[static_cast<size_t>(list.selected)].data;
}

void CCmdSetEditModel::Select(int32_t id, int32_t data) {
    tagCTLSTATE& list = controls_[id];
    list.selected = -1;
    for (size_t i = 0; i < list.items.size(); ++i)
        if (list.items[i].data == data) {
            list.selected = static_cast<int32_t>(i);
            break;
        }
}

void CCmdSetEditModel::Show(std::initializer_list<int32_t> ids, bool visible) {
    for (int32_t id : ids)
        controls_[id].visible = visible;
}

// --- Filling and restoring ---

void CCmdSetEditModel::DataToControls() {
    FillProducts();
    tagCTLSTATE& types = controls_[kIdcType];
    types.items.clear();
    for (int32_t type = CMD_NONE; type < kCmdTypeCount; ++type)
        types.items.push_back(tagLISTITEM{CmdTypeName(type, false, services_.strings), type});
    types.selected = 0;
    controls_[kIdcKey].text = L"A";
    controls_[kIdcValue].text = L"0";
    controls_[kIdcValue2].text = L"0";
    for (int32_t spin : {kIdcValueSpin, kIdcValue2Spin}) {
        controls_[spin].low = kSpinLow;
        controls_[spin].high = kSpinHigh;
        controls_[spin].pos = 0;
    }
}

void CCmdSetEditModel::FillProducts() {
    tagCTLSTATE& list = controls_[kIdcProduct];
    list.items.clear();
    for (const tagRCPRODUCT& product : BuildProductList(services_.strings)) {
        std::wstring text = product.name;
        if (product.remoteModel == kRemoteModelMidi)
            text += L" (" + services_.midiDevice + L")";
        list.items.push_back(tagLISTITEM{text, static_cast<int32_t>(product.remoteModel)});
    }
    list.selected = -1;
    CLMRegistry& registry = services_.registry;
    std::wstring name;
    if (registry.ReadString(kRcNameValue, name, static_cast<int>(kPrgTextChars)))
        for (size_t i = 0; i < list.items.size() && list.selected < 0; ++i)
            if (list.items[i].text == name)
                list.selected = static_cast<int32_t>(i);
    if (list.selected >= 0)
        return;
    uint32_t mask = kRemoteModelFirst;
    if (registry.Registry().KeyExists(registry.RootKey(), registry.BaseKey()))
        registry.ReadDword(kRcTypeValue, mask);
    Select(kIdcProduct, static_cast<int32_t>(mask));
}

void CCmdSetEditModel::FillParam1(int32_t type) {
    tagCTLSTATE& list = controls_[kIdcParam1];
    list.items.clear();
    list.selected = -1;
    for (int32_t sub = 0;; ++sub) {
        std::wstring name = CmdSubTypeName(type, sub, services_.strings);
        if (name.empty())
            break;
        list.items.push_back(tagLISTITEM{name, sub});
    }
}

void CCmdSetEditModel::FillParam2(int32_t subType) {
    tagCTLSTATE& list = controls_[kIdcParam2];
    list.items.clear();
    list.selected = -1;
    if (subType == SYS_VOLUME)
        return;
    tagWINCMD probe;
    probe.nType = CMD_SYSTEM;
    probe.nSubType = subType;
    for (probe.nParam = 0;; ++probe.nParam) {
        std::wstring name = CmdParamText(probe, services_.strings);
        if (name.empty())
            break;
        list.items.push_back(tagLISTITEM{name, probe.nParam});
    }
}

std::wstring CCmdSetEditModel::MidiLine(int32_t key) const {
    static constexpr const wchar_t* kNoMark = L"---";
    const int32_t mark = KeyMark(keymap_, defaults_, preset_, key);
    const std::wstring status = mark == 1   ? Word(kWordMarkDefault, L"Default")
                                : mark == 2 ? Word(kWordMarkPreset, L"Preset")
                                : mark == 3 ? Word(kWordMarkUser, L"User")
                                            : std::wstring(kNoMark);
    const tagWINCMD* cmd = keymap_.Find(key);
    return FormatBounded(kTextChars, L"%d:\t%ls\t%ls\t%ls", key, services_.keyNames.DisplayName(key),
                         status.c_str(), CmdTypeShortName(cmd ? cmd->nType : CMD_NONE));
}

void CCmdSetEditModel::FillMidiList() {
    tagCTLSTATE& list = controls_[kIdcMidiList];
    list.items.clear();
    for (int32_t key = RCKEY_NOTE_FIRST; key <= RCKEY_NOTE_LAST; ++key)
        list.items.push_back(tagLISTITEM{MidiLine(key), key});
    list.selected = current_;
    midiTop_ = std::max(0, current_ - kMidiLinesAbove);
}

// --- The page ---

void CCmdSetEditModel::InitPage() {
    CLMTraceScope scope(kTraceInfo, kTraceAllContexts, L"CPageCmdSetEdit::OnInitDialog");
    controls_[kIdcOsdGroup].text =
        FormatBounded(kTextChars, L"%ls (%ls)", Word(kWordDescription, L"Description").c_str(),
                      TextToLower(Word(kWordOptional, L"Optional")).c_str());
    const struct {
        int32_t control;
        uint32_t word;
        const wchar_t* english;
    } texts[] = {{kIdcRun, kWordRun, L"Run"},
                 {kIdcTest, kWordTest, L"Test"},
                 {kIdcAlt, kWordAlt, L"Alt"},
                 {kIdcCtrl, kWordCtrl, L"Ctrl"},
                 {kIdcShift, kWordShift, L"Shift"},
                 {kIdcRepeat, kWordRepeat, L"Repeat"},
                 {kIdcRateLabel, kWordRepeatRate, L"Repeat rate (msec)"}};
    for (const auto& t : texts)
        controls_[t.control].text = Word(t.word, t.english);
    for (int32_t spin : {kIdcValueSpin, kIdcValue2Spin}) {
        controls_[spin].low = kSpinLow;
        controls_[spin].high = kSpinHigh;
    }
    ChangeModel(false);
    LoadKeymap(keymap_, name_);
}

void CCmdSetEditModel::UpdateControls() {
    const int32_t type = SelectedType();
    const int32_t sub = SelectedSubType();
    const bool on = type != CMD_NONE;
    for (int32_t id : {kIdcOsdGroup, kIdcParamGroup, kIdcOsdText, kIdcTest})
        controls_[id].enabled = on;
    valueTooltip_ = false;
    Show({kIdcParam1Label, kIdcParam1, kIdcParam2Label, kIdcParam2, kIdcValue, kIdcValueSpin, kIdcValue2Label,
          kIdcValue2, kIdcValue2Spin, kIdcKey, kIdcRecord, kIdcAlt, kIdcCtrl, kIdcShift, kIdcRepeat,
          kIdcRateLabel, kIdcRate, kIdcDelay},
         false);
    std::wstring& label1 = controls_[kIdcParam1Label].text;
    std::wstring& label2 = controls_[kIdcParam2Label].text;
    switch (type) {
    case CMD_OSD:
        label1 = Word(kWordShow, L"Show");
        Show({kIdcParam1Label, kIdcParam1}, true);
        break;
    case CMD_SYSTEM:
        label1 = Word(kWordType, L"Type");
        label2 = sub == SYS_VOLUME      ? Word(kWordChangeVolumeBy, L"Change volume by")
                 : sub == SYS_MOUSEMOVE ? Word(kWordDirection, L"Direction")
                                        : Word(kWordCommand, L"Command");
        Show({kIdcParam1Label, kIdcParam1, kIdcParam2Label}, true);
        Show({kIdcParam2}, sub != SYS_VOLUME);
        Show({kIdcValue, kIdcValueSpin, kIdcRepeat, kIdcRateLabel, kIdcRate}, sub == SYS_VOLUME);
        break;
    case CMD_KEY:
        label1 = Word(kWordKeyboardShortcut, L"Keyboard shortcut");
        Show({kIdcParam1Label, kIdcKey, kIdcRecord, kIdcAlt, kIdcCtrl, kIdcShift, kIdcRepeat, kIdcRateLabel,
              kIdcRate},
             true);
        break;
    case CMD_WINDOW:
        label1 = Word(kWordCommand, L"Command");
        Show({kIdcParam1Label, kIdcParam1}, true);
        break;
    case CMD_CONTROL:
        label1 = Word(kWordType, L"Type");
        label2 = L"Control ID";
        Show({kIdcParam1Label, kIdcParam1, kIdcParam2Label, kIdcValue, kIdcRepeat, kIdcRateLabel, kIdcRate},
             true);
        valueTooltip_ = true;
        if (sub == CTL_COMBOBOX || sub == CTL_SLIDER) {
            controls_[kIdcValue2Label].text = sub == CTL_COMBOBOX ? Word(kWordSelection, L"Selection")
                                                                  : Word(kWordStepWidth, L"Step width");
            Show({kIdcValue2Label, kIdcValue2, kIdcValue2Spin}, true);
        }
        break;
    default:
        break;
    }
    EnableRate();
    controls_[kIdcSelectedKey].text = services_.keyNames.DisplayName(current_);
}

int CCmdSetEditModel::ControlsToData() {
    CLMTraceScope scope(kTraceInfo, kTraceAllContexts, L"CPageCmdSetEdit::ControlsToData", L"%ls",
                        record_.szName);
    StoreCurrent();
    return services_.admin.SaveKeymap(keymap_, &record_);
}

// --- The user's changes ---

void CCmdSetEditModel::ProductChanged() {
    ChangeModel(true);
}

void CCmdSetEditModel::ChangeModel(bool storeFirst) {
    const tagCTLSTATE& list = Control(kIdcProduct);
    if (list.selected < 0 || list.selected >= static_cast<int32_t>(list.items.size()))
        return;
    const tagLISTITEM row = list.items[static_cast<size_t>(list.selected)];
    const uint32_t mask = static_cast<uint32_t>(row.data);
    services_.registry.WriteDword(kRcTypeValue, mask);
    services_.registry.WriteString(kRcNameValue, row.text);
    if (storeFirst)
        StoreCurrent();
    if (!picture_.SetRemoteModel(mask))
        return;
    model_ = mask;
    controls_[kIdcPicture].visible = picture_.Visible();
    if (mask == kRemoteModelMidi) {
        current_ = kFirstMidiKey;
        FillMidiList();
        controls_[kIdcMidiList].visible = true;
    } else {
        controls_[kIdcMidiList].visible = false;
        current_ = picture_.SelectedKey();
    }
    LoadKeymap(keymap_, name_);
    UpdateControls();
}

void CCmdSetEditModel::MidiLinePicked() {
    const int32_t line = Control(kIdcMidiList).selected;
    if (line >= RCKEY_NOTE_FIRST && line <= RCKEY_NOTE_LAST)
        SelectKey(line);
}

void CCmdSetEditModel::PictureClicked() {
    SelectKey(picture_.SelectedKey());
}

void CCmdSetEditModel::TypeChanged() {
    const int32_t type = SelectedType();
    FillParam1(type);
    if (!controls_[kIdcParam1].items.empty())
        controls_[kIdcParam1].selected = 0;
    if (type == CMD_SYSTEM) {
        FillParam2(SelectedSubType());
        if (!controls_[kIdcParam2].items.empty())
            controls_[kIdcParam2].selected = 0;
    }
    UpdateControls();
    SelectKey(current_);
}

void CCmdSetEditModel::Param1Changed() {
    const int32_t sub = SelectedSubType();
    if (SelectedType() == CMD_SYSTEM) {
        FillParam2(sub);
        if (!controls_[kIdcParam2].items.empty())
            controls_[kIdcParam2].selected = 0;
    } else if (SelectedType() == CMD_CONTROL && (sub == CTL_COMBOBOX || sub == CTL_SLIDER)) {
        ShowValue2(sub, NumberOr(Control(kIdcValue2).text, 0));
    }
    UpdateControls();
}

void CCmdSetEditModel::SpinStep(int32_t spinId, int32_t step) {
    if (spinId != kIdcValueSpin && spinId != kIdcValue2Spin)
        return;
    tagCTLSTATE& spin = controls_[spinId];
    spin.pos = std::clamp(spin.pos + step, spin.low, spin.high);
    if (spinId == kIdcValueSpin)
        controls_[kIdcValue].text = FormatBounded(kTextChars, L"%+02d %%", spin.pos);
    else
        controls_[kIdcValue2].text =
            FormatBounded(kTextChars, SelectedSubType() == CTL_COMBOBOX ? L"No. %d" : L"%+02d %%", spin.pos);
}

void CCmdSetEditModel::RepeatEditChanged(int32_t editId) {
    if (editId != kIdcRate && editId != kIdcDelay)
        return;
    std::wstring& text = controls_[editId].text;
    int32_t value = 0;
    if (LeadingNumber(text, value) && value > kRepeatEditMax)
        text = FormatBounded(kTextChars, L"%d", value / 10);
}

void CCmdSetEditModel::RepeatToggled() {
    EnableRate();
}

void CCmdSetEditModel::EnableRate() {
    const bool on = Control(kIdcRepeat).checked;
    for (int32_t id : {kIdcRateLabel, kIdcRate, kIdcDelay})
        controls_[id].enabled = on;
}

void CCmdSetEditModel::RecordToggled() {
    LM_TRACE(kTraceInfo, L"CPageCmdSetEdit: recording %ls\n", Recording() ? L"on" : L"off");
}

bool CCmdSetEditModel::RecordKey(uint32_t virtualKey, wchar_t character, bool alt, bool ctrl, bool shift) {
    if (!Recording())
        return false;
    if (IsModifierKey(virtualKey))
        return true;
    std::wstring name = KeyCodeName(static_cast<int32_t>(virtualKey));
    if (name.size() == 1) {
        if (ctrl && character < 32)
            character = static_cast<wchar_t>(character + 64);
        name = character ? std::wstring(1, character) : std::wstring();
    }
    controls_[kIdcKey].text = TextToUpper(name);
    controls_[kIdcAlt].checked = alt;
    controls_[kIdcCtrl].checked = ctrl;
    controls_[kIdcShift].checked = shift;
    controls_[kIdcRecord].checked = false;
    return true;
}

int CCmdSetEditModel::Test() {
    const tagWINCMD cmd = ReadCommand();
    CLMTraceScope scope(kTraceInfo, kTraceAllContexts, L"CPageCmdSetEdit::OnTest", L"%d,%d,%d", cmd.nType,
                        cmd.nSubType, cmd.nParam);
    return services_.runner.RunCommand(cmd, record_);
}

int CCmdSetEditModel::Run() {
    return services_.runner.StartApplication(record_);
}

// --- Keys, commands and marks ---

void CCmdSetEditModel::SelectKey(int32_t key) {
    StoreCurrent();
    current_ = key;
    if (model_ == kRemoteModelMidi)
        controls_[kIdcMidiList].selected = key;
    tagWINCMD cmd;
    if (!keymap_.Lookup(key, cmd))
        cmd = tagWINCMD();
    CommandToControls(cmd);
    UpdateControls();
}

void CCmdSetEditModel::StoreCurrent() {
    const tagWINCMD cmd = ReadCommand();
    if (cmd.nType != CMD_NONE)
        keymap_.SetAt(current_, cmd);
    else
        keymap_.RemoveKey(current_);
    UpdateMark(current_);
}

void CCmdSetEditModel::UpdateMark(int32_t key) {
    if (model_ != kRemoteModelMidi) {
        picture_.SetKeyMark(key, KeyMark(keymap_, defaults_, preset_, key));
        return;
    }
    std::vector<tagLISTITEM>& lines = controls_[kIdcMidiList].items;
    if (key >= RCKEY_NOTE_FIRST && key <= RCKEY_NOTE_LAST && static_cast<size_t>(key) < lines.size())
        lines[static_cast<size_t>(key)].text = MidiLine(key);
}

void CCmdSetEditModel::LoadKeymap(const CKeymap& keymap, const std::wstring& name) {
    CLMTraceScope scope(kTraceInfo, kTraceAllContexts, L"CPageCmdSetEdit::LoadKeymap", L"%ls", name.c_str());
    if (&keymap != &keymap_)
        keymap_ = keymap;
    name_ = name;
    BuildDefaultKeymap(defaults_, services_.strings);
    tagPRGINFO preset;
    if (services_.admin.LoadPrgInfo(name_, preset, true))
        services_.admin.LoadKeymap(name_, preset_, true);
    else
        preset_.RemoveAll();
    picture_.ClearMarks();
    picture_.ClearSelection();
    if (!picture_.Areas().empty())
        picture_.SelectKey(picture_.Areas().front().key);
    if (model_ == kRemoteModelMidi) {
        for (int32_t key = RCKEY_NOTE_FIRST; key <= RCKEY_NOTE_LAST; ++key)
            UpdateMark(key);
    } else {
        for (const auto& [key, cmd] : keymap_)
            UpdateMark(key);
    }
    tagWINCMD cmd;
    if (!keymap_.Lookup(current_, cmd))
        cmd = tagWINCMD();
    CommandToControls(cmd);
}

void CCmdSetEditModel::ShowValue2(int32_t subType, int32_t value) {
    tagCTLSTATE& spin = controls_[kIdcValue2Spin];
    spin.low = subType == CTL_COMBOBOX ? 0 : kSpinLow;
    spin.high = kSpinHigh;
    spin.pos = std::clamp(value, spin.low, spin.high);
    controls_[kIdcValue2].text =
        FormatBounded(kTextChars, subType == CTL_COMBOBOX ? L"No. %d" : L"%+02d %%", value);
}

void CCmdSetEditModel::CommandToControls(const tagWINCMD& cmd) {
    edited_ = cmd;
    controls_[kIdcOsdText].text = cmd.szOsdText;
    Select(kIdcType, cmd.nType);
    FillParam1(cmd.nType);
    Select(kIdcParam1, cmd.nSubType);
    if (cmd.nType == CMD_SYSTEM) {
        FillParam2(cmd.nSubType);
        if (cmd.nSubType == SYS_VOLUME) {
            controls_[kIdcValue].text = FormatBounded(kTextChars, L"%+d%%", cmd.nParam);
            tagCTLSTATE& spin = controls_[kIdcValueSpin];
            spin.low = kSpinLow;
            spin.high = kSpinHigh;
            spin.pos = std::clamp(cmd.nParam, kSpinLow, kSpinHigh);
        } else {
            Select(kIdcParam2, cmd.nParam);
        }
    } else {
        controls_[kIdcParam2].items.clear();
        controls_[kIdcParam2].selected = -1;
    }
    if (cmd.nType == CMD_KEY) {
        controls_[kIdcKey].text = KeyCodeName(cmd.nSubType);
        controls_[kIdcAlt].checked = (cmd.nParam & MOD_KEY_ALT) != 0;
        controls_[kIdcCtrl].checked = (cmd.nParam & MOD_KEY_CTRL) != 0;
        controls_[kIdcShift].checked = (cmd.nParam & MOD_KEY_SHIFT) != 0;
    }
    if (cmd.nType == CMD_CONTROL) {
        controls_[kIdcValue].text = FormatBounded(kTextChars, L"%d", cmd.nParam);
        if (cmd.nSubType == CTL_COMBOBOX || cmd.nSubType == CTL_SLIDER)
            ShowValue2(cmd.nSubType, cmd.nParam2);
    }
    controls_[kIdcRepeat].checked = cmd.bRepeat != 0;
    EnableRate();
    controls_[kIdcDelay].text = FormatBounded(kTextChars, L"%d", cmd.nRepeatDelay);
    controls_[kIdcRate].text = FormatBounded(kTextChars, L"%d", cmd.nRepeatRate);
}

tagWINCMD CCmdSetEditModel::ReadCommand() const {
    tagWINCMD cmd;
    std::copy(std::begin(edited_.szWndCaption), std::end(edited_.szWndCaption), cmd.szWndCaption);
    cmd.bHideOsd = edited_.bHideOsd;
    CopyBounded(cmd.szOsdText, kCmdTextChars, Control(kIdcOsdText).text);
    cmd.nType = SelectedType();
    const int32_t sub = SelectedSubType();
    switch (cmd.nType) {
    case CMD_OSD:
    case CMD_WINDOW:
        cmd.nSubType = sub;
        break;
    case CMD_SYSTEM:
        cmd.nSubType = sub;
        cmd.nParam = sub == SYS_VOLUME ? NumberOr(Control(kIdcValue).text, 0) : SelectedData(kIdcParam2);
        break;
    case CMD_KEY: {
        const std::wstring& key = Control(kIdcKey).text;
        cmd.nSubType = key.size() == 1 ? static_cast<int32_t>(static_cast<uint16_t>(key[0]))
                                       : static_cast<int32_t>(GetVirtualKeyCode(key));
        cmd.nParam = (Control(kIdcAlt).checked ? MOD_KEY_ALT : 0) |
                     (Control(kIdcCtrl).checked ? MOD_KEY_CTRL : 0) |
                     (Control(kIdcShift).checked ? MOD_KEY_SHIFT : 0);
        break;
    }
    case CMD_CONTROL: {
        cmd.nSubType = sub;
        cmd.nParam = NumberOr(Control(kIdcValue).text, 0);
        const std::wstring& value2 = Control(kIdcValue2).text;
        if (sub == CTL_COMBOBOX) {
            const size_t digit = value2.find_first_of(L"0123456789");
            cmd.nParam2 = digit == std::wstring::npos ? 0 : NumberOr(value2.substr(digit), 0);
        } else if (sub == CTL_SLIDER) {
            cmd.nParam2 = NumberOr(value2, 0);
        }
        break;
    }
    default:
        break;
    }
    cmd.bRepeat = Control(kIdcRepeat).checked ? 1 : 0;
    cmd.nRepeatDelay = NumberOr(Control(kIdcDelay).text, 1000);
    cmd.nRepeatRate = NumberOr(Control(kIdcRate).text, 200);
    return cmd;
}

} // namespace lm
