#include "platform/fake/fake_power.h"

namespace twk::platform {

int FakePower::Count(Kind kind) const {
  int count = 0;
  for (const Call& call : calls_) count += call.kind == kind ? 1 : 0;
  return count;
}

std::vector<std::u16string> FakePower::sounds() const {
  std::vector<std::u16string> paths;
  for (const Call& call : calls_) {
    if (call.kind == Kind::Sound) paths.push_back(call.soundPath);
  }
  return paths;
}

RestartAnswer FakePower::RequestRestart() {
  calls_.push_back({Kind::RestartRequest, {}});
  if (onRestartRequest) onRestartRequest();
  if (restartAllowed_) return {};
  return {Status::Denied, refusal};
}

void FakePower::KeepSystemAwake() { calls_.push_back({Kind::KeepAwake, {}}); }

bool FakePower::PlaySoundFile(const std::u16string& path) {
  calls_.push_back({Kind::Sound, path});
  return true;
}

}  // namespace twk::platform
