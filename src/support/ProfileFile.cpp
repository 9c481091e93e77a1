// Private-profile files. A file is kept as its bytes plus an index of its lines, sections and keys.
// Reads use the index; a write splices the changed line into the bytes, so every other line of the
// file, its comments, blank lines, line ends and even bytes that do not decode stay exactly as they
// were. The parsed form is dropped when the file's size or modification time changes.
#include "support/ProfileFile.h"
#include "base/Text.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

namespace lm {
namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

// ---------------------------------------------------------------------------------------------
// Characters

// Blanks as the Windows profile functions see them: ASCII white space, and Ctrl+Z, which old DOS
// editors left at the end of files. Other Unicode spaces are part of names and values.
bool IsProfileSpace(wchar_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20;
}

std::wstring TrimProfile(const std::wstring& s) {
    return Trim(s, IsProfileSpace);
}

// The form under which names are matched: trimmed and folded.
std::wstring MatchForm(const std::wstring& s) {
    return TextToLower(TrimProfile(s));
}

// Text given by a caller ends at its first zero, as a C string would.
std::wstring CutAtZero(const std::wstring& s) {
    size_t z = s.find(L'\0');
    return z == std::wstring::npos ? s : s.substr(0, z);
}

bool HasLineBreak(const std::wstring& s) {
    return s.find_first_of(L"\r\n") != std::wstring::npos;
}

// ---------------------------------------------------------------------------------------------
// Encodings

// Windows-1252, bytes 0x80..0x9F; the five bytes the code page leaves undefined map to the C1 control
// characters of the same value, as the Windows conversion does, so every byte survives a round trip.
constexpr uint16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

wchar_t FromCp1252(unsigned char b) {
    if (b >= 0x80 && b <= 0x9F)
        return static_cast<wchar_t>(kCp1252High[b - 0x80]);
    return static_cast<wchar_t>(b);
}

// False when the character has no byte in the code page.
bool ToCp1252(uint32_t c, unsigned char& b) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        b = static_cast<unsigned char>(c);
        return true;
    }
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] == c) {
            b = static_cast<unsigned char>(0x80 + i);
            return true;
        }
    return false;
}

// Next code point of wide text; on 16-bit wide characters surrogate pairs are joined and a lone
// surrogate is given as it is.
uint32_t NextCodePoint(const std::wstring& s, size_t& i) {
    uint32_t c = static_cast<uint32_t>(s[i++]);
    if constexpr (sizeof(wchar_t) == 2) {
        c &= 0xFFFF;
        if (c >= 0xD800 && c <= 0xDBFF && i < s.size()) {
            uint32_t d = static_cast<uint32_t>(s[i]) & 0xFFFF;
            if (d >= 0xDC00 && d <= 0xDFFF) {
                ++i;
                return 0x10000 + ((c - 0xD800) << 10) + (d - 0xDC00);
            }
        }
    }
    return c;
}

std::wstring DecodeUtf16(const unsigned char* s, size_t units, bool bigEndian) {
    std::wstring out;
    out.reserve(units);
    auto unit = [&](size_t k) -> uint32_t {
        return bigEndian ? (uint32_t(s[2 * k]) << 8) | s[2 * k + 1]
                         : s[2 * k] | (uint32_t(s[2 * k + 1]) << 8);
    };
    for (size_t k = 0; k < units; ++k) {
        uint32_t c = unit(k);
        if constexpr (sizeof(wchar_t) != 2) {
            if (c >= 0xD800 && c <= 0xDBFF && k + 1 < units) {
                uint32_t d = unit(k + 1);
                if (d >= 0xDC00 && d <= 0xDFFF) {
                    out += static_cast<wchar_t>(0x10000 + ((c - 0xD800) << 10) + (d - 0xDC00));
                    ++k;
                    continue;
                }
            }
        }
        out += static_cast<wchar_t>(c);
    }
    return out;
}

