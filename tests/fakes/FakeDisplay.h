// The display's model without a window, from any thread, writing down every text shown and the colours
// of every settings block applied.
#pragma once
#include "osd/OsdDisplay.h"

#include "fakes/FakeClock.h"
#include "fakes/FakeSound.h"

namespace lm::test {

class FakeDisplay final : public IOsdDisplay, public Notes {
public:
    void ShowText(const std::wstring& text) override {
        if (model.ShowText(text))
            Note(text);
    }
    void ShowMenu() override { model.ShowMenu(); }
    void SetSelection(int32_t index) override { model.SetSelection(index); }
    int32_t StepSelection(bool forward) override { return model.StepSelection(forward); }
    void Hide() override { model.Hide(); }
    void ApplySettings(const tagOSDSETTINGS& s) override {
        model.ApplySettings(s);
        Note(L"colors " + std::to_wstring(s.textColor) + L"/" + std::to_wstring(s.backgroundColor));
    }
    void SetMenu(const tagOSDMENU& menu) override { model.SetMenu(menu); }
    tagOSDMENU Menu() const override { return model.Menu(); }
    void SetMenuShown(bool shown) override { model.SetMenuShown(shown); }
    bool MenuShown() const override { return model.MenuShown(); }

    FakeClock clock;
    COsdModel model{clock, tagOSDSETTINGS{}};
};

} // namespace lm::test
