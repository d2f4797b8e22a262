#include "platform/registry_path.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/fake/fake_registry.h"

namespace twk::platform {
namespace {

using platform::FakeRegistry;
using platform::RegistryRoot;

struct Split {
  std::optional<RegistryRoot> root;
  Text rest;
  std::uint32_t access;
};

Split SplitWithMask(const Text& path, std::uint32_t access = KeyAccess::Read) {
  Split result{std::nullopt, path, access};
  result.root = SplitRegistryRoot(result.rest, &result.access);
  return result;
}

TEST(SplitRegistryRootTest, ShortAndLongAliasesInAnyCase) {
  const struct {
    const char16_t* path;
    RegistryRoot root;
    const char16_t* rest;
  } cases[] = {
      {u"HKU\\S-1-5-21-1\\Software", RegistryRoot::Users, u"S-1-5-21-1\\Software"},
      {u"HKEY_USERS\\S-1-5-21-1", RegistryRoot::Users, u"S-1-5-21-1"},
      {u"hklm\\SOFTWARE\\X", RegistryRoot::LocalMachine, u"SOFTWARE\\X"},
      {u"HKEY_LOCAL_MACHINE\\SOFTWARE", RegistryRoot::LocalMachine, u"SOFTWARE"},
      {u"HkCu\\Software", RegistryRoot::CurrentUser, u"Software"},
      {u"hkey_current_user\\Software", RegistryRoot::CurrentUser, u"Software"},
      {u"HKCR\\.txt", RegistryRoot::ClassesRoot, u".txt"},
      {u"HKEY_CLASSES_ROOT\\.txt", RegistryRoot::ClassesRoot, u".txt"},
      {u"HKCC\\System", RegistryRoot::CurrentConfig, u"System"},
      {u"HKEY_CURRENT_CONFIG\\System", RegistryRoot::CurrentConfig, u"System"},
      // The subkey is passed on exactly as written.
      {u"HKLM\\SOFTWARE\\My Key\\", RegistryRoot::LocalMachine, u"SOFTWARE\\My Key\\"},
      {u"HKLM\\\\double", RegistryRoot::LocalMachine, u"\\double"},
  };
  for (const auto& c : cases) {
    Split split = SplitWithMask(c.path);
    ASSERT_EQ(split.root, c.root) << ToUtf8(c.path);
    EXPECT_EQ(split.rest, c.rest) << ToUtf8(c.path);
    EXPECT_EQ(split.access, KeyAccess::Read) << ToUtf8(c.path) << ": no view flag";
  }
}

TEST(SplitRegistryRootTest, A64Or32SuffixSelectsTheView) {
  const struct {
    const char16_t* path;
    RegistryRoot root;
    std::uint32_t flag;
  } cases[] = {
      {u"hklm64\\SOFTWARE\\X", RegistryRoot::LocalMachine, KeyAccess::View64},
      {u"HKEY_LOCAL_MACHINE64\\SOFTWARE\\X", RegistryRoot::LocalMachine, KeyAccess::View64},
      {u"HKLM32\\SOFTWARE\\X", RegistryRoot::LocalMachine, KeyAccess::View32},
      {u"HKEY_USERS32\\SOFTWARE\\X", RegistryRoot::Users, KeyAccess::View32},
      {u"HKCC64\\SOFTWARE\\X", RegistryRoot::CurrentConfig, KeyAccess::View64},
      {u"HKEY_CURRENT_CONFIG32\\SOFTWARE\\X", RegistryRoot::CurrentConfig, KeyAccess::View32},
  };
  for (const auto& c : cases) {
    Split split = SplitWithMask(c.path, KeyAccess::ReadWrite);
    ASSERT_EQ(split.root, c.root) << ToUtf8(c.path);
    EXPECT_EQ(split.rest, u"SOFTWARE\\X") << ToUtf8(c.path);
    EXPECT_EQ(split.access, KeyAccess::ReadWrite | c.flag) << ToUtf8(c.path);
  }
  // Without a mask to carry the view, a suffixed root is not a root.
  Text path = u"HKLM64\\SOFTWARE";
  EXPECT_FALSE(SplitRegistryRoot(path).has_value());
  EXPECT_EQ(path, u"HKLM64\\SOFTWARE");
  path = u"HKLM\\SOFTWARE";
  EXPECT_EQ(SplitRegistryRoot(path), RegistryRoot::LocalMachine);
  EXPECT_EQ(path, u"SOFTWARE");
  // Only one suffix comes off.
  EXPECT_FALSE(SplitWithMask(u"HKLM6432\\X").root.has_value());
  EXPECT_FALSE(SplitWithMask(u"HKLM3264\\X").root.has_value());
}

TEST(SplitRegistryRootTest, ARootAloneLeavesAnEmptySubkey) {
  Split split = SplitWithMask(u"HKCU");
  EXPECT_EQ(split.root, RegistryRoot::CurrentUser);
  EXPECT_EQ(split.rest, u"");
  split = SplitWithMask(u"HKU\\");
  EXPECT_EQ(split.root, RegistryRoot::Users);
  EXPECT_EQ(split.rest, u"");
  split = SplitWithMask(u"HKEY_LOCAL_MACHINE64");
  EXPECT_EQ(split.root, RegistryRoot::LocalMachine);
  EXPECT_EQ(split.access, KeyAccess::Read | KeyAccess::View64);
}

TEST(SplitRegistryRootTest, TheSeparatorIsTheFirstBackslashFromTheFourthToThe23rdCharacter) {
  // Longest root: HKEY_CURRENT_CONFIG32, backslash at 22.
  EXPECT_EQ(SplitWithMask(u"HKEY_CURRENT_CONFIG32\\X").rest, u"X");
  // A backslash at 1 to 3 is part of the root, so nothing matches.
  EXPECT_FALSE(SplitWithMask(u"\\\\PC\\HKLM\\SOFTWARE").root.has_value());
  EXPECT_FALSE(SplitWithMask(u"HK\\LM\\SOFTWARE").root.has_value());
  EXPECT_FALSE(SplitWithMask(u"\\HKLM\\SOFTWARE").root.has_value());
  // No backslash in 4..23: the whole path is the root.
  EXPECT_FALSE(SplitWithMask(u"HKEY_LOCAL_MACHINE_SOFTWARE\\X").root.has_value());
}

TEST(SplitRegistryRootTest, FailuresChangeNothing) {
  for (const char16_t* path : {u"", u"XYZ\\Software", u"\\\\PC\\HKLM\\SOFTWARE", u"HKLM6", u"64\\X",
                               u"HKCU64X\\Software", u"HKEY_USER\\S-1"}) {
    Split split = SplitWithMask(path);
    EXPECT_FALSE(split.root.has_value()) << ToUtf8(path);
    EXPECT_EQ(split.rest, path);
    EXPECT_EQ(split.access, KeyAccess::Read) << ToUtf8(path);
  }
}

// ---- OpenRegistryPath -----------------------------------------------------------

class OpenRegistryPathTest : public ::testing::Test {
 protected:
  OpenRegistryPathTest() {
    registry.AddKey(RegistryRoot::Users, u"S-1-5-21-1\\Software");
    registry.PutString(RegistryRoot::LocalMachine, u"SOFTWARE\\X", u"View", u"native");
    registry.PutString(RegistryRoot::LocalMachine, u"SOFTWARE\\WOW6432Node\\X", u"View", u"32-bit");
  }
  platform::OwnedKey Open(const Text& path, std::uint32_t access) {
    return platform::OwnedKey(registry, OpenRegistryPath(registry, path, access).value);
  }
  // Which copy of SOFTWARE\X the path reached.
  Text ViewOf(const Text& path) {
    platform::OwnedKey key = Open(path, KeyAccess::Read);
    if (!key) return u"<not opened>";
    auto value = registry.QueryValue(key.get(), u"View");
    if (!value) return u"<no value>";
    Text text(value->data.size() / 2, u'\0');
    std::memcpy(text.data(), value->data.data(), text.size() * 2);
    return text.substr(0, text.find(u'\0'));
  }