bool EncodeText(const std::wstring& text, ProfileEncoding enc, std::string& out) {
    for (size_t i = 0; i < text.size();) {
        uint32_t cp = NextCodePoint(text, i);
        switch (enc) {
        case ProfileEncoding::Ansi: {
            unsigned char b;
            if (!ToCp1252(cp, b))
                return false;
            out += static_cast<char>(b);
            break;
        }
        case ProfileEncoding::Utf8Bom:
            AppendUtf8(out, static_cast<char32_t>(cp));
            break;
        case ProfileEncoding::Utf16LeBom:
        case ProfileEncoding::Utf16BeBom: {
            bool be = enc == ProfileEncoding::Utf16BeBom;
            auto put = [&](uint32_t u) {
                char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>((u >> 8) & 0xFF);
                out += be ? hi : lo;
                out += be ? lo : hi;
            };
            if (cp > 0x10FFFF) {
                put(0xFFFD);
            } else if (cp >= 0x10000) {
                put(0xD800 + ((cp - 0x10000) >> 10));
                put(0xDC00 + ((cp - 0x10000) & 0x3FF));
            } else {
                put(cp);
            }
            break;
        }
        }
    }
    return true;
}

const char kBomUtf8[] = "\xEF\xBB\xBF";
const char kBomUtf16Le[] = "\xFF\xFE";
const char kBomUtf16Be[] = "\xFE\xFF";

// ---------------------------------------------------------------------------------------------
// The parsed form of one file

struct Line {
    size_t begin = 0;   // first byte of the line
    size_t content = 0; // first byte of its line end ("\r\n" or "\n"), or its end when it has none
    size_t end = 0;     // first byte after the line end
};

struct Key {
    std::wstring name;  // trimmed, as written in the file
    std::wstring value; // trimmed, quotes kept
    bool hasValue = false;
    size_t line = 0;
};

struct Section {
    std::wstring name;     // as written between the brackets
    size_t header = kNone; // line of the header; none for the lines before the first header
    size_t last = kNone;   // last line of the section that is not blank
    std::vector<Key> keys;
    std::unordered_map<std::wstring, size_t> index; // first key of each match form
};

struct Parsed {
    std::string bytes;
    ProfileEncoding encoding = ProfileEncoding::Ansi;
    size_t bomSize = 0;
    size_t textEnd = 0; // end of the whole code units (a half UTF-16 unit at the end is not text)
    std::vector<Line> lines;
    std::vector<Section> sections;
    std::unordered_map<std::wstring, size_t> index; // first section of each match form

    const Section* FindSection(const std::wstring& matchForm) const {
        auto it = index.find(matchForm);
        return it == index.end() ? nullptr : &sections[it->second];
    }
};

ProfileEncoding DetectEncoding(const std::string& b, size_t& bomSize) {
    if (b.size() >= 3 && b.compare(0, 3, kBomUtf8) == 0) {
        bomSize = 3;
        return ProfileEncoding::Utf8Bom;
    }
    if (b.size() >= 2 && b.compare(0, 2, kBomUtf16Le) == 0) {
        bomSize = 2;
        return ProfileEncoding::Utf16LeBom;
    }
    if (b.size() >= 2 && b.compare(0, 2, kBomUtf16Be) == 0) {
        bomSize = 2;
        return ProfileEncoding::Utf16BeBom;
    }
    bomSize = 0;
    return ProfileEncoding::Ansi;
}

std::wstring DecodeBytes(ProfileEncoding encoding, const unsigned char* s, size_t n) {
    switch (encoding) {
    case ProfileEncoding::Ansi: {
        std::wstring out(n, L'\0');
        for (size_t i = 0; i < n; ++i)
            out[i] = FromCp1252(s[i]);
        return out;
    }
    case ProfileEncoding::Utf8Bom:
        return FromUtf8(reinterpret_cast<const char*>(s), n);
    case ProfileEncoding::Utf16LeBom:
        return DecodeUtf16(s, n / 2, false);
    case ProfileEncoding::Utf16BeBom:
        return DecodeUtf16(s, n / 2, true);
    }
    return {};
}

