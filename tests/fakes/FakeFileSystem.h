// An in-memory file system. Paths are compared as given; folders are implied by the files in them
// and by CreateDirectories. Its operations may be called from several threads; the public fields are
// for the test's own thread.
#pragma once
#include "platform/FileSystem.h"

#include <map>
#include <mutex>
#include <set>

namespace lm::test {

class FakeFileSystem final : public IFileSystem {
public:
    struct File {
        std::string bytes;
        bool readOnly = false;
        int64_t modified = 0;
    };

    tagFILEINFO GetInfo(const std::wstring& path) override {
        std::lock_guard<std::mutex> lock(mutex_);
        ++looks;
        tagFILEINFO info;
        if (auto it = files.find(path); it != files.end()) {
            info.exists = true;
            info.readOnly = it->second.readOnly;
            info.size = it->second.bytes.size();
            info.modified = it->second.modified;
        } else if (folders.count(Trim(path))) {
            info.exists = true;
            info.directory = true;
        }
        return info;
    }
    bool ReadAll(const std::wstring& path, std::string& bytes) override {
        std::lock_guard<std::mutex> lock(mutex_);
        ++reads;
        auto it = files.find(path);
        if (it == files.end())
            return false;
        bytes = it->second.bytes;
        return true;
    }
    bool WriteAtomic(const std::wstring& path, const std::string& bytes) override {
        std::lock_guard<std::mutex> lock(mutex_);
        ++writes;
        if (failWrites)
            return false;
        auto it = files.find(path);
        if (it != files.end() && it->second.readOnly)
            return false;
        File& f = files[path];
        f.bytes = bytes;
        f.modified = ++clock;
        return true;
    }
    int RemoveLeftoverTemporaries(const std::wstring&) override { return 0; } // writes leave none here
    bool SetReadOnly(const std::wstring& path, bool readOnly) override {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = files.find(path);
        if (it == files.end())
            return false;
        it->second.readOnly = readOnly;
        return true;
    }
    bool Remove(const std::wstring& path) override {
        std::lock_guard<std::mutex> lock(mutex_);
        return files.erase(path) != 0;
    }
    bool Copy(const std::wstring& from, const std::wstring& to) override {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = files.find(from);
        if (it == files.end())
            return false;
        File copy = it->second;
        copy.modified = ++clock;
        files[to] = copy;
        return true;
    }
    bool CreateDirectories(const std::wstring& path) override {
        std::lock_guard<std::mutex> lock(mutex_);
        folders.insert(Trim(path));
        return true;
    }
    std::vector<std::wstring> List(const std::wstring& folder) override {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<std::wstring> out;
        std::wstring prefix = Trim(folder) + kPathSeparator;
        for (auto& [path, f] : files)
            if (path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0 &&
                path.find(kPathSeparator, prefix.size()) == std::wstring::npos)
                out.push_back(path.substr(prefix.size()));
        return out;
    }
    // Puts a file in place as if written by another program.
    void Put(const std::wstring& path, const std::string& bytes) {
        std::lock_guard<std::mutex> lock(mutex_);
        files[path].bytes = bytes;
        files[path].modified = ++clock;
    }

    std::map<std::wstring, File> files;
    std::set<std::wstring> folders;
    bool failWrites = false;
    int looks = 0; // GetInfo calls
    int reads = 0;
    int writes = 0;
    int64_t clock = 0;

private:
    std::mutex mutex_;
    static std::wstring Trim(std::wstring p) {
        while (p.size() > 1 && (p.back() == L'\\' || p.back() == L'/'))
            p.pop_back();
        return p;
    }
};

} // namespace lm::test
