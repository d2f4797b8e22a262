#include "platform/fake/fake_system_info.h"

namespace twk::platform {

FakeSystemInfo::Machine FakeSystemInfo::Windows10() {
  Machine m;
  m.reported = {true, 10, 0, 19045};
  m.major = 10;
  m.minor = 0;
  m.systemDirectory = u"C:\\Windows\\system32";
  m.windowsFolder = u"C:\\Windows";
  m.programPath = u"C:\\Program Files (x86)\\Tarnwick\\Tarnwick.exe";
  m.appData = {
      {kNoToken, u"C:\\Users\\alice\\AppData\\Roaming"},
      {kFakeConsoleToken, u"C:\\Users\\alice\\AppData\\Roaming"},
      {kDefaultUserToken, u"C:\\Users\\Default\\AppData\\Roaming"},
  };
  for (const auto& [token, folder] : m.appData) {
    m.startup[token] = folder + u"\\Microsoft\\Windows\\Start Menu\\Programs\\Startup";
  }
  m.commonStartup = u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp";
  return m;
}

FakeSystemInfo::Machine FakeSystemInfo::Windows11() {
  Machine m = Windows10();
  m.reported = {true, 10, 0, 22631};
  return m;
}

FakeSystemInfo::Machine FakeSystemInfo::WindowsXP() {
  Machine m;
  m.reported = {true, 5, 1, 2600};
  m.major = 5;
  m.minor = 1;
  m.systemDirectory = u"C:\\WINDOWS\\system32";
  m.windowsFolder = u"C:\\WINDOWS";
  m.programPath = u"C:\\Program Files\\Tarnwick\\Tarnwick.exe";
  m.appData = {
      {kNoToken, u"C:\\Documents and Settings\\alice\\Application Data"},
      {kFakeConsoleToken, u"C:\\Documents and Settings\\alice\\Application Data"},
      {kDefaultUserToken, u"C:\\Documents and Settings\\Default User\\Application Data"},
  };
  return m;
}

VersionRecord FakeSystemInfo::GetVersion() {
  ++versionQueries;
  return machine.reported.ok ? machine.reported : VersionRecord{};
}

bool FakeSystemInfo::MajorVersionAtLeast(std::uint32_t major) {
  asked.push_back({Question::MajorAtLeast, major});
  return machine.major >= major;
}

bool FakeSystemInfo::MajorVersionIs(std::uint32_t major) {
  asked.push_back({Question::MajorIs, major});
  return machine.major == major;
}

bool FakeSystemInfo::MinorVersionIs(std::uint32_t minor) {
  asked.push_back({Question::MinorIs, minor});
  return machine.minor == minor;
}

std::u16string FakeSystemInfo::RoamingAppData(TokenHandle token) {
  appDataTokens.push_back(token);
  const auto found = machine.appData.find(token);
  return found == machine.appData.end() ? std::u16string() : found->second;
}

}  // namespace twk::platform
