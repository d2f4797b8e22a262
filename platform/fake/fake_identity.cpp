#include "platform/fake/fake_identity.h"

#include <algorithm>

namespace twk::platform {

TokenHandle FakeIdentity::GetConsoleUser(std::u16string& name, std::u16string* sidText) {
  ++consoleUserQueries;
  return HandOut(consoleUser, name, sidText);
}

TokenHandle FakeIdentity::GetProcessUser(std::u16string& name, std::u16string* sidText) {
  return HandOut(processUser, name, sidText);
}

TokenHandle FakeIdentity::HandOut(const std::optional<ConsoleUser>& user, std::u16string& name,
                                  std::u16string* sidText) {
  if (!user) return kNoToken;
  // The same limits as the real queries: a name that does not fit is kept
  // cut but not used, a SID text that does not fit is not written.
  name = user->name.substr(0, kMaxUserNameLength);
  if (user->name.empty() || user->name.size() > kMaxUserNameLength) return kNoToken;
  if (!user->tokenFound || user->token == kNoToken || user->token == kDefaultUserToken) {
    return kNoToken;
  }
  if (sidText != nullptr) {
    if (user->sid.empty() || user->sid.size() > kMaxSidTextLength) return kNoToken;
    *sidText = user->sid;
  }
  open_.insert(user->token);
  return user->token;
}

void FakeIdentity::CloseToken(TokenHandle token) {
  if (token == kNoToken || token == kDefaultUserToken) return;
  const auto found = open_.find(token);
  if (found == open_.end()) {
    ++badCloses;
    return;
  }
  open_.erase(found);
  closedTokens.push_back(token);
}

bool FakeIdentity::IsAdministrator() {
  ++administratorQueries;
  return administrator;
}

void FakeIdentity::EnablePrivileges() {
  ++enableCalls;
  for (const std::u16string_view privilege : kEnabledPrivileges) {
    const std::u16string name(privilege);
    if (!heldPrivileges.contains(name)) continue;
    if (std::find(enabledPrivileges.begin(), enabledPrivileges.end(), name) ==
        enabledPrivileges.end()) {
      enabledPrivileges.push_back(name);
    }
  }
}

}  // namespace twk::platform
