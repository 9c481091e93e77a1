// Sounds that are only written down, from any thread: "file <path>" or "resource <name>".
#pragma once
#include "platform/Sound.h"

#include <mutex>
#include <utility>
#include <string>
#include <vector>

namespace lm::test {

class FakeSound final : public ISound {
public:
    bool PlayFile(const std::wstring& path) override { return Note(L"file " + path); }
    bool PlayResource(const std::wstring& name) override { return Note(L"resource " + name); }
    // Takes what was played so far.
    std::vector<std::wstring> Take() {
        std::lock_guard lock(mutex_);
        return std::exchange(played_, {});
    }

private:
    bool Note(std::wstring what) {
        std::lock_guard lock(mutex_);
        played_.push_back(std::move(what));
        return true;
    }
    std::mutex mutex_;
    std::vector<std::wstring> played_;
};

} // namespace lm::test
