#include "context/start_context.h"

#include "context/command_line.h"
#include "context/windows_version.h"
#include "platform/clock.h"
#include "platform/console.h"
#include "platform/identity.h"
#include "platform/system_info.h"
#include "settings/catalogue.h"
#include "settings/text_file.h"

namespace twk::context {
namespace {

using platform::OwnedToken;

// A settings file held by another program (a sync tool, a backup, a virus
// scanner) is usually let go within moments: it is read again for this long
// before the start gives up on it.
constexpr std::uint64_t kReadRetryMs = 10'000;
constexpr std::uint32_t kReadRetryPauseMs = 500;

}  // namespace

StartContext::StartContext(const platform::Ports& ports, ui::WindowBackend& ui)
    : ports_(ports),
      ui_(ui),
      settings_(*ports.files, *ports.ansi),
      frame_(ui, slot_),
      pump_(ui, *ports.shell, frame_, slot_) {}

StartContext::~StartContext() {
  // The last save of the start: when it fails, what the start changed since
  // its last commit point is lost, and the user hears of it (a file that
  // could not be read was never to be written, and that was said already).
  if (!settings_.Close() && settings_.writable()) {
    TellCaller(u"The measurements of this start could not be saved.");
  }
  frame_.DestroyFrame();
}

bool StartContext::HandOverToRunningInstance() {
  // First of all: a start that only brings the running window forward must
  // not read, create or write anything, nor load what the windows need.
  return ui_.BringExistingToFront(kWindowClassName, kProductTitle) ==
         ui::InstanceLookup::BroughtToFront;
}

void StartContext::Prepare(ui::Handle module, const CommandLine& commandLine) {
  module_ = module;
  paths_.commandLine = commandLine.text;
  run_.currentReboot = commandLine.reboot.currentReboot;
  run_.totalReboots = commandLine.reboot.totalReboots;
  run_.delayMinutes = commandLine.reboot.delayMinutes;
  // Asked here, not on construction: a start that ends at the single-instance
  // check needs none of it (the folder query alone loads the shell).
  windowsVersion_ = DetectWindowsVersion(*ports_.system);
  paths_.systemDirectory = ports_.system->SystemDirectory();
  paths_.systemDrive = ports_.system->WindowsFolder();
  if (paths_.systemDrive.size() >= 2) paths_.systemDrive.resize(2);
  FindUserAndSettings(true);
  ApplyDefaults();
}

void StartContext::PrepareToRead(ui::Handle module, const CommandLine& commandLine) {
  module_ = module;
  paths_.commandLine = commandLine.text;
  FindUserAndSettings(false);
}

void StartContext::FindUserAndSettings(bool willWrite) {
  platform::Identity& identity = *ports_.identity;
  paths_.programPath = ports_.system->ProgramPath();
  user_ = UserIdentity{};
  OwnedToken token(identity, identity.GetConsoleUser(user_.name, &user_.sid));
  if (!token) {
    // Nobody at the console (a remote session, a start by a script): the
    // account the program runs as is the user it works for. Only when that
    // cannot be learnt either does the default profile answer.
    user_ = UserIdentity{};
    token = OwnedToken(identity, identity.GetProcessUser(user_.name, &user_.sid));
    if (!token) user_.sid.clear();
  }
  const platform::TokenHandle folderToken = token ? token.get() : platform::kDefaultUserToken;
  paths_.settingsFolder = ports_.system->RoamingAppData(folderToken) + u"\\Tarnwick";
  paths_.userStartupFolder = ports_.system->StartupFolder(folderToken);
  paths_.commonStartupFolder = ports_.system->CommonStartupFolder();
  LoadSettings();
  // A file that is there but could not be read is never written: the
  // document, empty, would replace every kept measurement. A missing file
  // is created by the settings written later.
  if (!willWrite || !settingsReadable()) return;
  settings_.SaveWhenClosed();
  (void)settings::CreateFolderTree(*ports_.files, paths_.settingsFolder);
}

void StartContext::LoadSettings() {
  const std::uint64_t firstTry = ports_.clock->TickMilliseconds();
  // Bounded by the count too: a clock that does not move must not keep the
  // start here for ever.
  for (std::uint64_t tries = 1;; ++tries) {
    const settings::LoadResult loaded = settings_.Load(paths_.SettingsFile());
    if (loaded != settings::LoadStatus::Unreadable) break;
    const std::uint64_t waited = ports_.clock->TickMilliseconds() - firstTry;
    if (waited >= kReadRetryMs || tries * kReadRetryPauseMs >= kReadRetryMs) break;
    ui_.Sleep(kReadRetryPauseMs);
  }
}

void StartContext::ApplyDefaults() {
  if (run_.delayMinutes == 0) {
    run_.delayMinutes = static_cast<std::uint32_t>(settings::ReadRebootDelay(settings_));
  }
  // The stored total always wins over the command line's, which only
  // documents the sequence.
  run_.totalReboots = static_cast<std::uint32_t>(settings::ReadTimesToReboot(settings_));
}

void StartContext::CreateFrame() {
  if (frame_.CreateDecorated()) ui_.StartHeartbeat(frame_.handle());
}

void StartContext::TellCaller(const Text& text) {
  platform::Console* console = ports_.console;
  if (console != nullptr && console->AttachToParent() && console->Write(text + u"\r\n")) return;
  // A box nobody can see is never closed: the tool that started the program
  // would wait for ever instead of reading the exit code.
  if (console != nullptr && !console->DesktopIsVisible()) return;
  ui_.ShowMessage(frame_.handle(), Text(kProductTitle), text);
}

Text StartContext::SelfCommandLine(const Text& arguments) const {
  Text line = u"\"" + paths_.programPath + u"\"";
  if (!arguments.empty()) line += u" " + arguments;
  return line;
}

}  // namespace twk::context
