#include "setup/auto_logon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "base/strings.h"
#include "platform/fake/fake_accounts.h"
#include "platform/fake/fake_key_security.h"
#include "platform/fake/fake_lsa_secrets.h"
#include "platform/fake/fake_registry.h"

namespace twk::setup {
namespace {

using platform::RegistryRoot;
using platform::Status;
namespace ValueType = platform::ValueType;

constexpr char16_t kWinlogon[] = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr RegistryRoot kLm = RegistryRoot::LocalMachine;

std::vector<std::uint8_t> Utf16(const std::u16string& text) {
  const std::string bytes = ToUtf16(text, ByteOrder::LittleEndian);
  return {bytes.begin(), bytes.end()};
}

class AutoLogonTest : public ::testing::Test {
 protected:
  AutoLogonTest() {
    registry.PutString(kLm, kWinlogon, u"Shell", u"explorer.exe");
    registry.PutString(kLm, kWinlogon, u"DefaultDomainName", u"OLDDOMAIN");
  }
  ~AutoLogonTest() override {
    EXPECT_EQ(registry.openHandleCount(), 0u);
    EXPECT_EQ(registry.badCloses(), 0);
    EXPECT_EQ(secrets.openPolicies(), 0);
    EXPECT_EQ(secrets.badCloses(), 0);
  }

  AutoLogonPorts Ports() { return {{registry, accounts, security, 10.0}, secrets}; }
  std::optional<Text> Value(const Text& name) { return registry.StringValue(kLm, kWinlogon, name); }
  // Every Winlogon value but the shell, "name=text" in name order.
  std::string Winlogon() {
    std::string all;
    for (const Text& name : registry.ValueNames(kLm, kWinlogon)) {
      if (name != u"Shell") all += " " + ToUtf8(name) + "=" + ToUtf8(Value(name).value_or(u"?"));
    }
    return all;
  }
  void StoreSecret() { secrets.secrets[u"DefaultPassword"] = {20, 22, std::vector<char16_t>(11)}; }
  AutoLogonResult On(const Text& account, Text password) {
    return SetAutoLogon(Ports(), &account, &password);
  }
  AutoLogonResult Off() { return SetAutoLogon(Ports(), nullptr, nullptr); }

