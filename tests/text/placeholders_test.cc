#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "package/setup_info.h"
#include "text/language.h"
#include "text/number_format.h"
#include "text/path_helpers.h"
#include "text/placeholders.h"
#include "text/run_texts.h"

namespace wizpak {
namespace {

class SharedStateTest : public ::testing::Test {
 protected:
  RunTexts texts;
  RunFigures& figures = texts.figures;
};

TEST(Placeholders, FollowTheirVariablesAfterRegistration) {
  std::string title = "First";
  std::string empty;
  TLanguageStrings table;
  table.RegisterPlaceholder("<%SETUPTITLE%>", title);
  table.RegisterPlaceholder("<%GONE%>", empty);
  EXPECT_EQ(table.Items[0].Name, "<%setuptitle%>");
  EXPECT_EQ(table.ExpandTextPlaceholders(u"<%setuptitle%>!"), u"First!");
  title = "Second";
  EXPECT_EQ(table.ExpandTextPlaceholders(u"<%SetupTitle%> <%SETUPTITLE%>"), u"Second Second");
  EXPECT_EQ(table.ExpandTextPlaceholders(u"a<%GONE%>b"), u"ab");  // empty value removes it
  EXPECT_EQ(TLanguageStrings().ExpandTextPlaceholders(u"<%SETUPTITLE%>"), u"<%SETUPTITLE%>");
}

TEST(Placeholders, ValueHoldingItsOwnPlaceholderTerminates) {
  std::string value = "<%X%><%X%>";
  TLanguageStrings table;
  table.RegisterPlaceholder("<%X%>", value);
  EXPECT_EQ(table.ExpandTextPlaceholders(u"<%X%>"), u"<%X%><%X%>");
}

TEST_F(SharedStateTest, RunTableHasTheFivePlaceholders) {
  const TLanguageStrings& table = texts.placeholders;
  ASSERT_EQ(table.Items.size(), 5u);
  EXPECT_EQ(table.Items[0].Name, "<%setuptitle%>");
  EXPECT_EQ(table.Items[1].Name, "<%setupshorttitle%>");
  EXPECT_EQ(table.Items[2].Name, "<%changelog%>");
  EXPECT_EQ(table.Items[3].Name, "<%spacereq%>");
  EXPECT_EQ(table.Items[4].Name, "<%spaceava%>");
  figures.SetSpaceRequired(1536);
  figures.SpaceAvailableText = "2.00 GB";
  EXPECT_EQ(table.ExpandTextPlaceholders(u"<%SPACEREQ%> / <%SPACEAVA%>"), u"1.50 KB / 2.00 GB");
}

TEST_F(SharedStateTest, RecordPlaceholdersAndInstallDirFollowTheRecord) {
  TSetupInfoFile& record = texts.record;
  const TLanguageStrings& table = texts.placeholders;  // registered before loading
  record.SetupName = "Game Deluxe";
  record.ShortName = "Game";
  record.Changelog = "v2";
  record.InstallDir = "C:\\Games\\Game\\";
  EXPECT_EQ(table.ExpandTextPlaceholders(u"<%SETUPTITLE%>|<%SETUPSHORTTITLE%>|<%CHANGELOG%>"),
            u"Game Deluxe|Game|v2");
  EXPECT_EQ(ExpandPathVariables(texts, "$INSTDIR\\bin"), "C:\\Games\\Game\\bin");
  EXPECT_EQ(CompressPathVariables(texts, "C:\\Games\\Game\\bin"), "$INSTDIRbin");
}

// Each run's placeholders are bound to its own record and figures: a second
// run neither sees nor changes the first one's texts.
TEST(RunTextsTest, TwoRunsKeepTheirOwnTexts) {
  RunTexts first;
  RunTexts second;
  first.record.SetupName = "First";
  first.figures.SpaceAvailableText = "1.00 KB";
  second.record.SetupName = "Second";
  EXPECT_EQ(first.placeholders.ExpandTextPlaceholders(u"<%SETUPTITLE%> <%SPACEAVA%>"),
            u"First 1.00 KB");
  EXPECT_EQ(second.placeholders.ExpandTextPlaceholders(u"<%SETUPTITLE%> <%SPACEAVA%>"), u"Second ");
}

TEST_F(SharedStateTest, WizardTextOrder) {
  const std::string file = std::string("\xFF\xFE", 2) + [] {
    std::string s;
    for (char c : std::string("E\r\n0409;\r\n7 Free: <%SPACEAVA%><BR>ok\r\n")) {
      s.push_back(c);
      s.push_back('\0');
    }
    return s;
  }();
  TLanguages& languages = texts.languages;
  ASSERT_TRUE(languages.AddLanguage(file.data(), file.size()).ok);
  languages.Current = 0;
  figures.SpaceAvailableText = "3.00 MB";
  // Tags first, so placeholders and "<BR>" inside language strings are
  // replaced too.
  EXPECT_EQ(ExpandWizardText(texts, u"<LANG7><br>."), u"Free: 3.00 MB\rok\r.");
}

TEST(FormatByteSize, Figures) {
  EXPECT_EQ(FormatByteSize(0), "0.00 Bytes");
  EXPECT_EQ(FormatByteSize(500), "500.00 Bytes");
  EXPECT_EQ(FormatByteSize(1023), "1023.00 Bytes");
  EXPECT_EQ(FormatByteSize(1024), "1.00 KB");
  EXPECT_EQ(FormatByteSize(1536), "1.50 KB");
  EXPECT_EQ(FormatByteSize(1048575), "1024.00 KB");  // 1023.999 rounds up
  EXPECT_EQ(FormatByteSize(1048576), "1.00 MB");
  EXPECT_EQ(FormatByteSize(5ull << 30), "5.00 GB");
  EXPECT_EQ(FormatByteSize(5ull << 40), "5120.00 GB");
  EXPECT_EQ(FormatByteSize(UINT64_MAX), "17179869184.00 GB");
}

TEST(NumberFormat, FixedAndThousands) {
  EXPECT_EQ(FormatFixed(0.005L, 2), "0.01");
  EXPECT_EQ(FormatFixed(-1.25L, 1), "-1.3");
  EXPECT_EQ(FormatFixed(-0.001L, 2), "0.00");
  EXPECT_EQ(FormatFixed(3.0L, 0), "3");
  EXPECT_EQ(FormatThousands(0), "0");
  EXPECT_EQ(FormatThousands(999), "999");
  EXPECT_EQ(FormatThousands(1234567), "1,234,567");
  EXPECT_EQ(FormatThousands(-1000), "-1,000");
  EXPECT_EQ(FormatThousands(INT64_MIN), "-9,223,372,036,854,775,808");
}

// Texts must not follow the host's numeric locale.
TEST(NumberFormat, IndependentOfGermanLocale) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr &&
      std::setlocale(LC_ALL, "de_DE") == nullptr) {
    GTEST_SKIP() << "no German locale installed";
  }
  const std::string size = FormatByteSize(1536);
  const std::string grouped = FormatThousands(1234567);
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(size, "1.50 KB");
  EXPECT_EQ(grouped, "1,234,567");
}

