// Known folders given by the test.
#pragma once
#include "platform/KnownFolders.h"

#include <map>

namespace lm::test {

class FakeKnownFolders final : public IKnownFolders {
public:
    std::wstring ExecutablePath() override { return executable; }
    std::wstring Folder(KnownFolder folder) override {
        auto it = folders.find(folder);
        return it == folders.end() ? std::wstring() : it->second;
    }
    bool Is64BitSystem() override { return is64Bit; }
    std::wstring ExpandEnvironment(const std::wstring& text) override {
        std::wstring out = text;
        for (auto& [name, value] : environment) {
            const std::wstring ref = L"%" + name + L"%";
            for (size_t pos = out.find(ref); pos != std::wstring::npos;
                 pos = out.find(ref, pos + value.size()))
                out.replace(pos, ref.size(), value);
        }
        return out;
    }

    std::wstring executable;
    std::map<KnownFolder, std::wstring> folders;
    bool is64Bit = false;
    std::map<std::wstring, std::wstring> environment;
};

} // namespace lm::test
