// Sounds that are only written down, from any thread: "file <path>" or "resource <name>".
#pragma once
#include "platform/Sound.h"

#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace lm::test {

// What a fake did, written down from any thread and taken by the test.
class Notes {
public:
    std::vector<std::wstring> Take() {
        std::lock_guard lock(mutex_);
        return std::exchange(notes_, {});
    }

protected:
    bool Note(std::wstring what) {
        std::lock_guard lock(mutex_);
        notes_.push_back(std::move(what));
        return true;
    }

private:
    std::mutex mutex_;
    std::vector<std::wstring> notes_;
};

class FakeSound final : public ISound, public Notes {
public:
    bool PlayFile(const std::wstring& path) override { return Note(L"file " + path); }
    bool PlayResource(const std::wstring& name) override { return Note(L"resource " + name); }
};

} // namespace lm::test
