#include "core/ThreadCheck.h"

#include <cstdio>
#include <cstdlib>

#ifndef TOLVANE_THREAD_CHECKS
#define TOLVANE_THREAD_CHECKS 0
#endif

namespace tolvane {

bool ThreadChecksOn() {
    return TOLVANE_THREAD_CHECKS != 0;
}

void ThreadRuleBroken(const char* what) {
    std::fprintf(stderr, "Tolvane: %s called off the user-interface thread\n", what);
    std::fflush(stderr);
    std::abort();
}

} // namespace tolvane
