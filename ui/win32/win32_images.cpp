// Images of the real backend, drawn with GDI+ through its flat interface:
// PNG resources, gradients, the check-box box and the header's buttons. An
// image handle is a GpBitmap*; GDI bitmaps come out of ImageToBitmap. When
// GDI+ could not be started every call here fails softly with 0.
#include "ui/resource_ids.h"
#include "ui/win32/gdiplus_owners.h"
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

// The GDI+ objects, owned like every other Win32 handle.
using gdiplus::UniqueGpBrush;
using gdiplus::UniqueGpGraphics;
using gdiplus::UniqueGpImage;
using gdiplus::UniqueGpPath;
using gdiplus::UniqueGpPen;

// A drawing context on the image; none when there is no image or GDI+
// refuses one.
UniqueGpGraphics GraphicsOf(GpImage* image) {
  UniqueGpGraphics graphics;
  if (image != nullptr && gp::GdipGetImageGraphicsContext(image, graphics.Receive()) != Ok) {
    graphics.Reset();
  }
  return graphics;
}

UniqueGpBrush SolidFill(Gdiplus::ARGB colour) {
  GpSolidFill* fill = nullptr;
  if (gp::GdipCreateSolidFill(colour, &fill) != Ok) return UniqueGpBrush();
  return UniqueGpBrush(fill);
}

UniqueGpPen NewPen(Gdiplus::ARGB colour, float width) {
  UniqueGpPen pen;
  if (gp::GdipCreatePen1(colour, width, Gdiplus::UnitWorld, pen.Receive()) != Ok) pen.Reset();
  return pen;
}

UniqueGpImage NewBitmap(int width, int height, Gdiplus::PixelFormat format) {
  GpBitmap* bitmap = nullptr;
  if (width <= 0 || height <= 0) return UniqueGpImage();
  if (gp::GdipCreateBitmapFromScan0(width, height, 0, format, nullptr, &bitmap) != Ok) {
    return UniqueGpImage();
  }
  return UniqueGpImage(bitmap);
}

// A new bitmap of the given size and format with the image drawn scaled into
// it at high quality.
UniqueGpImage Scaled(GpImage* image, int width, int height, Gdiplus::PixelFormat format) {
  UniqueGpImage target = NewBitmap(width, height, format);
  if (!target) return target;
  const UniqueGpGraphics g = GraphicsOf(target.get());
  if (!g) return UniqueGpImage();
  // Transparent where the image is: a new bitmap's pixels are not cleared
  // everywhere (Wine leaves them black and opaque).
  gp::GdipGraphicsClear(g.get(), 0x00000000);
  gp::GdipSetInterpolationMode(g.get(), kBicubic);
  gp::GdipSetPixelOffsetMode(g.get(), kHighQualityOffset);
  gp::GdipDrawImageRectI(g.get(), image, 0, 0, width, height);
  return target;
}

// The GDI bitmap of a GDI+ bitmap, or null.
HBITMAP ToGdiBitmap(GpImage* image) {
  HBITMAP bitmap = nullptr;
  if (gp::GdipCreateHBITMAPFromBitmap(static_cast<GpBitmap*>(image), &bitmap, 0) != Ok) {
    return nullptr;
  }
  return bitmap;
}

void ImageSize(GpImage* image, int& width, int& height) {
  UINT w = 0, h = 0;
  gp::GdipGetImageWidth(image, &w);
  gp::GdipGetImageHeight(image, &h);
  width = static_cast<int>(w);
  height = static_cast<int>(h);
}

// A PNG of resource type "IMAGE" decoded, or none.
UniqueGpImage DecodeImageResource(HMODULE resources, int id) {
  const HRSRC found = FindResourceW(resources, MAKEINTRESOURCEW(id), L"IMAGE");
  if (found == nullptr) return UniqueGpImage();
  const DWORD size = SizeofResource(resources, found);
  const HGLOBAL loaded = LoadResource(resources, found);
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (data == nullptr || size == 0) return UniqueGpImage();

  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)) || stream == nullptr) {
    return UniqueGpImage();
  }
  ULARGE_INTEGER streamSize;
  streamSize.QuadPart = size;
  ULONG written = 0;
  UniqueGpImage image;
  if (SUCCEEDED(stream->SetSize(streamSize)) && SUCCEEDED(stream->Write(data, size, &written)) &&
      written == size) {
    LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    GpBitmap* decoded = nullptr;
    if (gp::GdipCreateBitmapFromStream(stream, &decoded) == Ok) image.Reset(decoded);
  }
  stream->Release();  // the bitmap holds its own reference
  return image;
}

}  // namespace

