// Entry point of the Windows test program. Everything is built with
// -municode, so the start-up code calls wmain, and gtest_main's main() would
// never run (the link fails looking for wWinMain instead).
#include <gtest/gtest.h>

int wmain(int argc, wchar_t** argv) {
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
