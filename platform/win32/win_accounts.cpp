#include "platform/win32/win_accounts.h"

#include <windows.h>

#include "platform/win32/wide_text.h"
// After windows.h, whose types it uses.
#include <sddl.h>

#include "platform/win32/handles.h"
#include "platform/win32/win_error.h"
#include "platform/win32/win_security_status.h"

namespace twk::platform::win32 {
namespace {

SidBytes BytesOf(PSID sid) {
  const auto* first = static_cast<const std::uint8_t*>(sid);
  return SidBytes(first, first + GetLengthSid(sid));
}

}  // namespace

Answer<SidBytes> WinAccounts::MakeWellKnownSid(WellKnownSid kind) {
  alignas(SID) BYTE sid[SECURITY_MAX_SID_SIZE] = {};
  DWORD size = sizeof(sid);
  if (!CreateWellKnownSid(static_cast<WELL_KNOWN_SID_TYPE>(kind), nullptr, sid, &size)) {
    return {StatusFromError(LastError()), {}};
  }
  return {Status::Ok, BytesOf(sid)};
}

Answer<SidBytes> WinAccounts::SidFromText(const std::u16string& text) {
  LocalSid sid;
  if (!ConvertStringSidToSidW(Wide(text), sid.Receive())) {
    return {StatusFromError(LastError()), {}};
  }
  return {Status::Ok, BytesOf(sid.get())};
}

Answer<AccountAnswer> WinAccounts::LookupAccount(const std::u16string& name) {
  // First the sizes, then the data; an account that changes in between is
  // asked for again a few times.
  for (int attempt = 0; attempt < 3; ++attempt) {
    DWORD sidSize = 0;
    DWORD domainSize = 0;
    SID_NAME_USE use = SidTypeUnknown;
    if (!LookupAccountNameW(nullptr, Wide(name), nullptr, &sidSize, nullptr, &domainSize, &use)) {
      const DWORD error = LastError();
      if (error != ERROR_INSUFFICIENT_BUFFER) return {StatusFromError(error), {}};
    }
    if (sidSize == 0) return {Status::Failed, {}};
    std::vector<std::uint8_t> sid(sidSize, 0);
    std::u16string domain(domainSize, u'\0');
    if (!LookupAccountNameW(nullptr, Wide(name), sid.data(), &sidSize,
                            reinterpret_cast<wchar_t*>(domain.data()), &domainSize, &use)) {
      const DWORD error = LastError();
      if (error == ERROR_INSUFFICIENT_BUFFER) continue;
      return {StatusFromError(error), {}};
    }
    sid.resize(GetLengthSid(sid.data()));
    domain.resize(domainSize);  // without the terminator, on success
    return {Status::Ok, {std::move(sid), std::move(domain)}};
  }
  return {Status::Failed, {}};
}

Answer<std::u16string> WinAccounts::ComputerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(name, &size)) return {StatusFromError(LastError()), {}};
  return {Status::Ok, std::u16string(reinterpret_cast<const char16_t*>(name), size)};
}

}  // namespace twk::platform::win32
