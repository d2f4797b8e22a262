#include "platform/fake/fake_accounts.h"

#include "base/strings.h"

namespace twk::platform {

SidBytes EncodeSid(const std::u16string& text) {
  if (!text.starts_with(u"S-1-")) return {};
  std::vector<std::uint64_t> numbers;
  std::uint64_t current = 0;
  bool digits = false;
  for (std::size_t i = 4; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == u'-') {
      if (!digits) return {};
      numbers.push_back(current);
      current = 0;
      digits = false;
    } else if (IsDigit(text[i])) {
      current = current * 10 + (text[i] - u'0');
      digits = true;
      if (current > 0xFFFFFFFFFFFFull) return {};
    } else {
      return {};
    }
  }
  if (numbers.empty() || numbers.size() > 16) return {};
  SidBytes sid = {1, static_cast<std::uint8_t>(numbers.size() - 1)};
  for (int shift = 40; shift >= 0; shift -= 8) {  // the authority, big-endian
    sid.push_back(static_cast<std::uint8_t>(numbers[0] >> shift));
  }
  for (std::size_t i = 1; i < numbers.size(); ++i) {  // sub-authorities, little-endian
    if (numbers[i] > 0xFFFFFFFFu) return {};
    for (int shift = 0; shift < 32; shift += 8) {
      sid.push_back(static_cast<std::uint8_t>(numbers[i] >> shift));
    }
  }
  return sid;
}

Answer<SidBytes> FakeAccounts::MakeWellKnownSid(WellKnownSid kind) {
  switch (kind) {
    case WellKnownSid::World:
      return {Status::Ok, EncodeSid(u"S-1-1-0")};
    case WellKnownSid::LocalSystem:
      return {Status::Ok, EncodeSid(u"S-1-5-18")};
    case WellKnownSid::BuiltinAdministrators:
      return {Status::Ok, EncodeSid(u"S-1-5-32-544")};
  }
  return {Status::Failed, {}};
}

Answer<SidBytes> FakeAccounts::SidFromText(const std::u16string& text) {
  SidBytes sid = EncodeSid(text);
  if (sid.empty()) return {Status::Failed, {}};
  return {Status::Ok, std::move(sid)};
}

Answer<AccountAnswer> FakeAccounts::LookupAccount(const std::u16string& name) {
  ++lookups;
  for (const auto& [known, account] : accounts) {
    if (EqualsIgnoreCase(known, name)) {
      return {Status::Ok, {EncodeSid(account.sid), account.domain}};
    }
  }
  return {Status::NotFound, {}};
}

Answer<std::u16string> FakeAccounts::ComputerName() {
  if (computerName.empty()) return {Status::Failed, {}};
  return {Status::Ok, computerName};
}

}  // namespace twk::platform