Handle Win32Backend::LoadImageResource(int id, int width, int height) {
  UniqueGpImage image = DecodeImageResource(resources_, id);
  if (!image) return 0;
  int ownWidth = 0, ownHeight = 0;
  ImageSize(image.get(), ownWidth, ownHeight);
  // Asked larger than it is drawn (a display scale above 100 %): the
  // drawing at twice its size, reduced, stays sharp where the small one
  // enlarged would blur.
  if (width > ownWidth || height > ownHeight) {
    if (UniqueGpImage large = DecodeImageResource(resources_, id + resource::kLargeImageOffset)) {
      image = std::move(large);
      ImageSize(image.get(), ownWidth, ownHeight);
    }
  }
  if (width == 0) width = ownWidth;
  if (height == 0) height = ownHeight;
  if (width == ownWidth && height == ownHeight) return ToHandle(image.Release());
  return ToHandle(Scaled(image.get(), width, height, kArgb).Release());
}

Handle Win32Backend::GradientImage(int width, int height, std::uint32_t argbFrom,
                                   std::uint32_t argbTo, int direction) {
  UniqueGpImage image = NewBitmap(width, height, kArgb);
  const UniqueGpGraphics g = GraphicsOf(image.get());
  Gdiplus::GpRect rect(0, 0, width, height);
  Gdiplus::GpLineGradient* line = nullptr;
  const auto mode = static_cast<Gdiplus::LinearGradientMode>(std::clamp(direction, 0, 2));
  if (!g || gp::GdipCreateLineBrushFromRectI(&rect, argbFrom, argbTo, mode, Gdiplus::WrapModeTile,
                                             &line) != Ok) {
    return 0;
  }
  const UniqueGpBrush brush(line);
  gp::GdipFillRectangleI(g.get(), brush.get(), 0, 0, width, height);
  return ToHandle(image.Release());
}

Handle Win32Backend::FramedImage(int width, int height, std::uint32_t argbFill,
                                 std::uint32_t argbFrame, float penWidth) {
  UniqueGpImage image = NewBitmap(width, height, kArgb);
  const UniqueGpGraphics g = GraphicsOf(image.get());
  const UniqueGpPen pen = NewPen(argbFrame, penWidth);
  if (!g || !pen) return 0;
  gp::GdipGraphicsClear(g.get(), argbFill);
  gp::GdipDrawRectangleI(g.get(), pen.get(), 0, 0, width, height);
  return ToHandle(image.Release());
}

Handle Win32Backend::TitleButtonImage(TitleButton button, int size) {
  UniqueGpImage image = NewBitmap(size, size, kPargb);
  const UniqueGpGraphics g = GraphicsOf(image.get());
  if (!g) return 0;
  // Drawn on the 24-pixel design at any scale.
  const float scale = static_cast<float>(size) / 24.0f;
  if (size != 24) gp::GdipScaleWorldTransform(g.get(), scale, scale, Gdiplus::MatrixOrderPrepend);
  gp::GdipGraphicsClear(g.get(), 0x00000000);
  gp::GdipSetSmoothingMode(g.get(), kHighQualitySmoothing);
  gp::GdipSetPixelOffsetMode(g.get(), kHighQualityOffset);
  const UniqueGpPen ring = NewPen(0x90FFFFFF, 1.0f);
  const UniqueGpPen glyph = NewPen(0xFFFFFFFF, 2.0f);
  if (ring) gp::GdipDrawEllipse(g.get(), ring.get(), 1.5f, 1.5f, 21.0f, 21.0f);
  if (glyph) {
    if (button == TitleButton::Close) {
      gp::GdipDrawLine(g.get(), glyph.get(), 8.0f, 8.0f, 16.0f, 16.0f);
      gp::GdipDrawLine(g.get(), glyph.get(), 16.0f, 8.0f, 8.0f, 16.0f);
    } else {
      gp::GdipDrawLine(g.get(), glyph.get(), 7.5f, 15.0f, 16.5f, 15.0f);
    }
  }
  return ToHandle(image.Release());
}

