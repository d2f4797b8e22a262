#include "app/application.h"

#include "app/command_line.h"
#include "app/run_modes.h"
#include "app/windows_version.h"
#include "platform/shell.h"
#include "platform/system_info.h"
#include "settings/text_file.h"

namespace twk::app {
namespace {

constexpr std::uint32_t kDefaultDelayMinutes = 5;
constexpr std::uint32_t kDefaultTotalReboots = 5;

}  // namespace

Application::Application(const platform::Ports& ports, ui::WindowBackend& ui, ModeRunners modes)
    : mainFrame(ui, eventSlot),
      settings(*ports.files, *ports.ansi),
      ports_(ports),
      ui_(ui),
      modes_(std::move(modes)) {
  windowsVersion = DetectWindowsVersion(*ports_.system);
  systemDirectory = ports_.system->SystemDirectory();
  systemDrive = ports_.system->WindowsFolder();
  if (systemDrive.size() >= 2) systemDrive.resize(2);
}

Application::Application(const platform::Ports& ports, ui::WindowBackend& ui)
    : Application(ports, ui, ProductModes()) {}

Application::~Application() {
  settings.Close();
  if (checkedImage != 0) ui_.DeleteObject(checkedImage);
  if (uncheckedImage != 0) ui_.DeleteObject(uncheckedImage);
  checkedImage = uncheckedImage = 0;
  mainFrame.Destroy();
  ReleaseFrameDrawing();
  if (userToken_ != platform::kNoToken) ports_.identity->CloseToken(userToken_);
}

Text Application::HomePage() { return Text(kPublisherAddress) + u"/"; }

Text Application::UpdatePage() {
  // The version is kept as 8-bit text; it is plain ASCII, so widening each
  // byte is the conversion.
  Text version;
  for (const char* p = kProgramVersion; *p != '\0'; ++p) version += static_cast<char16_t>(*p);
  return Text(kPublisherAddress) + u"/twk/about.php?ver=" + version;
}

Text Application::HelpPage() { return Text(kPublisherAddress) + u"/twk/"; }

void Application::ReadCommandLine(const Text& argumentText) {
  const RebootSwitches s = ParseRebootSwitches(SplitArguments(argumentText));
  currentReboot = s.currentReboot;
  totalReboots = s.totalReboots;
  delayMinutes = s.delayMinutes;
}

void Application::FindUserAndSettings() {
  programPath = ports_.system->ProgramPath();
  userName.clear();
  userSid.clear();
  userToken_ = ports_.identity->GetConsoleUser(userName, &userSid);
  // Without the console user's token the default user's profile is asked
  // for; the name may already be filled, the SID is not known.
  if (userToken_ == platform::kNoToken) userSid.clear();
  const platform::TokenHandle folderToken =
      userToken_ != platform::kNoToken ? userToken_ : platform::kDefaultUserToken;
  settingsFolder = ports_.system->RoamingAppData(folderToken) + u"\\Tarnwick";
  // A missing or unreadable file leaves the document empty; the settings
  // written later create it.
  (void)settings.Load(settingsFolder + u"\\TWK.ini");
  settings.saveOnClose = true;
  (void)settings::CreateFolderTree(*ports_.files, settingsFolder);
}

void Application::ApplyDefaults() {
  if (delayMinutes == 0) {
    delayMinutes =
        static_cast<std::uint32_t>(ToInteger(settings.GetValueText(u"Setup", u"RebootDelay")));
    if (delayMinutes == 0) delayMinutes = kDefaultDelayMinutes;
  }
  // The stored total always wins over the command line's, which only
  // documents the sequence.
  totalReboots =
      static_cast<std::uint32_t>(ToInteger(settings.GetValueText(u"Setup", u"TimesToReboot")));
  if (totalReboots == 0) totalReboots = kDefaultTotalReboots;
}

int Application::RelaunchElevated(int showCommand) {
  // Elevation refused or impossible: nothing more to do either way.
  (void)ports_.shell->RelaunchElevated(programPath, commandLine, FolderOf(programPath),
                                       showCommand);
  return 0;
}

int Application::Run(ui::Handle module, const Text& argumentText, int showCommand) {
  const int exitCode = Start(module, argumentText, showCommand);
  // The decoration's images were released when the frame was built; its
  // brushes stay until the frame is gone (the destructor).
  if (userToken_ != platform::kNoToken) ports_.identity->CloseToken(userToken_);
  userToken_ = platform::kNoToken;
  return exitCode;
}

int Application::Start(ui::Handle module, const Text& argumentText, int showCommand) {
  commandLine = argumentText;
  instance = module;
  ReadCommandLine(argumentText);
  FindUserAndSettings();
  ApplyDefaults();

  if (ui_.BringExistingToFront(windowClassName, productTitle) ==
      ui::InstanceLookup::BroughtToFront) {
    return 0;
  }

  CreateMainFrame();
  if (mainFrame.handle() != 0) ui_.StartHeartbeat(mainFrame.handle());

  if (runMode() == RunMode::RebootStep) return modes_.rebootStep ? modes_.rebootStep(*this) : 0;
  if (ports_.identity->IsAdministrator()) return modes_.setup ? modes_.setup(*this) : 0;
  return RelaunchElevated(showCommand);
}

}  // namespace twk::app