TEST_F(SharedStateTest, ExpandPathVariables) {
  EXPECT_EQ(ExpandPathVariables(figures, "$INSTDIR\\\\\\File", "C:\\Game\\"), "C:\\Game\\File");
  EXPECT_EQ(ExpandPathVariables(figures, "$instdir\\a;$INSTDIR\\b", "C:\\G"), "C:\\G\\a;C:\\G\\b");
  EXPECT_EQ(ExpandPathVariables(figures, "$INSTALLDIR\\x", "D:\\Y\\"), "D:\\Y\\x");
  // Unknown values expand to nothing; a network prefix collapses too.
  EXPECT_EQ(ExpandPathVariables(figures, "$CDDRIVE\\setup.exe", ""), "\\setup.exe");
  EXPECT_EQ(ExpandPathVariables(figures, "\\\\server\\share", ""), "\\server\\share");
  figures.ProgramsFolder = "C:\\ProgramData\\Start Menu\\Programs\\";
  figures.ProgramFilesFolder = "C:\\Program Files\\";
  figures.CDDriveRoot = "D:\\";
  EXPECT_EQ(ExpandPathVariables(figures, "$SMPROGRAMS\\Game\\Play.lnk", ""),
            "C:\\ProgramData\\Start Menu\\Programs\\Game\\Play.lnk");
  EXPECT_EQ(ExpandPathVariables(figures, "$PROGRAMFILES\\Game", ""), "C:\\Program Files\\Game");
  EXPECT_EQ(ExpandPathVariables(figures, "$CDDRIVE\\data", ""), "D:\\data");
  // "$INSTDIR" is replaced before "$INSTALLDIR" could be seen in a folder name.
  EXPECT_EQ(ExpandPathVariables(figures, "$INSTDIR", "C:\\$INSTALLDIR"), "C:\\C:\\$INSTALLDIR");
  EXPECT_EQ(ExpandPathVariables(texts, std::u16string_view(u"$PROGRAMFILES\\\u0141")),
            u"C:\\Program Files\\\u0141");
}

