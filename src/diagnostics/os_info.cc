#include "diagnostics/os_info.h"

#include <cstdio>

#include "platform/codepage.h"
#include "platform/registry.h"

namespace wizpak::diagnostics {
namespace {

constexpr uint32_t kWin9x = 1;
constexpr uint32_t kWinNT = 2;

int RegistryProductClass(const OSFacts& facts) {
  if (!facts.registry_product_type) return 1;
  const std::string type = AnsiUpper(*facts.registry_product_type);
  if (type == "WINNT") return 2;
  if (type == "LANMANNT") return 3;
  if (type == "SERVERNT") return 5;
  return 1;
}

bool Has(const OSFacts& facts, uint16_t bit) {
  return (facts.suite_mask & bit) != 0;
}

std::string ServerEdition(const OSFacts& facts, int kind) {
  switch (kind) {
    case 4:
      return Has(facts, kSuiteEnterprise) ? "Server 4.0, Enterprise Edition" : "Server 4.0";
    case 5:
      if (Has(facts, kSuiteDatacenter)) return "Datacenter Server";
      if (Has(facts, kSuiteEnterprise)) return "Advanced Server";
      return "Standard Edition";
    case 7:
      if (Has(facts, kSuiteDatacenter)) return "DataCenter Edition";
      if (Has(facts, kSuiteEnterprise)) return "Enterprise Edition";
      if (Has(facts, kSuiteWeb)) return "Web Edition";
      return "Standard Edition";
    default:
      return "";
  }
}

std::string WorkstationEdition(const OSFacts& facts, int kind) {
  switch (kind) {
    case 4:
      return "Workstation 4.0";
    case 5:
      return "Professional";
    case 6:
      if (facts.media_center_metric != 0) return "Media Center Edition";
      if (facts.tablet_pc_metric != 0) return "Tablet PC Edition";
      if (Has(facts, kSuitePersonal)) return "Home Edition";
      return "Professional";
    default:
      return "";
  }
}

}  // namespace

OSFacts CurrentOSFacts() {
  OSFacts facts;
  facts.version = platform::GetVersion();
  platform::Registry registry;
  facts.registry_product_type =
      registry.ReadString(platform::RootKey::LocalMachine,
                          "SYSTEM\\CurrentControlSet\\Control\\ProductOptions", "ProductType");
  facts.hotfix_q246009 =
      registry.KeyExists(platform::RootKey::LocalMachine,
                         "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009");
  return facts;
}

int TOSInfo::OSKind(const OSFacts& facts) {
  const auto& v = facts.version;
  if (v.platform_id == kWin9x && v.major == 4) {
    if (v.minor == 0) return 1;
    if (v.minor == 10) return 2;
    if (v.minor == 90) return 3;
  }
  if (v.platform_id == kWinNT) {
    if (v.major == 4 && v.minor == 0) return 4;
    if (v.major == 5 && v.minor == 0) return 5;
    if (v.major == 5 && v.minor == 1) return 6;
    if (v.major == 5 && v.minor == 2) return 7;
  }
  return 0;
}

std::string TOSInfo::OSName(const OSFacts& facts) {
  static constexpr const char* kNames[] = {"Unknown OS", "Windows 95",        "Windows 98",
                                           "Windows Me", "Windows NT4",       "Windows 2000",
                                           "Windows XP", "Windows Server2003"};
  return kNames[OSKind(facts)];
}

int TOSInfo::ProductClass(const OSFacts& facts) {
  if (facts.version.platform_id != kWinNT) return 0;
  if (!facts.extended_ok) return RegistryProductClass(facts);
  switch (facts.product_type) {
    case 1:
      return 2;
    case 2:
      return 4;
    case 3:
      return 3;
    default:
      return 1;
  }
}

std::string TOSInfo::EditionText(const OSFacts& facts) {
  if (facts.version.platform_id != kWinNT) return "";
  if (!facts.extended_ok) {
    std::string text;
    switch (RegistryProductClass(facts)) {
      case 2:
        text = "WorkStation";
        break;
      case 3:
        text = "Server";
        break;
      case 5:
        text = "Advanced Server";
        break;
      default:
        return "";
    }
    char version[32];
    std::snprintf(version, sizeof version, " %u.%u", facts.version.major, facts.version.minor);
    return text + version;
  }
  const int product_class = ProductClass(facts);
  const int kind = OSKind(facts);
  if (product_class >= 3) return ServerEdition(facts, kind);
  return WorkstationEdition(facts, kind);
}

std::string TOSInfo::ServicePackText(const OSFacts& facts) {
  const std::string& csd = facts.version.csd_version;
  if (facts.version.platform_id == kWin9x) {
    if (csd.empty()) return "";
    const char first = AnsiUpperChar(csd[0]);
    const int kind = OSKind(facts);
    if (kind == 1 && (first == 'B' || first == 'C')) return "OSR2";
    if (kind == 2 && first == 'A') return "SE";
    return "";
  }
  if (facts.version.platform_id == kWinNT) {
    if (OSKind(facts) == 4 && EqualsIgnoreCaseAnsi(csd, "Service Pack 6") && facts.hotfix_q246009) {
      return "Service Pack 6a";
    }
    return csd;
  }
  return "";
}

uint32_t TOSInfo::BuildNumber(const OSFacts& facts) {
  if (facts.version.platform_id == kWin9x) return facts.version.build & 0xFFFF;
  return facts.version.build;
}

uint16_t TOSInfo::ServicePackMajor(const OSFacts& facts) {
  return facts.extended_ok ? facts.service_pack_major : 0;
}

uint16_t TOSInfo::ServicePackMinor(const OSFacts& facts) {
  return facts.extended_ok ? facts.service_pack_minor : 0;
}

bool TOSInfo::IsWindows(const OSFacts& facts) {
  return facts.version.platform_id == kWin9x || facts.version.platform_id == kWinNT;
}

std::string TOSInfo::ProductText(const OSFacts& facts) {
  if (!IsWindows(facts)) {
    const std::string& own = facts.version.csd_version;
    return "Not Windows: " + (own.empty() ? std::string("unknown platform") : own);
  }
  return OSName(facts) + " " + EditionText(facts);
}

}  // namespace wizpak::diagnostics
