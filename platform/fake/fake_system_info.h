#pragma once
// The answers of a simulated machine about itself. Ready-made machines:
// Windows 10 22H2, Windows 11 23H2 and Windows XP; a test changes any field
// (a failing GetVersionExW, a machine that understates its version, an
// unknown token) and reads back the version questions in the order asked.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/fake/fake_identity.h"
#include "platform/system_info.h"

namespace twk::platform {

class FakeSystemInfo final : public SystemInfo {
 public:
  struct Machine {
    // What GetVersionExW reports (it may understate the version).
    VersionRecord reported;
    // The true version, which VerifyVersionInfoW compares against.
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::u16string systemDirectory;
    std::u16string windowsFolder;
    std::u16string programPath;
    // Roaming application data of the process's own user (kNoToken), of
    // the default user (kDefaultUserToken) and by token; a token missing
    // here gets no folder.
    std::map<TokenHandle, std::u16string> appData;
    // The Startup folders: by token as appData, and that of all users.
    std::map<TokenHandle, std::u16string> startup;
    std::u16string commonStartup;
  };

  // Windows 10 22H2, build 19045, user "alice" with kFakeConsoleToken.
  static Machine Windows10();
  // Windows 11 23H2: reports 10.0 build 22631, as Windows 11 does.
  static Machine Windows11();
  // Windows XP SP3: 5.1 build 2600, "Documents and Settings" profiles.
  static Machine WindowsXP();

  explicit FakeSystemInfo(Machine machine = Windows10()) : machine(std::move(machine)) {}

  Machine machine;

  enum class Question { MajorAtLeast, MajorIs, MinorIs };
  struct Asked {
    Question question;
    std::uint32_t value;
    bool operator==(const Asked&) const = default;
  };
  std::vector<Asked> asked;                // version questions, in order
  int versionQueries = 0;                  // GetVersion calls
  std::vector<TokenHandle> appDataTokens;  // tokens of RoamingAppData, in order

  VersionRecord GetVersion() override;
  bool MajorVersionAtLeast(std::uint32_t major) override;
  bool MajorVersionIs(std::uint32_t major) override;
  bool MinorVersionIs(std::uint32_t minor) override;
  std::u16string SystemDirectory() override { return machine.systemDirectory; }
  std::u16string WindowsFolder() override { return machine.windowsFolder; }
  std::u16string ProgramPath() override { return machine.programPath; }
  std::u16string RoamingAppData(TokenHandle token) override;
  std::u16string StartupFolder(TokenHandle token) override {
    const auto found = machine.startup.find(token);
    return found == machine.startup.end() ? std::u16string() : found->second;
  }
  std::u16string CommonStartupFolder() override { return machine.commonStartup; }
};

}  // namespace twk::platform
