// The main() of the fault tests: mounts of the process's own before anything
// else runs, then the tests.
#include "FaultSupport.h"

#include <cstdio>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (!quillane::testing::UsePrivateMounts()) {
        std::fprintf(stderr, "fault tests: no mount namespace of their own; mounts are shared with the machine\n");
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
