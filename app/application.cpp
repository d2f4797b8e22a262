#include "app/application.h"

#include <algorithm>

#include "context/command_line.h"
#include "platform/console.h"
#include "platform/identity.h"
#include "platform/shell.h"
#include "platform/system_info.h"
#include "sequence/csv_export.h"
#include "sequence/measurement_store.h"
#include "sequence/reboot_step.h"
#include "sequence/verdict.h"

namespace twk::app {
namespace {

const Text kAlreadyRunning =
    u"Tarnwick did not start: another instance is running. Nothing was changed.";
const Text kNotElevated =
    u"Tarnwick did not start: it needs administrator rights, and they were not granted.";

}  // namespace

Application::Application(const platform::Ports& ports, ui::WindowBackend& ui, ModeRunners modes)
    : context_(ports, ui), modes_(std::move(modes)) {}

Application::Application(const platform::Ports& ports, ui::WindowBackend& ui)
    : Application(ports, ui, ProductModes()) {}

int Application::RelaunchElevated(int showCommand) {
  const context::StartPaths& paths = context_.paths();
  // Elevation refused or impossible: nothing more to do either way.
  (void)context_.ports().shell->RelaunchElevated(paths.programPath, paths.commandLine,
                                                 paths.ProgramFolder(), showCommand, nullptr);
  return 0;
}

int Application::ExportHistory(ui::Handle module, const context::CommandLine& line) {
  context_.PrepareToRead(module, line);
  // An unreadable file is no empty history: a file with no rows would say
  // that nothing was ever measured.
  const struct {
    const std::optional<Text>& path;
    const char16_t* what;
    sequence::CsvWriteResult (*write)(const settings::SettingsFile&, platform::FileSystem&,
                                      platform::AnsiCodePage&, const Text&);
  } exports[] = {{line.exportPath, u"the history", &sequence::ExportHistory},
                 {line.exportProcessesPath, u"the busy programs", &sequence::ExportProcesses}};
  int exitCode = 0;
  for (const auto& e : exports) {
    if (!e.path) continue;
    if (!context_.settingsReadable()) {
      context_.TellCaller(u"Tarnwick did not export " + Text(e.what) + u": " +
                          Text(context::kSettingsUnreadable));
      return 1;
    }
    const sequence::CsvWriteResult result =
        e.write(context_.settings(), *context_.ports().files, *context_.ports().ansi, *e.path);
    if (result.ok) continue;
    // The script that asked for the file learns why there is none.
    context_.TellCaller(u"Tarnwick did not export " + Text(e.what) + u": " + result.reason);
    exitCode = 1;
  }
  return exitCode;
}

int Application::CompareHistory(ui::Handle module, const context::CommandLine& line) {
  const context::CompareRequest& request = *line.compare;
  // Judged before anything is read: a bad line compares nothing.
  if (!request.valid) {
    context_.TellCaller(
        u"Tarnwick did not compare: name the two sequences by their numbers in the history list, "
        u"as in /Compare:4,7 (sequence 7 against sequence 4), or give /Compare alone for the "
        u"newest against the one before it.");
    return 1;
  }
  context_.PrepareToRead(module, line);
  if (!context_.settingsReadable()) {
    context_.TellCaller(u"Tarnwick did not compare: " + Text(context::kSettingsUnreadable));
    return 1;
  }
  const sequence::MeasurementStore store = sequence::MeasurementStore::Read(context_.settings());
  const sequence::CompareAnswer answer =
      sequence::CompareByNumber(store.AllSequences(), request.before, request.after);
  context_.TellCaller(answer.text);
  return answer.exitCode;
}

int Application::RelaunchElevatedAndWait(const Text& argumentText, int showCommand) {
  const Text program = context_.ports().system->ProgramPath();
  // Joined first, so that the elevated instance, started as this one's
  // child, finds the script's console here and tells the script itself.
  if (context_.ports().console != nullptr) (void)context_.ports().console->AttachToParent();
  std::uint32_t exitCode = 1;
  if (!context_.ports().shell->RelaunchElevated(program, argumentText, FolderOf(program),
                                                showCommand, &exitCode)) {
    context_.TellCaller(kNotElevated);
    return 1;
  }
  // The elevated instance has told its caller what went wrong, if anything.
  return static_cast<int>(exitCode);
}

int Application::RunScripted(const context::CommandLine& line, ui::Handle module, int showCommand,
                             const std::function<void()>& beforeWindows) {
  const context::ScriptedStartRequest& request = line.scripted;
  // Judged before anything is read or written: a bad line changes nothing.
  if (!request.start) {
    context_.TellCaller(u"Tarnwick did not start: " + request.problem + u".\r\nUsage: " +
                        context::kScriptedStartForm);
    return 1;
  }
  // This instance only waits for the elevated one, whose answer is the
  // script's: a start that failed there must not read as success here.
  if (!context_.ports().identity->IsAdministrator()) {
    return RelaunchElevatedAndWait(line.text, showCommand);
  }
  context_.Prepare(module, line);
  if (beforeWindows) beforeWindows();
  context_.CreateFrame();
  return modes_.scriptedStart ? modes_.scriptedStart(context_, *request.start) : 1;
}

int Application::Run(ui::Handle module, const Text& argumentText, int showCommand,
                     const std::function<void()>& beforeWindows) {
  const context::CommandLine line = context::ReadCommandLine(argumentText);
  // An export is for scripts: it shows nothing and changes no settings, so a
  // running instance (even one in the middle of a sequence) is no reason to
  // refuse it, and handing over to it would end with nothing written and no
  // sign of why.
  if (line.exportPath || line.exportProcessesPath) return ExportHistory(module, line);
  // A comparison is for scripts too, for the same reasons.
  if (line.compare) return CompareHistory(module, line);
  // The elevated finish of a sequence shows nothing and is started by the
  // very instance whose window may still be open (saying why the sequence
  // stopped): that window is no reason to leave auto-logon on.
  if (line.finishSequence) {
    context_.Prepare(module, line);
    return modes_.finishSequence ? modes_.finishSequence(context_) : 0;
  }
  if (context_.HandOverToRunningInstance()) {
    if (!line.scripted.asked) return 0;
    // Brought forward is not started.
    context_.TellCaller(kAlreadyRunning);
    return 1;
  }
  if (line.scripted.asked) return RunScripted(line, module, showCommand, beforeWindows);

  context_.Prepare(module, line);
  if (beforeWindows) beforeWindows();
  context_.CreateFrame();

  if (context_.run().currentReboot != 0) {
    return modes_.rebootStep ? modes_.rebootStep(context_) : 0;
  }
  if (context_.ports().identity->IsAdministrator()) {
    return modes_.setup ? modes_.setup(context_) : 0;
  }
  return RelaunchElevated(showCommand);
}

}  // namespace twk::app
