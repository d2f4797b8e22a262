#include <gtest/gtest.h>

#include "platform/win32/win_console.h"

namespace twk::platform::win32 {
namespace {

// The tests run on a desktop that is shown (Wine's own, or a user's), in a
// session other than the services': a failure box there must still appear.
TEST(WinConsoleTest, TheDesktopTheTestsRunOnIsVisible) {
  WinConsole console;
  EXPECT_TRUE(console.DesktopIsVisible());
}

}  // namespace
}  // namespace twk::platform::win32