  platform::FakeRegistry registry;
  platform::FakeAccounts accounts;
  platform::FakeKeySecurity security;
  platform::FakeLsaSecrets secrets;
};

TEST_F(AutoLogonTest, SwitchOffWhenInactiveEmptiesTheNameAndClearsAStrayAutoAdminLogon) {
  EXPECT_EQ(Off(), AutoLogonResult::WasNotActive);
  EXPECT_EQ(Winlogon(), " DefaultDomainName=OLDDOMAIN DefaultUserName=");  // none is created
  registry.PutString(kLm, kWinlogon, u"DefaultUserName", u"bob");
  registry.PutString(kLm, kWinlogon, u"AutoAdminLogon", u"1");  // no password anywhere
  EXPECT_EQ(Off(), AutoLogonResult::WasNotActive);
  EXPECT_EQ(Winlogon(), " AutoAdminLogon=0 DefaultDomainName=OLDDOMAIN DefaultUserName=");
  EXPECT_EQ(Value(u"Shell"), u"explorer.exe");
  EXPECT_EQ(secrets.stores(), 0);

  // A secret alone, with auto-logon off, is left to its owner.
  StoreSecret();
  registry.PutString(kLm, kWinlogon, u"AutoAdminLogon", u"0");
  EXPECT_EQ(Off(), AutoLogonResult::WasNotActive);
  EXPECT_EQ(Value(u"AutoAdminLogon"), u"0");
  EXPECT_TRUE(secrets.secrets.contains(u"DefaultPassword"));
  EXPECT_EQ(secrets.stores(), 0);
}

TEST_F(AutoLogonTest, SwitchOffWhenActiveRemovesTheSecretAndEveryPasswordValue) {
  StoreSecret();
  registry.PutString(kLm, kWinlogon, u"AutoAdminLogon", u"1");
  registry.PutString(kLm, kWinlogon, u"DefaultPassword", u"plain");
  ASSERT_TRUE(IsAutoLogonActive(Ports()));
  EXPECT_EQ(Off(), AutoLogonResult::Done);
  EXPECT_TRUE(secrets.secrets.empty());
  EXPECT_EQ(Winlogon(), " AutoAdminLogon=0 DefaultDomainName=OLDDOMAIN DefaultUserName=");
  EXPECT_FALSE(IsAutoLogonActive(Ports()));
}

// A limit of 0 removing it again is sequence_endings_sim_test.cpp's.
TEST_F(AutoLogonTest, ALogonLimitIsADwordThatEverySwitchOffRemoves) {
  EXPECT_TRUE(LimitAutoLogons(Ports(), 0));  // none to remove is no failure
  ASSERT_TRUE(LimitAutoLogons(Ports(), 0x01020304));
  const auto count = registry.Value(kLm, kWinlogon, u"AutoLogonCount").value();
  EXPECT_EQ(count.type, ValueType::Dword);
  EXPECT_EQ(count.data, (std::vector<std::uint8_t>{4, 3, 2, 1}));
  // Switched off while active, and while not active.
  for (bool active : {true, false}) {
    SCOPED_TRACE(active);
    if (active) StoreSecret();
    registry.PutString(kLm, kWinlogon, u"AutoAdminLogon", u"1");
    ASSERT_TRUE(LimitAutoLogons(Ports(), 3));
    EXPECT_EQ(Off(), active ? AutoLogonResult::Done : AutoLogonResult::WasNotActive);
    EXPECT_FALSE(registry.Value(kLm, kWinlogon, u"AutoLogonCount"));
  }
  registry.DenyOpen(kLm, kWinlogon);
  EXPECT_FALSE(LimitAutoLogons(Ports(), 3));
}

TEST_F(AutoLogonTest, SwitchOnStoresTheSecretAsACountedStringOfAtLeastTen) {
  Text password = u"abc";
  const Text account = u"alice";
  registry.PutString(kLm, kWinlogon, u"DefaultPassword", u"left by another tool");
  ASSERT_EQ(SetAutoLogon(Ports(), &account, &password), AutoLogonResult::Done);
  const auto& secret = secrets.secrets.at(u"DefaultPassword");
  EXPECT_EQ(secret.length, 20);
  EXPECT_EQ(secret.maximumLength, 22);
  EXPECT_EQ(secret.buffer, (std::vector<char16_t>{u'a', u'b', u'c', 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Winlogon(), " AutoAdminLogon=1 DefaultDomainName=DESKTOP-T1 DefaultUserName=alice");
  // REG_SZ "1" with its terminating NUL.
  EXPECT_EQ(registry.Value(kLm, kWinlogon, u"AutoAdminLogon")->data,
            (std::vector<std::uint8_t>{'1', 0, 0, 0}));
  EXPECT_TRUE(password.empty());
  EXPECT_TRUE(IsAutoLogonActive(Ports()));
  EXPECT_EQ(GetAutoLogonUser(Ports()), u"alice");

  for (auto [text, length] : {std::pair<Text, int>{u"twelve chars", 24}, {u"", 20}}) {
    ASSERT_EQ(On(u"alice", text), AutoLogonResult::Done);
    const auto& stored = secrets.secrets.at(u"DefaultPassword");
    EXPECT_EQ(stored.length, length);
    EXPECT_EQ(stored.maximumLength, length + 2);
    EXPECT_EQ(stored.buffer.size(), static_cast<std::size_t>(length / 2 + 1));
    EXPECT_EQ(stored.buffer.back(), 0);
  }
  EXPECT_EQ(secrets.secrets.at(u"DefaultPassword").buffer, std::vector<char16_t>(11, 0));
}

TEST_F(AutoLogonTest, ThePasswordBufferIsZeroedOnSuccessAndOnFailure) {
  for (Status answer : {Status::Ok, Status::NotFound}) {
    secrets.storeAnswer = answer;
    Text password = u"a password too long for the small-string buffer";
    const std::size_t held = password.size();
    const char16_t* memory = password.data();
    const Text account = u"alice";
    (void)SetAutoLogon(Ports(), &account, &password);
    EXPECT_TRUE(password.empty());
    ASSERT_EQ(password.data(), memory);  // wiped in place, not swapped for a new buffer
    EXPECT_TRUE(std::all_of(memory, memory + held, [](char16_t c) { return c == 0; }));
  }
}

TEST_F(AutoLogonTest, OnIsAutoAdminLogonAsTextThatReadsOneWithTheSecretOrAPlainTextPassword) {
  StoreSecret();
  const struct {
    std::uint32_t type;
    std::vector<std::uint8_t> data;
    bool on;
  } cases[] = {
      {ValueType::String, Utf16(u"1"), true},  // without its NUL
      {ValueType::String, Utf16(std::u16string(u"1\0", 2)), true},
      {ValueType::ExpandString, Utf16(std::u16string(u"1\0", 2)), true},
      {ValueType::MultiString, Utf16(std::u16string(u"1\0\0", 3)), true},
      {ValueType::MultiString, Utf16(std::u16string(u"1\0x\0\0", 5)), false},  // "1\nx"
      {ValueType::Dword, {1, 0, 0, 0}, false},
      {ValueType::Binary, Utf16(u"1"), false},
      {ValueType::String, Utf16(u"11"), false},
      {ValueType::String, Utf16(u"0"), false},
      {ValueType::String, {}, false},
  };
  for (const auto& c : cases) {
    registry.PutValue(kLm, kWinlogon, u"AutoAdminLogon", c.type, c.data);
    EXPECT_EQ(IsAutoLogonActive(Ports()), c.on) << "type " << c.type << ", " << c.data.size();
  }
  secrets.secrets.clear();
  registry.PutString(kLm, kWinlogon, u"AutoAdminLogon", u"1");
  EXPECT_FALSE(IsAutoLogonActive(Ports()));
  registry.PutValue(kLm, kWinlogon, u"DefaultPassword", ValueType::Dword, {1, 0, 0, 0});
  EXPECT_FALSE(IsAutoLogonActive(Ports()));
  registry.PutValue(kLm, kWinlogon, u"DefaultPassword", ValueType::ExpandString, Utf16(u"pw"));
  EXPECT_TRUE(IsAutoLogonActive(Ports()));

  // The policy cannot be opened: nothing counts as stored.
  secrets.policyOpens = false;
  EXPECT_FALSE(IsAutoLogonActive(Ports()));
}

TEST_F(AutoLogonTest, AnUnknownAccountGetsTheComputerNameAsDomain) {
  EXPECT_EQ(On(u"nobody", u"pw"), AutoLogonResult::Done);
  EXPECT_EQ(Value(u"DefaultDomainName"), u"DESKTOP-T1");
  accounts.accounts[u"carol"] = {u"S-1-5-21-7-7-7-1002", u"CORP"};
  EXPECT_EQ(On(u"CAROL", u"pw"), AutoLogonResult::Done);
  EXPECT_EQ(Value(u"DefaultDomainName"), u"CORP");
  accounts.computerName.clear();  // that query fails too
  EXPECT_EQ(On(u"nobody", u"pw"), AutoLogonResult::Done);
  EXPECT_EQ(Value(u"DefaultDomainName"), u"");
}

TEST_F(AutoLogonTest, SwitchOnWithoutAStoredSecretLeavesAutoAdminLogonAndThePlainValue) {
  for (bool policyOpens : {true, false}) {
    secrets.policyOpens = policyOpens;
    secrets.storeAnswer = Status::NotFound;  // what Wine answers
    registry.PutString(kLm, kWinlogon, u"AutoAdminLogon", u"0");
    registry.PutString(kLm, kWinlogon, u"DefaultPassword", u"plain");
    EXPECT_EQ(On(u"alice", u"pw"), AutoLogonResult::Failed);
    // The account is written before the password is tried.
    EXPECT_EQ(Winlogon(),
              " AutoAdminLogon=0 DefaultDomainName=DESKTOP-T1 DefaultPassword=plain "
              "DefaultUserName=alice");
    EXPECT_TRUE(secrets.secrets.empty());
  }
}

TEST_F(AutoLogonTest, AFailedNameWriteStopsBeforeAnythingElse) {
  registry.PutString(kLm, kWinlogon, u"DefaultUserName", u"bob");
  registry.FailNext(platform::FakeRegistry::Op::SetValue);
  EXPECT_EQ(On(u"alice", u"pw"), AutoLogonResult::Failed);
  EXPECT_EQ(Winlogon(), " DefaultDomainName=OLDDOMAIN DefaultUserName=bob");
  EXPECT_EQ(secrets.stores(), 0);
}

TEST_F(AutoLogonTest, AKeyThatStaysClosedAfterTheRepairFailsEveryOperationAndOneItOpensIsUsed) {
  registry.PutString(kLm, kWinlogon, u"DefaultUserName", u"bob");
  registry.DenyOpen(kLm, kWinlogon);
  EXPECT_EQ(GetAutoLogonUser(Ports()), u"");
  EXPECT_EQ(On(u"alice", u"pw"), AutoLogonResult::Failed);
  EXPECT_EQ(Off(), AutoLogonResult::Failed);
  // One repair per operation that could not open the key, each with a
  // second open after it.
  EXPECT_EQ(security.Count(platform::FakeKeySecurity::Kind::TreeByName), 3);
  EXPECT_EQ(registry.openCalls().size(), 9u);  // per repair: open, the repair's own, retry
  EXPECT_EQ(Value(u"DefaultUserName"), u"bob");
  EXPECT_EQ(secrets.stores(), 0);

  // A key that the repair opens is used, and once open needs no further repair.
  security.onApplied = [this] { registry.AllowOpen(kLm, kWinlogon); };
  EXPECT_EQ(GetAutoLogonUser(Ports()), u"bob");
  EXPECT_EQ(On(u"alice", u"pw"), AutoLogonResult::Done);
  EXPECT_EQ(security.Count(platform::FakeKeySecurity::Kind::TreeByName), 4);
}

TEST_F(AutoLogonTest, TheConfiguredUserIsReadOnlyFromAPlainString) {
  EXPECT_EQ(GetAutoLogonUser(Ports()), u"");
  registry.PutValue(kLm, kWinlogon, u"DefaultUserName", ValueType::ExpandString, Utf16(u"dave"));
  EXPECT_EQ(GetAutoLogonUser(Ports()), u"");
}

}  // namespace
}  // namespace twk::setup
