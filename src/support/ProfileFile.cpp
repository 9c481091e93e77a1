// Private-profile files. A file is kept as its bytes plus an index of its lines, sections and keys.
// Reads use the index. Changes are an overlay on that index (lines replaced or removed, keys added
// after a section's last line, sections removed or added at the end); storing them copies every line
// the overlay does not touch byte for byte, so comments, blank lines, line ends and even bytes that do
// not decode stay exactly as they were. The parsed form is dropped when the file's size or
// modification time changes.
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

// The bounds of a name as the store uses it: ended at a zero as a C string would be, and trimmed.
std::pair<size_t, size_t> NameBounds(const std::wstring& s) {
    size_t b = 0, e = std::min(s.find(L'\0'), s.size());
    while (b < e && IsProfileSpace(s[b]))
        ++b;
    while (e > b && IsProfileSpace(s[e - 1]))
        --e;
    return {b, e};
}

std::wstring CleanName(const std::wstring& s) {
    const auto [b, e] = NameBounds(s);
    return s.substr(b, e - b);
}

// The form under which names are matched: the name, folded.
std::wstring MatchForm(const std::wstring& s) {
    const auto [b, e] = NameBounds(s);
    std::wstring form(e - b, L'\0');
    for (size_t i = b; i < e; ++i)
        form[i - b] = FoldChar(s[i]);
    return form;
}

// Characters [from, to) of text, ended at a zero.
std::wstring Slice(const std::wstring& text, size_t from, size_t to) {
    return text.substr(from, std::min(to, text.find(L'\0', from)) - from);
}

// Text given by a caller ends at its first zero, as a C string would.
std::wstring CutAtZero(const std::wstring& s) {
    size_t z = s.find(L'\0');
    return z == std::wstring::npos ? s : s.substr(0, z);
}

bool HasLineBreak(const std::wstring& s) {
    return s.find_first_of(L"\r\n") != std::wstring::npos;
}

bool IsQuote(wchar_t c) {
    return c == L'"' || c == L'\'';
}

