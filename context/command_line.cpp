#include "context/command_line.h"

#include <algorithm>
#include <limits>

namespace twk::context {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }
bool IsSpace(char16_t c) { return IsBlank(c) || (c >= u'\n' && c <= u'\r'); }

}  // namespace

std::vector<Text> SplitArguments(const Text& text) {
  std::vector<Text> args;
  if (text.empty()) return args;
  std::size_t i = 0;
  const std::size_t n = text.size();

  // The program name: no escapes, and a quoted one ends at the next quote.
  Text first;
  if (text[0] == u'"') {
    for (i = 1; i < n && text[i] != u'"'; ++i) first += text[i];
    if (i < n) ++i;
  } else {
    for (; i < n && !IsSpace(text[i]); ++i) first += text[i];
  }
  args.push_back(first);
  while (i < n && IsBlank(text[i])) ++i;
  if (i >= n) return args;

  Text current;
  int quotes = 0;  // 0 outside quotes, 1 inside
  std::size_t backslashes = 0;
  while (i < n) {
    const char16_t c = text[i];
    if (IsBlank(c) && quotes == 0) {
      args.push_back(current);
      current.clear();
      backslashes = 0;
      while (i < n && IsBlank(text[i])) ++i;
      if (i >= n) return args;
      continue;
    }
    if (c == u'\\') {
      current += c;
      ++backslashes;
      ++i;
      continue;
    }
    if (c == u'"') {
      if (backslashes % 2 == 0) {
        // 2n backslashes and a quote: n backslashes, the quote toggles.
        current.resize(current.size() - backslashes / 2);
        ++quotes;
      } else {
        // 2n+1 backslashes and a quote: n backslashes and a literal quote.
        current.resize(current.size() - backslashes / 2 - 1);
        current += u'"';
      }
      ++i;
      backslashes = 0;
      // Consecutive quotes: every third one (counting the open quote) is a
      // literal quote, as the system's parser does it.
      while (i < n && text[i] == u'"') {
        if (++quotes == 3) {
          current += u'"';
          quotes = 0;
        }
        ++i;
      }
      if (quotes == 2) quotes = 0;
      continue;
    }
    current += c;
    backslashes = 0;
    ++i;
  }
  args.push_back(current);
  return args;
}

std::int32_t ReadSwitchNumber(const Text& text) {
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
    negative = text[i] == u'-';
    ++i;
  }
  std::int64_t value = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    value = value * 10 + (text[i] - u'0');
    if (value > std::int64_t{1} << 32) value = std::int64_t{1} << 32;  // saturated below
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<std::int32_t>::max())
    return std::numeric_limits<std::int32_t>::max();
  if (value < std::numeric_limits<std::int32_t>::min())
    return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

RebootSwitches ParseRebootSwitches(const std::vector<Text>& arguments) {
  static const Text kCurrent = Text(switches::kCurrentReboot) + u":";
  static const Text kTotal = Text(switches::kTotalReboots) + u":";
  static const Text kDelay = Text(switches::kDelay) + u":";
  RebootSwitches s;
  for (const Text& arg : arguments) {
    if (arg.starts_with(kCurrent)) {
      s.currentReboot = static_cast<std::uint32_t>(ReadSwitchNumber(arg.substr(kCurrent.size())));
    } else if (arg.starts_with(kTotal)) {
      s.totalReboots = static_cast<std::uint32_t>(ReadSwitchNumber(arg.substr(kTotal.size())));
    } else if (arg.starts_with(kDelay)) {
      s.delayMinutes = static_cast<std::uint32_t>(ReadSwitchNumber(arg.substr(kDelay.size())));
    }
  }
  return s;
}

CommandLine ReadCommandLine(const Text& argumentText) {
  CommandLine line;
  line.text = argumentText;
  line.arguments = SplitArguments(argumentText);
  line.exportPath = FindExportPath(argumentText, switches::kExport);
  line.exportProcessesPath = FindExportPath(argumentText, switches::kExportProcesses);
  line.compare = FindCompareRequest(line.arguments);
  line.scripted = ReadScriptedStart(line.arguments);
  line.finishSequence = std::find(line.arguments.begin(), line.arguments.end(),
                                  Text(kFinishSequenceSwitch)) != line.arguments.end();
  line.reboot = ParseRebootSwitches(line.arguments);
  return line;
}

std::optional<Text> FindExportPath(const Text& argumentText, const Text& switchName) {
  const Text kExport = switchName + u":";
  // The argument text comes without the program's name. Split as it is, its
  // first argument would be read by the program-name rule, which ends a
  // path with a blank at that blank even inside quotes; an empty name in
  // front lets every argument be read by the quoting rules.
  const std::vector<Text> arguments = SplitArguments(u"\"\" " + argumentText);
  std::optional<Text> path;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    // In any letter case, as /Start is read: a script that spells it
    // "/export:" would otherwise open the setup window and wait there.
    const Text& argument = arguments[i];
    if (argument.size() >= kExport.size() &&
        EqualsIgnoreCase(argument.substr(0, kExport.size()), kExport)) {
      path = argument.substr(kExport.size());
    }
  }
  return path;
}

namespace {

// A sequence's number: digits only, from 1 up, at most six of them (the
// history keeps 50 sequences; more digits can only be a mistake).
std::size_t SequenceNumber(const Text& text) {
  if (text.empty() || text.size() > 6) return 0;
  std::size_t number = 0;
  for (char16_t c : text) {
    if (!IsDigit(c)) return 0;
    number = number * 10 + static_cast<std::size_t>(c - u'0');
  }
  return number;
}

}  // namespace

std::optional<CompareRequest> FindCompareRequest(const std::vector<Text>& arguments) {
  const Text name = switches::kCompare;
  std::optional<CompareRequest> request;
  for (const Text& argument : arguments) {
    if (argument.size() < name.size() ||
        !EqualsIgnoreCase(argument.substr(0, name.size()), name)) {
      continue;
    }
    const Text rest = argument.substr(name.size());
    if (rest.empty()) {
      request = CompareRequest{};
      continue;
    }
    if (rest[0] != u':') continue;  // "/Comparex" is another word
    CompareRequest r;
    const std::size_t comma = rest.find(u',');
    if (comma != Text::npos) {
      r.before = SequenceNumber(rest.substr(1, comma - 1));
      r.after = SequenceNumber(rest.substr(comma + 1));
    }
    r.valid = r.before != 0 && r.after != 0;
    request = r;
  }
  return request;
}

}  // namespace twk::context
