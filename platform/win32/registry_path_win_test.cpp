#include <windows.h>
// After windows.h, whose types they use.
#include <aclapi.h>
#include <gtest/gtest.h>
#include <sddl.h>

#include <string>

#include "platform/registry_path.h"
#include "platform/win32/registry_test_util.h"
#include "platform/win32/win_error.h"
#include "platform/win32/win_file_system_test_util.h"
#include "platform/win32/win_identity.h"
#include "platform/win32/win_registry.h"

namespace twk::platform {
namespace {

using platform::KeyAccess::Read;
using platform::KeyAccess::ReadWrite;
using platform::win32::WinRegistry;
using platform::win32::test::Wide;

// A 32-bit process on 64-bit Windows, found out without IsWow64Process.
bool RunsUnderWow64() {
  SYSTEM_INFO native{};
  GetNativeSystemInfo(&native);
  return sizeof(void*) == 4 && native.wProcessorArchitecture != PROCESSOR_ARCHITECTURE_INTEL;
}

// A key of the test's own under HKCU, created before and removed after.
class RegistryPathWinTest : public platform::win32::test::ScratchKeyTest {
 protected:
  // Type and bytes of a value as RegQueryValueExW reports them, or "<missing>".
  std::string RawValue(const Text& name, DWORD* type = nullptr) {
    char buffer[512];
    DWORD size = sizeof(buffer), ignored = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Wide(subkey), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
      return "<no key>";
    }
    const LSTATUS status = RegQueryValueExW(key, Wide(name), nullptr, type ? type : &ignored,
                                            reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? std::string(buffer, size) : "<missing>";
  }
  void SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY raw = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, Wide(subkey), 0, KEY_SET_VALUE, &raw),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(raw, name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
    RegCloseKey(raw);
  }

  platform::OwnedKey Open(const Text& path, std::uint32_t access) {
    return platform::OwnedKey(registry,
                              OpenRegistryPath(registry, path, access).value_or(platform::kNoKey));
  }

  WinRegistry registry;
};

TEST_F(RegistryPathWinTest, RootsAloneAndTheUsersRunKeyThroughHkuAndTheSidOpen) {
  EXPECT_TRUE(Open(u"HKCU", Read));
  EXPECT_TRUE(Open(u"HKEY_USERS", Read));
  // The SID of the user this process runs as, as the setup names the Run key.
  platform::win32::WinIdentity identity;
  Text name, sid;
  identity.CloseToken(identity.GetProcessUser(name, &sid));
  ASSERT_FALSE(sid.empty());
  platform::OwnedKey run =
      Open(u"HKU\\" + sid + u"\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", ReadWrite);
  EXPECT_TRUE(run) << "SID " << ToUtf8(sid);
}

TEST_F(RegistryPathWinTest, TheNativeWinlogonKeyOpensForReading) {
  platform::OwnedKey winlogon =
      Open(u"HKLM64\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", Read);
  ASSERT_TRUE(winlogon);
  auto shell = registry.QueryValue(winlogon.get(), u"Shell");
  ASSERT_TRUE(shell.ok());
  EXPECT_EQ(shell.value().type, static_cast<std::uint32_t>(REG_SZ));
  EXPECT_GT(shell.value().data.size(), 2u);
  EXPECT_EQ(registry.QueryValue(winlogon.get(), u"NoSuchValueOfTarnwick").status(),
            Status::NotFound);
  EXPECT_EQ(registry.IsWow64Process(), RunsUnderWow64());
}

TEST_F(RegistryPathWinTest, AStringIsWrittenWithItsTerminatorAndDeleted) {
  platform::OwnedKey key = Open(u"HKCU\\" + subkey, ReadWrite);
  ASSERT_TRUE(key);
  const Text command =
      u"\"C:\\Program Files\\Tarnwick.exe\" /CurrentReboot:2 /TotalReboots:5 /Delay:3";
  ASSERT_EQ(registry.SetString(key.get(), u"Tarnwick", command), Status::Ok);
  DWORD type = 0;
  const std::string bytes = RawValue(u"Tarnwick", &type);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(bytes, ToUtf16(command, ByteOrder::LittleEndian) + std::string(2, '\0'));

  auto read = registry.QueryValue(key.get(), u"tarnwick");  // names ignore case
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.value().type, static_cast<std::uint32_t>(REG_SZ));
  EXPECT_EQ(std::string(read.value().data.begin(), read.value().data.end()), bytes);

