// The single-instance lock of tests: the names claimed so far in this object.
#pragma once
#include "platform/Instance.h"

#include <set>

namespace lm::test {

class FakeInstanceLock final : public IInstanceLock {
public:
    bool Claim(const std::wstring& name) override { return claimed.insert(name).second; }
    std::set<std::wstring> claimed;
};

} // namespace lm::test
