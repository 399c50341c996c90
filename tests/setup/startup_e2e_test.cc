// The real wizpak-stub, run headless on packages made by the package writer:
// every way start-up can stop, with the exact texts the user sees.
#include <gtest/gtest.h>

#include <filesystem>

#include "gui/transcript.h"
#include "platform/codepage.h"
#include "package/pak.h"
#include "platform/registry.h"
#include "setup/stub_runner.h"
#include "support/test_support.h"

namespace wizpak::test {
namespace {

std::string BoxLine(const std::string& caption, const std::string& text) {
  return "MESSAGEBOX caption=\"" + gui::CEscape(caption) + "\" text=\"" + gui::CEscape(text) +
         "\" buttons=OK answer=ok\n";
}

std::string StatusLine(const std::string& text) {
  return "STATUS text=\"" + text + "\"\n";
}

// The trailer's directory offset of a whole package file.
uint32_t DirectoryOffsetOf(const std::string& bytes) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[bytes.size() - 4 + i]))
             << (8 * i);
  }
  return value;
}

class StartupEndToEnd : public ::testing::Test {
 protected:
  TestMachine machine_;
  TempDir work_;
  std::string package_ = work_.file("setup.pak");

  StubRun Run(const std::vector<std::string>& args) {
    return RunStub(StubPath(), args, work_.path());
  }
  StubRun RunPackage() { return Run({package_}); }

  // A package with a record, a script and two small payload files.
  // A package with a record, a script of one "file" line and its group:
  // 3,000 bytes to install, and a group-2 entry no line owns.
  std::vector<PackageEntrySpec> InstallEntries(const RecordSpec& record = {}) {
    return {{"SetupInfo", 0, SetupRecordBytes(record)},
            {"CompiledLines", 0, FileLineScriptBytes()},
            {"readme.txt", 1, std::string(3000, 'r')},
            {"stray.txt", 2, std::string(5000, 's')}};
  }
};

TEST_F(StartupEndToEnd, BareStubReportsTheMissingPackage) {
  const StubRun run = Run({});
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.transcript,
            StatusLine("Loading Header") +
                BoxLine("Error", "Invalid Setup Header. No Contents or Corrupted Contents."));
}

TEST_F(StartupEndToEnd, ArgumentThatNamesNoFileIsIgnored) {
  const StubRun run = Run({work_.file("nonesuch.pak")});
  EXPECT_NE(run.transcript.find("Invalid Setup Header"), std::string::npos);
}

TEST_F(StartupEndToEnd, DamagedEntrySevenOfTwentyFiveStopsThere) {
  std::vector<PackageEntrySpec> entries;
  for (int i = 0; i < 25; ++i) {
    entries.push_back({"data\\file" + std::to_string(i) + ".txt", 0,
                       std::string(2000 + i, static_cast<char>('a' + i % 26))});
  }
  WritePackage(package_, "", entries);
  const StoredSpan span = StoredBytesOf(package_, 7);
  std::string bytes = ReadHostFile(package_);
  bytes[span.offset + span.length / 2] ^= 0x55;
  WriteHostFile(package_, bytes);

  const StubRun run = RunPackage();
  EXPECT_EQ(run.exit_status, 1);
  std::string expected =
      StatusLine("Loading Header") + StatusLine("Status: 0 out of 25 files verifyed");
  for (int done = 2; done <= 7; ++done) {
    expected += StatusLine("Status: " + std::to_string(done) + " out of 25 files verifyed");
  }
  expected += BoxLine("Verification Error",
                      "Error: Verification Failed. Setup is corrupt.\rID: 7 Filename: "
                      "data\\file7.txt");
  EXPECT_EQ(run.transcript, expected);
}

TEST_F(StartupEndToEnd, EmptyPackagePassesVerificationAndMissesTheRecord) {
  WritePackage(package_, "", {});
  const StubRun run = RunPackage();
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(
      run.transcript,
      StatusLine("Loading Header") + StatusLine("Status: 0 out of 0 files verifyed") +
          BoxLine("Verification Error", "Error: Setup Information Missing. Setup is corrupt"));
}

