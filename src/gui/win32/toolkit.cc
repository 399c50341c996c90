#include "gui/win32/toolkit.h"

#include "gui/transcript.h"
#include "gui/win32/debug_window.h"
#include "gui/win32/main_form.h"
#include "gui/win32/message_loop.h"
#include "gui/win32/page_area.h"
#include "gui/win32/rich_edit.h"
#include "gui/win32/verify_window.h"
#include "platform/codepage.h"

#include <commctrl.h>

#include <string>
#include <string_view>

namespace wizpak::gui::win32 {

unsigned MessageBoxFlags(Buttons buttons, Icon icon) {
  unsigned flags = MB_TASKMODAL | MB_SETFOREGROUND | MB_DEFBUTTON1;
  switch (buttons) {
    case Buttons::Ok:
      flags |= MB_OK;
      break;
    case Buttons::OkCancel:
      flags |= MB_OKCANCEL;
      break;
    case Buttons::YesNo:
      flags |= MB_YESNO;
      break;
    case Buttons::RetryCancel:
      flags |= MB_RETRYCANCEL;
      break;
  }
  switch (icon) {
    case Icon::None:
      break;
    case Icon::Question:
      flags |= MB_ICONQUESTION;
      break;
    case Icon::Warning:
      flags |= MB_ICONWARNING;
      break;
    case Icon::Error:
      flags |= MB_ICONERROR;
      break;
    case Icon::Information:
      flags |= MB_ICONINFORMATION;
      break;
  }
  return flags;
}

Answer AnswerFor(int result, Buttons buttons) {
  switch (result) {
    case IDOK:
      return Answer::Ok;
    case IDCANCEL:
      return Answer::Cancel;
    case IDYES:
      return Answer::Yes;
    case IDNO:
      return Answer::No;
    case IDRETRY:
      return Answer::Retry;
    default:
      break;
  }
  // Not shown (no desktop, out of memory): the safe answer of each set.
  switch (buttons) {
    case Buttons::Ok:
      return Answer::Ok;
    case Buttons::OkCancel:
    case Buttons::RetryCancel:
      return Answer::Cancel;
    case Buttons::YesNo:
      return Answer::No;
  }
  return Answer::Cancel;
}

namespace {

// The shown wizard window of this thread, which owns the boxes: Windows
// centres a box on its owner and keeps it in front of it.
BOOL CALLBACK FindWizard(HWND hwnd, LPARAM out) {
  wchar_t name[32] = {};
  if (IsWindowVisible(hwnd) && GetClassNameW(hwnd, name, 32) > 0 &&
      std::wstring_view(name) == L"WizpakMainForm") {
    *reinterpret_cast<HWND*>(out) = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND WizardWindow() {
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindWizard, reinterpret_cast<LPARAM>(&found));
  return found;
}

// The button captions of the box being opened on this thread; the CBT hook
// puts them on its buttons when it is activated, before it is drawn. Set
// only for the length of one MessageBoxW call.
thread_local const ButtonCaptions* tl_captions = nullptr;
thread_local HHOOK tl_hook = nullptr;

LRESULT CALLBACK CaptionHook(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_ACTIVATE && tl_captions) {
    const HWND box = reinterpret_cast<HWND>(wparam);
    const struct {
      int id;
      const std::string& caption;
    } buttons[] = {{IDOK, tl_captions->ok},
                   {IDCANCEL, tl_captions->cancel},
                   {IDYES, tl_captions->yes},
                   {IDNO, tl_captions->no},
                   {IDRETRY, tl_captions->retry}};
    for (const auto& b : buttons) {
      if (!b.caption.empty() && GetDlgItem(box, b.id)) {
        SetDlgItemTextW(box, b.id, Wide(Utf8ToWide(b.caption)));
      }
    }
    tl_captions = nullptr;  // the box's own later activations keep them
  }
  return CallNextHookEx(tl_hook, code, wparam, lparam);
}

Answer ShowNativeBox(const MessageBoxRequest& request) {
  const std::u16string text = WithCrLf(Utf8ToWide(request.text));
  const std::u16string caption = Utf8ToWide(request.caption);
  // Owned by the wizard when it is up, so the box is centred on it;
  // task-modal keeps the wizard from taking clicks while it is open.
  tl_captions = &request.captions;
  tl_hook = SetWindowsHookExW(WH_CBT, CaptionHook, nullptr, GetCurrentThreadId());
  const int result = ::MessageBoxW(WizardWindow(), Wide(text), Wide(caption),
                                   MessageBoxFlags(request.buttons, request.icon));
  if (tl_hook) UnhookWindowsHookEx(tl_hook);
  tl_hook = nullptr;
  tl_captions = nullptr;
  const Answer answer = AnswerFor(result, request.buttons);
  TranscriptMessageBox(request, answer);
  return answer;
}

}  // namespace

Win32Toolkit::Win32Toolkit(FrontEndOptions options) : options_(std::move(options)) {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC =
      ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS | ICC_TREEVIEW_CLASSES;
  InitCommonControlsEx(&controls);
  RegisterControlClasses();
  RichEditClass();
  previous_handler_ = SetMessageBoxHandler(ShowNativeBox);
}

Win32Toolkit::~Win32Toolkit() {
  SetMessageBoxHandler(std::move(previous_handler_));
}

std::unique_ptr<MainForm> Win32Toolkit::CreateMainForm() {
  return std::make_unique<Win32MainForm>();
}

std::unique_ptr<VerifyWindow> Win32Toolkit::CreateVerifyWindow() {
  return std::make_unique<Win32VerifyWindow>();
}

std::unique_ptr<DebugWindow> Win32Toolkit::CreateDebugWindow() {
  return std::make_unique<Win32DebugWindow>();
}

void Win32Toolkit::ProcessMessages() {
  PumpPending();
}

void Win32Toolkit::Run(MainForm& form) {
  form.Show();
  if (!PumpUntil([&form] { return form.IsClosed(); })) {
    // WM_QUIT (the session ends): close without asking.
    form.SetOnCloseQuery(nullptr);
    form.Close();
  }
}

}  // namespace wizpak::gui::win32
