#pragma once
// A simulated machine that runs the program start after start, as a real
// sequence does: each start gets the arguments of the Run value that the
// previous start left, a restart request ends a start, and a simulated boot
// advances the clock by a chosen duration before the next start. A short
// script plays the user of each start. Everything the user could see or the
// machine keeps is recorded per start.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/app_fixture.h"
#include "app/application.h"
#include "app/run_modes.h"
#include "platform/fake/fake_platform.h"
#include "sequence/measurement_store.h"
#include "sequence/reboot_step.h"
#include "settings/catalogue.h"
#include "settings/ini_document.h"
#include "settings/text_file.h"
#include "ui/headless/headless_backend.h"

namespace twk::sequence::sim {

inline constexpr char16_t kProgram[] = u"C:\\Program Files (x86)\\Tarnwick\\Tarnwick.exe";
inline constexpr char16_t kProgramFolder[] = u"C:\\Program Files (x86)\\Tarnwick";
inline constexpr char16_t kSound[] = u"C:\\Windows\\media\\ding.wav";

// What one start of the program showed and did.
struct StartRecord {
  Text arguments;
  int exitCode = -1;
  bool windowShown = false;  // the frame was visible when the start ended
  Text title;                // the frame's title as last seen
  // Successive texts of the countdown label (180, 90), the last one as the
  // start ended, and the label's text at each warning sound.
  std::vector<Text> countdown;
  std::vector<Text> soundsAt;
  bool restartRequested = false;
  // What the frame's taskbar button showed as the start ended.
  ui::TaskbarProgress taskbarAtEnd = ui::TaskbarProgress::None;
  // The report's four lines (labels at x 20, y 90 ... 150) and the history
  // list's rows, each as its cells.
  std::vector<Text> reportLines;
  std::vector<std::vector<Text>> historyRows;
  std::vector<std::uint32_t> sleeps;  // milliseconds the program slept
  int sleepsBesideAWindow = 0;        // of those, with a top-level window alive
  std::vector<Text> messages;         // message boxes shown, in order
  std::optional<Text> runValueAfter;  // the Run value as the start left it
  // Drawing objects still alive after the program ended, and objects
  // released twice or with the wrong call.
  std::size_t liveObjectsAfter = 0;
  int doubleFrees = 0;
  std::string dump;  // every control as the start ended, for failure messages
  // Sections TimeStamps and History of the file after the start, as
  // "Section/Key" -> value.
  std::map<std::string, std::string> measurements;
};

class SimulatedMachine {
 public:
  platform::FakePlatform machine;
  // Plays the user of a start: installs rules on that start's desktop. The
  // number is the index of the start (0 for the first).
  std::function<void(ui::HeadlessBackend&, int)> user = [](ui::HeadlessBackend&, int) {};
  // The report's post-operations that each start runs with (tests watch
  // them).
  ReportPostOperations postOperations;
  // The setup's hooks that each start runs with: the program's own unless a
  // test puts its own in place.
  setup::SetupOperations setupOperations = app::ProductSetupOperations();
  std::vector<StartRecord> starts;
  // How long the program's own start-up takes before it first reads the
  // clock: time that is not part of the restart.
  std::uint64_t startUpMs = 0;

  SimulatedMachine() {
    runKey_ =
        machine.identity.consoleUser->sid + u"\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    machine.registry.AddKey(platform::RegistryRoot::Users, runKey_);
    // A 32-bit program on 64-bit Windows, where the redirection switch matters.
    machine.processes.SetMachine(true, true);
  }

  const Text& runKey() const { return runKey_; }

  // What the setup leaves behind when it starts a sequence of `total`
  // restarts with `delay` minutes: the choices, cleared measurements with
  // FirstShutDown, the Run value for restart 2, the file saved.
  void SetupStartsSequence(std::uint32_t total, std::uint32_t delay,
                           std::map<Text, Text> moreSetup = {}) {
    (void)settings::CreateFolderTree(machine.files, app::apptest::kSettingsFolder);
    settings::SettingsFile file(machine.files, machine.ansi);
    (void)file.Load(app::apptest::kSettingsPath);
    settings::WriteUnsigned(file, settings::section::Setup, settings::key::TimesToReboot, total);
    settings::WriteUnsigned(file, settings::section::Setup, settings::key::RebootDelay, delay);
    for (const auto& [key, value] : moreSetup) file.SetValue(settings::section::Setup, key, value);
    MeasurementStore store = MeasurementStore::Load(file);
    store.RecordTimeStamp(TimeStampKind::SequenceStart, machine.clock.Now());
    // What starts with Windows, as the setup records it.
    const platform::TokenHandle token = machine.identity.consoleUser->token;
    (void)store.RecordInventory(ReadInventory(
        {machine.registry, machine.files, machine.shell},
        {machine.identity.consoleUser->sid, machine.system.StartupFolder(token),
         machine.system.CommonStartupFolder(), kRunValueName}));
    (void)file.Save();
    machine.registry.PutString(platform::RegistryRoot::Users, runKey_, kRunValueName,
                               RebootCommandLine(kProgram, 2, total, delay));
  }

  // A sequence of two restarts of `first` and `last` seconds, up to the start
  // of its report.
  void TwoRestartsBeforeReport(std::uint64_t first, std::uint64_t last,
                               std::map<Text, Text> moreSetup = {}) {
    SetupStartsSequence(2, 1, std::move(moreSetup));
    RunSequence({first});
    Boot(last);
  }

  // The Run value's full text, none when there is none.
  std::optional<Text> RunValue() const {
    return machine.registry.StringValue(platform::RegistryRoot::Users, runKey_, kRunValueName);
  }

