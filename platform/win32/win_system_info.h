#pragma once
#include "platform/system_info.h"

namespace twk::platform::win32 {

class WinSystemInfo final : public SystemInfo {
 public:
  VersionRecord GetVersion() override;
  bool MajorVersionAtLeast(std::uint32_t major) override;
  bool MajorVersionIs(std::uint32_t major) override;
  bool MinorVersionIs(std::uint32_t minor) override;
  std::u16string SystemDirectory() override;
  std::u16string WindowsFolder() override;
  std::u16string ProgramPath() override;
  std::u16string RoamingAppData(TokenHandle token) override;
  std::u16string StartupFolder(TokenHandle token) override;
  std::u16string CommonStartupFolder() override;
};

}  // namespace twk::platform::win32
