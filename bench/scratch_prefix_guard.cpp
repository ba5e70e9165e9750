// Linked into every benchmark program: the benchmarks rewrite the settings of the prefix
// they run in, so they stop before main unless that prefix is a scratch one.
#include <windows.h>

#include "support/scratch_prefix.h"

namespace {

struct ScratchPrefixGuard {
    ScratchPrefixGuard() {
        if (testing_support::RefuseOutsideScratchPrefix("this benchmark")) {
            ExitProcess(2);
        }
    }
} scratchPrefixGuard;

}  // namespace
