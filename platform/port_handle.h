#pragma once
// The one owner shape of the handles that ports hand out (registry keys,
// processes, tokens, devices, ...): move-only, closes the handle through the
// port that opened it, on every path out of the scope that took it.
//
//   using OwnedKey = PortHandle<Registry, RegistryKey, &Registry::CloseKey>;
//   OwnedKey key(registry, registry.OpenKey(...));
//
// A handle value of 0 (the ports' "none") is never closed.
#include <utility>

namespace twk::platform {

template <class Port, class Handle, void (Port::*Close)(Handle)>
class PortHandle {
 public:
  PortHandle() = default;
  PortHandle(Port& port, Handle handle) : port_(&port), handle_(handle) {}
  ~PortHandle() { Reset(); }
  PortHandle(PortHandle&& other) noexcept
      : port_(other.port_), handle_(std::exchange(other.handle_, Handle{})) {}
  PortHandle& operator=(PortHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      port_ = other.port_;
      handle_ = std::exchange(other.handle_, Handle{});
    }
    return *this;
  }
  PortHandle(const PortHandle&) = delete;
  PortHandle& operator=(const PortHandle&) = delete;

  [[nodiscard]] Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Handle{}; }
  // Gives up ownership, for a handle that goes on to someone else.
  [[nodiscard]] Handle Release() { return std::exchange(handle_, Handle{}); }
  void Reset() {
    const Handle old = std::exchange(handle_, Handle{});
    if (old != Handle{} && port_ != nullptr) (port_->*Close)(old);
  }

 private:
  Port* port_ = nullptr;
  Handle handle_{};
};

}  // namespace twk::platform
