#include "support/LMLocalize.h"

#include "base/Path.h"

#include "support/LMDebug.h"
#include "support/LanguageFile.h"
#include "base/Text.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

namespace lm {

const std::array<tagLANGENTRY, kLanguageCount>& LanguageTable() {
    static const std::array<tagLANGENTRY, kLanguageCount> table = {{
        {0, L"Neutral.lng"},       {1029, L"Czech.lng"},    {1030, L"Danish.lng"},
        {1031, L"German.lng"},     {1061, L"Estonian.lng"}, {2057, L"English.lng"},
        {1033, L"English_US.lng"}, {1034, L"Spanish.lng"},  {1036, L"French.lng"},
        {1050, L"Croatian.lng"},   {1040, L"Italian.lng"},  {1062, L"Latvian.lng"},
        {1063, L"Lithuanian.lng"}, {1043, L"Dutch.lng"},    {1038, L"Hungarian.lng"},
        {1044, L"Norwegian.lng"},  {1045, L"Polish.lng"},   {2070, L"Portuguese.lng"},
        {1048, L"Romanian.lng"},   {1051, L"Slovak.lng"},   {1060, L"Slovenian.lng"},
        {1035, L"Finnish.lng"},    {1053, L"Swedish.lng"},  {1055, L"Turkish.lng"},
        {1032, L"Greek.lng"},      {1049, L"Russian.lng"},  {2052, L"Chinese.lng"},
        {1028, L"ChinTrad.lng"},   {1025, L"Arabic.lng"},   {1026, L"Bulgarian.lng"},
        {1037, L"Hebrew.lng"},     {1041, L"Japanese.lng"},
    }};
    return table;
}

int FindLanguageEntry(uint16_t langId) {
    const auto& table = LanguageTable();
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i].langId == langId)
            return static_cast<int>(i);
    for (size_t i = 0; i < table.size(); ++i)
        if (PrimaryLanguage(table[i].langId) == PrimaryLanguage(langId))
            return static_cast<int>(i);
    return -1;
}

namespace {} // namespace

std::optional<uint16_t> FindLanguageByName(const std::wstring& name) {
    std::wstring wanted = TextToLower(name);
    for (const tagLANGENTRY& e : LanguageTable())
        if (wanted == TextToLower(e.fileName) || wanted == TextToLower(PathStem(e.fileName)))
            return e.langId;
    return std::nullopt;
}

std::string RuntimeLocaleName(uint16_t langId) {
    switch (PrimaryLanguage(langId)) {
    case 1:
        return "arabic";
    case 2:
        return "bulgarian";
    case 4:
        return SubLanguage(langId) == 1 ? "chinese-traditional_taiwan.950"
                                        : "chinese-simplified_pr-china.936";
    case 5:
        return "czech";
    case 6:
        return "danish";
    case 7:
        return "german";
    case 8:
        return "greek";
    case 10:
        return "spanish";
    case 11:
        return "finnish";
    case 12:
        return "french";
    case 13:
        return "hebrew";
    case 14:
        return "hungarian";
    case 16:
        return "italian";
    case 17:
        return "japanese";
    case 19:
        return "dutch";
    case 20:
        return "norwegian";
    case 21:
        return "polish";
    case 22:
        return "portuguese";
    case 24:
        return "romanian";
    case 25:
        return "russian";
    case 26:
        return "croatian";
    case 27:
        return "slovak";
    case 29:
        return "swedish";
    case 31:
        return "turkish";
    case 36:
        return "slovenian";
    case 37:
        return "estonian";
    case 38:
        return "latvian ";
    case 39:
        return "lithuanian";
    default:
        return "english";
    }
}

bool RegisterLanguageFileType(IRegistry& registry) {
    CLMTraceScope scope(kTraceInfo, kTraceAllContexts, L"CLMLocalize::RegisterFileType");
    const std::wstring classes = L"Software\\Classes\\";
    const std::wstring type = L"Lumora.Language file";
    bool existed = true;
    if (!registry.CreateKey(RegistryHive::CurrentUser, classes + L".lng", &existed) || existed)
        return false;
    // Failures from here on are ignored: the type is a convenience for the user.
    registry.SetString(RegistryHive::CurrentUser, classes + L".lng", L"", type);
    registry.SetString(RegistryHive::CurrentUser, classes + type, L"", L"Lumora Language Support");
    registry.SetString(RegistryHive::CurrentUser, classes + type + L"\\Shell\\Open\\Command", L"",
                       L"notepad.exe %1");
    registry.SetString(RegistryHive::CurrentUser, classes + type + L"\\DefaultIcon", L"",
                       L"\"%systemroot%\\notepad.exe\",0", true);
    return true;
}

