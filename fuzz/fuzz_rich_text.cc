// Fuzz target: the rich-text reader (and the plain-text path).
#include "fuzz_target.h"
#include "gui/richtext/rich_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto runs =
      wizpak::gui::ParseRichText(std::string_view(reinterpret_cast<const char*>(data), size));
  for (const auto& run : runs) {
    if (run.text.empty()) __builtin_trap();  // runs always carry text
  }
  return 0;
}

std::vector<std::string> wizpak_fuzz_seeds() {
  return {
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1 Courier New;}}\r\n"
      "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
      "{\\*\\generator Writer;}{\\info{\\title T}}\\pard\\f0\\fs20 Licence {\\b bold \\cf1 red}"
      "\\par \\f1\\i it\\i0\\ul u\\ulnone\\tab caf\\'e9 \\u8364?\\uc2\\u-4064??\\line "
      "\\~\\-\\{\\}\\\\ {\\pict\\pngblip 89504e47}\\bin3 {}}\\plain end\\par\r\n}",
      "{\\rtf1{\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt link}}{{{{\\b deep}}}}\\emdash}",
      "Plain licence text\r\nwith lines\rand \xe9\n",
  };
}
