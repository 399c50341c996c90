// The error report: its file name search, its layout line for line, the
// command-line rule and the message that names the file.
#include <gtest/gtest.h>

#include "diagnostics/error_report.h"
#include "gui/transcript.h"
#include "platform/paths.h"
#include "support/test_support.h"

namespace wizpak::diagnostics {
namespace {

ReportFacts SampleFacts() {
  ReportFacts facts;
  facts.setup_name = "Demo Game";
  facts.setup_exe_name = "setup.exe";
  facts.package = PackageFacts{"KYPF", 1, 25, "C:\\Downloads\\setup.exe"};
  facts.arguments = {"C:\\Downloads\\setup.exe", "/s", "pak"};
  facts.os.version = {5, 1, 2600, 2, "Service Pack 2"};
  facts.os.extended_ok = true;
  facts.os.product_type = 1;
  facts.os.suite_mask = kSuitePersonal;
  facts.os.service_pack_major = 2;
  facts.total_physical_bytes = 512ull * 1024 * 1024 + 5;
  facts.cpu_mhz = 2394;
  return facts;
}

TEST(ErrorReportFormatTest, WholeLayoutLineForLine) {
  const std::string report =
      FormatErrorReport(SampleFacts(), "Stream read error", "Verification Stage");
  const std::string expected =
      "General Info\r\n"
      "------------\r\n"
      "Setup Name             : Demo Game\r\n"
      "Setup EXE Name         : setup.exe\r\n"
      "\r\n"
      "Pak Info\r\n"
      "--------\r\n"
      "ID                     : KYPF\r\n"
      "Version                : 1\r\n"
      "Count                  : 25\r\n"
      "Package File           : C:\\Downloads\\setup.exe\r\n"
      "\r\n"
      "ErrorType              : Verification Stage\r\n"
      "ErrorText              : Stream read error\r\n"
      "\r\n"
      "Params                 : /S PAK\r\n"
      "ParamCount             : 2\r\n"
      "\r\n"
      "Windows Info\r\n"
      "------------\r\n"
      "Product                : Windows XP Home Edition\r\n"
      "BuildNumber            : 2600\r\n"
      "ServicePack            : Service Pack 2\r\n"
      "ServicePackMajor       : 2\r\n"
      "ServicePackMinor       : 0\r\n"
      "\r\n"
      "Physical Memory        : 513MB\r\n"
      "CPU Speed              : 2394Mhz\r\n";
  EXPECT_EQ(report, expected);
}

TEST(ErrorReportFormatTest, NoPackageNoTypeAndNonWindows) {
  ReportFacts facts;
  facts.arguments = {"wizpak-stub"};
  facts.os.version = {6, 1, 0, 3, "Linux 6.1.0 x86_64"};
  const std::string report = FormatErrorReport(facts, "boom", "");
  EXPECT_NE(report.find("ID                     : (no package could be opened)\r\n"
                        "Version                : -\r\n"
                        "Count                  : -\r\n\r\n"),
            std::string::npos);
  EXPECT_NE(report.find("ErrorType              : Unknown\r\n"
                        "ErrorText              : boom\r\n"),
            std::string::npos);
  EXPECT_NE(report.find("Params                 : \r\nParamCount             : 0\r\n"),
            std::string::npos);
  EXPECT_NE(report.find("Product                : Not Windows: Linux 6.1.0 x86_64\r\n"),
            std::string::npos);
  EXPECT_NE(report.find("Physical Memory        : 1MB\r\n"), std::string::npos);
}

TEST(ErrorReportFormatTest, LongLabelsAreNotCut) {
  EXPECT_EQ(ValueLine("A label of twenty-five ch", "v"), "A label of twenty-five ch : v");
  EXPECT_EQ(ValueLine("", ""), std::string(22, ' ') + " : ");
}

TEST(ParamsTextTest, UpperCasesAndHidesTheJoinArguments) {
  EXPECT_EQ(ParamsText({"x", "/s", "/J", "name", "10.0.0.1", "setup.pak"}),
            "/S /j X X.X.X.X SETUP.PAK");
  EXPECT_EQ(ParamsText({"x", "/j"}), "/j X X.X.X.X");
  EXPECT_EQ(ParamsText({"x", "/J", "a"}), "/j X X.X.X.X");
  // A "/J" among the two hidden arguments starts the replacement again.
  EXPECT_EQ(ParamsText({"x", "/J", "a", "/J", "b", "c", "d"}), "/j X X.X.X.X /j X X.X.X.X D");
  EXPECT_EQ(ParamsText({"x", "caf\xE9"}), "CAF\xC9");  // ANSI letters too
  EXPECT_EQ(ParamsText({}), "");
}

TEST(ErrorReportFormatTest, FileNamesAndMessageAndClock) {
  EXPECT_EQ(ErrorReportFileName(0), "ErrorLog0000.TXT");
  EXPECT_EQ(ErrorReportFileName(12), "ErrorLog0012.TXT");
  EXPECT_EQ(ErrorReportFileName(12345), "ErrorLog12345.TXT");
  EXPECT_EQ(ErrorReportMessage("bad", "", "C:\\Temp\\ErrorLog0000.TXT"),
            "Unknown Error: bad\r\rError Log Created. Please Include "
            "\"C:\\Temp\\ErrorLog0000.TXT\" with your bug report");
  EXPECT_EQ(ClockMhzFromCounters(1000, 1000 + 1'197'000'000ull), 2394u);
  // Only the low 32 bits of the difference count, taken unsigned.
  EXPECT_EQ(ClockMhzFromCounters(0, 0x1'0000'0000ull + 250'000), 1u);
}

TEST(ErrorReportFileTest, NumberedAfterExistingReports) {
  test::TempDir dir;
  test::WriteHostFile(dir.file("ErrorLog0000.TXT"), "old");
  test::WriteHostFile(dir.file("ErrorLog0001.TXT"), "old");
  test::WriteHostFile(dir.file("ErrorLog0003.TXT"), "old");
  const std::string path = WriteReportFile(dir.path(), "report\r\n");
  EXPECT_EQ(path, dir.path() + "/ErrorLog0002.TXT");
  // The program form of the same folder works alike.
  EXPECT_TRUE(
      WriteReportFile(platform::FromHostPath(dir.path()), "x").ends_with("\\ErrorLog0004.TXT"));
  EXPECT_EQ(test::ReadHostFile(dir.file("ErrorLog0002.TXT")), "report\r\n");
  EXPECT_EQ(test::ReadHostFile(dir.file("ErrorLog0000.TXT")), "old");
}

TEST(ErrorReportFileTest, UnwritableFolderGivesNoPath) {
  test::TempDir dir;
  EXPECT_EQ(WriteReportFile(dir.file("missing/folder"), "x"), "");
}

// The whole job once: file in the temporary folder, message box text in the
// transcript, and the file is not opened (WIZPAK_NO_OPEN).
TEST(WriteErrorReportTest, WritesFileAndTellsTheUser) {
  test::TempDir dir;
  test::ScopedEnv tmp("TMPDIR", dir.path());
  test::ScopedEnv transcript("WIZPAK_TRANSCRIPT", dir.file("transcript"));
  test::ScopedEnv no_open("WIZPAK_NO_OPEN", "1");
  test::WriteHostFile(dir.file("ErrorLog0000.TXT"), "");
  test::WriteHostFile(dir.file("ErrorLog0001.TXT"), "");
  const std::string path =
      WriteErrorReport(ReportContext{"Demo", "setup.exe", PackageFacts{"KYPF", 1, 3, "setup.exe"}},
                       "Out of memory", "Verification Stage");
  ASSERT_FALSE(path.empty());
  EXPECT_TRUE(path.ends_with("ErrorLog0002.TXT")) << path;
  const std::string report = test::ReadHostFile(dir.file("ErrorLog0002.TXT"));
  EXPECT_TRUE(
      report.starts_with("General Info\r\n------------\r\nSetup Name             : Demo\r\n"));
  EXPECT_NE(report.find("ErrorType              : Verification Stage\r\n"), std::string::npos);
  EXPECT_EQ(test::ReadHostFile(dir.file("transcript")),
            "MESSAGEBOX caption=\"Error Report\" text=\"Verification Stage Error: Out of "
            "memory\\r\\rError Log Created. Please Include \\\"" +
                gui::CEscape(path) + "\\\" with your bug report\" buttons=OK answer=ok\n");
}

}  // namespace
}  // namespace wizpak::diagnostics
