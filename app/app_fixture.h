#pragma once
// A simulated machine and desktop for tests of Application: the fakes, the
// headless window system, and mode runners that run a test's code inside the
// mode and record which mode ran.
#include <functional>
#include <optional>

#include "app/application.h"
#include "platform/fake/fake_platform.h"
#include "settings/ini_document.h"
#include "settings/text_file.h"
#include "ui/headless/headless_backend.h"

namespace twk::app::apptest {

inline constexpr char16_t kSettingsFolder[] = u"C:\\Users\\alice\\AppData\\Roaming\\Tarnwick";
inline constexpr char16_t kSettingsPath[] =
    u"C:\\Users\\alice\\AppData\\Roaming\\Tarnwick\\TWK.ini";

// Writes one value into the settings file on the simulated disk, making its
// folder.
inline void StoreSetting(platform::FakePlatform& machine, const Text& section, const Text& key,
                         const Text& value) {
  (void)settings::CreateFolderTree(machine.files, kSettingsFolder);
  settings::SettingsFile file(machine.files, machine.ansi);
  (void)file.Load(kSettingsPath);
  file.SetValue(section, key, value);
  (void)file.Save();
}

inline Text StoredSetting(platform::FakePlatform& machine, const Text& section, const Text& key) {
  settings::SettingsFile file(machine.files, machine.ansi);
  (void)file.Load(kSettingsPath);
  return file.GetValueText(section, key);
}

struct AppFixture {
  platform::FakePlatform machine;
  ui::HeadlessBackend ui;
  std::optional<Application> app;
  int setupRuns = 0;
  int stepRuns = 0;
  int scriptedRuns = 0;
  // Runs inside the mode, with the frame built and the heartbeat going.
  std::function<void(context::StartContext&)> inMode = [](context::StartContext&) {};

  AppFixture() {
    ui.SetHeartbeat(20, [this](std::uint32_t ms) { machine.clock.AdvanceMilliseconds(ms); });
  }

  // Writes one value into the settings file on the simulated disk.
  // Ends a start still open first: its tear-down would save over the value.
  void Store(const Text& section, const Text& key, const Text& value) {
    app.reset();
    StoreSetting(machine, section, key, value);
  }
  Text Stored(const Text& section, const Text& key) { return StoredSetting(machine, section, key); }

  ModeRunners Recording() {
    ModeRunners modes;
    modes.setup = [this](context::StartContext& a) {
      ++setupRuns;
      inMode(a);
      return 11;
    };
    modes.rebootStep = [this](context::StartContext& a) {
      ++stepRuns;
      inMode(a);
      return 22;
    };
    modes.scriptedStart = [this](context::StartContext& a, const context::ScriptedStart&) {
      ++scriptedRuns;
      inMode(a);
      return 33;
    };
    return modes;
  }

  // Builds the Application with the recording runners and runs a start.
  int Start(const Text& arguments, int showCommand = 1) {
    app.reset();
    app.emplace(machine.ports(), ui, Recording());
    return app->Run(0x400000, arguments, showCommand);
  }
};

}  // namespace twk::app::apptest
