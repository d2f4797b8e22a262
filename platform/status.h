#pragma once
// The answer of a port operation that can fail for more than one reason. The
// Win32 adapters map the system's error code to it once, right after the
// failing call; logic and messages choose by it, and the fakes can be told to
// answer any of them.
#include <cstdint>

namespace twk::platform {

enum class Status : std::uint8_t {
  Ok,
  NotFound,  // the file, key, value or process is not there
  Denied,    // it is there, but this process may not do that to it
  Failed,    // anything else (out of memory, bad data, a device error, ...)
};

[[nodiscard]] constexpr bool Succeeded(Status s) { return s == Status::Ok; }

// A value together with the status that produced it; the value is only
// meaningful when the status is Ok.
template <class T>
struct Answer {
  Status status = Status::Failed;
  T value{};
  [[nodiscard]] bool ok() const { return status == Status::Ok; }
};

}  // namespace twk::platform
