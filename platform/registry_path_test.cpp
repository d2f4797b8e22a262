#include "platform/registry_path.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/fake/fake_registry.h"

namespace twk::platform {
namespace {

using platform::FakeRegistry;
using platform::RegistryRoot;

// Each path split with a mask: the root, the subkey left in the path and
// the view flag added to the mask. A path whose root is not recognised
// comes back unchanged, its mask too.
TEST(SplitRegistryRootTest, RootAliasesViewSuffixesAndTheSeparator) {
  constexpr std::uint32_t k64 = KeyAccess::View64, k32 = KeyAccess::View32;
  const struct {
    const char16_t* path;
    std::optional<RegistryRoot> root;
    const char16_t* rest;  // nullptr: unchanged
    std::uint32_t view;
  } cases[] = {
      // Short and long aliases in any case.
      {u"HKU\\S-1-5-21-1\\Software", RegistryRoot::Users, u"S-1-5-21-1\\Software", 0},
      {u"HKEY_USERS\\S-1-5-21-1", RegistryRoot::Users, u"S-1-5-21-1", 0},
      {u"hklm\\SOFTWARE\\X", RegistryRoot::LocalMachine, u"SOFTWARE\\X", 0},
      {u"HKEY_LOCAL_MACHINE\\SOFTWARE", RegistryRoot::LocalMachine, u"SOFTWARE", 0},
      {u"HkCu\\Software", RegistryRoot::CurrentUser, u"Software", 0},
      {u"hkey_current_user\\Software", RegistryRoot::CurrentUser, u"Software", 0},
      {u"HKCR\\.txt", RegistryRoot::ClassesRoot, u".txt", 0},
      {u"HKEY_CLASSES_ROOT\\.txt", RegistryRoot::ClassesRoot, u".txt", 0},
      {u"HKCC\\System", RegistryRoot::CurrentConfig, u"System", 0},
      {u"HKEY_CURRENT_CONFIG\\System", RegistryRoot::CurrentConfig, u"System", 0},
      // The subkey is passed on exactly as written.
      {u"HKLM\\SOFTWARE\\My Key\\", RegistryRoot::LocalMachine, u"SOFTWARE\\My Key\\", 0},
      {u"HKLM\\\\double", RegistryRoot::LocalMachine, u"\\double", 0},
      // A "64" or "32" suffix selects the view; only one suffix comes off.
      {u"hklm64\\X", RegistryRoot::LocalMachine, u"X", k64},
      {u"HKLM32\\X", RegistryRoot::LocalMachine, u"X", k32},
      {u"HKEY_CURRENT_CONFIG32\\X", RegistryRoot::CurrentConfig, u"X", k32},
      {u"HKLM6432\\X", std::nullopt, nullptr, 0},
      // A root alone leaves an empty subkey.
      {u"HKCU", RegistryRoot::CurrentUser, u"", 0},
      {u"HKU\\", RegistryRoot::Users, u"", 0},
      {u"HKEY_LOCAL_MACHINE64", RegistryRoot::LocalMachine, u"", k64},
      // The separator is the first backslash from the 4th to the 23rd
      // character: a backslash at 1 to 3 is part of the root, and without
      // one in 4..23 the whole path is the root.
      {u"\\\\PC\\HKLM\\SOFTWARE", std::nullopt, nullptr, 0},
      {u"HK\\LM\\SOFTWARE", std::nullopt, nullptr, 0},
      {u"\\HKLM\\SOFTWARE", std::nullopt, nullptr, 0},
      {u"HKEY_LOCAL_MACHINE_SOFTWARE\\X", std::nullopt, nullptr, 0},
      // Other failures.
      {u"", std::nullopt, nullptr, 0},
      {u"XYZ\\Software", std::nullopt, nullptr, 0},
      {u"HKLM6", std::nullopt, nullptr, 0},
      {u"64\\X", std::nullopt, nullptr, 0},
      {u"HKCU64X\\Software", std::nullopt, nullptr, 0},
      {u"HKEY_USER\\S-1", std::nullopt, nullptr, 0},
  };
  for (const auto& c : cases) {
    Text path = c.path;
    std::uint32_t access = KeyAccess::ReadWrite;
    EXPECT_EQ(SplitRegistryRoot(path, &access), c.root) << ToUtf8(c.path);
    EXPECT_EQ(path, c.rest ? c.rest : c.path) << ToUtf8(c.path);
    EXPECT_EQ(access, KeyAccess::ReadWrite | c.view) << ToUtf8(c.path);
  }
  // Without a mask to carry the view, a suffixed root is not a root.
  Text path = u"HKLM64\\SOFTWARE";
  EXPECT_FALSE(SplitRegistryRoot(path).has_value());
  EXPECT_EQ(path, u"HKLM64\\SOFTWARE");
  path = u"HKLM\\SOFTWARE";
  EXPECT_EQ(SplitRegistryRoot(path), RegistryRoot::LocalMachine);
  EXPECT_EQ(path, u"SOFTWARE");
}

class OpenRegistryPathTest : public ::testing::Test {
 protected:
  OpenRegistryPathTest() {
    registry.AddKey(RegistryRoot::Users, u"S-1-5-21-1\\Software");
    registry.AddKey(RegistryRoot::LocalMachine, u"SOFTWARE\\X");
  }
  platform::OwnedKey Open(const Text& path, std::uint32_t access) {
    return platform::OwnedKey(registry, OpenRegistryPath(registry, path, access).value_or(kNoKey));
  }

