#include "sequence/verdict.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/shift_estimate.h"

namespace twk::sequence {
namespace {

constexpr double kClearBelow = 0.05;  // a difference is clear when p is below this
constexpr const char16_t* kPhaseNames[3] = {u"Shutdown and firmware", u"Windows start",
                                            u"Desktop ready"};

Text Printed(const char* format, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  Text text;
  for (const char* c = buffer; *c != '\0'; ++c) text += static_cast<char16_t>(*c);
  return text;
}

// One decimal; a value that rounds to zero never shows a minus sign.
Text OneDecimal(double value) {
  const double rounded = std::round(value * 10) / 10;
  return Printed("%.1f", rounded == 0 ? 0.0 : rounded);
}

Text Signed(double value) {
  const double rounded = std::round(value * 10) / 10;
  return rounded < 0 ? OneDecimal(rounded) : u"+" + OneDecimal(rounded);
}

Text PText(double p) { return p < 0.001 ? Text(u"p < 0.001") : u"p = " + Printed("%.3f", p); }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The known values of one figure, the first restart left out when asked.
std::vector<double> Known(const std::vector<std::optional<std::int64_t>>& figures,
                          std::size_t restarts, bool leaveFirstOut) {
  std::vector<double> values;
  for (std::size_t i = leaveFirstOut ? 1 : 0; i < restarts && i < figures.size(); ++i) {
    if (figures[i]) values.push_back(static_cast<double>(*figures[i]));
  }
  return values;
}

std::size_t CountKnown(const std::vector<std::optional<std::int64_t>>& figures) {
  return static_cast<std::size_t>(std::count_if(
      figures.begin(), figures.end(), [](const auto& f) { return f.has_value(); }));
}

struct Judged {
  Verdict verdict = Verdict::TooFew;
  Text line;
};

Judged Judge(const Text& name, const std::vector<double>& before,
             const std::vector<double>& after) {
  Judged j;
  if (before.size() < kFewestForVerdict || after.size() < kFewestForVerdict) {
    j.line = name + u": too few restarts (" + FormatUnsigned(after.size()) + u" and " +
             FormatUnsigned(before.size()) + u"; at least " + FormatUnsigned(kFewestForVerdict) +
             u" each).";
    return j;
  }
  const ShiftEstimate e = *EstimateShift(before, after);
  const double median = Median(before);
  // Per cent of the first sequence's median; a median of 0 (a phase that
  // took no measurable time) gives no per cent rather than an invented one.
  const Text percent = median > 0 ? Signed(e.shift / median * 100) + u" %" : Text();
  const Text p = PText(e.p);
  const double seconds = e.shift / 1000;
  if (e.p < kClearBelow && seconds < 0) {
    j.verdict = Verdict::Faster;
    j.line = name + u": faster by " + OneDecimal(-seconds) + u" s" +
             (percent.empty() ? Text() : u" (" + percent + u")") + u", between " +
             OneDecimal(-e.upper / 1000) + u" and " + OneDecimal(-e.lower / 1000) +
             u" s faster (95 % confidence, " + p + u").";
  } else if (e.p < kClearBelow && seconds > 0) {
    j.verdict = Verdict::Slower;
    j.line = name + u": slower by " + OneDecimal(seconds) + u" s" +
             (percent.empty() ? Text() : u" (" + percent + u")") + u", between " +
             OneDecimal(e.lower / 1000) + u" and " + OneDecimal(e.upper / 1000) +
             u" s slower (95 % confidence, " + p + u").";
  } else {
    j.verdict = Verdict::NoClearChange;
    j.line = name + u": no clear change (" + Signed(seconds) + u" s, " +
             (percent.empty() ? Text() : percent + u", ") + p + u").";
  }
  return j;
}

bool LeaveFirstOut(const SequenceFigures& before, const SequenceFigures& after) {
  return CountKnown(before.restartMs) >= kLeaveFirstOutFrom &&
         CountKnown(after.restartMs) >= kLeaveFirstOutFrom;
}

}  // namespace

SequenceComparison CompareSequences(std::size_t beforeNumber, const SequenceFigures& before,
                                    std::size_t afterNumber, const SequenceFigures& after) {
  SequenceComparison c;
  c.firstLeftOut = LeaveFirstOut(before, after);
  const std::size_t beforeCount = before.restartMs.size();
  const std::size_t afterCount = after.restartMs.size();
  const std::vector<double> b = Known(before.restartMs, beforeCount, c.firstLeftOut);
  const std::vector<double> a = Known(after.restartMs, afterCount, c.firstLeftOut);
  c.usedBefore = b.size();
  c.usedAfter = a.size();
  for (double ms : b) c.beforeSeconds.push_back(ms / 1000);
  for (double ms : a) c.afterSeconds.push_back(ms / 1000);
  c.heading = u"Sequence " + FormatUnsigned(afterNumber) + u" against sequence " +
              FormatUnsigned(beforeNumber) + u" (" + FormatUnsigned(a.size()) + u" and " +
              FormatUnsigned(b.size()) + u" restarts" +
              (c.firstLeftOut ? Text(u", the first of each left out") : Text()) + u"):";
  const Judged restart = Judge(u"Restart", b, a);
  c.restart = restart.verdict;
  c.lines.push_back(restart.line);
  for (std::size_t phase = 0; phase < 3; ++phase) {
    const std::vector<double> pb = Known(before.phaseMs[phase], beforeCount, c.firstLeftOut);
    const std::vector<double> pa = Known(after.phaseMs[phase], afterCount, c.firstLeftOut);
    // A phase only one of the two sequences knows says nothing about a
    // change: no line rather than "too few".
    if (pb.empty() || pa.empty()) continue;
    c.lines.push_back(Judge(kPhaseNames[phase], pb, pa).line);
  }
  return c;
}

Verdict RestartVerdict(const SequenceFigures& before, const SequenceFigures& after) {
  const bool leaveOut = LeaveFirstOut(before, after);
  return Judge(Text(), Known(before.restartMs, before.restartMs.size(), leaveOut),
               Known(after.restartMs, after.restartMs.size(), leaveOut))
      .verdict;
}

SequenceFigures FiguresOf(const SequenceSummary& summary) {
  SequenceFigures f;
  constexpr Phase kCompared[3] = {Phase::ShutdownFirmware, Phase::WindowsStart,
                                  Phase::DesktopReady};
  for (const RestartFigure& r : summary.restarts) {
    const bool marked = r.marked();
    f.restartMs.push_back(marked ? std::nullopt : std::optional<std::int64_t>(r.durationMs()));
    for (std::size_t p = 0; p < 3; ++p) {
      f.phaseMs[p].push_back(marked ? std::nullopt : r.phases[kCompared[p]]);
    }
  }
  return f;
}

CompareAnswer CompareByNumber(const std::vector<SequenceSummary>& sequences, std::size_t before,
                              std::size_t after) {
  CompareAnswer answer;
  const SequenceSummary* b = nullptr;
  const SequenceSummary* a = nullptr;
  if (before == 0 && after == 0) {
    if (sequences.size() < 2) {
      answer.text = u"Tarnwick did not compare: fewer than two sequences are kept.";
      return answer;
    }
    b = &sequences[sequences.size() - 2];
    a = &sequences.back();
  } else {
    for (const SequenceSummary& s : sequences) {
      if (s.number == before) b = &s;
      if (s.number == after) a = &s;
    }
    for (const auto& [wanted, found] : {std::pair{before, b}, std::pair{after, a}}) {
      if (found == nullptr) {
        answer.text = u"Tarnwick did not compare: there is no sequence " +
                      FormatUnsigned(wanted) + u" in the history.";
        return answer;
      }
    }
  }
  const SequenceComparison c =
      CompareSequences(static_cast<std::size_t>(b->number), FiguresOf(*b),
                       static_cast<std::size_t>(a->number), FiguresOf(*a));
  answer.text = c.heading;
  for (const Text& line : c.lines) answer.text += u"\r\n" + line;
  // Also without a verdict: what changed may be why the restarts differ.
  for (const Text& line : WhatChanged(b->inventory.get(), a->inventory.get())) {
    answer.text += u"\r\n" + line;
  }
  answer.exitCode = c.restart == Verdict::Slower ? 2 : (c.restart == Verdict::TooFew ? 1 : 0);
  return answer;
}

}  // namespace twk::sequence
