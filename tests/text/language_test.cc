#include <gtest/gtest.h>

#include <string>

#include "platform/codepage.h"
#include "support/test_support.h"
#include "text/language.h"
#include "text/unicode_string_list.h"

namespace wizpak {
namespace {

// A language file as stored: byte-order mark, then UTF-16 LE of `text`.
std::string LanguageFile(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

std::vector<std::u16string> Lines(std::u16string_view text) {
  const std::string bytes = LanguageFile(text);
  TUnicodeStringList list;
  EXPECT_TRUE(list.LoadFromBuffer(bytes.data(), bytes.size()));
  std::vector<std::u16string> out;
  for (int32_t i = 0; i < list.Count(); ++i) out.push_back(list.Get(i));
  return out;
}

using V = std::vector<std::u16string>;

TEST(UnicodeStringList, LineEndings) {
  EXPECT_EQ(Lines(u"a\r\nb\r\n"), (V{u"a", u"b"}));             // CR LF, no empty last line
  EXPECT_EQ(Lines(u"a\rb\r"), (V{u"a", u"b"}));                 // CR alone
  EXPECT_EQ(Lines(u"a\r\nb"), (V{u"a", u"b"}));                 // last line without CR
  EXPECT_EQ(Lines(u"a\r\r\nb"), (V{u"a", u"", u"b"}));          // an empty line in between
  EXPECT_EQ(Lines(u"lost\nkept\r\nx\ny"), (V{u"kept", u"y"}));  // text before a lone LF is dropped
  EXPECT_EQ(Lines(u""), V{});
}

TEST(UnicodeStringList, BufferEdges) {
  TUnicodeStringList list;
  EXPECT_FALSE(list.LoadFromBuffer(nullptr, 10));
  EXPECT_EQ(list.Count(), 0);
  // One byte, or the mark alone: no characters.
  EXPECT_TRUE(list.LoadFromBuffer("\xFF", 1));
  EXPECT_EQ(list.Count(), 0);
  // An odd last byte is ignored; the mark is not checked.
  const std::string bytes = std::string("xxA\0B\0C", 7);
  ASSERT_TRUE(list.LoadFromBuffer(bytes.data(), bytes.size()));
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Get(0), u"AB");
  EXPECT_EQ(list.Get(1), u"");
  EXPECT_EQ(list.Get(-1), u"");
  int marker = 0;
  EXPECT_EQ(list.AddObject(u"x", &marker), 1);
  EXPECT_EQ(list.GetObject(1), &marker);
  EXPECT_EQ(list.GetObject(0), nullptr);
}

TLanguage Load(std::u16string_view text, bool expect_ok = true) {
  const std::string bytes = LanguageFile(text);
  TLanguage language;
  const LanguageLoadResult result = language.LoadFromBuffer(bytes.data(), bytes.size());
  EXPECT_EQ(result.ok, expect_ok) << result.message;
  return language;
}

TEST(Language, NameIdsAndStrings) {
  const TLanguage language =
      Load(u"English\r\n0c09;2809;0409;\r\n1 Hello\r\n  2 \t  Two<BR>lines <%X%>\r\n");
  EXPECT_EQ(language.Name, u"English");
  EXPECT_EQ(language.LangIDs, (std::vector<uint16_t>{0x0c09, 0x2809, 0x0409}));
  ASSERT_EQ(language.Strings.size(), 2u);
  EXPECT_EQ(language.Strings[0].Number, 1);
  EXPECT_EQ(language.Strings[0].Text, u"Hello");
  EXPECT_EQ(language.Strings[1].Number, 2);
  EXPECT_EQ(language.Strings[1].Text, u"Two<BR>lines <%X%>");  // kept as written
}

TEST(Language, QuotedNumberAndHexNumber) {
  const TLanguage language = Load(u"X\r\n0409\r\n\"7\" Seven\r\n$1F\tTabbed  \r\n");
  EXPECT_EQ(language.LangIDs, (std::vector<uint16_t>{0x0409}));  // single id without ";"
  ASSERT_EQ(language.Strings.size(), 2u);
  EXPECT_EQ(language.Strings[0].Number, 7);
  EXPECT_EQ(language.Strings[0].Text, u"Seven");
  EXPECT_EQ(language.Strings[1].Number, 0x1F);
  EXPECT_EQ(language.Strings[1].Text, u"Tabbed");  // trailing blanks trimmed
}

TEST(Language, IdentifierListWithoutFinalSemicolonIsAccepted) {
  EXPECT_EQ(Load(u"X\r\n0407;0807\r\n").LangIDs, (std::vector<uint16_t>{0x0407, 0x0807}));
  EXPECT_EQ(Load(u"X\r\n0407;0807;\r\n").LangIDs, (std::vector<uint16_t>{0x0407, 0x0807}));
  // Identifiers keep their low 16 bits.
  EXPECT_EQ(Load(u"X\r\n10409;\r\n").LangIDs, (std::vector<uint16_t>{0x0409}));
}

TEST(Language, BadFilesFail) {
  Load(u"X\r\nzz09;\r\n", false);                    // identifier not hexadecimal
  Load(u"X\r\n04;;09;\r\n", false);                  // empty identifier inside the list
  Load(u"X\r\n", false);                             // no identifier line
  Load(u"X\r\n0409;\r\nabc text\r\n", false);        // string number not a number
  Load(u"X\r\n0409;\r\n1 a\r\n\r\n2 b\r\n", false);  // empty string line
  TLanguage language;
  EXPECT_FALSE(language.LoadFromBuffer(nullptr, 0).ok);
  EXPECT_EQ(language.Name, u"Untitled");
  const std::string bytes = LanguageFile(u"X\r\n0409;\r\n1 a\r\nbad\r\n");
  const LanguageLoadResult result = language.LoadFromBuffer(bytes.data(), bytes.size());
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.message.find("line 4"), std::string::npos) << result.message;
  EXPECT_NE(result.message.find("'bad'"), std::string::npos) << result.message;
}

TEST(Language, NumberOnlyLineGivesEmptyString) {
  const TLanguage language = Load(u"X\r\n0409;\r\n26 \r\n27\r\n");
  ASSERT_EQ(language.Strings.size(), 2u);
  EXPECT_EQ(language.Strings[0].Number, 26);
  EXPECT_EQ(language.Strings[0].Text, u"");
  EXPECT_EQ(language.Strings[1].Number, 27);
}

class LanguagesTest : public ::testing::Test {
 protected:
  void Add(std::u16string_view text) {
    const std::string bytes = LanguageFile(text);
    ASSERT_TRUE(table.AddLanguage(bytes.data(), bytes.size()).ok);
  }
  TLanguages table;
};

TEST_F(LanguagesTest, FindByLangIdFirstLoadedWins) {
  EXPECT_EQ(table.FindByLangID(0x0409), -1);
  Add(u"English\r\n0c09;2809;0409;\r\n");
  Add(u"Also English\r\n0409;\r\n");
  Add(u"Deutsch\r\n0407;\r\n");
  EXPECT_EQ(table.FindByLangID(0x0409), 0);
  EXPECT_EQ(table.FindByLangID(0x0407), 2);
  EXPECT_EQ(table.FindByLangID(0x0415), -1);
}

TEST_F(LanguagesTest, GetString) {
  EXPECT_EQ(table.GetString(5), u"NOT FOUND 5");  // no language at all
  Add(u"English\r\n0409;\r\n26 \r\n7 first\r\n7 second\r\n");
  EXPECT_EQ(table.GetString(26), u"NOT FOUND 26");  // Current still -1
  table.Current = 0;
  EXPECT_EQ(table.GetString(26), u"");
  EXPECT_EQ(table.GetString(7), u"first");
  EXPECT_EQ(table.GetString(99), u"NOT FOUND 99");
  EXPECT_EQ(table.GetString(65535), u"NOT FOUND 65535");
  table.Current = 3;
  EXPECT_EQ(table.GetString(7), u"NOT FOUND 7");
}

TEST_F(LanguagesTest, ExpandLangTags) {
  EXPECT_EQ(table.ExpandLangTags(u"a<LANG1>b"), u"a<LANG1>b");  // no current language
  Add(u"English\r\n0409;\r\n1 One\r\n2 [<LANG1>]\r\n3 <LANG3>\r\n65 wrapped\r\n");
  table.Current = 0;
  EXPECT_EQ(table.ExpandLangTags(u"x<LANG1>y<LANG1>z"), u"xOneyOnez");
  EXPECT_EQ(table.ExpandLangTags(u"<LANG2>"), u"[One]");        // nested tag expanded
  EXPECT_EQ(table.ExpandLangTags(u"<LANG65601>"), u"wrapped");  // 65601 = 65536 + 65
  EXPECT_EQ(table.ExpandLangTags(u"<lang1>"), u"<lang1>");      // tags are case-sensitive
  EXPECT_EQ(table.ExpandLangTags(u"<LANG4>"), u"NOT FOUND 4");
  // A string naming itself stops at the depth limit instead of looping.
  EXPECT_EQ(table.ExpandLangTags(u"<LANG3>"), u"<LANG3>");
}

TEST_F(LanguagesTest, MalformedTagsAreReported) {
  Add(u"English\r\n0409;\r\n1 One\r\n");
  table.Current = 0;
  TagExpansionResult r = table.ExpandLangTagsChecked(u"<LANG1> <LANGx> <LANG1>");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.text, u"One <LANGx> <LANG1>");
  EXPECT_NE(r.message.find("'x'"), std::string::npos);
  r = table.ExpandLangTagsChecked(u"<LANG1> <LANG1");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.text, u"One <LANG1");
  r = table.ExpandLangTagsChecked(u"<LANG1>");
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.text, u"One");
}

