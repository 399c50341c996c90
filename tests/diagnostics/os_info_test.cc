// The operating-system description for made-up Windows versions: every row of
// the kind, product-class, edition and service-pack rules.
#include <gtest/gtest.h>

#include "diagnostics/os_info.h"

namespace wizpak::diagnostics {
namespace {

OSFacts Version(uint32_t platform, uint32_t major, uint32_t minor, std::string csd = "") {
  OSFacts facts;
  facts.version.platform_id = platform;
  facts.version.major = major;
  facts.version.minor = minor;
  facts.version.csd_version = std::move(csd);
  return facts;
}

OSFacts Extended(uint32_t major, uint32_t minor, uint8_t product_type, uint16_t suite = 0) {
  OSFacts facts = Version(2, major, minor);
  facts.extended_ok = true;
  facts.product_type = product_type;
  facts.suite_mask = suite;
  return facts;
}

TEST(OSKindTest, EveryRowOfTheTable) {
  struct Row {
    uint32_t platform, major, minor;
    int kind;
    const char* name;
  } rows[] = {
      {1, 4, 0, 1, "Windows 95"},         {1, 4, 10, 2, "Windows 98"},  {1, 4, 90, 3, "Windows Me"},
      {2, 4, 0, 4, "Windows NT4"},        {2, 5, 0, 5, "Windows 2000"}, {2, 5, 1, 6, "Windows XP"},
      {2, 5, 2, 7, "Windows Server2003"}, {2, 6, 0, 0, "Unknown OS"},   {2, 10, 0, 0, "Unknown OS"},
      {1, 5, 0, 0, "Unknown OS"},         {2, 4, 10, 0, "Unknown OS"},  {0, 4, 0, 0, "Unknown OS"},
      {3, 6, 1, 0, "Unknown OS"},
  };
  for (const Row& row : rows) {
    const OSFacts facts = Version(row.platform, row.major, row.minor);
    EXPECT_EQ(TOSInfo::OSKind(facts), row.kind)
        << row.platform << " " << row.major << "." << row.minor;
    EXPECT_EQ(TOSInfo::OSName(facts), row.name);
  }
}

TEST(ProductClassTest, FromExtendedQueryAndFromRegistry) {
  EXPECT_EQ(TOSInfo::ProductClass(Version(1, 4, 10)), 0);
  EXPECT_EQ(TOSInfo::ProductClass(Extended(5, 1, 1)), 2);
  EXPECT_EQ(TOSInfo::ProductClass(Extended(5, 1, 2)), 4);
  EXPECT_EQ(TOSInfo::ProductClass(Extended(5, 1, 3)), 3);
  EXPECT_EQ(TOSInfo::ProductClass(Extended(5, 1, 0)), 1);
  const std::pair<std::optional<std::string>, int> registry_rows[] = {
      {"WinNT", 2}, {"LANMANNT", 3}, {"servernt", 5}, {"Other", 1}, {std::nullopt, 1}};
  for (const auto& [value, expected] : registry_rows) {
    OSFacts facts = Version(2, 4, 0);
    facts.registry_product_type = value;
    EXPECT_EQ(TOSInfo::ProductClass(facts), expected) << value.value_or("(no key)");
  }
}

TEST(EditionTextTest, WithoutExtendedQueryTheRegistryNamesItWithTheVersion) {
  const std::pair<const char*, const char*> rows[] = {{"WINNT", "WorkStation 4.0"},
                                                      {"LanmanNT", "Server 4.0"},
                                                      {"SERVERNT", "Advanced Server 4.0"},
                                                      {"xyz", ""}};
  for (const auto& [value, expected] : rows) {
    OSFacts facts = Version(2, 4, 0);
    facts.registry_product_type = value;
    EXPECT_EQ(TOSInfo::EditionText(facts), expected) << value;
  }
  EXPECT_EQ(TOSInfo::EditionText(Version(2, 4, 0)), "");  // no key at all
  EXPECT_EQ(TOSInfo::EditionText(Version(1, 4, 0)), "");  // not NT
}

TEST(EditionTextTest, ServerEditionsBySuiteBits) {
  struct Row {
    uint32_t major, minor;
    uint8_t type;
    uint16_t suite;
    const char* edition;
  } rows[] = {
      {4, 0, 3, kSuiteEnterprise, "Server 4.0, Enterprise Edition"},
      {4, 0, 3, 0, "Server 4.0"},
      {5, 0, 3, kSuiteDatacenter | kSuiteEnterprise, "Datacenter Server"},
      {5, 0, 2, kSuiteEnterprise, "Advanced Server"},
      {5, 0, 3, 0, "Standard Edition"},
      {5, 2, 3, kSuiteDatacenter | kSuiteWeb, "DataCenter Edition"},
      {5, 2, 3, kSuiteEnterprise | kSuiteWeb, "Enterprise Edition"},
      {5, 2, 3, kSuiteWeb, "Web Edition"},
      {5, 2, 2, 0, "Standard Edition"},
      {5, 1, 3, kSuiteEnterprise, ""},  // XP as a server: no edition
      {6, 0, 3, 0, ""},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(TOSInfo::EditionText(Extended(row.major, row.minor, row.type, row.suite)),
              row.edition)
        << row.major << "." << row.minor << " suite " << row.suite;
  }
}

TEST(EditionTextTest, WorkstationEditions) {
  EXPECT_EQ(TOSInfo::EditionText(Extended(4, 0, 1)), "Workstation 4.0");
  EXPECT_EQ(TOSInfo::EditionText(Extended(5, 0, 1)), "Professional");
  EXPECT_EQ(TOSInfo::EditionText(Extended(5, 1, 1)), "Professional");
  EXPECT_EQ(TOSInfo::EditionText(Extended(5, 1, 1, kSuitePersonal)), "Home Edition");
  OSFacts tablet = Extended(5, 1, 1, kSuitePersonal);
  tablet.tablet_pc_metric = 1;
  EXPECT_EQ(TOSInfo::EditionText(tablet), "Tablet PC Edition");
  tablet.media_center_metric = 1;
  EXPECT_EQ(TOSInfo::EditionText(tablet), "Media Center Edition");
  EXPECT_EQ(TOSInfo::EditionText(Extended(6, 1, 1)), "");              // Windows 7: unknown kind
  EXPECT_EQ(TOSInfo::EditionText(Extended(5, 1, 0)), "Professional");  // class 1 is not a server
}

TEST(ServicePackTextTest, Windows95FamilyLetters) {
  EXPECT_EQ(TOSInfo::ServicePackText(Version(1, 4, 0, "C")), "OSR2");
  EXPECT_EQ(TOSInfo::ServicePackText(Version(1, 4, 0, "b")), "OSR2");
  EXPECT_EQ(TOSInfo::ServicePackText(Version(1, 4, 0, " C")), "");  // first character blank
  EXPECT_EQ(TOSInfo::ServicePackText(Version(1, 4, 0, "A")), "");
  EXPECT_EQ(TOSInfo::ServicePackText(Version(1, 4, 10, "a")), "SE");
  EXPECT_EQ(TOSInfo::ServicePackText(Version(1, 4, 10, "B")), "");
  EXPECT_EQ(TOSInfo::ServicePackText(Version(1, 4, 90, "A")), "");
  EXPECT_EQ(TOSInfo::ServicePackText(Version(1, 4, 0, "")), "");
}

TEST(ServicePackTextTest, NtPassesTheTextAndKnowsServicePack6a) {
  OSFacts nt4 = Version(2, 4, 0, "service pack 6");
  EXPECT_EQ(TOSInfo::ServicePackText(nt4), "service pack 6");
  nt4.hotfix_q246009 = true;
  EXPECT_EQ(TOSInfo::ServicePackText(nt4), "Service Pack 6a");
  OSFacts w2k = Version(2, 5, 0, "Service Pack 6");
  w2k.hotfix_q246009 = true;
  EXPECT_EQ(TOSInfo::ServicePackText(w2k), "Service Pack 6");
  EXPECT_EQ(TOSInfo::ServicePackText(Version(3, 6, 1, "Linux 6.1 x86_64")), "");
}

TEST(OSInfoNumbersTest, BuildAndServicePackNumbers) {
  OSFacts me = Version(1, 4, 90);
  me.version.build = 0x045A0BB8;  // the 9x family keeps the version in the high word
  EXPECT_EQ(TOSInfo::BuildNumber(me), 0x0BB8u);
  OSFacts xp = Extended(5, 1, 1);
  xp.version.build = 2600;
  xp.service_pack_major = 3;
  xp.service_pack_minor = 1;
  EXPECT_EQ(TOSInfo::BuildNumber(xp), 2600u);
  EXPECT_EQ(TOSInfo::ServicePackMajor(xp), 3);
  EXPECT_EQ(TOSInfo::ServicePackMinor(xp), 1);
  xp.extended_ok = false;
  EXPECT_EQ(TOSInfo::ServicePackMajor(xp), 0);
}

TEST(ProductTextTest, WindowsNamesAndAnHonestNonWindowsLine) {
  EXPECT_EQ(TOSInfo::ProductText(Extended(5, 1, 1, kSuitePersonal)), "Windows XP Home Edition");
  EXPECT_EQ(TOSInfo::ProductText(Extended(6, 0, 1)), "Unknown OS ");
  EXPECT_EQ(TOSInfo::ProductText(Version(3, 6, 1, "Linux 6.1.0 x86_64")),
            "Not Windows: Linux 6.1.0 x86_64");
  EXPECT_EQ(TOSInfo::ProductText(Version(7, 0, 0)), "Not Windows: unknown platform");
}

}  // namespace
}  // namespace wizpak::diagnostics
