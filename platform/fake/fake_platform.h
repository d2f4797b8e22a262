#pragma once
// A whole simulated machine: one of every fake, wired into a Ports. Tests and
// the whole-sequence simulation build an Application on ports(), preload the
// fakes they care about and read them back afterwards. The default machine is
// Windows 10 with drive C:, user "alice" at the console, an administrator.
#include "platform/fake/fake_accounts.h"
#include "platform/fake/fake_boot_events.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_code_page.h"
#include "platform/fake/fake_console.h"
#include "platform/fake/fake_devices.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_identity.h"
#include "platform/fake/fake_key_security.h"
#include "platform/fake/fake_lsa_secrets.h"
#include "platform/fake/fake_power.h"
#include "platform/fake/fake_processes.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_remote_list_view.h"
#include "platform/fake/fake_shell.h"
#include "platform/fake/fake_system_info.h"
#include "platform/fake/fake_window_tree.h"
#include "platform/ports.h"

namespace twk::platform {

class FakePlatform {
 public:
  FakePlatform() : processes(&clock) { files.AddDrive(u'C'); }
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;

  FakeFileSystem files;
  FakeAnsiCodePage ansi;
  FakeClock clock;
  FakeRegistry registry;
  FakeProcesses processes;
  FakeIdentity identity;
  FakeSystemInfo system;
  FakeShell shell;
  FakePower power;
  FakeWindowTree windows;
  FakeRemoteListViews listViews;
  FakeDevices devices;
  FakeLsaSecrets secrets;
  FakeAccounts accounts;
  FakeKeySecurity keySecurity;
  FakeConsole console;
  FakeBootEventLog bootEvents;

  Ports ports() {
    Ports p;
    p.files = &files;
    p.ansi = &ansi;
    p.clock = &clock;
    p.registry = &registry;
    p.processes = &processes;
    p.identity = &identity;
    p.system = &system;
    p.shell = &shell;
    p.power = &power;
    p.windows = &windows;
    p.listViews = &listViews;
    p.devices = &devices;
    p.secrets = &secrets;
    p.accounts = &accounts;
    p.keySecurity = &keySecurity;
    p.console = &console;
    p.bootEvents = &bootEvents;
    return p;
  }
};

}  // namespace twk::platform
