// Images of the real backend, drawn with GDI+ through its flat interface:
// PNG resources, gradients, the check-box box and the header's buttons. An
// image handle is a GpBitmap*; GDI bitmaps come out of ImageToBitmap. When
// GDI+ could not be started every call here fails softly with 0.
#include <objidl.h>

#include <algorithm>
// The GDI+ headers use min and max unqualified.
using std::max;
using std::min;
#include <gdiplus.h>

#include "ui/win32/win32_backend.h"

namespace twk::ui {
namespace {

namespace gp = Gdiplus::DllExports;
using Gdiplus::GpBitmap;
using Gdiplus::GpBrush;
using Gdiplus::GpGraphics;
using Gdiplus::GpImage;
using Gdiplus::GpPath;
using Gdiplus::GpPen;
using Gdiplus::GpSolidFill;
using Gdiplus::Ok;

constexpr Gdiplus::PixelFormat kArgb = 0x26200A;  // 32 bpp ARGB
constexpr Gdiplus::PixelFormat kPargb = 0xE200B;  // 32 bpp premultiplied ARGB
constexpr auto kBicubic = static_cast<Gdiplus::InterpolationMode>(7);
constexpr auto kHighQualityOffset = static_cast<Gdiplus::PixelOffsetMode>(4);
constexpr auto kHighQualitySmoothing = static_cast<Gdiplus::SmoothingMode>(2);

// One owner per GDI+ object kind.
struct Graphics {
  GpGraphics* g = nullptr;
  explicit Graphics(GpImage* image) {
    if (image != nullptr && gp::GdipGetImageGraphicsContext(image, &g) != Ok) g = nullptr;
  }
  ~Graphics() {
    if (g != nullptr) gp::GdipDeleteGraphics(g);
  }
  Graphics(const Graphics&) = delete;
  Graphics& operator=(const Graphics&) = delete;
};
struct Brush {
  GpBrush* b = nullptr;
  ~Brush() {
    if (b != nullptr) gp::GdipDeleteBrush(b);
  }
};
struct Pen {
  GpPen* p = nullptr;
  ~Pen() {
    if (p != nullptr) gp::GdipDeletePen(p);
  }
};
struct Path {
  GpPath* p = nullptr;
  ~Path() {
    if (p != nullptr) gp::GdipDeletePath(p);
  }
};

GpBitmap* NewBitmap(int width, int height, Gdiplus::PixelFormat format) {
  GpBitmap* bitmap = nullptr;
  if (width <= 0 || height <= 0) return nullptr;
  if (gp::GdipCreateBitmapFromScan0(width, height, 0, format, nullptr, &bitmap) != Ok)
    return nullptr;
  return bitmap;
}

// A new bitmap of the given size and format with the image drawn scaled into
// it at high quality.
GpBitmap* Scaled(GpImage* image, int width, int height, Gdiplus::PixelFormat format) {
  GpBitmap* target = NewBitmap(width, height, format);
  if (target == nullptr) return nullptr;
  Graphics g(target);
  if (g.g == nullptr) {
    gp::GdipDisposeImage(target);
    return nullptr;
  }
  gp::GdipSetInterpolationMode(g.g, kBicubic);
  gp::GdipSetPixelOffsetMode(g.g, kHighQualityOffset);
  gp::GdipDrawImageRectI(g.g, image, 0, 0, width, height);
  return target;
}

void ImageSize(GpImage* image, int& width, int& height) {
  UINT w = 0, h = 0;
  gp::GdipGetImageWidth(image, &w);
  gp::GdipGetImageHeight(image, &h);
  width = static_cast<int>(w);
  height = static_cast<int>(h);
}

}  // namespace

Handle Win32Backend::LoadImageResource(int id, int width, int height) {
  const HRSRC found = FindResourceW(resources_, MAKEINTRESOURCEW(id), L"IMAGE");
  if (found == nullptr) return 0;
  const DWORD size = SizeofResource(resources_, found);
  const HGLOBAL loaded = LoadResource(resources_, found);
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (data == nullptr || size == 0) return 0;

  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)) || stream == nullptr) return 0;
  ULARGE_INTEGER streamSize;
  streamSize.QuadPart = size;
  ULONG written = 0;
  GpBitmap* image = nullptr;
  if (SUCCEEDED(stream->SetSize(streamSize)) && SUCCEEDED(stream->Write(data, size, &written)) &&
      written == size) {
    LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    if (gp::GdipCreateBitmapFromStream(stream, &image) != Ok) image = nullptr;
  }
  stream->Release();  // the bitmap holds its own reference
  if (image == nullptr) return 0;

  int ownWidth = 0, ownHeight = 0;
  ImageSize(image, ownWidth, ownHeight);
  if (width == 0) width = ownWidth;
  if (height == 0) height = ownHeight;
  if (width == ownWidth && height == ownHeight) return ToHandle(image);
  GpBitmap* scaled = Scaled(image, width, height, kArgb);
  gp::GdipDisposeImage(image);
  return ToHandle(scaled);
}

