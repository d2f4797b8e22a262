#include "settings/catalogue.h"

namespace twk::settings {

std::int32_t ReadInteger(const SettingsFile& settings, const Text& section, const Text& key) {
  const Text* value = settings.GetValue(section, key);
  return value != nullptr ? ToInteger(*value) : 0;
}

bool ReadSwitch(const SettingsFile& settings, const Text& section, const Text& key) {
  return ReadInteger(settings, section, key) != 0;
}

std::int32_t ReadTimesToReboot(const SettingsFile& settings) {
  const std::int32_t times = ReadInteger(settings, section::Setup, key::TimesToReboot);
  return times != 0 ? times : DefaultTimesToReboot;
}

std::int32_t ReadRebootDelay(const SettingsFile& settings) {
  const std::int32_t delay = ReadInteger(settings, section::Setup, key::RebootDelay);
  return delay != 0 ? delay : DefaultRebootDelay;
}

std::size_t WriteSwitch(SettingsFile& settings, const Text& section, const Text& key, bool on) {
  return settings.SetValue(section, key, on ? SwitchOn : SwitchOff);
}

std::size_t WriteInteger(SettingsFile& settings, const Text& section, const Text& key,
                         std::int32_t value) {
  return settings.SetValue(section, key, FormatSigned(value));
}

std::size_t WriteUnsigned(SettingsFile& settings, const Text& section, const Text& key,
                          std::uint32_t value) {
  return settings.SetValue(section, key, FormatUnsigned(value));
}

}  // namespace twk::settings
