#pragma once
// The console user, the administrator answer and the privileges of a
// simulated machine. Tests preload who sits at the console and which
// privileges the account holds, and read back what was asked: tokens handed
// out and closed (a token closed twice, or a value closed that was never
// handed out, is counted as a fault), and which privileges were switched on.
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/identity.h"

namespace twk::platform {

// The token the default machine hands out for its console user.
inline constexpr TokenHandle kFakeConsoleToken = 0x7001;

class FakeIdentity final : public Identity {
 public:
  struct ConsoleUser {
    std::u16string name = u"alice";
    std::u16string sid = u"S-1-5-21-1004336348-1177238915-682003330-1001";
    TokenHandle token = kFakeConsoleToken;
    // The platform found the user but no token of theirs (for example no
    // process of theirs runs yet): the name is filled, the result is none.
    bool tokenFound = true;
  };

  // The console user; none: nobody is logged on at the console.
  std::optional<ConsoleUser> consoleUser = ConsoleUser{};
  // The account of the process; none: it cannot be identified.
  std::optional<ConsoleUser> processUser = ConsoleUser{};
  bool administrator = true;
  // Privileges the account holds; EnablePrivileges can switch on only these.
  std::set<std::u16string> heldPrivileges{kEnabledPrivileges.begin(), kEnabledPrivileges.end()};

  // Read back by tests.
  int consoleUserQueries = 0;
  int administratorQueries = 0;
  int enableCalls = 0;
  std::vector<std::u16string> enabledPrivileges;  // in the order they were switched on
  std::vector<TokenHandle> closedTokens;          // real tokens only, in order
  int badCloses = 0;  // a token closed twice, or a value that never was one

  // Tokens handed out and not yet closed.
  [[nodiscard]] int OpenTokens() const { return static_cast<int>(open_.size()); }

  TokenHandle GetConsoleUser(std::u16string& name, std::u16string* sidText) override;
  TokenHandle GetProcessUser(std::u16string& name, std::u16string* sidText) override;
  void CloseToken(TokenHandle token) override;
  bool IsAdministrator() override;
  void EnablePrivileges() override;

 private:
  TokenHandle HandOut(const std::optional<ConsoleUser>& user, std::u16string& name,
                      std::u16string* sidText);

  std::multiset<TokenHandle> open_;
};

}  // namespace twk::platform
