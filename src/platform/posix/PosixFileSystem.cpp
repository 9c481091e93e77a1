// The file system of host builds. Paths are wide strings given to the system as UTF-8. A file is
// read-only when nobody may write it by its mode bits (as with the read-only attribute on Windows,
// this holds even for a user who could override it).
#include "platform/FileSystem.h"
#include "base/Text.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace lm {
namespace {

constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

std::string Native(const std::wstring& path) {
    return ToUtf8(path);
}

bool WriteFully(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

class PosixFileSystem final : public IFileSystem {
public:
    tagFILEINFO GetInfo(const std::wstring& path) override {
        tagFILEINFO info;
        struct stat st {};
        if (::stat(Native(path).c_str(), &st) != 0)
            return info;
        info.exists = true;
        info.directory = S_ISDIR(st.st_mode);
        info.readOnly = (st.st_mode & kWriteBits) == 0;
        info.size = static_cast<uint64_t>(st.st_size);
        info.modified = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        return info;
    }

    bool ReadAll(const std::wstring& path, std::string& bytes) override {
        int fd = ::open(Native(path).c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return false;
        struct stat st {};
        if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
            ::close(fd);
            return false;
        }
        std::string out;
        out.reserve(static_cast<size_t>(st.st_size));
        char buffer[65536];
        for (;;) {
            ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                ::close(fd);
                return false;
            }
            if (n == 0)
                break;
            out.append(buffer, static_cast<size_t>(n));
        }
        ::close(fd);
        bytes = std::move(out);
        return true;
    }

    bool WriteAtomic(const std::wstring& path, const std::string& bytes) override {
        const std::string target = Native(path);
        struct stat st {};
        bool existed = ::stat(target.c_str(), &st) == 0;
        if (existed && (S_ISDIR(st.st_mode) || (st.st_mode & kWriteBits) == 0))
            return false;
        std::string temp = target + ".tmpXXXXXX";
        int fd = ::mkstemp(temp.data());
        if (fd < 0)
            return false;
        bool ok = WriteFully(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
        // The new file keeps the permissions of the one it replaces.
        if (ok)
            ok = ::fchmod(fd, existed ? (st.st_mode & 07777) : 0644) == 0;
        ok = ::close(fd) == 0 && ok;
        if (ok)
            ok = ::rename(temp.c_str(), target.c_str()) == 0;
        if (!ok) {
            ::unlink(temp.c_str());
            return false;
        }
        // Make the rename itself durable.
        int dir = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
        return true;
    }

    int RemoveLeftoverTemporaries(const std::wstring& path) override {
        // The temporaries are named "<file>.tmp" and six characters of mkstemp.
        const std::string target = Native(path);
        const std::string folder = FolderOf(target);
        const std::string prefix = target.substr(target.rfind('/') + 1) + ".tmp";
        int removed = 0;
        for (const std::wstring& entry : List(FromUtf8(folder))) {
            const std::string name = ToUtf8(entry);
            if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0 &&
                ::unlink((folder + "/" + name).c_str()) == 0)
                ++removed;
        }
        return removed;
    }

    bool SetReadOnly(const std::wstring& path, bool readOnly) override {
        const std::string p = Native(path);
        struct stat st {};
        if (::stat(p.c_str(), &st) != 0)
            return false;
        mode_t mode = st.st_mode & 07777;
        mode = readOnly ? (mode & ~kWriteBits) : (mode | S_IWUSR);
        return ::chmod(p.c_str(), mode) == 0;
    }

    bool Remove(const std::wstring& path) override { return ::unlink(Native(path).c_str()) == 0; }

    bool Copy(const std::wstring& from, const std::wstring& to) override {
        std::string bytes;
        if (!ReadAll(from, bytes))
            return false;
        const std::string target = Native(to);
        int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0)
            return false;
        bool ok = WriteFully(fd, bytes.data(), bytes.size());
        ok = ::close(fd) == 0 && ok;
        if (!ok)
            ::unlink(target.c_str());
        return ok;
    }

    bool CreateDirectories(const std::wstring& path) override {
        std::string p = Native(path);
        while (p.size() > 1 && p.back() == '/')
            p.pop_back();
        if (p.empty())
            return false;
        for (size_t pos = p.find('/', 1);; pos = p.find('/', pos + 1)) {
            std::string part = pos == std::string::npos ? p : p.substr(0, pos);
            if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
                return false;
            if (pos == std::string::npos)
                break;
        }
        struct stat st {};
        return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }

    std::vector<std::wstring> List(const std::wstring& folder) override {
        std::vector<std::wstring> out;
        DIR* dir = ::opendir(Native(folder).c_str());
        if (!dir)
            return out;
        while (dirent* e = ::readdir(dir)) {
            std::string name = e->d_name;
            if (name != "." && name != "..")
                out.push_back(FromUtf8(name));
        }
        ::closedir(dir);
        return out;
    }
};

} // namespace

IFileSystem& NativeFileSystem() {
    static PosixFileSystem fs;
    return fs;
}

} // namespace lm
