#include "app/application.h"

#include "context/command_line.h"
#include "platform/identity.h"
#include "platform/shell.h"
#include "sequence/csv_export.h"

namespace twk::app {

Application::Application(const platform::Ports& ports, ui::WindowBackend& ui, ModeRunners modes)
    : context_(ports, ui), modes_(std::move(modes)) {}

Application::Application(const platform::Ports& ports, ui::WindowBackend& ui)
    : Application(ports, ui, ProductModes()) {}

int Application::RelaunchElevated(int showCommand) {
  const context::StartPaths& paths = context_.paths();
  // Elevation refused or impossible: nothing more to do either way.
  (void)context_.ports().shell->RelaunchElevated(paths.programPath, paths.commandLine,
                                                 paths.ProgramFolder(), showCommand);
  return 0;
}

int Application::ExportHistory(ui::Handle module, const Text& argumentText, const Text& path) {
  context_.PrepareToRead(module, argumentText);
  return sequence::ExportHistory(context_.settings(), *context_.ports().files,
                                 *context_.ports().ansi, path).ok ? 0 : 1;
}

int Application::Run(ui::Handle module, const Text& argumentText, int showCommand,
                     const std::function<void()>& beforeWindows) {
  // An export is for scripts: it shows nothing and changes no settings, so a
  // running instance (even one in the middle of a sequence) is no reason to
  // refuse it, and handing over to it would end with nothing written and no
  // sign of why.
  if (const auto path = context::FindExportPath(argumentText)) {
    return ExportHistory(module, argumentText, *path);
  }
  if (context_.HandOverToRunningInstance()) return 0;
  context_.Prepare(module, argumentText);
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
