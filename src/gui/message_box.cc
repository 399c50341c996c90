#include "gui/message_box.h"

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "gui/transcript.h"
#include "platform/codepage.h"
#include "platform/journal.h"
#include "platform/process.h"
#include "platform/terminal.h"

namespace wizpak::gui {
namespace {

struct AnswerQueue {
  std::string source;  // the WIZPAK_ANSWERS value the queue was read from
  std::deque<std::string> words;
};

std::mutex& StateMutex() {
  static std::mutex mutex;
  return mutex;
}

MessageBoxHandler& CurrentHandler() {
  static MessageBoxHandler handler;
  return handler;
}

ButtonCaptions& CurrentCaptions() {
  static ButtonCaptions captions;
  return captions;
}

AnswerQueue& Queue() {
  static AnswerQueue queue;
  return queue;
}

// Re-reads WIZPAK_ANSWERS when its value has changed since the last box, so
// a new value starts a new queue.
void RefreshQueue(AnswerQueue& queue) {
  const char* value = std::getenv("WIZPAK_ANSWERS");
  const std::string current = value ? value : "";
  if (current == queue.source) return;
  queue.source = current;
  queue.words.clear();
  std::string word;
  for (char c : current + ",") {
    if (c == ',') {
      if (!word.empty()) queue.words.push_back(AsciiLower(word));
      word.clear();
    } else if (c != ' ' && c != '\t') {
      word += c;
    }
  }
}

bool Fits(const std::string& word, Buttons buttons, Answer& answer) {
  switch (buttons) {
    case Buttons::Ok:
      if (word == "ok")
        answer = Answer::Ok;
      else
        return false;
      return true;
    case Buttons::OkCancel:
      if (word == "ok")
        answer = Answer::Ok;
      else if (word == "cancel")
        answer = Answer::Cancel;
      else
        return false;
      return true;
    case Buttons::YesNo:
      if (word == "yes")
        answer = Answer::Yes;
      else if (word == "no")
        answer = Answer::No;
      else
        return false;
      return true;
    case Buttons::RetryCancel:
      if (word == "retry")
        answer = Answer::Retry;
      else if (word == "cancel")
        answer = Answer::Cancel;
      else
        return false;
      return true;
  }
  return false;
}

Answer DefaultAnswer(Buttons buttons) {
  switch (buttons) {
    case Buttons::Ok:
      return Answer::Ok;
    case Buttons::OkCancel:
      return Answer::Ok;
    case Buttons::YesNo:
      return Answer::Yes;
    case Buttons::RetryCancel:
      return Answer::Cancel;
  }
  return Answer::Ok;
}

Answer HeadlessShow(const MessageBoxRequest& request) {
  const Answer answer = HeadlessAnswer(request);
  TranscriptMessageBox(request, answer);
  // Without a transcript nobody would learn what the box said or which
  // answer the run took: one line on standard error.
  if (!TranscriptConfigured()) {
    std::string line = ProgramNameForMessages() + ": message box \"" + OneLine(request.caption) +
                       "\": " + OneLine(request.text) + " [" +
                       std::string(ButtonsWord(request.buttons)) + "] -> " +
                       std::string(AnswerWord(answer)) + "\n";
    // Over an unattended run's progress line: replace it.
    if (platform::StderrIsTerminal()) line.insert(0, "\r\x1b[K");
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
  }
  return answer;
}

Answer Show(MessageBoxRequest request) {
  MessageBoxHandler handler;
  {
    std::lock_guard<std::mutex> lock(StateMutex());
    handler = CurrentHandler();
    request.captions = CurrentCaptions();
  }
  if (handler) return handler(request);
  return HeadlessShow(request);
}

}  // namespace

std::string ProgramNameForMessages() {
  const std::vector<std::string>& arguments = platform::CommandLine();
  std::string name = arguments.empty() ? std::string() : arguments[0];
  const size_t slash = name.find_last_of("/\\");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  return name.empty() ? std::string("wizpak-stub") : name;
}

std::string OneLine(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\r' || c == '\n') {
      // "\r\n" and runs of breaks become one blank.
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else if (c < 0x20 || c == 0x7F) {
      out += ' ';
    } else {
      out += static_cast<char>(c);
    }
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// One queued word is used up per box; a word that does not fit the box's
// buttons gives the default answer.
Answer HeadlessAnswer(const MessageBoxRequest& request) {
  std::lock_guard<std::mutex> lock(StateMutex());
  AnswerQueue& queue = Queue();
  RefreshQueue(queue);
  if (!queue.words.empty()) {
    const std::string word = queue.words.front();
    queue.words.pop_front();
    Answer answer;
    if (Fits(word, request.buttons, answer)) return answer;
  }
  return DefaultAnswer(request.buttons);
}

Answer MessageBox(std::string_view text, std::string_view caption, Buttons buttons, Icon icon) {
  return Show(MessageBoxRequest{AnsiToUtf8(text), AnsiToUtf8(caption), buttons, icon, false, {}});
}

Answer MessageBoxW(std::u16string_view text, std::u16string_view caption, Buttons buttons,
                   Icon icon) {
  return Show(MessageBoxRequest{WideToUtf8(text), WideToUtf8(caption), buttons, icon, false, {}});
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
  std::lock_guard<std::mutex> lock(StateMutex());
  MessageBoxHandler previous = std::move(CurrentHandler());
  CurrentHandler() = std::move(handler);
  return previous;
}

ButtonCaptions SetMessageBoxCaptions(ButtonCaptions captions) {
  std::lock_guard<std::mutex> lock(StateMutex());
  ButtonCaptions previous = std::move(CurrentCaptions());
  CurrentCaptions() = std::move(captions);
  return previous;
}

void FatalExit(std::string_view message) {
  const std::string utf8 = AnsiToUtf8(message);
  TranscriptFatal(utf8);
  MessageBoxHandler handler;
  {
    std::lock_guard<std::mutex> lock(StateMutex());
    handler = CurrentHandler();
  }
  if (handler) {
    handler(MessageBoxRequest{utf8, "Fatal Application Exit", Buttons::Ok, Icon::Error, true, {}});
  } else {
    std::fprintf(stderr, "%s: fatal: %s\n", ProgramNameForMessages().c_str(),
                 OneLine(utf8).c_str());
  }
  // A fatal exit in the middle of an installation run undoes the run first,
  // as its error path would.
  if (platform::Journal* journal = platform::ActiveJournal()) {
    const bool all = journal->Rollback();
    std::fprintf(stderr, "%s\n",
                 all ? "The installation was rolled back: nothing it changed remains."
                     : "The installation could not be rolled back completely; the next start "
                       "of the setup tries again.");
  }
  std::fflush(nullptr);
  std::_Exit(3);
}

}  // namespace wizpak::gui