TEST_F(SharedStateTest, CompressPathVariables) {
  figures.ProgramsFolder = "C:\\Menu\\";
  figures.ProgramFilesFolder = "C:\\Program Files\\";
  EXPECT_EQ(CompressPathVariables(figures, "c:\\games\\x\\a.dat", "C:\\Games\\X"),
            "$INSTDIR\\a.dat");
  // The folder values carry their trailing backslash, and so does what they replace;
  // expanding the stored form gives the path back.
  EXPECT_EQ(CompressPathVariables(figures, "C:\\Menu\\Game.lnk", "C:\\Games"),
            "$SMPROGRAMSGame.lnk");
  EXPECT_EQ(ExpandPathVariables(figures, "$SMPROGRAMSGame.lnk", ""), "C:\\Menu\\Game.lnk");
  EXPECT_EQ(CompressPathVariables(figures, "C:\\Program Files\\Y", "C:\\Games"), "$PROGRAMFILESY");
  EXPECT_EQ(ExpandPathVariables(figures, "$PROGRAMFILESY", ""), "C:\\Program Files\\Y");
  // Nothing known, nothing replaced; no backslash collapsing.
  EXPECT_EQ(CompressPathVariables(figures, "D:\\\\x", ""), "D:\\\\x");
  // An installation folder below program files becomes $INSTDIR, not $PROGRAMFILES.
  EXPECT_EQ(CompressPathVariables(figures, "C:\\Program Files\\Game\\a", "C:\\Program Files\\Game"),
            "$INSTDIR\\a");
}

TEST(PathHelpers, SmallOnes) {
  EXPECT_EQ(IncludeBackslash(""), "");
  EXPECT_EQ(IncludeBackslash("C:"), "C:\\");
  EXPECT_EQ(IncludeBackslash("C:\\x\\"), "C:\\x\\");
  EXPECT_EQ(SplitNameValue("a=b=c"), (std::pair<std::string, std::string>{"a", "b=c"}));
  EXPECT_EQ(SplitNameValue(" no equals "),
            (std::pair<std::string, std::string>{"", " no equals "}));
  EXPECT_EQ(SplitNameValue("=v"), (std::pair<std::string, std::string>{"", "v"}));
  EXPECT_EQ(RootKeyFromIndex(0), platform::RootKey::LocalMachine);
  EXPECT_EQ(RootKeyFromIndex(4), platform::RootKey::CurrentConfig);
  EXPECT_EQ(RootKeyFromIndex(5), std::nullopt);
  EXPECT_EQ(RootKeyFromIndex(-1), std::nullopt);
  EXPECT_EQ(ParseIntOrMinusOne("12"), 12);
  EXPECT_EQ(ParseIntOrMinusOne("$10"), 16);
  EXPECT_EQ(ParseIntOrMinusOne("label"), -1);
  EXPECT_EQ(ParseIntOrMinusOne(""), -1);
}

}  // namespace
}  // namespace wizpak
