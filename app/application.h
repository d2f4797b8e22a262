#pragma once
// The composition root of a start: builds the start's context on the ports
// and the window backend it is given, performs the start in its fixed order
// and hands the frame to the mode that the command line chose.
#include <functional>

#include "base/strings.h"
#include "context/command_line.h"
#include "context/scripted_start.h"
#include "context/start_context.h"
#include "platform/ports.h"
#include "sequence/result_report.h"
#include "setup/setup_operations.h"
#include "ui/window_backend.h"

namespace twk::app {

// The run of each mode; each returns the exit code of the start.
struct ModeRunners {
  std::function<int(context::StartContext&)> setup;
  std::function<int(context::StartContext&)> rebootStep;
  // A sequence started by a script's "/Start": 0 when the restart was
  // requested, 1 when it was not (the caller has been told why).
  std::function<int(context::StartContext&, const context::ScriptedStart&)> scriptedStart;
  // The elevated start that finishes a sequence ended early by a step
  // without administrator rights: the post-operations only, no window.
  std::function<int(context::StartContext&)> finishSequence;
};

// The set the program runs with: the entry point and the whole-sequence
// simulation both take it from here, so a mode is plugged in once. The
// report's post-operations and the setup's hooks can be replaced (tests
// watch them).
ModeRunners ProductModes();
ModeRunners ProductModes(sequence::ReportPostOperations postOperations);
ModeRunners ProductModes(sequence::ReportPostOperations postOperations,
                         setup::SetupOperations setupOperations);

class Application {
 public:
  Application(const platform::Ports& ports, ui::WindowBackend& ui, ModeRunners modes);
  Application(const platform::Ports& ports, ui::WindowBackend& ui);
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Performs the start; returns the process exit code. A start with
  // "/Export:" only writes the history file (see ExportHistory). beforeWindows runs
  // once the start is known not to end at the single-instance check, before
  // the first window is made (the entry point starts COM and GDI+ there, so
  // that a second start loads neither).
  int Run(ui::Handle module, const Text& argumentText, int showCommand,
          const std::function<void()>& beforeWindows = {});

  context::StartContext& context() { return context_; }

 private:
  int RelaunchElevated(int showCommand);
  // The history into a file, without any window: 0 when it was written, 1
  // when not (nothing is written then, and the caller is told why).
  int ExportHistory(ui::Handle module, const context::CommandLine& line);
  // "/Compare" only tells the caller whether the restarts got faster (see
  // sequence::CompareByNumber for its exit codes).
  int CompareHistory(ui::Handle module, const context::CommandLine& line);
  int RelaunchElevatedAndWait(const Text& argumentText, int showCommand);
  int RunScripted(const context::CommandLine& line, ui::Handle module, int showCommand,
                  const std::function<void()>& beforeWindows);

  context::StartContext context_;
  ModeRunners modes_;
};

}  // namespace twk::app
