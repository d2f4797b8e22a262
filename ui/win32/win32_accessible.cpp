// Names for assistive technology, through the system's dynamic annotation
// (IAccPropServices): the name the toolkit decided is set as the control's
// client name, and a screen reader reads it instead of what it would guess.
// The service lives in oleacc.dll and is made through COM on the window's
// thread. Where it cannot be had, or answers that it cannot do this (Wine),
// the names are left to the system and the program goes on.
#include <windows.h>
// after windows.h
#include <oleacc.h>

#include "platform/win32/com_apartment.h"
#include "platform/win32/handles.h"
#include "ui/win32/win32_backend.h"

namespace twk::ui {
namespace {

// The service's class, its interface and the name property, as oleacc.h
// declares them; spelt out here so that nothing is linked from oleacc
// besides what COM loads.
constexpr CLSID kAccPropServices = {
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr IID kIAccPropServices = {
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr GUID kNameProperty = {
    0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};

}  // namespace

class AccessibleNames {
 public:
  // Null when the service cannot be made.
  static std::unique_ptr<AccessibleNames, AccessibleNamesDeleter> Make() {
    std::unique_ptr<AccessibleNames, AccessibleNamesDeleter> made(new AccessibleNames);
    if (!made->apartment_.usable()) return nullptr;
    if (FAILED(CoCreateInstance(kAccPropServices, nullptr, CLSCTX_INPROC_SERVER, kIAccPropServices,
                                reinterpret_cast<void**>(made->service_.Receive()))) ||
        !made->service_) {
      return nullptr;
    }
    return made;
  }

  // The answer of the service: E_NOTIMPL where it only pretends to be there.
  HRESULT Set(HWND window, const Text& name) {
    if (name.empty()) {
      return service_.get()->ClearHwndProps(window, OBJID_CLIENT, CHILDID_SELF, &kNameProperty, 1);
    }
    Text copy = name;
    return service_.get()->SetHwndPropStr(window, OBJID_CLIENT, CHILDID_SELF, kNameProperty,
                                          const_cast<wchar_t*>(Wide(copy)));
  }

  void Clear(HWND window) {
    (void)service_.get()->ClearHwndProps(window, OBJID_CLIENT, CHILDID_SELF, &kNameProperty, 1);
  }

 private:
  AccessibleNames() = default;
  // Declared first, so that it ends last: the service goes while COM is up.
  platform::win32::ComApartment apartment_;
  platform::win32::ComRef<IAccPropServices> service_;
};

void AccessibleNamesDeleter::operator()(AccessibleNames* names) const { delete names; }

void Win32Backend::SetAccessibleName(Handle control, const Text& name) {
  if (!namesTried_) {
    namesTried_ = true;
    names_ = AccessibleNames::Make();
  }
  if (!names_) return;
  const HWND window = ToHwnd(control);
  const HRESULT hr = names_->Set(window, name);
  if (hr == E_NOTIMPL) {
    // Asking again for every control would only be refused again.
    names_.reset();
    return;
  }
  if (SUCCEEDED(hr)) {
    if (ControlInfo* info = FindControl(window)) info->named = !name.empty();
  }
}

void Win32Backend::ForgetAccessibleName(HWND window) {
  // The service keeps what it was told about a window until told otherwise.
  const ControlInfo* info = FindControl(window);
  if (names_ && info != nullptr && info->named) names_->Clear(window);
}

}  // namespace twk::ui
