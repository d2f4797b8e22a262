#pragma once
// Owners of the objects a window backend hands out (brushes, bitmaps, icons,
// images), so that portable code never frees them by hand. The release
// calls sit in a small base of WindowBackend: the control table keeps owners
// in its records and must not depend on the whole backend.
//
//   OwnedObject bitmap(backend, backend.ImageToBitmap(image, 24, 24));
#include "platform/port_handle.h"
#include "ui/types.h"

namespace twk::ui {

class BackendObjects {
 public:
  virtual ~BackendObjects() = default;

  virtual void DeleteObject(Handle object) = 0;  // brush or bitmap
  virtual void DestroyIcon(Handle icon) = 0;
  // Images are drawing surfaces (GDI+ bitmaps in the real backend).
  virtual void ReleaseImage(Handle image) = 0;
};

using OwnedObject = platform::PortHandle<BackendObjects, Handle, &BackendObjects::DeleteObject>;
using OwnedIcon = platform::PortHandle<BackendObjects, Handle, &BackendObjects::DestroyIcon>;
using OwnedImage = platform::PortHandle<BackendObjects, Handle, &BackendObjects::ReleaseImage>;

}  // namespace twk::ui
