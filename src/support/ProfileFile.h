// Private-profile (INI) files: the one implementation behind command-set files and language files.
// It behaves like the Windows profile functions on every case the program relies on: sections and
// keys are matched without regard to letter case and surrounding blanks, values are read with blanks
// and tabs stripped from both ends and one pair of matching double or single quotes removed, and the
// first occurrence of a section or key wins. Lines end at a carriage return, a line feed or both.
// Files are parsed once and reused until their size or modification time changes; within a
// CProfileScope that is looked at once per file. A write changes only the lines it concerns (the rest
// of the file keeps its bytes) and replaces the file atomically; an edit (CProfileEdit) makes many
// changes in memory and stores them with one such write. The store may be used from several threads.
#pragma once
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Locale.h"

namespace lm {

// Files without a byte-order mark are in the ANSI code page. Big-endian UTF-16 is only kept as found.
enum class ProfileEncoding { Ansi, Utf8Bom, Utf16LeBom, Utf16BeBom };

using ProfilePairs = std::vector<std::pair<std::wstring, std::wstring>>;

// The whole text of a profile file's bytes, decoded as the store reads it (byte-order mark or ANSI).
std::wstring DecodeProfileText(const std::string& bytes,
                               const IAnsiCodePage& ansi = NativeLocale().AnsiCodePage());

// The value to write so that the store and the Windows functions read back exactly `text`: a text with
// a blank at either end, or wrapped in a pair of matching quotes, goes inside one more pair of double
// quotes, which the reader removes. Other texts are written as they are.
std::wstring QuoteProfileValue(const std::wstring& text);

class CProfileStore;

// Changes to one file, made in memory and stored together. Reads through the edit see the changes made
// so far. Each change follows the rules of the store's single writes; a change the store would refuse
// makes the whole edit fail. Used by one thread at a time.
class CProfileEdit {
public:
    CProfileEdit(CProfileEdit&&) noexcept;
    CProfileEdit& operator=(CProfileEdit&&) noexcept;
    ~CProfileEdit();

    // Whether the file existed when the edit began.
    bool Exists() const;
    std::vector<std::wstring> SectionNames() const;
    // All lines of a section as the section reader gives them (values with their quotes).
    ProfilePairs Section(const std::wstring& section) const;
    bool GetString(const std::wstring& section, const std::wstring& key, std::wstring& value) const;

    // False for a name or value the store refuses; the edit has then failed.
    bool WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value);
    void DeleteKey(const std::wstring& section, const std::wstring& key);
    void DeleteSection(const std::wstring& section);

    // Stores every change with one atomic write; without a change nothing is written. False, with the
    // file as it was, when the edit failed, the file is read-only or unreadable, the write fails, or
    // another writer changed the file since the edit began.
    bool Commit();

private:
    friend class CProfileStore;
    struct State;
    CProfileEdit(CProfileStore& store, std::unique_ptr<State> state);
    CProfileStore* store_;
    std::unique_ptr<State> state_;
};

class CProfileStore {
public:
    // `ansi` is the code page of files without a byte-order mark; it must outlive the store.
    explicit CProfileStore(IFileSystem& fs, const IAnsiCodePage& ansi = NativeLocale().AnsiCodePage());
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
    ProfilePairs GetSection(const std::wstring& file, const std::wstring& section, size_t maxChars = 32768);
    // Section names in file order, within `maxChars` characters of "name\0" text.
    std::vector<std::wstring> GetSectionNames(const std::wstring& file, size_t maxChars = 4096);
    bool SectionExists(const std::wstring& file, const std::wstring& section);

    // Writes one value, creating section and file as needed (new files are UTF-16LE with a byte-order
    // mark; existing files keep their encoding, except that an ANSI file becomes UTF-16LE when the text
    // has characters the code page lacks). False when the file is read-only or cannot be read or
    // written, and for names or values that would change the file's structure (line breaks, "=" in a
    // key, a key starting with "[", an empty section or key); the file on disk is then unchanged.
    bool WriteString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                     const std::wstring& value);
    bool DeleteKey(const std::wstring& file, const std::wstring& section, const std::wstring& key);
    bool DeleteSection(const std::wstring& file, const std::wstring& section);
    // Begins an edit of the file as it is now.
    CProfileEdit Edit(const std::wstring& file);

    // Forgets the cached contents of a file (or of all files).
    void Invalidate(const std::wstring& file);
    void InvalidateAll();

    IFileSystem& FileSystem() { return fs_; }
    const IAnsiCodePage& AnsiCodePage() const { return ansi_; }

    // True when two section or key names are the same name to the store (letter case and surrounding
    // blanks aside).
    static bool NamesMatch(const std::wstring& a, const std::wstring& b);

private:
    friend class CProfileEdit;
    friend class CProfileScope;
    struct Impl;
    IFileSystem& fs_;
    const IAnsiCodePage& ansi_;
    std::unique_ptr<Impl> impl_;
};

// While a scope is open, the calling thread's reads through the store look at each file (its size and
// time) once and then use what they found: one operation (a list load, a keymap load, a save) costs
// one look per file, and the next operation still sees what another program changed in between. A
// file's own writes through the store are seen at once. Scopes nest; other threads are not affected.
class CProfileScope {
public:
    explicit CProfileScope(CProfileStore& store);
    ~CProfileScope();
    CProfileScope(const CProfileScope&) = delete;
    CProfileScope& operator=(const CProfileScope&) = delete;

private:
    CProfileStore::Impl* impl_;
};

} // namespace lm
