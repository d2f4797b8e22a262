#include "platform/fake/fake_identity.h"

#include <algorithm>

namespace twk::platform {

TokenHandle FakeIdentity::GetConsoleUser(std::u16string& name, std::u16string* sidText) {
  ++consoleUserQueries;
  if (!consoleUser) return kNoToken;
  // The same limits as the real queries: a name that does not fit is kept
  // cut but not used, a SID text that does not fit is not written.
  name = consoleUser->name.substr(0, kMaxUserNameLength);
  if (consoleUser->name.empty() || consoleUser->name.size() > kMaxUserNameLength) return kNoToken;
  if (!consoleUser->tokenFound || consoleUser->token == kNoToken ||
      consoleUser->token == kDefaultUserToken) {
    return kNoToken;
  }
  if (sidText != nullptr) {
    if (consoleUser->sid.empty() || consoleUser->sid.size() > kMaxSidTextLength) return kNoToken;
    *sidText = consoleUser->sid;
  }
  open_.insert(consoleUser->token);
  return consoleUser->token;
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
