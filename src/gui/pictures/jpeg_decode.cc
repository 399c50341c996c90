// JPEG pictures through libjpeg, from memory. libjpeg reports bad data by
// calling the error manager's error_exit, which must not return: ours jumps
// back to the decoding call, so a damaged file is a failed decode and never
// ends the program. Grey, YCbCr and RGB files decode straight to RGBA; CMYK
// and YCCK files (as Photoshop writes them) are converted here.
#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include "gui/pictures/picture_decode.h"
#include "gui/pictures/picture_limits.h"

namespace wizpak::gui {
namespace {

// More scans than any encoder writes: a progressive file with thousands of
// tiny scans takes minutes to decode, so it is refused.
constexpr int kMaxScans = 256;
// libjpeg's own working memory (coefficient buffers of progressive files).
constexpr long kMaxDecoderMemory = 512L << 20;

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

[[noreturn]] void JumpOut(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

// Warnings (corrupt data that libjpeg recovers from) are not printed.
void Quiet(j_common_ptr) {}

void WatchScans(j_common_ptr info) {
  if (info->is_decompressor &&
      reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans) {
    JumpOut(info);
  }
}

// Everything with a destructor lives here, outside the function that calls
// setjmp, so that a jump out of libjpeg skips no destructor and leaves no
// local object in an indeterminate state.
struct Job {
  std::optional<RgbaImage> image;
  std::vector<uint8_t> cmyk_row;
};

void StoreCmykRow(const jpeg_decompress_struct& info, const uint8_t* cmyk, uint8_t* rgba) {
  // Adobe's files store the inks inverted (0 = full ink); the others do not.
  const bool inverted = info.saw_Adobe_marker;
  for (JDIMENSION x = 0; x < info.output_width; ++x, cmyk += 4, rgba += 4) {
    unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    rgba[0] = static_cast<uint8_t>(c * k / 255);
    rgba[1] = static_cast<uint8_t>(m * k / 255);
    rgba[2] = static_cast<uint8_t>(y * k / 255);
    rgba[3] = 255;
  }
}

bool Decode(jpeg_decompress_struct& info, ErrorManager& errors, std::string_view bytes, Job& job) {
  if (setjmp(errors.jump)) return false;
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()),
               static_cast<unsigned long>(bytes.size()));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) return false;
  switch (info.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
      info.out_color_space = JCS_EXT_RGBA;
      break;
    case JCS_CMYK:
    case JCS_YCCK:
      info.out_color_space = JCS_CMYK;
      break;
    default:
      return false;
  }
  job.image = BlankImage(info.image_width, info.image_height);
  if (!job.image) return false;
  const bool cmyk = info.out_color_space == JCS_CMYK;
  if (cmyk) job.cmyk_row.resize(size_t{info.image_width} * 4);

  jpeg_start_decompress(&info);
  if (info.output_width != info.image_width || info.output_height != info.image_height ||
      info.output_components != 4) {
    return false;
  }
  const size_t stride = size_t{info.output_width} * 4;
  while (info.output_scanline < info.output_height) {
    uint8_t* target = job.image->pixels.data() + info.output_scanline * stride;
    JSAMPROW row = cmyk ? job.cmyk_row.data() : target;
    if (jpeg_read_scanlines(&info, &row, 1) != 1) return false;
    if (cmyk) StoreCmykRow(info, job.cmyk_row.data(), target);
  }
  jpeg_finish_decompress(&info);
  return true;
}

}  // namespace

std::optional<RgbaImage> DecodeJpeg(std::string_view bytes) {
  if (bytes.empty()) return std::nullopt;
  jpeg_decompress_struct info{};
  ErrorManager errors{};
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = JumpOut;
  errors.base.output_message = Quiet;
  jpeg_progress_mgr progress{};
  progress.progress_monitor = WatchScans;

  Job job;
  bool ok = false;
  if (!setjmp(errors.jump)) {
    jpeg_create_decompress(&info);
    info.mem->max_memory_to_use = kMaxDecoderMemory;
    info.progress = &progress;
    ok = Decode(info, errors, bytes, job);
  }
  jpeg_destroy_decompress(&info);
  if (!ok) return std::nullopt;
  return std::move(job.image);
}

}  // namespace wizpak::gui