TEST_F(StartupEndToEnd, MissingSetupInfo) {
  WritePackage(package_, "", {{"CompiledLines", 0, InertScriptBytes()}});
  const StubRun run = RunPackage();
  EXPECT_NE(run.transcript.find(BoxLine("Verification Error",
                                        "Error: Setup Information Missing. Setup is corrupt")),
            std::string::npos)
      << run.transcript;
}

TEST_F(StartupEndToEnd, MissingCompiledLines) {
  WritePackage(package_, "", {{"SetupInfo", 0, SetupRecordBytes({})}});
  const StubRun run = RunPackage();
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_NE(run.transcript.find(
                BoxLine("Verification Error", "Error: Compiled Lines Missing. Setup is corrupt")),
            std::string::npos)
      << run.transcript;
}

TEST_F(StartupEndToEnd, UninstallModeWithoutItsLog) {
  RecordSpec record;
  record.is_uninstaller = 1;
  WritePackage(package_, "", {{"SetupInfo", 0, SetupRecordBytes(record)}});
  const StubRun run = RunPackage();
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_NE(run.transcript.find(BoxLine("Setup Error", "Error: install log is missing")),
            std::string::npos)
      << run.transcript;
}

TEST_F(StartupEndToEnd, RenamedExecutable) {
  const std::string stub = ReadHostFile(StubPath());
  for (const char* name : {"setup(3).exe", "setup(10).exe", "setup(0).exe"}) {
    const std::string exe = work_.file(name);
    WritePackage(exe, stub, InstallEntries());
    std::filesystem::permissions(exe, std::filesystem::perms::owner_all);
    std::filesystem::remove(work_.file("transcript"));
    const StubRun run = RunStub(exe, {"--unattended"}, work_.path());
    const std::string message = BoxLine(
        "Error", std::string("Error: Setup`s filename has been renamed\r\rExpected: \rsetup.exe"
                             "\r\rFound: \r") +
                     name);
    if (std::string(name) == "setup(3).exe") {
      EXPECT_EQ(run.transcript.find("renamed"), std::string::npos) << run.transcript;
    } else {
      EXPECT_EQ(run.exit_status, 1) << name;
      EXPECT_NE(run.transcript.find(message), std::string::npos) << run.transcript;
    }
  }
}

TEST_F(StartupEndToEnd, RegistryKeyNotFound) {
  RecordSpec record;
  record.install_dir = "";
  record.key_path = "SOFTWARE\\Demo";
  record.key_name = "Path";
  WritePackage(package_, "", InstallEntries(record));
  const StubRun run = RunPackage();
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_NE(run.transcript.find(
                BoxLine("Error", "Error: Registry Key Not Found. Please Install Software")),
            std::string::npos)
      << run.transcript;
}

// The folder read from the hive is what the wizard gets (its diagnostic dump
// shows the record's InstallDir); the drive's free space is compared in
// process by the start-up step tests.
TEST_F(StartupEndToEnd, InstallFolderFromTheHive) {
  ASSERT_TRUE(platform::Registry().WriteString(platform::RootKey::LocalMachine, "SOFTWARE\\Demo",
                                               "Path", "c:\\games\\x"));
  RecordSpec record;
  record.key_path = "SOFTWARE\\Demo";
  record.key_name = "Path";
  std::vector<PackageEntrySpec> entries = InstallEntries(record);
  entries.push_back({"Pages.txt", 0, "[Pages]\r\nend.txt\r\n[PageTypes]\r\nfinish\r\n"});
  entries.push_back({"end.txt", 0, "[done_label]\r\nType=TLabel\r\n"});
  WritePackage(package_, "", entries);
  ScopedEnv dump("WIZPAK_DEBUG_DUMP", work_.file("dump.txt"));
  const StubRun run = Run({package_, "--unattended"});
  EXPECT_EQ(run.transcript.find("MESSAGEBOX"), std::string::npos) << run.transcript;
  EXPECT_EQ(run.exit_status, 0) << run.stderr_text;
  EXPECT_NE(ReadHostFile(work_.file("dump.txt")).find("InstallDir: c:\\games\\x"),
            std::string::npos)
      << ReadHostFile(work_.file("dump.txt"));
}