std::wstring DecodeRange(const Parsed& p, size_t from, size_t to) {
    return DecodeBytes(p.encoding, reinterpret_cast<const unsigned char*>(p.bytes.data()) + from, to - from);
}

std::shared_ptr<Parsed> Parse(std::string bytes) {
    auto p = std::make_shared<Parsed>();
    p->bytes = std::move(bytes);
    p->encoding = DetectEncoding(p->bytes, p->bomSize);
    const std::string& b = p->bytes;
    const size_t unit =
        (p->encoding == ProfileEncoding::Utf16LeBom || p->encoding == ProfileEncoding::Utf16BeBom) ? 2 : 1;
    p->textEnd = p->bomSize + (b.size() - p->bomSize) / unit * unit;
    auto at = [&](size_t pos) -> uint32_t {
        auto u = reinterpret_cast<const unsigned char*>(b.data()) + pos;
        if (unit == 1)
            return u[0];
        return p->encoding == ProfileEncoding::Utf16LeBom ? (u[0] | (uint32_t(u[1]) << 8))
                                                          : ((uint32_t(u[0]) << 8) | u[1]);
    };

    // The keys before the first header form a section without a name. As with the Windows functions,
    // an empty name finds it (and so never a later "[]"), but it is not listed and not written to.
    p->sections.emplace_back();
    p->index.emplace(std::wstring(), 0);
    Section* cur = &p->sections.back();
    for (size_t pos = p->bomSize; pos < p->textEnd;) {
        Line line;
        line.begin = pos;
        // A line ends at a carriage return, a line feed, or both together.
        size_t br = pos;
        if (unit == 1) {
            while (br < p->textEnd && b[br] != '\n' && b[br] != '\r')
                ++br;
        } else {
            while (br < p->textEnd && at(br) != 0x0A && at(br) != 0x0D)
                br += unit;
        }
        line.content = line.end = br;
        if (br < p->textEnd) {
            line.end = br + unit;
            if (at(br) == 0x0D && line.end < p->textEnd && at(line.end) == 0x0A)
                line.end += unit;
        }
        pos = line.end;
        const size_t lineIndex = p->lines.size();
        p->lines.push_back(line);

        std::wstring text = DecodeRange(*p, line.begin, line.content);
        size_t s = 0, e = text.size();
        while (s < e && IsProfileSpace(text[s]))
            ++s;
        while (e > s && IsProfileSpace(text[e - 1]))
            --e;
        if (s == e)
            continue;

        if (text[s] == L'[') {
            size_t close = text.rfind(L']', e - 1);
            if (close != std::wstring::npos && close > s) {
                Section sec;
                sec.name = TrimProfile(CutAtZero(text.substr(s + 1, close - s - 1)));
                sec.header = sec.last = lineIndex;
                p->sections.push_back(std::move(sec));
                cur = &p->sections.back();
                p->index.emplace(MatchForm(cur->name), p->sections.size() - 1);
                continue;
            }
            // A header without its closing bracket is an ordinary line of the section.
        }

        Key key;
        key.line = lineIndex;
        size_t eq = text.find(L'=', s);
        if (eq != std::wstring::npos && eq < e) {
            size_t ne = eq;
            while (ne > s && IsProfileSpace(text[ne - 1]))
                --ne;
            size_t vs = eq + 1;
            while (vs < e && IsProfileSpace(text[vs]))
                ++vs;
            key.name = CutAtZero(text.substr(s, ne - s));
            key.value = CutAtZero(text.substr(vs, e - vs));
            key.hasValue = true;
        } else {
            key.name = CutAtZero(text.substr(s, e - s));
        }
        cur->last = lineIndex;
        // Of several lines without a name in a row only the first counts, as with the Windows functions.
        if (key.name.empty() && !cur->keys.empty() && cur->keys.back().name.empty())
            continue;
        cur->index.emplace(MatchForm(key.name), cur->keys.size());
        cur->keys.push_back(std::move(key));
    }
    return p;
}

