// The picture control and its decoder: JPEG, BMP, ICO, WMF and EMF bytes are
// decoded from memory by GDI+ (the flat API over an HGLOBAL stream), without a
// temporary file, and drawn at their own size, centred or stretched.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "gui/win32/controls.h"

namespace wizpak::gui::win32 {

// One decoded GDI+ image. Move-only; disposes of the image when destroyed.
class DecodedImage {
 public:
  // Null when GDI+ cannot read the bytes (or is missing).
  static std::unique_ptr<DecodedImage> Decode(std::string_view bytes);
  ~DecodedImage();
  DecodedImage(const DecodedImage&) = delete;
  DecodedImage& operator=(const DecodedImage&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  void Draw(HDC dc, const RECT& target) const;

 private:
  explicit DecodedImage(void* image, int width, int height)
      : image_(image), width_(width), height_(height) {}
  void* image_;  // GpImage*
  int width_;
  int height_;
};

// Where a picture of `image_width` x `image_height` goes in a control of
// `width` x `height`: its own size at the top left, centred, or stretched
// over the whole control.
RECT PicturePlacement(int width, int height, int image_width, int image_height, bool stretch,
                      bool center);

class NativePicture : public Control<Picture> {
 public:
  NativePicture(PageSurface* surface, HWND parent);
  ~NativePicture() override;
  bool SetPicture(std::string bytes, std::string_view format) override;
  bool HasPicture() const override { return image_ != nullptr; }
  void Paint(HDC dc);
  void PaintFace(HDC dc, int x, int y) override;

 protected:
  void Apply(Property changed) override;
  void ApplyText() override {}

 private:
  std::unique_ptr<DecodedImage> image_;
};

}  // namespace wizpak::gui::win32