  // The argument text the system hands to the program for the Run value: what
  // follows the quoted program path and one blank. None when there is no
  // value or it does not start with the quoted path.
  std::optional<Text> RunArguments() const {
    const auto value = RunValue();
    const Text prefix = u"\"" + Text(kProgram) + u"\" ";
    if (!value || value->compare(0, prefix.size(), prefix) != 0) return std::nullopt;
    return value->substr(prefix.size());
  }

  // Shutdown, firmware, boot and logon take this long.
  void Boot(std::uint64_t seconds) { machine.clock.AdvanceSeconds(seconds); }
  void BootMs(std::uint64_t milliseconds) { machine.clock.AdvanceMilliseconds(milliseconds); }

  // One start of the program with this argument text.
  StartRecord& Start(const Text& arguments) {
    StartRecord record;
    record.arguments = arguments;
    ui::HeadlessBackend ui;
    ui.SetHeartbeat(20, [this](std::uint32_t ms) { machine.clock.AdvanceMilliseconds(ms); });
    ui.SetWakeLimit(200000);
    const int restartsBefore = machine.power.Count(platform::FakePower::Kind::RestartRequest);
    int soundsSeen = machine.power.Count(platform::FakePower::Kind::Sound);
    // Looks at the screen whenever the program waits, before the script acts.
    ui.When(
        [&] {
          Observe(ui, record, soundsSeen);
          return false;
        },
        [] {});
    // A report is closed by its Close button a second after it is shown,
    // unless the script did something else with it by then.
    ui.When([&ui] { return ui.FindByText(u"  Close") != 0 && ui.FindAt(20, 90) != 0; },
            [&ui] {
              ui.AfterWakes(50, [&ui] {
                if (const ui::Handle close = ui.FindByText(u"  Close")) ui.Click(close);
              });
            });
    user(ui, static_cast<int>(starts.size()));
    // Windows creates the process now; whatever the start does before it
    // reads the clock is the program's own time.
    machine.clock.CreateProcess();
    machine.clock.AdvanceMilliseconds(startUpMs);

    {
      app::Application application(machine.ports(), ui,
                                   app::ProductModes(postOperations, setupOperations));
      record.exitCode = application.Run(0x400000, arguments, 1);
      Observe(ui, record, soundsSeen);
      if (const auto* frame = ui.Find(ui.frame())) {
        record.windowShown = frame->visible;
        record.taskbarAtEnd = frame->taskbar;
      }
      for (int y = 90; y <= 150; y += 20) {
        const ui::Handle label = ui.FindAt(20, y);
        if (label != 0) record.reportLines.push_back(ui.TextOf(label));
      }
      if (const auto* list = ui.Find(ui.FindAt(20, 180))) record.historyRows = list->rows;
      record.dump = ui.Dump();
      record.sleeps = ui.sleeps();
      record.sleepsBesideAWindow = ui.sleepsBesideAWindow();
      record.messages = ui.messages();
    }
    record.runValueAfter = RunValue();
    record.liveObjectsAfter = ui.LiveObjects();
    record.doubleFrees = ui.doubleFrees();
    record.restartRequested =
        machine.power.Count(platform::FakePower::Kind::RestartRequest) > restartsBefore;
    record.measurements = FileMeasurements();
    starts.push_back(std::move(record));
    return starts.back();
  }

  // Starts from the Run value after each restart: before start i the machine
  // boots for boots[i]. Stops when a start ends without asking for a
  // restart, when no start is registered, or when the boots run out.
  void RunSequence(const std::vector<std::uint64_t>& boots) {
    for (std::uint64_t seconds : boots) {
      const auto arguments = RunArguments();
      if (!arguments) return;
      Boot(seconds);
      if (!Start(*arguments).restartRequested) return;
    }
  }

  // A value written into, or read from, the file on the simulated disk.
  void Store(const Text& section, const Text& key, const Text& value) {
    app::apptest::StoreSetting(machine, section, key, value);
  }
  Text Stored(const Text& section, const Text& key) {
    return app::apptest::StoredSetting(machine, section, key);
  }

  std::map<std::string, std::string> FileMeasurements() {
    settings::SettingsFile file(machine.files, machine.ansi);
    (void)file.Load(app::apptest::kSettingsPath);
    std::map<std::string, std::string> out;
    for (const Text section : {file::section::TimeStamps, file::section::History}) {
      for (const auto& [key, value] : file.Entries(section)) {
        // The UTC moments beside the stamps are checked where they matter.
        if (!key.ends_with(file::key::UtcSuffix)) {
          out[ToUtf8(section) + "/" + ToUtf8(key)] = ToUtf8(value);
        }
      }
    }
    return out;
  }

 private:
  void Observe(ui::HeadlessBackend& ui, StartRecord& record, int& soundsSeen) {
    if (const auto* frame = ui.Find(ui.frame()); frame != nullptr && !frame->text.empty()) {
      record.title = frame->text;
    }
    const ui::Handle label = ui.FindAt(180, 90);
    if (label != 0) {
      const Text text = ui.TextOf(label);
      if (record.countdown.empty() || record.countdown.back() != text) {
        record.countdown.push_back(text);
      }
    }
    const int sounds = machine.power.Count(platform::FakePower::Kind::Sound);
    for (; soundsSeen < sounds; ++soundsSeen) {
      record.soundsAt.push_back(record.countdown.empty() ? Text() : record.countdown.back());
    }
  }

  Text runKey_;
};

}  // namespace twk::sequence::sim
