#include "platform/fake/fake_registry.h"

#include <gtest/gtest.h>

namespace twk::platform {
namespace {

constexpr RegistryRoot kRoot = RegistryRoot::CurrentUser;
const std::u16string kRun = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class FakeRegistryTest : public ::testing::Test {
 protected:
  FakeRegistryTest() { registry.PutString(kRoot, kRun, u"Other", u"other.exe"); }

  OwnedKey Open(std::uint32_t access) {
    return OwnedKey(registry, registry.OpenKey(kRoot, kRun, access).value);
  }

  FakeRegistry registry;
};

TEST_F(FakeRegistryTest, OpensAnswerWhyTheyFailed) {
  EXPECT_EQ(registry.OpenKey(kRoot, kRun + u"\\Missing", KeyAccess::Read).status, Status::NotFound);
  registry.DenyOpen(kRoot, kRun, KeyAccess::SetValue);
  const Answer<RegistryKey> denied = registry.OpenKey(kRoot, kRun, KeyAccess::ReadWrite);
  EXPECT_EQ(denied.status, Status::Denied);
  EXPECT_EQ(denied.value, kNoKey);
  OwnedKey reader = Open(KeyAccess::Read);
  EXPECT_TRUE(reader) << "reading is still allowed";
  registry.AllowOpen(kRoot, kRun);
  EXPECT_TRUE(Open(KeyAccess::ReadWrite));
  ASSERT_EQ(registry.openCalls().size(), 4u);
  EXPECT_EQ(registry.openCalls()[1].result.status, Status::Denied);
}

TEST_F(FakeRegistryTest, WritesThroughAReadOnlyKeyAreDeniedAndChangeNothing) {
  OwnedKey reader = Open(KeyAccess::Read);
  ASSERT_TRUE(reader);
  EXPECT_EQ(registry.SetString(reader.get(), u"Tarnwick", u"x"), Status::Denied);
  EXPECT_EQ(registry.DeleteValue(reader.get(), u"Other"), Status::Denied);
  EXPECT_EQ(registry.ValueNames(kRoot, kRun), std::vector<std::u16string>{u"Other"});
  EXPECT_EQ(registry.StringValue(kRoot, kRun, u"Other"), u"other.exe");
}

TEST_F(FakeRegistryTest, DeletingAMissingValueIsNotFoundAndFailuresAreFailed) {
  OwnedKey key = Open(KeyAccess::ReadWrite);
  ASSERT_TRUE(key);
  EXPECT_EQ(registry.DeleteValue(key.get(), u"Tarnwick"), Status::NotFound);
  EXPECT_EQ(registry.DeleteValue(key.get(), u"OTHER"), Status::Ok);
  EXPECT_EQ(registry.DeleteValue(key.get(), u"Other"), Status::NotFound) << "already gone";

  registry.FailNext(FakeRegistry::Op::SetValue);
  EXPECT_EQ(registry.SetString(key.get(), u"Tarnwick", u"x"), Status::Failed);
  EXPECT_EQ(registry.StringValue(kRoot, kRun, u"Tarnwick"), std::nullopt);
  EXPECT_EQ(registry.SetString(key.get(), u"Tarnwick", u"x"), Status::Ok);
  EXPECT_EQ(registry.StringValue(kRoot, kRun, u"Tarnwick"), u"x");

  // A handle that is not open (closed already) is no key at all.
  const RegistryKey stale = key.get();
  key.Reset();
  EXPECT_EQ(registry.SetString(stale, u"Tarnwick", u"y"), Status::Failed);
  EXPECT_EQ(registry.badCloses(), 0);
}

TEST_F(FakeRegistryTest, AnOwnedKeyIsClosedExactlyOnceWhereverItGoes) {
  {
    OwnedKey first = Open(KeyAccess::Read);
    OwnedKey second = Open(KeyAccess::Read);
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

}  // namespace
}  // namespace twk::platform
