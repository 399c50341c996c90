// The headless transcript: one C-escaped line per user-visible event, written
// to the file named by WIZPAK_TRANSCRIPT ("-" for stderr), appended. Nothing
// is written when the variable is unset.
//   MESSAGEBOX caption="..." text="..." buttons=OK|OKCANCEL|YESNO|RETRYCANCEL answer=...
//   PAGE index=N type=WORD
//   STATUS text="..."
//   REFUSAL text="..."   (why Next is disabled; "" when it no longer is)
//   FATAL text="..."
#pragma once

#include <string>
#include <string_view>

#include "gui/message_box.h"

namespace wizpak::gui {

// Escapes "\r", "\n", "\t", '"' and '\\' as in C; other bytes below 0x20 and
// 0x7F become \xHH. Bytes from 0x80 pass unchanged (UTF-8).
std::string CEscape(std::string_view text);

// Whether WIZPAK_TRANSCRIPT names a target.
bool TranscriptConfigured();

// Appends one line (a "\n" is added).
void WriteTranscriptLine(std::string_view line);

// Texts are UTF-8.
void TranscriptMessageBox(const MessageBoxRequest& request, Answer answer);
void TranscriptPage(int index, std::string_view type);
void TranscriptStatus(std::string_view text);
void TranscriptRefusal(std::string_view text);
void TranscriptFatal(std::string_view text);

std::string_view ButtonsWord(Buttons buttons);  // "OK", "OKCANCEL", ...
std::string_view AnswerWord(Answer answer);     // "ok", "cancel", "yes", "no", "retry"

}  // namespace wizpak::gui
