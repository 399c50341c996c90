#include "text/setup_record_fields.h"

namespace wizpak {
namespace {

struct RecordTexts {
  std::string install_dir;
  std::string setup_name;
  std::string short_name;
  std::string changelog;
};

RecordTexts& Texts() {
  static RecordTexts texts;
  return texts;
}

}  // namespace

const std::string& RecordInstallDir() {
  return Texts().install_dir;
}
const std::string& RecordSetupName() {
  return Texts().setup_name;
}
const std::string& RecordShortName() {
  return Texts().short_name;
}
const std::string& RecordChangelog() {
  return Texts().changelog;
}

}  // namespace wizpak
