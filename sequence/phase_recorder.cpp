#include "sequence/phase_recorder.h"

#include <vector>

#include "platform/boot_events.h"
#include "platform/port_handle.h"
#include "platform/registry_path.h"
#include "sequence/boot_event.h"

namespace twk::sequence {
namespace {

using OwnedKey = platform::OwnedKey;

constexpr char16_t kPowerKey[] =
    u"HKLM64\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Power";
constexpr char16_t kFirmwareValue[] = u"FwPOSTTime";
// Windows keeps one record per boot; a sequence has at most 100 restarts.
constexpr std::uint32_t kBootRecordsRead = 128;
// Of what slowed a boot, Windows names a few things at most per boot.
constexpr std::uint32_t kCulpritRecordsRead = 1024;

}  // namespace

std::optional<std::int64_t> FirmwareMilliseconds(platform::Registry& registry) {
  const auto opened = platform::OpenRegistryPath(registry, kPowerKey, platform::KeyAccess::Read);
  if (!opened.ok()) return std::nullopt;
  const OwnedKey key(registry, opened.value());
  const auto value = registry.QueryValue(key.get(), kFirmwareValue);
  if (!value.ok() || value.value().type != platform::ValueType::Dword ||
      value.value().data.size() != 4) {
    return std::nullopt;
  }
  const auto& d = value.value().data;
  const std::uint32_t ms =
      d[0] | (d[1] << 8) | (d[2] << 16) | (static_cast<std::uint32_t>(d[3]) << 24);
  if (ms == 0) return std::nullopt;
  return static_cast<std::int64_t>(ms);
}

PhaseRecorder::PhaseRecorder(const platform::Ports& ports, MeasurementStore& measurements,
                             std::uint32_t restart, const platform::ClockReading& created,
                             const Text& systemDrive)
    : ports_(ports),
      measurements_(measurements),
      restart_(restart),
      tracker_(kDesktopReadyGiveUpMs),
      systemDrive_(systemDrive) {
  if (created.utcMilliseconds > 0) createdUtcMs_ = created.utcMilliseconds;
  done_ = restart_ == 0 || !createdUtcMs_;
  if (done_) return;
  // Both clocks read together: the counter's value at the creation is now's
  // minus the time since then.
  const std::uint64_t tick = ports_.clock->TickMilliseconds();
  const platform::ClockReading now = ports_.clock->Now();
  const std::int64_t since = now.utcMilliseconds - *createdUtcMs_;
  if (now.utcMilliseconds <= 0 || since < 0 || static_cast<std::uint64_t>(since) > tick) {
    done_ = true;
    return;
  }
  createdTick_ = tick - static_cast<std::uint64_t>(since);
}

bool PhaseRecorder::RecordAtStart() {
  bool written = false;
  if (restart_ != 0 && createdUtcMs_) {
    RestartMoments moments;
    const Stamp& shutdown =
        measurements_.stamp(restart_ == 1 ? StampName::FirstShutDown : StampName::LastShutDown);
    moments.shutdown = shutdown.utcMs;
    moments.created = createdUtcMs_;
    // Windows started "uptime" before now; both read together.
    const std::uint64_t uptime = ports_.clock->TickMilliseconds();
    const platform::ClockReading now = ports_.clock->Now();
    if (now.utcMilliseconds > 0) {
      moments.windowsStarted = now.utcMilliseconds - static_cast<std::int64_t>(uptime);
    }
    moments.firmwareMs = FirmwareMilliseconds(*ports_.registry);
    written = measurements_.RecordPhases(RestartKey(restart_), SplitRestart(moments));
  }
  written = RecordCulprits(false) || written;
  return RecordWindowsFigures() || written;
}

bool PhaseRecorder::RecordCulprits(bool throughNow) {
  if (ports_.bootEvents == nullptr) return false;
  struct Wanted {
    Text key;
    std::int64_t after = 0;
    std::int64_t before = 0;
  };
  std::vector<Wanted> wanted;
  const auto& restarts = measurements_.restarts();
  const Text mine = restart_ != 0 ? RestartKey(restart_) : Text();
  for (std::size_t i = 0; i < restarts.size(); ++i) {
    const RestartFigure& r = restarts[i];
    const auto created = r.phases[Phase::CreatedAt];
    if (!created) continue;
    // Windows writes them minutes after the logon: a restart's list is
    // complete once the next restart was asked for, and this start's own
    // restart, when it is the last, grows until the wait ends.
    const bool own = throughNow && !mine.empty() && EqualsIgnoreCase(r.key, mine);
    std::optional<std::int64_t> end;
    if (i + 1 < restarts.size()) end = restarts[i + 1].phases[Phase::ShutdownAt];
    if (!end && own) end = ports_.clock->Now().utcMilliseconds;
    if (!end || (r.culprits && !own)) continue;
    wanted.push_back({r.key, *created, *end});
  }
  if (wanted.empty()) return false;
  const auto read = ReadBootCulprits(*ports_.bootEvents, kCulpritRecordsRead);
  // Without administrator rights the log stays closed: unknown, as before.
  if (!read.ok()) return false;
  bool written = false;
  for (const Wanted& w : wanted) {
    written = measurements_.RecordCulprits(
                  w.key, CulpritsWrittenBetween(read.value(), w.after, w.before)) ||
              written;
  }
  return written;
}

bool PhaseRecorder::ReadWhoWasBusy(bool atReady) {
  bool written = false;
  if (!busyRead_ && restart_ != 0 && createdUtcMs_ && ports_.processes != nullptr) {
    busyRead_ = true;
    if (const auto reading =
            ReadBusyPrograms(*ports_.processes, measurements_.currentInventory(), atReady)) {
      written = measurements_.RecordBusyPrograms(RestartKey(restart_), *reading);
    }
  }
  if (endsSequence_) written = RecordCulprits(true) || written;
  return written;
}

bool PhaseRecorder::Finish() {
  if (restart_ == 0 || !createdUtcMs_) return false;
  // Whatever the sampling had not decided stays unknown; its disk goes.
  done_ = true;
  if (disk_) disk_->Close();
  return ReadWhoWasBusy(false);
}

bool PhaseRecorder::RecordWindowsFigures() {
  if (ports_.bootEvents == nullptr) return false;
  // Only restarts whose window is known and whose figures are missing: most
  // starts find none, and then the log is not read at all.
  std::vector<std::uint32_t> missing;
  const auto& restarts = measurements_.restarts();
  for (std::uint32_t i = 0; i < restarts.size(); ++i) {
    const RestartPhases& p = restarts[i].phases;
    if (!p[Phase::WindowsBoot] && p[Phase::ShutdownAt] && p[Phase::CreatedAt]) missing.push_back(i);
  }
  if (missing.empty()) return false;
  const auto read = ReadWindowsBootFigures(*ports_.bootEvents, kBootRecordsRead);
  // Reading the log needs rights a step started by the Run value lacks:
  // the figures then stay unknown.
  if (!read.ok()) return false;
  const std::vector<WindowsBootFigures>& boots = read.value();
  bool written = false;
  for (std::uint32_t i : missing) {
    const RestartPhases& p = restarts[i].phases;
    const auto match = MatchBootEvent(boots, *p[Phase::ShutdownAt], *p[Phase::CreatedAt]);
    if (!match) continue;
    RestartPhases found;
    found[Phase::WindowsBoot] = match->bootTimeMs;
    found[Phase::WindowsMainPath] = match->mainPathBootTimeMs;
    found[Phase::WindowsPostBoot] = match->postBootTimeMs;
    written = measurements_.RecordPhases(restarts[i].key, found) || written;
  }
  return written;
}

std::optional<platform::DiskTimes> PhaseRecorder::ReadDisk() {
  if (!disk_) {
    if (ports_.devices == nullptr || systemDrive_.empty()) return std::nullopt;
    disk_.emplace(*ports_.devices);
    if (!disk_->Open(systemDrive_)) return std::nullopt;
  }
  return disk_->Read();
}

bool PhaseRecorder::OnWake(std::uint64_t tick) {
  if (done_ || tick < nextSampleTick_) return false;
  nextSampleTick_ = tick + kDesktopSampleMs;
  const auto cpu = ports_.clock->SystemCpuTimes();
  if (!cpu) {
    // Without the processors' times nothing can be decided: stop asking.
    done_ = true;
    if (disk_) disk_->Close();
    return ReadWhoWasBusy(false);
  }
  const std::optional<platform::DiskTimes> disk =
      tracker_.WantsDisk() ? ReadDisk() : std::optional<platform::DiskTimes>();
  tracker_.Sample(tick - createdTick_, *cpu, disk);
  // The handle goes as soon as it is of no more use.
  if (disk_ && (!tracker_.WantsDisk() || tracker_.Decided())) disk_->Close();
  if (!tracker_.Decided()) return false;
  done_ = true;
  const auto ready = tracker_.ReadyAtMs();
  if (!ready) return ReadWhoWasBusy(false);
  RestartPhases found;
  found[Phase::DesktopReady] = static_cast<std::int64_t>(*ready);
  const Text key = RestartKey(restart_);
  bool written = measurements_.RecordPhases(key, found);
  if (const auto rule = tracker_.Rule()) {
    written = measurements_.RecordReadyRule(key, *rule) || written;
  }
  // The decision is written first: the reading below cannot delay it.
  return ReadWhoWasBusy(true) || written;
}

}  // namespace twk::sequence
