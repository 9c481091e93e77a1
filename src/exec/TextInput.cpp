#include "exec/TextInput.h"

#include "cmdset/RemoteKeys.h"
#include "support/LMDebug.h"

#include <utility>

namespace lm {

namespace {

constexpr uint32_t kTraceContextHandler = 16;

bool IsDigitKeyCode(int32_t code) {
    return (code >= 0x30 && code <= 0x39) || (code >= 0x60 && code <= 0x69);
}

} // namespace

CTextInput::CTextInput(IClock& clock, IOsdDisplay* display, std::function<tagOSDSETTINGS()> displayColors)
    : clock_(clock), display_(display), displayColors_(std::move(displayColors)) {}

std::wstring CTextInput::Sequence(int32_t key) {
    static const wchar_t* const kSequences[] = {L"0 ",   L"1.,?!'-()*+<=>", L"2ABC", L"3DEF", L"4GHI",
                                                L"5JKL", L"6MNO",           L"7PQR", L"8TUV", L"9WXYZ"};
    return key >= RCKEY_0 && key <= RCKEY_9 ? kSequences[key - RCKEY_0] : std::wstring();
}

void CTextInput::Reset() {
    state_.lastPress = 0;
    state_.lastKey = -1;
    state_.index = 0;
}

int CTextInput::Key(int32_t key, tagWINCMD* command, IEvent& stop) {
    state_.pendingKey = -1;
    if (!command || key < RCKEY_0 || key > RCKEY_9 || command->nType != CMD_KEY ||
        !IsDigitKeyCode(command->nSubType)) {
        Reset();
        return kTextKeyNormal;
    }
    const uint32_t now = clock_.TickCount();
    const uint32_t elapsed = now - state_.lastPress;
    const int32_t previous = state_.lastKey;
    state_.lastPress = now;
    state_.lastKey = key;

    const std::wstring sequence = Sequence(key);
    if (previous != key || elapsed >= state_.timeoutMs) {
        TraceMessage(kTraceInfo, kTraceContextHandler, L"SMS key - new key\n");
        state_.index = 0;
    } else {
        TraceMessage(kTraceInfo, kTraceContextHandler, L"SMS key - Pressed again\n");
        state_.index = static_cast<int8_t>((state_.index + 1) % static_cast<int>(sequence.size()));
    }
    command->bRepeat = 0;
    command->bHideOsd = 0;
    command->nSubType = sequence[static_cast<size_t>(state_.index)];
    if (IOsdDisplay* display = display_.load())
        display->ShowText(DisplayText(key));

    if (stop.Wait(state_.timeoutMs) == WaitResult::Signalled) {
        TraceMessage(kTraceInfo, kTraceContextHandler, L"Wait aborted\n");
        state_.pendingKey = key;
        state_.pending = *command;
        return kTextKeyPending;
    }
    TraceMessage(kTraceInfo, kTraceContextHandler, L"Wait timeout\n");
    Flash(key, stop);
    return kTextKeyRun;
}

// The display shows the choice once more with text and background colours swapped. A new key cuts the
// flash short.
void CTextInput::Flash(int32_t key, IEvent& stop) {
    IOsdDisplay* display = display_.load();
    if (!display)
        return;
    const tagOSDSETTINGS saved = displayColors_ ? displayColors_() : tagOSDSETTINGS{};
    tagOSDSETTINGS swapped = saved;
    std::swap(swapped.textColor, swapped.backgroundColor);
    display->ApplySettings(swapped);
    display->ShowText(DisplayText(key));
    stop.Wait(kFlashMs);
    display->ApplySettings(saved);
}

std::wstring CTextInput::DisplayText(int32_t key) const {
    std::wstring text = Sequence(key);
    if (key == RCKEY_0 && text.size() > 1)
        text[1] = L'_';
    if (state_.index < 0 || static_cast<size_t>(state_.index) >= text.size())
        return text;
    const wchar_t current = Sequence(key)[static_cast<size_t>(state_.index)];
    const std::wstring marked = std::wstring(L" \u00AB") + current + L"\u00BB ";
    std::wstring shown;
    for (wchar_t c : text)
        shown += c == current ? marked : std::wstring(1, c);
    return shown;
}

} // namespace lm
