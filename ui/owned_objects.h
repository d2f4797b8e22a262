#pragma once
// Owners of the objects a window backend hands out (brushes, bitmaps, icons,
// images), so that portable code never frees them by hand. The release
// calls sit in a small base of WindowBackend: the control table keeps owners
// in its records and must not depend on the whole backend.
//
//   OwnedObject bitmap(backend, backend.MakeObject(ui::draw::BitmapOfImage(image, 24, 24)));
#include "platform/port_handle.h"
#include "ui/types.h"

namespace twk::ui {

// How an object is released: GDI objects (brushes, bitmaps), icons, and
// images (drawing surfaces: GDI+ bitmaps in the real backend) each by their
// own call.
enum class ReleaseBy { GdiObject, Icon, Image };

class BackendObjects {
 public:
  virtual ~BackendObjects() = default;

  virtual void ReleaseObject(ReleaseBy how, Handle object) = 0;

  void DeleteObject(Handle object) { ReleaseObject(ReleaseBy::GdiObject, object); }
  void DestroyIcon(Handle icon) { ReleaseObject(ReleaseBy::Icon, icon); }
  void ReleaseImage(Handle image) { ReleaseObject(ReleaseBy::Image, image); }
};

using OwnedObject = platform::PortHandle<BackendObjects, Handle, &BackendObjects::DeleteObject>;
using OwnedIcon = platform::PortHandle<BackendObjects, Handle, &BackendObjects::DestroyIcon>;
using OwnedImage = platform::PortHandle<BackendObjects, Handle, &BackendObjects::ReleaseImage>;

}  // namespace twk::ui
