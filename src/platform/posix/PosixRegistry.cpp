// Host builds have no registry: one in memory, empty at start, stands in for it, so host tools can run
// the code that keeps settings there.
#include "platform/Registry.h"

namespace lm {

IRegistry& NativeRegistry() {
    static const std::unique_ptr<IRegistry> registry = MakeMemoryRegistry();
    return *registry;
}

} // namespace lm
