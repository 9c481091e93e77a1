// Private-profile (INI) files: the one implementation behind command-set files and language files.
// It behaves like the Windows profile functions on every case the program relies on: sections and
// keys are matched without regard to letter case and surrounding blanks, values are read with blanks
// and tabs stripped from both ends and one pair of matching double or single quotes removed, and the
// first occurrence of a section or key wins. Lines end at a carriage return, a line feed or both.
// Files are parsed once and reused until their size or modification time changes. A write changes
// only the line it concerns (the rest of the file keeps its bytes) and replaces the file atomically.
// The store may be used from several threads.
#pragma once
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"

namespace lm {

// Files without a byte-order mark are Windows-1252. Big-endian UTF-16 is only kept as found.
enum class ProfileEncoding { Ansi, Utf8Bom, Utf16LeBom, Utf16BeBom };

// The whole text of a profile file's bytes, decoded as the store reads it (byte-order mark or ANSI).
std::wstring DecodeProfileText(const std::string& bytes);

class CProfileStore {
public:
    explicit CProfileStore(IFileSystem& fs);
    ~CProfileStore();
    CProfileStore(const CProfileStore&) = delete;
    CProfileStore& operator=(const CProfileStore&) = delete;

    // Reads one value. Returns false and gives `def` when the file, section or key is missing.
    bool GetString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                   std::wstring& value, const std::wstring& def = std::wstring());
    std::wstring GetString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                           const std::wstring& def = std::wstring());
    // The lines of a section as key and value pairs in file order, as the section reader of the
    // Windows functions gives them, within `maxChars` characters of "key=value\0" text.
    std::vector<std::pair<std::wstring, std::wstring>>
    GetSection(const std::wstring& file, const std::wstring& section, size_t maxChars = 32768);
    // Section names in file order, within `maxChars` characters of "name\0" text.
    std::vector<std::wstring> GetSectionNames(const std::wstring& file, size_t maxChars = 4096);
    bool SectionExists(const std::wstring& file, const std::wstring& section);

    // Writes one value, creating section and file as needed (new files are UTF-16LE with a byte-order
    // mark; existing files keep their encoding, except that a Windows-1252 file becomes UTF-16LE when
    // the text has characters the code page lacks). False when the file is read-only or cannot be read
    // or written, and for names or values that would change the file's structure (line breaks, "=" in
    // a key, a key starting with "[", an empty section or key); the file on disk is then unchanged.
    bool WriteString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                     const std::wstring& value);
    bool DeleteKey(const std::wstring& file, const std::wstring& section, const std::wstring& key);
    bool DeleteSection(const std::wstring& file, const std::wstring& section);

    // Forgets the cached contents of a file (or of all files).
    void Invalidate(const std::wstring& file);
    void InvalidateAll();

    IFileSystem& FileSystem() { return fs_; }

    // True when two section or key names are the same name to the store (letter case and surrounding
    // blanks aside).
    static bool NamesMatch(const std::wstring& a, const std::wstring& b);

private:
    struct Impl;
    IFileSystem& fs_;
    std::unique_ptr<Impl> impl_;
};

} // namespace lm
