// The key-assignment step without its dialog: the remembered remote model, keys picked on the picture and
// in the MIDI list, commands into the controls and back, the controls of each command type, marks against
// the default and preset keymaps, recording, the limits of the edits, and the set written on leaving.
#include "editor/CmdSetEditModel.h"

#include "CmdSetFixture.h"
#include "cmdset/KeyLine.h"

#include <gtest/gtest.h>

namespace lm {
namespace {

using test::Cmd;

class FakeRunner final : public ICommandRunner {
public:
    int RunCommand(const tagWINCMD& command, const tagPRGINFO& application) override {
        commands.push_back(command);
        apps.push_back(application.szExecutable);
        return 1;
    }
    int StartApplication(const tagPRGINFO& application) override {
        apps.push_back(L"start " + std::wstring(application.szExecutable));
        return 1;
    }
    std::vector<tagWINCMD> commands;
    std::vector<std::wstring> apps;
};

constexpr const wchar_t* kProgramKey = L"Software\\Lumora\\Remote Control";

class CmdSetEditModelTest : public test::CmdSetFixture {
protected:
    void SetUp() override {
        CmdSetFixture::SetUp();
        // A preset whose key 1 differs from the default set and whose Power key equals it.
        tagWINCMD one = Cmd(CMD_KEY, '1', 0, 0, 0, 1000, 200, L"One");
        tagWINCMD power;
        BuildDefaultKeymap(defaults, strings);
        defaults.Lookup(RCKEY_POWER, power);
        WritePreset(L"[Notepad]\nExecutable=notepad.exe\n201=" + FormatKeyLine(one, L"Programme 1") +
                    L"\n140=" + FormatKeyLine(power, L"Power") + L"\n");
        admin = MakeFileAdmin();
        CopyBounded(record.szName, kPrgTextChars, L"Notepad");
        CopyBounded(record.szExecutable, kPrgTextChars, L"notepad.exe");
    }
    // A fresh step as the dialog opens it, with the set loaded from the files.
    std::unique_ptr<CCmdSetEditModel> Open(const std::wstring& set = L"Notepad") {
        auto model = std::make_unique<CCmdSetEditModel>(
            tagKEYPAGESERVICES{*admin, strings, keyNames, programKey, runner, L"USB MIDI"}, record, picture);
        CKeymap keymap;
        admin->LoadKeymap(set, keymap, false);
        model->SetKeymap(keymap, set);
        model->DataToControls();
        model->UpdateControls();
        model->InitPage();
        return model;
    }
    // The controls shown, by ID, in the model's order.
    static std::vector<int32_t> Shown(const CCmdSetEditModel& m, std::initializer_list<int32_t> ids) {
        std::vector<int32_t> shown;
        for (int32_t id : ids)
            if (m.Control(id).visible)
                shown.push_back(id);
        return shown;
    }
    static void Pick(CCmdSetEditModel& m, int32_t list, int32_t data) {
        const auto& items = m.Control(list).items;
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i].data == data)
                m.Control(list).selected = static_cast<int32_t>(i);
    }
    int32_t Mark(int32_t key) { return picture.FindArea(key) ? picture.FindArea(key)->mark : -1; }

    CKeymap defaults;
    std::unique_ptr<CCmdSetAdmin> admin;
    CLMRegistry programKey{registry, RegistryHive::CurrentUser, kProgramKey};
    FakeRunner runner;
    tagPRGINFO record;
    CRcPicture picture{keyNames};
};

