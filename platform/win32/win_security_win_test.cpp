// The accounts and LSA adapters against the real system (under Wine).
#include <windows.h>
// After windows.h, whose types they use.
#include <gtest/gtest.h>
#include <lmcons.h>

#include <string>
#include <vector>

#include "base/strings.h"
#include "platform/win32/win_accounts.h"
#include "platform/win32/win_lsa_secrets.h"

namespace twk::platform::win32 {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(WinAccountsTest, WellKnownAndTextSidsComeOutInTheirBinaryLayout) {
  WinAccounts accounts;
  auto admins = accounts.MakeWellKnownSid(WellKnownSid::BuiltinAdministrators);
  ASSERT_EQ(admins.status(), Status::Ok);
  EXPECT_EQ(admins.value(), (Bytes{1, 2, 0, 0, 0, 0, 0, 5, 0x20, 0, 0, 0, 0x20, 2, 0, 0}));
  auto world = accounts.MakeWellKnownSid(WellKnownSid::World);
  ASSERT_EQ(world.status(), Status::Ok);
  EXPECT_EQ(world.value(), (Bytes{1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0}));
  auto system = accounts.MakeWellKnownSid(WellKnownSid::LocalSystem);
  ASSERT_EQ(system.status(), Status::Ok);
  EXPECT_EQ(system.value(), (Bytes{1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0}));

  auto restricted = accounts.SidFromText(u"S-1-5-12");
  ASSERT_EQ(restricted.status(), Status::Ok);
  EXPECT_EQ(restricted.value(), (Bytes{1, 1, 0, 0, 0, 0, 0, 5, 12, 0, 0, 0}));
  EXPECT_NE(accounts.SidFromText(u"not a SID").status(), Status::Ok);
}

TEST(WinAccountsTest, TheProcessUserIsFoundAndAnInventedNameIsNot) {
  wchar_t user[UNLEN + 1] = {};
  DWORD size = UNLEN + 1;
  ASSERT_TRUE(GetUserNameW(user, &size));
  WinAccounts accounts;
  auto found = accounts.LookupAccount(reinterpret_cast<const char16_t*>(user));
  ASSERT_EQ(found.status(), Status::Ok) << ToUtf8(reinterpret_cast<const char16_t*>(user));
  EXPECT_FALSE(found.value().domain.empty());
  EXPECT_TRUE(IsValidSid(found.value().sid.data()));
  EXPECT_EQ(found.value().sid.size(), GetLengthSid(found.value().sid.data()));

  auto missing = accounts.LookupAccount(u"TarnwickNoSuchAccount-7b1e");
  EXPECT_EQ(missing.status(), Status::NotFound) << static_cast<int>(missing.status());
}

TEST(WinAccountsTest, ComputerNameIsTheSystemsAnswer) {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  ASSERT_TRUE(GetComputerNameW(name, &size));
  WinAccounts accounts;
  auto answer = accounts.ComputerName();
  ASSERT_EQ(answer.status(), Status::Ok);
  EXPECT_EQ(answer.value(), reinterpret_cast<const char16_t*>(name));
  EXPECT_FALSE(answer.value().empty());
}

// A secret of the test's own, so that a real machine's auto-logon password
// is never touched. Wine cannot store secrets at all; wherever the store
// works the secret is removed again.
TEST(WinLsaSecretsTest, AStoreAndTheQueryAfterItAgree) {
  WinLsaSecrets secrets;
  const Answer<LsaPolicy> opened = secrets.OpenPolicy();
  ASSERT_TRUE(opened.ok()) << static_cast<int>(opened.status());
  OwnedLsaPolicy policy(secrets, opened.value());
  const std::u16string name = u"TarnwickTest-" + FromUtf8(std::to_string(GetCurrentProcessId()));
  EXPECT_EQ(secrets.QueryPrivateData(policy.get(), name), Status::NotFound);

  std::vector<char16_t> buffer(11, 0);
  buffer[0] = u'x';
  CountedText data{buffer.data(), 20, 22};
  const Status stored = secrets.StorePrivateData(policy.get(), name, &data);
  std::printf("LsaStorePrivateData answered %d\n", static_cast<int>(stored));
  EXPECT_EQ(secrets.QueryPrivateData(policy.get(), name),
            stored == Status::Ok ? Status::Ok : Status::NotFound);
  if (stored == Status::Ok) {
    EXPECT_EQ(secrets.StorePrivateData(policy.get(), name, nullptr), Status::Ok);
    EXPECT_EQ(secrets.QueryPrivateData(policy.get(), name), Status::NotFound);
  }
}

}  // namespace
}  // namespace twk::platform::win32
