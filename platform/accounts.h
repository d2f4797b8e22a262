#pragma once
// Accounts and their security identifiers (SIDs) on this machine, with SIDs
// handed over in their binary form, so that the logic can lay them into
// access lists itself. Also the computer's own name, which stands in as the
// domain of an account the system cannot find.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/status.h"

namespace twk::platform {

using SidBytes = std::vector<std::uint8_t>;

// The well-known SIDs the program uses, with the values of
// WELL_KNOWN_SID_TYPE.
enum class WellKnownSid : std::uint32_t {
  World = 1,                   // WinWorldSid, S-1-1-0, Everyone
  LocalSystem = 22,            // WinLocalSystemSid, S-1-5-18
  BuiltinAdministrators = 26,  // WinBuiltinAdministratorsSid, S-1-5-32-544
};

struct AccountAnswer {
  SidBytes sid;
  std::u16string domain;  // the domain (or computer) the account belongs to
};

class Accounts {
 public:
  virtual ~Accounts() = default;

  // CreateWellKnownSid with no domain SID.
  [[nodiscard]] virtual Answer<SidBytes> MakeWellKnownSid(WellKnownSid kind) = 0;
  // ConvertStringSidToSidW ("S-1-5-32-545").
  [[nodiscard]] virtual Answer<SidBytes> SidFromText(const std::u16string& text) = 0;
  // LookupAccountNameW on the local system: the account's SID and domain.
  // NotFound when no such account is known.
  [[nodiscard]] virtual Answer<AccountAnswer> LookupAccount(const std::u16string& name) = 0;
  // GetComputerNameW.
  [[nodiscard]] virtual Answer<std::u16string> ComputerName() = 0;
};

}  // namespace twk::platform
