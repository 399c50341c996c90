// Uninstall registration in the registry.
#include "uninstall/uninstall_registration.h"

#include <stdexcept>

#include "platform/registry.h"

namespace wizpak {

std::string UninstallKeyPath(std::string_view short_name) {
  return std::string(kUninstallKeyBase) + std::string(short_name);
}

std::string UninstallerPath(std::string_view install_dir, std::string_view exe_name) {
  return std::string(install_dir) + "\\" + std::string(exe_name);
}

void RegisterUninstaller(std::string_view short_name, std::string_view uninstall_string) {
  platform::Registry registry;
  const platform::RootKey root = platform::RootKey::LocalMachine;
  const std::string key = UninstallKeyPath(short_name);
  registry.OpenKey(root, key, /*create=*/true);
  for (const auto& [name, value] :
       {std::pair<std::string_view, std::string_view>{"DisplayName", short_name},
        {"UninstallString", uninstall_string}}) {
    if (!registry.WriteString(root, key, name, value)) {
      throw std::runtime_error("Failed to set data for '" + std::string(name) + "'");
    }
  }
}

bool RemoveUninstallRegistration(std::string_view short_name) {
  platform::Registry registry;
  const platform::RootKey root = platform::RootKey::LocalMachine;
  const std::string key = UninstallKeyPath(short_name);
  if (!registry.KeyExists(root, key)) return true;
  bool removed = true;
  for (const char* name : {"DisplayName", "UninstallString"}) {
    if (!registry.DeleteValue(root, key, name) && registry.ReadString(root, key, name))
      removed = false;
  }
  // A key deletion takes everything below the key. A short name without a
  // key name of its own ("" or only "") names the list of installed
  // programs itself, and deleting that would unregister every other product.
  if (short_name.find_first_not_of('\\') == std::string_view::npos) return removed;
  registry.DeleteKey(root, key);
  return removed;
}

}  // namespace wizpak
