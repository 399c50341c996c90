// The desktop record beside the install log: its text, what the reader
// refuses, and saving and loading it with the log (an older log without
// one loads with an empty record).
#include "uninstall/desktop_record.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/files.h"
#include "support/test_support.h"
#include "uninstall/uninstall_list.h"

namespace wizpak {
namespace {

std::optional<DesktopRecord> Decode(const std::string& text) {
  return DecodeDesktopRecord(text.data(), text.size());
}

TEST(DesktopRecord, TextRoundTripsAndKeepsOnlyWhatFitsOnALine) {
  DesktopRecord record;
  EXPECT_TRUE(record.Empty());
  record.submenu = "Games\\Wizpak Demo";
  record.AddFolder("/h/.local/share/applications");
  record.AddFile("/h/.local/share/applications/wizpak-D-Games-Play.desktop");
  record.AddFile("/h/.local/share/applications/wizpak-D-Games-Play.desktop");  // once
  record.AddFile("/h/x\ny");       // a line break would start an item of its own
  record.AddFile("relative.txt");  // no host path the writer makes
  const std::string text = EncodeDesktopRecord(record);
  EXPECT_EQ(text,
            "wizpak desktop record 1\n"
            "S Games\\Wizpak Demo\n"
            "F /h/.local/share/applications/wizpak-D-Games-Play.desktop\n"
            "D /h/.local/share/applications\n");
  const auto back = Decode(text);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->submenu, record.submenu);
  EXPECT_EQ(back->files, std::vector<std::string>{record.files[0]});
  EXPECT_EQ(back->folders, record.folders);
  EXPECT_TRUE(Decode("wizpak desktop record 1\n")->Empty());
}

TEST(DesktopRecord, ReaderRefusesWhatTheWriterNeverMakes) {
  EXPECT_FALSE(Decode(""));
  EXPECT_FALSE(Decode("wizpak desktop record 2\n"));
  EXPECT_FALSE(Decode("wizpak desktop record 1"));             // cut before its line end
  EXPECT_FALSE(Decode("wizpak desktop record 1\nF /a/b"));     // cut inside an item
  EXPECT_FALSE(Decode("wizpak desktop record 1\nF a/b\n"));    // not a host path
  EXPECT_FALSE(Decode("wizpak desktop record 1\nX /a\n"));     // unknown kind
  EXPECT_FALSE(Decode("wizpak desktop record 1\nF /a\tb\n"));  // control character
  EXPECT_FALSE(Decode("wizpak desktop record 1\nF " + std::string(5000, 'a') + "\n"));
  std::string many = "wizpak desktop record 1\n";
  for (size_t i = 0; i <= kMaxDesktopRecordItems; ++i) many += "D /d\n";
  EXPECT_FALSE(Decode(many));
  EXPECT_FALSE(DecodeDesktopRecord(nullptr, 0));
}

TEST(DesktopRecord, SavedBesideTheLogAndLoadedWithIt) {
  test::TestMachine machine;
  ASSERT_TRUE(platform::CreateDirectory("C:\\Game"));
  TUninstallList log;
  log.AddFile("C:\\Game\\a.txt");
  // Nothing on the desktop: no record file.
  ASSERT_TRUE(log.SaveToFile("C:\\Game", "G_").ok());
  EXPECT_FALSE(std::filesystem::exists(machine.drive_c() + "/Game/G_desktop.log"));

  log.Desktop().submenu = "Game";
  log.Desktop().AddFile("/h/.local/share/applications/wizpak-G-Game-Play.desktop");
  ASSERT_TRUE(log.SaveToFile("C:\\Game", "G_").ok());
  EXPECT_EQ(test::ReadHostFile(machine.drive_c() + "/Game/G_desktop.log"),
            EncodeDesktopRecord(log.Desktop()));

  TUninstallList loaded;
  ASSERT_TRUE(loaded.LoadFromFile("C:\\Game", "G_").ok());
  EXPECT_EQ(loaded.Desktop().submenu, "Game");
  EXPECT_EQ(loaded.Desktop().files, log.Desktop().files);

  // An older installation's log has no record: it loads, with nothing to
  // take off the desktop; a damaged record removes nothing either.
  std::filesystem::remove(machine.drive_c() + "/Game/G_desktop.log");
  ASSERT_TRUE(loaded.LoadFromFile("C:\\Game", "G_").ok());
  EXPECT_TRUE(loaded.Desktop().Empty());
  EXPECT_EQ(loaded.Files(), log.Files());
  test::WriteHostFile(machine.drive_c() + "/Game/G_desktop.log", "garbage");
  ASSERT_TRUE(loaded.LoadFromFile("C:\\Game", "G_").ok());
  EXPECT_TRUE(loaded.Desktop().Empty());
}

}  // namespace
}  // namespace wizpak
