// The display's model without a window, from any thread, writing down every text and settings block.
#pragma once
#include "osd/OsdDisplay.h"

#include "fakes/FakeClock.h"

#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace lm::test {

class FakeDisplay final : public IOsdDisplay {
public:
    void ShowText(const std::wstring& text) override {
        if (model.ShowText(text))
            Note(text);
    }
    void ShowMenu() override { model.ShowMenu(); }
    void SetSelection(int32_t index) override { model.SetSelection(index); }
    int32_t StepSelection(bool forward) override { return model.StepSelection(forward); }
    void Hide() override { model.Hide(); }
    void ApplySettings(const tagOSDSETTINGS& settings) override {
        model.ApplySettings(settings);
        Note(L"colors " + std::to_wstring(settings.textColor) + L"/" +
             std::to_wstring(settings.backgroundColor));
    }
    void SetMenu(const tagOSDMENU& menu) override { model.SetMenu(menu); }
    tagOSDMENU Menu() const override { return model.Menu(); }
    void SetMenuShown(bool shown) override { model.SetMenuShown(shown); }
    bool MenuShown() const override { return model.MenuShown(); }

    // Takes the texts shown and settings applied so far.
    std::vector<std::wstring> Take() {
        std::lock_guard lock(mutex_);
        return std::exchange(shown_, {});
    }

    FakeClock clock;
    COsdModel model{clock, tagOSDSETTINGS{}};

private:
    void Note(std::wstring what) {
        std::lock_guard lock(mutex_);
        shown_.push_back(std::move(what));
    }
    std::mutex mutex_;
    std::vector<std::wstring> shown_;
};

} // namespace lm::test
