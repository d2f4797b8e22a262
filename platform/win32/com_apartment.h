#pragma once
#include <windows.h>

namespace twk::platform::win32 {

// COM on this thread for as long as it lives. A thread that already runs
// in an apartment of its own kind is counted once more (S_FALSE) and has
// that undone; one in the other kind (RPC_E_CHANGED_MODE) is left exactly
// as it was: COM is up, just not by us, so there is nothing to undo, and
// undoing it would pull COM from under the caller.
class ComApartment {
 public:
  ComApartment() : started_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComApartment() {
    if (started_ == S_OK || started_ == S_FALSE) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  [[nodiscard]] bool usable() const {
    return SUCCEEDED(started_) || started_ == RPC_E_CHANGED_MODE;
  }

 private:
  HRESULT started_;
};

}  // namespace twk::platform::win32
