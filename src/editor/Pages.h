// The pages of the editor's two sheets. Each stands on its dialog template with the behaviour of its
// base (localised controls, tooltip, bold font; the load and save hooks and the refresh timer of the
// main sheet's pages, the data operations and buttons of the wizard's steps). The texts that the
// templates' controls take from strings of other IDs are set here; filling the controls with data is
// the pages' own work.
#pragma once
#include "editor/PageBase.h"
#include "editor/PageCmdSetEdit.h" // step 2 of the wizard

namespace lm {

// The main sheet, in tab order.
class CPageMenu final : public CPageBase {
public:
    static constexpr int32_t kTemplate = 101;
    explicit CPageMenu(CLMLocalizeWin& loc) : CPageBase(loc, kTemplate, {}) {}
};

class CPageCmdSets final : public CPageBase {
public:
    static constexpr int32_t kTemplate = 102;
    explicit CPageCmdSets(CLMLocalizeWin& loc) : CPageBase(loc, kTemplate, {}) {}
};

class CPageOptions final : public CPageBase {
public:
    static constexpr int32_t kTemplate = 103;
    // Group titles "On Screen Display" and "Miscellaneous", "Start with Windows", "Hardware".
    explicit CPageOptions(CLMLocalizeWin& loc)
        : CPageBase(loc, kTemplate, {{1400, 4450}, {1430, 53957}, {1431, 4457}, {1452, 53696}}) {}
};

class CPageAbout final : public CPageBase {
public:
    static constexpr int32_t kTemplate = 104;
    explicit CPageAbout(CLMLocalizeWin& loc) : CPageBase(loc, kTemplate, {}) {}
};

// The wizard's steps.
class CPageCmdSetApp final : public CPageBaseWizard {
public:
    static constexpr int32_t kTemplate = 106;
    // "Enable On Screen Display", "Run".
    explicit CPageCmdSetApp(CLMLocalizeWin& loc)
        : CPageBaseWizard(loc, kTemplate, 1, {{1653, 1401}, {1631, 54289}}) {}
};

class CPageCmdSetReview final : public CPageBaseWizard {
public:
    static constexpr int32_t kTemplate = 108;
    // Group titles "Application" and "Command set".
    explicit CPageCmdSetReview(CLMLocalizeWin& loc)
        : CPageBaseWizard(loc, kTemplate, 3, {{1800, 4461}, {1802, 4403}}) {}
};

} // namespace lm
