#include "gui/message_box.h"

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>

#include "gui/transcript.h"
#include "platform/codepage.h"

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
  return Show(MessageBoxRequest{AnsiToUtf8(text), AnsiToUtf8(caption), buttons, icon, {}});
}

Answer MessageBoxW(std::u16string_view text, std::u16string_view caption, Buttons buttons,
                   Icon icon) {
  return Show(MessageBoxRequest{WideToUtf8(text), WideToUtf8(caption), buttons, icon, {}});
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
    handler(MessageBoxRequest{utf8, "Fatal Application Exit", Buttons::Ok, Icon::Error, {}});
  } else {
    std::fprintf(stderr, "Fatal Application Exit: %s\n", utf8.c_str());
  }
  std::fflush(nullptr);
  std::_Exit(3);
}

}  // namespace wizpak::gui