  FakeRegistry registry;
};

TEST_F(OpenRegistryPathTest, OpensTheSubkeyOfThePredefinedRootWithTheMask) {
  platform::OwnedKey key = Open(u"HKU\\S-1-5-21-1\\Software", KeyAccess::ReadWrite);
  ASSERT_TRUE(key);
  ASSERT_EQ(registry.openCalls().size(), 1u);
  const auto& call = registry.openCalls()[0];
  EXPECT_EQ(call.root, RegistryRoot::Users);
  EXPECT_EQ(call.subkey, u"S-1-5-21-1\\Software");
  EXPECT_EQ(call.access, 0x2001Fu);

  platform::OwnedKey view = Open(u"HKEY_LOCAL_MACHINE64\\SOFTWARE\\X", 0xC0000);
  EXPECT_TRUE(view);
  EXPECT_EQ(registry.openCalls().back().access, 0xC0000u | KeyAccess::View64);
  EXPECT_EQ(registry.openCalls().back().subkey, u"SOFTWARE\\X");
}

TEST_F(OpenRegistryPathTest, ARootAloneOpensTheRootItself) {
  platform::OwnedKey key = Open(u"HKCU", KeyAccess::Read);
  EXPECT_TRUE(key);
  EXPECT_EQ(registry.openCalls().back().root, RegistryRoot::CurrentUser);
  EXPECT_EQ(registry.openCalls().back().subkey, u"");
}

TEST_F(OpenRegistryPathTest, FailuresGiveNoKeyAndTheReasonAndLeaveNothingOpen) {
  auto expectFailure = [&](const Text& path, std::uint32_t access, Status status) {
    const Answer<RegistryKey> answer = OpenRegistryPath(registry, path, access);
    EXPECT_EQ(answer.status, status) << ToUtf8(path);
    EXPECT_EQ(answer.value, kNoKey) << ToUtf8(path);
  };
  expectFailure(u"XYZ\\Software", KeyAccess::Read, Status::NotFound);
  expectFailure(u"\\\\PC\\HKLM\\SOFTWARE", KeyAccess::Read, Status::NotFound);
  EXPECT_TRUE(registry.openCalls().empty()) << "no root, no call";

  // Never created: a missing key stays missing.
  expectFailure(u"HKLM\\SOFTWARE\\Missing", KeyAccess::ReadWrite, Status::NotFound);
  EXPECT_FALSE(registry.KeyExists(RegistryRoot::LocalMachine, u"SOFTWARE\\Missing"));

  // A key this user may read but not write.
  registry.DenyOpen(RegistryRoot::Users, u"S-1-5-21-1\\Software", KeyAccess::SetValue);
  expectFailure(u"HKU\\S-1-5-21-1\\Software", KeyAccess::ReadWrite, Status::Denied);
  EXPECT_TRUE(Open(u"HKU\\S-1-5-21-1\\Software", KeyAccess::Read));
  registry.DenyOpen(RegistryRoot::Users, u"S-1-5-21-1\\Software");
  expectFailure(u"HKU\\S-1-5-21-1\\Software", KeyAccess::Read, Status::Denied);

  registry.FailNext(FakeRegistry::Op::Open);
  expectFailure(u"HKLM\\SOFTWARE\\X", KeyAccess::Read, Status::Failed);
  EXPECT_EQ(registry.openHandleCount(), 0u);
}

TEST_F(OpenRegistryPathTest, TheSuffixChoosesTheViewOf64BitWindows) {
  registry.SetMachine(true, true);  // a 32-bit process on 64-bit Windows
  EXPECT_EQ(ViewOf(u"HKLM\\SOFTWARE\\X"), u"32-bit");
  EXPECT_EQ(ViewOf(u"HKLM32\\SOFTWARE\\X"), u"32-bit");
  EXPECT_EQ(ViewOf(u"HKLM64\\SOFTWARE\\X"), u"native");

  registry.SetMachine(true, false);  // a 64-bit process
  EXPECT_EQ(ViewOf(u"HKLM\\SOFTWARE\\X"), u"native");
  EXPECT_EQ(ViewOf(u"HKLM32\\SOFTWARE\\X"), u"32-bit");

  registry.SetMachine(false, false);  // 32-bit Windows: one view, flags ignored
  EXPECT_EQ(ViewOf(u"HKLM64\\SOFTWARE\\X"), u"native");
  EXPECT_EQ(ViewOf(u"HKLM32\\SOFTWARE\\X"), u"native");
  EXPECT_EQ(registry.openHandleCount(), 0u);
}

TEST_F(OpenRegistryPathTest, AnOwnedKeyIsClosedExactlyOnceWhereverItGoes) {
  {
    OwnedKey first = Open(u"HKLM\\SOFTWARE\\X", KeyAccess::Read);
    OwnedKey second = Open(u"HKLM\\SOFTWARE\\X", KeyAccess::Read);
    ASSERT_EQ(registry.openHandleCount(), 2u);
    second = std::move(first);  // closes what second held
    EXPECT_EQ(registry.openHandleCount(), 1u);
    OwnedKey third(std::move(second));
    EXPECT_FALSE(second);
    const RegistryKey handedOn = third.Release();
    EXPECT_EQ(registry.openHandleCount(), 1u) << "released, not closed";
    registry.CloseKey(handedOn);
    OwnedKey none(registry, kNoKey);
  }
  EXPECT_EQ(registry.openHandleCount(), 0u);
  EXPECT_EQ(registry.badCloses(), 0);
}

// ---- ToSecurityObjectName ---------------------------------------------------------

struct Converted {
  bool ok;
  Text name;
};

Converted Convert(const Text& path, bool wow64) {
  FakeRegistry registry;
  registry.SetMachine(true, wow64);
  Converted result{false, path};
  result.ok = ToSecurityObjectName(registry, result.name);
  return result;
}

TEST(ToSecurityObjectNameTest, PlainRootsBecomeObjectNamesWhateverTheView) {
  for (bool wow64 : {false, true}) {
    EXPECT_EQ(Convert(u"\\\\PC\\HKLM\\SOFTWARE\\X", wow64).name, u"MACHINE\\SOFTWARE\\X");
    EXPECT_EQ(Convert(u"HKU", wow64).name, u"USERS");
    EXPECT_EQ(Convert(u"hkey_users\\S-1-5-18", wow64).name, u"USERS\\S-1-5-18");
    EXPECT_EQ(Convert(u"HKCU\\Software", wow64).name, u"CURRENT_USER\\Software");
    EXPECT_EQ(Convert(u"HKEY_CURRENT_USER", wow64).name, u"CURRENT_USER");
    EXPECT_EQ(Convert(u"HKCR\\.txt", wow64).name, u"CLASSES_ROOT\\.txt");
    EXPECT_EQ(Convert(u"HKEY_LOCAL_MACHINE\\SYSTEM", wow64).name, u"MACHINE\\SYSTEM");
  }
  // The platform is asked only for the view roots.
  FakeRegistry registry;
  Text path = u"HKLM\\SOFTWARE";
  ASSERT_TRUE(ToSecurityObjectName(registry, path));
  EXPECT_EQ(registry.wow64Queries(), 0);
}

TEST(ToSecurityObjectNameTest, The32BitViewIsNamedThroughWow6432Node) {
  EXPECT_EQ(Convert(u"HKLM32\\SOFTWARE\\X", false).name, u"MACHINE\\SOFTWARE\\WOW6432Node\\X");
  EXPECT_EQ(Convert(u"HKEY_LOCAL_MACHINE32\\software", false).name,
            u"MACHINE\\SOFTWARE\\WOW6432Node");
  EXPECT_EQ(Convert(u"HKLM32\\SYSTEM\\X", false).name, u"MACHINE\\SYSTEM\\X");
  // Under WOW64 the process's own calls are redirected already.
  EXPECT_EQ(Convert(u"HKLM32\\SOFTWARE\\X", true).name, u"MACHINE\\SOFTWARE\\X");
  EXPECT_EQ(Convert(u"HKLM32\\SOFTWARE\\WOW6432Node\\X", true).name, u"MACHINE\\SOFTWARE\\X");
  EXPECT_EQ(Convert(u"HKLM32\\software\\wow6432node", true).name, u"MACHINE\\SOFTWARE");
  // A key whose name merely begins like SOFTWARE is another key.
  EXPECT_EQ(Convert(u"HKLM32\\SOFTWAREX\\Y", false).name, u"MACHINE\\SOFTWAREX\\Y");
  EXPECT_EQ(Convert(u"HKLM32\\SOFTWARE\\WOW6432NodeX", true).name,
            u"MACHINE\\SOFTWARE\\WOW6432NodeX");
}

TEST(ToSecurityObjectNameTest, NativeViewRootsFailUnderWow64) {
  EXPECT_EQ(Convert(u"HKLM64\\SOFTWARE\\X", false).name, u"MACHINE\\SOFTWARE\\X");
  EXPECT_EQ(Convert(u"HKEY_CLASSES_ROOT64\\.txt", false).name, u"CLASSES_ROOT\\.txt");
  EXPECT_FALSE(Convert(u"HKLM64\\SOFTWARE\\X", true).ok);
  EXPECT_FALSE(Convert(u"HKEY_LOCAL_MACHINE64", true).ok);
  EXPECT_FALSE(Convert(u"HKCR64\\.txt", true).ok);
}

TEST(ToSecurityObjectNameTest, OtherRootsAndBrokenMachinePrefixesFail) {
  for (bool wow64 : {false, true}) {
    for (const char16_t* path : {u"HKCC\\X", u"HKEY_CURRENT_CONFIG", u"HKCU64\\X", u"HKU32\\X",
                                 u"XYZ\\Software", u"\\\\PC", u"\\\\PC\\", u"\\SOFTWARE", u""}) {
      EXPECT_FALSE(Convert(path, wow64).ok) << ToUtf8(path) << " wow64 " << wow64;
    }
  }
}

}  // namespace
}  // namespace twk::platform
