// A clock that moves only when told to.
#pragma once
#include "platform/Clock.h"

#include <atomic>

namespace lm::test {

class FakeClock final : public IClock {
public:
    uint32_t TickCount() override { return ticks_.load(); }
    tagLOCALTIME Now() override { return local_; }
    void Advance(uint32_t ms) { ticks_.fetch_add(ms); }
    void Set(uint32_t ticks) { ticks_.store(ticks); }
    tagLOCALTIME local_{2026, 12, 6, 0, 17, 5, 9, 42};

private:
    std::atomic<uint32_t> ticks_{0};
};

} // namespace lm::test
