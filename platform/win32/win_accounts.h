#pragma once
#include "platform/accounts.h"

namespace twk::platform::win32 {

class WinAccounts final : public Accounts {
 public:
  Answer<SidBytes> MakeWellKnownSid(WellKnownSid kind) override;
  Answer<SidBytes> SidFromText(const std::u16string& text) override;
  Answer<AccountAnswer> LookupAccount(const std::u16string& name) override;
  Answer<std::u16string> ComputerName() override;
};

}  // namespace twk::platform::win32
