// The terminal wizard's session and toolkit on a real pseudo-terminal and on
// pipes (the plain prompts), the front-end choice, and the folder prompt's
// path handling. Keys are written before the code under test reads them, so
// nothing here depends on timing.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <condition_variable>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "gui/frontend.h"
#include "gui/text/folder_prompt.h"
#include "gui/text/text_toolkit.h"
#include "gui/text/text_windows.h"
#include "platform/files.h"
#include "platform/process.h"
#include "support/test_support.h"

namespace wizpak::gui::text {
namespace {

// Reads everything written to `fd` on a thread until stopped.
class Drain {
 public:
  explicit Drain(int fd) : fd_(fd), thread_([this] { Loop(); }) {}
  ~Drain() { Stop(); }
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  std::string Text() {
    std::lock_guard<std::mutex> lock(mutex_);
    return text_;
  }
  // Waits until `needle` has been read, or the other side has closed;
  // whether it was read. Output written before is not always read yet.
  bool WaitFor(std::string_view needle) {
    std::unique_lock<std::mutex> lock(mutex_);
    arrived_.wait(lock, [&] { return text_.find(needle) != std::string::npos || ended_; });
    return text_.find(needle) != std::string::npos;
  }

 private:
  void Loop() {
    while (true) {
      pollfd pfd{fd_, POLLIN, 0};
      const int ready = poll(&pfd, 1, 20);
      if (ready <= 0) {
        if (stop_) {
          std::lock_guard<std::mutex> lock(mutex_);
          ended_ = true;
          arrived_.notify_all();
          return;
        }
        continue;
      }
      char buffer[4096];
      const ssize_t n = read(fd_, buffer, sizeof buffer);
      std::lock_guard<std::mutex> lock(mutex_);
      if (n <= 0) {
        ended_ = true;
        arrived_.notify_all();
        return;
      }
      text_.append(buffer, static_cast<size_t>(n));
      arrived_.notify_all();
    }
  }
  int fd_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::string text_;
  bool ended_ = false;
  std::thread thread_;
};

// A pseudo-terminal: the program side is `slave`, the test types into and
// reads from `master`.
struct Pty {
  Pty() {
    master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return;
    slave = open(ptsname(master), O_RDWR | O_NOCTTY);
  }
  ~Pty() {
    if (slave >= 0) close(slave);
    if (master >= 0) close(master);
  }
  void Type(std::string_view keys) const {
    ASSERT_EQ(write(master, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
  }
  int master = -1;
  int slave = -1;
};

struct Pipes {
  Pipes() {
    if (pipe(in) != 0 || pipe(out) != 0) in[0] = -1;
  }
  ~Pipes() {
    for (int fd : {in[0], in[1], out[0], out[1]})
      if (fd >= 0) close(fd);
  }
  void Type(std::string_view keys) const {
    ASSERT_EQ(write(in[1], keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
  }
  void EndInput() {
    close(in[1]);
    in[1] = -1;
  }
  int in[2] = {-1, -1};
  int out[2] = {-1, -1};
};

// A page with a title and the three navigation buttons wired to flags.
struct Wizard {
  explicit Wizard(TextToolkit& toolkit) : form_owner(toolkit.CreateMainForm()), form(*form_owner) {
    Widget& title = form.Pages().CreateLabel();
    title.SetText(u"Willkommen beim Setup-Assistenten");
    title.SetBounds({184, 20, 378, 40});
    form.BackButton().SetVisible(false);
    form.LanguageButton().SetVisible(false);
    form.NextButton().SetText(u"&Weiter >");
    form.CancelButton().SetText(u"Abbrechen");
    form.NextButton().SetOnClick([this] {
      ++next_clicks;
      if (on_next) on_next();
    });
    form.CancelButton().SetOnClick([this] {
      ++cancel_clicks;
      form.Close();
    });
    form.SetOnCloseQuery([this] { return close_allowed; });
  }
  std::unique_ptr<MainForm> form_owner;
  MainForm& form;
  std::function<void()> on_next;
  int next_clicks = 0;
  int cancel_clicks = 0;
  bool close_allowed = true;
};

TEST(TextToolkitTest, DrawsThePageAndTakesButtonKeysOnATerminal) {
  Pty pty;
  ASSERT_GE(pty.slave, 0);
  Drain screen(pty.master);
  {
    TextToolkit toolkit(FrontEndOptions{"text", false}, pty.slave, pty.slave, true);
    Wizard wizard(toolkit);
    wizard.on_next = [&wizard] { wizard.form.Close(); };
    // "w" is the marked letter of "&Weiter >".
    pty.Type("w");
    toolkit.Run(wizard.form);
    EXPECT_EQ(wizard.next_clicks, 1);
    EXPECT_TRUE(wizard.form.IsClosed());
  }
  screen.Stop();
  const std::string out = screen.Text();
  EXPECT_NE(out.find("\x1b[?1049h"), std::string::npos);  // the alternate screen
  EXPECT_NE(out.find("Willkommen beim Setup-Assistenten"), std::string::npos);
  EXPECT_NE(out.find("[W] Weiter >"), std::string::npos);
  EXPECT_NE(out.find("[A] Abbrechen"), std::string::npos);
  EXPECT_NE(out.find("\x1b[?1049l"), std::string::npos);  // and back
}

TEST(TextToolkitTest, EscapeAndCtrlCDuringARunReachCancelAndTheCloseButton) {
  Pty pty;
  ASSERT_GE(pty.slave, 0);
  Drain screen(pty.master);
  TextToolkit toolkit(FrontEndOptions{"text", false}, pty.slave, pty.slave, true);
  Wizard wizard(toolkit);
  // The "run": Next pumps messages until Cancel has been pressed; closing is
  // refused meanwhile, as while the wizard works.
  int pumps = 0;
  wizard.close_allowed = false;
  wizard.on_next = [&] {
    wizard.form.NextButton().SetEnabled(false);
    while (wizard.cancel_clicks == 0 && pumps < 100000) {
      toolkit.ProcessMessages();
      ++pumps;
    }
    // The run ends on the cancel and the wizard closes.
    wizard.close_allowed = true;
    wizard.form.Close();
  };
  // Enter (the default button, Next) and Escape typed together.
  pty.Type("\r\x1b");
  toolkit.Run(wizard.form);
  EXPECT_EQ(wizard.next_clicks, 1);
  EXPECT_EQ(wizard.cancel_clicks, 1);
  EXPECT_LT(pumps, 100000);
  EXPECT_TRUE(wizard.form.IsClosed());

  // Ctrl+C is the close button: it asks the close query.
  Wizard second(toolkit);
  int asked = 0;
  second.form.SetOnCloseQuery([&asked] {
    ++asked;
    return true;
  });
  pty.Type("\x03");
  toolkit.Run(second.form);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(second.cancel_clicks, 0);
}

TEST(TextToolkitTest, MessageBoxesTakeLettersEnterAndEscape) {
  Pty pty;
  ASSERT_GE(pty.slave, 0);
  Drain screen(pty.master);
  TextToolkit toolkit(FrontEndOptions{"text", false}, pty.slave, pty.slave, true);
  pty.Type("n");
  EXPECT_EQ(MessageBox("Install the extras?", "Setup", Buttons::YesNo), Answer::No);
  pty.Type("\r");
  EXPECT_EQ(MessageBox("Install the extras?", "Setup", Buttons::YesNo), Answer::Yes);
  pty.Type("\x1b");
  EXPECT_EQ(MessageBox("Retry?", "Setup", Buttons::RetryCancel), Answer::Cancel);
  // Tab moves to the second button; Enter presses it.
  pty.Type("\t\r");
  EXPECT_EQ(MessageBox("Go on?", "Setup", Buttons::OkCancel), Answer::Cancel);
  EXPECT_TRUE(screen.WaitFor("[Y] Yes")) << screen.Text();
}

TEST(TextToolkitTest, DumbTerminalGetsNumberedPromptsWithoutEscapes) {
  Pipes pipes;
  ASSERT_GE(pipes.in[0], 0);
  Drain out(pipes.out[0]);
  {
    TextToolkit toolkit(FrontEndOptions{"text", false}, pipes.in[0], pipes.out[1], false);
    Wizard wizard(toolkit);
    wizard.on_next = [&wizard] {
      // The question a script asks, answered by the next typed line.
      if (MessageBox("Install the extras?", "Setup", Buttons::YesNo) == Answer::No)
        wizard.form.NextButton().SetText(u"&Fertig");
    };
    // Enter takes the default (1: Weiter), "2" answers No, then option 2
    // (Abbrechen) closes.
    pipes.Type("\n2\n2\n");
    toolkit.Run(wizard.form);
    EXPECT_EQ(wizard.next_clicks, 1);
    EXPECT_EQ(wizard.cancel_clicks, 1);
    EXPECT_EQ(wizard.form.NextButton().Text(), u"&Fertig");
  }
  out.Stop();
  const std::string text = out.Text();
  EXPECT_EQ(text.find('\x1b'), std::string::npos) << text;
  EXPECT_NE(text.find("Willkommen beim Setup-Assistenten"), std::string::npos);
  EXPECT_NE(text.find("  1) Weiter >\n  2) Abbrechen\nChoice [1]: \n"), std::string::npos) << text;
  EXPECT_NE(text.find("  1) Yes  2) No\nChoice [1]: 2\n"), std::string::npos) << text;
}

TEST(TextToolkitTest, TheEndOfInputClosesInsteadOfWaitingForEver) {
  Pipes pipes;
  ASSERT_GE(pipes.in[0], 0);
  Drain out(pipes.out[0]);
  TextToolkit toolkit(FrontEndOptions{"text", false}, pipes.in[0], pipes.out[1], false);
  Wizard wizard(toolkit);
  int asked = 0;
  wizard.form.SetOnCloseQuery([&asked] {
    ++asked;
    // The close question, with nobody left to answer: its Escape answer.
    return MessageBox("Quit?", "Quit", Buttons::YesNo) == Answer::Yes;
  });
  pipes.EndInput();
  toolkit.Run(wizard.form);
  EXPECT_GE(asked, 1);
  EXPECT_FALSE(wizard.form.IsClosed());
  EXPECT_EQ(wizard.next_clicks, 0);
}

std::string RowText(const Frame& frame, size_t row) {
  return Render(frame.rows[row], false);
}

TEST(TextToolkitTest, APageTallerThanTheScreenScrollsAndSaysSo) {
  Pipes pipes;
  ASSERT_GE(pipes.in[0], 0);
  Drain out(pipes.out[0]);
  TextToolkit toolkit(FrontEndOptions{"text", false}, pipes.in[0], pipes.out[1], true);
  Wizard wizard(toolkit);
  Widget& body = wizard.form.Pages().CreateLabel();
  std::u16string text;
  for (int i = 1; i <= 20; ++i)
    text += u"line " + std::u16string(1, char16_t(u'A' + i - 1)) + u"\r";
  body.SetText(text);
  body.SetBounds({184, 80, 378, 300});
  auto& form = static_cast<TextMainForm&>(wizard.form);
  form.SetCaption(u" Setup");
  Frame frame;
  frame.width = 40;
  frame.rows.assign(12, CellLine{});
  form.Paint(frame);
  // Title, a blank, seven body rows, the rule, the buttons, the hints.
  EXPECT_EQ(RowText(frame, 0), " Setup" + std::string(34, ' '));
  EXPECT_EQ(RowText(frame, 2), "  Willkommen beim Setup-Assistenten");
  EXPECT_NE(RowText(frame, 11).find("↓ more"), std::string::npos) << RowText(frame, 11);
  EXPECT_NE(RowText(frame, 10).find("[W] Weiter >"), std::string::npos);
  form.HandleKey(Key{KeyCode::PageDown});
  frame.rows.assign(12, CellLine{});
  form.Paint(frame);
  EXPECT_EQ(RowText(frame, 2), "  line F");
  form.HandleKey(Key{KeyCode::End});
  frame.rows.assign(12, CellLine{});
  form.Paint(frame);
  EXPECT_EQ(RowText(frame, 8), "  line T");
  EXPECT_EQ(RowText(frame, 11).find("↓ more"), std::string::npos);
}

// The front-end's own words follow the wizard's language: the key hints of
// the screen and the plain prompt's words.
TEST(TextToolkitTest, ItsOwnWordsComeInTheWizardsLanguage) {
  FrontEndWords german;
  german.choice = "Auswahl";
  german.enter_key = "Eingabe";
  german.close_hint = "Strg+C: schließen";
  german.browse_folders = "Ordner durchsuchen";
  Pipes pipes;
  ASSERT_GE(pipes.in[0], 0);
  Drain out(pipes.out[0]);
  {
    TextToolkit toolkit(FrontEndOptions{"text", false}, pipes.in[0], pipes.out[1], true);
    toolkit.SetOwnWords(german);
    Wizard wizard(toolkit);
    wizard.form.Pages().CreateFolderTree().SetBounds({184, 120, 378, 100});
    auto& form = static_cast<TextMainForm&>(wizard.form);
    Frame frame;
    frame.width = 80;
    frame.rows.assign(24, CellLine{});
    form.Paint(frame);
    std::string screen;
    for (size_t r = 0; r < frame.rows.size(); ++r) screen += RowText(frame, r) + "\n";
    EXPECT_NE(screen.find("1) Ordner durchsuchen"), std::string::npos) << screen;
    EXPECT_NE(screen.find("Eingabe: Weiter >"), std::string::npos) << screen;
    EXPECT_NE(screen.find("Strg+C: schließen"), std::string::npos) << screen;
    EXPECT_EQ(screen.find("Ctrl+C"), std::string::npos) << screen;
  }
  {
    TextToolkit toolkit(FrontEndOptions{"text", false}, pipes.in[0], pipes.out[1], false);
    toolkit.SetOwnWords(german);
    // The wizard gives the message boxes' buttons in its language too.
    const ButtonCaptions english = SetMessageBoxCaptions({"", "", "&Ja", "&Nein", ""});
    Wizard wizard(toolkit);
    wizard.on_next = [&wizard] {
      EXPECT_EQ(MessageBox("Extras?", "Setup", Buttons::YesNo), Answer::No);
      wizard.form.Close();
    };
    pipes.Type("\nn\n");
    toolkit.Run(wizard.form);
    SetMessageBoxCaptions(english);
  }
  out.Stop();
  EXPECT_NE(out.Text().find("Auswahl [1]: "), std::string::npos) << out.Text();
  EXPECT_NE(out.Text().find("1) Ja  2) Nein"), std::string::npos) << out.Text();
}

// A line written to standard error while the wizard owns the terminal (a
// rolled-back run says so there) is shown under the title and written again
// once the screen is left, instead of being lost with the alternate screen.
TEST(TextToolkitTest, StandardErrorLinesStayVisible) {
  Pty pty;
  ASSERT_GE(pty.slave, 0);
  Drain screen(pty.master);
  const int saved = dup(STDERR_FILENO);
  ASSERT_GE(saved, 0);
  ASSERT_GE(dup2(pty.slave, STDERR_FILENO), 0);
  {
    TextToolkit toolkit(FrontEndOptions{"text", false}, pty.slave, pty.slave, true);
    Wizard wizard(toolkit);
    wizard.on_next = [&] {
      std::fprintf(stderr, "setup: The installation was rolled back.\n");
      toolkit.ProcessMessages();
      wizard.form.Close();
    };
    pty.Type("w");
    toolkit.Run(wizard.form);
  }
  dup2(saved, STDERR_FILENO);
  close(saved);
  screen.Stop();
  const std::string out = screen.Text();
  const size_t left = out.find("\x1b[?1049l");
  ASSERT_NE(left, std::string::npos);
  const size_t shown = out.find("setup: The installation was rolled back.");
  EXPECT_LT(shown, left) << "not shown in the wizard";
  EXPECT_NE(out.find("setup: The installation was rolled back.\r\n", left), std::string::npos)
      << "not written after the screen was left";
}

// A program started as the wizard closes that outlives it (the
// uninstaller's finaliser) writes to the terminal: standard error is given
// back before the close callback runs. The program writes only once the
// toolkit is gone, when nothing could copy a capture out any more.
TEST(TextToolkitTest, ProgramsStartedOnCloseWriteToTheTerminal) {
  Pty pty;
  ASSERT_GE(pty.slave, 0);
  Drain screen(pty.master);
  test::TempDir dir;
  const std::string go = dir.file("go"), done = dir.file("done");
  const int saved = dup(STDERR_FILENO);
  ASSERT_GE(saved, 0);
  ASSERT_GE(dup2(pty.slave, STDERR_FILENO), 0);
  {
    TextToolkit toolkit(FrontEndOptions{"text", false}, pty.slave, pty.slave, true);
    Wizard wizard(toolkit);
    wizard.form.SetOnClose([&] {
      platform::StartProgram("/bin/sh", {"-c", "while [ ! -e '" + go +
                                                   "' ]; do sleep 0.01; done; "
                                                   "echo 'finaliser: left in place' >&2; : >'" +
                                                   done + "'"});
    });
    wizard.on_next = [&] { wizard.form.Close(); };
    pty.Type("w");
    toolkit.Run(wizard.form);
  }
  dup2(saved, STDERR_FILENO);
  close(saved);
  test::WriteHostFile(go, "");
  ASSERT_TRUE(test::WaitUntil([&] { return platform::FileExists(done); }));
  // Written after the program's line: once this is read, that line is too.
  ASSERT_EQ(write(pty.slave, "END\n", 4), 4);
  ASSERT_TRUE(screen.WaitFor("END"));
  screen.Stop();
  EXPECT_NE(screen.Text().find("finaliser: left in place"), std::string::npos) << screen.Text();
}

TEST(FrontEndChoiceTest, TerminalWizardWhenThereIsNoDisplayButATerminal) {
  FrontEndFacts facts;
  facts.graphical = "fltk";
  facts.text = true;
  facts.terminal = true;
  EXPECT_EQ(ChooseFrontEnd(facts).ui, "text");
  facts.display = true;
  EXPECT_EQ(ChooseFrontEnd(facts).ui, "fltk");
  facts.unattended = true;
  EXPECT_EQ(ChooseFrontEnd(facts).ui, "headless");
  facts.ui = "text";
  EXPECT_EQ(ChooseFrontEnd(facts).ui, "text");

  FrontEndFacts none;
  none.graphical = "fltk";
  none.text = true;
  const FrontEndChoice choice = ChooseFrontEnd(none);
  EXPECT_EQ(choice.ui, "");
  EXPECT_NE(choice.error.find("--unattended"), std::string::npos);

  // The graphical front-end failed to load: the terminal, if there is one.
  facts = FrontEndFacts{};
  facts.text = true;
  facts.terminal = true;
  EXPECT_EQ(FallBackFrontEnd(facts, "libXft.so.2 not found").ui, "text");
  facts.terminal = false;
  const FrontEndChoice failed = FallBackFrontEnd(facts, "libXft.so.2 not found");
  EXPECT_EQ(failed.ui, "");
  EXPECT_NE(failed.error.find("libXft.so.2"), std::string::npos);
}

TEST(FolderPromptTest, NormalisesTypedFoldersAndListsWhatExists) {
  test::TestMachine machine;
  ASSERT_TRUE(platform::CreateDirectory("C:\\Games"));
  ASSERT_TRUE(platform::CreateDirectory("C:\\Games\\Old"));
  ASSERT_TRUE(platform::CreateDirectory("C:\\Games\\.hidden"));
  EXPECT_EQ(NormaliseFolder("c:/games/new"), "C:\\games\\new");
  EXPECT_EQ(NormaliseFolder("d:"), "D:\\");
  EXPECT_EQ(DeepestExistingFolder("c:/Games/New/Deeper"), "C:\\Games\\");
  EXPECT_EQ(DeepestExistingFolder("C:\\"), "C:\\");
  EXPECT_EQ(DeepestExistingFolder("Q:\\nowhere"), "");
  EXPECT_EQ(DeepestExistingFolder("relative"), "");
  std::string listing;
  for (const CellLine& line : FolderListing("C:\\Games\\New", 60))
    listing += Render(line, false) + "\n";
  EXPECT_NE(listing.find("Drives: C:\\   D:\\   Z:\\"), std::string::npos) << listing;
  EXPECT_NE(listing.find("Folders in C:\\Games\\: Old\n"), std::string::npos) << listing;
}

}  // namespace
}  // namespace wizpak::gui::text
