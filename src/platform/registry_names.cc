// The parts of the registry accessor both platform layers share: the root
// key names.
#include "platform/registry.h"

namespace wizpak::platform {

const char* RootKeyName(RootKey root) {
  switch (root) {
    case RootKey::LocalMachine:
      return "HKEY_LOCAL_MACHINE";
    case RootKey::CurrentUser:
      return "HKEY_CURRENT_USER";
    case RootKey::ClassesRoot:
      return "HKEY_CLASSES_ROOT";
    case RootKey::Users:
      return "HKEY_USERS";
    case RootKey::CurrentConfig:
      return "HKEY_CURRENT_CONFIG";
  }
  return "HKEY_LOCAL_MACHINE";
}

}  // namespace wizpak::platform
