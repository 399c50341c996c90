#include "gui/pictures/picture_decode.h"

#include <cstdio>
#include <mutex>
#include <string>

#include "platform/codepage.h"

namespace wizpak::gui {
namespace {

// Metafiles are drawing commands, not pixels; no renderer for them is built
// in, so their picture boxes stay empty. Said once per run on stderr.
void ReportMetafile(const std::string& format) {
  static std::once_flag said;
  std::call_once(said, [&] {
    std::fprintf(stderr,
                 "%s pictures are not supported: this build has no metafile renderer, so the "
                 "picture stays empty\n",
                 format.c_str());
  });
}

}  // namespace

std::optional<RgbaImage> DecodePicture(std::string_view bytes, std::string_view format) {
  if (format.starts_with('.')) format.remove_prefix(1);
  const std::string kind = AsciiLower(format);
  if (kind == "jpg" || kind == "jpeg") return DecodeJpeg(bytes);
  if (kind == "bmp") return DecodeBmp(bytes);
  if (kind == "ico") return DecodeIco(bytes);
  if (kind == "png") return DecodePng(bytes);
  if (kind == "wmf" || kind == "emf") ReportMetafile(kind);
  return std::nullopt;
}

}  // namespace wizpak::gui