Handle Win32Backend::ImageToBitmap(Handle handle, int width, int height) {
  auto* image = reinterpret_cast<GpImage*>(handle);
  if (image == nullptr) return 0;
  int ownWidth = 0, ownHeight = 0;
  ImageSize(image, ownWidth, ownHeight);
  if ((width == 0 || width == ownWidth) && (height == 0 || height == ownHeight)) {
    return ToHandle(ToGdiBitmap(image));
  }
  const UniqueGpImage scaled = Scaled(image, width, height, kPargb);
  if (!scaled) return 0;
  return ToHandle(ToGdiBitmap(scaled.get()));
}

void Win32Backend::DisposeImage(Handle image) {
  if (image != 0) gp::GdipDisposeImage(reinterpret_cast<GpImage*>(image));
}

Handle Win32Backend::DrawCheckBoxImage(std::uint32_t flags, int size) {
  const UniqueGpImage canvas = NewBitmap(40, 40, kPargb);
  if (!canvas) return 0;
  {
    // Drawing ends (the graphics go) before the canvas is scaled.
    const UniqueGpGraphics graphics = GraphicsOf(canvas.get());
    const UniqueGpPen pen = NewPen(0xFF000000, 2.0f);
    const UniqueGpBrush white = SolidFill(0xFFFFFFFF);
    const UniqueGpBrush green = SolidFill(0xFF005F00);
    GpGraphics* const g = graphics.get();
    if (g != nullptr && pen && white && green) {
      gp::GdipSetSmoothingMode(g, kHighQualitySmoothing);
      gp::GdipSetPixelOffsetMode(g, kHighQualityOffset);
      if ((flags & 4) == 0) {
        gp::GdipFillRectangleI(g, white.get(), 0, 0, 40, 40);
        gp::GdipDrawRectangleI(g, pen.get(), 1, 1, 38, 38);
      } else {
        UniqueGpPath path;
        if (gp::GdipCreatePath(Gdiplus::FillModeAlternate, path.Receive()) != Ok) path.Reset();
        if (GpPath* const box = path.get()) {
          gp::GdipAddPathLine(box, 5, 1, 35, 1);
          gp::GdipAddPathArc(box, 31, 1, 8, 8, -90, 90);
          gp::GdipAddPathLine(box, 39, 5, 39, 35);
          gp::GdipAddPathArc(box, 31, 31, 8, 8, 0, 90);
          gp::GdipAddPathLine(box, 35, 39, 5, 39);
          gp::GdipAddPathArc(box, 1, 31, 8, 8, 90, 90);
          gp::GdipAddPathLine(box, 1, 35, 1, 5);
          gp::GdipAddPathArc(box, 1, 1, 8, 8, 180, 90);
          gp::GdipClosePathFigure(box);
          gp::GdipFillPath(g, white.get(), box);
          gp::GdipDrawPath(g, pen.get(), box);
        }
      }
      if (flags & 1) {
        const Gdiplus::GpPointF tick[] = {{5.0f, 16.5f}, {14.3f, 22.0f}, {33.7f, 4.6f},
                                          {35.3f, 5.5f}, {16.5f, 35.0f}, {14.0f, 35.0f},
                                          {3.7f, 18.0f}};
        gp::GdipFillPolygon(g, green.get(), tick, 7, Gdiplus::FillModeAlternate);
      } else if (flags & 2) {
        gp::GdipFillRectangleI(g, green.get(), 6, 6, 28, 28);
      }
    }
  }
  const UniqueGpImage small = Scaled(canvas.get(), size, size, kPargb);
  return small ? ToHandle(ToGdiBitmap(small.get())) : 0;
}

}  // namespace twk::ui
