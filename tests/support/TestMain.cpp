// Entry point of every test program. Message boxes are answered by the test
// support instead of waiting for a user.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    TestSupport::InstallMessageBoxRecorder();
    return RUN_ALL_TESTS();
}
