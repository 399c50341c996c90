// Message boxes without a front-end: the transcript line they leave and the
// answers queued in WIZPAK_ANSWERS.
#include <gtest/gtest.h>

#include "gui/message_box.h"
#include "gui/transcript.h"
#include "support/test_support.h"

namespace wizpak::gui {
namespace {

class MessageBoxTest : public ::testing::Test {
 protected:
  test::TempDir dir_;
  std::string transcript_ = dir_.file("transcript.txt");
  test::ScopedEnv transcript_env_{"WIZPAK_TRANSCRIPT", transcript_};
};

TEST_F(MessageBoxTest, TranscriptLineIsEscapedAndAnsiBecomesUtf8) {
  test::ScopedEnv answers("WIZPAK_ANSWERS", std::nullopt);
  // "Fehler: \"C:\\Spiele\"\r" with an ANSI u-umlaut (0xFC).
  EXPECT_EQ(MessageBox("M\xFC"
                       "de \"C:\\X\"\rTab\there",
                       "Error"),
            Answer::Ok);
  EXPECT_EQ(test::ReadHostFile(transcript_),
            "MESSAGEBOX caption=\"Error\" text=\"M\xC3\xBC"
            "de \\\"C:\\\\X\\\"\\rTab\\there\" "
            "buttons=OK answer=ok\n");
}

TEST_F(MessageBoxTest, DefaultAnswersPerButtonSet) {
  test::ScopedEnv answers("WIZPAK_ANSWERS", std::nullopt);
  EXPECT_EQ(MessageBox("a", "c", Buttons::Ok), Answer::Ok);
  EXPECT_EQ(MessageBox("a", "c", Buttons::OkCancel), Answer::Ok);
  EXPECT_EQ(MessageBox("a", "c", Buttons::YesNo), Answer::Yes);
  EXPECT_EQ(MessageBox("a", "c", Buttons::RetryCancel), Answer::Cancel);
}

TEST_F(MessageBoxTest, QueuedAnswersAreUsedOnePerBoxAndMisfitsFallBack) {
  test::ScopedEnv answers("WIZPAK_ANSWERS", "no, CANCEL,retry,yes");
  EXPECT_EQ(MessageBox("q1", "c", Buttons::YesNo), Answer::No);
  EXPECT_EQ(MessageBox("q2", "c", Buttons::OkCancel), Answer::Cancel);
  EXPECT_EQ(MessageBox("q3", "c", Buttons::RetryCancel), Answer::Retry);
  // "yes" does not fit an OK/Cancel box: the default, and the word is used up.
  EXPECT_EQ(MessageBox("q4", "c", Buttons::OkCancel), Answer::Ok);
  EXPECT_EQ(MessageBox("q5", "c", Buttons::YesNo), Answer::Yes);
  const std::string text = test::ReadHostFile(transcript_);
  EXPECT_NE(text.find("text=\"q1\" buttons=YESNO answer=no\n"), std::string::npos);
  EXPECT_NE(text.find("text=\"q3\" buttons=RETRYCANCEL answer=retry\n"), std::string::npos);
}

TEST_F(MessageBoxTest, ChangedAnswersVariableStartsANewQueue) {
  {
    test::ScopedEnv answers("WIZPAK_ANSWERS", "no,no");
    EXPECT_EQ(MessageBox("a", "c", Buttons::YesNo), Answer::No);
  }
  test::ScopedEnv answers("WIZPAK_ANSWERS", "retry");
  EXPECT_EQ(MessageBox("b", "c", Buttons::RetryCancel), Answer::Retry);
  EXPECT_EQ(MessageBox("b", "c", Buttons::YesNo), Answer::Yes);
}

TEST_F(MessageBoxTest, WideTextAndInstalledHandler) {
  MessageBoxRequest seen;
  MessageBoxHandler previous = SetMessageBoxHandler([&](const MessageBoxRequest& request) {
    seen = request;
    return Answer::No;
  });
  EXPECT_EQ(MessageBoxW(u"Beenden? \u00E4\u20AC", u"Quit", Buttons::YesNo, Icon::Question),
            Answer::No);
  EXPECT_EQ(seen.text, "Beenden? \xC3\xA4\xE2\x82\xAC");
  EXPECT_EQ(seen.caption, "Quit");
  EXPECT_EQ(seen.icon, Icon::Question);
  SetMessageBoxHandler(std::move(previous));
  // The handler was in charge: nothing reached the headless transcript.
  EXPECT_EQ(test::ReadHostFile(transcript_), "");
}

TEST(TranscriptTest, EscapesControlBytesAndKeepsUtf8) {
  EXPECT_EQ(CEscape("a\x01\x7F\xC3\xA4"), "a\\x01\\x7F\xC3\xA4");
  EXPECT_EQ(CEscape("\r\n\\\""), "\\r\\n\\\\\\\"");
}

TEST(TranscriptTest, NothingWrittenWithoutVariable) {
  test::TempDir dir;
  test::ScopedEnv unset("WIZPAK_TRANSCRIPT", std::nullopt);
  TranscriptPage(1, "welcome");  // must not crash or create anything
  test::ScopedEnv set("WIZPAK_TRANSCRIPT", dir.file("t"));
  TranscriptPage(2, "installdir");
  TranscriptStatus("Status: 1 out of 2 files verifyed");
  TranscriptFatal("disk \"full\"");
  EXPECT_EQ(test::ReadHostFile(dir.file("t")),
            "PAGE index=2 type=installdir\n"
            "STATUS text=\"Status: 1 out of 2 files verifyed\"\n"
            "FATAL text=\"disk \\\"full\\\"\"\n");
}

// Without a transcript nothing would show what a headless run was asked
// and answered: one line each on stderr, line breaks folded.
TEST(MessageBoxStderrTest, WithoutTranscriptEachBoxIsOneLineOnStderr) {
  test::ScopedEnv unset("WIZPAK_TRANSCRIPT", std::nullopt);
  test::ScopedEnv answers("WIZPAK_ANSWERS", "no");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBox("Really quit?\r\nAll is lost.\r", "Quit", Buttons::YesNo), Answer::No);
  EXPECT_EQ(MessageBox("Done", "Setup"), Answer::Ok);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "wizpak-stub: message box \"Quit\": Really quit? All is lost. [YESNO] -> no\n"
            "wizpak-stub: message box \"Setup\": Done [OK] -> ok\n");