// An entry whose checksum matches but whose stream does not inflate passes
// the verification pass, which checks the stored bytes by their CRC; reading
// the entry is what finds it out, so start-up goes on to the record.
TEST_F(StartupEndToEnd, StreamThatDoesNotInflatePassesTheCrcPassAndStartUpGoesOn) {
  WritePackage(
      package_, "",
      {{"broken.txt", 0, std::string(4000, 'b')}, {"fine.txt", 0, std::string(4000, 'f')}});
  const StoredSpan span = StoredBytesOf(package_, 0);
  std::string bytes = ReadHostFile(package_);
  bytes[span.offset + span.length - 1] ^= 0x01;  // the stream's own checksum
  // Make the package checksum agree with the damaged stream.
  const uint32_t crc = Crc32(bytes.data() + span.offset, span.length);
  const uint32_t directory = DirectoryOffsetOf(bytes);
  const size_t crc_at = directory + 2 + std::string("broken.txt").size();
  for (int i = 0; i < 4; ++i) bytes[crc_at + i] = static_cast<char>(crc >> (8 * i));
  WriteHostFile(package_, bytes);

  const StubRun run = RunPackage();
  EXPECT_EQ(run.transcript.find("Verification Stage"), std::string::npos) << run.transcript;
  EXPECT_NE(run.transcript.find(BoxLine("Verification Error",
                                        "Error: Setup Information Missing. Setup is corrupt")),
            std::string::npos)
      << run.transcript;
}

// A language file as the package carries it: UTF-16 LE with byte-order mark.
std::string LanguageFileBytes(const std::string& text) {
  std::string bytes = "\xFF\xFE";
  for (char c : text) {
    bytes += c;
    bytes += '\0';
  }
  return bytes;
}

// A language whose string line does not start with a number is an error of
// the setup, not a language with holes: start-up ends in the report.
TEST_F(StartupEndToEnd, LanguageFileThatDoesNotReadEndsInTheReport) {
  std::vector<PackageEntrySpec> entries = InstallEntries();
  entries.push_back({"LANGUAGE-English.wri", 0,
                     LanguageFileBytes("English\r\n0409;\r\n13 Next >\r\nx Oops\r\n")});
  entries.push_back({"Pages.txt", 0, "[Pages]\r\nend.txt\r\n[PageTypes]\r\nfinish\r\n"});
  entries.push_back({"end.txt", 0, "[done_label]\r\nType=TLabel\r\n"});
  WritePackage(package_, "", entries);
  const StubRun run = Run({package_, "--unattended"});
  EXPECT_EQ(run.exit_status, 5) << run.transcript;
  const std::string report = ReadHostFile(work_.file("ErrorLog0000.TXT"));
  EXPECT_NE(report.find("ErrorText              : LANGUAGE-English.wri: line 4: 'x' is not a "
                        "valid integer value\r\n"),
            std::string::npos)
      << report;
  EXPECT_EQ(run.transcript.find("PAGE "), std::string::npos) << run.transcript;
}

TEST_F(StartupEndToEnd, HelpListsTheOptions) {
  const StubRun run = Run({"--help"});
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.transcript, "");
}

TEST_F(StartupEndToEnd, ErrorReportAfterTheExistingOnes) {
  WriteHostFile(work_.file("ErrorLog0000.TXT"), "");
  WriteHostFile(work_.file("ErrorLog0001.TXT"), "");
  // A record cut short is an unexpected error: it ends in the report.
  std::string record = SetupRecordBytes({});
  record.resize(record.size() / 2);
  WritePackage(package_, "", {{"SetupInfo", 0, record}});
  const StubRun run = RunPackage();
  EXPECT_EQ(run.exit_status, 5);
  const std::string report = ReadHostFile(work_.file("ErrorLog0002.TXT"));
  ASSERT_FALSE(report.empty()) << run.transcript;
  EXPECT_NE(report.find("ID                     : KYPF\r\n"
                        "Version                : 1\r\n"
                        "Count                  : 1\r\n"),
            std::string::npos)
      << report;
  EXPECT_NE(report.find("ErrorType              : Unknown\r\n"), std::string::npos);
  // Options are listed among the arguments too.
  EXPECT_NE(report.find("Params                 : --UI=HEADLESS " + AnsiUpper(package_) +
                        "\r\nParamCount             : 2\r\n"),
            std::string::npos)
      << report;
  EXPECT_NE(run.transcript.find("Error Log Created. Please Include"), std::string::npos);
}

}  // namespace
}  // namespace wizpak::test
