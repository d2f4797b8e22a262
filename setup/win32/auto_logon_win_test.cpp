// Auto-logon with the real adapters on the real Winlogon key, under Wine
// only: Wine cannot store LSA secrets, so switching on must fail there and
// leave AutoAdminLogon off. Every Winlogon value a test touches is put back.
#include <windows.h>
// After windows.h, whose types they use.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "base/strings.h"
#include "platform/win32/win_accounts.h"
#include "platform/win32/win_key_security.h"
#include "platform/win32/win_lsa_secrets.h"
#include "platform/win32/win_registry.h"
#include "platform/win32/wine_test_util.h"
#include "setup/auto_logon.h"

namespace twk::setup {
namespace {

constexpr char16_t kWinlogon[] = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr const char16_t* kTouched[] = {u"DefaultUserName", u"DefaultDomainName", u"AutoAdminLogon",
                                        u"DefaultPassword"};

using platform::win32::test::RunsUnderWine;

// The test reads and restores the Winlogon values through the registry
// adapter, in the 64-bit view the operations use.
class AutoLogonWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!RunsUnderWine()) GTEST_SKIP() << "changes the machine's auto-logon: Wine only";
    key_ = registry
               .OpenKey(platform::RegistryRoot::LocalMachine, kWinlogon,
                        platform::KeyAccess::ReadWrite | platform::KeyAccess::View64)
               .value_or(platform::kNoKey);
    ASSERT_NE(key_, platform::kNoKey);
    for (const char16_t* name : kTouched) saved_[name] = registry.QueryValue(key_, name);
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) Write(name, value);
    registry.CloseKey(key_);
  }

  void Write(const Text& name, const platform::Answer<platform::RegistryValue>& value) {
    if (!value.ok()) {
      (void)registry.DeleteValue(key_, name);
    } else {
      const platform::RegistryValue& saved = value.value();
      (void)registry.SetValue(key_, name, saved.type, saved.data.data(),
                              static_cast<std::uint32_t>(saved.data.size()));
    }
  }
  void WriteText(const Text& name, const Text& text) { (void)registry.SetString(key_, name, text); }
  // The text of a REG_SZ value; "<none>" when missing, "<type n>" otherwise.
  std::string TextOf(const Text& name) {
    const auto answer = registry.QueryValue(key_, name);
    if (!answer.ok()) return "<none>";
    const platform::RegistryValue& value = answer.value();
    if (value.type != platform::ValueType::String)
      return "<type " + std::to_string(value.type) + ">";
    const Text text(reinterpret_cast<const char16_t*>(value.data.data()), value.data.size() / 2);
    return ToUtf8(text.substr(0, text.find(u'\0')));
  }

  AutoLogonPorts Ports() { return {{registry, accounts, security, 10.0}, secrets}; }

  platform::win32::WinRegistry registry;
  platform::win32::WinAccounts accounts;
  platform::win32::WinKeySecurity security;
  platform::win32::WinLsaSecrets secrets;

 private:
  platform::RegistryKey key_ = platform::kNoKey;
  std::map<Text, platform::Answer<platform::RegistryValue>> saved_;
};

TEST_F(AutoLogonWinTest, SwitchingOnFailsWithoutASecretAndLeavesAutoAdminLogonOff) {
  WriteText(u"AutoAdminLogon", u"0");
  const Text account = u"tarnwick-test";
  Text password = u"secret";
  EXPECT_EQ(SetAutoLogon(Ports(), &account, &password), AutoLogonResult::Failed);
  EXPECT_TRUE(password.empty());
  EXPECT_EQ(TextOf(u"AutoAdminLogon"), "0");
  EXPECT_EQ(TextOf(u"DefaultUserName"), "tarnwick-test");
  // Nobody of that name: the domain is this computer.
  wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  ASSERT_TRUE(GetComputerNameW(computer, &size));
  EXPECT_EQ(TextOf(u"DefaultDomainName"), ToUtf8(Text(computer, computer + size)));
  EXPECT_FALSE(IsAutoLogonActive(Ports()));
  EXPECT_EQ(GetAutoLogonUser(Ports()), u"tarnwick-test");
}

TEST_F(AutoLogonWinTest, APlainTextPasswordCountsAndSwitchingOffRemovesIt) {
  WriteText(u"AutoAdminLogon", u"1");
  WriteText(u"DefaultPassword", u"plain");
  EXPECT_TRUE(IsAutoLogonActive(Ports()));
  // The secret cannot be removed where it cannot be stored: that part fails,
  // the rest is done.
  const AutoLogonResult off = SetAutoLogon(Ports(), nullptr, nullptr);
  std::printf("switch-off answered %d\n", static_cast<int>(off));
  EXPECT_NE(off, AutoLogonResult::WasNotActive);
  EXPECT_EQ(TextOf(u"AutoAdminLogon"), "0");
  EXPECT_EQ(TextOf(u"DefaultPassword"), "<none>");
  EXPECT_FALSE(IsAutoLogonActive(Ports()));
}

}  // namespace
}  // namespace twk::setup
