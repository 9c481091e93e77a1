// The count-down dialog shown before standby, hibernation and shutdown (Windows builds).
#pragma once
#include "exec/ShutdownWarning.h"
#include "support/Strings.h"

#include <cstdint>

namespace lm {

// Dialog 109: a static text above a progress bar, OK and Cancel (the default button, the first tab stop
// and the focus when the dialog opens, so Space and Enter cancel). The progress bar advances
// once a second; when it reaches the count-down length the dialog ends with OK. Cancel, Escape and the
// close box end it with Cancel.
class CDlgShutdownWarning final : public IShutdownWarning {
public:
    explicit CDlgShutdownWarning(IStringSource& strings) : strings_(strings) {}

    // Runs the dialog modally on the calling thread.
    int32_t Run(int32_t seconds) override;

    enum : int32_t { kIdd = 109, kIdcProgress = 1001, kIdcText = 1002 };
    // Title of the dialog window, for finding it.
    static constexpr const wchar_t* kDefaultTitle = L"Shutdown";

private:
    IStringSource& strings_;
};

} // namespace lm
