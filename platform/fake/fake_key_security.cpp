#include "platform/fake/fake_key_security.h"

#include <algorithm>

namespace twk::platform {
namespace {

Status Next(std::deque<Status>& answers) {
  if (answers.empty()) return Status::Ok;
  const Status answer = answers.front();
  answers.pop_front();
  return answer;
}

std::vector<std::uint8_t> Copy(std::span<const std::uint8_t> bytes) {
  return {bytes.begin(), bytes.end()};
}

}  // namespace

Status FakeKeySecurity::Applied(Status answer) {
  if (answer == Status::Ok && onApplied) onApplied();
  return answer;
}

int FakeKeySecurity::Count(Kind kind) const {
  return static_cast<int>(
      std::count_if(calls.begin(), calls.end(), [kind](const Call& c) { return c.kind == kind; }));
}

Status FakeKeySecurity::SetKeyOwnerAndAccess(RegistryKey key, std::span<const std::uint8_t> owner,
                                             std::span<const std::uint8_t> acl) {
  calls.push_back({Kind::ThroughKey, key, {}, Copy(owner), Copy(acl)});
  return Applied(Next(keyAnswers));
}

Status FakeKeySecurity::ResetTreeSecurity(const std::u16string& objectName,
                                          std::span<const std::uint8_t> owner,
                                          std::span<const std::uint8_t> acl) {
  calls.push_back({Kind::TreeByName, kNoKey, objectName, Copy(owner), Copy(acl)});
  return Applied(Next(treeAnswers));
}

Status FakeKeySecurity::SetOwnerByName(const std::u16string& objectName,
                                       std::span<const std::uint8_t> owner) {
  calls.push_back({Kind::OwnerByName, kNoKey, objectName, Copy(owner), {}});
  return Applied(Next(ownerAnswers));
}

}  // namespace twk::platform
