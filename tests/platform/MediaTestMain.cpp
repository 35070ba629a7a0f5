#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    // The tests listen to the mixed output through SDL's dummy driver, which mixes in real time
    // without any sound hardware.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
