// The reader of rich-text (RTF) documents behind ParseRichText: groups with
// their character formatting, the font and colour tables, paragraph and line
// breaks, tabs, ANSI and Unicode characters; every other destination and
// control word is skipped.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "gui/richtext/rich_text.h"

namespace wizpak::gui {

class RtfReader {
 public:
  // Groups nested deeper than this are read as part of the deepest one.
  static constexpr size_t kMaxGroupDepth = 256;

  explicit RtfReader(std::string_view rtf) : in_(rtf) {}
  std::vector<TextRun> Read();

 private:
  enum class Destination { kText, kFontTable, kColourTable, kSkip };
  struct Group {
    TextStyle style;           // face unused: `font` names it
    int font = -1;             // -1: the document's default font
    int unicode_fallback = 1;  // \ucN: characters that follow each \uN
    Destination destination = Destination::kText;
  };

  // Returns false when the document's outermost group has closed.
  bool CloseGroup();
  void OpenGroup();
  void ReadControl();
  void ControlWord(std::string_view word, bool has_param, int param);
  void ControlSymbol(char symbol);
  void TextByte(uint8_t byte);
  void Emit(char16_t c);
  const std::string& FaceOf(int font) const;
  void CommitFont();
  void CommitColour();
  bool SkipFallback();

  std::string_view in_;
  size_t pos_ = 0;
  std::vector<Group> groups_;
  size_t flattened_ = 0;   // groups opened beyond kMaxGroupDepth, not yet closed
  int fallback_left_ = 0;  // characters still to skip after a \uN

  std::map<int, std::string> fonts_;
  int default_font_ = -1;
  int font_number_ = -1;  // font table entry being read
  std::string font_name_;
  std::vector<ColourRef> colours_;
  int red_ = 0, green_ = 0, blue_ = 0;
  bool colour_given_ = false;

  std::vector<TextRun> runs_;
};

}  // namespace wizpak::gui
