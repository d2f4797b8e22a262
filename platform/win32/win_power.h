#pragma once
#include "platform/power.h"

namespace twk::platform::win32 {

class WinPower final : public Power {
 public:
  RestartAnswer RequestRestart() override;
  void KeepSystemAwake() override;
  bool PlaySoundFile(const std::u16string& path) override;
};

}  // namespace twk::platform::win32