std::wstring FillTextArgs(const std::wstring& text, const std::vector<std::wstring>& args, size_t maxChars) {
    std::wstring out;
    size_t next = 0;
    for (size_t i = 0; i < text.size() && out.size() < maxChars; ++i) {
        if (text[i] != L'%') {
            out += text[i];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == L'%') {
            out += L'%';
            ++i;
            continue;
        }
        size_t j = i + 1;
        bool left = false;
        while (j < text.size() && std::wcschr(L"-+ #0", text[j]) && text[j]) {
            left = left || text[j] == L'-';
            ++j;
        }
        size_t width = 0;
        while (j < text.size() && text[j] >= L'0' && text[j] <= L'9') {
            width = std::min<size_t>(width * 10 + static_cast<size_t>(text[j] - L'0'), maxChars);
            ++j;
        }
        if (j < text.size() && text[j] == L'.')
            for (++j; j < text.size() && text[j] >= L'0' && text[j] <= L'9';)
                ++j;
        while (j < text.size() && text[j] && std::wcschr(L"hlLqjzt", text[j]))
            ++j;
        if (j < text.size() && text[j] == L'n') {
            i = j; // writes nothing in a format either
            continue;
        }
        if (j >= text.size() || !text[j] || !std::wcschr(L"diouxXeEfFgGaAcsSCp", text[j])) {
            out += text[i]; // not a conversion: the percent sign stays as written
            continue;
        }
        std::wstring arg = next < args.size() ? args[next] : std::wstring();
        ++next;
        if (arg.size() < width)
            arg = left ? arg + std::wstring(width - arg.size(), L' ')
                       : std::wstring(width - arg.size(), L' ') + arg;
        out += arg;
        i = j;
    }
    return CutTo(out, maxChars);
}

CLMLocalize::CLMLocalize(const tagLOCALIZESERVICES& services, const tagLOCALIZEOPTIONS& options)
    : services_(services), options_(options) {
    CLMTraceScope scope(kTraceInfo, kTraceAllContexts, L"CLMLocalize::CLMLocalize");
    std::lock_guard lock(mutex_);
    mode_ = options.mode >= kLookupFilesOnly && options.mode <= kLookupTableFirst ? options.mode
                                                                                  : kLookupFileFirst;
    savedThreadLocale_ = services_.locale.ThreadLocale();

    uint16_t wanted = 0;
    if (options.language) {
        wanted = *options.language;
    } else {
        wanted = services_.locale.UserDefaultLocale();
        if (wanted == 0)
            wanted = savedThreadLocale_;
        int entry = FindLanguageEntry(wanted);
        if (entry >= 0)
            wanted = LanguageTable()[static_cast<size_t>(entry)].langId;
    }
    SetLanguageLocked(wanted);

    if (options.registerFileType && services_.registry)
        RegisterLanguageFileType(*services_.registry);
    if (options.buildMenu) {
        ComputeAvailabilityLocked();
        BuildMenuLocked();
    }
}

CLMLocalize::~CLMLocalize() {
    std::lock_guard lock(mutex_);
    cache_.clear();
    view_ = nullptr; // a view that is still attached is being destroyed with its owner
    if (options_.applyLocale)
        SetLanguageLocked(savedThreadLocale_);
    menu_.clear();
}

int CLMLocalize::SetLanguage(uint16_t langId) {
    CLMTraceScope scope(kTraceInfo, kTraceAllContexts, L"CLMLocalize::SetLanguage", L"%u", langId);
    std::lock_guard lock(mutex_);
    SetLanguageLocked(langId);
    return 1;
}

void CLMLocalize::SetLanguageLocked(uint16_t langId) {
    current_ = langId;
    cache_.clear();
    if (options_.applyLocale) {
        services_.locale.SetThreadLocale(langId);
        runtimeLocale_ = services_.locale.SetRuntimeLocale(langId, RuntimeLocaleName(langId));
    }
    if (view_)
        view_->Check(langId);
}

uint16_t CLMLocalize::CurrentLanguage() const {
    std::lock_guard lock(mutex_);
    return current_;
}