  FakeRegistry registry;
};

TEST_F(OpenRegistryPathTest, OpensTheSubkeyOfThePredefinedRootWithTheMask) {
  // The fake opens only the keys it holds, under their own root and subkey.
  platform::OwnedKey key = Open(u"HKU\\S-1-5-21-1\\Software", KeyAccess::ReadWrite);
  ASSERT_TRUE(key);
  ASSERT_EQ(registry.openCalls().size(), 1u);
  EXPECT_EQ(registry.openCalls()[0].access, 0x2001Fu);

  platform::OwnedKey view = Open(u"HKEY_LOCAL_MACHINE64\\SOFTWARE\\X", 0xC0000);
  EXPECT_TRUE(view);
  EXPECT_EQ(registry.openCalls().back().access, 0xC0000u | KeyAccess::View64);
}

TEST_F(OpenRegistryPathTest, FailuresGiveNoKeyAndTheReasonAndLeaveNothingOpen) {
  auto expectFailure = [&](const Text& path, std::uint32_t access, Status status) {
    const Answer<RegistryKey> answer = OpenRegistryPath(registry, path, access);
    EXPECT_EQ(answer.status(), status) << ToUtf8(path);
  };
  expectFailure(u"XYZ\\Software", KeyAccess::Read, Status::NotFound);
  EXPECT_TRUE(registry.openCalls().empty()) << "no root, no call";

  // Never created: a missing key stays missing.
  expectFailure(u"HKLM\\SOFTWARE\\Missing", KeyAccess::ReadWrite, Status::NotFound);
  EXPECT_FALSE(registry.KeyExists(RegistryRoot::LocalMachine, u"SOFTWARE\\Missing"));

  // A key this user may read but not write.
  registry.DenyOpen(RegistryRoot::Users, u"S-1-5-21-1\\Software", KeyAccess::SetValue);
  expectFailure(u"HKU\\S-1-5-21-1\\Software", KeyAccess::ReadWrite, Status::Denied);

  registry.FailNext(FakeRegistry::Op::Open);
  expectFailure(u"HKLM\\SOFTWARE\\X", KeyAccess::Read, Status::Failed);
  EXPECT_EQ(registry.openHandleCount(), 0u);
}

TEST_F(OpenRegistryPathTest, AnOwnedKeyIsClosedExactlyOnceWhereverItGoes) {
  {
    OwnedKey first = Open(u"HKLM\\SOFTWARE\\X", KeyAccess::Read);
    OwnedKey second = Open(u"HKLM\\SOFTWARE\\X", KeyAccess::Read);
    second = std::move(first);  // closes what second held
    EXPECT_EQ(registry.openHandleCount(), 1u);
    const RegistryKey handedOn = second.Release();
    EXPECT_EQ(registry.openHandleCount(), 1u) << "released, not closed";
    registry.CloseKey(handedOn);
    OwnedKey none(registry, kNoKey);
  }
  EXPECT_EQ(registry.openHandleCount(), 0u);
  EXPECT_EQ(registry.badCloses(), 0);
}

// The object name of path in a process under WOW64 or not, or "<none>".
Text Named(const Text& path, bool wow64) {
  FakeRegistry registry;
  registry.SetMachine(true, wow64);
  Text name = path;
  return ToSecurityObjectName(registry, name) ? name : Text(u"<none>");
}

TEST(ToSecurityObjectNameTest, PlainRootsBecomeObjectNamesWhateverTheView) {
  for (bool wow64 : {false, true}) {
    EXPECT_EQ(Named(u"\\\\PC\\HKLM\\SOFTWARE\\X", wow64), u"MACHINE\\SOFTWARE\\X");
    EXPECT_EQ(Named(u"HKU", wow64), u"USERS");
    EXPECT_EQ(Named(u"hkey_users\\S-1-5-18", wow64), u"USERS\\S-1-5-18");
    EXPECT_EQ(Named(u"HKCU\\Software", wow64), u"CURRENT_USER\\Software");
    EXPECT_EQ(Named(u"HKEY_CURRENT_USER", wow64), u"CURRENT_USER");
    EXPECT_EQ(Named(u"HKCR\\.txt", wow64), u"CLASSES_ROOT\\.txt");
    EXPECT_EQ(Named(u"HKEY_LOCAL_MACHINE\\SYSTEM", wow64), u"MACHINE\\SYSTEM");
  }
  // The platform is asked only for the view roots.
  FakeRegistry registry;
  Text path = u"HKLM\\SOFTWARE";
  ASSERT_TRUE(ToSecurityObjectName(registry, path));
  EXPECT_EQ(registry.wow64Queries(), 0);
}

TEST(ToSecurityObjectNameTest, The32BitViewIsNamedThroughWow6432Node) {
  EXPECT_EQ(Named(u"HKLM32\\SOFTWARE\\X", false), u"MACHINE\\SOFTWARE\\WOW6432Node\\X");
  EXPECT_EQ(Named(u"HKEY_LOCAL_MACHINE32\\software", false), u"MACHINE\\SOFTWARE\\WOW6432Node");
  EXPECT_EQ(Named(u"HKLM32\\SYSTEM\\X", false), u"MACHINE\\SYSTEM\\X");
  // Under WOW64 the process's own calls are redirected already.
  EXPECT_EQ(Named(u"HKLM32\\SOFTWARE\\X", true), u"MACHINE\\SOFTWARE\\X");
  EXPECT_EQ(Named(u"HKLM32\\SOFTWARE\\WOW6432Node\\X", true), u"MACHINE\\SOFTWARE\\X");
  EXPECT_EQ(Named(u"HKLM32\\software\\wow6432node", true), u"MACHINE\\SOFTWARE");
  // A key whose name merely begins like SOFTWARE is another key.
  EXPECT_EQ(Named(u"HKLM32\\SOFTWAREX\\Y", false), u"MACHINE\\SOFTWAREX\\Y");
  EXPECT_EQ(Named(u"HKLM32\\SOFTWARE\\WOW6432NodeX", true), u"MACHINE\\SOFTWARE\\WOW6432NodeX");
}

TEST(ToSecurityObjectNameTest, NativeViewRootsFailUnderWow64) {
  EXPECT_EQ(Named(u"HKLM64\\SOFTWARE\\X", false), u"MACHINE\\SOFTWARE\\X");
  EXPECT_EQ(Named(u"HKEY_CLASSES_ROOT64\\.txt", false), u"CLASSES_ROOT\\.txt");
  EXPECT_EQ(Named(u"HKEY_LOCAL_MACHINE64", false), u"MACHINE");
  EXPECT_EQ(Named(u"HKLM64\\SOFTWARE\\X", true), u"<none>");
  EXPECT_EQ(Named(u"HKCR64\\.txt", true), u"<none>");
}

TEST(ToSecurityObjectNameTest, OtherRootsAndBrokenMachinePrefixesFail) {
  for (bool wow64 : {false, true}) {
    for (const char16_t* path : {u"HKCC\\X", u"HKEY_CURRENT_CONFIG", u"HKCU64\\X", u"HKU32\\X",
                                 u"XYZ\\Software", u"\\\\PC", u"\\\\PC\\", u"\\SOFTWARE", u""}) {
      EXPECT_EQ(Named(path, wow64), u"<none>") << ToUtf8(path) << " wow64 " << wow64;
    }
  }
}

}  // namespace
}  // namespace twk::platform
