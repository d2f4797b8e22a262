// Auto-logon with the real adapters on the real Winlogon key, under Wine
// only: Wine cannot store LSA secrets, so switching on must fail there and
// leave AutoAdminLogon off. Every Winlogon value a test touches is put back.
#include <windows.h>
// After windows.h, whose types they use.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/win_accounts.h"
#include "platform/win32/win_key_security.h"
#include "platform/win32/win_lsa_secrets.h"
#include "platform/win32/win_registry.h"
#include "setup/auto_logon.h"

namespace twk::setup {
namespace {

constexpr wchar_t kWinlogon[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr const wchar_t* kTouched[] = {L"DefaultUserName", L"DefaultDomainName", L"AutoAdminLogon",
                                       L"DefaultPassword"};

bool RunsUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

struct Stored {
  DWORD type;
  std::vector<BYTE> data;
};

HKEY OpenWinlogon(REGSAM access) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kWinlogon, 0, access | KEY_WOW64_64KEY, &key) !=
      ERROR_SUCCESS) {
    return nullptr;
  }
  return key;
}

std::optional<Stored> Read(const wchar_t* name) {
  HKEY key = OpenWinlogon(KEY_READ);
  if (key == nullptr) return std::nullopt;
  Stored value{REG_NONE, std::vector<BYTE>(512, 0)};
  DWORD size = static_cast<DWORD>(value.data.size());
  const LONG result = RegQueryValueExW(key, name, nullptr, &value.type, value.data.data(), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return std::nullopt;
  value.data.resize(size);
  return value;
}

void Write(const wchar_t* name, const std::optional<Stored>& value) {
  HKEY key = OpenWinlogon(KEY_WRITE);
  ASSERT_NE(key, nullptr);
  if (value) {
    RegSetValueExW(key, name, 0, value->type, value->data.data(),
                   static_cast<DWORD>(value->data.size()));
  } else {
    RegDeleteValueW(key, name);
  }
  RegCloseKey(key);
}

void WriteText(const wchar_t* name, const std::wstring& text) {
  const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
  Write(name, Stored{REG_SZ, std::vector<BYTE>(bytes, bytes + (text.size() + 1) * 2)});
}

// The text of a REG_SZ value; "<none>" when missing, "<type n>" otherwise.
std::string TextOf(const wchar_t* name) {
  const auto value = Read(name);
  if (!value) return "<none>";
  if (value->type != REG_SZ) return "<type " + std::to_string(value->type) + ">";
  std::string text;
  for (std::size_t i = 0; i + 1 < value->data.size() && value->data[i] != 0; i += 2) {
    text.push_back(static_cast<char>(value->data[i]));
  }
  return text;
}

class AutoLogonWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!RunsUnderWine()) GTEST_SKIP() << "changes the machine's auto-logon: Wine only";
    for (const wchar_t* name : kTouched) saved_[name] = Read(name);
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) Write(name.c_str(), value);
  }

  AutoLogonPorts Ports() { return {{registry, accounts, security, 10.0}, secrets}; }

  platform::win32::WinRegistry registry;
  platform::win32::WinAccounts accounts;
  platform::win32::WinKeySecurity security;
  platform::win32::WinLsaSecrets secrets;

 private:
  std::map<std::wstring, std::optional<Stored>> saved_;
};

TEST_F(AutoLogonWinTest, SwitchingOnFailsWithoutASecretAndLeavesAutoAdminLogonOff) {
  WriteText(L"AutoAdminLogon", L"0");
  const Text account = u"tarnwick-test";
  Text password = u"secret";
  EXPECT_EQ(SetAutoLogon(Ports(), &account, &password), AutoLogonResult::Failed);
  EXPECT_TRUE(password.empty());
  EXPECT_EQ(TextOf(L"AutoAdminLogon"), "0");
  EXPECT_EQ(TextOf(L"DefaultUserName"), "tarnwick-test");
  // Nobody of that name: the domain is this computer.
  wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  ASSERT_TRUE(GetComputerNameW(computer, &size));
  std::string expected;
  for (DWORD i = 0; i < size; ++i) expected.push_back(static_cast<char>(computer[i]));
  EXPECT_EQ(TextOf(L"DefaultDomainName"), expected);
  EXPECT_FALSE(IsAutoLogonActive(Ports()));
  EXPECT_EQ(GetAutoLogonUser(Ports()), u"tarnwick-test");
}

TEST_F(AutoLogonWinTest, SwitchingOffClearsAStrayAutoAdminLogon) {
  WriteText(L"DefaultUserName", L"someone");
  WriteText(L"AutoAdminLogon", L"1");
  Write(L"DefaultPassword", std::nullopt);
  EXPECT_FALSE(IsAutoLogonActive(Ports()));
  EXPECT_EQ(SetAutoLogon(Ports(), nullptr, nullptr), AutoLogonResult::WasNotActive);
  EXPECT_EQ(TextOf(L"AutoAdminLogon"), "0");
  EXPECT_EQ(TextOf(L"DefaultUserName"), "");
}

TEST_F(AutoLogonWinTest, APlainTextPasswordCountsAndSwitchingOffRemovesIt) {
  WriteText(L"AutoAdminLogon", L"1");
  WriteText(L"DefaultPassword", L"plain");
  EXPECT_TRUE(IsAutoLogonActive(Ports()));
  // The secret cannot be removed where it cannot be stored: that part fails,
  // the rest is done.
  const AutoLogonResult off = SetAutoLogon(Ports(), nullptr, nullptr);
  std::printf("switch-off answered %d\n", static_cast<int>(off));
  EXPECT_NE(off, AutoLogonResult::WasNotActive);
  EXPECT_EQ(TextOf(L"AutoAdminLogon"), "0");
  EXPECT_EQ(TextOf(L"DefaultPassword"), "<none>");
  EXPECT_FALSE(IsAutoLogonActive(Ports()));
}

}  // namespace
}  // namespace twk::setup
