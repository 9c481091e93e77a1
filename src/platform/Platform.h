// The platform services of the running program, one implementation per system: Win32 on Windows,
// the standard library elsewhere (host builds and tools).
#pragma once
#include "Clock.h"
#include "Process.h"
#include "Sync.h"

namespace lm {

struct tagPLATFORM {
    IClock& clock;
    IThreads& threads;
    IProcessServices& process;
};

// The native services of this build; they live for the whole process.
tagPLATFORM& NativePlatform();

} // namespace lm
