// The test main. Tests link the library's folders statically, so they see the same module object count as the
// objects they create.
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
