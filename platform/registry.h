#pragma once
// What the program needs of the registry: open an existing key under one of
// the predefined roots (never create it), read, write and delete values, and
// know whether registry views matter (a 32-bit process on 64-bit Windows).
#include <cstdint>
#include <string>
#include <vector>

#include "platform/port_handle.h"
#include "platform/status.h"

namespace twk::platform {

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig };

using RegistryKey = std::uintptr_t;  // 0 = none
inline constexpr RegistryKey kNoKey = 0;

// Access masks, with the values Windows gives them.
namespace KeyAccess {
inline constexpr std::uint32_t QueryValue = 0x0001;       // KEY_QUERY_VALUE
inline constexpr std::uint32_t SetValue = 0x0002;         // KEY_SET_VALUE
inline constexpr std::uint32_t EnumerateSubkeys = 0x0008; // KEY_ENUMERATE_SUB_KEYS
inline constexpr std::uint32_t View64 = 0x0100;           // KEY_WOW64_64KEY
inline constexpr std::uint32_t View32 = 0x0200;           // KEY_WOW64_32KEY
inline constexpr std::uint32_t Read = 0x20019;            // KEY_READ
inline constexpr std::uint32_t Write = 0x20006;           // KEY_WRITE
inline constexpr std::uint32_t ReadWrite = Read | Write;  // 0x2001F
inline constexpr std::uint32_t WriteDac = 0x40000;        // WRITE_DAC
inline constexpr std::uint32_t WriteOwner = 0x80000;      // WRITE_OWNER
}  // namespace KeyAccess

// Value types, with the values Windows gives them.
namespace ValueType {
inline constexpr std::uint32_t None = 0;          // REG_NONE
inline constexpr std::uint32_t String = 1;        // REG_SZ
inline constexpr std::uint32_t ExpandString = 2;  // REG_EXPAND_SZ
inline constexpr std::uint32_t Binary = 3;        // REG_BINARY
inline constexpr std::uint32_t Dword = 4;         // REG_DWORD
inline constexpr std::uint32_t MultiString = 7;   // REG_MULTI_SZ
}  // namespace ValueType

struct RegistryValue {
  std::uint32_t type = ValueType::None;
  std::vector<std::uint8_t> data;  // exactly the stored bytes, no terminator added
};

class Registry {
 public:
  virtual ~Registry() = default;

  // Opens an existing key (RegOpenKeyExW, options 0). An empty subkey opens
  // the root itself; the key is never created. On failure the value is 0 and
  // the status says why: NotFound for a missing key, Denied when the access
  // asked for is refused.
  [[nodiscard]] virtual Answer<RegistryKey> OpenKey(RegistryRoot root, const std::u16string& subkey,
                                                    std::uint32_t access) = 0;
  // RegCloseKey; 0 and all-ones are not handles and are ignored.
  virtual void CloseKey(RegistryKey key) = 0;

  // RegSetValueExW with exactly these bytes (size 0 writes no data). Denied
  // when the key was not opened with KeyAccess::SetValue.
  [[nodiscard]] virtual Status SetValue(RegistryKey key, const std::u16string& name,
                                        std::uint32_t type, const void* data,
                                        std::uint32_t size) = 0;
  // RegDeleteValueW: NotFound when there is no such value, Denied as above.
  [[nodiscard]] virtual Status DeleteValue(RegistryKey key, const std::u16string& name) = 0;
  // The value's type and bytes. NotFound when there is no such value,
  // Denied when the key was not opened with KeyAccess::QueryValue, Failed
  // for anything else (no key, a value that keeps changing its size).
  [[nodiscard]] virtual Answer<RegistryValue> QueryValue(RegistryKey key,
                                                         const std::u16string& name) = 0;

  // The names of the key's values (RegEnumValueW) and of its subkeys
  // (RegEnumKeyExW), as written, in the order the registry gives them.
  // Denied when the key was not opened with KeyAccess::QueryValue,
  // respectively KeyAccess::EnumerateSubkeys; Failed for anything else.
  [[nodiscard]] virtual Answer<std::vector<std::u16string>> ValueNames(RegistryKey key) = 0;
  [[nodiscard]] virtual Answer<std::vector<std::u16string>> SubkeyNames(RegistryKey key) = 0;

  // True when this is a 32-bit process on 64-bit Windows, so that the
  // 32-bit and 64-bit registry views differ for it. No answer counts as no.
  [[nodiscard]] virtual bool IsWow64Process() = 0;

  // REG_SZ with its terminating NUL: (characters + 1) * 2 bytes, which is
  // what readers that do not add a terminator themselves rely on.
  [[nodiscard]] Status SetString(RegistryKey key, const std::u16string& name,
                                 const std::u16string& text) {
    return SetValue(key, name, ValueType::String, text.c_str(),
                    static_cast<std::uint32_t>((text.size() + 1) * sizeof(char16_t)));
  }
};

// Closes the key it holds when it goes out of scope.
using OwnedKey = PortHandle<Registry, RegistryKey, &Registry::CloseKey>;

}  // namespace twk::platform
