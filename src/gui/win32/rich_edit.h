// The rich edit: RICHEDIT50W from msftedit.dll, else RichEdit20W from
// riched20.dll, with both scroll bars. RTF content is streamed in with
// EM_STREAMIN so it shows as its author wrote it; other bytes are ANSI text.
#pragma once

#include <string>
#include <string_view>

#include "gui/win32/controls.h"

namespace wizpak::gui::win32 {

// The class name of the newest rich edit the system has ("" when none).
const wchar_t* RichEditClass();

// Whether `bytes` is RTF ("{\rtf" at the start).
bool IsRtf(std::string_view bytes);

class NativeRichEdit : public Control<RichEdit> {
 public:
  NativeRichEdit(PageSurface* surface, HWND parent);
  // What the window shows now, as plain text.
  std::u16string ShownText() const;

 protected:
  void Apply(Property changed) override;
  void ApplyStyle() override;

 private:
  // Streams the loaded bytes in: RTF as RTF, others as ANSI text.
  void ApplyContent();
};

}  // namespace wizpak::gui::win32