int CLMLocalize::SetLookupMode(int mode) {
    if (mode < kLookupFilesOnly || mode > kLookupTableFirst)
        return 0;
    std::lock_guard lock(mutex_);
    mode_ = mode;
    cache_.clear();
    if (options_.buildMenu) {
        ComputeAvailabilityLocked();
        BuildMenuLocked();
    }
    return 1;
}

int CLMLocalize::GetLookupMode() const {
    std::lock_guard lock(mutex_);
    return mode_;
}

std::string CLMLocalize::RuntimeLocale() const {
    std::lock_guard lock(mutex_);
    return runtimeLocale_;
}

std::wstring CLMLocalize::CurrentLanguageName() const {
    uint16_t current = CurrentLanguage();
    int entry = FindLanguageEntry(current);
    return entry < 0 ? std::wstring(L"UNKNOWN")
                     : PathStem(LanguageTable()[static_cast<size_t>(entry)].fileName);
}

bool CLMLocalize::LoadText(uint32_t id, wchar_t* buffer, size_t size) {
    if (!buffer || size == 0)
        return false;
    std::lock_guard lock(mutex_);
    auto hit = cache_.find(id);
    if (hit != cache_.end()) {
        CopyBounded(buffer, size, hit->second);
        return true;
    }
    std::wstring text;
    if (!LookupLocked(id, text))
        return false;
    // The cache keeps the whole text, so that a later caller with a larger buffer gets all of it.
    CopyBounded(buffer, size, text);
    cache_.emplace(id, std::move(text));
    return true;
}

bool CLMLocalize::LoadText(uint32_t id, std::wstring& text) {
    std::array<wchar_t, kTextBufferChars> buffer{};
    if (!LoadText(id, buffer.data(), buffer.size()))
        return false;
    text.assign(buffer.data());
    return true;
}

bool CLMLocalize::LookupLocked(uint32_t id, std::wstring& text) {
    if (id >= kFrameworkStringFirst)
        return FrameworkText(id, text);

    enum class Source { File, Table };
    struct Step {
        Source source;
        bool fallback;
    };
    static const std::array<std::array<Step, 4>, 4> kSteps = {{
        {{{Source::File, false}, {Source::File, true}, {Source::File, true}, {Source::File, true}}},
        {{{Source::Table, false}, {Source::Table, true}, {Source::Table, true}, {Source::Table, true}}},
        {{{Source::File, false}, {Source::Table, false}, {Source::File, true}, {Source::Table, true}}},
        {{{Source::Table, false}, {Source::File, false}, {Source::Table, true}, {Source::File, true}}},
    }};
    // Modes 0 and 1 have two steps; the rest of their rows is not used.
    const size_t stepCount = mode_ <= kLookupTablesOnly ? 2 : 4;
    for (size_t i = 0; i < stepCount; ++i) {
        const Step& step = kSteps[static_cast<size_t>(mode_)][i];
        bool found = step.source == Source::File ? FileStep(id, step.fallback, text)
                                                 : TableStep(id, step.fallback, text);
        if (!found)
            continue;
        if (step.fallback) {
            int entry = FindLanguageEntry(current_);
            std::wstring name = entry < 0 ? std::wstring(L"UNKNOWN")
                                          : PathStem(LanguageTable()[static_cast<size_t>(entry)].fileName);
            TraceMessage(kTraceWrn, kTraceAllContexts, L"LMLOC: %ls string NOT LOCALIZED: '%ls'\n",
                         name.c_str(), text.c_str());
        }
        return true;
    }
    return false;
}

bool CLMLocalize::FrameworkText(uint32_t id, std::wstring& text) const {
    static constexpr uint16_t kOrder[] = {0, kLangEnglishUK, kLangEnglishUS, 0, 1024, 2048, kLangGerman};
    for (size_t i = 0; i < std::size(kOrder); ++i) {
        uint16_t lang = i == 0 ? current_ : kOrder[i];
        auto found = services_.tables.Find(lang, id);
        if (!found || found->empty())
            continue;
        size_t lineBreak = found->find(L'\n');
        if (lineBreak == std::wstring_view::npos || lineBreak + 1 == found->size())
            return false;
        text.assign(found->substr(lineBreak + 1));
        return true;
    }
    return false;
}

bool CLMLocalize::FileStep(uint32_t id, bool fallback, std::wstring& text) {
    int entry = FindLanguageEntry(current_);
    std::wstring file =
        entry < 0 ? std::wstring(kEnglishLanguageFile) : LanguageTable()[static_cast<size_t>(entry)].fileName;
    if (ReadLanguageFile(file, id, text))
        return true;
    return fallback && !SameText(file, kEnglishLanguageFile) &&
           ReadLanguageFile(kEnglishLanguageFile, id, text);
}

