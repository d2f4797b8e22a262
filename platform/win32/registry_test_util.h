#pragma once
// A registry key of a test's own under HKCU: created before each test,
// removed with whatever it holds after it, named after the suite and the
// process so that neither two suites nor two test runs meet.
#include <windows.h>
// After windows.h.
#include <gtest/gtest.h>

#include <string>

#include "base/strings.h"
#include "platform/win32/wide_text.h"

namespace twk::platform::win32::test {

class ScratchKeyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The suite's name too: suites that change a key's security must not
    // hand their key on to the next suite.
    const char* suite = ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name();
    subkey = u"Software\\TarnwickTest-" + FromUtf8(suite) + u"-" +
             FromUtf8(std::to_string(GetCurrentProcessId()));
    HKEY created = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Wide(subkey), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &created, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(created);
  }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, Wide(subkey)); }

  Text subkey;  // below HKEY_CURRENT_USER
};

}  // namespace twk::platform::win32::test
