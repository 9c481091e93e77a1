// The program's settings on a registry of their own, as the key path reads them.
#pragma once
#include "app/Settings.h"
#include "fakes/FakeRegistry.h"

#include <functional>

namespace lm::test {

struct FakeSettings final : IFirstRun {
    void AutoFindApps() override {}
    void Change(const std::function<void(tagSETTINGS&)>& change) {
        tagSETTINGS block = settings.Get();
        change(block);
        settings.Set(block);
    }
    FakeRegistry registry;
    CLMRegistry key{registry, RegistryHive::CurrentUser, L"Software\\Lumora\\Remote Control"};
    CSettings settings{key, *this, L"RC.exe"};
};

} // namespace lm::test