// The value as the string reader gives it: one pair of matching single or double quotes around it is
// removed.
std::wstring Unquote(const std::wstring& v) {
    if (v.size() >= 2 && (v.front() == L'"' || v.front() == L'\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The store

struct CProfileStore::Impl {
    struct Entry {
        FileInfo info;
        std::shared_ptr<const Parsed> parsed; // null when the file does not exist
    };
    enum class State { Missing, Loaded, Unreadable };

    // The cache lock is held while a file is looked at and parsed, never during a lookup in the parsed
    // form (which does not change once made) nor while a file is written. Writers take turns.
    std::mutex mutex;
    std::mutex writeMutex;
    std::unordered_map<std::wstring, Entry> files;

    // The current contents of a file, parsed again only when the file changed since the last look.
    State Snapshot(IFileSystem& fs, const std::wstring& path, std::shared_ptr<const Parsed>& parsed,
                   FileInfo& info) {
        std::lock_guard<std::mutex> lock(mutex);
        parsed.reset();
        info = fs.GetInfo(path);
        if (!info.exists || info.directory) {
            files.erase(path);
            return info.exists ? State::Unreadable : State::Missing;
        }
        auto it = files.find(path);
        if (it != files.end() && it->second.info.size == info.size &&
            it->second.info.modified == info.modified) {
            it->second.info.readOnly = info.readOnly;
            parsed = it->second.parsed;
            return State::Loaded;
        }
        std::string bytes;
        if (!fs.ReadAll(path, bytes)) {
            files.erase(path);
            return State::Unreadable;
        }
        parsed = Parse(std::move(bytes));
        files[path] = Entry{info, parsed};
        return State::Loaded;
    }

    // Replaces bytes [from, to) of the file (null: a new file) by the text and writes the result. Without
    // a change nothing is written. On failure the cached form stays, as the file does.
    bool Store(IFileSystem& fs, const std::wstring& path, const std::shared_ptr<const Parsed>& old,
               size_t from, size_t to, const std::wstring& text) {
        std::string bytes;
        ProfileEncoding enc = old ? old->encoding : ProfileEncoding::Utf16LeBom;
        std::string encoded;
        if (!EncodeText(text, enc, encoded)) {
            // The text does not fit the file's code page: the file becomes UTF-16 rather than lose it.
            std::wstring before = DecodeRange(*old, old->bomSize, from);
            std::wstring after = DecodeRange(*old, to, old->textEnd);
            enc = ProfileEncoding::Utf16LeBom;
            bytes = kBomUtf16Le;
            EncodeText(before + text + after, enc, bytes);
        } else if (!old) {
            bytes = kBomUtf16Le + encoded;
        } else {
            bytes.reserve(old->textEnd + encoded.size());
            bytes.append(old->bytes, 0, from);
            bytes += encoded;
            bytes.append(old->bytes, to, old->textEnd - to);
        }
        if (old && bytes == old->bytes)
            return true;
        if (!fs.WriteAtomic(path, bytes))
            return false;
        std::shared_ptr<const Parsed> parsed = Parse(std::move(bytes));
        std::lock_guard<std::mutex> lock(mutex);
        FileInfo info = fs.GetInfo(path);
        if (info.exists)
            files[path] = Entry{info, std::move(parsed)};
        else
            files.erase(path);
        return true;
    }
};

std::wstring DecodeProfileText(const std::string& bytes) {
    size_t bom = 0;
    ProfileEncoding encoding = DetectEncoding(bytes, bom);
    return DecodeBytes(encoding, reinterpret_cast<const unsigned char*>(bytes.data()) + bom,
                       bytes.size() - bom);
}

CProfileStore::CProfileStore(IFileSystem& fs) : fs_(fs), impl_(std::make_unique<Impl>()) {}

CProfileStore::~CProfileStore() = default;

bool CProfileStore::GetString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                              std::wstring& value, const std::wstring& def) {
    std::shared_ptr<const Parsed> p;
    FileInfo info;
    if (impl_->Snapshot(fs_, file, p, info) == Impl::State::Loaded) {
        if (const Section* sec = p->FindSection(MatchForm(CutAtZero(section)))) {
            std::wstring k = MatchForm(CutAtZero(key));
            auto it = sec->index.find(k);
            if (it != sec->index.end() && sec->keys[it->second].hasValue) {
                value = Unquote(sec->keys[it->second].value);
                return true;
            }
        }
    }
    value = def;
    return false;
}

std::wstring CProfileStore::GetString(const std::wstring& file, const std::wstring& section,
                                      const std::wstring& key, const std::wstring& def) {
    std::wstring value;
    GetString(file, section, key, value, def);
    return value;
}

std::vector<std::pair<std::wstring, std::wstring>>
CProfileStore::GetSection(const std::wstring& file, const std::wstring& section, size_t maxChars) {
    std::vector<std::pair<std::wstring, std::wstring>> out;
    std::shared_ptr<const Parsed> p;
    FileInfo info;
    if (impl_->Snapshot(fs_, file, p, info) != Impl::State::Loaded)
        return out;
    const Section* sec = p->FindSection(MatchForm(CutAtZero(section)));
    if (!sec)
        return out;
    // The text "key=value\0...\0" as the section reader fills a buffer of maxChars characters: each
    // string is cut to what still fits, and the list ends where the buffer is full.
    size_t room = maxChars;
    for (const Key& k : sec->keys) {
        if (room <= 2)
            break;
        if (!k.name.empty() && k.name[0] == L';')
            continue;
        size_t n = std::min(k.name.size(), room - 2);
        out.emplace_back(k.name.substr(0, n), std::wstring());
        room -= n + 1;
        if (room < 2)
            break;
        if (k.hasValue) {
            size_t m = std::min(k.value.size(), room - 2);
            out.back().second = k.value.substr(0, m);
            room -= m + 1;
        }
    }
    return out;
}

std::vector<std::wstring> CProfileStore::GetSectionNames(const std::wstring& file, size_t maxChars) {
    std::vector<std::wstring> out;
    std::shared_ptr<const Parsed> p;
    FileInfo info;
    if (maxChars < 2 || impl_->Snapshot(fs_, file, p, info) != Impl::State::Loaded)
        return out;
    // "name\0...\0" in a buffer of maxChars characters; a name that does not fit is cut and ends the list.
    size_t room = maxChars - 1;
    for (const Section& sec : p->sections) {
        if (sec.name.empty())
            continue;
        if (sec.name.size() + 1 >= room) {
            if (room > 1)
                out.push_back(sec.name.substr(0, room - 1));
            break;
        }
        out.push_back(sec.name);
        room -= sec.name.size() + 1;
    }
    return out;
}

bool CProfileStore::SectionExists(const std::wstring& file, const std::wstring& section) {
    std::shared_ptr<const Parsed> p;
    FileInfo info;
    return impl_->Snapshot(fs_, file, p, info) == Impl::State::Loaded &&
           p->FindSection(MatchForm(CutAtZero(section))) != nullptr;
}

bool CProfileStore::WriteString(const std::wstring& file, const std::wstring& section,
                                const std::wstring& key, const std::wstring& value) {
    const std::wstring secName = TrimProfile(CutAtZero(section));
    const std::wstring keyName = TrimProfile(CutAtZero(key));
    std::wstring val = CutAtZero(value);
    val.erase(
        0, std::min(val.size(), static_cast<size_t>(std::find_if_not(val.begin(), val.end(), IsProfileSpace) -
                                                    val.begin())));
    // Names and values that would change the structure of the file are refused: a line break would
    // start a new line, "=" in a key would move the value, "[" would start a header.
    if (secName.empty() || keyName.empty() || HasLineBreak(secName) || HasLineBreak(keyName) ||
        HasLineBreak(val) || keyName.find(L'=') != std::wstring::npos || keyName[0] == L'[')
        return false;

    std::lock_guard<std::mutex> lock(impl_->writeMutex);
    std::shared_ptr<const Parsed> p;
    FileInfo info;
    Impl::State state = impl_->Snapshot(fs_, file, p, info);
    if (state == Impl::State::Unreadable || (state == Impl::State::Loaded && info.readOnly))
        return false;
    if (!p)
        return impl_->Store(fs_, file, nullptr, 0, 0,
                            L"[" + secName + L"]\r\n" + keyName + L"=" + val + L"\r\n");

    const Section* sec = p->FindSection(MatchForm(secName));
    if (!sec) {
        // A new section at the end of the file, after a blank line.
        std::wstring text;
        if (!p->lines.empty()) {
            const Line& last = p->lines.back();
            if (last.content == last.end)
                text += L"\r\n";
            if (p->sections.back().last != kNone && p->sections.back().last + 1 == p->lines.size())
                text += L"\r\n";
        }
        text += L"[" + secName + L"]\r\n" + keyName + L"=" + val + L"\r\n";
        return impl_->Store(fs_, file, p, p->textEnd, p->textEnd, text);
    }
    auto it = sec->index.find(MatchForm(keyName));
    if (it != sec->index.end()) {
        const Key& k = sec->keys[it->second];
        if (k.hasValue && k.value == val)
            return true;
        // A key line that begins with "[" is one only while it has no "]".
        if (k.name[0] == L'[' && val.find(L']') != std::wstring::npos)
            return false;
        const Line& line = p->lines[k.line];
        return impl_->Store(fs_, file, p, line.begin, line.content, k.name + L"=" + val);
    }
    // A new key after the last line of the section that is not blank.
    const Line& after = p->lines[sec->last];
    std::wstring text = after.content == after.end ? L"\r\n" : L"";
    text += keyName + L"=" + val + L"\r\n";
    return impl_->Store(fs_, file, p, after.end, after.end, text);
}

bool CProfileStore::DeleteKey(const std::wstring& file, const std::wstring& section,
                              const std::wstring& key) {
    const std::wstring secForm = MatchForm(CutAtZero(section));
    const std::wstring keyForm = MatchForm(CutAtZero(key));
    std::lock_guard<std::mutex> lock(impl_->writeMutex);
    std::shared_ptr<const Parsed> p;
    FileInfo info;
    Impl::State state = impl_->Snapshot(fs_, file, p, info);
    if (state == Impl::State::Missing)
        return true;
    if (state == Impl::State::Unreadable || info.readOnly)
        return false;
    if (secForm.empty() || keyForm.empty())
        return true;
    // The first section of that name that holds the key loses the key's first line.
    for (const Section& sec : p->sections) {
        if (sec.name.empty() || MatchForm(sec.name) != secForm)
            continue;
        auto it = sec.index.find(keyForm);
        if (it == sec.index.end())
            continue;
        const Line& line = p->lines[sec.keys[it->second].line];
        return impl_->Store(fs_, file, p, line.begin, line.end, std::wstring());
    }
    return true;
}

bool CProfileStore::DeleteSection(const std::wstring& file, const std::wstring& section) {
    const std::wstring secForm = MatchForm(CutAtZero(section));
    std::lock_guard<std::mutex> lock(impl_->writeMutex);
    std::shared_ptr<const Parsed> p;
    FileInfo info;
    Impl::State state = impl_->Snapshot(fs_, file, p, info);
    if (state == Impl::State::Missing)
        return true;
    if (state == Impl::State::Unreadable || info.readOnly)
        return false;
    auto it = p->index.find(secForm);
    if (secForm.empty() || it == p->index.end())
        return true;
    // The header and every line up to the next header go.
    size_t s = it->second;
    size_t from = p->lines[p->sections[s].header].begin;
    size_t to = s + 1 < p->sections.size() ? p->lines[p->sections[s + 1].header].begin : p->textEnd;
    return impl_->Store(fs_, file, p, from, to, std::wstring());
}

bool CProfileStore::NamesMatch(const std::wstring& a, const std::wstring& b) {
    return MatchForm(CutAtZero(a)) == MatchForm(CutAtZero(b));
}

void CProfileStore::Invalidate(const std::wstring& file) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->files.erase(file);
}

void CProfileStore::InvalidateAll() {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->files.clear();
}

} // namespace lm
