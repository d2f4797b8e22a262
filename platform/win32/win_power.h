#pragma once
#include "platform/power.h"

namespace twk::platform::win32 {

class WinPower final : public Power {
 public:
  using Power::RequestRestart;
  bool RequestRestart(std::u16string& reason) override;
  void KeepSystemAwake() override;
  bool PlaySoundFile(const std::u16string& path) override;
};

}  // namespace twk::platform::win32
