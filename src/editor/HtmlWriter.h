// CHtmlWriter: a printable overview of one command set as an HTML page: a header with the application's
// data and the remote model, one small table per row of keys laid out like the keys of the remote (for
// the MIDI keyboard one line per note that has a command), each cell naming the key's command, and a
// footer with the time the page was made. The page lies in the program's user-data folder beside its
// style sheet and footer picture, which the writer copies there from the program's folder.
//
// The page is UTF-8 and says so, so that every name survives whatever the user's code page; every text
// that comes from the user or the files is escaped, so a set named "<script>" shows as text. The words
// come from the string source the caller gives (the program passes the string tables of the user's
// default language).
#pragma once
#include <cstdint>
#include <string>

#include "cmdset/KeyNames.h"
#include "cmdset/Keymap.h"
#include "cmdset/PrgInfo.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "support/LMLocalize.h"
#include "support/Strings.h"

namespace lm {

struct tagHTMLSERVICES {
    IFileSystem& files;
    IStringSource& words;
    CKeyNames& keyNames;
    IClock& clock; // the time in the footer
};

// Words of the page and of its failure message.
enum : uint32_t {
    kWordHtmlDescription = 53443,
    kWordHtmlExecutable = 53506,
    kWordHtmlPath = 54148,
    kWordHtmlCommandLine = 4402,
    kWordHtmlCaption = 54594,
    kWordHtmlRemote = 1700,
    kWordHtmlMouse = 53958,
    kWordHtmlAlt = 55046,
    kWordHtmlCtrl = 55045,
    kWordHtmlShift = 55044,
    kStringOverviewNotWritten = 4010, // "The overview ... could not be written" (%s = path)
};

// Text with &, <, >, " and ' written as character references.
std::wstring HtmlEscape(const std::wstring& text);

class CHtmlWriter {
public:
    static constexpr const wchar_t* kPageFile = L"Marvix.htm";
    static constexpr const wchar_t* kStyleSheetFile = L"Marvix.css";
    static constexpr const wchar_t* kPictureFile = L"Marvix.jpg";
    static constexpr const wchar_t* kTitle = L"Lumora Remote Control Editor";
    static constexpr const wchar_t* kPublisher = L"Lumora Remote Control, free software for your remote";
    static constexpr const wchar_t* kPublisherSite = L"https://lumora.example.org/remote";

    // Creates the output folder when missing and copies the style sheet and the footer picture from the
    // program's folder into it, over older copies. A copy that fails is not reported: the page then
    // links to a missing or older file.
    CHtmlWriter(const tagHTMLSERVICES& services, const std::wstring& outputFolder,
                const std::wstring& programFolder);

    // The page of a set: CR LF line ends.
    std::wstring PageText(uint32_t remoteModel, const tagPRGINFO& record, const CKeymap& keymap);
    // Writes the page file as UTF-8 (created or replaced); false when it cannot be written.
    bool WritePage(uint32_t remoteModel, const tagPRGINFO& record, const CKeymap& keymap);

    const std::wstring& PagePath() const { return pagePath_; }
    const std::wstring& StyleSheetPath() const { return styleSheetPath_; }

private:
    void CopyBesidePage(const std::wstring& programFolder, const wchar_t* file);
    // A key's command: the name part (display text) and the description, short form inside a grid
    // cell or table form on a note's line.
    std::wstring KeyEntry(const CKeymap& keymap, int32_t key, bool tableForm);
    std::wstring Describe(const tagWINCMD& cmd);
    std::wstring Word(uint32_t id, const wchar_t* english) { return services_.words.Text(id, english); }

    tagHTMLSERVICES services_;
    std::wstring outputFolder_;
    std::wstring pagePath_;
    std::wstring styleSheetPath_;
};

// The overview of a set for the user: writes the page and asks the shell to open it (1). When the page
// cannot be written the user is told in a warning box naming the file, and nothing is opened (0).
int ShowOverview(CHtmlWriter& writer, IShell& shell, IStringSource& words, uint32_t remoteModel,
                 const tagPRGINFO& record, const CKeymap& keymap);

} // namespace lm
