#include "editor/HtmlWriter.h"

#include <ctime>
#include <iterator>
#include <cwchar>

#include "base/Path.h"
#include "base/Text.h"
#include "editor/RemoteModels.h"
#include "exec/VirtualKeys.h"
#include "support/LMDebug.h"
#include "support/LMLocalize.h"

namespace lm {

namespace {

constexpr size_t kLineChars = 1024;

// A virtual key's name without "VK_".
std::wstring KeyCodeName(int32_t code) {
    std::wstring name = GetVirtualKeyName(static_cast<uint8_t>(code & 0xFF));
    for (size_t at; (at = name.find(L"VK_")) != std::wstring::npos;)
        name.erase(at, 3);
    return name;
}

} // namespace

std::wstring HtmlEscape(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        switch (c) {
        case L'&':
            out += L"&amp;";
            break;
        case L'<':
            out += L"&lt;";
            break;
        case L'>':
            out += L"&gt;";
            break;
        case L'"':
            out += L"&quot;";
            break;
        case L'\'':
            out += L"&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

CHtmlWriter::CHtmlWriter(const tagHTMLSERVICES& services, const std::wstring& outputFolder,
                         const std::wstring& programFolder)
    : services_(services), outputFolder_(outputFolder), pagePath_(PathJoin(outputFolder, kPageFile)),
      styleSheetPath_(PathJoin(outputFolder, kStyleSheetFile)) {
    CLMTraceScope scope(kTraceInfo, kTraceAllContexts, L"CHtmlWriter::SetStylesheet");
    services_.files.CreateDirectories(outputFolder_);
    LM_TRACE(kTraceInfo, L"Copy CSS to %ls\n", styleSheetPath_.c_str());
    CopyBesidePage(programFolder, kStyleSheetFile);
    CopyBesidePage(programFolder, kPictureFile);
}

void CHtmlWriter::CopyBesidePage(const std::wstring& programFolder, const wchar_t* file) {
    const std::wstring from = PathJoin(programFolder, file);
    const std::wstring to = PathJoin(outputFolder_, file);
    if (!services_.files.Copy(from, to))
        LM_TRACE(kTraceErr, L"CHtmlWriter: cannot copy %ls to %ls\n", from.c_str(), to.c_str());
}

std::wstring CHtmlWriter::Describe(const tagWINCMD& cmd) {
    switch (cmd.nType) {
    case CMD_NONE:
        return L"-";
    case CMD_SYSTEM: {
        static constexpr struct {
            uint32_t id;
            const wchar_t* english;
        } kSubWords[] = {{4452, L"Power"},           {56150, L"Volume"},         {56020, L"Mute"},
                         {kWordHtmlMouse, L"Mouse"}, {kWordHtmlMouse, L"Mouse"}, {53392, L"Cursor"}};
        std::wstring word;
        if (cmd.nSubType >= 0 && cmd.nSubType < static_cast<int32_t>(std::size(kSubWords)))
            word = Word(kSubWords[cmd.nSubType].id, kSubWords[cmd.nSubType].english);
        return FormatBounded(kLineChars, L"\n%ls (%ls)", CmdTypeShortName(cmd.nType),
                             HtmlEscape(word).c_str());
    }
    case CMD_KEY: {
        std::wstring prefix;
        if (cmd.nParam & MOD_KEY_ALT)
            prefix += Word(kWordHtmlAlt, L"Alt") + L"+";
        if (cmd.nParam & MOD_KEY_CTRL)
            prefix += Word(kWordHtmlCtrl, L"Ctrl") + L"+";
        if (cmd.nParam & MOD_KEY_SHIFT)
            prefix += Word(kWordHtmlShift, L"Shift") + L"+";
        return HtmlEscape(prefix + KeyCodeName(cmd.nSubType));
    }
    default:
        return CmdTypeShortName(cmd.nType);
    }
}

std::wstring CHtmlWriter::KeyEntry(const CKeymap& keymap, int32_t key, bool tableForm) {
    tagWINCMD cmd;
    cmd.nType = CMD_NONE;
    keymap.Lookup(key, cmd);
    const std::wstring name = cmd.nType != CMD_NONE ? HtmlEscape(cmd.szOsdText) : std::wstring(L"-");
    const std::wstring description = Describe(cmd);
    if (tableForm)
        return FormatBounded(kLineChars, L"<TD width=\"40%%\"><B>%ls</B></TD>", name.c_str()) +
               FormatBounded(kLineChars, L"<TD width=\"30%%\">%ls</TD>\n", description.c_str());
    return FormatBounded(kLineChars, L"<B>%ls</B>", name.c_str()) +
           FormatBounded(kLineChars, L"<BR><I><SMALL>%ls</SMALL></I>\n", description.c_str());
}

std::wstring CHtmlWriter::PageText(uint32_t remoteModel, const tagPRGINFO& record, const CKeymap& keymap) {
    CLMTraceScope scope(kTraceInfo, kTraceAllContexts, L"CHtmlWriter::WriteHtml", L"%ls", record.szName);
    auto line = [](const wchar_t* format, const std::wstring& text = std::wstring()) {
        return FormatBounded(kLineChars, format, text.c_str());
    };
    std::wstring page;
    page += L"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Frameset//EN\"\n"
            L"\"http://www.w3.org/TR/REC-html40/frameset.dtd\">\n";
    page += line(L"<LINK rel=stylesheet href=\"%ls\" type=\"text/css\">\n", HtmlEscape(kStyleSheetFile));
    page += L"<HTML>\n<HEAD>\n<META http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n";
    page += line(L"<TITLE>%ls</TITLE>\n", kTitle);
    page += L"</HEAD>\n\n<script language=\"JavaScript\">\n</script>\n<BODY>";
    page += L"<div align=\"center\">\n";
    page += L"  <table width=\"65%\"  cellspacing=\"0\" border=\"1\" bordercolor=\"black\"><tr><td>\n";
    page += line(L"<H2 CLASS=pad><BR>%ls<BR>", HtmlEscape(record.szName)) + L"<BR></H2>\n";
    page += L"<HR CLASS=pad> \n";
    page += L"  <TABLE CLASS=\"pad\" width=\"90%\" cellspacing=\"0\" border=\"0\">\n";
    const struct {
        std::wstring label, value;
    } rows[] = {
        {Word(kWordHtmlDescription, L"Description"), record.szDescription},
        {Word(kWordHtmlExecutable, L"Executable file"), record.szExecutable},
        {Word(kWordHtmlPath, L"Path"), PathFolder(record.szAppPath)},
        {Word(kWordHtmlCommandLine, L"Command-line"), record.szCommandLine},
        {Word(kWordHtmlCaption, L"Window caption"), record.szWindowCaption},
        {Word(kWordHtmlRemote, L"Remote control"), RemoteModelName(remoteModel)},
    };
    for (const auto& row : rows)
        page += FormatBounded(kLineChars, L"<TD WIDTH=\"40%%\"> %ls: </TD><TD>%ls</TD></TR>\n",
                              HtmlEscape(row.label).c_str(), HtmlEscape(row.value).c_str());
    page += L"<TR><TD COLSPAN=2>\n</TD></TR>\n</TABLE>\n<HR CLASS=pad> \n";

    const wchar_t* tableOpen =
        L"  <table CLASS=\"tealtable\" width=\"100%\" cellspacing=\"5\" border=\"0\">\n"
        L"    <tr>\n";
    if (remoteModel == kRemoteModelMidi) {
        for (int32_t note = RCKEY_NOTE_FIRST; note <= RCKEY_NOTE_LAST; ++note) {
            const tagWINCMD* cmd = keymap.Find(note);
            if (!cmd || cmd->nType == CMD_NONE)
                continue;
            page += tableOpen;
            page += FormatBounded(kLineChars, L"<td width=\"20%%\"> Note %d </td>\n", note);
            page += line(L"<td width=\"10%%\"> %ls      </td>\n",
                         HtmlEscape(services_.keyNames.DisplayName(note)));
            page += KeyEntry(keymap, note, true);
            page += L"    </tr>\n  </table>";
        }
    } else {
        for (const std::vector<int32_t>& row : RemoteKeyGrid(remoteModel)) {
            page += tableOpen;
            const int width = 100 / static_cast<int>(row.size());
            for (int32_t key : row) {
                if (key < 0) {
                    page += FormatBounded(kLineChars, L"      <td width=\"%d%%\">  </td>", width);
                    continue;
                }
                page += FormatBounded(kLineChars, L"      <td width=\"%d%%\">", width);
                page += KeyEntry(keymap, key, false) + L"</td>\n";
            }
            page += L"    </tr>\n  </table>";
        }
    }

    page += L"<HR CLASS=pad> \n<P CLASS=copyright>";
    page += line(L"Generated %ls<BR>\n", HtmlEscape(LocalTimeText(services_.clock.Now())));
    page += line(L"%ls<BR>\n", HtmlEscape(kPublisher));
    page += line(L"<A CLASS=pad HREF=\"%ls\">", HtmlEscape(kPublisherSite)) + HtmlEscape(kPublisherSite) +
            L"</A>";
    page += L"<BR>";
    page += line(L"<img align=\"center\" border=\"0\" src=\"%ls\">", HtmlEscape(kPictureFile));
    page += L"</P>";
    page += L"</td></tr></table></div>\n</P> \n</BODY>\n</HTML>\n";

    std::wstring crlf;
    crlf.reserve(page.size() + page.size() / 16);
    for (wchar_t c : page) {
        if (c == L'\n')
            crlf += L'\r';
        crlf += c;
    }
    return crlf;
}

bool CHtmlWriter::WritePage(uint32_t remoteModel, const tagPRGINFO& record, const CKeymap& keymap) {
    if (services_.files.WriteAtomic(pagePath_, ToUtf8(PageText(remoteModel, record, keymap))))
        return true;
    LM_TRACE(kTraceErr, L"CHtmlWriter: cannot write %ls\n", pagePath_.c_str());
    return false;
}

int ShowOverview(CHtmlWriter& writer, IShell& shell, IStringSource& words, uint32_t remoteModel,
                 const tagPRGINFO& record, const CKeymap& keymap) {
    if (!writer.WritePage(remoteModel, record, keymap)) {
        const std::wstring text = FillTextArgs(
            words.Text(kStringOverviewNotWritten, L"The overview\n\n%s\n\ncould not be written."),
            {writer.PagePath()}, 1023);
        shell.WarningBox(text, words.Text(kStringWarningCaption, L"Warning"));
        return 0;
    }
    constexpr int32_t kShowNormal = 1;
    return shell.ShellExec(L"open", writer.PagePath(), std::wstring(), std::wstring(), kShowNormal) ? 1 : 0;
}

} // namespace lm
