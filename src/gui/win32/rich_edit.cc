#include "gui/win32/rich_edit.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>

#include "platform/codepage.h"

namespace wizpak::gui::win32 {

const wchar_t* RichEditClass() {
  static const wchar_t* name = [] {
    if (LoadLibraryW(L"msftedit.dll")) return L"RICHEDIT50W";
    if (LoadLibraryW(L"riched20.dll")) return L"RichEdit20W";
    return L"";
  }();
  return name;
}

bool IsRtf(std::string_view bytes) {
  return bytes.starts_with("{\\rtf");
}

namespace {

struct StreamSource {
  const char* data;
  size_t size;
  size_t position = 0;
};

DWORD CALLBACK ReadStream(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
  auto* source = reinterpret_cast<StreamSource*>(cookie);
  const size_t left = source->size - source->position;
  const size_t count = std::min(left, static_cast<size_t>(wanted > 0 ? wanted : 0));
  std::memcpy(buffer, source->data + source->position, count);
  source->position += count;
  *given = static_cast<LONG>(count);
  return 0;
}

void StreamIn(HWND hwnd, std::string_view bytes, WPARAM format) {
  StreamSource source{bytes.data(), bytes.size()};
  EDITSTREAM stream{};
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
  stream.pfnCallback = ReadStream;
  SendMessageW(hwnd, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&stream));
}

}  // namespace

NativeRichEdit::NativeRichEdit(PageSurface* surface, HWND parent)
    : Control(WidgetKind::RichEdit, surface) {
  const wchar_t* window_class = RichEditClass();
  if (!*window_class) window_class = L"EDIT";
  Adopt(CreateWindowExW(
      0, window_class, L"",
      WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL |
          ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | ES_DISABLENOSCROLL,
      0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(NextControlId())),
      ModuleHandle(), nullptr));
  // Lines wrap at the window's width; the scroll bars stay shown.
  SendMessageW(Handle(), EM_SETTARGETDEVICE, 0, 0);
}

void NativeRichEdit::SetText(std::u16string text) {
  content_.clear();
  Control::SetText(std::move(text));
}

void NativeRichEdit::LoadContent(std::string_view bytes) {
  StoreTypedText(AnsiToWide(bytes));
  content_.assign(bytes.begin(), bytes.end());
  if (!Handle()) return;
  if (IsRtf(bytes)) {
    StreamIn(Handle(), bytes, SF_RTF);
  } else {
    // Plain text is ANSI (Windows-1252), whatever the system's code page.
    const std::u16string wide = WithCrLf(AnsiToWide(bytes));
    StreamIn(Handle(),
             std::string_view(reinterpret_cast<const char*>(wide.data()), wide.size() * 2),
             SF_TEXT | SF_UNICODE);
  }
}

void NativeRichEdit::AddLine(std::u16string line) {
  std::u16string text = Text();
  if (!text.empty()) text += u"\r\n";
  text += line;
  SetText(std::move(text));
}

void NativeRichEdit::Clear() {
  SetText(u"");
}

std::u16string NativeRichEdit::ShownText() const {
  const int length = GetWindowTextLengthW(Handle());
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(Handle(), buffer.data(), length + 1);
  return FromWide(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

void NativeRichEdit::ApplyStyle() {
  LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_EXSTYLE);
  style =
      Border() ? (style | WS_EX_CLIENTEDGE) : (style & ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE));
  SetWindowLongPtrW(Handle(), GWL_EXSTYLE, style);
  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

}  // namespace wizpak::gui::win32
