// The Windows file system. An atomic write goes to a temporary file in the target's folder, is flushed
// to disk and then renamed over the target in one step, so the target is either the old or the new
// file, never a part of one.
#include "platform/FileSystem.h"
#include "base/Text.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cwchar>

namespace lm {
namespace {

class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (Valid())
            CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool Valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    HANDLE Get() const { return h_; }
    bool Close() {
        HANDLE h = h_;
        h_ = INVALID_HANDLE_VALUE;
        return CloseHandle(h) != FALSE;
    }

private:
    HANDLE h_;
};

bool WriteFully(HANDLE h, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(h, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

std::wstring TempNameFor(const std::wstring& path) {
    static std::atomic<unsigned> counter{0};
    wchar_t suffix[48];
    swprintf(suffix, 48, L".%lx-%x.tmp", static_cast<unsigned long>(GetCurrentProcessId()), ++counter);
    return path + suffix;
}

class Win32FileSystem final : public IFileSystem {
public:
    tagFILEINFO GetInfo(const std::wstring& path) override {
        tagFILEINFO info;
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
            return info;
        info.exists = true;
        info.directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        info.readOnly = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
        info.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        info.modified =
            static_cast<int64_t>((static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                                 data.ftLastWriteTime.dwLowDateTime);
        return info;
    }

    bool ReadAll(const std::wstring& path, std::string& bytes) override {
        Handle h(CreateFileW(path.c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h.Valid())
            return false;
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(h.Get(), &size) || size.QuadPart < 0 || size.QuadPart > (1ll << 31))
            return false;
        std::string out(static_cast<size_t>(size.QuadPart), '\0');
        size_t done = 0;
        while (done < out.size()) {
            DWORD got = 0;
            if (!ReadFile(h.Get(), out.data() + done, static_cast<DWORD>(out.size() - done), &got, nullptr))
                return false;
            if (got == 0)
                break; // the file shrank meanwhile
            done += got;
        }
        out.resize(done);
        bytes = std::move(out);
        return true;
    }

    bool WriteAtomic(const std::wstring& path, const std::string& bytes) override {
        DWORD attributes = GetFileAttributesW(path.c_str());
        bool existed = attributes != INVALID_FILE_ATTRIBUTES;
        if (existed && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
            return false;
        const std::wstring temp = TempNameFor(path);
        Handle h(
            CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h.Valid())
            return false;
        bool ok = WriteFully(h.Get(), bytes) && FlushFileBuffers(h.Get());
        ok = h.Close() && ok;
        // The new file keeps the attributes of the old one (hidden, archive and the like).
        if (ok && existed)
            SetFileAttributesW(temp.c_str(), attributes & ~FILE_ATTRIBUTE_NORMAL);
        if (ok)
            ok = MoveFileExW(temp.c_str(), path.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
        if (!ok) {
            SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(temp.c_str());
        }
        return ok;
    }

    int RemoveLeftoverTemporaries(const std::wstring& path) override {
        // The temporaries are named "<file>.<process>-<counter>.tmp" in hexadecimal digits.
        const size_t slash = path.find_last_of(L"\\/");
        const std::wstring folder = slash == std::wstring::npos ? L"." : path.substr(0, slash);
        const std::wstring prefix = (slash == std::wstring::npos ? path : path.substr(slash + 1)) + L".";
        int removed = 0;
        for (const std::wstring& name : List(folder)) {
            if (name.size() <= prefix.size() + 4 || !SameText(name.substr(0, prefix.size()), prefix) ||
                !SameText(name.substr(name.size() - 4), L".tmp"))
                continue;
            const std::wstring middle = name.substr(prefix.size(), name.size() - prefix.size() - 4);
            const size_t dash = middle.find(L'-');
            if (dash == 0 || dash == std::wstring::npos || dash + 1 == middle.size() ||
                middle.find_first_not_of(L"0123456789abcdefABCDEF-") != std::wstring::npos)
                continue;
            const std::wstring full = PathJoin(folder, name);
            SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (DeleteFileW(full.c_str()))
                ++removed;
        }
        return removed;
    }

    bool SetReadOnly(const std::wstring& path, bool readOnly) override {
        DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return false;
        attributes =
            readOnly ? (attributes | FILE_ATTRIBUTE_READONLY) : (attributes & ~FILE_ATTRIBUTE_READONLY);
        return SetFileAttributesW(path.c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL) != FALSE;
    }

    bool Remove(const std::wstring& path) override { return DeleteFileW(path.c_str()) != FALSE; }

    bool Copy(const std::wstring& from, const std::wstring& to) override {
        return CopyFileW(from.c_str(), to.c_str(), FALSE) != FALSE;
    }

    bool CreateDirectories(const std::wstring& path) override {
        std::wstring p = path;
        while (p.size() > 1 && (p.back() == L'\\' || p.back() == L'/'))
            p.pop_back();
        if (p.empty())
            return false;
        DWORD attributes = GetFileAttributesW(p.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES)
            return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        size_t slash = p.find_last_of(L"\\/");
        // Create the parent first unless it is a drive root or there is none.
        if (slash != std::wstring::npos && slash > 0 && p[slash - 1] != L':')
            if (!CreateDirectories(p.substr(0, slash)))
                return false;
        if (CreateDirectoryW(p.c_str(), nullptr))
            return true;
        attributes = GetFileAttributesW(p.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    std::vector<std::wstring> List(const std::wstring& folder) override {
        std::vector<std::wstring> out;
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW(PathJoin(folder, L"*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE)
            return out;
        do {
            std::wstring name = data.cFileName;
            if (name != L"." && name != L"..")
                out.push_back(name);
        } while (FindNextFileW(find, &data));
        FindClose(find);
        return out;
    }
};

} // namespace

IFileSystem& NativeFileSystem() {
    static Win32FileSystem fs;
    return fs;
}

} // namespace lm