  EXPECT_EQ(registry.DeleteValue(key.get(), u"Tarnwick"), Status::Ok);
  EXPECT_EQ(RawValue(u"Tarnwick"), "<missing>");
  EXPECT_EQ(registry.DeleteValue(key.get(), u"Tarnwick"), Status::NotFound) << "already gone";
}

// Values come back with their types and exact bytes; a key opened for
// reading refuses writes as Denied.
TEST_F(RegistryPathWinTest, ValuesReadExactlyThroughAKeyThatRefusesWrites) {
  const DWORD number = 0x01020304;
  SetRaw(L"Number", REG_DWORD, &number, 4);
  SetRaw(L"Bare", REG_SZ, L"abc", 4);  // without a NUL (the system adds one only if it follows)
  SetRaw(L"Empty", REG_SZ, nullptr, 0);

  platform::OwnedKey key = Open(u"HKCU\\" + subkey, Read);
  ASSERT_TRUE(key);
  auto value = registry.QueryValue(key.get(), u"Number");
  ASSERT_TRUE(value.ok());
  EXPECT_EQ(value.value().type, static_cast<std::uint32_t>(REG_DWORD));
  EXPECT_EQ(value.value().data, (std::vector<std::uint8_t>{4, 3, 2, 1}));
  value = registry.QueryValue(key.get(), u"Bare");
  ASSERT_TRUE(value.ok());
  EXPECT_EQ(value.value().data, (std::vector<std::uint8_t>{'a', 0, 'b', 0}));
  value = registry.QueryValue(key.get(), u"Empty");
  ASSERT_TRUE(value.ok());
  EXPECT_TRUE(value.value().data.empty());

  EXPECT_EQ(registry.SetString(key.get(), u"Tarnwick", u"x"), Status::Denied);
  EXPECT_EQ(registry.DeleteValue(key.get(), u"Bare"), Status::Denied);
  EXPECT_EQ(RawValue(u"Tarnwick"), "<missing>");
  EXPECT_EQ(RawValue(u"Bare"), std::string("a\0b\0", 4)) << "still there";
}

TEST_F(RegistryPathWinTest, AMissingKeyIsNotFoundAndNotCreated) {
  // (A failed answer holds no key: Answer drops it.)
  const Answer<RegistryKey> answer =
      OpenRegistryPath(registry, u"HKCU\\" + subkey + u"\\Missing", ReadWrite);
  EXPECT_EQ(answer.status(), Status::NotFound);
  HKEY probe = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, Wide(subkey + u"\\Missing"), 0, KEY_READ, &probe),
            ERROR_FILE_NOT_FOUND);
}

// A key whose security refuses everyone the rights to set values and to
// create subkeys (but grants reading and deleting the key): opening it for
// writing is Denied, for reading still works. (KEY_WRITE itself cannot be
// denied: it shares READ_CONTROL with KEY_READ.)
TEST_F(RegistryPathWinTest, AKeyWithoutWriteRightsIsDeniedForWriting) {
  const Text locked = subkey + u"\\Locked";
  HKEY raw = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Wide(locked), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &raw, nullptr),
            ERROR_SUCCESS);
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
      L"D:P(D;;0x6;;;WD)(A;;0x30019;;;WD)", SDDL_REVISION_1, &descriptor, nullptr));
  const LSTATUS applied = RegSetKeySecurity(raw, DACL_SECURITY_INFORMATION, descriptor);
  LocalFree(descriptor);
  RegCloseKey(raw);
  ASSERT_EQ(applied, ERROR_SUCCESS);

  HKEY probe = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, Wide(locked), 0, KEY_SET_VALUE, &probe) == ERROR_SUCCESS) {
    RegCloseKey(probe);
    RegDeleteKeyW(HKEY_CURRENT_USER, Wide(locked));
    GTEST_SKIP() << "this system does not enforce the security of registry keys";
  }
  const Answer<RegistryKey> answer = OpenRegistryPath(registry, u"HKCU\\" + locked, ReadWrite);
  EXPECT_EQ(answer.status(), Status::Denied);
  EXPECT_TRUE(Open(u"HKCU\\" + locked, Read));
  RegDeleteKeyW(HKEY_CURRENT_USER, Wide(locked));
}

