#include "sequence/restart_marks.h"

#include "platform/port_handle.h"
#include "platform/registry_path.h"

namespace twk::sequence {
namespace {

namespace KeyAccess = platform::KeyAccess;
using platform::OwnedKey;
using platform::Status;

bool KeyExists(platform::Registry& registry, const Text& path) {
  const platform::Answer<platform::RegistryKey> opened =
      platform::OpenRegistryPath(registry, path, KeyAccess::QueryValue);
  const OwnedKey key(registry, opened.value_or(platform::kNoKey));
  return opened.ok() || opened.status() == Status::Denied;
}

}  // namespace

bool UpdatesWaiting(platform::Registry& registry) {
  return KeyExists(registry, kUpdateRebootRequiredKey) ||
         KeyExists(registry, kServicingRebootPendingKey);
}

std::optional<std::uint32_t> ReadBootId(platform::Registry& registry) {
  const platform::Answer<platform::RegistryKey> opened =
      platform::OpenRegistryPath(registry, kPrefetchParametersKey, KeyAccess::QueryValue);
  if (!opened.ok()) return std::nullopt;
  const OwnedKey key(registry, opened.value());
  const platform::Answer<platform::RegistryValue> value =
      registry.QueryValue(key.get(), kBootIdValue);
  if (!value.ok() || value.value().type != platform::ValueType::Dword ||
      value.value().data.size() != sizeof(std::uint32_t)) {
    return std::nullopt;
  }
  // REG_DWORD is little-endian, as every machine Windows runs on.
  const std::vector<std::uint8_t>& bytes = value.value().data;
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

RestartRequest ReadRestartRequest(platform::Registry& registry) {
  return {UpdatesWaiting(registry), ReadBootId(registry)};
}

RestartMark MarkOf(const RestartRequest& atRequest, std::optional<std::uint32_t> bootIdAfter) {
  if (atRequest.updatesWaiting) return RestartMark::Updates;
  // A counter that went down (a reinstalled or restored system) did not
  // grow: nothing can be told from it.
  if (atRequest.bootId && bootIdAfter && *bootIdAfter > *atRequest.bootId &&
      *bootIdAfter - *atRequest.bootId > 1) {
    return RestartMark::ExtraBoots;
  }
  return RestartMark::None;
}

bool NoteRestartRequest(platform::Registry& registry, MeasurementStore& measurements) {
  return measurements.RecordRestartRequest(ReadRestartRequest(registry));
}

bool MarkMeasuredRestart(platform::Registry& registry, MeasurementStore& measurements,
                         const Text& restartKey) {
  const RestartRequest& request = measurements.request();
  // The counter only when the request's reading has one to compare with.
  const std::optional<std::uint32_t> after = request.bootId ? ReadBootId(registry) : std::nullopt;
  return measurements.RecordMark(restartKey, MarkOf(request, after));
}

Text MarkNote(RestartMark mark) {
  switch (mark) {
    case RestartMark::Updates:
      return u"updates installed";
    case RestartMark::ExtraBoots:
      return u"Windows started more than once";
    case RestartMark::None:
      break;
  }
  return Text();
}

}  // namespace twk::sequence
