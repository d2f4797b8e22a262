#include "sequence/restart_phases.h"

#include <algorithm>

namespace twk::sequence {

bool RestartPhases::Any() const {
  for (const auto& figure : ms) {
    if (figure) return true;
  }
  return false;
}

bool RestartPhases::Merge(const RestartPhases& known) {
  bool changed = false;
  for (std::size_t i = 0; i < kPhaseCount; ++i) {
    if (known.ms[i] && known.ms[i] != ms[i]) {
      ms[i] = known.ms[i];
      changed = true;
    }
  }
  return changed;
}

Text ReadyRuleName(ReadyRule rule) { return rule == ReadyRule::CpuAndDisk ? u"cpu+disk" : u"cpu"; }

std::optional<ReadyRule> ParseReadyRule(const Text& text) {
  if (text == u"cpu") return ReadyRule::Cpu;
  if (text == u"cpu+disk") return ReadyRule::CpuAndDisk;
  return std::nullopt;
}

Text FormatPhases(const RestartPhases& phases) {
  Text text;
  for (std::size_t i = 0; i < kPhaseCount; ++i) {
    if (i != 0) text += u' ';
    text += phases.ms[i] ? FormatSigned(*phases.ms[i]) : Text(u"?");
  }
  return text;
}

std::optional<RestartPhases> ParsePhases(const Text& text) {
  RestartPhases phases;
  std::size_t at = 0;
  for (std::size_t i = 0; i < kPhaseCount; ++i) {
    if (i != 0) {
      if (at >= text.size() || text[at] != u' ') return std::nullopt;
      ++at;
    }
    const std::size_t end = std::min(text.find(u' ', at), text.size());
    const Text token = text.substr(at, end - at);
    at = end;
    if (token == u"?") continue;
    // Only digits: a figure is never negative.
    if (token.empty() || token[0] == u'-') return std::nullopt;
    const auto value = ParseWhole(token);
    if (!value) return std::nullopt;
    phases.ms[i] = value;
  }
  if (at != text.size()) return std::nullopt;
  return phases;
}

RestartPhases SplitRestart(const RestartMoments& m) {
  RestartPhases phases;
  if (m.firmwareMs && *m.firmwareMs > 0) phases[Phase::Firmware] = m.firmwareMs;
  if (m.shutdown && *m.shutdown > 0) phases[Phase::ShutdownAt] = m.shutdown;
  if (m.created && *m.created > 0) phases[Phase::CreatedAt] = m.created;
  if (!m.shutdown || !m.windowsStarted || !m.created) return phases;
  if (*m.windowsStarted < *m.shutdown || *m.created < *m.windowsStarted) return phases;
  phases[Phase::ShutdownFirmware] = *m.windowsStarted - *m.shutdown;
  phases[Phase::WindowsStart] = *m.created - *m.windowsStarted;
  return phases;
}

}  // namespace twk::sequence