// The one mapping from system error codes, over the codes the adapters meet.
TEST(StatusFromErrorTest, MissingThingsAreNotFoundRefusalsDeniedTheRestFailed) {
  using platform::win32::StatusFromError;
  EXPECT_EQ(StatusFromError(ERROR_SUCCESS), Status::Ok);
  for (DWORD code : {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_BAD_NETPATH}) {
    EXPECT_EQ(StatusFromError(code), Status::NotFound) << code;
  }
  for (DWORD code : {ERROR_ACCESS_DENIED, ERROR_PRIVILEGE_NOT_HELD, ERROR_SHARING_VIOLATION}) {
    EXPECT_EQ(StatusFromError(code), Status::Denied) << code;
  }
  for (DWORD code : {ERROR_OUTOFMEMORY, ERROR_INVALID_HANDLE, ERROR_MORE_DATA, ERROR_KEY_DELETED}) {
    EXPECT_EQ(StatusFromError(code), Status::Failed) << code;
  }
}

TEST_F(RegistryPathWinTest, The32BitViewIsTheWow6432NodeCopy) {
  SYSTEM_INFO machine{};
  GetNativeSystemInfo(&machine);
  if (machine.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_INTEL) {
    GTEST_SKIP() << "32-bit Windows has one registry view";
  }
  // A key of our own in both views of HKLM\SOFTWARE, its value naming the view.
  const Text name = u"TarnwickViewTest-" + FromUtf8(std::to_string(GetCurrentProcessId()));
  const Text native = u"SOFTWARE\\" + name;
  for (const auto& [view, text] : {std::pair{KEY_WOW64_64KEY, L"64"}, {KEY_WOW64_32KEY, L"32"}}) {
    HKEY created = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, Wide(native), 0, nullptr, 0,
                              KEY_ALL_ACCESS | view, nullptr, &created, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(created, L"View", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), 6);
    RegCloseKey(created);
  }

  auto viewOf = [&](const Text& root) -> std::string {
    platform::OwnedKey key = Open(root + u"\\" + native, Read);
    if (!key) return "<not opened>";
    auto value = registry.QueryValue(key.get(), u"View");
    if (!value.ok() || value.value().data.size() < 4) return "<no value>";
    const std::vector<std::uint8_t>& data = value.value().data;
    return std::string{static_cast<char>(data[0]), static_cast<char>(data[2])};
  };
  EXPECT_EQ(viewOf(u"HKLM64"), "64");
  EXPECT_EQ(viewOf(u"HKLM32"), "32");
  // Without a suffix, the process's own view.
  EXPECT_EQ(viewOf(u"HKLM"), RunsUnderWow64() ? "32" : "64");

  // The security functions name the 32-bit copy through WOW6432Node, except
  // in a 32-bit process, whose own calls are redirected there anyway.
  Text objectName = u"HKLM32\\" + native;
  ASSERT_TRUE(ToSecurityObjectName(registry, objectName));
  EXPECT_EQ(objectName, RunsUnderWow64() ? u"MACHINE\\SOFTWARE\\" + name
                                         : u"MACHINE\\SOFTWARE\\WOW6432Node\\" + name);

  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, Wide(native), KEY_WOW64_32KEY, 0);
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, Wide(native), KEY_WOW64_64KEY, 0);
}

TEST_F(RegistryPathWinTest, SecurityObjectNamesAreAcceptedBySecurityFunctions) {
  Text name = u"\\\\PC\\HKCU\\" + subkey;
  ASSERT_TRUE(ToSecurityObjectName(registry, name));
  EXPECT_EQ(name, u"CURRENT_USER\\" + subkey);
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  PSID owner = nullptr;
  DWORD status = GetNamedSecurityInfoW(const_cast<wchar_t*>(Wide(name)), SE_REGISTRY_KEY,
                                       OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                                       nullptr, &descriptor);
  EXPECT_EQ(status, static_cast<DWORD>(ERROR_SUCCESS)) << ToUtf8(name);
  EXPECT_NE(owner, nullptr);
  if (descriptor != nullptr) LocalFree(descriptor);
}

}  // namespace
}  // namespace twk::platform
