#include "sequence/csv_export.h"

#include <cmath>
#include <optional>

#include "settings/text_file.h"

namespace twk::sequence {
namespace {

// The temporary file is opened as bytes, so that the open itself writes
// nothing: once it succeeded the file is this write's own, and removing it
// on failure can never remove anything else. The byte-order mark goes in
// with the text.
constexpr std::uint32_t kTempMode = settings::TextMode::CreateNew | settings::TextMode::Exclusive |
                                    settings::TextMode::Binary | settings::TextMode::Utf8;
constexpr char16_t kByteOrderMark = u'\uFEFF';
// Names tried for the temporary file before giving up.
constexpr std::uint32_t kTempNames = 100;

// Creates a file that did not exist beside path: "<path>.1.tmp",
// "<path>.2.tmp" and so on, the first name no file has, so that no file of
// the user's is overwritten. Its name, or nothing when none could be made.
std::optional<Text> CreateTemp(settings::TextFile& file, platform::FileSystem& fs,
                               const Text& path) {
  for (std::uint32_t n = 1; n <= kTempNames; ++n) {
    Text temp = path + u"." + FormatUnsigned(n) + u".tmp";
    if (file.Open(temp, kTempMode) != 0) return temp;
    // Any refusal but a taken name (no such folder, no access) would meet
    // every further name alike.
    if (!fs.Exists(temp)) return std::nullopt;
  }
  return std::nullopt;
}

bool NeedsQuotes(const Text& field) {
  if (field.empty()) return false;
  if (field.front() == u' ' || field.back() == u' ') return true;
  return field.find_first_of(u",\"\r\n") != Text::npos;
}

}  // namespace

Text CsvField(const Text& field) {
  if (!NeedsQuotes(field)) return field;
  Text quoted = u"\"";
  for (char16_t c : field) {
    if (c == u'"') quoted += u'"';
    quoted += c;
  }
  quoted += u'"';
  return quoted;
}

Text CsvRow(const std::vector<Text>& fields) {
  Text row;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i != 0) row += u',';
    row += CsvField(fields[i]);
  }
  row += u"\r\n";
  return row;
}

Text HistoryCsv(const std::vector<SequenceSummary>& sequences, const MachineIdentity& machine) {
  Text text = Text(kCsvHeader) + u"\r\n";
  const auto seconds = [](const std::optional<std::int64_t>& ms) {
    return ms ? FormatMilliseconds(*ms) : Text();
  };
  for (const SequenceSummary& s : sequences) {
    for (std::size_t i = 0; i < s.restarts.size(); ++i) {
      const RestartFigure& r = s.restarts[i];
      const RestartPhases& p = r.phases;
      // A rule without the moment it decided tells nothing.
      const bool ruled = p[Phase::DesktopReady] && r.readyBy;
      text += CsvRow({FormatUnsigned(s.number), s.started, FormatUnsigned(i + 1), r.seconds,
                      seconds(r.exactMs), seconds(p[Phase::ShutdownFirmware]),
                      seconds(p[Phase::WindowsStart]), seconds(p[Phase::DesktopReady]),
                      ruled ? ReadyRuleName(*r.readyBy) : Text(), seconds(p[Phase::WindowsBoot]),
                      seconds(p[Phase::WindowsMainPath]), seconds(p[Phase::WindowsPostBoot]),
                      machine.computer, machine.disk, MarkName(r.mark)});
    }
  }
  return text;
}

Text ProcessesCsv(const std::vector<SequenceSummary>& sequences, const MachineIdentity& machine) {
  Text text = Text(kProcessesCsvHeader) + u"\r\n";
  for (const SequenceSummary& s : sequences) {
    for (std::size_t i = 0; i < s.restarts.size(); ++i) {
      const std::optional<BusyReading>& busy = s.restarts[i].busy;
      if (!busy) continue;
      for (const BusyProgram& p : busy->programs) {
        // Thousandths of a megabyte, rounded, written as milliseconds are.
        const Text io =
            p.ioBytes ? FormatMilliseconds(static_cast<std::int64_t>(
                            std::llround(static_cast<double>(*p.ioBytes) * 1000.0 / 1048576.0)))
                      : Text();
        text += CsvRow({FormatUnsigned(s.number), s.started, FormatUnsigned(i + 1), p.name, p.path,
                        ProgramKindName(p.kind), FormatMilliseconds(p.cpuMs), io,
                        ImpactName(p.impact()), busy->atReady ? u"1" : u"0", machine.computer});
      }
    }
  }
  return text;
}

CsvWriteResult WriteCsvFile(platform::FileSystem& fs, platform::AnsiCodePage& ansi,
                            const Text& path, const Text& text) {
  if (path.empty()) return {false, u"No file was named."};
  settings::TextFile file(fs, ansi);
  const std::optional<Text> created = CreateTemp(file, fs, path);
  if (!created) return {false, u"The file could not be created there."};
  const Text& temp = *created;
  const Text marked = kByteOrderMark + text;
  const bool whole = file.WriteText(marked) == Utf8Length(marked);
  const bool flushed = whole && file.Flush();
  file.Close();
  if (!flushed) {
    fs.Delete(temp);
    return {false, u"The file could not be written."};
  }
  if (!fs.ReplaceWith(temp, path)) {
    fs.Delete(temp);
    return {false, u"The file could not replace the one already there."};
  }
  return {true, Text()};
}

CsvWriteResult ExportHistory(const settings::SettingsFile& settings, platform::FileSystem& fs,
                             platform::AnsiCodePage& ansi, const Text& path) {
  const MeasurementStore measurements = MeasurementStore::Read(settings);
  return WriteCsvFile(fs, ansi, path,
                      HistoryCsv(measurements.AllSequences(), measurements.machine()));
}

CsvWriteResult ExportProcesses(const settings::SettingsFile& settings, platform::FileSystem& fs,
                               platform::AnsiCodePage& ansi, const Text& path) {
  const MeasurementStore measurements = MeasurementStore::Read(settings);
  return WriteCsvFile(fs, ansi, path,
                      ProcessesCsv(measurements.AllSequences(), measurements.machine()));
}

}  // namespace twk::sequence