TEST_F(CmdSetEditModelTest, RemembersTheRemoteModelAndShowsTheMidiNotes) {
    // Nothing remembered, no program key: the first product with model 2.
    auto m = Open();
    EXPECT_EQ(m->Control(kIdcProduct).items.size(), 21u);
    EXPECT_EQ(m->Control(kIdcProduct).selected, 1);
    EXPECT_EQ(m->RemoteModel(), 2u);
    EXPECT_EQ(m->CurrentKey(), 140);
    EXPECT_EQ(m->Control(kIdcSelectedKey).text, L"Power");
    EXPECT_EQ(m->Control(kIdcProduct).items[20].text, L"MIDI in (USB MIDI)");

    // The MIDI row: no picture, 128 notes with their marks, note 60 current; both values stored.
    m->Control(kIdcProduct).selected = 20;
    m->ProductChanged();
    EXPECT_FALSE(m->Control(kIdcPicture).visible);
    EXPECT_FALSE(picture.Visible());
    const tagCTLSTATE& notes = m->Control(kIdcMidiList);
    EXPECT_TRUE(notes.visible);
    ASSERT_EQ(notes.items.size(), 128u);
    EXPECT_EQ(notes.items[60].text, L"60:\tC5\tDefault\tOSD");
    EXPECT_EQ(notes.items[61].text, L"61:\tC#5\t---\t---");
    EXPECT_EQ(notes.selected, 60);
    EXPECT_EQ(m->MidiTopLine(), 55);
    EXPECT_EQ(m->CurrentKey(), 60);
    EXPECT_EQ(m->SelectedType(), CMD_OSD);
    EXPECT_EQ(registry.GetDword(RegistryHive::CurrentUser, kProgramKey, kRcTypeValue), 1u);
    EXPECT_EQ(registry.GetString(RegistryHive::CurrentUser, kProgramKey, kRcNameValue),
              L"MIDI in (USB MIDI)");

    // A note picked in the list; its command becomes a user command.
    m->Control(kIdcMidiList).selected = 2;
    m->MidiLinePicked();
    EXPECT_EQ(m->CurrentKey(), 2);
    Pick(*m, kIdcType, CMD_WINDOW);
    m->TypeChanged();
    EXPECT_EQ(m->Control(kIdcMidiList).items[2].text, L"2:\tD0\tUser\tWIN");

    // The next step finds the row by its name; by its model when the name matches no row.
    EXPECT_EQ(Open()->Control(kIdcProduct).selected, 20);
    registry.SetString(RegistryHive::CurrentUser, kProgramKey, kRcNameValue, L"gone");
    registry.SetDword(RegistryHive::CurrentUser, kProgramKey, kRcTypeValue, 1024);
    EXPECT_EQ(Open()->Control(kIdcProduct).selected, 14);
    registry.SetString(RegistryHive::CurrentUser, kProgramKey, kRcNameValue, L"gone");
    registry.SetDword(RegistryHive::CurrentUser, kProgramKey, kRcTypeValue, 4);
    EXPECT_EQ(Open()->Control(kIdcProduct).selected, -1);
    // A failed store is ignored.
    registry.failWrites = true;
    auto last = Open();
    last->Control(kIdcProduct).selected = 13;
    last->ProductChanged();
    EXPECT_EQ(last->RemoteModel(), 2048u);
}

TEST_F(CmdSetEditModelTest, MarksTellDefaultPresetAndUserCommands) {
    auto m = Open();
    EXPECT_EQ(Mark(RCKEY_POWER), 1); // equal to both: the default wins
    EXPECT_EQ(Mark(RCKEY_1), 2);
    EXPECT_EQ(Mark(RCKEY_2), 1);
    EXPECT_EQ(Mark(RCKEY_DIGITS), 0);
    EXPECT_EQ(picture.MarkFrames().size(), 32u); // the keys of model 2 that the default set binds

    // Key 2 changed: a user command. Key 3 set to type 0: removed from the keymap.
    picture.Click(50, 108); // key 2
    m->PictureClicked();
    EXPECT_EQ(m->CurrentKey(), RCKEY_2);
    m->Control(kIdcKey).text = L"F5";
    picture.Click(75, 108); // key 3
    m->PictureClicked();
    EXPECT_EQ(Mark(RCKEY_2), 3);
    Pick(*m, kIdcType, CMD_NONE);
    m->TypeChanged();
    EXPECT_EQ(Mark(RCKEY_3), 0);
    EXPECT_FALSE(m->Keymap().Contains(RCKEY_3));
    // Between the keys the red frame goes; the current key stays.
    picture.Click(39, 108);
    m->PictureClicked();
    EXPECT_TRUE(picture.Selection().IsEmpty());
    EXPECT_EQ(m->CurrentKey(), RCKEY_3);

    // Leaving the step writes the set; reloading it gives the same marks (key 3 comes back from the
    // default set: only the user's line of a removed key goes).
    ASSERT_EQ(m->ControlsToData(), 1);
    CKeymap written;
    admin->LoadKeymap(L"Notepad", written, false);
    EXPECT_TRUE(*written.Find(RCKEY_2) == *m->Keymap().Find(RCKEY_2));
    auto again = Open();
    EXPECT_EQ(Mark(RCKEY_3), 1);
    EXPECT_EQ(Mark(RCKEY_2), 3);
    EXPECT_EQ(Mark(RCKEY_1), 2);
}