// Many self-references per string must not blow up: the replacement budget
// bounds the work.
TEST_F(LanguagesTest, ExpansionWorkIsBounded) {
  Add(u"X\r\n0409;\r\n1 <LANG1><LANG1><LANG1><LANG1><LANG1><LANG1><LANG1><LANG1>\r\n");
  table.Current = 0;
  const std::u16string out = table.ExpandLangTags(u"<LANG1>");
  EXPECT_LT(out.size(), 100000u);
}

// The shipped files load and carry every number the program asks for.
TEST(ShippedLanguages, LoadWithEveryProgramString) {
  const std::string base = test::SourceDir() + "/data/languages/";
  struct File {
    const char* path;
    uint16_t lang_id;
  };
  for (const File& file :
       {File{"install/english.wri", 0x0409}, File{"install/german.wri", 0x0407},
        File{"uninstall/english.wri", 0x0409}, File{"uninstall/german.wri", 0x0407}}) {
    SCOPED_TRACE(file.path);
    const std::string bytes = test::ReadHostFile(base + file.path);
    ASSERT_GT(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    TLanguages table;
    const LanguageLoadResult result = table.AddLanguage(bytes.data(), bytes.size());
    ASSERT_TRUE(result.ok) << result.message;
    table.Current = table.FindByLangID(file.lang_id);
    ASSERT_EQ(table.Current, 0);
    // 60-81: the terminal wizard's own words, so a German run is German
    // throughout.
    for (uint16_t n = 1; n <= 81; n = n == 32 ? 60 : n + 1) {
      EXPECT_EQ(table.GetString(n).find(u"NOT FOUND"), std::u16string::npos) << n;
    }
  }
}

// The shipped files are what the converter makes of their UTF-8 sources.
TEST(ShippedLanguages, MatchTheirSources) {
  const std::string base = test::SourceDir() + "/data/languages/";
  for (const char* name :
       {"install/english", "install/german", "uninstall/english", "uninstall/german"}) {
    SCOPED_TRACE(name);
    std::string source_name = name;
    source_name[source_name.find('/')] = '-';
    std::string source = test::ReadHostFile(base + "src/" + source_name + ".txt");
    ASSERT_FALSE(source.empty());
    std::string text;
    for (char c : source) {
      if (c == '\n') text += '\r';
      text += c;
    }
    EXPECT_EQ(test::ReadHostFile(base + name + ".wri"), LanguageFile(Utf8ToWide(text)))
        << "run data/languages/make_languages.py";
  }
}

TEST(ShippedLanguages, EnglishTextsOfTheProgramStrings) {
  const std::string base = test::SourceDir() + "/data/languages/";
  TLanguages install;
  const std::string a = test::ReadHostFile(base + "install/english.wri");
  ASSERT_TRUE(install.AddLanguage(a.data(), a.size()).ok);
  install.Current = 0;
  EXPECT_EQ(install.GetString(18), u"Extracting <%FILENAME%>");
  EXPECT_EQ(install.GetString(20), u"Writing <%KYPNAME%>`s Header");
  EXPECT_EQ(install.GetString(26), u"");
  EXPECT_EQ(install.GetString(27), u"Are you sure you want to quit the installation?");
  TLanguages uninstall;
  const std::string b = test::ReadHostFile(base + "uninstall/english.wri");
  ASSERT_TRUE(uninstall.AddLanguage(b.data(), b.size()).ok);
  uninstall.Current = 0;
  EXPECT_EQ(uninstall.GetString(19), u"Uninstalling <%KYPNAME%>: <%FNUM%> of <%FTOTAL%> items");
  EXPECT_EQ(uninstall.GetString(24), u"registary enteries");
  EXPECT_EQ(uninstall.GetString(26), u"Uninstallation");
}

}  // namespace
}  // namespace wizpak