Handle Win32Backend::GradientImage(int width, int height, std::uint32_t argbFrom,
                                   std::uint32_t argbTo, int direction) {
  GpBitmap* image = NewBitmap(width, height, kArgb);
  if (image == nullptr) return 0;
  Graphics g(image);
  Gdiplus::GpRect rect(0, 0, width, height);
  Gdiplus::GpLineGradient* line = nullptr;
  const auto mode = static_cast<Gdiplus::LinearGradientMode>(std::clamp(direction, 0, 2));
  if (g.g == nullptr || gp::GdipCreateLineBrushFromRectI(&rect, argbFrom, argbTo, mode,
                                                         Gdiplus::WrapModeTile, &line) != Ok) {
    gp::GdipDisposeImage(image);
    return 0;
  }
  Brush brush{line};
  gp::GdipFillRectangleI(g.g, brush.b, 0, 0, width, height);
  return ToHandle(image);
}

Handle Win32Backend::FramedImage(int width, int height, std::uint32_t argbFill,
                                 std::uint32_t argbFrame, float penWidth) {
  GpBitmap* image = NewBitmap(width, height, kArgb);
  if (image == nullptr) return 0;
  Graphics g(image);
  Pen pen;
  if (g.g == nullptr || gp::GdipCreatePen1(argbFrame, penWidth, Gdiplus::UnitWorld, &pen.p) != Ok) {
    gp::GdipDisposeImage(image);
    return 0;
  }
  gp::GdipGraphicsClear(g.g, argbFill);
  gp::GdipDrawRectangleI(g.g, pen.p, 0, 0, width, height);
  return ToHandle(image);
}

Handle Win32Backend::TitleButtonImage(bool close) {
  GpBitmap* image = NewBitmap(24, 24, kPargb);
  if (image == nullptr) return 0;
  Graphics g(image);
  if (g.g == nullptr) {
    gp::GdipDisposeImage(image);
    return 0;
  }
  gp::GdipGraphicsClear(g.g, 0x00000000);
  gp::GdipSetSmoothingMode(g.g, kHighQualitySmoothing);
  gp::GdipSetPixelOffsetMode(g.g, kHighQualityOffset);
  Pen ring, glyph;
  gp::GdipCreatePen1(0x90FFFFFF, 1.0f, Gdiplus::UnitWorld, &ring.p);
  gp::GdipCreatePen1(0xFFFFFFFF, 2.0f, Gdiplus::UnitWorld, &glyph.p);
  if (ring.p != nullptr) gp::GdipDrawEllipse(g.g, ring.p, 1.5f, 1.5f, 21.0f, 21.0f);
  if (glyph.p != nullptr) {
    if (close) {
      gp::GdipDrawLine(g.g, glyph.p, 8.0f, 8.0f, 16.0f, 16.0f);
      gp::GdipDrawLine(g.g, glyph.p, 16.0f, 8.0f, 8.0f, 16.0f);
    } else {
      gp::GdipDrawLine(g.g, glyph.p, 7.5f, 15.0f, 16.5f, 15.0f);
    }
  }
  return ToHandle(image);
}