// The value as the string reader gives it: one pair of matching single or double quotes around it is
// removed.
std::wstring Unquote(const std::wstring& v) {
    if (v.size() >= 2 && IsQuote(v.front()) && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

// ---------------------------------------------------------------------------------------------
// Encodings

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

// Appends the text in the encoding; false when the code page of an ANSI file lacks a character.
bool EncodeText(const std::wstring& text, ProfileEncoding enc, const IAnsiCodePage& ansi, std::string& out) {
    if (enc == ProfileEncoding::Ansi)
        return ansi.Encode(text, out);
    const bool be = enc == ProfileEncoding::Utf16BeBom;
    auto put = [&](uint32_t u) {
        char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>((u >> 8) & 0xFF);
        out += be ? hi : lo;
        out += be ? lo : hi;
    };
    for (size_t i = 0; i < text.size();) {
        uint32_t cp = NextCodePoint(text, i);
        if (enc == ProfileEncoding::Utf8Bom) {
            AppendUtf8(out, static_cast<char32_t>(cp));
        } else if (cp > 0x10FFFF) {
            put(0xFFFD);
        } else if (cp >= 0x10000) {
            put(0xD800 + ((cp - 0x10000) >> 10));
            put(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            put(cp);
        }
    }
    return true;
}

const char kBomUtf8[] = "\xEF\xBB\xBF";
const char kBomUtf16Le[] = "\xFF\xFE";
const char kBomUtf16Be[] = "\xFE\xFF";

const char* Bom(ProfileEncoding enc) {
    switch (enc) {
    case ProfileEncoding::Utf8Bom:
        return kBomUtf8;
    case ProfileEncoding::Utf16LeBom:
        return kBomUtf16Le;
    case ProfileEncoding::Utf16BeBom:
        return kBomUtf16Be;
    default:
        return "";
    }
}

ProfileEncoding DetectEncoding(const std::string& b, size_t& bomSize) {
    for (ProfileEncoding enc :
         {ProfileEncoding::Utf8Bom, ProfileEncoding::Utf16LeBom, ProfileEncoding::Utf16BeBom}) {
        const std::string bom = Bom(enc);
        if (b.compare(0, bom.size(), bom) == 0) {
            bomSize = bom.size();
            return enc;
        }
    }
    bomSize = 0;
    return ProfileEncoding::Ansi;
}

std::wstring DecodeBytes(ProfileEncoding encoding, const IAnsiCodePage& ansi, const char* s, size_t n) {
    auto u = reinterpret_cast<const unsigned char*>(s);
    switch (encoding) {
    case ProfileEncoding::Ansi:
        return ansi.Decode(s, n);
    case ProfileEncoding::Utf8Bom:
        return FromUtf8(s, n);
    case ProfileEncoding::Utf16LeBom:
        return DecodeUtf16(u, n / 2, false);
    case ProfileEncoding::Utf16BeBom:
        return DecodeUtf16(u, n / 2, true);
    }
    return {};
}

// ---------------------------------------------------------------------------------------------
// The parsed form of one file

struct Line {
    size_t begin = 0;   // first byte of the line
    size_t content = 0; // first byte of its line end ("\r\n" or "\n"), or its end when it has none
    size_t end = 0;     // first byte after the line end
    bool blank = true;  // nothing but blanks
};

struct Key {
    std::wstring name;  // trimmed, as written in the file
    std::wstring value; // trimmed, quotes kept
    bool hasValue = false;
    size_t line = 0;
    size_t nextSame = kNone; // the next key of the section with the same match form
};

struct ParsedSection {
    std::wstring name;       // as written between the brackets
    size_t header = kNone;   // line of the header; none for the lines before the first header
    size_t last = kNone;     // last line of the section that is not blank
    size_t nextSame = kNone; // the next section with the same match form
    std::vector<Key> keys;
    std::unordered_map<std::wstring, size_t> index; // first key of each match form
};

struct Parsed {
    std::string bytes;
    ProfileEncoding encoding = ProfileEncoding::Ansi;
    size_t bomSize = 0;
    size_t textEnd = 0; // end of the whole code units (a half UTF-16 unit at the end is not text)
    std::vector<Line> lines;
    std::vector<ParsedSection> sections;
    std::unordered_map<std::wstring, size_t> index; // first section of each match form

    size_t FindSection(const std::wstring& matchForm) const {
        auto it = index.find(matchForm);
        return it == index.end() ? kNone : it->second;
    }
    size_t FirstLine(size_t s) const { return s == 0 ? 0 : sections[s].header; }
    size_t EndLine(size_t s) const { return s + 1 < sections.size() ? sections[s + 1].header : lines.size(); }
};

std::shared_ptr<Parsed> Parse(std::string bytes, const IAnsiCodePage& ansi) {
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
    // Enters item i under its match form; a later item of the same form goes at the end of the chain
    // of the first (such repeats are rare).
    auto enter = [](std::unordered_map<std::wstring, size_t>& index, std::wstring form, size_t i,
                    auto&& next) {
        auto [it, fresh] = index.try_emplace(std::move(form), i);
        if (!fresh) {
            size_t j = it->second;
            while (next(j) != kNone)
                j = next(j);
            next(j) = i;
        }
    };

    // The keys before the first header form a section without a name. As with the Windows functions,
    // an empty name finds it (and so never a later "[]"), but it is not listed and not written to.
    p->sections.emplace_back();
    p->index.emplace(std::wstring(), 0);
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

        std::wstring text = DecodeBytes(p->encoding, ansi, b.data() + line.begin, line.content - line.begin);
        size_t s = 0, e = text.size();
        while (s < e && IsProfileSpace(text[s]))
            ++s;
        while (e > s && IsProfileSpace(text[e - 1]))
            --e;
        line.blank = s == e;
        p->lines.push_back(line);
        if (s == e)
            continue;

        ParsedSection* cur = &p->sections.back();
        if (text[s] == L'[') {
            size_t close = text.rfind(L']', e - 1);
            if (close != std::wstring::npos && close > s) {
                ParsedSection sec;
                sec.name = CleanName(text.substr(s + 1, close - s - 1));
                sec.header = sec.last = lineIndex;
                p->sections.push_back(std::move(sec));
                const size_t id = p->sections.size() - 1;
                enter(p->index, MatchForm(p->sections[id].name), id,
                      [&](size_t i) -> size_t& { return p->sections[i].nextSame; });
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
            key.name = Slice(text, s, ne);
            // A zero ends the value as it ends a C string; blanks before it end the value too.
            key.value = TrimProfile(Slice(text, vs, e));
            key.hasValue = true;
        } else {
            key.name = Slice(text, s, e);
        }
        cur->last = lineIndex;
        // Of several lines without a name in a row only the first counts, as with the Windows functions.
        if (key.name.empty() && !cur->keys.empty() && cur->keys.back().name.empty())
            continue;
        std::wstring form = MatchForm(key.name);
        cur->keys.push_back(std::move(key));
        enter(cur->index, std::move(form), cur->keys.size() - 1,
              [&](size_t i) -> size_t& { return cur->keys[i].nextSame; });
    }
    return p;
}

// A key line an edit wrote: the key as written and the value as written (the reader trims its end).
struct NewKey {
    std::wstring name;
    std::wstring value;
    bool removed = false;
};

// The base lines an edit rewrote or removed, found by line without hashing: an upgrade changes most lines
// of a large file.
class LineChanges {
public:
    const NewKey* Find(size_t line) const {
        return line < slot_.size() && slot_[line] ? &keys_[slot_[line] - 1] : nullptr;
    }
    // The change of a line, made when there is none yet; valid until the next call.
    NewKey& At(size_t line, size_t lines) {
        if (slot_.empty())
            slot_.assign(lines, 0);
        if (!slot_[line]) {
            keys_.emplace_back();
            slot_[line] = keys_.size();
        }
        return keys_[slot_[line] - 1];
    }

private:
    std::vector<size_t> slot_; // 0: unchanged, otherwise the change's index + 1
    std::vector<NewKey> keys_;
};

// The changes of an edit to one section.
struct SectionChanges {
    std::wstring name; // for a new section
    bool removed = false;
    std::vector<NewKey> added;                           // after the section's last line that is not blank
    std::unordered_map<std::wstring, size_t> addedIndex; // the live added key of each match form
};

} // namespace

// ---------------------------------------------------------------------------------------------
// The edit

struct CProfileEdit::State {
    std::wstring path;
    std::shared_ptr<const Parsed> base; // null when the file does not exist
    bool unreadable = false;
    bool failed = false;
    bool changed = false;
    LineChanges replaced;                              // base lines rewritten or removed
    std::vector<SectionChanges> changes;               // by section: the base ones, then new ones
    std::unordered_map<std::wstring, size_t> newIndex; // the live new section of each match form

    size_t BaseSections() const { return base ? base->sections.size() : 0; }
    const SectionChanges* ChangesOf(size_t s) const { return s < changes.size() ? &changes[s] : nullptr; }
    SectionChanges& Change(size_t s) {
        if (changes.size() <= s)
            changes.resize(std::max(s + 1, BaseSections()));
        return changes[s];
    }
    bool SectionRemoved(size_t s) const {
        const SectionChanges* c = ChangesOf(s);
        return c && c->removed;
    }
    bool LineRemoved(size_t line) const {
        const NewKey* change = replaced.Find(line);
        return change && change->removed;
    }
    NewKey& ChangeLine(size_t line) { return replaced.At(line, base->lines.size()); }
    // Calls f(section) for the sections of a match form that are still there, in file order, until it
    // returns true.
    template <typename F>
    void ForEachSection(const std::wstring& form, F&& f) const {
        for (size_t s = base ? base->FindSection(form) : kNone; s != kNone; s = base->sections[s].nextSame)
            if (!SectionRemoved(s) && f(s))
                return;
        auto it = newIndex.find(form);
        if (it != newIndex.end())
            f(it->second);
    }
    size_t FindSection(const std::wstring& form) const {
        for (size_t s = base ? base->FindSection(form) : kNone; s != kNone; s = base->sections[s].nextSame)
            if (!SectionRemoved(s))
                return s;
        auto it = newIndex.find(form);
        return it == newIndex.end() ? kNone : it->second;
    }
    // The live key of a match form: a base key (added false) or an added one.
    bool FindKey(size_t s, const std::wstring& form, bool& added, size_t& index) const {
        if (s < BaseSections()) {
            const ParsedSection& sec = base->sections[s];
            auto it = sec.index.find(form);
            for (size_t k = it == sec.index.end() ? kNone : it->second; k != kNone; k = sec.keys[k].nextSame)
                if (!LineRemoved(sec.keys[k].line)) {
                    added = false;
                    index = k;
                    return true;
                }
        }
        if (const SectionChanges* c = ChangesOf(s)) {
            auto it = c->addedIndex.find(form);
            if (it != c->addedIndex.end()) {
                added = true;
                index = it->second;
                return true;
            }
        }
        return false;
    }
    // Calls f(name, value, hasValue) for each live key of a section in file order.
    template <typename F>
    void ForEachKey(size_t s, F&& f) const {
        if (s < BaseSections())
            for (const Key& k : base->sections[s].keys) {
                const NewKey* change = replaced.Find(k.line);
                if (!change)
                    f(k.name, k.value, k.hasValue);
                else if (!change->removed)
                    f(k.name, TrimProfile(change->value), true);
            }
        if (const SectionChanges* c = ChangesOf(s))
            for (const NewKey& k : c->added)
                if (!k.removed)
                    f(k.name, TrimProfile(k.value), true);
    }

    // The file's bytes with the changes, in `enc`; false when a text does not fit an ANSI code page.
    bool Serialize(ProfileEncoding enc, const IAnsiCodePage& ansi, std::string& out) const {
        const bool keepBytes = base && base->encoding == enc;
        out = keepBytes ? base->bytes.substr(0, base->bomSize) : std::string(Bom(enc));
        bool lineEnded = true, lastBlank = true;
        auto text = [&](const std::wstring& t) { return EncodeText(t, enc, ansi, out); };
        auto raw = [&](size_t from, size_t to) {
            if (keepBytes)
                out.append(base->bytes, from, to - from);
            else
                EncodeText(DecodeBytes(base->encoding, ansi, base->bytes.data() + from, to - from), enc, ansi,
                           out);
        };
        auto addedKeys = [&](const SectionChanges& c) {
            for (const NewKey& k : c.added) {
                if (k.removed)
                    continue;
                if (!lineEnded && !text(L"\r\n"))
                    return false;
                if (!text(k.name + L"=" + k.value + L"\r\n"))
                    return false;
                lineEnded = true;
                lastBlank = false;
            }
            return true;
        };
        for (size_t s = 0; s < BaseSections(); ++s) {
            const SectionChanges* c = ChangesOf(s);
            if (c && c->removed)
                continue;
            for (size_t l = base->FirstLine(s); l < base->EndLine(s); ++l) {
                const Line& line = base->lines[l];
                const NewKey* change = replaced.Find(l);
                if (!change || !change->removed) {
                    if (!change) {
                        raw(line.begin, line.end);
                    } else {
                        if (!text(change->name + L"=" + change->value))
                            return false;
                        raw(line.content, line.end);
                    }
                    lastBlank = !change && line.blank;
                    lineEnded = line.content != line.end;
                }
                if (l == base->sections[s].last && c && !addedKeys(*c))
                    return false;
            }
        }
        for (size_t s = BaseSections(); s < changes.size(); ++s) {
            const SectionChanges& c = changes[s];
            if (c.removed)
                continue;
            // A new section goes at the end of the file, after a blank line.
            std::wstring head = lineEnded ? L"" : L"\r\n";
            if (!lastBlank)
                head += L"\r\n";
            if (!text(head + L"[" + c.name + L"]\r\n"))
                return false;
            lineEnded = true;
            lastBlank = false;
            if (!addedKeys(c))
                return false;
        }
        return true;
    }
};

CProfileEdit::CProfileEdit(CProfileStore& store, std::unique_ptr<State> state)
    : store_(&store), state_(std::move(state)) {}
CProfileEdit::CProfileEdit(CProfileEdit&&) noexcept = default;
CProfileEdit& CProfileEdit::operator=(CProfileEdit&&) noexcept = default;
CProfileEdit::~CProfileEdit() = default;

bool CProfileEdit::Exists() const {
    return state_->base != nullptr || state_->unreadable;
}

std::vector<std::wstring> CProfileEdit::SectionNames() const {
    const State& st = *state_;
    std::vector<std::wstring> out;
    for (size_t s = 0; s < st.BaseSections(); ++s)
        if (!st.base->sections[s].name.empty() && !st.SectionRemoved(s))
            out.push_back(st.base->sections[s].name);
    for (size_t s = st.BaseSections(); s < st.changes.size(); ++s)
        if (!st.changes[s].removed)
            out.push_back(st.changes[s].name);
    return out;
}

ProfilePairs CProfileEdit::Section(const std::wstring& section) const {
    ProfilePairs out;
    const size_t s = state_->FindSection(MatchForm(section));
    if (s != kNone)
        state_->ForEachKey(s, [&](const std::wstring& name, const std::wstring& value, bool) {
            if (name.empty() || name[0] != L';')
                out.emplace_back(name, value);
        });
    return out;
}

bool CProfileEdit::GetString(const std::wstring& section, const std::wstring& key,
                             std::wstring& value) const {
    const State& st = *state_;
    const size_t s = st.FindSection(MatchForm(section));
    bool added = false;
    size_t k = 0;
    if (s == kNone || !st.FindKey(s, MatchForm(key), added, k))
        return false;
    if (added) {
        value = Unquote(TrimProfile(st.changes[s].added[k].value));
        return true;
    }
    const Key& found = st.base->sections[s].keys[k];
    const NewKey* change = st.replaced.Find(found.line);
    if (!change && !found.hasValue)
        return false;
    value = Unquote(change ? TrimProfile(change->value) : found.value);
    return true;
}

bool CProfileEdit::WriteString(const std::wstring& section, const std::wstring& key,
                               const std::wstring& value) {
    State& st = *state_;
    const std::wstring secName = CleanName(section), keyName = CleanName(key);
    std::wstring val = CutAtZero(value);
    val.erase(0, static_cast<size_t>(std::find_if_not(val.begin(), val.end(), IsProfileSpace) - val.begin()));
    // Names and values that would change the structure of the file are refused: a line break would
    // start a new line, "=" in a key would move the value, "[" would start a header.
    if (secName.empty() || keyName.empty() || HasLineBreak(secName) || HasLineBreak(keyName) ||
        HasLineBreak(val) || keyName.find(L'=') != std::wstring::npos || keyName[0] == L'[') {
        st.failed = true;
        return false;
    }
    const std::wstring secForm = MatchForm(secName), keyForm = MatchForm(keyName);
    size_t s = st.FindSection(secForm);
    if (s == kNone) {
        s = std::max(st.changes.size(), st.BaseSections());
        st.Change(s).name = secName;
        st.newIndex[secForm] = s;
    }
    bool added = false;
    size_t k = 0;
    if (!st.FindKey(s, keyForm, added, k)) {
        SectionChanges& c = st.Change(s);
        c.addedIndex[keyForm] = c.added.size();
        c.added.push_back(NewKey{keyName, val, false});
        st.changed = true;
        return true;
    }
    NewKey* target = nullptr;
    std::wstring name;
    if (added) {
        target = &st.Change(s).added[k];
        name = target->name;
        if (target->value == val)
            return true;
    } else {
        const Key& found = st.base->sections[s].keys[k];
        const NewKey* change = st.replaced.Find(found.line);
        if (change ? change->value == val : found.hasValue && found.value == val)
            return true;
        name = found.name;
        target = &st.ChangeLine(found.line);
        target->name = name;
    }
    // A key line that begins with "[" is one only while it has no "]".
    if (name[0] == L'[' && val.find(L']') != std::wstring::npos) {
        st.failed = true;
        return false;
    }
    target->value = val;
    st.changed = true;
    return true;
}

void CProfileEdit::DeleteKey(const std::wstring& section, const std::wstring& key) {
    State& st = *state_;
    const std::wstring secForm = MatchForm(section), keyForm = MatchForm(key);
    if (secForm.empty() || keyForm.empty())
        return;
    // The first section of that name that holds the key loses the key's first line.
    st.ForEachSection(secForm, [&](size_t s) {
        bool added = false;
        size_t k = 0;
        if (!st.FindKey(s, keyForm, added, k))
            return false;
        if (added) {
            SectionChanges& c = st.Change(s);
            c.added[k].removed = true;
            c.addedIndex.erase(keyForm);
        } else {
            st.ChangeLine(st.base->sections[s].keys[k].line).removed = true;
        }
        st.changed = true;
        return true;
    });
}

void CProfileEdit::DeleteSection(const std::wstring& section) {
    State& st = *state_;
    const std::wstring secForm = MatchForm(section);
    const size_t s = secForm.empty() ? kNone : st.FindSection(secForm);
    if (s == kNone)
        return;
    // The header and every line up to the next header go.
    st.Change(s).removed = true;
    if (s >= st.BaseSections())
        st.newIndex.erase(secForm);
    st.changed = true;
}

// ---------------------------------------------------------------------------------------------
// The store

namespace {

enum class FileState { Missing, Loaded, Unreadable };

struct Snapshot {
    FileState state = FileState::Missing;
    tagFILEINFO info;
    std::shared_ptr<const Parsed> parsed; // null unless loaded
};

// What a thread's open scopes of one store have seen.
struct ScopeFrame {
    int depth = 0;
    std::unordered_map<std::wstring, Snapshot> seen;
};
// The calling thread's open scopes, by store. The map exists only while the thread has a scope open:
// only a plain pointer is thread-local, because thread-local objects with a destructor are torn down
// at the thread's end in an order that corrupts the heap on MinGW-w64 (its emulated thread storage
// frees them first), which a short-lived thread such as the key handler's would hit.
using ScopeMap = std::unordered_map<const void*, ScopeFrame>;
thread_local ScopeMap* tScopes = nullptr;

ScopeFrame* FrameOf(const void* impl) {
    if (!tScopes)
        return nullptr;
    auto it = tScopes->find(impl);
    return it == tScopes->end() ? nullptr : &it->second;
}

} // namespace

struct CProfileStore::Impl {
    // The cache lock is held while a file is looked at and parsed, never during a lookup in the parsed
    // form (which does not change once made) nor while a file is written. Writers take turns.
    std::mutex mutex;
    std::mutex writeMutex;
    std::unordered_map<std::wstring, Snapshot> files;

    // The current contents of a file, parsed again only when the file changed since the last look. In
    // a scope a file is looked at once, unless `fresh` asks for a look in any case.
    Snapshot Look(IFileSystem& fs, const IAnsiCodePage& ansi, const std::wstring& path, bool fresh = false) {
        ScopeFrame* frame = FrameOf(this);
        if (frame && !fresh) {
            auto it = frame->seen.find(path);
            if (it != frame->seen.end())
                return it->second;
        }
        Snapshot snap;
        {
            std::lock_guard<std::mutex> lock(mutex);
            snap.info = fs.GetInfo(path);
            auto it = files.find(path);
            if (!snap.info.exists || snap.info.directory) {
                snap.state = snap.info.exists ? FileState::Unreadable : FileState::Missing;
                files.erase(path);
            } else if (it != files.end() && it->second.info.size == snap.info.size &&
                       it->second.info.modified == snap.info.modified) {
                snap.state = FileState::Loaded;
                snap.parsed = it->second.parsed;
            } else {
                std::string bytes;
                if (fs.ReadAll(path, bytes)) {
                    snap.state = FileState::Loaded;
                    snap.parsed = Parse(std::move(bytes), ansi);
                    files[path] = snap;
                } else {
                    snap.state = FileState::Unreadable;
                    files.erase(path);
                }
            }
        }
        if (frame)
            frame->seen[path] = snap;
        return snap;
    }

    // Takes bytes just written into the cache (and the open scope) without reading the file again.
    void Remember(IFileSystem& fs, const IAnsiCodePage& ansi, const std::wstring& path, std::string bytes) {
        Snapshot snap;
        snap.parsed = Parse(std::move(bytes), ansi);
        {
            std::lock_guard<std::mutex> lock(mutex);
            snap.info = fs.GetInfo(path);
            if (snap.info.exists) {
                snap.state = FileState::Loaded;
                files[path] = snap;
            } else {
                snap.parsed.reset();
                files.erase(path);
            }
        }
        if (ScopeFrame* frame = FrameOf(this))
            frame->seen[path] = snap;
    }

    void Forget(const std::wstring* path) {
        std::lock_guard<std::mutex> lock(mutex);
        ScopeFrame* frame = FrameOf(this);
        if (path) {
            files.erase(*path);
            if (frame)
                frame->seen.erase(*path);
        } else {
            files.clear();
            if (frame)
                frame->seen.clear();
        }
    }
};

std::wstring DecodeProfileText(const std::string& bytes, const IAnsiCodePage& ansi) {
    size_t bom = 0;
    ProfileEncoding encoding = DetectEncoding(bytes, bom);
    return DecodeBytes(encoding, ansi, bytes.data() + bom, bytes.size() - bom);
}

std::wstring QuoteProfileValue(const std::wstring& text) {
    // The Windows functions strip more than ASCII blanks in some versions; the Unicode spaces are
    // protected as well, which costs nothing.
    auto blank = [](wchar_t c) {
        return IsProfileSpace(c) || c == 0x85 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) ||
               c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
    };
    if (!text.empty() && (blank(text.front()) || blank(text.back()) ||
                          (text.size() >= 2 && IsQuote(text.front()) && text.back() == text.front())))
        return L"\"" + text + L"\"";
    return text;
}

CProfileStore::CProfileStore(IFileSystem& fs, const IAnsiCodePage& ansi)
    : fs_(fs), ansi_(ansi), impl_(std::make_unique<Impl>()) {}

CProfileStore::~CProfileStore() = default;

bool CProfileStore::GetString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                              std::wstring& value, const std::wstring& def) {
    const Snapshot snap = impl_->Look(fs_, ansi_, file);
    if (snap.parsed) {
        const size_t s = snap.parsed->FindSection(MatchForm(section));
        if (s != kNone) {
            const ParsedSection& sec = snap.parsed->sections[s];
            auto it = sec.index.find(MatchForm(key));
            if (it != sec.index.end() && sec.keys[it->second].hasValue) {
                value = Unquote(sec.keys[it->second].value);
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

ProfilePairs CProfileStore::GetSection(const std::wstring& file, const std::wstring& section,
                                       size_t maxChars) {
    ProfilePairs out;
    const Snapshot snap = impl_->Look(fs_, ansi_, file);
    const size_t s = snap.parsed ? snap.parsed->FindSection(MatchForm(section)) : kNone;
    if (s == kNone)
        return out;
    const ParsedSection& sec = snap.parsed->sections[s];
    out.reserve(sec.keys.size());
    // The text "key=value\0...\0" as the section reader fills a buffer of maxChars characters: each
    // string is cut to what still fits, and the list ends where the buffer is full.
    size_t room = maxChars;
    for (const Key& k : sec.keys) {
        if (room <= 2)
            break;
        if (!k.name.empty() && k.name[0] == L';')
            continue;
        const size_t n = std::min(k.name.size(), room - 2);
        room -= n + 1;
        std::wstring value;
        if (room >= 2 && k.hasValue) {
            const size_t m = std::min(k.value.size(), room - 2);
            value = m == k.value.size() ? k.value : k.value.substr(0, m);
            room -= m + 1;
        }
        out.emplace_back(n == k.name.size() ? k.name : k.name.substr(0, n), std::move(value));
        if (room < 2)
            break;
    }
    return out;
}

std::vector<std::wstring> CProfileStore::GetSectionNames(const std::wstring& file, size_t maxChars) {
    std::vector<std::wstring> out;
    const Snapshot snap = maxChars < 2 ? Snapshot() : impl_->Look(fs_, ansi_, file);
    if (!snap.parsed)
        return out;
    // "name\0...\0" in a buffer of maxChars characters; a name that does not fit is cut and ends the list.
    size_t room = maxChars - 1;
    for (const ParsedSection& sec : snap.parsed->sections) {
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
    const Snapshot snap = impl_->Look(fs_, ansi_, file);
    return snap.parsed && snap.parsed->FindSection(MatchForm(section)) != kNone;
}

CProfileEdit CProfileStore::Edit(const std::wstring& file) {
    auto state = std::make_unique<CProfileEdit::State>();
    const Snapshot snap = impl_->Look(fs_, ansi_, file);
    state->path = file;
    state->base = snap.parsed;
    state->unreadable = snap.state == FileState::Unreadable;
    return CProfileEdit(*this, std::move(state));
}

bool CProfileEdit::Commit() {
    State& st = *state_;
    CProfileStore::Impl& impl = *store_->impl_;
    if (st.failed || st.unreadable)
        return false;
    std::lock_guard<std::mutex> lock(impl.writeMutex);
    const Snapshot now = impl.Look(store_->fs_, store_->ansi_, st.path, true);
    if (now.state == FileState::Unreadable || (now.state == FileState::Loaded && now.info.readOnly))
        return false;
    // Another writer came between: its change is not overwritten.
    if ((now.parsed == nullptr) != (st.base == nullptr) ||
        (now.parsed && now.parsed != st.base && now.parsed->bytes != st.base->bytes))
        return false;
    if (!st.changed)
        return true;
    std::string bytes;
    const ProfileEncoding enc = st.base ? st.base->encoding : ProfileEncoding::Utf16LeBom;
    // Text the file's code page lacks makes the file UTF-16 rather than lose it.
    if (!st.Serialize(enc, store_->ansi_, bytes))
        st.Serialize(ProfileEncoding::Utf16LeBom, store_->ansi_, bytes);
    if (st.base && bytes == st.base->bytes)
        return true;
    if (!store_->fs_.WriteAtomic(st.path, bytes))
        return false;
    impl.Remember(store_->fs_, store_->ansi_, st.path, std::move(bytes));
    return true;
}

bool CProfileStore::WriteString(const std::wstring& file, const std::wstring& section,
                                const std::wstring& key, const std::wstring& value) {
    CProfileEdit edit = Edit(file);
    return edit.WriteString(section, key, value) && edit.Commit();
}

bool CProfileStore::DeleteKey(const std::wstring& file, const std::wstring& section,
                              const std::wstring& key) {
    CProfileEdit edit = Edit(file);
    edit.DeleteKey(section, key);
    return edit.Commit();
}

bool CProfileStore::DeleteSection(const std::wstring& file, const std::wstring& section) {
    CProfileEdit edit = Edit(file);
    edit.DeleteSection(section);
    return edit.Commit();
}

bool CProfileStore::NamesMatch(const std::wstring& a, const std::wstring& b) {
    return MatchForm(a) == MatchForm(b);
}

void CProfileStore::Invalidate(const std::wstring& file) {
    impl_->Forget(&file);
}

void CProfileStore::InvalidateAll() {
    impl_->Forget(nullptr);
}

CProfileScope::CProfileScope(CProfileStore& store) : impl_(store.impl_.get()) {
    if (!tScopes)
        tScopes = new ScopeMap;
    ++(*tScopes)[impl_].depth;
}

CProfileScope::~CProfileScope() {
    if (!tScopes)
        return;
    auto it = tScopes->find(impl_);
    if (it != tScopes->end() && --it->second.depth == 0)
        tScopes->erase(it);
    if (tScopes->empty()) {
        delete tScopes;
        tScopes = nullptr;
    }
}

} // namespace lm
