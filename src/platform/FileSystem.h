// Files and folders as the program needs them. Paths are native paths of the system.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/Path.h"

namespace lm {

struct tagFILEINFO {
    bool exists = false;
    bool directory = false;
    bool readOnly = false;
    uint64_t size = 0;
    int64_t modified = 0; // opaque, only compared for change
};

class IFileSystem {
public:
    virtual ~IFileSystem() = default;
    virtual tagFILEINFO GetInfo(const std::wstring& path) = 0;
    // Reads the whole file; false when it cannot be read.
    virtual bool ReadAll(const std::wstring& path, std::string& bytes) = 0;
    // Writes a temporary file beside the target, flushes it and renames it over the target, so a crash
    // or a full disk never leaves a half-written file. False leaves the old file as it was. A read-only
    // target is not written.
    virtual bool WriteAtomic(const std::wstring& path, const std::string& bytes) = 0;
    // Removes the temporary files WriteAtomic of `path` left behind when its process ended before the
    // rename. A write of another process that runs meanwhile would fail, so this is for start-up, when
    // no other instance writes the file. Returns how many were removed.
    virtual int RemoveLeftoverTemporaries(const std::wstring& path) = 0;
    virtual bool SetReadOnly(const std::wstring& path, bool readOnly) = 0;
    virtual bool Remove(const std::wstring& path) = 0;
    virtual bool Copy(const std::wstring& from, const std::wstring& to) = 0;
    // Creates the folder and any missing parents; true when it exists afterwards.
    virtual bool CreateDirectories(const std::wstring& path) = 0;
    // Names (not paths) of the entries of a folder.
    virtual std::vector<std::wstring> List(const std::wstring& folder) = 0;
};

// The file system of this computer; it lives for the whole process and may be used from any thread.
IFileSystem& NativeFileSystem();

} // namespace lm
