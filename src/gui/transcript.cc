#include "gui/transcript.h"

#include <cstdio>
#include <cstdlib>

namespace wizpak::gui {

std::string CEscape(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          out += "\\x";
          out += kHex[c >> 4];
          out += kHex[c & 0xF];
        } else {
          out += ch;
        }
    }
  }
  return out;
}

bool TranscriptConfigured() {
  const char* target = std::getenv("WIZPAK_TRANSCRIPT");
  return target != nullptr && *target != '\0';
}

void WriteTranscriptLine(std::string_view line) {
  const char* target = std::getenv("WIZPAK_TRANSCRIPT");
  if (target == nullptr || *target == '\0') return;
  std::string text(line);
  text += '\n';
  if (std::string_view(target) == "-") {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
    return;
  }
  // Opened per line so every line is on disk even if the process dies next.
  std::FILE* file = std::fopen(target, "ab");
  if (file == nullptr) return;
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
}

std::string_view ButtonsWord(Buttons buttons) {
  switch (buttons) {
    case Buttons::Ok:
      return "OK";
    case Buttons::OkCancel:
      return "OKCANCEL";
    case Buttons::YesNo:
      return "YESNO";
    case Buttons::RetryCancel:
      return "RETRYCANCEL";
  }
  return "OK";
}

std::string_view AnswerWord(Answer answer) {
  switch (answer) {
    case Answer::Ok:
      return "ok";
    case Answer::Cancel:
      return "cancel";
    case Answer::Yes:
      return "yes";
    case Answer::No:
      return "no";
    case Answer::Retry:
      return "retry";
  }
  return "ok";
}

void TranscriptMessageBox(const MessageBoxRequest& request, Answer answer) {
  std::string line = "MESSAGEBOX caption=\"" + CEscape(request.caption) + "\" text=\"" +
                     CEscape(request.text) + "\" buttons=";
  line += ButtonsWord(request.buttons);
  line += " answer=";
  line += AnswerWord(answer);
  WriteTranscriptLine(line);
}

void TranscriptPage(int index, std::string_view type) {
  WriteTranscriptLine("PAGE index=" + std::to_string(index) + " type=" + std::string(type));
}

void TranscriptStatus(std::string_view text) {
  WriteTranscriptLine("STATUS text=\"" + CEscape(text) + "\"");
}

void TranscriptRefusal(std::string_view text) {
  WriteTranscriptLine("REFUSAL text=\"" + CEscape(text) + "\"");
}

void TranscriptFatal(std::string_view text) {
  WriteTranscriptLine("FATAL text=\"" + CEscape(text) + "\"");
}

}  // namespace wizpak::gui
