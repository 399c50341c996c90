// TOSInfo: the operating system described in words (product name, edition,
// service pack) for the error report. Everything is a pure function of an
// OSFacts record, so any Windows version can be described; CurrentOSFacts()
// reads the running machine (on Linux a non-Windows platform).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/system.h"

namespace wizpak::diagnostics {

// Suite-mask bits of the extended version query.
constexpr uint16_t kSuiteEnterprise = 2;
constexpr uint16_t kSuiteDatacenter = 128;
constexpr uint16_t kSuitePersonal = 512;
constexpr uint16_t kSuiteWeb = 1024;

struct OSFacts {
  platform::VersionRecord version;
  // Extended version query: whether it worked, and its fields.
  bool extended_ok = false;
  uint16_t service_pack_major = 0;
  uint16_t service_pack_minor = 0;
  uint16_t suite_mask = 0;
  uint8_t product_type = 0;  // 1 workstation, 2 domain controller, 3 server
  // System metrics SM_MEDIACENTER (87) and SM_TABLETPC (86).
  int media_center_metric = 0;
  int tablet_pc_metric = 0;
  // HKLM\SYSTEM\CurrentControlSet\Control\ProductOptions "ProductType";
  // nullopt when the key or value cannot be read.
  std::optional<std::string> registry_product_type;
  // HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Hotfix\Q246009 exists.
  bool hotfix_q246009 = false;
};

// The machine this runs on. The extended query does not exist off Windows,
// so the registry fields come from the hive.
OSFacts CurrentOSFacts();

class TOSInfo {
 public:
  // 0 "Unknown OS", 1 Windows 95 ... 7 Windows Server2003.
  static int OSKind(const OSFacts& facts);
  static std::string OSName(const OSFacts& facts);
  // 0 not NT, 1 unknown, 2 workstation, 3 server, 4 domain controller,
  // 5 advanced server.
  static int ProductClass(const OSFacts& facts);
  static std::string EditionText(const OSFacts& facts);
  static std::string ServicePackText(const OSFacts& facts);
  // On the Windows 95 family only the low 16 bits are the build.
  static uint32_t BuildNumber(const OSFacts& facts);
  static uint16_t ServicePackMajor(const OSFacts& facts);
  static uint16_t ServicePackMinor(const OSFacts& facts);

  // True for platform ids 1 (Windows 95 family) and 2 (NT family).
  static bool IsWindows(const OSFacts& facts);
  // The report's "Product": OSName, a blank, EditionText on Windows; on any
  // other platform "Not Windows: " and the platform's own description.
  static std::string ProductText(const OSFacts& facts);
};

}  // namespace wizpak::diagnostics
