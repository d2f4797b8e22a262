#include "context/scripted_start.h"

#include "context/switches.h"

namespace twk::context {
namespace {

enum Id : std::size_t { kStart, kTotal, kDelay, kDefrag, kIdle, kIcons, kNoReport, kCount };

struct Switch {
  const char16_t* name;
  bool takesValue;
};

// In the order of Id.
constexpr Switch kSwitches[kCount] = {
    {switches::kStart, false},     {switches::kTotalReboots, true}, {switches::kDelay, true},
    {switches::kDefrag, false},    {switches::kIdleTasks, false},   {switches::kIcons, false},
    {switches::kNoReport, false},
};

// The switch an argument names, and its value after the colon: kCount when
// it names none of them.
std::size_t Identify(const Text& argument, Text& value, bool& hasValue) {
  const std::size_t colon = argument.find(u':');
  const Text name = argument.substr(0, colon);
  hasValue = colon != Text::npos;
  value = hasValue ? argument.substr(colon + 1) : Text();
  for (std::size_t i = 0; i < kCount; ++i) {
    if (EqualsIgnoreCase(name, kSwitches[i].name)) return i;
  }
  return kCount;
}

}  // namespace

ScriptedStartRequest ReadScriptedStart(const std::vector<Text>& arguments) {
  ScriptedStartRequest request;
  for (const Text& argument : arguments) {
    Text value;
    bool hasValue = false;
    if (Identify(argument, value, hasValue) == kStart) request.asked = true;
  }
  if (!request.asked) return request;

  ScriptedStart start;
  bool seen[kCount] = {};
  const auto refuse = [&request](const Text& problem) {
    request.problem = problem;
    return request;
  };
  for (const Text& argument : arguments) {
    if (argument.empty()) continue;  // "" names nothing
    Text value;
    bool hasValue = false;
    const std::size_t i = Identify(argument, value, hasValue);
    if (i == kCount) return refuse(u"Unknown argument: " + argument);
    const Text name = kSwitches[i].name;
    if (kSwitches[i].takesValue && !hasValue)
      return refuse(name + u" needs a value: " + name + u":");
    if (!kSwitches[i].takesValue && hasValue) return refuse(name + u" takes no value: " + argument);
    if (seen[i]) return refuse(name + u" is given twice");
    seen[i] = true;
    switch (i) {
      case kTotal:
        start.totalReboots = value;
        break;
      case kDelay:
        start.delayMinutes = value;
        break;
      case kDefrag:
        start.defrag = true;
        break;
      case kIdle:
        start.idleTasks = true;
        break;
      case kIcons:
        start.icons = true;
        break;
      case kNoReport:
        start.noReport = true;
        break;
      default:
        break;
    }
  }
  if (!seen[kTotal]) return refuse(u"Missing /TotalReboots:N");
  if (!seen[kDelay]) return refuse(u"Missing /Delay:M");
  request.start = start;
  return request;
}

}  // namespace twk::context
