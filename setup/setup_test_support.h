#pragma once
// Helpers of the setup tests: the simulated machine with the setup's hooks
// watched, and the setup window's controls as a user finds them.
#include <string>
#include <vector>

#include "sequence/sequence_sim.h"
#include "sequence/sequence_test_support.h"
#include "ui/headless/headless_backend.h"

namespace twk::setup::testing {

inline constexpr char16_t kStart[] = u"  Start operation";
inline constexpr char16_t kReportBox[] = u" Display a detailed report after the last reboot";
inline constexpr char16_t kDefragBox[] = u" Optimize the system partition before the operation";
inline constexpr char16_t kIdleBox[] = u" Process idle tasks before the operation";
inline constexpr char16_t kIconsBox[] = u" Backup and restore desktop icon layout";
inline constexpr char16_t kAutoLogonBox[] = u" Automatically log the current user on each boot up";
inline constexpr char16_t kDisableBox[] = u" Disable Auto-logon once the whole operation completes";
inline constexpr char16_t kIdleCommand[] =
    u"\"C:\\Windows\\system32\\Rundll32.exe\" advapi32.dll,ProcessIdleTasks";

// A control of the setup window by its text, wherever it is.
inline ui::Handle Control(const ui::HeadlessBackend& ui, const Text& text) {
  for (const ui::HeadlessBackend::Window* w : ui.ControlsOf(ui.frame())) {
    if (w->text == text) return w->handle;
  }
  return 0;
}
inline bool Checked(const ui::HeadlessBackend& ui, const Text& boxText) {
  const ui::HeadlessBackend::Window* text = ui.Find(Control(ui, boxText));
  if (text == nullptr || text->owner == nullptr) return false;
  const ui::ControlRecord* r = text->owner->Control(text->id);
  return r != nullptr && r->checkBox && r->checkBox->state == ui::state::Checked;
}
inline bool Enabled(const ui::HeadlessBackend& ui, const Text& text) {
  const ui::HeadlessBackend::Window* w = ui.Find(Control(ui, text));
  return w != nullptr && w->enabled;
}
inline Text Status(const ui::HeadlessBackend& ui) { return ui.TextAt(20, 430); }
inline ui::Handle TimesBox(const ui::HeadlessBackend& ui) { return ui.FindAt(465, 102); }
inline ui::Handle DelayBox(const ui::HeadlessBackend& ui) { return ui.FindAt(465, 142); }
inline ui::Handle StartButton(const ui::HeadlessBackend& ui) { return ui.FindAt(380, 405); }

// The simulated machine, with a plain start whose user acts once the setup
// is shown, and a record of the setup's hooks as they are called.
class SetupMachine : public sequence::sim::SimulatedMachine {
 public:
  ui::HeadlessBackend* desktop = nullptr;  // of the start running now
  std::vector<std::string> calls;          // hook calls, in order

  sequence::sim::StartRecord& PlainStart(std::function<void(ui::HeadlessBackend&)> act) {
    user = [this, act](ui::HeadlessBackend& ui, int) {
      desktop = &ui;
      ui.When([&ui] { return ui.FindByText(kStart) != 0; }, [&ui, act] { act(ui); });
    };
    return Start(u"");
  }

  // The setup's choices as stored: "key=value" in a fixed order.
  std::string StoredChoices() {
    std::string all;
    for (const char16_t* key : {u"TimesToReboot", u"RebootDelay", u"NoReport", u"DefragBefore",
                                u"ProcessIdleTasks", u"BackupRestoreIcons"}) {
      all += (all.empty() ? "" : " ") + ToUtf8(key) + "=" + ToUtf8(Stored(u"Setup", key));
    }
    return all;
  }

  // Auto-logon on for the console user, with the password as a secret, as
  // the real switch on the simulated Winlogon key and LSA leaves it.
  void PresetAutoLogon() {
    const auto lm = platform::RegistryRoot::LocalMachine;
    const Text winlogon = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
    machine.registry.PutString(lm, winlogon, u"DefaultUserName", u"alice");
    machine.registry.PutString(lm, winlogon, u"AutoAdminLogon", u"1");
    machine.secrets.secrets[u"DefaultPassword"] = {20, 22, std::vector<char16_t>(11)};
  }
  // Hooks that record their calls and answer as told.
  void WatchHooks(int optimizeResult = 1, bool iconsOk = true) {
    setupOperations.optimize = [this, optimizeResult](context::StartContext&) {
      calls.push_back("optimize");
      return optimizeResult;
    };
    setupOperations.backupIcons = [this, iconsOk](context::StartContext&) {
      calls.push_back("backup");
      return iconsOk;
    };
    setupOperations.restoreIcons = [this, iconsOk](context::StartContext&) {
      calls.push_back("restore");
      return iconsOk;
    };
  }
};

}  // namespace twk::setup::testing
