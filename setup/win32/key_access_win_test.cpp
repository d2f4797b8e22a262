// The permission repair with the real adapters, on a key of the test's own
// (the Winlogon key of the machine is not touched).
#include <windows.h>
// After windows.h, whose types they use.
#include <gtest/gtest.h>
#include <sddl.h>

#include <string>
#include <vector>

#include "base/strings.h"
#include "platform/win32/win_accounts.h"
#include "platform/win32/win_key_security.h"
#include "platform/win32/registry_test_util.h"
#include "platform/win32/win_registry.h"
#include "setup/key_access.h"

namespace twk::setup {
namespace {

using platform::win32::Wide;

struct Entry {
  BYTE type;
  BYTE flags;
  ACCESS_MASK mask;
  Text sid;
};

Text SidText(PSID sid) {
  wchar_t* text = nullptr;
  if (!ConvertSidToStringSidW(sid, &text)) return u"?";
  Text result = reinterpret_cast<const char16_t*>(text);
  LocalFree(text);
  return result;
}

class KeyAccessWinTest : public platform::win32::test::ScratchKeyTest {
 protected:

  // Owner and DACL entries of the test key as the system reports them.
  bool ReadSecurity(Text& owner, std::vector<Entry>& entries) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Wide(subkey), 0, READ_CONTROL, &key) != ERROR_SUCCESS) {
      return false;
    }
    std::vector<DWORD> buffer(1024, 0);
    DWORD size = static_cast<DWORD>(buffer.size() * sizeof(DWORD));
    const LONG read = RegGetKeySecurity(key, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                        buffer.data(), &size);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS) return false;
    PSID ownerSid = nullptr;
    BOOL defaulted = FALSE, present = FALSE;
    PACL dacl = nullptr;
    if (!GetSecurityDescriptorOwner(buffer.data(), &ownerSid, &defaulted) || ownerSid == nullptr ||
        !GetSecurityDescriptorDacl(buffer.data(), &present, &dacl, &defaulted) || !present ||
        dacl == nullptr) {
      return false;
    }
    owner = SidText(ownerSid);
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
      ACE_HEADER* header = nullptr;
      if (!GetAce(dacl, i, reinterpret_cast<void**>(&header))) return false;
      auto* allowed = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
      entries.push_back({header->AceType, header->AceFlags, allowed->Mask,
                         SidText(reinterpret_cast<PSID>(&allowed->SidStart))});
    }
    return true;
  }

  platform::win32::WinRegistry registry;
  platform::win32::WinAccounts accounts;
  platform::win32::WinKeySecurity security;
};

TEST_F(KeyAccessWinTest, TheKeyGetsTheAdministratorsAsOwnerAndTheFixedList) {
  // Version 5.1: the list without TrustedInstaller, whom not every system knows.
  const bool byName = GrantKeyAccess({registry, accounts, security, 5.1}, u"HKCU\\" + subkey);
  std::printf("change by name: %s\n", byName ? "done" : "failed");

  Text owner;
  std::vector<Entry> entries;
  ASSERT_TRUE(ReadSecurity(owner, entries));
  EXPECT_EQ(ToUtf8(owner), "S-1-5-32-544");
  // The system may split a generic entry into a mapped one for the key and
  // an inherit-only one for subkeys; look at what applies to the key itself.
  const ACCESS_MASK writing = GENERIC_ALL | GENERIC_WRITE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY |
                              WRITE_DAC | WRITE_OWNER | DELETE;
  std::vector<std::string> trustees;
  for (const Entry& e : entries) {
    std::printf("entry type %u flags 0x%02x mask 0x%08lx %s\n", e.type, e.flags,
                static_cast<unsigned long>(e.mask), ToUtf8(e.sid).c_str());
    EXPECT_EQ(e.type, ACCESS_ALLOWED_ACE_TYPE);
    if ((e.flags & INHERIT_ONLY_ACE) != 0) continue;
    trustees.push_back(ToUtf8(e.sid));
    const bool full = e.sid == u"S-1-5-32-544" || e.sid == u"S-1-5-18";
    if (full) {
      EXPECT_NE(e.mask & (GENERIC_ALL | KEY_SET_VALUE), 0u) << ToUtf8(e.sid);
    } else {
      EXPECT_EQ(e.mask & writing, 0u) << ToUtf8(e.sid) << " may write";
      EXPECT_NE(e.mask & (GENERIC_READ | KEY_QUERY_VALUE), 0u) << ToUtf8(e.sid);
    }
  }
  EXPECT_EQ(trustees, (std::vector<std::string>{"S-1-5-32-544", "S-1-5-18", "S-1-1-0",
                                                "S-1-5-32-545", "S-1-5-12"}));
}

}  // namespace
}  // namespace twk::setup