  test::TempDir dir;
  test::ScopedEnv set("WIZPAK_TRANSCRIPT", dir.file("t"));
  ::testing::internal::CaptureStderr();
  MessageBox("Done", "Setup");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST(MessageBoxStderrTest, OneLineFoldsBreaksAndControlBytes) {
  EXPECT_EQ(OneLine("a\r\n\r\nb\tc\x01"
                    "d\n"),
            "a b c d");
  EXPECT_EQ(OneLine(""), "");
  EXPECT_EQ(OneLine("M\xC3\xBC"), "M\xC3\xBC");
}

TEST(FatalExitTest, WithoutTranscriptTheFatalLineNamesTheProgram) {
  EXPECT_EXIT(
      {
        unsetenv("WIZPAK_TRANSCRIPT");
        FatalExit("Archive damaged\rat entry 3");
      },
      ::testing::ExitedWithCode(3), "wizpak-stub: fatal: Archive damaged at entry 3\n");
}

TEST(FatalExitTest, WritesFatalLineAndExitsWithStatus3) {
  test::TempDir dir;
  const std::string path = dir.file("t");
  EXPECT_EXIT(
      {
        setenv("WIZPAK_TRANSCRIPT", path.c_str(), 1);
        FatalExit("Archive damaged");
      },
      ::testing::ExitedWithCode(3), "Archive damaged");
  EXPECT_EQ(test::ReadHostFile(path), "FATAL text=\"Archive damaged\"\n");
}

}  // namespace
}  // namespace wizpak::gui
