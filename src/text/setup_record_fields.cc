#include "text/setup_record_fields.h"

#include "package/setup_info.h"

namespace wizpak {

const std::string& RecordInstallDir() {
  return TSetupInfoFile::Instance().InstallDir;
}
const std::string& RecordSetupName() {
  return TSetupInfoFile::Instance().SetupName;
}
const std::string& RecordShortName() {
  return TSetupInfoFile::Instance().ShortName;
}
const std::string& RecordChangelog() {
  return TSetupInfoFile::Instance().Changelog;
}

}  // namespace wizpak
