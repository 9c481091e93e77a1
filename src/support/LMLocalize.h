// CLMLocalize: every user-visible text by string ID, from the language files beside the program and
// from the built-in string tables, with a per-ID cache. It also sets the thread and runtime locales of
// the chosen language, keeps the model of the language menu, composes localised message boxes and
// registers the ".lng" file type. The Windows views (dialogs, menus, message boxes, the popup menu)
// are in LMLocalizeWin.h.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Locale.h"
#include "platform/Registry.h"
#include "support/ProfileFile.h"
#include "support/StringTables.h"
#include "support/Strings.h"

namespace lm {

// One language the program knows: its ID and the name of its language file.
struct tagLANGENTRY {
    uint16_t langId;
    const wchar_t* fileName;
};

// Entry 0 is the neutral entry; entries 1 to 31 are the languages the user can choose.
constexpr size_t kLanguageCount = 32;
const std::array<tagLANGENTRY, kLanguageCount>& LanguageTable();

constexpr uint16_t kLangEnglishUK = 2057;
constexpr uint16_t kLangEnglishUS = 1033;
constexpr uint16_t kLangGerman = 1031;
constexpr wchar_t kEnglishLanguageFile[] = L"English.lng";

inline uint16_t PrimaryLanguage(uint16_t langId) {
    return static_cast<uint16_t>(langId & 0x3FF);
}
inline uint16_t SubLanguage(uint16_t langId) {
    return static_cast<uint16_t>(langId >> 10);
}

// The table entry of a language: exact ID first, else the first entry of the same primary language;
// -1 when there is none.
int FindLanguageEntry(uint16_t langId);
// The language ID of a file name with or without extension ("German", "german.lng"), letter case
// ignored; nothing when no entry has that name.
std::optional<uint16_t> FindLanguageByName(const std::wstring& name);

// The runtime library's name of a language's locale ("german", "chinese-simplified_pr-china.936").
std::string RuntimeLocaleName(uint16_t langId);

// Strings the program probes to tell whether a language has a built-in table.
constexpr std::array<uint32_t, 5> kProbeStringIds = {100, 101, 102, 1000, 32768};
// IDs from here on belong to the framework: their text is the part after the first line break.
constexpr uint32_t kFrameworkStringFirst = 57344;

// Where a language's texts can come from.
enum : uint32_t { kAvailableFile = 1, kAvailableTable = 2 };

enum LookupMode : int {
    kLookupFilesOnly = 0,
    kLookupTablesOnly = 1,
    kLookupFileFirst = 2,
    kLookupTableFirst = 3,
};

// Message-box kinds; any other value behaves as kMsgError.
enum MessageBoxKind : int {
    kMsgError = 0,
    kMsgWarning = 1,
    kMsgPlain = 2,
    kMsgErrorYesNo = 3,
    kMsgWarningYesNo = 4,
    kMsgPlainYesNo = 5,
};
enum class MessageBoxIcon { None, Error, Warning };
struct MessageBoxLayout {
    std::wstring caption;
    MessageBoxIcon icon = MessageBoxIcon::None;
    bool yesNo = false;
};
constexpr uint32_t kStringErrorCaption = 53505;
constexpr uint32_t kStringWarningCaption = 54592;

struct LanguageMenuItem {
    uint16_t langId = 0;
    std::wstring name;
};

// The language menu as a view shows it; the Windows popup menu implements it.
class ILanguageMenuView {
public:
    virtual ~ILanguageMenuView() = default;
    virtual void Fill(const std::vector<LanguageMenuItem>& items) = 0;
    // Checks the item of `langId` and unchecks all others.
    virtual void Check(uint16_t langId) = 0;
};

// Registers ".lng" under the user's classes so that language files open in Notepad. Changes nothing
// when ".lng" exists already or cannot be created. True when it registered the type.
bool RegisterLanguageFileType(IRegistry& registry);

// Fills the conversions of a localised text ("%s", "%ls", "%d", "%3d", ...) in their order with the
// given texts, cut to maxChars. A language file can hold any text, so a localised text is never given
// to printf as a format: callers format their numbers and pass them here as texts. A width pads the
// text (on the left, on the right with "-"); "%%" gives "%"; a conversion without a text left gives
// nothing and anything that is no conversion stays as written.
std::wstring FillTextArgs(const std::wstring& text, const std::vector<std::wstring>& args, size_t maxChars);

struct tagLOCALIZESERVICES {
    const IStringTables& tables;
    CProfileStore& profiles; // language files; its file system also answers whether they exist
    ILocale& locale;
    IRegistry* registry = nullptr; // for the file-type registration; none skips it
    std::wstring programFolder;    // where the language files are
};

struct tagLOCALIZEOPTIONS {
    // The whole object: the user's default language, thread and runtime locales, file type,
    // availability and menu.
    static tagLOCALIZEOPTIONS Full() { return tagLOCALIZEOPTIONS{}; }
    // A short-lived source of texts in one language: no locales, no registration, no menu.
    static tagLOCALIZEOPTIONS LookupOnly(uint16_t langId, int mode) {
        tagLOCALIZEOPTIONS o;
        o.language = langId;
        o.mode = mode;
        o.applyLocale = false;
        o.registerFileType = false;
        o.buildMenu = false;
        return o;
    }
    std::optional<uint16_t> language; // none: the user's default language
    int mode = kLookupFileFirst;
    bool applyLocale = true;
    bool registerFileType = true;
    bool buildMenu = true;
};

class CLMLocalize : public IStringSource {
public:
    explicit CLMLocalize(const tagLOCALIZESERVICES& services,
                         const tagLOCALIZEOPTIONS& options = tagLOCALIZEOPTIONS::Full());
    ~CLMLocalize() override;
    CLMLocalize(const CLMLocalize&) = delete;
    CLMLocalize& operator=(const CLMLocalize&) = delete;

