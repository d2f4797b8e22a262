#pragma once
// What the program asks of the shell: open a web page in the default browser,
// and start itself again with administrator rights. Both go through
// ShellExecuteExW in the Win32 adapter.
#include <cstdint>
#include <optional>
#include <string>

namespace twk::platform {

class Shell {
 public:
  virtual ~Shell() = default;

  // Opens the address with the default verb, shown normally. The process id
  // of the browser when one came back, else 0; a page that cannot be opened
  // is not an error anybody reports.
  virtual std::uint32_t OpenWebPage(const std::u16string& address) = 0;

  // Starts `program` with the verb "RunAs" (the elevation prompt), the given
  // parameters and working directory. False when the start failed or the
  // user refused the elevation. With an `exitCode` (not null), waits for the elevated
  // process to end and puts its exit code there; false as well when no
  // process came back to wait for or its exit code could not be read (the
  // code is then left as it was).
  [[nodiscard]] virtual bool RelaunchElevated(const std::u16string& program,
                                              const std::u16string& parameters,
                                              const std::u16string& directory, int showCommand,
                                              std::uint32_t* exitCode) = 0;

  // What a shortcut file (.lnk) starts: its target path, and its arguments
  // after a blank when it has any (IShellLinkW, without resolving a moved
  // target). None when the file is no shortcut or cannot be read.
  [[nodiscard]] virtual std::optional<std::u16string> ShortcutTarget(
      const std::u16string& path) = 0;
};

}  // namespace twk::platform