// Every command goes into the controls and comes back the same, so that looking at keys changes nothing.
TEST_F(CmdSetEditModelTest, CommandsComeBackFromTheControlsUnchanged) {
    auto m = Open(kStandardSetName);
    const tagWINCMD specials[] = {
        Cmd(CMD_CONTROL, CTL_SLIDER, 1003, -25, 1, 1000, 150, L"Slide"),
        Cmd(CMD_CONTROL, CTL_COMBOBOX, 1002, 3, 0, 1000, 200, L"Pick", L"TARGET"),
        Cmd(CMD_SYSTEM, SYS_VOLUME, -10, 0, 1, 1000, 100, L"Quieter"),
        Cmd(CMD_SYSTEM, SYS_MOUSEMOVE, MOVE_DOWNLEFT, 0, 0, 1000, 200),
        Cmd(CMD_KEY, 116, MOD_KEY_CTRL | MOD_KEY_SHIFT, 0, 0, 1000, 200, L"Refresh"),
        Cmd(CMD_KEY, 'A', MOD_KEY_ALT, 0, 0, 1000, 200),
        Cmd(CMD_OSD, OSD_TIME, 0, 0, 0, 500, 50),
        Cmd(CMD_WINDOW, WIN_TOGGLE_MINIMIZE, 0, 0, 0, 1000, 200),
    };
    CKeymap keymap = m->Keymap();
    int32_t key = RCKEY_1;
    for (tagWINCMD cmd : specials) {
        cmd.bHideOsd = key == RCKEY_1;
        keymap.SetAt(key++, cmd);
    }
    m->LoadKeymap(keymap, kStandardSetName);
    for (const tagRCKEYAREA& area : FindRemoteModel(2)->areas)
        m->SelectKey(area.key);
    m->SelectKey(RCKEY_POWER);
    EXPECT_TRUE(m->Keymap() == keymap);
}

TEST_F(CmdSetEditModelTest, EachCommandTypeShowsItsControls) {
    auto m = Open();
    const std::initializer_list<int32_t> all = {
        kIdcParam1Label, kIdcParam1, kIdcParam2Label, kIdcParam2,    kIdcValue,  kIdcValueSpin,
        kIdcValue2Label, kIdcValue2, kIdcValue2Spin,  kIdcKey,       kIdcRecord, kIdcAlt,
        kIdcCtrl,        kIdcShift,  kIdcRepeat,      kIdcRateLabel, kIdcRate,   kIdcDelay};
    auto choose = [&](int32_t type, int32_t sub) {
        Pick(*m, kIdcType, type);
        m->TypeChanged();
        Pick(*m, kIdcParam1, sub);
        m->Param1Changed();
        return Shown(*m, all);
    };
    using V = std::vector<int32_t>;
    EXPECT_EQ(choose(CMD_NONE, 0), V{});
    EXPECT_FALSE(m->Control(kIdcTest).enabled);
    EXPECT_FALSE(m->Control(kIdcOsdText).enabled);
    EXPECT_EQ(choose(CMD_OSD, OSD_TIME), (V{kIdcParam1Label, kIdcParam1}));
    EXPECT_EQ(m->Control(kIdcParam1Label).text, L"Show");
    EXPECT_EQ(m->Control(kIdcParam1).items.size(), 3u);
    EXPECT_TRUE(m->Control(kIdcTest).enabled);
    EXPECT_EQ(choose(CMD_SYSTEM, SYS_MOUSEMOVE),
              (V{kIdcParam1Label, kIdcParam1, kIdcParam2Label, kIdcParam2}));
    EXPECT_EQ(m->Control(kIdcParam2Label).text, L"Direction");
    EXPECT_EQ(m->Control(kIdcParam2).items.size(), 8u);
    EXPECT_EQ(choose(CMD_SYSTEM, SYS_VOLUME), (V{kIdcParam1Label, kIdcParam1, kIdcParam2Label, kIdcValue,
                                                 kIdcValueSpin, kIdcRepeat, kIdcRateLabel, kIdcRate}));
    EXPECT_EQ(m->Control(kIdcParam2Label).text, L"Change volume by");
    EXPECT_EQ(choose(CMD_KEY, 0), (V{kIdcParam1Label, kIdcKey, kIdcRecord, kIdcAlt, kIdcCtrl, kIdcShift,
                                     kIdcRepeat, kIdcRateLabel, kIdcRate}));
    EXPECT_EQ(choose(CMD_WINDOW, WIN_RESTORE), (V{kIdcParam1Label, kIdcParam1}));
    EXPECT_EQ(m->Control(kIdcParam1).items.size(), 7u);
    EXPECT_EQ(choose(CMD_CONTROL, CTL_BUTTON), (V{kIdcParam1Label, kIdcParam1, kIdcParam2Label, kIdcValue,
                                                  kIdcRepeat, kIdcRateLabel, kIdcRate}));
    EXPECT_TRUE(m->ValueTooltip());
    EXPECT_EQ(choose(CMD_CONTROL, CTL_SLIDER),
              (V{kIdcParam1Label, kIdcParam1, kIdcParam2Label, kIdcValue, kIdcValue2Label, kIdcValue2,
                 kIdcValue2Spin, kIdcRepeat, kIdcRateLabel, kIdcRate}));
    EXPECT_EQ(m->Control(kIdcValue2Label).text, L"Step width");
    // The type went into the keymap with the key.
    EXPECT_EQ(m->Keymap().Find(RCKEY_POWER)->nType, CMD_CONTROL);
}

