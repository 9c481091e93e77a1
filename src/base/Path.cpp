#include "base/Path.h"

namespace lm {
namespace {

size_t LastSeparator(const std::wstring& path) {
    return path.find_last_of(L"\\/");
}

} // namespace

std::wstring PathFileName(const std::wstring& path) {
    const size_t slash = LastSeparator(path);
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring PathFolder(const std::wstring& path) {
    const size_t slash = LastSeparator(path);
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring PathWithExtension(const std::wstring& path, const std::wstring& extension) {
    const size_t slash = LastSeparator(path);
    const size_t dot = path.rfind(L'.');
    if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash))
        return path.substr(0, dot) + extension;
    return path + extension;
}

std::wstring PathStem(const std::wstring& path) {
    const std::wstring name = PathFileName(path);
    const size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

std::wstring PathJoin(const std::wstring& a, const std::wstring& b) {
    if (a.empty())
        return b;
    if (IsPathSeparator(a.back()))
        return a + b;
    return a + kPathSeparator + b;
}

} // namespace lm
