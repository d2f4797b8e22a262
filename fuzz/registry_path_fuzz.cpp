// Any text as a registry path: splitting and converting must not crash, a
// split must leave a suffix of the path, and a conversion must produce one
// of the object name roots.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/fake/fake_registry.h"
#include "platform/registry_path.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

bool StartsWith(const twk::Text& text, const twk::Text& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using twk::Text;
  Text path(size / 2, u'\0');
  std::memcpy(path.data(), data, path.size() * 2);

  Text rest = path;
  std::uint32_t access = 0x20019;
  if (twk::platform::SplitRegistryRoot(rest, &access)) {
    Require(rest.size() < path.size());
    Require(path.compare(path.size() - rest.size(), rest.size(), rest) == 0);
    Require((access & ~0x0300u) == 0x20019);
  } else {
    Require(rest == path && access == 0x20019);
  }

  for (bool wow64 : {false, true}) {
    twk::platform::FakeRegistry registry;
    registry.SetMachine(true, wow64);
    Text name = path;
    if (twk::platform::ToSecurityObjectName(registry, name)) {
      Require(StartsWith(name, u"MACHINE") || StartsWith(name, u"USERS") ||
              StartsWith(name, u"CURRENT_USER") || StartsWith(name, u"CLASSES_ROOT"));
    }
    registry.CloseKey(twk::platform::OpenRegistryPath(registry, path, 0x20019)
                                   .value_or(twk::platform::kNoKey));
    Require(registry.openHandleCount() == 0 && registry.badCloses() == 0);
  }
  return 0;
}
