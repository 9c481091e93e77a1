// Paths as text: splitting and joining with either kind of separator. Nothing here touches the disk.
#pragma once
#include <string>

namespace lm {

#ifdef _WIN32
constexpr wchar_t kPathSeparator = L'\\';
#else
constexpr wchar_t kPathSeparator = L'/';
#endif

inline bool IsPathSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// The part after the last separator (the whole path when it has none).
std::wstring PathFileName(const std::wstring& path);
// The part before the last separator, without it (empty when there is none).
std::wstring PathFolder(const std::wstring& path);
// The path with the extension of its file name (from the last dot on) replaced; `extension` starts
// with its dot. A file name without a dot gets the extension appended.
std::wstring PathWithExtension(const std::wstring& path, const std::wstring& extension);
// The file name without its extension.
std::wstring PathStem(const std::wstring& path);
// Joins two path parts with one separator.
std::wstring PathJoin(const std::wstring& a, const std::wstring& b);

} // namespace lm