    // Makes a language current: empties the cache, sets the thread and runtime locales (when this
    // object applies locales) and checks its menu item.
    int SetLanguage(uint16_t langId);
    uint16_t CurrentLanguage() const;
    // Changes where texts are looked up; empties the cache and recomputes availability and menu.
    int SetLookupMode(int mode);
    int GetLookupMode() const;

    // Looks a text up; on success the buffer receives it cut to size - 1 characters and terminated.
    // When nothing is found the buffer is left as it was.
    bool LoadText(uint32_t id, wchar_t* buffer, size_t size);
    // The same with a buffer of 1024 characters.
    bool LoadText(uint32_t id, std::wstring& text) override;
    static constexpr size_t kTextBufferChars = 1024;

    // The caption, icon and buttons of a message box of the given kind.
    MessageBoxLayout ComposeMessageBox(int kind);

    // The availability word of table entry `entry` (1..31) or of a language.
    uint32_t Availability(size_t entry) const;
    uint32_t AvailabilityOf(uint16_t langId) const;
    // The language menu: one item per available language, in table order.
    std::vector<LanguageMenuItem> LanguageMenu() const;
    // Attaches the view of the language menu (none detaches it); it is filled and checked at once.
    void AttachMenuView(ILanguageMenuView* view);

    // Added to a control's or menu item's ID to form its string ID.
    uint32_t ControlOffset() const { return controlOffset_; }
    const std::wstring& ProgramFolder() const { return services_.programFolder; }
    // The runtime locale the last language change set (empty when none was set).
    std::string RuntimeLocale() const;
    // The file name of the current language without its extension, "UNKNOWN" when it has none.
    std::wstring CurrentLanguageName() const;

private:
    struct IdHash {
        size_t operator()(uint32_t id) const { return (id / 16) % 1009; }
    };

    void SetLanguageLocked(uint16_t langId);
    void ComputeAvailabilityLocked();
    void BuildMenuLocked();
    bool LookupLocked(uint32_t id, std::wstring& text);
    bool FrameworkText(uint32_t id, std::wstring& text) const;
    bool FileStep(uint32_t id, bool fallback, std::wstring& text);
    bool TableStep(uint32_t id, bool fallback, std::wstring& text) const;
    bool TableText(uint16_t langId, uint32_t id, std::wstring& text) const;
    bool ReadLanguageFile(const std::wstring& fileName, uint32_t id, std::wstring& text);

    tagLOCALIZESERVICES services_;
    tagLOCALIZEOPTIONS options_;
    uint32_t controlOffset_ = 0;
    uint16_t savedThreadLocale_ = 0;

    mutable std::mutex mutex_; // cache and state; lookups normally come from one thread only
    uint16_t current_ = 0;
    int mode_ = kLookupFileFirst;
    std::string runtimeLocale_;
    std::unordered_map<uint32_t, std::wstring, IdHash> cache_;
    std::array<uint32_t, kLanguageCount> availability_{};
    std::vector<LanguageMenuItem> menu_;
    ILanguageMenuView* view_ = nullptr;
};

} // namespace lm
