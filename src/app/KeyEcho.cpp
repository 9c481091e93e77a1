#include "app/KeyEcho.h"

#include "support/LMDebug.h"

namespace lm {

int32_t CKeyEcho::OnKey(void* context, const tagIREVENT* event) {
    auto* self = static_cast<CKeyEcho*>(context);
    if (!self || !event)
        return 0;
    const wchar_t* name = self->keyNames_.DisplayName(event->keyId);
    LM_TRACE(kTraceInfo, L"CKeyEcho: key %d (%ls)\n", event->keyId, name);
    if (!self->ready_.load())
        return 1;
    if (IOsdDisplay* display = self->display_.load(); display && *name)
        display->ShowText(name);
    return 1;
}

void CKeyEcho::SwitchToProgram(int index) {
    LM_TRACE(kTraceWrn, L"CKeyEcho: program %d asked for; there is no command handler\n", index);
}

} // namespace lm
