// Every test program starts here: it refuses before a single test runs unless it is in a
// scratch Wine prefix (see support/scratch_prefix.h).
#include <gtest/gtest.h>

#include "support/scratch_prefix.h"

int main(int argc, char** argv) {
    if (testing_support::RefuseOutsideScratchPrefix(argc > 0 ? argv[0] : "this test program")) {
        return 2;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
