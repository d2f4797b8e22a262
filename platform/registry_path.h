#pragma once
// Registry keys named by one text path: a root alias with an optional view
// suffix ("HKLM64", "HKEY_USERS32"), then a backslash and the subkey, e.g.
// HKLM64\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Winlogon. The suffix
// lets a 32-bit process say on 64-bit Windows which registry view it means.
#include <cstdint>
#include <optional>

#include "base/strings.h"
#include "platform/registry.h"

namespace twk::platform {

// Takes the root off the path: on success the path holds only the subkey
// (empty when the path named the root alone) and the predefined root is
// returned. With an access mask, a "64" or "32" ending of the root selects
// the view (KEY_WOW64_64KEY / KEY_WOW64_32KEY is added to the mask); without
// one a suffixed root is not recognised. On failure nothing is changed.
[[nodiscard]] std::optional<platform::RegistryRoot> SplitRegistryRoot(
    Text& path, std::uint32_t* access = nullptr);

// Opens an existing key named by path; the caller closes the key. On failure
// the key is 0 and the status is the registry's (NotFound, Denied, ...); a
// path whose root is not one of the aliases names no key: NotFound.
[[nodiscard]] Answer<RegistryKey> OpenRegistryPath(Registry& registry, const Text& path,
                                                   std::uint32_t access);

// Rewrites path in place into the object name that the security functions
// take for registry keys (MACHINE\..., USERS\..., ...). A leading
// \\machine\ is dropped. Fails for unknown roots, HKCC, and the 64-bit
// roots in a 32-bit process on 64-bit Windows; after a failure path is not
// to be used.
[[nodiscard]] bool ToSecurityObjectName(platform::Registry& registry, Text& path);

}  // namespace twk::platform