Handle Win32Backend::ImageToBitmap(Handle handle, int width, int height) {
  auto* image = reinterpret_cast<GpImage*>(handle);
  if (image == nullptr) return 0;
  int ownWidth = 0, ownHeight = 0;
  ImageSize(image, ownWidth, ownHeight);
  HBITMAP bitmap = nullptr;
  if ((width == 0 || width == ownWidth) && (height == 0 || height == ownHeight)) {
    if (gp::GdipCreateHBITMAPFromBitmap(reinterpret_cast<GpBitmap*>(image), &bitmap, 0) != Ok) {
      return 0;
    }
    return ToHandle(bitmap);
  }
  GpBitmap* scaled = Scaled(image, width, height, kPargb);
  if (scaled == nullptr) return 0;
  if (gp::GdipCreateHBITMAPFromBitmap(scaled, &bitmap, 0) != Ok) bitmap = nullptr;
  gp::GdipDisposeImage(scaled);
  return ToHandle(bitmap);
}

void Win32Backend::ReleaseImage(Handle image) {
  if (image != 0) gp::GdipDisposeImage(reinterpret_cast<GpImage*>(image));
}

Handle Win32Backend::DrawCheckBoxImage(std::uint32_t flags) {
  GpBitmap* canvas = NewBitmap(40, 40, kPargb);
  if (canvas == nullptr) return 0;
  HBITMAP result = nullptr;
  {
    Graphics g(canvas);
    Pen pen;
    Brush white, green;
    if (g.g != nullptr && gp::GdipCreatePen1(0xFF000000, 2.0f, Gdiplus::UnitWorld, &pen.p) == Ok &&
        gp::GdipCreateSolidFill(0xFFFFFFFF, reinterpret_cast<GpSolidFill**>(&white.b)) == Ok &&
        gp::GdipCreateSolidFill(0xFF005F00, reinterpret_cast<GpSolidFill**>(&green.b)) == Ok) {
      gp::GdipSetSmoothingMode(g.g, kHighQualitySmoothing);
      gp::GdipSetPixelOffsetMode(g.g, kHighQualityOffset);
      if ((flags & 4) == 0) {
        gp::GdipFillRectangleI(g.g, white.b, 0, 0, 40, 40);
        gp::GdipDrawRectangleI(g.g, pen.p, 1, 1, 38, 38);
      } else {
        Path box;
        gp::GdipCreatePath(Gdiplus::FillModeAlternate, &box.p);
        if (box.p != nullptr) {
          gp::GdipAddPathLine(box.p, 5, 1, 35, 1);
          gp::GdipAddPathArc(box.p, 31, 1, 8, 8, -90, 90);
          gp::GdipAddPathLine(box.p, 39, 5, 39, 35);
          gp::GdipAddPathArc(box.p, 31, 31, 8, 8, 0, 90);
          gp::GdipAddPathLine(box.p, 35, 39, 5, 39);
          gp::GdipAddPathArc(box.p, 1, 31, 8, 8, 90, 90);
          gp::GdipAddPathLine(box.p, 1, 35, 1, 5);
          gp::GdipAddPathArc(box.p, 1, 1, 8, 8, 180, 90);
          gp::GdipClosePathFigure(box.p);
          gp::GdipFillPath(g.g, white.b, box.p);
          gp::GdipDrawPath(g.g, pen.p, box.p);
        }
      }
      if (flags & 1) {
        const Gdiplus::GpPointF tick[] = {{5.0f, 16.5f}, {14.3f, 22.0f}, {33.7f, 4.6f},
                                          {35.3f, 5.5f}, {16.5f, 35.0f}, {14.0f, 35.0f},
                                          {3.7f, 18.0f}};
        gp::GdipFillPolygon(g.g, green.b, tick, 7, Gdiplus::FillModeAlternate);
      } else if (flags & 2) {
        gp::GdipFillRectangleI(g.g, green.b, 6, 6, 28, 28);
      }
    }
  }
  if (GpBitmap* small = Scaled(canvas, 16, 16, kPargb)) {
    if (gp::GdipCreateHBITMAPFromBitmap(small, &result, 0) != Ok) result = nullptr;
    gp::GdipDisposeImage(small);
  }
  gp::GdipDisposeImage(canvas);
  return ToHandle(result);
}

}  // namespace twk::ui
