// Listing a key's values and subkeys against the real registry, on a key of
// the test's own under HKCU. The order is the registry's own business, and
// no caller may rely on it: the lists are compared sorted, but the names
// exactly, letter case and all.
#include <windows.h>
// After windows.h.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/strings.h"
#include "platform/win32/registry_test_util.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win_registry.h"

namespace twk::platform::win32 {
namespace {

std::vector<std::u16string> Sorted(std::vector<std::u16string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

std::string Joined(const std::vector<std::u16string>& names) {
  std::string text;
  for (const auto& name : names) text += "[" + ToUtf8(name.substr(0, 40)) + "]";
  return text;
}

class WinRegistryWinTest : public test::ScratchKeyTest {
 protected:
  // Written straight through the system, not through the adapter.
  void AddValue(const std::u16string& below, const std::u16string& name) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Wide(below), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key, Wide(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(L"x"), 4),
              ERROR_SUCCESS)
        << name.size();
    RegCloseKey(key);
  }
  void AddKey(const std::u16string& path) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Wide(path), 0, nullptr, 0, KEY_READ, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  OwnedKey Open(std::uint32_t access) {
    const Answer<RegistryKey> opened = registry.OpenKey(RegistryRoot::CurrentUser, subkey, access);
    EXPECT_TRUE(opened.ok()) << "access " << access;
    return OwnedKey(registry, opened.value_or(kNoKey));
  }

  WinRegistry registry;
};

// Every name once, as written: mixed case, beyond ASCII, the unnamed
// default value (an empty name), and a value name of the longest length
// allowed, which a buffer sized for key names would cut. A subkey's own
// values and subkeys are not the key's.
TEST_F(WinRegistryWinTest, NamesComeBackAsWrittenAndOnlyTheKeysOwn) {
  const std::u16string longest(16383, u'n');
  const std::vector<std::u16string> values = {u"Tarnwick", u"lowerUPPER", u"\u00dcml\u00e4ut", u"",
                                              longest};
  for (const auto& name : values) AddValue(subkey, name);
  const std::vector<std::u16string> keys = {u"RunOnce", u"MixedCASE", u"\u03a9mega Key"};
  for (const auto& name : keys) AddKey(subkey + u"\\" + name);
  AddKey(subkey + u"\\RunOnce\\Deeper");
  AddValue(subkey + u"\\MixedCASE", u"InTheSubkey");

  const OwnedKey key = Open(KeyAccess::Read);
  ASSERT_TRUE(key);
  const auto valueNames = registry.ValueNames(key.get());
  ASSERT_TRUE(valueNames.ok()) << static_cast<int>(valueNames.status());
  EXPECT_EQ(Sorted(valueNames.value()), Sorted(values)) << Joined(valueNames.value());
  const auto subkeyNames = registry.SubkeyNames(key.get());
  ASSERT_TRUE(subkeyNames.ok()) << static_cast<int>(subkeyNames.status());
  EXPECT_EQ(Sorted(subkeyNames.value()), Sorted(keys)) << Joined(subkeyNames.value());
}

TEST_F(WinRegistryWinTest, AnEmptyKeyHasNoNames) {
  const OwnedKey key = Open(KeyAccess::Read);
  ASSERT_TRUE(key);
  const auto valueNames = registry.ValueNames(key.get());
  ASSERT_TRUE(valueNames.ok());
  EXPECT_TRUE(valueNames.value().empty()) << Joined(valueNames.value());
  const auto subkeyNames = registry.SubkeyNames(key.get());
  ASSERT_TRUE(subkeyNames.ok());
  EXPECT_TRUE(subkeyNames.value().empty()) << Joined(subkeyNames.value());
}

// Each list needs its own right and no other: values the right to query
// them, subkeys the right to enumerate them. (Windows refuses the size of
// the longest name to a key opened only to list its subkeys; Wine answers
// it all the same.)
TEST_F(WinRegistryWinTest, EachListAsksForItsOwnRightOnly) {
  AddValue(subkey, u"Tarnwick");
  AddKey(subkey + u"\\RunOnce");

  const OwnedKey values = Open(KeyAccess::QueryValue);
  ASSERT_TRUE(values);
  const auto valueNames = registry.ValueNames(values.get());
  ASSERT_TRUE(valueNames.ok()) << static_cast<int>(valueNames.status());
  EXPECT_EQ(valueNames.value(), std::vector<std::u16string>{u"Tarnwick"});
  EXPECT_EQ(registry.SubkeyNames(values.get()).status(), Status::Denied);

  const OwnedKey subkeys = Open(KeyAccess::EnumerateSubkeys);
  ASSERT_TRUE(subkeys);
  const auto subkeyNames = registry.SubkeyNames(subkeys.get());
  ASSERT_TRUE(subkeyNames.ok()) << static_cast<int>(subkeyNames.status());
  EXPECT_EQ(subkeyNames.value(), std::vector<std::u16string>{u"RunOnce"});
  EXPECT_EQ(registry.ValueNames(subkeys.get()).status(), Status::Denied);

  const OwnedKey writeOnly = Open(KeyAccess::SetValue);
  ASSERT_TRUE(writeOnly);
  EXPECT_EQ(registry.ValueNames(writeOnly.get()).status(), Status::Denied);
  EXPECT_EQ(registry.SubkeyNames(writeOnly.get()).status(), Status::Denied);

  EXPECT_EQ(registry.ValueNames(kNoKey).status(), Status::Failed);
  EXPECT_EQ(registry.SubkeyNames(kNoKey).status(), Status::Failed);
}

}  // namespace
}  // namespace twk::platform::win32
