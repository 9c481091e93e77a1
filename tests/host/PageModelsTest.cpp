// The editor pages' rules on real command-set files: the list's status words, icons and commands, copy
// naming, delete and reset, the names the wizard refuses, the main menu's places, and the options
// page's display time, receiver rows, selection and preview colours.
#include "editor/PageModels.h"

#include "CmdSetFixture.h"
#include "receivers/ReceiverTypes.h"
#include "receivers/Receivers.h"

#include <gtest/gtest.h>

namespace lm {
namespace {

using test::Cmd;

class PageModelsTest : public test::CmdSetFixture {
protected:
    void SetUp() override {
        CmdSetFixture::SetUp();
        for (const wchar_t* exe : {L"apps/explorer.exe", L"apps/notepad.exe", L"apps/player.exe"})
            temp.Touch(exe);
        WritePreset(L"[Windows (Standard)]\nExecutable=explorer.exe\nAppPath=" + App(L"explorer") +
                    L"\n[Notepad]\nExecutable=notepad.exe\nAppPath=" + App(L"notepad") +
                    L"\nDescription=Editor\n201=" +
                    FormatKeyLine(Cmd(CMD_KEY, '1', 0, 0, 0, 1000, 200, L"One"), L"Programme 1") +
                    L"\n[Gone]\nExecutable=gone.exe\nAppPath=" + App(L"gone") + L"\n");
        WriteUser(L"[Software]\n0=Windows (Standard)\n1=Notepad\n[player]\nExecutable=player.exe\nAppPath=" +
                  App(L"player") + L"\n");
        admin = MakeFileAdmin();
    }
    std::wstring App(const std::wstring& name) { return temp.Path(L"apps/" + name + L".exe"); }
    tagPRGINFO Record(const std::wstring& name) {
        tagPRGINFO record;
        admin->LoadAppList();
        EXPECT_TRUE(catalog.Lookup(name, record)) << name;
        return record;
    }
    std::wstring Statuses() {
        std::wstring text;
        for (const tagSETROW& row : CmdSetRows(*admin, strings))
            text += std::wstring(row.record.szName) + L"=" + row.status + L";";
        return text;
    }
    std::unique_ptr<CCmdSetAdmin> admin;
};

TEST_F(PageModelsTest, ListStatusesIconsCommandsAndSummary) {
    // Installed sets only, "---" never; the user's own set first.
    EXPECT_EQ(Statuses(), L"player=User;Windows (Standard)=Preset;Notepad=Preset;");

    // A changed preset is "Modified"; changed back to the preset's command it reads "Preset" again.
    tagPRGINFO notepad = Record(L"Notepad");
    CKeymap keymap;
    admin->LoadKeymap(L"Notepad", keymap, false);
    keymap.SetAt(RCKEY_1, Cmd(CMD_KEY, '2', 0, 0, 0, 1000, 200, L"Two"));
    ASSERT_EQ(admin->SaveKeymap(keymap, &notepad), 1);
    EXPECT_EQ(Statuses(), L"player=User;Notepad=Modified;Windows (Standard)=Preset;");
    keymap.SetAt(RCKEY_1, Cmd(CMD_KEY, '1', 0, 0, 0, 1000, 200, L"One"));
    ASSERT_EQ(admin->SaveKeymap(keymap, &notepad), 1);
    EXPECT_EQ(Statuses(), L"player=User;Notepad=Preset;Windows (Standard)=Preset;");

    // Commands: delete only for the user's own set, reset only for a changed preset.
    notepad = Record(L"Notepad");
    EXPECT_EQ(SetCommands(nullptr), tagSETCOMMANDS{});
    const tagPRGINFO player = Record(L"player"), standard = Record(L"Windows (Standard)");
    const tagSETCOMMANDS forUser = SetCommands(&player), forModified = SetCommands(&notepad),
                         forPreset = SetCommands(&standard);
    EXPECT_TRUE(forUser.create && forUser.copy && forUser.edit && forUser.information && forUser.remove);
    EXPECT_FALSE(forUser.reset);
    EXPECT_TRUE(forModified.reset && !forModified.remove);
    EXPECT_FALSE(forPreset.reset || forPreset.remove);
    EXPECT_TRUE(forPreset.edit);

    // The icon comes from the executable while it exists, else none (the exclamation mark).
    EXPECT_EQ(IconFileOf(notepad, spy), App(L"notepad"));
    tagPRGINFO gone = notepad;
    CopyBounded(gone.szAppPath, kPrgTextChars, temp.Path(L"apps"));
    EXPECT_EQ(IconFileOf(gone, spy), App(L"notepad")); // the folder joined with the file name
    CopyBounded(gone.szExecutable, kPrgTextChars, L"gone.exe");
    EXPECT_EQ(IconFileOf(gone, spy), L"");

    EXPECT_EQ(SetSummary(notepad, strings),
              L"\n\tNotepad\n\tEditor\n\n\tPath:\t " + temp.Path(L"apps") +
                  L"\n\tFile:\t notepad.exe\n\tCommand-line:\t -\n\tWindow:\t -");
    gone.szAppPath[0] = 0;
    strings.texts[kStringUnavailable] = L"Fehlt";
    EXPECT_NE(SetSummary(gone, strings).find(L"\n\tPath:\t !!! Fehlt !!!\n"), std::wstring::npos);
}

TEST_F(PageModelsTest, CopyNamingDeleteAndReset) {
    std::wstring name;
    EXPECT_EQ(CopyCommandSet(*admin, strings, L"Notepad", name), 1);
    EXPECT_EQ(name, L"Notepad (Copy)");
    const tagPRGINFO copy = Record(L"Notepad (Copy)");
    EXPECT_FALSE(copy.bPreset || copy.bModifiedPreset);
    EXPECT_STREQ(copy.szDescription, L"Editor");
    CKeymap keymap;
    admin->LoadKeymap(L"Notepad (Copy)", keymap, false);
    tagWINCMD one;
    ASSERT_TRUE(keymap.Lookup(RCKEY_1, one));
    EXPECT_STREQ(one.szOsdText, L"One");
    EXPECT_NE(Statuses().find(L"Notepad (Copy)=User;"), std::wstring::npos);
    // The second copy is refused with the name the first one took; the set stays as it was.
    strings.texts[kStringCopySuffix] = L"Kopie";
    EXPECT_EQ(CopyCommandSet(*admin, strings, L"Notepad", name), 1);
    EXPECT_EQ(name, L"Notepad (Kopie)");
    EXPECT_EQ(CopyCommandSet(*admin, strings, L"Notepad", name), 0);
    EXPECT_EQ(name, L"Notepad (Kopie)");
    EXPECT_EQ(CopyCommandSet(*admin, strings, L"Unknown", name), -1);

    // A user set goes without a question, a pure preset is refused.
    EXPECT_EQ(DeleteRuleOf(copy), DeleteRule::Delete);
    EXPECT_EQ(DeleteCommandSet(*admin, copy), 1);
    EXPECT_FALSE(catalog.Contains(L"Notepad (Copy)"));
    const tagPRGINFO standard = Record(L"Windows (Standard)");
    EXPECT_EQ(DeleteRuleOf(standard), DeleteRule::Refuse);
    EXPECT_EQ(DeleteCommandSet(*admin, standard), 0);
    EXPECT_EQ(ResetCommandSet(*admin, standard), 0);
    EXPECT_TRUE(catalog.Contains(L"Windows (Standard)"));

    // Deleting (or resetting) a changed preset brings the preset back under its name.
    for (int viaReset = 0; viaReset < 2; ++viaReset) {
        tagPRGINFO notepad = Record(L"Notepad");
        CopyBounded(notepad.szDescription, kPrgTextChars, L"Mine");
        ASSERT_EQ(admin->SaveKeymap(keymap, &notepad), 1);
        notepad = Record(L"Notepad");
        ASSERT_EQ(notepad.bModifiedPreset, 1);
        EXPECT_EQ(DeleteRuleOf(notepad), DeleteRule::WarnThenDelete);
        EXPECT_EQ(viaReset ? ResetCommandSet(*admin, notepad) : DeleteCommandSet(*admin, notepad), 1);
        notepad = Record(L"Notepad");
        EXPECT_EQ(notepad.bPreset, 1);
        EXPECT_STREQ(notepad.szDescription, L"Editor");
    }
}

TEST_F(PageModelsTest, TheWizardRefusesNamesThatWouldLoseOrHideASet) {
    for (const wchar_t* name : {L"", L"   ", L"\t"})
        EXPECT_EQ(SetNameProblem(name, L"", *admin), kStringNameMissing) << name;
    // Another set's name, in any letter case or with blanks around it, and a set that is not installed.
    for (const wchar_t* name : {L"notepad", L" Notepad ", L"PLAYER", L"Gone"}) {
        EXPECT_EQ(SetNameProblem(name, L"", *admin), kStringNameUsed) << name;
        EXPECT_EQ(SetNameProblem(name, L"Windows (Standard)", *admin), kStringNameUsed) << name;
    }
    for (const wchar_t* name : {L"a]b", L"[a", L"two\nlines", L"software", L"Key names", L"---"})
        EXPECT_EQ(SetNameProblem(name, L"", *admin), kStringNameInvalid) << name;
    EXPECT_EQ(SetNameProblem(L"Notepad", L"Notepad", *admin), 0u); // the set keeps its own name
    EXPECT_EQ(SetNameProblem(L"NOTEPAD", L"Notepad", *admin), 0u);
    EXPECT_EQ(SetNameProblem(L"Notepad 2", L"Notepad", *admin), 0u);
    EXPECT_EQ(SetNameProblem(L"Kodi (new)", L"", *admin), 0u);
}

TEST_F(PageModelsTest, MainMenuPlacesRestoreAutoselectAndStore) {
    admin->LoadAppList();
    const std::vector<std::wstring> items = MenuItems(*admin->AppList());
    // Ordinal order: capitals before small letters.
    EXPECT_EQ(items, (std::vector<std::wstring>{L"---", L"Notepad", L"Windows (Standard)", L"player"}));
    const std::array<int32_t, kMainMenuPlaces> restored = RestorePlaces(*admin, items);
    EXPECT_EQ(restored[0], 2);
    EXPECT_EQ(restored[1], 1);
    EXPECT_EQ(restored[2], 0); // empty place: item 0, "---"

    // Autoselect: the standard set first, then the installed sets after item 0 in list order.
    std::array<int32_t, kMainMenuPlaces> places = AutoselectPlaces(*admin, items);
    EXPECT_EQ(places[0], 2);
    EXPECT_EQ(places[1], 1);
    EXPECT_EQ(places[2], 2);
    EXPECT_EQ(places[3], 3);
    EXPECT_EQ(places[4], 0);
    std::remove(ToUtf8(App(L"player")).c_str());
    places = AutoselectPlaces(*admin, items);
    EXPECT_EQ(places[3], 0);
    EXPECT_EQ(AutoselectPlaces(*admin, {L"---"}), (std::array<int32_t, kMainMenuPlaces>{}));

    // Only changed places are written; the same set may stand at two places.
    std::array<std::wstring, kMainMenuPlaces> names;
    for (size_t i = 0; i < names.size(); ++i)
        names[i] = Read(UserPath(), L"Software", std::to_wstring(i)) == L"<none>"
                       ? L""
                       : Read(UserPath(), L"Software", std::to_wstring(i));
    names[2] = names[3] = L"Notepad";
    EXPECT_EQ(StorePlaces(*admin, names), 2);
    EXPECT_EQ(StorePlaces(*admin, names), 0);
    EXPECT_EQ(Read(UserPath(), L"Software", L"3"), L"Notepad");
    std::wstring place;
    EXPECT_EQ(admin->GetMenuEntryName(2, place), 1);
    EXPECT_EQ(place, L"Notepad");
}

TEST(PageOptionsModelTest, DisplayTimeReceiversSelectionAndPreview) {
    EXPECT_EQ(StepDisplayTime(30, 1), 1);
    EXPECT_EQ(StepDisplayTime(1, -1), 30);
    EXPECT_EQ(StepDisplayTime(29, 5), 1);
    EXPECT_EQ(StepDisplayTime(10, 5), 15);
    EXPECT_EQ(DisplayTimeText(7), L"7 sec");
    EXPECT_EQ(DisplayTimeFromText(L"12 sec", 3), 12u);
    EXPECT_EQ(DisplayTimeFromText(L"sec", 3), 3u);
    EXPECT_EQ(DisplayTimeFromText(L"0 sec", 3), 3u);
    // The server's port: empty switches the receiver off; what is no port leaves the stored one.
    uint32_t port = 8765;
    EXPECT_TRUE(ServerPortFromText(L" 65535 ", port));
    EXPECT_EQ(port, 65535u);
    EXPECT_TRUE(ServerPortFromText(L"", port));
    EXPECT_EQ(port, 0u);
    port = 8765;
    for (const wchar_t* wrong : {L"65536", L"99999999999", L"87x", L"-1"})
        EXPECT_FALSE(ServerPortFromText(wrong, port)) << wrong;
    EXPECT_EQ(port, 8765u);

    // Found types in type order with their extras; the scripted receiver appears by its table name.
    const uint32_t found = 1u << 0 | 1u << 7 | 1u << 12 | 1u << kReceiverTypeScripted | 1u << 30;
    std::vector<tagRECEIVERROW> rows = ReceiverRows(found, 0xFFFFFFFEu, 15, 1);
    ASSERT_EQ(rows.size(), 4u); // type 30 has no name
    EXPECT_EQ(rows[0], (tagRECEIVERROW{0, ReceiverTypeName(0), L"Channel 16", false}));
    EXPECT_EQ(rows[1].option, L"Key 0 disabled");
    EXPECT_EQ(rows[2].type, 12);
    EXPECT_EQ(rows[2].option, L"");
    EXPECT_EQ(rows[3].name, ReceiverTypeName(kReceiverTypeScripted));
    EXPECT_EQ(ReceiverRows(found, 0, 0, 0)[1].option, L"Key 0 enabled");
    EXPECT_EQ(ReceiverExtraControl(0), kIdcMidiDevice);
    EXPECT_EQ(ReceiverExtraControl(12), 0);

    // Unchecked rows clear their bits, every other bit stays set but the HID remote's, which without
    // its row stays as it was (no device yet must not switch it on); no rows: all bits.
    const uint32_t hid = 1u << kReceiverTypeHidRemote;
    EXPECT_EQ(SelectionFromRows(rows, CReceivers::kDefaultSelection), 0xFFFFFFFEu & ~hid);
    for (tagRECEIVERROW& row : rows)
        row.checked = false;
    EXPECT_EQ(SelectionFromRows(rows, 0xFFFFFFFFu),
              ~(1u << 0 | 1u << 7 | 1u << 12 | 1u << kReceiverTypeScripted));
    EXPECT_EQ(SelectionFromRows({}, 0xFFFFFFFFu), 0xFFFFFFFFu);
    EXPECT_EQ(SelectionFromRows({{kReceiverTypeHidRemote, L"", L"", true}}, 0), 0xFFFFFFFFu);

    tagOSDSETTINGS osd;
    osd.textColor = 0xFFFFFF;
    osd.backgroundColor = 0x112233;
    osd.gradientColor = 0x445566;
    EXPECT_EQ(PreviewColours(true, true, osd),
              (std::array<uint32_t, 4>{0xF0CAA6, 0xFFFFFF, 0x112233, 0x445566}));
    osd.textColor = 0x0000FF;
    EXPECT_EQ(PreviewColours(true, false, osd),
              (std::array<uint32_t, 4>{0xFFFFFF, 0x0000FF, 0x112233, 0x112233}));
    EXPECT_EQ(PreviewColours(false, true, osd),
              (std::array<uint32_t, 4>{0xFFFFFF, 0xB0B0B0, 0x707070, 0x202020}));
    EXPECT_EQ(PreviewColours(false, false, osd)[3], 0x707070u);

    EXPECT_EQ(
        MidiDeviceChoices({L"USB MIDI", L"FireWire Remote", L"FireWire Remote 2x", L"FireWire Control"}),
        (std::vector<std::wstring>{L"USB MIDI", L"FireWire Remote 2x"}));
}

} // namespace
} // namespace lm
