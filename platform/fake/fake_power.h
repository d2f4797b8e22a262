#pragma once
// Records what was asked of power management and sound, in order, so that a
// test or the whole-sequence simulation can see a restart request, the
// keep-awake call and every warning sound.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/power.h"

namespace twk::platform {

class FakePower final : public Power {
 public:
  enum class Kind { RestartRequest, KeepAwake, Sound };
  struct Call {
    Kind kind;
    std::u16string soundPath;  // for Sound
  };

  // ---- test controls -------------------------------------------------------
  // Answer of RequestRestart (false: denied, as without the shutdown
  // privilege).
  void SetRestartAllowed(bool allowed) { restartAllowed_ = allowed; }
  // What a refused request says.
  std::u16string refusal = u"A required privilege is not held by the client";
  // Called on every restart request, e.g. to let a simulated machine reboot.
  std::function<void()> onRestartRequest;

  const std::vector<Call>& calls() const { return calls_; }
  int Count(Kind kind) const;
  std::vector<std::u16string> sounds() const;

  // ---- Power ---------------------------------------------------------------
  [[nodiscard]] RestartAnswer RequestRestart() override;
  void KeepSystemAwake() override;
  bool PlaySoundFile(const std::u16string& path) override;

 private:
  std::vector<Call> calls_;
  bool restartAllowed_ = true;
};

}  // namespace twk::platform
