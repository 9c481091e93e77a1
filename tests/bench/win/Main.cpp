#include "Timing.h"

#include <cstring>

// An argument runs only the areas whose name contains it.
int main(int argc, char** argv) {
    for (auto [name, run] : {std::pair{"exec", &lm::bench::ExecTiming}})
        if (argc < 2 || std::strstr(name, argv[1]))
            run();
    return 0;
}
