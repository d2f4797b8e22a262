// The Winlogon key's access list, byte by byte, and the repair that applies it.
#include "setup/key_access.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/fake/fake_accounts.h"
#include "platform/fake/fake_key_security.h"
#include "platform/fake/fake_registry.h"

namespace twk::setup {
namespace {

using Bytes = std::vector<std::uint8_t>;
using platform::FakeKeySecurity;
using platform::RegistryRoot;
using Kind = FakeKeySecurity::Kind;

constexpr char16_t kWinlogon[] = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr char16_t kWinlogonObject[] =
    u"MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

const Bytes kAdmins = {1, 2, 0, 0, 0, 0, 0, 5, 0x20, 0, 0, 0, 0x20, 2, 0, 0};
const Bytes kSystem = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
const Bytes kWorld = {1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0};
const Bytes kUsers = {1, 2, 0, 0, 0, 0, 0, 5, 0x20, 0, 0, 0, 0x21, 2, 0, 0};
const Bytes kRestricted = {1, 1, 0, 0, 0, 0, 0, 5, 12, 0, 0, 0};
const Bytes kTrustedInstaller = {1,    6,    0,    0,    0,    0,    0,    5,    0x50, 0,    0,
                                 0,    0xB5, 0x89, 0xFB, 0x38, 0x19, 0x84, 0xC2, 0xCB, 0x5C, 0x6C,
                                 0x23, 0x6D, 0x57, 0x00, 0x77, 0x6E, 0xC0, 0x02, 0x64, 0x87};

Bytes Entry(std::uint8_t maskHigh, const Bytes& sid) {
  Bytes entry = {0, 0x02, static_cast<std::uint8_t>(8 + sid.size()), 0, 0, 0, 0, maskHigh};
  entry.insert(entry.end(), sid.begin(), sid.end());
  return entry;
}

// The whole 2048-byte list as it must come out, written out by hand.
Bytes ExpectedList(bool withTrustedInstaller) {
  const std::uint8_t all = 0x10, read = 0x80;  // high bytes of GENERIC_ALL, GENERIC_READ
  Bytes list = {2, 0, 0x00, 0x08, static_cast<std::uint8_t>(withTrustedInstaller ? 6 : 5), 0, 0, 0};
  for (const Bytes& e : {Entry(all, kAdmins), Entry(all, kSystem), Entry(read, kWorld),
                         Entry(read, kUsers), Entry(read, kRestricted)}) {
    list.insert(list.end(), e.begin(), e.end());
  }
  if (withTrustedInstaller) {
    const Bytes e = Entry(all, kTrustedInstaller);
    list.insert(list.end(), e.begin(), e.end());
  }
  list.resize(2048, 0);
  return list;
}

Bytes Of(std::span<const std::uint8_t> bytes) { return Bytes(bytes.begin(), bytes.end()); }

TEST(WinlogonAccessListTest, BuiltByteForByteWithEveryoneReadOnlyAndBelowVersion6NoLookup) {
  platform::FakeAccounts accounts;
  auto list = BuildWinlogonAccessList(accounts, 6.0);
  ASSERT_TRUE(list);
  EXPECT_EQ(Of(list->bytes()), ExpectedList(true));
  accounts.accounts.clear();  // there is no TrustedInstaller on XP
  const int lookups = accounts.lookups;
  list = BuildWinlogonAccessList(accounts, 5.1);
  ASSERT_TRUE(list);
  EXPECT_EQ(Of(list->bytes()), ExpectedList(false));
  EXPECT_EQ(accounts.lookups, lookups);
}

class GrantKeyAccessTest : public ::testing::Test {
 protected:
  GrantKeyAccessTest() { registry.AddKey(RegistryRoot::LocalMachine, kWinlogon); }

  bool Grant() { return GrantWinlogonKeyAccess({registry, accounts, security, 10.0}); }
  std::vector<Kind> Kinds() const {
    std::vector<Kind> kinds;
    for (const auto& call : security.calls) kinds.push_back(call.kind);
    return kinds;
  }

  platform::FakeRegistry registry;
  platform::FakeAccounts accounts;
  FakeKeySecurity security;
};

TEST_F(GrantKeyAccessTest, AppliesOwnerAndListThroughTheNativeKeyThenByName) {
  EXPECT_TRUE(Grant());
  ASSERT_EQ(Kinds(), (std::vector<Kind>{Kind::ThroughKey, Kind::TreeByName}));
  // The key was opened in the 64-bit view with WRITE_DAC | WRITE_OWNER only.
  ASSERT_EQ(registry.openCalls().size(), 1u);
  EXPECT_EQ(registry.openCalls()[0].access, 0xC0000u | 0x100u);
  EXPECT_EQ(security.calls[0].key, registry.openCalls()[0].result.value());
  EXPECT_NE(security.calls[0].key, platform::kNoKey);
  EXPECT_EQ(security.calls[1].objectName, kWinlogonObject);
  for (const auto& call : security.calls) {
    EXPECT_EQ(call.owner, kAdmins);
    EXPECT_EQ(call.acl, ExpectedList(true));
  }
  EXPECT_EQ(registry.openHandleCount(), 0u);
  // A second repair applies the same fresh list.
  ASSERT_TRUE(Grant());
  ASSERT_EQ(security.calls.size(), 4u);
  EXPECT_EQ(security.calls[2].acl, ExpectedList(true));
  EXPECT_EQ(security.calls[3].acl, ExpectedList(true));
}

TEST_F(GrantKeyAccessTest, UnderWow64OnlyTheKeyHandleChangesItAndTheAnswerIsFalse) {
  registry.SetMachine(true, true);
  EXPECT_FALSE(Grant());
  EXPECT_EQ(Kinds(), std::vector<Kind>{Kind::ThroughKey});
}

TEST_F(GrantKeyAccessTest, ARefusedResetTakesOwnershipAndTriesOnceMore) {
  security.treeAnswers = {platform::Status::Denied};
  EXPECT_TRUE(Grant());
  EXPECT_EQ(Kinds(), (std::vector<Kind>{Kind::ThroughKey, Kind::TreeByName, Kind::OwnerByName,
                                        Kind::TreeByName}));
  EXPECT_EQ(security.calls[2].objectName, kWinlogonObject);
}

TEST_F(GrantKeyAccessTest, AFailedRoundByNameIsRepeatedOnceAndNoMore) {
  security.treeAnswers = {platform::Status::Denied, platform::Status::Denied,
                          platform::Status::Failed};
  security.ownerAnswers = {platform::Status::Denied};
  EXPECT_FALSE(Grant());
  EXPECT_EQ(Kinds(), (std::vector<Kind>{Kind::ThroughKey, Kind::TreeByName, Kind::OwnerByName,
                                        Kind::TreeByName, Kind::OwnerByName, Kind::TreeByName}));
}

TEST_F(GrantKeyAccessTest, AKeyThatCannotBeOpenedIsStillChangedByName) {
  registry.DenyOpen(RegistryRoot::LocalMachine, kWinlogon);
  security.keyAnswers = {platform::Status::Failed};  // would be wrong to reach
  EXPECT_TRUE(Grant());
  EXPECT_EQ(Kinds(), std::vector<Kind>{Kind::TreeByName});
}

TEST_F(GrantKeyAccessTest, AnUnresolvableSidChangesNothing) {
  accounts.accounts.erase(u"NT SERVICE\\TrustedInstaller");
  EXPECT_FALSE(Grant());
  EXPECT_TRUE(security.calls.empty());
  EXPECT_TRUE(registry.openCalls().empty());
}

}  // namespace
}  // namespace twk::setup
