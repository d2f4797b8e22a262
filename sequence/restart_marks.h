#pragma once
// Restarts that were not plain ones. A restart that installs updates, or in
// which Windows starts more than once (an update's second boot, a crash, a
// power cut), takes far longer than the restarts around it for reasons that
// have nothing to do with the machine's start; kept in the median or the
// comparison with another sequence, it would say the machine got slower.
//
// Two readings tell them: when the restart is requested (whether Windows
// has updates waiting for a restart, and its boot counter), kept in the
// settings file beside the shutdown stamp, and the boot counter again at the
// start after it. A reading that cannot be made marks nothing.
#include <cstdint>
#include <optional>

#include "base/strings.h"
#include "platform/registry.h"
#include "sequence/measurement_store.h"

namespace twk::sequence {

// Windows Update and the component servicing each create one of these keys
// while an installation waits for a restart, and remove it once done. The
// 64-bit view: a 32-bit process on 64-bit Windows would otherwise look in
// WOW6432Node, where neither is ever made.
inline constexpr char16_t kUpdateRebootRequiredKey[] =
    u"HKLM64\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update\\"
    u"RebootRequired";
inline constexpr char16_t kServicingRebootPendingKey[] =
    u"HKLM64\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Component Based Servicing\\"
    u"RebootPending";
// Windows counts its boots here (REG_DWORD), one more at every start.
inline constexpr char16_t kPrefetchParametersKey[] =
    u"HKLM64\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management\\"
    u"PrefetchParameters";
inline constexpr char16_t kBootIdValue[] = u"BootId";

// Whether Windows has updates waiting for a restart. A key that exists but
// may not be opened is there all the same; any other failure says no.
[[nodiscard]] bool UpdatesWaiting(platform::Registry& registry);
// Windows' boot counter; none when it cannot be read or is not a REG_DWORD.
[[nodiscard]] std::optional<std::uint32_t> ReadBootId(platform::Registry& registry);
[[nodiscard]] RestartRequest ReadRestartRequest(platform::Registry& registry);

// The mark of a restart from the readings at its request and the boot
// counter at the start after it. Updates come first: installing them is
// what usually starts Windows more than once.
[[nodiscard]] RestartMark MarkOf(const RestartRequest& atRequest,
                                 std::optional<std::uint32_t> bootIdAfter);

// At a restart request, just after its shutdown stamp: the readings into the
// measurements (saved with the stamp).
bool NoteRestartRequest(platform::Registry& registry, MeasurementStore& measurements);

// At the start after a restart, once its figure is recorded under
// `restartKey`: the restart's mark from the kept readings and the boot
// counter now. True when the document changed.
bool MarkMeasuredRestart(platform::Registry& registry, MeasurementStore& measurements,
                         const Text& restartKey);

// The history window's note of a mark: "updates installed", "Windows
// started more than once"; empty for none.
[[nodiscard]] Text MarkNote(RestartMark mark);

}  // namespace twk::sequence
