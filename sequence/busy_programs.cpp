#include "sequence/busy_programs.h"

#include <algorithm>
#include <map>

#include "sequence/measurement_store.h"

namespace twk::sequence {
namespace {

constexpr char16_t kFieldSeparators[] = u"|*>";
constexpr char16_t kReady[] = u"ready";
constexpr char16_t kBefore[] = u"before";
constexpr char16_t kUnknownCount[] = u"?";
constexpr char16_t kNoCulprits[] = u"none";
constexpr const char16_t* kKindCodes[] = {u"startup", u"service", u"other"};
constexpr std::int64_t k100nsPerMs = 10000;

Text Escaped(const Text& text) { return EscapedField(text, kFieldSeparators); }

std::optional<std::uint64_t> ParseCount(const Text& text) {
  if (text.empty() || text.size() > 19) return std::nullopt;
  for (char16_t c : text) {
    if (!IsDigit(c)) return std::nullopt;
  }
  const auto value = ParseWhole(text);
  if (!value || *value < 0) return std::nullopt;
  return static_cast<std::uint64_t>(*value);
}

bool IsStartupPlace(StartPlace place) {
  return place != StartPlace::Service && place != StartPlace::Driver;
}

// Bytes as megabytes of 1024 KB with one decimal: "3.2 MB".
Text MegabytesText(std::uint64_t bytes) {
  return Tenths(static_cast<double>(bytes) * 1000.0 / (1024.0 * 1024.0)) + u" MB";
}

double Median(std::vector<std::int64_t> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  if (n == 0) return 0;
  if (n % 2 == 1) return static_cast<double>(values[n / 2]);
  return (static_cast<double>(values[n / 2 - 1]) + static_cast<double>(values[n / 2])) / 2.0;
}

}  // namespace

Text ProgramKindName(ProgramKind kind) {
  switch (kind) {
    case ProgramKind::StartupProgram:
      return u"start-up program";
    case ProgramKind::Service:
      return u"service";
    case ProgramKind::Other:
      break;
  }
  return u"other";
}

Text ImpactName(Impact impact) {
  switch (impact) {
    case Impact::High:
      return u"High";
    case Impact::Medium:
      return u"Medium";
    case Impact::Low:
      break;
  }
  return u"Low";
}

Impact RateImpact(std::int64_t cpuMs, std::optional<std::uint64_t> ioBytes) {
  const std::uint64_t io = ioBytes.value_or(0);
  if (cpuMs > kHighImpactCpuMs || io > kHighImpactIoBytes) return Impact::High;
  if (cpuMs >= kMediumImpactCpuMs || io >= kMediumImpactIoBytes) return Impact::Medium;
  return Impact::Low;
}

Text ProgramFileName(const Text& command) {
  Text text = command;
  StripWhiteSpace(text, Strip::Leading | Strip::Trailing);
  Text program;
  if (!text.empty() && text[0] == u'"') {
    const std::size_t close = text.find(u'"', 1);
    program = text.substr(1, close == Text::npos ? Text::npos : close - 1);
  } else {
    // An unquoted path may hold blanks ("C:\Program Files\x.exe /s"): the
    // program ends with the first ".exe" that ends a word.
    const Text folded = FoldCase(text);
    std::size_t end = Text::npos;
    for (std::size_t at = folded.find(u".exe"); at != Text::npos;
         at = folded.find(u".exe", at + 1)) {
      if (at + 4 == text.size() || text[at + 4] == u' ' || text[at + 4] == u'\t') {
        end = at + 4;
        break;
      }
    }
    if (end == Text::npos) end = text.find(u' ');
    program = text.substr(0, end);
  }
  const std::size_t slash = program.find_last_of(u"\\/");
  return slash == Text::npos ? program : program.substr(slash + 1);
}

ProgramKinds::ProgramKinds(const Inventory* inventory) {
  if (inventory == nullptr) return;
  for (const StartEntry& entry : inventory->entries) {
    if (entry.place == StartPlace::Driver || !entry.startsByItself()) continue;
    // A file in a Startup folder that is no shortcut starts itself.
    const Text command = entry.command.empty() ? entry.name : entry.command;
    const Text file = FoldCase(ProgramFileName(command));
    if (file.empty()) continue;
    (IsStartupPlace(entry.place) ? startup_ : services_).insert(file);
  }
}

ProgramKind ProgramKinds::Of(const Text& imageName) const {
  const Text folded = FoldCase(imageName);
  if (startup_.count(folded) != 0) return ProgramKind::StartupProgram;
  if (services_.count(folded) != 0) return ProgramKind::Service;
  return ProgramKind::Other;
}

std::vector<SelectedProgram> SelectBusyPrograms(const std::vector<platform::ProcessUsage>& usages,
                                                std::uint32_t ownId, const ProgramKinds& kinds) {
  const bool ioCounted = std::any_of(usages.begin(), usages.end(), [](const auto& u) {
    return u.readBytes != 0 || u.writeBytes != 0;
  });
  std::vector<SelectedProgram> all;
  all.reserve(usages.size());
  for (const platform::ProcessUsage& u : usages) {
    if (u.id == 0 || u.id == ownId || u.imageName.empty()) continue;
    const std::uint64_t io = u.readBytes + u.writeBytes;
    if (u.cpu100ns == 0 && io == 0) continue;  // it did nothing
    BusyProgram p;
    p.name = u.imageName;
    p.kind = kinds.Of(u.imageName);
    p.cpuMs = static_cast<std::int64_t>(u.cpu100ns / k100nsPerMs);
    if (ioCounted) p.ioBytes = io;
    all.push_back({u.id, std::move(p)});
  }
  // Most CPU first; equal ones by name, so that a reading lists the same
  // way every time.
  std::sort(all.begin(), all.end(), [](const SelectedProgram& x, const SelectedProgram& y) {
    const BusyProgram& a = x.program;
    const BusyProgram& b = y.program;
    if (a.cpuMs != b.cpuMs) return a.cpuMs > b.cpuMs;
    const int byName = FoldCase(a.name).compare(FoldCase(b.name));
    return byName != 0 ? byName < 0 : x.id < y.id;
  });
  std::vector<SelectedProgram> kept;
  for (std::size_t i = 0; i < all.size(); ++i) {
    const BusyProgram& p = all[i].program;
    if (i < kBusyProgramsKept || (p.kind != ProgramKind::Other && p.impact() == Impact::High)) {
      kept.push_back(std::move(all[i]));
    }
  }
  return kept;
}

std::optional<BusyReading> ReadBusyPrograms(platform::Processes& processes,
                                            const Inventory* inventory, bool atReady) {
  const platform::Answer<std::vector<platform::ProcessUsage>> usages = processes.ProcessUsages();
  if (!usages.ok()) return std::nullopt;
  BusyReading reading;
  reading.atReady = atReady;
  // Only the kept ones are opened, for their paths.
  for (SelectedProgram& selected :
       SelectBusyPrograms(usages.value(), processes.OwnProcessId(), ProgramKinds(inventory))) {
    const platform::Answer<Text> path = processes.ImagePath(selected.id);
    if (path.ok()) selected.program.path = path.value();
    reading.programs.push_back(std::move(selected.program));
  }
  return reading;
}

// ---- the settings file's form -------------------------------------------------

Text FormatBusyReading(const BusyReading& reading) {
  Text value = reading.atReady ? kReady : kBefore;
  for (const BusyProgram& p : reading.programs) {
    value += u"|" + Escaped(p.name) + u"*" + Escaped(p.path) + u"*" +
             kKindCodes[static_cast<std::size_t>(p.kind)] + u"*" + FormatSigned(p.cpuMs) + u"*" +
             (p.ioBytes ? FormatUnsigned(*p.ioBytes) : Text(kUnknownCount));
  }
  return value;
}

std::optional<BusyReading> ParseBusyReading(const Text& value) {
  const std::vector<Text> items = SplitFields(value, u'|');
  BusyReading reading;
  if (items[0] == kReady) {
    reading.atReady = true;
  } else if (items[0] != kBefore) {
    return std::nullopt;
  }
  for (std::size_t i = 1; i < items.size(); ++i) {
    const std::vector<Text> f = SplitFields(items[i], u'*');
    if (f.size() != 5) return std::nullopt;
    BusyProgram p;
    const auto name = UnescapedField(f[0]);
    const auto path = UnescapedField(f[1]);
    if (!name || name->empty() || !path) return std::nullopt;
    p.name = *name;
    p.path = *path;
    const auto kind = std::find_if(std::begin(kKindCodes), std::end(kKindCodes),
                                   [&](const char16_t* code) { return f[2] == code; });
    if (kind == std::end(kKindCodes)) return std::nullopt;
    p.kind = static_cast<ProgramKind>(kind - std::begin(kKindCodes));
    const auto cpu = ParseCount(f[3]);
    if (!cpu) return std::nullopt;
    p.cpuMs = static_cast<std::int64_t>(*cpu);
    if (f[4] != kUnknownCount) {
      p.ioBytes = ParseCount(f[4]);
      if (!p.ioBytes) return std::nullopt;
    }
    reading.programs.push_back(std::move(p));
  }
  return reading;
}

Text FormatCulprits(const std::vector<BootCulprit>& culprits) {
  if (culprits.empty()) return kNoCulprits;
  Text value;
  for (const BootCulprit& c : culprits) {
    if (!value.empty()) value += u"|";
    value += FormatUnsigned(c.event) + u"*" + Escaped(c.name) + u"*" + FormatSigned(c.totalMs) +
             u"*" + FormatSigned(c.degradationMs);
  }
  return value;
}

std::optional<std::vector<BootCulprit>> ParseCulprits(const Text& value) {
  std::vector<BootCulprit> culprits;
  if (value == kNoCulprits) return culprits;
  for (const Text& item : SplitFields(value, u'|')) {
    const std::vector<Text> f = SplitFields(item, u'*');
    if (f.size() != 4) return std::nullopt;
    const auto event = ParseCount(f[0]);
    const auto name = UnescapedField(f[1]);
    const auto total = ParseCount(f[2]);
    const auto degradation = ParseCount(f[3]);
    if (!event || CulpritKind(static_cast<std::uint16_t>(*event)).empty() || *event > 0xFFFF ||
        !name || !total || !degradation) {
      return std::nullopt;
    }
    culprits.push_back({static_cast<std::uint16_t>(*event), *name,
                        static_cast<std::int64_t>(*total),
                        static_cast<std::int64_t>(*degradation)});
  }
  return culprits;
}

// ---- what the history window shows ----------------------------------------------

std::vector<std::vector<Text>> BusyRows(const BusyReading& reading) {
  std::vector<std::vector<Text>> rows;
  for (const BusyProgram& p : reading.programs) {
    rows.push_back({p.name, ProgramKindName(p.kind), FormatMilliseconds(p.cpuMs) + u" s",
                    p.ioBytes ? MegabytesText(*p.ioBytes) : Text(u"unknown"),
                    ImpactName(p.impact())});
  }
  return rows;
}

Text BusyReadingNote(const BusyReading& reading) {
  return reading.atReady ? Text(u"Read when the desktop was ready; programs that had ended by "
                                u"then are not listed.")
                         : Text(u"Read before the desktop was ready (the wait for it ended "
                                u"first); programs that had ended by then are not listed.");
}

Text CulpritLine(const BootCulprit& culprit) {
  Text what = CulpritKind(culprit.event);
  if (!culprit.name.empty()) what += u" " + culprit.name;
  return u"Windows: " + what + u" took " + TenthsText(static_cast<double>(culprit.totalMs)) +
         u", " + TenthsText(static_cast<double>(culprit.degradationMs)) + u" longer than usual";
}

std::vector<Text> CulpritLines(const std::optional<std::vector<BootCulprit>>& culprits) {
  if (!culprits) {
    return {u"Windows' own list of what slowed this start: unknown (its log could not be "
            u"read)."};
  }
  if (culprits->empty()) return {u"Windows named nothing that made this start slower than usual."};
  std::vector<Text> lines;
  for (const BootCulprit& c : *culprits) lines.push_back(CulpritLine(c));
  return lines;
}

std::vector<Text> MostOftenBusy(const SequenceSummary& summary) {
  struct Seen {
    Text name;  // as first listed
    std::vector<std::int64_t> cpuMs;  // of each restart it was busy in
  };
  std::map<Text, Seen> seen;  // by folded name
  std::size_t read = 0;
  for (const RestartFigure& r : summary.restarts) {
    if (!r.busy || r.marked()) continue;
    ++read;
    // Several processes of one program in a restart count once, with their
    // time and I/O together.
    std::map<Text, BusyProgram> together;
    for (const BusyProgram& p : r.busy->programs) {
      auto [at, added] = together.try_emplace(FoldCase(p.name), p);
      if (added) continue;
      at->second.cpuMs += p.cpuMs;
      if (at->second.ioBytes && p.ioBytes) *at->second.ioBytes += *p.ioBytes;
    }
    // Busy is what Task Manager would notice: a Low impact kept nobody
    // waiting.
    for (const auto& [folded, p] : together) {
      if (p.impact() == Impact::Low) continue;
      Seen& s = seen[folded];
      if (s.name.empty()) s.name = p.name;
      s.cpuMs.push_back(p.cpuMs);
    }
  }
  std::vector<std::pair<double, const Seen*>> ranked;
  for (const auto& [folded, s] : seen) {
    if (s.cpuMs.size() * 2 >= read) ranked.emplace_back(Median(s.cpuMs), &s);
  }
  // What costs the most first; as costly, what was busy more often.
  std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) {
    if (a.first != b.first) return a.first > b.first;
    return a.second->cpuMs.size() > b.second->cpuMs.size();
  });
  std::vector<Text> lines;
  for (const auto& [median, s] : ranked) {
    lines.push_back(u"Most often busy: " + s->name + u" (median " + TenthsText(median) +
                    u" of CPU in " + FormatUnsigned(s->cpuMs.size()) + u" of " +
                    FormatUnsigned(read) + u" restarts)");
  }
  return lines;
}

}  // namespace twk::sequence
