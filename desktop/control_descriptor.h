#pragma once
// Control descriptors: short texts that name one window among all the
// windows below a root, by class name, text, control identifier, class name
// with a running number ("Edit3") and instance number. Two forms:
//
//   advanced  [CLASS:Edit;TEXT:Name;INSTANCE:2]   every given criterion holds
//   plain     Button2   or   1001                  class-with-number or text; or an identifier
//
// Parsing and matching are kept apart from the walk over the windows, which
// is the window-tree port's.
#include <cstdint>
#include <optional>

#include "base/text.h"
#include "platform/window_tree.h"

namespace twk::desktop {

// The criteria of one search and its running state.
struct ControlSearch {
  Text className;             // CLASS: the class name must equal it
  Text classNN;               // CLASSNN: class name followed by a running number
  Text text;                  // TEXT: the window text, "&" removed, must equal it
  std::int32_t id = 0;        // ID: the control identifier must equal it; 0 = no test
  std::int32_t instance = 0;  // take the n-th match; 0 or 1 = the first
  std::int32_t count = 0;     // matches so far
  platform::WindowHandle result = platform::kNoWindow;
  bool advanced = false;
  bool numeric = false;  // plain form that is a control identifier
};

// Buffers in which a candidate's properties are read, in units with the
// terminator: so at most 259 characters of a class name, 511 of a text.
inline constexpr std::size_t kClassNameCapacity = 260;
inline constexpr std::size_t kWindowTextCapacity = 512;

// The criteria of descriptor, or nothing when it can select no window (an
// empty descriptor, an advanced one without class, text, class-with-number
// or identifier).
std::optional<ControlSearch> ParseDescriptor(const Text& descriptor);

// Tests one candidate; a match is counted, and the match that reaches the
// instance number becomes the result. True when the search is over.
bool OfferCandidate(ControlSearch& search, platform::WindowTree& windows,
                    platform::WindowHandle candidate);

}  // namespace twk::desktop
