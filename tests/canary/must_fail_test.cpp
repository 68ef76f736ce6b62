// Fails on purpose: ctest expects this program to fail (WILL_FAIL), so a test
// runner that reports success without running anything is caught.
#include <gtest/gtest.h>

TEST(EmulatorCanary, FailsOnPurpose) {
  ADD_FAILURE() << "the canary failed, as it must";
}
