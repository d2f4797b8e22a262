#pragma once
// Owners of the GDI+ objects that the drawing code takes through the flat
// interface, on the one owner template of every Win32 handle. They live here
// rather than in platform/win32/handles.h because the GDI+ headers are
// included by the drawing code only.
#include <objidl.h>

#include <algorithm>

// The GDI+ headers use min and max unqualified.
using std::max;
using std::min;
#include <gdiplus.h>

#include "platform/win32/handles.h"

namespace twk::ui::gdiplus {

namespace detail {
inline void DisposeImage(Gdiplus::GpImage* image) { Gdiplus::DllExports::GdipDisposeImage(image); }
inline void DeleteGraphics(Gdiplus::GpGraphics* graphics) {
  Gdiplus::DllExports::GdipDeleteGraphics(graphics);
}
inline void DeleteBrush(Gdiplus::GpBrush* brush) { Gdiplus::DllExports::GdipDeleteBrush(brush); }
inline void DeletePen(Gdiplus::GpPen* pen) { Gdiplus::DllExports::GdipDeletePen(pen); }
inline void DeletePath(Gdiplus::GpPath* path) { Gdiplus::DllExports::GdipDeletePath(path); }
inline void DeleteFont(Gdiplus::GpFont* font) { Gdiplus::DllExports::GdipDeleteFont(font); }
inline void DeleteFormat(Gdiplus::GpStringFormat* format) {
  Gdiplus::DllExports::GdipDeleteStringFormat(format);
}
}  // namespace detail

template <class T, void (*Release)(T)>
using Owner = platform::win32::UniqueHandle<platform::win32::NullIsNone<T, Release>>;

using UniqueGpImage = Owner<Gdiplus::GpImage*, detail::DisposeImage>;
using UniqueGpGraphics = Owner<Gdiplus::GpGraphics*, detail::DeleteGraphics>;
using UniqueGpBrush = Owner<Gdiplus::GpBrush*, detail::DeleteBrush>;
using UniqueGpPen = Owner<Gdiplus::GpPen*, detail::DeletePen>;
using UniqueGpPath = Owner<Gdiplus::GpPath*, detail::DeletePath>;
using UniqueGpFont = Owner<Gdiplus::GpFont*, detail::DeleteFont>;
using UniqueGpStringFormat = Owner<Gdiplus::GpStringFormat*, detail::DeleteFormat>;

}  // namespace twk::ui::gdiplus
