#pragma once
// The answer of a port operation that can fail for more than one reason. The
// Win32 adapters map the system's error code to it once, right after the
// failing call; logic and messages choose by it, and the fakes can be told to
// answer any of them.
#include <cstdint>
#include <cstdlib>
#include <utility>

namespace twk::platform {

enum class Status : std::uint8_t {
  Ok,
  NotFound,  // the file, key, value or process is not there
  Denied,    // it is there, but this process may not do that to it
  Failed,    // anything else (out of memory, bad data, a device error, ...)
};

[[nodiscard]] constexpr bool Succeeded(Status s) { return s == Status::Ok; }

// A value together with the status that produced it. A failed answer holds
// no value: whatever an adapter passed along with a failure is dropped, so
// that no caller can go on with a handle of 0 or an empty text as if it had
// been read. value() may only be asked for once ok() said yes (asking
// otherwise stops the program: it is a fault in the caller, not an outcome);
// value_or() names what stands in for a failure where that is the intent.
template <class T>
class [[nodiscard]] Answer {
 public:
  Answer() = default;  // Failed
  Answer(Status status) : status_(status) {}  // NOLINT: a failure converts
  Answer(T value) : status_(Status::Ok), value_(std::move(value)) {}  // NOLINT: so does a value
  Answer(Status status, T value)
      : status_(status), value_(status == Status::Ok ? std::move(value) : T{}) {}

  [[nodiscard]] Status status() const { return status_; }
  [[nodiscard]] bool ok() const { return status_ == Status::Ok; }

  [[nodiscard]] const T& value() const& { return Checked(*this).value_; }
  [[nodiscard]] T& value() & { return Checked(*this).value_; }
  [[nodiscard]] T&& value() && { return std::move(Checked(*this).value_); }

  [[nodiscard]] T value_or(T fallback) const& { return ok() ? value_ : std::move(fallback); }
  [[nodiscard]] T value_or(T fallback) && { return ok() ? std::move(value_) : std::move(fallback); }

 private:
  template <class Self>
  static Self& Checked(Self& self) {
    if (!self.ok()) std::abort();
    return self;
  }

  Status status_ = Status::Failed;
  T value_{};
};

}  // namespace twk::platform
