#pragma once
// Accounts of a simulated machine: names with their SID (as text) and
// domain, the computer's name, and SIDs made from text the way the system
// lays them out in binary. A test removes an account to make it unknown,
// or empties the computer name to make that query fail.
#include <map>
#include <string>

#include "platform/accounts.h"

namespace twk::platform {

// The binary form of a SID given as text ("S-1-5-32-544"); empty when the
// text is not a SID.
SidBytes EncodeSid(const std::u16string& text);

class FakeAccounts final : public Accounts {
 public:
  struct Account {
    std::u16string sid;
    std::u16string domain;
  };

  // By name as looked up (compared without regard to case).
  std::map<std::u16string, Account> accounts = {
      {u"alice", {u"S-1-5-21-1004336348-1177238915-682003330-1001", u"DESKTOP-T1"}},
      {u"NT SERVICE\\TrustedInstaller",
       {u"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464", u"NT SERVICE"}},
  };
  std::u16string computerName = u"DESKTOP-T1";  // empty: the query fails
  int lookups = 0;

  Answer<SidBytes> MakeWellKnownSid(WellKnownSid kind) override;
  Answer<SidBytes> SidFromText(const std::u16string& text) override;
  Answer<AccountAnswer> LookupAccount(const std::u16string& name) override;
  Answer<std::u16string> ComputerName() override;
};

}  // namespace twk::platform
