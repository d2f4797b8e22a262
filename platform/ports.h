#pragma once
// Every port the logic uses, handed to Application when it is built: the
// Windows entry point wires the Win32 adapters, tests wire the fakes.
// A port is named by what the logic needs, not by Win32 function.

namespace twk::platform {

class FileSystem;    // platform/file_system.h: files and folders, their content as bytes
class AnsiCodePage;  // platform/code_page.h: text in the system's ANSI code page
class Clock;         // platform/clock.h: the local wall clock in whole seconds
class Registry;      // platform/registry.h: keys by predefined root + subkey, values
class Processes;     // platform/processes.h: create, wait, exit codes, WOW64 redirection
class Identity;      // platform/identity.h: console user, administrator test, privileges
class SystemInfo;    // platform/system_info.h: version answers, system folders, program path
class Shell;         // platform/shell.h: open a web page, relaunch elevated
class Power;         // platform/power.h: restart request, keep-awake, warning sound
class WindowTree;      // platform/window_tree.h: other programs' windows, read only
class RemoteListViews; // platform/remote_list_view.h: another process's list view
class Devices;         // platform/devices.h: volume and physical-disk queries as bytes
class LsaSecrets;      // platform/lsa_secrets.h: the auto-logon password as LSA private data
class Accounts;        // platform/accounts.h: SIDs, account lookup, computer name
class KeySecurity;     // platform/key_security.h: owner and access list of registry keys
class Console;         // platform/console.h: the console of the calling script
class BootEventLog;    // platform/boot_events.h: Windows' records of its boots, as XML

struct Ports {
  FileSystem* files = nullptr;
  AnsiCodePage* ansi = nullptr;
  Clock* clock = nullptr;
  Registry* registry = nullptr;
  Processes* processes = nullptr;
  Identity* identity = nullptr;
  SystemInfo* system = nullptr;
  Shell* shell = nullptr;
  Power* power = nullptr;
  WindowTree* windows = nullptr;
  RemoteListViews* listViews = nullptr;
  Devices* devices = nullptr;
  LsaSecrets* secrets = nullptr;
  Accounts* accounts = nullptr;
  KeySecurity* keySecurity = nullptr;
  Console* console = nullptr;
  BootEventLog* bootEvents = nullptr;  // none: Windows' own boot figures stay unknown
};

}  // namespace twk::platform
