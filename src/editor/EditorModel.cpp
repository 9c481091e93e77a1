#include "editor/EditorModel.h"

#include "base/Text.h"
#include "support/LMLocalize.h"

namespace lm {

tagTRAYWORDS TrayWords(uint16_t threadLangId) {
    switch (PrimaryLanguage(threadLangId)) {
    case 0x07: // German
        return {L"&Anzeigen", L"&Verbergen", L"&Beenden"};
    case 0x10: // Italian
        return {L"&Mostra", L"&Nascondi", L"&Esci"};
    case 0x0A: // Spanish
        return {L"&Mostrar", L"&Ocultar", L"&Salir"};
    case 0x0C: // French
        return {L"&Afficher", L"&Masquer", L"&Quitter"};
    case 0x13: // Dutch
        return {L"&Weergeven", L"&Verbergen", L"&Afsluiten"};
    case 0x04: // Chinese
        return {L"\u663e\u793a", L"\u9690\u85cf", L"\u9000\u51fa"};
    default:
        return {L"&Show", L"&Hide", L"&Exit"};
    }
}

std::wstring LanguagePopupCaption(IStringSource& strings) {
    return FormatBounded(CLMLocalize::kTextBufferChars, L"%ls/Language",
                         strings.Text(kStringLanguage).c_str());
}

std::vector<tagPROGRAMENTRY> ProgramMenuEntries(CCmdSetAdmin& admin) {
    std::vector<tagPROGRAMENTRY> entries;
    for (int32_t i = 0; i < kMainMenuPlaces; ++i) {
        std::wstring name;
        if (!admin.GetMenuEntryName(i, name))
            continue;
        entries.push_back({i, name, FormatBounded(kPrgTextChars + 8, L"%2d. %ls", i, name.c_str())});
    }
    return entries;
}

} // namespace lm
