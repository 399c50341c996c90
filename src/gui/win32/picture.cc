#include "gui/win32/picture.h"

#include <algorithm>
#include <cstring>

#include <objidl.h>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

namespace wizpak::gui::win32 {
namespace {

namespace gp = Gdiplus::DllExports;

// GDI+ is started on first use and shut down when the program ends.
class GdiplusSession {
 public:
  GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;
    ok_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
  }
  ~GdiplusSession() {
    if (ok_) Gdiplus::GdiplusShutdown(token_);
  }
  bool Ok() const { return ok_; }

 private:
  ULONG_PTR token_ = 0;
  bool ok_ = false;
};

bool GdiplusReady() {
  static GdiplusSession session;
  return session.Ok();
}

// A stream over a copy of `bytes` in movable global memory; the stream frees
// the memory when it is released.
IStream* StreamOver(std::string_view bytes) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (!memory) return nullptr;
  void* target = GlobalLock(memory);
  if (!target) {
    GlobalFree(memory);
    return nullptr;
  }
  std::memcpy(target, bytes.data(), bytes.size());
  GlobalUnlock(memory);
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
    GlobalFree(memory);
    return nullptr;
  }
  return stream;
}

}  // namespace

std::unique_ptr<DecodedImage> DecodedImage::Decode(std::string_view bytes) {
  if (bytes.empty() || !GdiplusReady()) return nullptr;
  IStream* stream = StreamOver(bytes);
  if (!stream) return nullptr;
  Gdiplus::GpImage* image = nullptr;
  const Gdiplus::Status status = gp::GdipLoadImageFromStream(stream, &image);
  // GDI+ keeps its own reference to the stream for as long as it needs it.
  stream->Release();
  if (status != Gdiplus::Ok || !image) return nullptr;
  UINT width = 0;
  UINT height = 0;
  gp::GdipGetImageWidth(image, &width);
  gp::GdipGetImageHeight(image, &height);
  if (width == 0 || height == 0) {
    gp::GdipDisposeImage(image);
    return nullptr;
  }
  return std::unique_ptr<DecodedImage>(
      new DecodedImage(image, static_cast<int>(width), static_cast<int>(height)));
}

DecodedImage::~DecodedImage() {
  if (image_) gp::GdipDisposeImage(static_cast<Gdiplus::GpImage*>(image_));
}

void DecodedImage::Draw(HDC dc, const RECT& target) const {
  Gdiplus::GpGraphics* graphics = nullptr;
  if (gp::GdipCreateFromHDC(dc, &graphics) != Gdiplus::Ok || !graphics) return;
  gp::GdipSetInterpolationMode(graphics, Gdiplus::InterpolationModeHighQualityBicubic);
  gp::GdipSetPixelOffsetMode(graphics, Gdiplus::PixelOffsetModeHalf);
  gp::GdipDrawImageRectI(graphics, static_cast<Gdiplus::GpImage*>(image_), target.left, target.top,
                         target.right - target.left, target.bottom - target.top);
  gp::GdipDeleteGraphics(graphics);
}

RECT PicturePlacement(int width, int height, int image_width, int image_height, bool stretch,
                      bool center) {
  if (stretch) return RECT{0, 0, width, height};
  RECT r{0, 0, image_width, image_height};
  if (center) {
    r.left = (width - image_width) / 2;
    r.top = (height - image_height) / 2;
    r.right = r.left + image_width;
    r.bottom = r.top + image_height;
  }
  return r;
}

NativePicture::NativePicture(PageSurface* surface, HWND parent)
    : Control(WidgetKind::Picture, surface) {
  Adopt(CreateWindowExW(0, L"WizpakPicture", L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0,
                        0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(NextControlId())),
                        ModuleHandle(), nullptr));
}

NativePicture::~NativePicture() = default;

bool NativePicture::SetPicture(std::string bytes, std::string_view) {
  // GDI+ recognises the format from the bytes themselves; the layout's
  // extension has already chosen that this is a picture at all.
  image_ = DecodedImage::Decode(bytes);
  Invalidate();
  return image_ != nullptr;
}

void NativePicture::SetStretch(bool on) {
  stretch_ = on;
  Invalidate();
}

void NativePicture::SetCenter(bool on) {
  center_ = on;
  Invalidate();
}

void NativePicture::Paint(HDC dc) {
  RECT client{};
  GetClientRect(Handle(), &client);
  if (Transparent())
    PaintBehind(Surface(), *this, dc);
  else
    ::FillRect(dc, &client, SurfaceBrush(Surface()));
  PaintFace(dc, 0, 0);
}

void NativePicture::PaintFace(HDC dc, int x, int y) {
  if (!image_) return;
  const Rect b = Bounds();
  RECT target =
      PicturePlacement(b.width, b.height, image_->Width(), image_->Height(), stretch_, center_);
  OffsetRect(&target, x, y);
  image_->Draw(dc, target);
}

}  // namespace wizpak::gui::win32