bool CLMLocalize::ReadLanguageFile(const std::wstring& fileName, uint32_t id, std::wstring& text) {
    std::wstring path = PathJoin(services_.programFolder, fileName);
    std::wstring value;
    services_.profiles.GetString(path, kLanguageFileSection, LanguageFileKey(id), value);
    if (value.empty())
        services_.profiles.GetString(path, kLanguageFileSection, LanguageFileHexKey(id), value);
    if (value.empty())
        return false;
    text = UnescapeLanguageText(value);
    return true;
}

bool CLMLocalize::TableText(uint16_t langId, uint32_t id, std::wstring& text) const {
    auto found = services_.tables.Find(langId, id);
    if (!found || found->empty())
        return false;
    text.assign(*found);
    return true;
}

bool CLMLocalize::TableStep(uint32_t id, bool fallback, std::wstring& text) const {
    if (!fallback)
        return TableText(current_, id, text) ||
               (current_ == kLangEnglishUK && TableText(kLangEnglishUS, id, text));
    static constexpr uint16_t kFallbacks[] = {kLangEnglishUK, kLangEnglishUS, 0, 1024, 2048, kLangGerman};
    if (TableText(current_, id, text))
        return true;
    for (uint16_t lang : kFallbacks)
        if (TableText(lang, id, text))
            return true;
    return false;
}

MessageBoxLayout CLMLocalize::ComposeMessageBox(int kind) {
    if (kind < kMsgError || kind > kMsgPlainYesNo)
        kind = kMsgError;
    MessageBoxLayout layout;
    layout.yesNo = kind >= kMsgErrorYesNo;
    switch (kind % 3) {
    case 0:
        layout.icon = MessageBoxIcon::Error;
        layout.caption = Text(kStringErrorCaption, L"Error");
        break;
    case 1:
        layout.icon = MessageBoxIcon::Warning;
        layout.caption = Text(kStringWarningCaption, L"Warning");
        break;
    default:
        break;
    }
    return layout;
}

void CLMLocalize::ComputeAvailabilityLocked() {
    const auto& table = LanguageTable();
    IFileSystem& fs = services_.profiles.FileSystem();
    availability_.fill(0);
    for (size_t i = 1; i < table.size(); ++i) {
        uint32_t word = 0;
        tagFILEINFO info = fs.GetInfo(PathJoin(services_.programFolder, table[i].fileName));
        if (info.exists && !info.directory)
            word |= kAvailableFile;
        for (uint32_t probe : kProbeStringIds) {
            auto found = services_.tables.Find(table[i].langId, probe);
            if (found && !found->empty()) {
                word |= kAvailableTable;
                break;
            }
        }
        availability_[i] = word;
    }
}

void CLMLocalize::BuildMenuLocked() {
    const auto& table = LanguageTable();
    menu_.clear();
    for (size_t i = 1; i < table.size(); ++i) {
        if (availability_[i] == 0)
            continue;
        LanguageMenuItem item;
        item.langId = table[i].langId;
        item.name = services_.locale.NativeLanguageName(item.langId);
        if (item.name.empty())
            item.name = PathStem(table[i].fileName);
        item.name[0] = services_.locale.ToUpper(item.name[0]);
        menu_.push_back(std::move(item));
    }
    if (view_) {
        view_->Fill(menu_);
        view_->Check(current_);
    }
}

uint32_t CLMLocalize::Availability(size_t entry) const {
    std::lock_guard lock(mutex_);
    return entry < availability_.size() ? availability_[entry] : 0;
}

uint32_t CLMLocalize::AvailabilityOf(uint16_t langId) const {
    const auto& table = LanguageTable();
    for (size_t i = 1; i < table.size(); ++i)
        if (table[i].langId == langId)
            return Availability(i);
    return 0;
}

std::vector<LanguageMenuItem> CLMLocalize::LanguageMenu() const {
    std::lock_guard lock(mutex_);
    return menu_;
}

void CLMLocalize::AttachMenuView(ILanguageMenuView* view) {
    std::lock_guard lock(mutex_);
    view_ = view;
    if (view_) {
        view_->Fill(menu_);
        view_->Check(current_);
    }
}

} // namespace lm
