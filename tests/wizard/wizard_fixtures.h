// Shared pieces of the wizard tests: an in-memory package (entries by name,
// letter case ignored), two small languages made current in a run's texts,
// and a recorder of message boxes.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui/message_box.h"
#include "platform/codepage.h"
#include "text/language.h"
#include "text/run_texts.h"
#include "wizard/control_parser.h"

namespace wizpak::wizard::test {

class FakePackage {
 public:
  void Add(const std::string& name, std::string bytes) {
    entries_[AnsiLower(name)] = std::move(bytes);
  }
  EntryLookup Lookup() const {
    return [this](std::string_view name) -> std::optional<std::string> {
      auto it = entries_.find(AnsiLower(name));
      if (it == entries_.end()) return std::nullopt;
      return it->second;
    };
  }

 private:
  std::map<std::string, std::string> entries_;
};

// English (index 0, current) and German (index 1) with the wizard's strings,
// put into `table` (a run's languages).
class TwoLanguages {
 public:
  explicit TwoLanguages(TLanguages& table) {
    table.Clear();
    table.Items.push_back(Make(u"English", {{7, u"Space available <%SPACEAVA%>"},
                                            {12, u"< Back"},
                                            {13, u"Next >"},
                                            {14, u"Cancel"},
                                            {15, u"Install"},
                                            {16, u"Finish"},
                                            {27, u"Quit the installation?"},
                                            {28, u"Quit"},
                                            {40, u"Not a full path"},
                                            {41, u"No drive <%DRIVE%>"},
                                            {42, u"<%DRIVE%> is a CD"},
                                            {44, u"Cannot be created"},
                                            {46, u"<%DRIVE%>: <%SPACEREQ%> of <%SPACEAVA%>"},
                                            {99, u"Hello"}}));
    table.Items.push_back(Make(u"Deutsch", {{7, u"Freier Platz <%SPACEAVA%>"},
                                            {12, u"< Zur\u00fcck"},
                                            {13, u"Weiter >"},
                                            {14, u"Abbrechen"},
                                            {15, u"Installieren"},
                                            {16, u"Fertig"},
                                            {27, u"Installation beenden?"},
                                            {28, u"Beenden"},
                                            {41, u"Kein Laufwerk <%DRIVE%>"},
                                            {42, u"<%DRIVE%> ist eine CD"},
                                            {52, u"&Ja"},
                                            {53, u"&Nein"},
                                            {99, u"Hallo"}}));
    table.Current = 0;
  }

 private:
  static std::unique_ptr<TLanguage> Make(std::u16string name, std::vector<TLID> strings) {
    auto language = std::make_unique<TLanguage>();
    language->Name = std::move(name);
    language->LangIDs = {0x0409};
    language->Strings = std::move(strings);
    return language;
  }
};

// Records every message box and answers from a queue (default: the first
// button's positive answer).
class BoxRecorder {
 public:
  BoxRecorder() {
    previous_ = gui::SetMessageBoxHandler([this](const gui::MessageBoxRequest& request) {
      boxes.push_back(request);
      if (!answers.empty()) {
        gui::Answer answer = answers.front();
        answers.erase(answers.begin());
        return answer;
      }
      return request.buttons == gui::Buttons::YesNo ? gui::Answer::Yes : gui::Answer::Ok;
    });
  }
  ~BoxRecorder() { gui::SetMessageBoxHandler(previous_); }
  std::vector<gui::MessageBoxRequest> boxes;
  std::vector<gui::Answer> answers;

 private:
  gui::MessageBoxHandler previous_;
};

}  // namespace wizpak::wizard::test