TEST_F(CmdSetEditModelTest, RecordingSpinsAndRepeatEdits) {
    auto m = Open();
    EXPECT_FALSE(m->RecordKey(116, 0, false, true, true)); // not recording
    m->Control(kIdcRecord).checked = true;
    m->RecordToggled();
    EXPECT_TRUE(m->RecordKey(kVkControl, 0, false, true, false)); // modifiers alone: still recording
    EXPECT_TRUE(m->RecordKey(0xA1, 0, false, true, true));
    EXPECT_TRUE(m->Recording());
    EXPECT_TRUE(m->RecordKey(116, 0, false, true, true)); // Ctrl+Shift+F5
    EXPECT_FALSE(m->Recording());
    EXPECT_EQ(m->Control(kIdcKey).text, L"F5");
    EXPECT_EQ(m->Control(kIdcCtrl).checked, true);
    EXPECT_EQ(m->Control(kIdcShift).checked, true);
    EXPECT_EQ(m->Control(kIdcAlt).checked, false);
    m->Control(kIdcRecord).checked = true;
    EXPECT_TRUE(m->RecordKey('A', L'a', false, true, false)); // Ctrl+A: the mapped character, in upper case
    EXPECT_EQ(m->Control(kIdcKey).text, L"A");
    m->Control(kIdcRecord).checked = true;
    EXPECT_TRUE(m->RecordKey('M', 13, false, true, false)); // a control character: the letter it stands for
    EXPECT_EQ(m->Control(kIdcKey).text, L"M");

    // Spins stay in their range; the edits show the value in their form.
    Pick(*m, kIdcType, CMD_CONTROL);
    m->TypeChanged();
    Pick(*m, kIdcParam1, CTL_COMBOBOX);
    m->Param1Changed();
    m->SpinStep(kIdcValue2Spin, -5);
    EXPECT_EQ(m->Control(kIdcValue2).text, L"No. 0");
    m->SpinStep(kIdcValue2Spin, 7);
    EXPECT_EQ(m->Control(kIdcValue2).text, L"No. 7");
    EXPECT_EQ(m->ReadCommand().nParam2, 7);
    Pick(*m, kIdcParam1, CTL_SLIDER);
    m->Param1Changed();
    m->SpinStep(kIdcValue2Spin, -150);
    EXPECT_EQ(m->Control(kIdcValue2).text, L"-100 %");
    EXPECT_EQ(m->ReadCommand().nParam2, -100);

    // A fifth digit is dropped; the rate edits follow the Repeat box.
    m->Control(kIdcRate).text = L"12345";
    m->RepeatEditChanged(kIdcRate);
    EXPECT_EQ(m->Control(kIdcRate).text, L"1234");
    m->Control(kIdcRepeat).checked = true;
    m->RepeatToggled();
    EXPECT_TRUE(m->Control(kIdcRate).enabled);
    m->Control(kIdcRepeat).checked = false;
    m->RepeatToggled();
    EXPECT_FALSE(m->Control(kIdcRateLabel).enabled);
    m->Control(kIdcRate).text = L"";
    EXPECT_EQ(m->ReadCommand().nRepeatRate, 200);

    // Test runs the controls' command for the wizard's application; Run starts it.
    EXPECT_EQ(m->Test(), 1);
    ASSERT_EQ(runner.commands.size(), 1u);
    EXPECT_EQ(runner.commands[0].nType, CMD_CONTROL);
    EXPECT_EQ(m->Run(), 1);
    EXPECT_EQ(runner.apps, (std::vector<std::wstring>{L"notepad.exe", L"start notepad.exe"}));
}

} // namespace
} // namespace lm
